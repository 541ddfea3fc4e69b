#include "src/IPopupMenuProgSelector.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/Truncate.h"
#include "src/EditorServices.h"
#include "src/LibrarianPatch.h"
#include "src/LibrarianViewControl.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"

namespace {

constexpr int kPrograms = 99;
constexpr int kPerSubmenu = 10;
const char* const kRootTexts[ProgramNumberPopupMenu::kSubmenus] = {
    "01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-70", "71-80", "81-90", "91-99"};

int parameterInt(const EditorServices* editor, int index) {
  const IParam* param = editor ? editor->GetParam(index) : nullptr;
  return param ? TruncateToInt(param->Value()) : 0;
}

void setFromPlug(EditorServices* editor, int index, double value) {
  if (IGraphics* gui = editor ? editor->GetGUI() : nullptr) gui->SetParameterFromPlug(index, value, false);
}

}  // namespace

// ==== ProgBankNamePopupMenu ==================================================

ProgBankNamePopupMenu::ProgBankNamePopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                             EditorServices* editor)
    : BankMenuControl(plug, library, rect, editor, BankMenuKind::kProgramBankName) {}

bool ProgBankNamePopupMenu::refreshPatchNames(PatchLibrarian* lib, EditorServices* ed, int position,
                                              std::string bankName, std::string folderName) {
  return refreshFolderStructure(lib, ed, position, bankName, folderName);
}

void ProgBankNamePopupMenu::OnMouseDown(int, int, IMouseMod*) {
  if (!library || !editor) return;
  selection = library->upperBankIndex;
  doPopupMenu(editor, selection);
  WriteSelection(selection);
  setFromPlug(editor, kCurrentBank, selection);
  const IParam* showLibrarian = editor->GetParam(kShowLibrarian);
  if (showLibrarian && showLibrarian->Value() == 1.0) editor->updatePatchLibrarianView(0);
  editor->updateBankAndProgramMenuNames(true);
  // The slot the list shows selected is the one sent, and the library's
  // selected slot follows it.
  const int row = editor->librarianView ? editor->librarianView->selectedUpperRow.load()
                                        : library->selectedUpperSlot.load();
  library->selectedUpperSlot = row;
  editor->sendPatchToDeviceFromLibrarian(row, 0);
  SetRedraw();
  SetDirty(true);
}

// ==== ProgramNumberPopupMenu =================================================

ProgramNumberPopupMenu::ProgramNumberPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                               EditorServices* editor)
    : IControl(plug, rect, -1), editor(editor), library(library) {
  refreshPatchNames(library, editor, selection);
}

bool ProgramNumberPopupMenu::Draw(IGraphics* graphics) { return DrawNothing(graphics, mRECT); }

std::string ProgramNumberPopupMenu::itemText(const PatchFile* bank, int program) {
  if (bank && program >= 0 && static_cast<size_t>(program) < bank->patches.size() &&
      !bank->patches[static_cast<size_t>(program)].name.empty())
    return bank->patches[static_cast<size_t>(program)].name;
  char text[24];
  std::snprintf(text, sizeof text, "Program %02d", program + 1);
  return text;
}

// A missing bank, or a slot past the end of a short one, is shown by its
// program number.
void ProgramNumberPopupMenu::refreshPatchNames(PatchLibrarian*, EditorServices*, int program) {
  for (IPopupMenu& menu : menus) EmptyPopupMenu(&menu);
  const PatchFile* bank = nullptr;
  if (editor && library && editor->flags.librarianMode) {
    const int index = parameterInt(editor, kPatchSelectionListUpper);
    if (index >= 0 && static_cast<size_t>(index) < library->fileBanks.size())
      bank = library->fileBanks[static_cast<size_t>(index)];
  }
  for (int p = 0; p < kPrograms; ++p)
    menus[1 + p / kPerSubmenu].AddItem(itemText(bank, p).c_str(), -1, IPopupMenuItem::kNoFlags);
  for (int k = 0; k < kSubmenus; ++k) menus[0].AddItem(kRootTexts[k], &menus[1 + k]);
  if (program >= 0 && program < kPrograms)
    menus[1 + program / kPerSubmenu].CheckItemAlone(program % kPerSubmenu);
}

void ProgramNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu(editor, selection);
  SetRedraw();
  SetDirty(true);
}

int ProgramNumberPopupMenu::doPopupMenu(EditorServices*, int& chosenIndex) {
  IGraphics* gui = editor ? editor->GetGUI() : nullptr;
  IRECT area = mRECT;
  IPopupMenu* chosen = gui ? gui->CreateIPopupMenu(&menus[0], &area) : nullptr;
  if (!chosen) return 0;
  for (IPopupMenu& menu : menus) menu.CheckItemAlone(-1);
  int submenu = -1;
  for (int k = 0; k < kSubmenus; ++k)
    if (chosen == &menus[1 + k]) submenu = k;
  const int index = chosen->GetChosenItemIdx();
  if (submenu < 0 || index < 0 || index >= chosen->GetNItems()) return 0;
  const int program = kPerSubmenu * submenu + index;

  if (editor->flags.librarianMode) {
    editor->setLibrarianViewRow(0, program);
    if (library) library->selectedUpperSlot = program;
    editor->sendPatchToDeviceFromLibrarian(program, 0);
  } else {
    editor->setParameterNoHandler(kCurrentPatch, program);
    editor->BankChangeMessage();
    // Its sound is requested into the editor, after a job that runs.
    if (editor->midiManager) editor->midiManager->postPartRequest(program, true);
  }
  editor->setParameterNoHandler(kCurrentPatch, program);
  chosenIndex = index;
  chosen->CheckItemAlone(index);
  return index;
}

// ==== BankNumberPopupMenu ====================================================

BankNumberPopupMenu::BankNumberPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                         EditorServices* editor)
    : IControl(plug, rect, -1), editor(editor), library(library) {
  refreshPatchNames(library, editor, selection);
}

bool BankNumberPopupMenu::Draw(IGraphics* graphics) { return DrawNothing(graphics, mRECT); }

void BankNumberPopupMenu::refreshPatchNames(PatchLibrarian*, EditorServices*, int bank) {
  EmptyPopupMenu(&menu);
  menu.AddItem("Bank P (RAM)", -1, IPopupMenuItem::kNoFlags);
  menu.CheckItemAlone(std::min(bank, menu.GetNItems()));
}

void BankNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  if (!editor) return;
  selection = parameterInt(editor, kCurrentBank);
  doPopupMenu(editor, selection);
  setFromPlug(editor, kCurrentBank, selection);
  SetRedraw();
  SetDirty(true);
}

int BankNumberPopupMenu::doPopupMenu(EditorServices*, int& chosenBank) {
  IGraphics* gui = editor ? editor->GetGUI() : nullptr;
  IRECT area = mRECT;
  IPopupMenu* chosen = gui ? gui->CreateIPopupMenu(&menu, &area) : nullptr;
  if (chosen) menu.CheckItemAlone(-1);
  if (chosen != &menu) return 0;
  chosenBank = chosen->GetChosenItemIdx();
  setFromPlug(editor, kCurrentBank, chosenBank);
  editor->BankChangeMessage();
  if (editor->midiManager) editor->midiManager->postPartRequest(parameterInt(editor, kCurrentPatch), true);
  editor->setParameterNoHandler(kCurrentBank, chosenBank);
  menu.CheckItemAlone(chosenBank);
  return chosenBank;
}
