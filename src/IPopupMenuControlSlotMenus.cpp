#include "KIT/IModule/IGraphics.h"
#include "src/EditorServices.h"
#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"

// The slot menu (a right click on the edited bank's column) and the copy
// menu (a right click anywhere else in the slot list).

namespace {

// Root items of the slot menu (indices count the separators).
enum { kPaste = 0, kRename = 2, kInitialize = 5 };

// The category codes' texts, index = code.
const char* const kCategoryTexts[kNumPatchCategories] = {
    "NONE", "ARP", "ATMO", "BASS", "DRUM", "FX",   "KEYS", "LEAD", "MONO", "PAD", "PERC",
    "POLY", "SEQ", "DUB",  "LUSH", "STRG", "PLUK", "WIND", "NOIS", "EXFX", "INIT"};

void runListAction(const std::function<void(int, int)>& action, int x, int y) {
  if (action) action(x, y);
}

}  // namespace

// ==== FileEditPopupMenu ======================================================

FileEditPopupMenu::FileEditPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                     EditorServices* editor)
    : IControl(plug, rect, -1), editor(editor), library(library) {
  AddMenuItemsIn();
}

bool FileEditPopupMenu::Draw(IGraphics* graphics) { return DrawNothing(graphics, mRECT); }

void FileEditPopupMenu::AddMenuItemsIn() {
  IPopupMenu& root = menus[kRoot];
  root.AddItem("Paste", -1, 0);
  root.AddSeparator(-1);
  root.AddItem("Rename", -1, 0);
  for (const char* text : kCategoryTexts) menus[kCategory].AddItem(text, -1, 0);
  root.AddItem("Set Category", &menus[kCategory]);
  root.AddSeparator(-1);
  root.AddItem("Initialize Slot", -1, 0);
  IPopupMenu& getData = menus[kGetData];
  getData.AddItem("Plug-in (active patch)", -1, 0);
  getData.AddSeparator(-1);
  getData.AddItem("Hardware Edit Buffer", -1, 0);
  getData.AddItem("Hardware by Prog No.", -1, 0);
  root.AddItem("Get DATA from..", &getData);
  root.AddSeparator(-1);
  menus[kImport].AddItem("Varno 1 Single Patch", -1, 0);
  menus[kImport].AddItem("Varno 2 Single Patch", -1, 0);
  root.AddItem("Import..", &menus[kImport]);
}

void FileEditPopupMenu::OnMouseDown(int x, int y, IMouseMod*) {
  doPopupMenu(editor, x, y);
  SetRedraw();
  SetDirty(true);
}

int FileEditPopupMenu::doPopupMenu(EditorServices*, int x, int y) {
  IGraphics* gui = editor ? editor->GetGUI() : nullptr;
  IRECT area = mRECT;
  IPopupMenu* chosen = gui ? gui->CreateIPopupMenu(&menus[kRoot], &area) : nullptr;
  int result = 0;
  for (int m = 0; chosen && m < kNumMenus; ++m)
    if (chosen == &menus[m]) {
      runItem(m, chosen->GetChosenItemIdx(), x, y);
      result = 1;
    }
  for (IPopupMenu& menu : menus) menu.CheckItemAlone(-1);
  return result;
}

void FileEditPopupMenu::runItem(int menu, int index, int x, int y) {
  if (!editor) return;
  MIDIMessageManager* manager = editor->midiManager.get();
  switch (menu) {
    case kRoot:
      if (index == kPaste) runListAction(editor->librarianListActions.pasteSlot, x, y);
      if (index == kRename) runListAction(editor->librarianListActions.renameSlot, x, y);
      if (index == kInitialize && manager) {
        // The initial sound into the selected slot, after a job that runs.
        SenderJob job;
        job.jobCode = kJobInitClassicPatch;
        job.initOnRequest = false;
        manager->postOrWait(job);
      }
      break;
    case kCategory:
      if (index >= 0 && index < kNumPatchCategories) editor->SetCategoryForLibrarianPatch(index);
      break;
    case kGetData:
      if (index == 0 && manager) {
        // The editor's sound into the selected slot.
        SenderJob job;
        job.jobCode = kJobSendArrangement;
        job.storeToLibrarian = true;
        manager->postOrWait(job);
      }
      if ((index == 2 || index == 3) && manager)
        manager->sendSinglePatchRequestSysexFromLibrarian(index == 2);
      break;
    case kImport:
      if (index == 0 || index == 1) editor->ImportSingleVarnoPatches(index == 0);
      break;
    default:
      break;
  }
}

// ==== FileCopyPopupMenu ======================================================

FileCopyPopupMenu::FileCopyPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                     EditorServices* editor)
    : IControl(plug, rect, -1), editor(editor), library(library) {
  root.AddItem("Copy", -1, 0);
}

bool FileCopyPopupMenu::Draw(IGraphics* graphics) { return DrawNothing(graphics, mRECT); }

void FileCopyPopupMenu::OnMouseDown(int x, int y, IMouseMod*) {
  doPopupMenu(editor, x, y);
  SetRedraw();
  SetDirty(true);
}

int FileCopyPopupMenu::doPopupMenu(EditorServices*, int x, int y) {
  IGraphics* gui = editor ? editor->GetGUI() : nullptr;
  IRECT area = mRECT;
  IPopupMenu* chosen = gui ? gui->CreateIPopupMenu(&root, &area) : nullptr;
  const bool copy = chosen == &root && root.GetChosenItemIdx() == 0;
  if (copy && editor) runListAction(editor->librarianListActions.copySlot, x, y);
  root.CheckItemAlone(-1);
  return copy ? 1 : 0;
}
