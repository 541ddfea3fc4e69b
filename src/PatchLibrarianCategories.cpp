// Banks built in memory from the file banks: one group per category code and
// the results of a name search. Nothing is written to disk. They show the
// records of the file banks that still keep them (which never change) and
// copy the messages of patches a bank has made, so either way they keep the
// patches as they were when they were built.
#include "src/PatchLibrarianCategories.h"

#include <algorithm>

#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/PatchLibrarianRecords.h"

namespace {

// A patch of a file bank as the category and search banks see it: a run of
// records of a bank that keeps them (the first message, then its continued
// ones), or a patch the bank has made.
struct SourcePatch {
  const PatchList* list = nullptr;
  size_t record = 0;  // index of the first message in list->records()
  size_t messages = 0;
  const LibrarianPatch* patch = nullptr;
};

// Appends to bank's records the patch rebuilt from source's first message
// (and, for search results, the second): made, it reads its name from bytes
// 76..89 upper-cased and its category from byte 90. Records are shown, not
// copied; the messages of a made patch are copied, so later edits of the
// source do not reach the bank. False when the first message is too short
// to hold the name and category.
bool appendRebuilt(const SourcePatch& source, size_t keptMessages, PatchFile* bank) {
  constexpr size_t kShortest = static_cast<size_t>(VarnoSysEx::kCategoryByte) + 1;
  if (source.patch) {
    const std::vector<PatchSysexMessage>& messages = source.patch->messages;
    if (messages.empty() || messages.front().size() < kShortest) return false;
    for (size_t i = 0; i < keptMessages && i < messages.size(); ++i) {
      const PatchSysexMessage& message = messages[i];
      bank->patches.appendRecordCopy(message.data(), static_cast<uint32_t>(message.size()), i == 0, i > 0);
    }
    return true;
  }
  const std::vector<PatchRecordRef>& records = source.list->records();
  if (records[source.record].size < kShortest) return false;
  for (size_t i = 0; i < keptMessages && i < source.messages; ++i) {
    const PatchRecordRef& record = records[source.record + i];
    bank->patches.appendRecordRef(record.bytes, record.size, i == 0, i > 0, source.list);
  }
  return true;
}

// Numbered banks of at most 99 rebuilt patches: n / 99 + 1 of them, so a
// count that is a multiple of 99 gives a last, empty bank. Each bank goes to
// place(bank) in order.
template <class Place>
void makeBanks(const std::vector<SourcePatch>& collected, size_t keptMessages, const std::string& prefix,
               const std::string& folderName, bool tagIsPosition, int tag, Place place) {
  const size_t n = collected.size();
  for (size_t k = 0; k <= n / PatchFile::kSlots; ++k) {
    PatchFile* bank = new PatchFile();
    bank->fileName = prefix + " " + std::to_string(k + 1);
    bank->folderName = folderName;
    bank->numberTag = tagIsPosition ? static_cast<int32_t>(k) : tag;
    bank->patches.keepRecords(nullptr);
    const size_t end = std::min(n, (k + 1) * PatchFile::kSlots);
    for (size_t i = k * PatchFile::kSlots; i < end; ++i) appendRebuilt(collected[i], keptMessages, bank);
    place(bank);
  }
}

// Calls found(source, name) for every patch of the file banks in bank and
// slot order, with the patch's name (empty for a record without one).
template <class Found>
void forEachFilePatch(const std::vector<PatchFile*>& banks, Found found) {
  for (const PatchFile* bank : banks) {
    const PatchList& list = bank->patches;
    if (!list.holdsRecords()) {
      for (const LibrarianPatch& patch : list) found(SourcePatch{nullptr, 0, 0, &patch}, patch.name);
      continue;
    }
    const std::vector<PatchRecordRef>& records = list.records();
    std::string name;
    for (size_t i = 0; i < records.size();) {
      size_t messages = 1;
      while (i + messages < records.size() && records[i + messages].continued) ++messages;
      if (records[i].named)
        name = recordPatchName(records[i].bytes);
      else
        name.clear();
      found(SourcePatch{&list, i, messages, nullptr}, name);
      i += messages;
    }
  }
}

}  // namespace

// One pass over the patches in bank and slot order puts each into the bank
// of its category: the patches are read in the order they lie in memory. A
// category text that is no code of a category bank (empty, "INIT" or
// anything else) joins none. Each category's patches fill banks of 99
// slots, a patch that cannot be rebuilt keeping its slot empty, and n of
// them make n / 99 + 1 banks (the last one empty for a multiple of 99).
CategoryBankBuilder::CategoryBankBuilder() {
  for (int c = 0; c < kNumPatchCategories; ++c) m_codes[c] = patchCategoryCode(static_cast<unsigned char>(c));
}

CategoryBankBuilder::~CategoryBankBuilder() { clear(); }

void CategoryBankBuilder::clear() {
  for (Category& category : m_categories) {
    for (PatchFile* bank : category.banks) delete bank;
    category = Category();
  }
  m_taken = 0;
}

PatchFile* CategoryBankBuilder::addBank(int c) {
  Category& category = m_categories[c];
  PatchFile* bank = new PatchFile();
  bank->fileName = m_codes[c] + " " + std::to_string(category.banks.size() + 1);
  bank->folderName = m_codes[c];
  bank->numberTag = c;
  bank->patches.keepRecords(nullptr);
  bank->patches.reserve(PatchFile::kSlots);
  category.banks.push_back(bank);
  return bank;
}

