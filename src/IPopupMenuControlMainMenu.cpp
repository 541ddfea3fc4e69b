#include <string>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "src/EditorServices.h"
#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/PatchLibrarian.h"

// The librarian's main menu.

namespace {

// Root items (indices count the separators).
enum {
  kRootRequest = 0,
  kRootStore = 2,
  kRootSync = 4,
  kRootPush = 5,
  kRootSave = 7,
  kRootSaveAs = 8,
  kRootImport = 10,
  kRootRefresh = 11,
  kRootHelp = 12,
  kRootAbout = 14
};

// The edited bank (the upper list's file bank), or null.
PatchFile* editedBank(PatchLibrarian* library) {
  if (!library || library->upperBankIndex < 0 ||
      static_cast<size_t>(library->upperBankIndex) >= library->fileBanks.size())
    return nullptr;
  return library->fileBanks[static_cast<size_t>(library->upperBankIndex)];
}

// The bank's file name with the extension of the format it is saved in.
std::string nameWithExtension(const std::string& fileName, bool smf) {
  const size_t dot = fileName.rfind('.');
  return (dot == std::string::npos ? fileName : fileName.substr(0, dot)) + (smf ? ".mid" : ".vrn");
}

}  // namespace

BankEditPopupMenu::BankEditPopupMenu(IModuleBase* plug, PatchLibrarian* library, IRECT rect,
                                     EditorServices* editor)
    : IControl(plug, rect, -1), editor(editor), library(library) {
  AddMenuItemsIn(editor);
}

bool BankEditPopupMenu::Draw(IGraphics* graphics) { return DrawNothing(graphics, mRECT); }

void BankEditPopupMenu::AddMenuItemsIn(EditorServices*) {
  for (IPopupMenu& menu : menus) EmptyPopupMenu(&menu);
  IPopupMenu& root = menus[kRoot];
  IPopupMenu& request = menus[kRequest];
  request.AddItem("from Active Slot to Plug-in GUI", -1, 0);
  request.AddItem("from Active Slot to Librarian", -1, 0);
  request.AddItem("from Selected Program Slot", -1, 0);
  request.AddSeparator(-1);
  request.AddItem("First 40 from Memory", -1, 0);
  request.AddItem("All Patches from Memory", -1, 0);
  root.AddItem("Request Patch Data", &request);
  root.AddSeparator(-1);
  IPopupMenu& store = menus[kStore];
  store.AddItem("To Currently Selected Slot", -1, 0);
  store.AddSeparator(-1);
  store.AddItem("All Current Patches to Hardware", -1, 0);
  root.AddItem("Store Patch Data", &store);
  root.AddSeparator(-1);
  root.AddItem("Sync Current Data from HW", -1, 0);
  root.AddItem("Push Current Multi to HW", -1, 0);
  root.AddSeparator(-1);
  root.AddItem("Save (Overwrite current bank)", -1, 0);
  IPopupMenu& saveAs = menus[kSaveAs];
  saveAs.AddItem("Standard MIDI (*.mid)", -1, 0);
  saveAs.AddItem("VivivI Format (*.vrn)", -1, 0);
  root.AddItem("Save As...", &saveAs);
  root.AddSeparator(-1);
  IPopupMenu& import = menus[kImport];
  import.AddItem("Standard MIDI (*.mid)", -1, 0);
  import.AddItem("SysEx (*.syx / *.vrn)", -1, 0);
  root.AddItem("Import...", &import);
  root.AddItem("Refresh Folders", -1, 0);
  IPopupMenu& help = menus[kHelp];
  help.AddItem("Open Data Folder", -1, 0);
  help.AddItem("Open User Manual", 1, IPopupMenuItem::kDisabled);
  help.AddItem("Open Support Ticket", -1, 0);
  help.AddItem("Check for Updates", -1, 0);
  help.AddItem("DAW Setup Guides", -1, 0);
  root.AddItem("Other Helpful things...", &help);
  root.AddSeparator(-1);
  root.AddItem("About this Plug-in...", -1, 0);
}

void BankEditPopupMenu::OnMouseDown(int, int, IMouseMod*) {
  doPopupMenu(editor);
  SetRedraw();
  SetDirty(true);
}

