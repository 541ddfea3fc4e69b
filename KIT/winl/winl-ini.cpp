// Private-profile files on a cache of parsed files.
//
// Reading: GetFileContext finds the file's slot (parsing it when it is new
// or changed on disk) and the value is looked up by binary search. Writing:
// the slot is changed and WriteBackFile writes the whole file anew through
// an exclusive temporary file and a rename. A write that cannot reach the
// disk returns false and marks the slot stale, so that the next lookup reads
// the file as it really is.
#include "KIT/winl/winl-ini.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "KIT/mutex.h"
#include "KIT/regularfile.h"

namespace {

// ---- Sorted arrays keyed by text, case ignored -----------------------------------
bool KeyLess(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; }
bool KeyEqual(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

struct Entry {
  std::string key, value;
};

struct Section {
  std::string name;
  std::vector<Entry> keys;  // sorted by key, except while a parse appends
  Entry* Find(const char* key) {
    auto it = std::lower_bound(keys.begin(), keys.end(), key, [](const Entry& e, const char* k) {
      return strcasecmp(e.key.c_str(), k) < 0;
    });
    return (it != keys.end() && KeyEqual(it->key, key)) ? &*it : nullptr;
  }
  // An existing key keeps its spelling and takes the new value.
  void Insert(const std::string& key, const std::string& value) {
    auto it = std::lower_bound(keys.begin(), keys.end(), key,
                               [](const Entry& e, const std::string& k) { return KeyLess(e.key, k); });
    if (it != keys.end() && KeyEqual(it->key, key.c_str()))
      it->value = value;
    else
      keys.insert(it, Entry{key, value});
  }
  bool Erase(const char* key) {
    Entry* e = Find(key);
    if (!e) return false;
    keys.erase(keys.begin() + (e - keys.data()));
    return true;
  }
  // After appending in file order: sorted, and of equal keys the last one
  // read stays.
  void Resort() {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const Entry& a, const Entry& b) { return KeyLess(a.key, b.key); });
    std::vector<Entry> out;
    out.reserve(keys.size());
    for (Entry& e : keys) {
      if (!out.empty() && KeyEqual(out.back().key, e.key.c_str()))
        out.back() = std::move(e);
      else
        out.push_back(std::move(e));
    }
    keys.swap(out);
  }
};

// What tells a changed file: existence, time to the nanosecond, size, inode.
struct FileStamp {
  bool known = false;  // false: read the file again at the next lookup
  bool exists = false;
  int64_t seconds = 0, nanoseconds = 0;
  uint64_t size = 0, inode = 0, device = 0;
  bool operator==(const FileStamp& o) const {
    return known && o.known && exists == o.exists && seconds == o.seconds && nanoseconds == o.nanoseconds &&
           size == o.size && inode == o.inode && device == o.device;
  }
};

FileStamp StampOf(const struct stat& st) {
  FileStamp s;
  s.known = s.exists = true;
  s.seconds = st.st_mtim.tv_sec;
  s.nanoseconds = st.st_mtim.tv_nsec;
  s.size = static_cast<uint64_t>(st.st_size);
  s.inode = st.st_ino;
  s.device = st.st_dev;
  return s;
}

FileStamp StampOfPath(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) {
    FileStamp missing;
    missing.known = true;
    return missing;
  }
  return StampOf(st);
}

struct iniFileContext {
  uint64_t lastUse = 0;
  FileStamp stamp;
  bool named = false;
  std::string fileName;  // the whole path, as looked up
  // Sections sorted by name; owned.
  std::vector<std::unique_ptr<Section>> sections;
  // The file was too large before its first section to be read: it reads
  // as empty, and writing it would destroy it, so writes are refused.
  bool cut = false;

