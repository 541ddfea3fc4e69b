// The patches of a bank, kept as shared record bytes until a patch is asked
// for, and the stores those bytes lie in.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "src/LibrarianPatch.h"
#include "src/PatchLibrarianRecords.h"

namespace {

constexpr size_t kSmallestChunk = 4096;
constexpr size_t kCacheLine = 64;

// Patches are made from records at most once per list; lists are rarely
// made on two threads at once, so one lock serves them all.
std::mutex& makingLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

// ==== PatchStore ==============================================================

PatchStore::PatchStore(size_t firstChunk) : m_nextChunk(std::max(firstChunk, kSmallestChunk)) {}

unsigned char* PatchStore::newChunk(size_t size) {
  std::unique_ptr<unsigned char[]>& chunk = m_first ? m_more.emplace_back() : m_first;
  chunk.reset(new unsigned char[std::max<size_t>(size, 1)]);
  return chunk.get();
}

unsigned char* PatchStore::allocate(size_t size) {
  if (size > m_left) {
    const size_t chunk = std::max(size, m_nextChunk);
    m_free = newChunk(chunk);
    m_left = chunk;
    m_nextChunk = chunk;
  }
  unsigned char* room = m_free;
  m_free += size;
  m_left -= size;
  return room;
}

unsigned char* PatchStore::allocateAlone(size_t size) {
  m_free = nullptr;
  m_left = 0;
  return newChunk(size);
}

// ==== PatchList ===============================================================

PatchList::PatchList(const PatchList& other) { *this = other; }

PatchList::PatchList(PatchList&& other) noexcept { *this = std::move(other); }

PatchList& PatchList::operator=(const PatchList& other) {
  if (this == &other) return *this;
  if (other.holdsRecords()) {
    m_patches.clear();
    m_records = other.m_records;
    m_firstStore = other.m_firstStore;
    m_moreStores = other.m_moreStores;
    m_ownStore.reset();  // a copy appends into a store of its own
    if (other.m_ownStore) holdStore(other.m_ownStore);
    m_recordPatches = other.m_recordPatches;
    m_holdsRecords.store(true, std::memory_order_release);
  } else {
    m_patches = other.m_patches;
    m_records.clear();
    releaseStores();
    m_recordPatches = 0;
    m_holdsRecords.store(false, std::memory_order_release);
  }
  return *this;
}

PatchList& PatchList::operator=(PatchList&& other) noexcept {
  if (this == &other) return *this;
  m_patches = std::move(other.m_patches);
  m_records = std::move(other.m_records);
  m_firstStore = std::move(other.m_firstStore);
  m_moreStores = std::move(other.m_moreStores);
  m_ownStore = std::move(other.m_ownStore);
  m_recordPatches = other.m_recordPatches;
  m_holdsRecords.store(other.holdsRecords(), std::memory_order_release);
  other.clear();
  return *this;
}

PatchList& PatchList::operator=(std::vector<LibrarianPatch> patches) {
  clear();
  m_patches = std::move(patches);
  return *this;
}

void PatchList::resize(size_t count) {
  if (holdsRecords() && count == m_recordPatches) return;
  patches().resize(count);
}

void PatchList::reserve(size_t count) {
  if (!holdsRecords()) {
    m_patches.reserve(count);
    return;
  }
  m_records.reserve(count);
  // The room is filled a record at a time, mostly while other lists fill
  // theirs (a load fills a bank and twenty category banks at once): its
  // lines are asked for together now instead of missed one by one later.
  const char* room = reinterpret_cast<const char*>(m_records.data() + m_records.size());
  const char* end = reinterpret_cast<const char*>(m_records.data() + m_records.capacity());
  for (; room < end; room += kCacheLine) __builtin_prefetch(room, 1);
}

void PatchList::clear() {
  m_patches.clear();
  m_records.clear();
  releaseStores();
  m_recordPatches = 0;
  m_holdsRecords.store(false, std::memory_order_release);
}

std::vector<LibrarianPatch>& PatchList::patches() {
  if (holdsRecords()) makePatches();
  return m_patches;
}

const std::vector<LibrarianPatch>& PatchList::patches() const {
  if (holdsRecords()) makePatches();
  return m_patches;
}

void PatchList::makePatches() const {
  const std::lock_guard<std::mutex> hold(makingLock());
  if (!holdsRecords()) return;  // another thread made them meanwhile
  m_patches.clear();
  m_patches.reserve(m_recordPatches);
  for (size_t i = 0; i < m_records.size();) {
    size_t messages = 1;
    while (i + messages < m_records.size() && m_records[i + messages].continued) ++messages;
    LibrarianPatch& patch = m_patches.emplace_back();
    patch.messages.reserve(messages);
    for (size_t k = 0; k < messages; ++k)
      patch.messages.emplace_back(m_records[i + k].bytes, m_records[i + k].bytes + m_records[i + k].size);
    if (m_records[i].named) {
      patch.name = recordPatchName(m_records[i].bytes);
      patch.parseCategory();
    }
    i += messages;
  }
  m_records.clear();
  m_records.shrink_to_fit();
  releaseStores();
  m_holdsRecords.store(false, std::memory_order_release);
}

void PatchList::keepRecords(std::shared_ptr<PatchStore> store) {
  clear();
  m_ownStore = std::move(store);
  m_holdsRecords.store(true, std::memory_order_release);
}

void PatchList::appendRecordCopy(const unsigned char* bytes, uint32_t size, bool named, bool continued) {
  if (!m_ownStore) m_ownStore = std::make_shared<PatchStore>();
  unsigned char* room = m_ownStore->allocate(size);
  if (size > 0) memcpy(room, bytes, size);
  appendRecordRef(room, size, named, continued, nullptr);
}

void PatchList::holdStore(const std::shared_ptr<const PatchStore>& store) {
  // Records of one list mostly come in runs: only the last store held is
  // compared with (a store held twice costs a pointer).
  if (!store) return;
  if (!m_firstStore) {
    m_firstStore = store;
    return;
  }
  if ((m_moreStores.empty() ? m_firstStore : m_moreStores.back()) != store) m_moreStores.push_back(store);
}

void PatchList::releaseStores() const {
  m_ownStore.reset();
  m_firstStore.reset();
  m_moreStores.clear();
}

void PatchList::keepStoresOf(const PatchList& from) {
  holdStore(from.m_ownStore);
  holdStore(from.m_firstStore);
  for (const std::shared_ptr<const PatchStore>& store : from.m_moreStores) holdStore(store);
}
