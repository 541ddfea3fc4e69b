#include <string>
#include <vector>

#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"

// The listed menus of a bank menu, their check marks and the pick step.

void BankMenuTree::Restart(int position, const std::string& bankName, const std::string& folderName) {
  mListed.clear();
  mOwned.clear();  // every menu, the previous root among them, with its items
  mRoot = NewMenu();
  mFound = false;
  mTarget = position;
  mBankItems = 0;
  mBankName = bankName;
  mFolderName = folderName;
}

IPopupMenu* BankMenuTree::NewMenu() {
  mOwned.push_back(std::make_unique<IPopupMenu>());
  return mOwned.back().get();
}

void BankMenuTree::List(IPopupMenu* menu, const std::string& folderName) {
  mListed.push_back({menu, folderName, true});
}

void BankMenuTree::ListWithoutFolder(IPopupMenu* menu) { mListed.push_back({menu, std::string(), false}); }

// The fallback position counts bank items in fill order over all menus, so
// that position p marks the (p + 1)-th bank item wherever it lies.
void BankMenuTree::AddBank(IPopupMenu* menu, const PatchFile* bank, const std::string& comparedFolder) {
  const int position = mBankItems++;
  menu->AddItem(bank->fileName.c_str(), -1, IPopupMenuItem::kNoFlags);
  if (mFound) return;
  const bool named = comparedFolder == mFolderName && bank->fileName == mBankName;
  if (named || position == mTarget) {
    menu->CheckItemAlone(menu->GetNItems() - 1);
    mFound = true;
  }
}

void BankMenuTree::CheckBank(const PatchFile* bank) {
  bool marked = false;
  for (const Listed& entry : mListed) {
    entry.menu->CheckItemAlone(-1);
    if (marked || !bank || !entry.hasFolder || entry.folder != bank->folderName) continue;
    for (int i = 0; i < entry.menu->GetNItems(); ++i) {
      const IPopupMenuItem* item = entry.menu->GetItem(i);
      // A submenu's opener is no bank, whatever its label.
      if (item->GetSubmenu() || bank->fileName != item->GetText()) continue;
      entry.menu->CheckItemAlone(i);
      marked = true;
      break;
    }
  }
}

int BankMenuTree::Pick(IPopupMenu* chosen, const std::vector<PatchFile*>& banks, std::string* bankName,
                       std::string* folderName) {
  if (!chosen) return -1;
  const int index = chosen->GetChosenItemIdx();
  int found = -1;
  bool matching = true;
  for (const Listed& entry : mListed) {
    entry.menu->CheckItemAlone(-1);
    if (!matching || entry.menu != chosen || index < 0 || index >= chosen->GetNItems()) continue;
    matching = false;
    chosen->CheckItemAlone(index);
    if (!entry.hasFolder) continue;
    const std::string text = chosen->GetItemText(index);
    for (size_t j = 0; j < banks.size(); ++j) {
      if (banks[j] && banks[j]->folderName == entry.folder && banks[j]->fileName == text) {
        found = static_cast<int>(j);
        break;
      }
    }
    // The pair names the bank only when one was found: a stale item leaves
    // the editor's pair on the bank it still shows.
    if (found >= 0) {
      *bankName = text;
      *folderName = entry.folder;
    }
  }
  return found;
}