  Section* Find(const char* name) {
    auto it = std::lower_bound(
        sections.begin(), sections.end(), name,
        [](const std::unique_ptr<Section>& s, const char* n) { return strcasecmp(s->name.c_str(), n) < 0; });
    return (it != sections.end() && KeyEqual((*it)->name, name)) ? it->get() : nullptr;
  }
  Section* FindOrAdd(const char* name) {
    auto it = std::lower_bound(
        sections.begin(), sections.end(), name,
        [](const std::unique_ptr<Section>& s, const char* n) { return strcasecmp(s->name.c_str(), n) < 0; });
    if (it != sections.end() && KeyEqual((*it)->name, name)) return it->get();
    auto* section = new Section;
    section->name = name;
    sections.insert(it, std::unique_ptr<Section>(section));
    return section;
  }
  void Erase(Section* section) {
    for (auto it = sections.begin(); it != sections.end(); ++it)
      if (it->get() == section) {
        sections.erase(it);
        return;
      }
  }
};

const int kSlots = 32;
const size_t kPieceSize = 8192;
const size_t kLongestLine = 33554432;   // 32 MiB without a line end: a line
const size_t kHeadLimit = 262144;       // bytes before the first section
const size_t kSectionLineLimit = 8191;  // of a WritePrivateProfileSection string