void BankEditPopupMenu::doPopupMenu(EditorServices*) {
  IGraphics* gui = editor ? editor->GetGUI() : nullptr;
  IRECT area = mRECT;
  IPopupMenu* chosen = gui ? gui->CreateIPopupMenu(&menus[kRoot], &area) : nullptr;
  for (int m = 0; chosen && m < kNumMenus; ++m)
    if (chosen == &menus[m]) runItem(m, chosen->GetChosenItemIdx());
  for (IPopupMenu& menu : menus) menu.CheckItemAlone(-1);
}

void BankEditPopupMenu::runItem(int menu, int index) {
  if (!editor) return;
  MIDIMessageManager* manager = editor->midiManager.get();
  // A request chosen while the data thread runs an earlier job follows it.
  auto requestCurrentSound = [manager] {
    if (!manager) return;
    SenderJob job;
    job.jobCode = kJobActiveArrangementRequest;
    job.requestEnabled = true;
    manager->postOrWait(job);  // sets the sound-dump flag when it starts
  };
  auto refreshFolders = [this] { editor->OnParamChange(kRefreshFolders); };

  switch (menu) {
    case kRoot:
      switch (index) {
        case kRootSync:
          requestCurrentSound();
          break;
        case kRootPush: {
          if (!editor->flags.midiOutputOpen || !manager) break;
          // Incoming MIDI is held off and the globals go with the sound; a
          // job that was not posted must leave neither behind.
          const bool hold = editor->flags.transferHold, globals = editor->flags.sendGlobalsWithSound,
                     sent = editor->flags.suppressGlobalsDump;
          editor->flags.transferHold = true;
          editor->flags.sendGlobalsWithSound = true;
          editor->flags.suppressGlobalsDump = true;
          SenderJob job;
          job.jobCode = kJobSendArrangement;
          job.storeToLibrarian = false;
          // Held incoming MIDI would starve a running job of its answer: the
          // push never waits, and the user is told.
          if (!manager->postJob(job)) {
            editor->flags.transferHold = hold;
            editor->flags.sendGlobalsWithSound = globals;
            editor->flags.suppressGlobalsDump = sent;
            manager->reportBusy(job);
          }
          break;
        }
        case kRootSave:
          if (!editor->editedBankReady()) break;
          if (const PatchFile* bank = editedBank(library))
            library->saveEditedPatch(bank->folderPath + "/" + bank->fileName, bank->fileName);
          break;
        case kRootRefresh:
          refreshFolders();
          break;
        case kRootAbout:
          EditorServices::hideLayer(editor->aboutWindowLayer, false);
          break;
        default:
          break;
      }
      break;
    case kRequest:
      switch (index) {
        case 0:
          requestCurrentSound();
          break;
        case 1:
        case 2:
          // Received patches land in the edited bank: without one they would be lost.
          if (manager && editor->editedBankReady())
            manager->sendSinglePatchRequestSysexFromLibrarian(index == 1);
          break;
        case 4:
        case 5:
          if (manager && editor->editedBankReady())
            manager->sendAllPatchRequestSysexFromLibrarian(index == 4 ? 40 : 99);
          break;
        default:
          break;
      }
      break;
    case kStore:
      if ((index == 0 || index == 2) && !editor->editedBankReady()) break;
      if (index == 0) editor->SendSingleProgramFromLibrarian(false);
      if (index == 2) editor->SendAllProgramsFromLibrarian();
      break;
    case kSaveAs:
      if (index == 0 || index == 1) {
        const PatchFile* bank = editor->editedBankReady() ? editedBank(library) : nullptr;
        if (!bank) break;
        const bool smf = index == 0;
        // The saved file joins the menus.
        if (library->savePatchAs(nameWithExtension(bank->fileName, smf).c_str(), bank->folderPath, smf))
          refreshFolders();
      }
      break;
    case kImport:
      if (index == 0 || index == 1) {
        editor->saveImportedFile(index == 0);
        refreshFolders();  // also after a cancelled dialog
      }
      break;
    case kHelp:
      if (index == 0 || index == 1) editor->OpenDataDirectory(index == 1);
      if (index >= 2 && index <= 4) editor->OpenHelpTopics(index - 2);
      break;
    default:
      break;
  }
}
