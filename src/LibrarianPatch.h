// The patch records the protocol and the library share: one SysEx message,
// one patch (name, four-character category code, messages) and one bank of
// patches read from or written to a file. Plain data with public fields; a
// bank's patch list keeps the patches of a file it was read from as record
// bytes in a shared store until a patch is asked for.
//
// Contents, in reading order:
//   PatchSysexMessage, LibrarianPatch   a message and a patch
//   PatchStore, PatchRecordRef          record bytes and one record in them
//   PatchList                           a bank's patches, records until asked for
//   PatchFile                           one bank
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ByteChunk;

// One complete SysEx message, from the opening 0xF0 to the closing 0xF7. The
// library form of a sound is 92 bytes: the name in bytes 76 to 89, the
// category byte in byte 90 and 0xF7 in byte 91.
using PatchSysexMessage = std::vector<unsigned char>;

// Number of category codes: 0 "NONE" to 20 "INIT".
constexpr int kNumPatchCategories = 21;
// The category of filler patches and of any byte above 20.
constexpr int kInitCategory = 20;

// The four-character code of a category byte: "NONE", "ARP ", ..., "INIT"
// (short words padded with blanks); every byte above 20 gives "INIT".
std::string patchCategoryCode(unsigned char categoryByte);

class LibrarianPatch {
 public:
  // Empty name and category, no messages. Copies are deep (banks hold patches
  // by value); moves take the buffers over, so a bank grows without copying
  // its patches.
  LibrarianPatch() = default;
  LibrarianPatch(const LibrarianPatch&) = default;
  LibrarianPatch& operator=(const LibrarianPatch&) = default;
  LibrarianPatch(LibrarianPatch&&) noexcept = default;
  LibrarianPatch& operator=(LibrarianPatch&&) noexcept = default;

  // Appends the code of the category byte (byte 90 of the first message) to
  // the category text; callers use it while the category is still empty. A
  // patch without a first message of at least 91 bytes carries no category
  // byte: the category is left as it is.
  void parseCategory();

  // Appends the messages to a file image in list order. Raw (smf false):
  // every byte of every message. Standard MIDI file (smf true): for each
  // message the event prefix 83 74 F0 81 0A unless slot is 0 (slot 0's
  // prefix is the end of the file header), then the message from its byte 1
  // on. A patch without messages appends nothing.
  void save(ByteChunk* chunk, bool smf, int slot) const;

  std::string name;
  std::string category;
  std::vector<PatchSysexMessage> messages;
};

// Record bytes that banks and the category and search banks showing their
// patches share: written once while a bank is read or a view is built, never
// changed afterwards, and freed with the last list that holds the store.
class PatchStore {
 public:
  // firstChunk: the bytes the store expects to hold (a file image's size);
  // more is taken in further chunks.
  explicit PatchStore(size_t firstChunk = 0);
  PatchStore(const PatchStore&) = delete;
  PatchStore& operator=(const PatchStore&) = delete;

  // Room for size bytes that stays where it is for the store's life.
  unsigned char* allocate(size_t size);
  // The same in a chunk of exactly size bytes (a file image: a read past
  // its end is a read past the chunk); later rooms take further chunks.
  unsigned char* allocateAlone(size_t size);

 private:
  unsigned char* newChunk(size_t size);

  std::unique_ptr<unsigned char[]> m_first;  // most stores hold one chunk
  std::vector<std::unique_ptr<unsigned char[]>> m_more;
  unsigned char* m_free = nullptr;
  size_t m_left = 0;
  size_t m_nextChunk;
};

// One message of a patch kept as bytes: in a PatchStore, or in the program's
// constant data (the init sound of plain fillers).
struct PatchRecordRef {
  const unsigned char* bytes = nullptr;
  uint32_t size = 0;
  bool named = false;      // first message: the name and category are read from its bytes
  bool continued = false;  // a further message of the patch before it
  // Byte 90 of a named record, kept beside it: the category banks are
  // sorted without reading every record again.
  unsigned char categoryByte = 0;
};

// The patches of a bank. It reads and writes as a vector of LibrarianPatch,
// and converts to one. A bank the library reads, and every category and
// search bank, keeps its patches as records in shared stores until a patch
// is first asked for: then the patches are made from the records, once (any
// thread may ask first), and the list holds them from then on. The records
// never change, so a category or search bank made from a bank's records
// keeps showing the patches as they were read when the bank is edited.
class PatchList {
 public:
  using value_type = LibrarianPatch;
  using size_type = size_t;
  using reference = LibrarianPatch&;
  using const_reference = const LibrarianPatch&;
  using iterator = std::vector<LibrarianPatch>::iterator;
  using const_iterator = std::vector<LibrarianPatch>::const_iterator;

  PatchList() = default;
  // Copies share the records (they never change) or copy the patches.
  PatchList(const PatchList& other);
  PatchList(PatchList&& other) noexcept;
  PatchList& operator=(const PatchList& other);
  PatchList& operator=(PatchList&& other) noexcept;
  PatchList& operator=(std::vector<LibrarianPatch> patches);