struct Cache {
  KIT_Mutex mutex;
  iniFileContext slots[kSlots];
  uint64_t acc_cnt = 0;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

// ---- Reading a file --------------------------------------------------------------
// One physical line (without its end) in *line; false at the end of file.
bool ReadLine(FILE* f, std::string* line) {
  line->clear();
  char piece[kPieceSize];
  bool any = false;
  while (line->size() < kLongestLine) {
    if (!fgets(piece, sizeof piece, f)) break;
    any = true;
    const size_t n = strlen(piece);
    line->append(piece, n);
    if (n > 0 && piece[n - 1] == '\n') break;
  }
  return any;
}

bool IsTrailingBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

void Parse(FILE* f, iniFileContext* ctx) {
  std::string line;
  Section* current = nullptr;
  bool sectionSeen = false;
  size_t headBytes = 0;
  while (ReadLine(f, &line)) {
    size_t end = line.size();
    while (end > 0 && IsTrailingBlank(line[end - 1])) --end;
    size_t start = 0;
    while (start < end && (line[start] == ' ' || line[start] == '\t')) ++start;
    const char* text = line.data() + start;
    const size_t length = end - start;
    const void* close = length && text[0] == '[' ? memchr(text, ']', length) : nullptr;
    if (!sectionSeen && !close) {
      headBytes += line.size();
      if (headBytes > kHeadLimit) {
        ctx->cut = true;
        break;
      }
    }
    if (length == 0) continue;
    if (text[0] == '[') {
      if (!close) continue;  // not a header: the section goes on
      if (current) current->Resort();
      const std::string name(text + 1, static_cast<const char*>(close));
      sectionSeen = true;
      if (name.empty()) {
        current = nullptr;  // key lines are ignored until the next header
        continue;
      }
      current = ctx->FindOrAdd(name.c_str());
      current->keys.clear();  // a repeated header starts the section anew
      continue;
    }
    const void* equals = memchr(text, '=', length);
    if (!equals || !current) continue;
    const size_t keyLength = static_cast<size_t>(static_cast<const char*>(equals) - text);
    if (keyLength == 0) continue;
    current->keys.push_back(
        Entry{std::string(text, keyLength), std::string(text + keyLength + 1, length - keyLength - 1)});
  }
  if (current) current->Resort();
}

iniFileContext* GetFileContext(const char* file) {
  Cache& cache = TheCache();
  iniFileContext* slot = nullptr;
  for (iniFileContext& s : cache.slots) {
    if (!s.named || s.fileName == file) {
      slot = &s;
      break;
    }
  }
  if (!slot) {
    slot = &cache.slots[0];
    for (iniFileContext& s : cache.slots)
      if (s.lastUse < slot->lastUse) slot = &s;
  }
  slot->lastUse = ++cache.acc_cnt;
  if (slot->named && slot->fileName == file && StampOfPath(slot->fileName) == slot->stamp) return slot;

  slot->sections.clear();
  slot->cut = false;
  slot->named = true;
  slot->fileName = file;
  slot->stamp = FileStamp();
  // Opened without waiting: a pipe or device under the name reads as a
  // missing file, never as a call that hangs.
  FILE* f = KIT_FOpenRegularFile(file, "r");
  if (!f) {
    slot->stamp.known = true;  // missing: reads as empty
    return slot;
  }
  flock(fileno(f), LOCK_SH);
  Parse(f, slot);
  struct stat st;
  if (fstat(fileno(f), &st) == 0) {
    slot->stamp = StampOf(st);
  } else {
    slot->stamp.known = true;
  }
  flock(fileno(f), LOCK_UN);
  fclose(f);
  return slot;
}

// ---- Writing a file --------------------------------------------------------------
std::string TemporaryName(const std::string& file) {
  const size_t slash = file.rfind('/');
  if (slash == std::string::npos) return "." + file + ".new";
  return file.substr(0, slash + 1) + "." + file.substr(slash + 1) + ".new";
}

bool WriteSections(FILE* f, const iniFileContext& ctx) {
  for (const auto& section : ctx.sections) {
    if (fprintf(f, "[%s]\n", section->name.c_str()) < 0) return false;
    for (const Entry& e : section->keys)
      if (!e.key.empty() && fprintf(f, "%s=%s\n", e.key.c_str(), e.value.c_str()) < 0) return false;
    if (fputs("\n", f) < 0) return false;
  }
  return true;
}

// Whether fd is still the file named path (not removed or replaced since).
bool SameEntry(int fd, const std::string& path) {
  struct stat opened, named;
  return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

// Removes the temporary name left by a writer that died mid-write: a
// regular file nobody holds locked (a living writer holds its lock until
// the rename). Anything else under that name (a link, a pipe) is removed as
// a name, never opened through. False when it stays: a folder, a writer at
// work, or no right to remove it.
bool RemoveStaleTemporary(const std::string& temp) {
  struct stat named;
  if (lstat(temp.c_str(), &named) != 0) return errno == ENOENT;
  if (S_ISDIR(named.st_mode)) return false;
  if (!S_ISREG(named.st_mode)) return unlink(temp.c_str()) == 0 || errno == ENOENT;
  const int fd = open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  const bool stale = flock(fd, LOCK_EX | LOCK_NB) == 0 && SameEntry(fd, temp);
  const bool removed = stale && (unlink(temp.c_str()) == 0 || errno == ENOENT);
  close(fd);
  return removed;
}

// Creates the temporary exclusively (O_EXCL never follows a link) and locks
// it; a stale one is removed first. The lock is held until the temporary is
// renamed or removed. -1 when no temporary can be had.
int OpenLockedTemporary(const std::string& temp) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno != EEXIST || !RemoveStaleTemporary(temp)) return -1;
      continue;
    }
    // Another process may have taken it for stale between the open and the lock.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && SameEntry(fd, temp)) return fd;
    close(fd);
  }
  return -1;
}

