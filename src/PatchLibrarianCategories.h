// The category banks built from the file banks: each file bank is taken in
// turn (a load hands over each bank as soon as it is read, while its
// records are fresh), and the banks are placed into the library's lists and
// tree once every file bank is in.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "src/LibrarianPatch.h"

struct FolderFiles;

class CategoryBankBuilder {
 public:
  CategoryBankBuilder();
  // Deletes the banks built and not yet placed.
  ~CategoryBankBuilder();
  CategoryBankBuilder(const CategoryBankBuilder&) = delete;
  CategoryBankBuilder& operator=(const CategoryBankBuilder&) = delete;

  // Takes the banks of fileBanks not taken yet (those past the count taken
  // so far), in list order.
  void takeNew(const std::vector<PatchFile*>& fileBanks);
  // Places every bank built: non-empty ones into shown, empty ones into
  // empty, each into the tree. The builder is empty afterwards.
  void place(std::vector<PatchFile*>* shown, std::vector<PatchFile*>* empty, std::vector<FolderFiles*>* tree);
  // Deletes the banks built and forgets the banks taken.
  void clear();

  static constexpr int kCategoryBankCodes = 20;  // "INIT" (20) gets no category banks

 private:
  void take(const PatchFile& file);
  PatchFile* addBank(int c);
  PatchFile* bankOf(int c);

  std::string m_codes[kNumPatchCategories];
  struct Category {
    std::vector<PatchFile*> banks;
    size_t count = 0;  // patches of the category so far
    // The bank that takes the category's next patches, the slots left in
    // it, and the file bank whose stores it keeps last, or the one store
    // it keeps last (the file banks of one load share theirs).
    PatchFile* current = nullptr;
    size_t slotsLeft = 0;
    const PatchList* keptList = nullptr;
    const PatchStore* keptStore = nullptr;
  } m_categories[kCategoryBankCodes];
  size_t m_taken = 0;  // file banks taken so far
};