  // ---- As a vector of patches ----
  size_t size() const { return holdsRecords() ? m_recordPatches : m_patches.size(); }
  bool empty() const { return size() == 0; }
  LibrarianPatch& operator[](size_t i) { return patches()[i]; }
  const LibrarianPatch& operator[](size_t i) const { return patches()[i]; }
  LibrarianPatch& at(size_t i) { return patches().at(i); }
  const LibrarianPatch& at(size_t i) const { return patches().at(i); }
  LibrarianPatch& front() { return patches().front(); }
  const LibrarianPatch& front() const { return patches().front(); }
  LibrarianPatch& back() { return patches().back(); }
  const LibrarianPatch& back() const { return patches().back(); }
  iterator begin() { return patches().begin(); }
  iterator end() { return patches().end(); }
  const_iterator begin() const { return patches().begin(); }
  const_iterator end() const { return patches().end(); }
  void push_back(const LibrarianPatch& patch) { patches().push_back(patch); }
  void push_back(LibrarianPatch&& patch) { patches().push_back(std::move(patch)); }
  template <class... Args>
  LibrarianPatch& emplace_back(Args&&... args) {
    return patches().emplace_back(std::forward<Args>(args)...);
  }
  template <class Iterator>
  void assign(Iterator first, Iterator last) {
    patches().assign(first, last);
  }
  // A size the list has already leaves its records unmade.
  void resize(size_t count);
  void resize(size_t count, const LibrarianPatch& value) { patches().resize(count, value); }
  void reserve(size_t count);
  void clear();
  operator std::vector<LibrarianPatch>&() { return patches(); }
  operator const std::vector<LibrarianPatch>&() const { return patches(); }
  // The patches, made from the records first when the list still holds them.
  std::vector<LibrarianPatch>& patches();
  const std::vector<LibrarianPatch>& patches() const;

  // ---- The library's side: records ----
  // Empties the list and keeps it as records; appended records are copied
  // into store (one made at the first append when null).
  void keepRecords(std::shared_ptr<PatchStore> store);
  // True while the patches are still records (nothing asked for a patch).
  bool holdsRecords() const { return m_holdsRecords.load(std::memory_order_acquire); }
  // The records, each patch's first message followed by its continued ones.
  const std::vector<PatchRecordRef>& records() const { return m_records; }
  // Appends a copy of size bytes in the list's own store, a new patch's
  // first message or (continued) a further message of the last patch. Only
  // while holdsRecords().
  void appendRecordCopy(const unsigned char* bytes, uint32_t size, bool named, bool continued = false);
  // Appends a record of size bytes at bytes that lies in from's stores
  // (from null: in the program's constant data or this list's own store);
  // the list keeps from's stores alive. Only while holdsRecords().
  void appendRecordRef(const unsigned char* bytes, uint32_t size, bool named, bool continued,
                       const PatchList* from) {
    // Filled field by field where it lies: a record built beside and copied
    // whole would be read back before its fields are stored, which stalls.
    PatchRecordRef& added = m_records.emplace_back();
    added.bytes = bytes;
    added.size = size;
    added.named = named;
    added.continued = continued;
    added.categoryByte = named ? bytes[kCategoryByteOfRecord] : 0;
    if (!continued) ++m_recordPatches;
    if (from && from != this) keepStoresOf(*from);
  }
  // Appends a record of another list's records as it is; the caller has
  // made this list keep that list's stores (keepStoresOf).
  void appendRecordRef(const PatchRecordRef& record) {
    m_records.push_back(record);
    if (!record.continued) ++m_recordPatches;
  }
  // Keeps the stores of from's records alive as long as this list.
  void keepStoresOf(const PatchList& from);
  // The one store every record lies in when the list keeps no other (the
  // banks of one load share it), else null.
  const PatchStore* onlyStore() const { return m_firstStore ? nullptr : m_ownStore.get(); }

 private:
  static constexpr size_t kCategoryByteOfRecord = 90;
  void makePatches() const;

  mutable std::vector<LibrarianPatch> m_patches;
  mutable std::vector<PatchRecordRef> m_records;
  // Holds store as one of the stores of other lists, unless it is the one
  // held last.
  void holdStore(const std::shared_ptr<const PatchStore>& store);
  void releaseStores() const;

  // The list's own store, which appended copies go to, and the stores of
  // other lists that records lie in: the first beside the rest, as most
  // lists hold one at most.
  mutable std::shared_ptr<PatchStore> m_ownStore;
  mutable std::shared_ptr<const PatchStore> m_firstStore;
  mutable std::vector<std::shared_ptr<const PatchStore>> m_moreStores;
  size_t m_recordPatches = 0;  // patches among the records
  mutable std::atomic<bool> m_holdsRecords{false};
};

// One bank: the patches of one file, 99 once loaded. Banks are created on the
// heap and owned by the library's bank lists; the folder trees only point at
// them.
class PatchFile {
 public:
  static constexpr int kSlots = 99;

  // A deep copy that the caller owns: the patches, the file name and the
  // second flag (as 0 or 1); padding switch 0, folder texts empty, tag 0.
  PatchFile* clone() const;

  int32_t paddingSwitch = 0;  // while 0, a bank read short is padded with fillers
  int32_t secondFlag = 0;
  PatchList patches;
  std::string fileName;                   // with its extension, as on disk
  std::string folderName;                 // the folder that holds the file
  std::vector<std::string> folderLevels;  // root's own folder down to that folder
  std::string folderPath;                 // full path of that folder, no trailing separator
  int32_t numberTag = 0;                  // category index or search-bank position
};
