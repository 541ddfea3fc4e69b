// Private-profile files: any bytes read as a file give section and key
// lists that name only what can be read back, and a file written from the
// cache reads back to the same values.
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KIT/winl/winl-ini.h"

namespace {

// The section the target writes (a control character keeps it apart).
const char kSection[] =
    "\x02"
    "fuzz";

std::string Folder() {
  static std::string folder;
  if (folder.empty()) {
    char pattern[] = "/tmp/winl-ini-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) abort();
    folder = pattern;
    // The folder and its files go when the process ends.
    atexit([] {
      for (const char* name : {"/fuzz.ini", "/input", "/.fuzz.ini.new"}) unlink((folder + name).c_str());
      rmdir(folder.c_str());
    });
  }
  return folder;
}

// The names of a double-NUL-terminated list.
std::vector<std::string> Names(const char* list) {
  std::vector<std::string> names;
  for (const char* p = list; *p; p += strlen(p) + 1) names.emplace_back(p);
  return names;
}

// Every value of every section, as read.
std::vector<std::string> Values(const std::string& file) {
  std::vector<std::string> values;
  static char list[1 << 16], keys[1 << 16], value[4096];
  GetPrivateProfileString(nullptr, nullptr, "", list, sizeof list, file.c_str());
  for (const std::string& section : Names(list)) {
    values.push_back("[" + section + "]");
    GetPrivateProfileString(section.c_str(), nullptr, "", keys, sizeof keys, file.c_str());
    for (const std::string& key : Names(keys)) {
      // A listed key is found: read with two different defaults, it gives
      // one value (a file may well hold either default as a real value).
      static char other[4096];
      GetPrivateProfileString(section.c_str(), key.c_str(), "\x01a", value, sizeof value, file.c_str());
      GetPrivateProfileString(section.c_str(), key.c_str(), "\x01b", other, sizeof other, file.c_str());
      if (strcmp(value, other) != 0) __builtin_trap();
      values.push_back(key + "=" + value);
    }
    char sectionText[8192];
    GetPrivateProfileSection(section.c_str(), sectionText, sizeof sectionText, file.c_str());
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 16)) return 0;
  const std::string file = Folder() + "/fuzz.ini";
  // Each input is a new file (a new inode), so that the cache parses it.
  const std::string temp = Folder() + "/input";
  FILE* f = fopen(temp.c_str(), "wb");
  if (!f) abort();
  if (size && fwrite(data, 1, size, f) != size) abort();
  fclose(f);
  if (rename(temp.c_str(), file.c_str()) != 0) abort();
  WINL_PrivateProfileFlushCache();

  const std::vector<std::string> before = Values(file);
  GetPrivateProfileInt("a", "b", 0, file.c_str());
  unsigned char bytes[4];
  GetPrivateProfileStruct("a", "b", bytes, sizeof bytes, file.c_str());
  // A write rewrites the whole file; read anew, it holds the same values
  // and the new one.
  // (A section of that name, in any case, makes the comparison moot.)
  for (const std::string& v : before)
    if (strcasecmp(v.c_str(), (std::string("[") + kSection + "]").c_str()) == 0) return 0;
  if (!WritePrivateProfileString(kSection, "k", "v", file.c_str())) return 0;  // too large to rewrite
  WINL_PrivateProfileFlushCache();
  std::vector<std::string> after = Values(file);
  std::vector<std::string> expected = before;
  expected.push_back(std::string("[") + kSection + "]");
  expected.push_back("k=v");
  std::sort(expected.begin(), expected.end());
  std::sort(after.begin(), after.end());
  if (expected != after) __builtin_trap();
  return 0;
}
