// Banks built in memory from the file banks: one group per category code and
// the results of a name search. Nothing is written to disk.
#include <algorithm>

#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/PatchLibrarianRecords.h"

namespace {

constexpr int kCategoryBankCodes = 20;  // "INIT" (20) gets no category banks

// A patch rebuilt from its first message (and, for search results, the
// second): the name re-read from bytes 76..89 upper-cased, the category from
// byte 90. False when the first message is too short to hold them.
bool rebuildPatch(const LibrarianPatch& source, size_t keptMessages, LibrarianPatch* rebuilt) {
  if (source.messages.empty() ||
      source.messages.front().size() <= static_cast<size_t>(VarnoSysEx::kCategoryByte))
    return false;
  const PatchSysexMessage& first = source.messages.front();
  rebuilt->messages.reserve(std::min(keptMessages, source.messages.size()));
  for (size_t i = 0; i < keptMessages && i < source.messages.size(); ++i)
    rebuilt->messages.push_back(source.messages[i]);
  rebuilt->name = recordPatchName(first);
  rebuilt->parseCategory();
  return true;
}

// Numbered banks of at most 99 rebuilt patches: n / 99 + 1 of them, so a
// count that is a multiple of 99 gives a last, empty bank. Each bank goes to
// place(bank) in order.
template <class Place>
void makeBanks(const std::vector<const LibrarianPatch*>& collected, size_t keptMessages,
               const std::string& prefix, const std::string& folderName, bool tagIsPosition, int tag,
               Place place) {
  const size_t n = collected.size();
  for (size_t k = 0; k <= n / PatchFile::kSlots; ++k) {
    PatchFile* bank = new PatchFile();
    bank->fileName = prefix + " " + std::to_string(k + 1);
    bank->folderName = folderName;
    bank->numberTag = tagIsPosition ? static_cast<int32_t>(k) : tag;
    const size_t end = std::min(n, (k + 1) * PatchFile::kSlots);
    bank->patches.reserve(end - std::min(end, k * PatchFile::kSlots));
    for (size_t i = k * PatchFile::kSlots; i < end; ++i) {
      LibrarianPatch rebuilt;
      if (rebuildPatch(*collected[i], keptMessages, &rebuilt)) bank->patches.push_back(std::move(rebuilt));
    }
    place(bank);
  }
}

}  // namespace

void PatchLibrarian::createNewCategoryPatchFiles() {
  // One pass over the patches in bank and slot order copies each into the
  // bank of its category: the patches are read in the order they lie in
  // memory. A category text that is no code of a category bank (empty,
  // "INIT" or anything else) joins none. Each category's patches fill banks
  // of 99 slots, a patch that cannot be rebuilt keeping its slot empty, and
  // n of them make n / 99 + 1 banks (the last one empty for a multiple of 99).
  std::string codes[kNumPatchCategories];
  for (int c = 0; c < kNumPatchCategories; ++c) codes[c] = patchCategoryCode(static_cast<unsigned char>(c));
  struct Category {
    std::vector<PatchFile*> banks;
    size_t count = 0;  // patches of the category so far
  } categories[kCategoryBankCodes];
  auto addBank = [&](int c) {
    PatchFile* bank = new PatchFile();
    bank->fileName = codes[c] + " " + std::to_string(categories[c].banks.size() + 1);
    bank->folderName = codes[c];
    bank->numberTag = c;
    categories[c].banks.push_back(bank);
    return bank;
  };
  for (const PatchFile* file : fileBanks)
    for (const LibrarianPatch& patch : file->patches) {
      if (patch.category.size() != 4) continue;
      // The category byte names the code to try first: a patch read from a
      // file carries the code of its byte. Any other text is looked up.
      const bool whole = !patch.messages.empty() &&
                         patch.messages.front().size() > static_cast<size_t>(VarnoSysEx::kCategoryByte);
      const int byte = whole ? patch.messages.front()[VarnoSysEx::kCategoryByte] : 0;
      const int byteCode = byte < kNumPatchCategories ? byte : kInitCategory;
      int c = whole && patch.category == codes[byteCode] ? byteCode : -1;
      if (c < 0) {
        c = 0;
        while (c < kCategoryBankCodes && patch.category != codes[c]) ++c;
      }
      if (c >= kCategoryBankCodes) continue;  // "INIT" or no code of a category bank
      Category& category = categories[c];
      PatchFile* bank =
          category.count / PatchFile::kSlots < category.banks.size() ? category.banks.back() : addBank(c);
      if (bank->patches.empty()) bank->patches.reserve(PatchFile::kSlots);
      ++category.count;
      // Rebuilt in place from the first message, as rebuildPatch does: the
      // category is the code of its byte.
      if (!whole) continue;  // too short to rebuild: the slot stays empty
      LibrarianPatch& rebuilt = bank->patches.emplace_back();
      rebuilt.messages.reserve(1);
      rebuilt.messages.push_back(patch.messages.front());
      rebuilt.name = recordPatchName(rebuilt.messages.front());
      rebuilt.category = codes[byteCode];
    }
  for (int c = 0; c < kCategoryBankCodes; ++c) {
    if (categories[c].count / PatchFile::kSlots == categories[c].banks.size()) addBank(c);
    const std::string& code = codes[c];
    for (PatchFile* bank : categories[c].banks) {
      if (bank->patches.empty())
        mEmptyCategoryBanks.push_back(bank);
      else
        categoryBanks.push_back(bank);
      bool entered = false;
      for (FolderFiles* entry : categoryTree)
        for (SubFolderFiles& sub : entry->subfolders)
          if (sub.name == code) {
            sub.banks.push_back(bank);
            entered = true;
          }
      if (entered) continue;
      FolderFiles* entry = new FolderFiles();
      entry->name = bank->fileName;
      entry->subfolders.push_back(SubFolderFiles{code, {}, {bank}});
      categoryTree.push_back(entry);
    }
  }
}

void PatchLibrarian::createNewSearchPatchFiles(std::string term) {
  deleteBanks(searchBanks);
  // The old banks are gone: no tree entry may keep pointing at them.
  for (FolderFiles* entry : searchTree) entry->banks.clear();
  std::vector<const LibrarianPatch*> collected;
  for (const PatchFile* bank : fileBanks)
    for (const LibrarianPatch& patch : bank->patches)
      if (patch.name.find(term) != std::string::npos) collected.push_back(&patch);
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