bool WriteBackFile(iniFileContext* ctx) {
  if (!ctx->named) return false;
  const std::string temp = TemporaryName(ctx->fileName);
  struct stat old;
  const bool hadFile = stat(ctx->fileName.c_str(), &old) == 0;
  // A pipe, device or folder under the file's name is never replaced.
  if (hadFile && !S_ISREG(old.st_mode)) {
    ctx->stamp.known = false;
    return false;
  }
  const int fd = OpenLockedTemporary(temp);
  if (fd < 0) {
    ctx->stamp.known = false;
    return false;
  }
  if (hadFile) fchmod(fd, old.st_mode & 07777);
  FILE* f = fdopen(fd, "w");
  if (!f) {
    unlink(temp.c_str());
    close(fd);
    ctx->stamp.known = false;
    return false;
  }
  bool ok = WriteSections(f, *ctx);
  ok = fflush(f) == 0 && ok;
  // Renamed while still locked: nobody takes it for stale meanwhile.
  ok = ok && rename(temp.c_str(), ctx->fileName.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  ok = fclose(f) == 0 && ok;
  if (!ok) {
    ctx->stamp.known = false;
    return false;
  }
  ctx->stamp = StampOfPath(ctx->fileName);
  return true;
}

// ---- Values --------------------------------------------------------------------------
// The value without surrounding blanks and one pair of enclosing quotes.
std::string Trimmed(const std::string& value) {
  size_t start = 0, end = value.size();
  while (start < end && (value[start] == ' ' || value[start] == '\t')) ++start;
  while (end > start && (value[end - 1] == ' ' || value[end - 1] == '\t')) --end;
  if (end - start >= 2 && value[start] == value[end - 1] && (value[start] == '\'' || value[start] == '"')) {
    ++start;
    --end;
  }
  return value.substr(start, end - start);
}

// Copies text cut to size - 1 characters with a terminator; the length.
int CopyOut(const std::string& text, char* out, int size) {
  if (size <= 0) return 0;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  memcpy(out, text.data(), n);
  out[n] = 0;
  return static_cast<int>(n);
}

// A list of names, each followed by a NUL, ended by a second NUL.
int CopyList(const std::vector<const std::string*>& names, char* out, int size) {
  std::string list;
  for (const std::string* name : names) {
    list += *name;
    list += '\0';
  }
  if (size < 2) {
    if (size == 1) out[0] = 0;
    return 0;
  }
  if (list.empty()) {
    out[0] = out[1] = 0;
    return 0;
  }
  const size_t n = std::min(list.size() - 1, static_cast<size_t>(size - 2));
  memcpy(out, list.data(), n);
  out[n] = out[n + 1] = 0;
  return static_cast<int>(n);
}

}  // namespace

// ---- Entry points --------------------------------------------------------------------

int GetPrivateProfileString(const char* section, const char* key, const char* def, char* out, int size,
                            const char* file) {
  if (!file || !out) return 0;
  Cache& cache = TheCache();
  KIT_MutexLock lock(&cache.mutex);
  iniFileContext* ctx = GetFileContext(file);
  if (!section) {
    std::vector<const std::string*> names;
    for (const auto& s : ctx->sections)
      if (!s->name.empty()) names.push_back(&s->name);
    return CopyList(names, out, size);
  }
  Section* s = ctx->Find(section);
  if (!key) {
    std::vector<const std::string*> names;
    if (s)
      for (const Entry& e : s->keys)
        if (!e.key.empty()) names.push_back(&e.key);
    return CopyList(names, out, size);
  }
  if (const Entry* e = s ? s->Find(key) : nullptr) {
    if (size < 1) return 0;
    return CopyOut(Trimmed(e->value), out, size);
  }
  return CopyOut(def ? def : "", out, size);
}

int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file) {
  char text[512];
  GetPrivateProfileString(section, key, "", text, sizeof text, file);
  if (!text[0]) return def;
  const int value = atoi(text);
  return (value != 0 || text[0] == '0') ? value : def;
}

int GetPrivateProfileSection(const char* section, char* out, unsigned size, const char* file) {
  if (!out || size < 2) {
    if (out && size == 1) out[0] = 0;
    return 0;
  }
  if (!section || !file) {
    out[0] = out[1] = 0;
    return 0;
  }
  Cache& cache = TheCache();
  KIT_MutexLock lock(&cache.mutex);
  Section* s = GetFileContext(file)->Find(section);
  size_t pos = 0;
  const size_t full = static_cast<size_t>(size) - 1;  // reaching this byte: cut
  if (s) {
    for (const Entry& e : s->keys) {
      std::string text = e.key + "=" + Trimmed(e.value);
      text += '\0';
      for (char c : text) {
        if (pos >= full) {
          out[full] = 0;
          return static_cast<int>(size - 2);
        }
        out[pos++] = c;
      }
    }
  }
  out[pos] = 0;
  if (pos == 0) out[1] = 0;
  return static_cast<int>(pos);
}

