#include <new>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/FolderFiles.h"
#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"
#include "src/PatchLibrarian.h"

// The frame the five bank menus share (click path, pick step, rebuild and
// re-check) and the folder tree of the file banks.

namespace {

// Banks lying directly in the library folder carry this folder name, and the
// menus that list them are listed under it.
const char* const kLibraryFolderName = "Patches";

const std::vector<PatchFile*> kNoBanks;

}  // namespace

void EmptyPopupMenu(IPopupMenu* menu) {
  if (!menu || menu->GetNItems() == 0) return;
  menu->~IPopupMenu();
  new (menu) IPopupMenu();
}

bool DrawNothing(IGraphics* graphics, IRECT rect) {
  if (!graphics) return false;
  return graphics->FillIRect(&COLOR_TRANSPARENT, &rect, nullptr);
}

BankMenuControl::BankMenuControl(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                 EditorServices* editor, BankMenuKind kind)
    : IControl(plug, rect, -1), library(library), editor(editor), mKind(kind) {
  // The upper bank menu starts from the upper pair, the others from the lower.
  const bool upperPair = kind == BankMenuKind::kUpperFiles;
  const std::string bankName = !editor ? "" : upperPair ? editor->upperFirstName : editor->lowerFirstName;
  const std::string folderName = !editor ? "" : upperPair ? editor->upperBankName : editor->lowerBankName;
  refreshFolderStructure(library, editor, 0, bankName, folderName);
}

LeftPatchPopupMenu::LeftPatchPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                       EditorServices* editor)
    : BankMenuControl(plug, library, rect, editor, BankMenuKind::kUpperFiles) {}

RightPatchPopupMenu::RightPatchPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                         EditorServices* editor)
    : BankMenuControl(plug, library, rect, editor, BankMenuKind::kLowerFiles) {}

bool BankMenuControl::Draw(IGraphics* graphics) { return DrawNothing(graphics, mRECT); }

const std::vector<PatchFile*>& BankMenuControl::Banks() const {
  if (!library) return kNoBanks;
  switch (mKind) {
    case BankMenuKind::kCategories:
      return library->categoryBanks;
    case BankMenuKind::kSearch:
      return library->searchBanks;
    default:
      return library->fileBanks;
  }
}

void BankMenuControl::WriteSelection(int index) {
  if (!editor) return;
  const int list = Upper() ? kPatchSelectionListUpper : kPatchSelectionListLower;
  if (IParam* param = editor->GetParam(list)) {
    double value = index;
    if (value < param->GetMin()) value = param->GetMin();
    if (value > param->GetMax()) value = param->GetMax();
    param->Set(value);
    // The bank name display shows the list's entry: it takes the value as
    // its controls hold it, normalised to the list's range.
    if (IGraphics* gui = editor->GetGUI())
      gui->SetParameterFromPlug(list, value, false);
    else if (IControl* display = Upper() ? editor->bankListUpperControl : editor->bankListLowerControl)
      display->SetValueFromPlug(param->GetNormalized(value));
  }
  if (library) (Upper() ? library->upperBankIndex : library->lowerBankIndex) = index;
}

bool BankMenuControl::refreshFolderStructure(PatchLibrarian*, EditorServices*, int position,
                                             std::string bankName, std::string folderName) {
  mTree.Restart(position, bankName, folderName);
  switch (mKind) {
    case BankMenuKind::kCategories:
      BuildCategoryTree();
      break;
    case BankMenuKind::kSearch:
      BuildSearchTree();
      break;
    default:
      BuildFolderTree();
      break;
  }
  // Every bank named by the pair is selected in turn: the last one stays.
  const std::vector<PatchFile*>& banks = Banks();
  for (size_t j = 0; j < banks.size(); ++j) {
    const PatchFile* bank = banks[j];
    if (!bank || bank->folderName != folderName || bank->fileName != bankName) continue;
    WriteSelection(static_cast<int>(j));
    checkMenuItemAlone(library, editor, static_cast<int>(j));
  }
  return true;
}

void BankMenuControl::checkMenuItemAlone(PatchLibrarian*, EditorServices*, int bankIndex) {
  const std::vector<PatchFile*>& banks = Banks();
  if (bankIndex < 0 || static_cast<size_t>(bankIndex) >= banks.size()) return;
  mTree.CheckBank(banks[static_cast<size_t>(bankIndex)]);
}

int BankMenuControl::doPopupMenu(EditorServices* caller, int& chosenSelection) {
  EditorServices* plug = editor ? editor : caller;
  IGraphics* gui = plug ? plug->GetGUI() : nullptr;
  IRECT area = mRECT;
  IPopupMenu* chosen = gui && mTree.Root() ? gui->CreateIPopupMenu(mTree.Root(), &area) : nullptr;
  if (!chosen || !plug) return 0;
  std::string* bankName = Upper() ? &plug->upperFirstName : &plug->lowerFirstName;
  std::string* folderName = Upper() ? &plug->upperBankName : &plug->lowerBankName;
  const int found = mTree.Pick(chosen, Banks(), bankName, folderName);
  if (found >= 0) chosenSelection = found;
  return chosenSelection;
}

// A dismissed menu still writes the unchanged bank back and reloads its column.
void BankMenuControl::OnMouseDown(int, int, IMouseMod*) {
  if (!library || !editor) return;
  const bool upper = Upper();
  selection = upper ? library->upperBankIndex : library->lowerBankIndex;
  doPopupMenu(editor, selection);
  WriteSelection(selection);
  editor->updatePatchLibrarianView(upper ? 0 : 1);
  SetRedraw();
  SetDirty(true);
}

// The root holds a submenu per subfolder of every folder that has
// subfolders, and the banks of every folder that has none; a subfolder's
// menu holds its sub-subfolders' menus first, then its own banks.
void BankMenuControl::BuildFolderTree() {
  if (!library) {
    mTree.List(mTree.Root(), kLibraryFolderName);
    return;
  }
  IPopupMenu* root = mTree.Root();
  for (const FolderFiles* record : library->fileTree) {
    if (!record) continue;
    if (record->subfolders.empty()) {
      for (const PatchFile* bank : record->banks)
        if (bank) mTree.AddBank(root, bank, kLibraryFolderName);
      continue;
    }
    for (const SubFolderFiles& sub : record->subfolders) {
      IPopupMenu* second = mTree.NewMenu();
      for (const SubFolderFiles2& subsub : sub.subfolders) {
        IPopupMenu* third = mTree.NewMenu();
        for (const PatchFile* bank : subsub.banks)
          if (bank) mTree.AddBank(third, bank, bank->folderName);
        second->AddItem(subsub.name.c_str(), third);
        mTree.List(third, subsub.name);
      }
      for (const PatchFile* bank : sub.banks)
        if (bank) mTree.AddBank(second, bank, bank->folderName);
      root->AddItem(sub.name.c_str(), second);
      mTree.List(second, sub.name);
    }
  }
  mTree.List(root, kLibraryFolderName);
}
