#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IParam.h"
#include "src/IPopupMenuControl.h"
#include "src/IPopupMenuProgSelector.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"

// The bank lists: the display texts of the four bank-list parameters name
// the banks of the upper list (the file banks) and of the lower list's
// source (file, category or search-result banks), one entry per bank.

namespace {

constexpr size_t kShortenFrom = 53;  // names this long or longer are shortened
constexpr size_t kKeptPrefix = 47;
constexpr size_t kEntryLimit = 55;  // a display text holds 55 characters and its end

std::string lowerCased(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Shortens names for one run over a bank list: equal beginnings are told
// apart by a counter.
class BankNameShortener {
 public:
  // The name as an entry shows it; *shortened tells whether it was changed.
  std::string operator()(const std::string& name, bool* shortened) {
    *shortened = name.size() >= kShortenFrom;
    if (!*shortened) return name;
    const std::string prefix = name.substr(0, kKeptPrefix);
    mCounter = prefix == mLastPrefix ? mCounter + 1 : 1;
    mLastPrefix = prefix;
    const size_t dot = name.rfind('.');
    const std::string tail = lowerCased(dot == std::string::npos ? name : name.substr(dot + 1));
    std::string text = prefix + "~" + std::to_string(mCounter) + ".";
    // The tail is cut so that the entry fits whatever the name's shape.
    text += tail.substr(0, text.size() < kEntryLimit ? kEntryLimit - text.size() : 0);
    return text;
  }

 private:
  std::string mLastPrefix;
  int mCounter = 0;
};

void clearList(IParam* param) {
  if (!param) return;
  param->ResetDisplayTexts();
  param->Set(0.0);
}

void setText(IParam* param, int i, const std::string& text) {
  if (param) param->SetDisplayText(i, text.c_str());
}

}  // namespace

void VivivI::patchTypeChanged(int, int type, bool reload) {
  if (!patchLibrarian) return;
  if (reload) patchLibrarian->initBankFilesOnDiscard(getPatchesFolderStr());
  patchLibrarian->upperBankIndex = 0;
  patchLibrarian->lowerBankIndex = 0;
  updatePatchLibrarianView(2);

  const std::vector<PatchFile*>* banks = type == 0   ? &patchLibrarian->fileBanks
                                         : type == 1 ? &patchLibrarian->categoryBanks
                                         : type == 4 ? &patchLibrarian->searchBanks
                                                     : nullptr;
  if (!banks) return;
  const bool files = type == 0;
  if (files) clearList(GetParam(kCurrentOpenPatchBankL));
  for (int index : {kCurrentOpenPatchBankR, kCurrentOpenPerfBankL, kCurrentOpenPerfBankR})
    clearList(GetParam(index));

  BankNameShortener shorten;
  for (size_t i = 0; i < banks->size(); ++i) {
    const std::string& name = (*banks)[i]->fileName;
    bool shortened = false;
    const std::string text = shorten(name, &shortened);
    const int entry = static_cast<int>(i);
    if (files) setText(GetParam(kPatchSelectionListUpper), entry, text);
    setText(GetParam(kPatchSelectionListLower), entry, text);
    if (files) setText(GetParam(kCurrentOpenPatchBankL), entry, text);
    setText(GetParam(kCurrentOpenPatchBankR), entry, text);
    if (shortened)
      log("PATCH LIBRARIAN: Filename " + name + " RENAMED TO " + text +
          " Because the filename was too long to fit in plug-in display!");
  }
  refreshPopUpMenus();
}

void VivivI::ResetPatchSelectionMenus() {
  if (!patchLibrarian) return;
  BankNameShortener shorten;
  for (size_t i = 0; i < patchLibrarian->fileBanks.size(); ++i) {
    const std::string& name = patchLibrarian->fileBanks[i]->fileName;
    bool shortened = false;
    const std::string text = shorten(name, &shortened);
    const int entry = static_cast<int>(i);
    for (int index :
         {kPatchSelectionListUpper, kPatchSelectionListLower, kCurrentOpenPatchBankL, kCurrentOpenPatchBankR})
      setText(GetParam(index), entry, text);
    if (shortened)
      log("PATCH LIBRARIAN: Filename " + name + " RENAMED TO " + text +
          " Because the filename was too long to fit in plug-in display!");
  }
  setLibrarianViewDirty();
  updatePatchLibrarianView(2);
}

void VivivI::refreshPopUpMenus() {
  // The bank menus of both lists, each selecting its bank by the list's
  // pair, and the bank-name menu with no pair (it marks its first bank).
  if (auto* upper = static_cast<LeftPatchPopupMenu*>(librarianMenus[kMenuLeftPatch]))
    upper->refreshFolderStructure(patchLibrarian.get(), this, 0, upperFirstName, upperBankName);
  const ELibrarianMenu lower = flags.lowerShowsCategories ? kMenuRightCategory
                               : flags.lowerShowsSearch   ? kMenuRightSearch
                                                          : kMenuRightPatch;
  if (auto* menu = static_cast<BankMenuControl*>(librarianMenus[lower]))
    menu->refreshFolderStructure(patchLibrarian.get(), this, 0, lowerFirstName, lowerBankName);
  if (auto* names = static_cast<ProgBankNamePopupMenu*>(librarianMenus[kMenuProgBankName]))
    names->refreshPatchNames(patchLibrarian.get(), this, 0, "", "");
  setLibrarianViewDirty();
  updatePatchLibrarianView(2);
}

void VivivI::updateBankAndProgramMenuNames(bool keepBankMenu) {
  hideLayer(librarianMenuLayers[kMenuBankNumber], true);
  hideLayer(librarianMenuLayers[kMenuProgBankName], true);
  // The program menu serves both modes (program numbers or the edited
  // bank's names), over the header's program field on every page.
  hideLayer(librarianMenuLayers[kMenuProgramNumber], false);
  const IParam* current = GetParam(kCurrentPatch);
  const int program = current ? current->Int() : 0;
  const IParam* bankParam = GetParam(kCurrentBank);
  const int bank = bankParam ? bankParam->Int() : 0;
  auto* programs = static_cast<ProgramNumberPopupMenu*>(librarianMenus[kMenuProgramNumber]);
  auto* banks = static_cast<BankNumberPopupMenu*>(librarianMenus[kMenuBankNumber]);
  if (flags.librarianMode) {
    hideLayer(librarianMenuLayers[kMenuProgBankName], false);
    if (patchLibrarian) patchLibrarian->selectedUpperSlot = program;
    selectLibrarianViewRow(program);
    if (programs) programs->refreshPatchNames(patchLibrarian.get(), this, program);
    if (banks && !keepBankMenu) banks->refreshPatchNames(patchLibrarian.get(), this, bank);
  } else {
    if (programs) programs->refreshPatchNames(patchLibrarian.get(), this, program);
    if (banks) banks->refreshPatchNames(patchLibrarian.get(), this, bank);
    hideLayer(librarianMenuLayers[kMenuBankNumber], false);
  }
}