inline PatchFile* CategoryBankBuilder::bankOf(int c) {
  Category& category = m_categories[c];
  ++category.count;
  if (category.slotsLeft == 0) {
    category.current = addBank(c);
    category.slotsLeft = PatchFile::kSlots;
    category.keptList = nullptr;
    category.keptStore = nullptr;
  }
  --category.slotsLeft;
  return category.current;
}

void CategoryBankBuilder::takeNew(const std::vector<PatchFile*>& fileBanks) {
  for (; m_taken < fileBanks.size(); ++m_taken) take(*fileBanks[m_taken]);
}

void CategoryBankBuilder::take(const PatchFile& file) {
  const PatchList& list = file.patches;
  if (list.holdsRecords()) {
    // A bank kept as records: a record with a name carries the code of its
    // category byte, and the category bank shows that record.
    const PatchStore* store = list.onlyStore();
    for (const PatchRecordRef& record : list.records()) {
      if (record.continued || !record.named) continue;
      const int c = record.categoryByte;
      if (c >= kCategoryBankCodes) continue;  // "INIT", and every byte above
      PatchList& shown = bankOf(c)->patches;
      Category& category = m_categories[c];
      if (category.keptList != &list && (!store || category.keptStore != store)) {
        shown.keepStoresOf(list);
        category.keptList = &list;
        category.keptStore = store;
      }
      shown.appendRecordRef(record);
    }
    return;
  }
  for (const LibrarianPatch& patch : list) {
    if (patch.category.size() != 4) continue;
    // The category byte names the code to try first: a patch read from a
    // file carries the code of its byte. Any other text is looked up.
    const bool whole = !patch.messages.empty() &&
                       patch.messages.front().size() > static_cast<size_t>(VarnoSysEx::kCategoryByte);
    const int byte = whole ? patch.messages.front()[VarnoSysEx::kCategoryByte] : 0;
    const int byteCode = byte < kNumPatchCategories ? byte : kInitCategory;
    int c = whole && patch.category == m_codes[byteCode] ? byteCode : -1;
    if (c < 0) {
      c = 0;
      while (c < kCategoryBankCodes && patch.category != m_codes[c]) ++c;
    }
    if (c >= kCategoryBankCodes) continue;  // "INIT" or no code of a category bank
    // A patch too short to rebuild keeps its slot empty.
    appendRebuilt(SourcePatch{nullptr, 0, 0, &patch}, 1, bankOf(c));
  }
}

void CategoryBankBuilder::place(std::vector<PatchFile*>* shown, std::vector<PatchFile*>* empty,
                                std::vector<FolderFiles*>* tree) {
  for (int c = 0; c < kCategoryBankCodes; ++c) {
    Category& category = m_categories[c];
    if (category.count / PatchFile::kSlots == category.banks.size()) addBank(c);
    const std::string& code = m_codes[c];
    // Every bank of the code enters each tree entry of that name; with none
    // there, the first bank makes one. The entries are looked up once per
    // code: entering banks adds no entry of another code.
    std::vector<SubFolderFiles*> entries;
    for (FolderFiles* entry : *tree)
      for (SubFolderFiles& sub : entry->subfolders)
        if (sub.name == code) entries.push_back(&sub);
    for (PatchFile* bank : category.banks) {
      if (bank->patches.empty())
        empty->push_back(bank);
      else
        shown->push_back(bank);
      for (SubFolderFiles* sub : entries) sub->banks.push_back(bank);
      if (!entries.empty()) continue;
      FolderFiles* entry = new FolderFiles();
      entry->name = bank->fileName;
      entry->subfolders.push_back(SubFolderFiles{code, {}, {bank}});
      tree->push_back(entry);
      entries.push_back(&entry->subfolders.back());
    }
    category = Category();  // placed: the lists own the banks now
  }
  m_taken = 0;
}

void PatchLibrarian::createNewCategoryPatchFiles() {
  CategoryBankBuilder builder;
  builder.takeNew(fileBanks);
  builder.place(&categoryBanks, &mEmptyCategoryBanks, &categoryTree);
}

void PatchLibrarian::createNewSearchPatchFiles(std::string term) {
  deleteBanks(searchBanks);
  // The old banks are gone: no tree entry may keep pointing at them.
  for (FolderFiles* entry : searchTree) entry->banks.clear();
  std::vector<SourcePatch> collected;
  forEachFilePatch(fileBanks, [&](const SourcePatch& source, const std::string& name) {
    if (name.find(term) != std::string::npos) collected.push_back(source);
  });
  if (collected.empty()) return;
  makeBanks(collected, 2, "Search Results", "Patches", true, 0, [&](PatchFile* bank) {
    searchBanks.push_back(bank);
    if (searchTree.empty() || searchTree.front()->name != "Patches") {
      FolderFiles* entry = new FolderFiles();
      entry->name = "Patches";
      entry->banks.push_back(bank);
      searchTree.push_back(entry);
    } else {
      searchTree.front()->banks.push_back(bank);
    }
  });
}