int GetPrivateProfileStruct(const char* section, const char* key, void* buffer, unsigned size,
                            const char* file) {
  if (!section || !key || !buffer) return 0;
  if (size > (INT_MAX - 18) / 2) return 0;
  const int capacity = 2 * static_cast<int>(size) + 18;
  std::vector<char> text(static_cast<size_t>(capacity));
  const int length = GetPrivateProfileString(section, key, "", text.data(), capacity, file);
  if (length != 2 * static_cast<int>(size) + 2) return 0;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  auto* bytes = static_cast<unsigned char*>(buffer);
  unsigned sum = 0;
  for (unsigned i = 0; i <= size; ++i) {
    const int hi = digit(text[2 * i]), lo = digit(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return 0;
    const unsigned value = static_cast<unsigned>(hi * 16 + lo);
    if (i == size) return (sum & 0xFF) == value ? 1 : 0;
    bytes[i] = static_cast<unsigned char>(value);
    sum += value;
  }
  return 0;
}

int WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file) {
  if (!section || !file || (key && !*key)) return 0;
  Cache& cache = TheCache();
  KIT_MutexLock lock(&cache.mutex);
  iniFileContext* ctx = GetFileContext(file);
  if (ctx->cut) return 0;
  Section* s = ctx->Find(section);
  if (!key) {
    if (!s) return 1;
    ctx->Erase(s);
    return WriteBackFile(ctx) ? 1 : 0;
  }
  if (!value) {
    if (!s || !s->Erase(key)) return 1;
    return WriteBackFile(ctx) ? 1 : 0;
  }
  if (s)
    if (const Entry* e = s->Find(key))
      if (e->value == value) return 1;
  ctx->FindOrAdd(section)->Insert(key, value);
  return WriteBackFile(ctx) ? 1 : 0;
}

int WritePrivateProfileSection(const char* section, const char* list, const char* file) {
  if (!section || !file) return 0;
  Cache& cache = TheCache();
  KIT_MutexLock lock(&cache.mutex);
  iniFileContext* ctx = GetFileContext(file);
  if (ctx->cut) return 0;
  const bool emptyList = !list || !*list;
  Section* s = ctx->Find(section);
  if (s) {
    s->keys.clear();
  } else {
    if (emptyList) return 1;
    s = ctx->FindOrAdd(section);
  }
  for (const char* p = list; p && *p; p += strlen(p) + 1) {
    const size_t head = strnlen(p, kSectionLineLimit);
    const void* equals = memchr(p, '=', head);
    if (!equals) continue;
    const std::string key(p, static_cast<const char*>(equals));
    if (key.empty()) continue;
    s->Insert(key, std::string(static_cast<const char*>(equals) + 1));
  }
  return WriteBackFile(ctx) ? 1 : 0;
}

int WritePrivateProfileStruct(const char* section, const char* key, const void* buffer, unsigned size,
                              const char* file) {
  if (!key || !buffer) return WritePrivateProfileString(section, key, nullptr, file);
  std::string text;
  text.reserve(2 * static_cast<size_t>(size) + 3);
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  unsigned sum = 0;
  char hex[3];
  for (unsigned i = 0; i < size; ++i) {
    snprintf(hex, sizeof hex, "%02X", bytes[i]);
    text += hex;
    sum += bytes[i];
  }
  snprintf(hex, sizeof hex, "%02X", sum & 0xFF);
  text += hex;
  return WritePrivateProfileString(section, key, text.c_str(), file);
}

void WINL_PrivateProfileFlushCache() {
  Cache& cache = TheCache();
  KIT_MutexLock lock(&cache.mutex);
  for (iniFileContext& s : cache.slots) s = iniFileContext();
  cache.acc_cnt = 0;
}
