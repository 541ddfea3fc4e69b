#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/mutex.h"
#include "src/ControlAction.h"
#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/PatchManager.h"
#include "src/VivivI.h"

// ==== The change handlers ====================================================

namespace {

// Programs of the synthesizer's memory, 0 to 98.
constexpr int kLastProgram = 98;
// Length of a patch name in the librarian's record.
constexpr size_t kPatchNameLength = 14;
// Bytes of a sound dump that open the librarian's record.
constexpr size_t kSoundDumpBytes = 76;

double paramValue(const VivivI& plug, int index) {
  const IParam* param = plug.GetParam(index);
  return param ? param->Value() : 0.0;
}

int paramInt(const VivivI& plug, int index) { return static_cast<int>(paramValue(plug, index)); }

std::string displayTextOf(const VivivI& plug, int index, int value) {
  const IParam* param = plug.GetParam(index);
  const char* text = param ? param->GetDisplayText(value) : nullptr;
  return text ? text : "";
}

// Semitone values that sit on a whole octave light the oscillator's octave
// indicator: 0, 12, ... 96.
bool onWholeOctave(int semitone) { return semitone >= 0 && semitone <= 96 && semitone % 12 == 0; }

// The next value of a trigger's target: 0 after last (or anything past it),
// else one more.
int nextInCycle(int current, int last) { return (current >= last || current < 0) ? 0 : current + 1; }

// The device channel: kGlobalMidiChannel less one, channel 0 for 0.
int deviceChannel(const VivivI& plug) {
  const int channel = paramInt(plug, kGlobalMidiChannel);
  return channel > 0 ? channel - 1 : 0;
}

// A click's sound send: it follows a job the data thread is running.
bool postSoundSend(VivivI& plug, bool toLibrarian) {
  if (!plug.midiManager) return false;
  SenderJob job;
  job.jobCode = kJobSendArrangement;
  job.storeToLibrarian = toLibrarian;
  return plug.midiManager->postOrWait(job) != MIDIMessageManager::JobPost::kRefused;
}

void reportSettingsMissing(VivivI& plug) {
  plug.setDisplayText(kControlDisplayName, "VivivI Editor UI.txt MISSING!");
  plug.setDisplayText(kControlDisplayValue, "Contact support");
}

}  // namespace

void VivivI::onGUIThread(std::function<void()> work) {
  if (!work) return;
  if (IGraphics* gui = GetGUI())
    gui->RunOnGUIThread(std::move(work));
  else
    work();
}

void VivivI::switchLayer(ControlLayer* layer, bool hide) {
  if (!layer) return;
  onGUIThread([layer, hide] { hideLayer(layer, hide); });
}

void VivivI::switchLayerGroup(ControlLayer* group, int v) {
  if (!group) return;
  onGUIThread([group, v] {
    group->zoneId = v;
    for (int i = 0; i < group->subLayers.GetSize(); ++i) {
      ControlLayer* child = group->subLayers.Get(i);
      hideLayer(child, child->id != v);
    }
  });
}

void VivivI::showArpTempoRule() {
  const IParam* rule = GetParam(kOverrideTempo);
  const IParam* tempo = GetParam(kArpTempo);
  const ControlAction* action = tempo ? tempo->GetControlAction() : nullptr;
  if (!rule || !action) return;
  const bool hostRules = rule->Value() != 0.0;
  const std::vector<IControl*> knobs = action->controls;
  onGUIThread([knobs, hostRules] {
    for (IControl* knob : knobs)
      if (knob) knob->GrayOut(hostRules);
  });
}

void VivivI::makeIndicatorLamps() {
  for (int index : {kOscillator1OctaveIndicator, kOscillator2OctaveIndicator, kOscillator3OctaveIndicator,
                    kArpSyncIndicator, kMIDILed}) {
    const IParam* param = GetParam(index);
    const ControlAction* action = param ? param->GetControlAction() : nullptr;
    if (!action) continue;
    // An empty target area holds no point: the lamp is never hit.
    for (IControl* lamp : action->controls)
      if (lamp) lamp->SetTargetArea(IRECT());
  }
}

void VivivI::setParameterNoHandler(int index, double value) {
  IParam* param = GetParam(index);
  if (!param) return;
  if (IGraphics* gui = GetGUI()) {
    gui->SetParameterFromPlug(index, value, false);
    return;
  }
  KIT_MutexLock lock(GetMutex());
  param->SetNormalized(param->GetNormalized(value));
}

namespace {

// ---- Bank stepping -------------------------------------------------------------
// The column's bank menu names and marks the bank stepped to: the column's
// pair takes the bank's names, and the menu of the column's source is
// rebuilt with them.
// The banks a column shows: the file banks above; below, the lower list's
// source (category mode first).
const std::vector<PatchFile*>& columnBanks(const VivivI& plug, bool upper) {
  const PatchLibrarian* librarian = plug.patchLibrarian.get();
  return upper                             ? librarian->fileBanks
         : plug.flags.lowerShowsCategories ? librarian->categoryBanks
         : plug.flags.lowerShowsSearch     ? librarian->searchBanks
                                           : librarian->fileBanks;
}

void refreshBankMenu(VivivI& plug, bool upper, int bank) {
  const std::vector<PatchFile*>& banks = columnBanks(plug, upper);
  if (bank < 0 || static_cast<size_t>(bank) >= banks.size() || !banks[static_cast<size_t>(bank)]) return;
  const PatchFile& chosen = *banks[static_cast<size_t>(bank)];
  (upper ? plug.upperFirstName : plug.lowerFirstName) = chosen.fileName;
  (upper ? plug.upperBankName : plug.lowerBankName) = chosen.folderName;
  const ELibrarianMenu menu = upper                             ? kMenuLeftPatch
                              : plug.flags.lowerShowsCategories ? kMenuRightCategory
                              : plug.flags.lowerShowsSearch     ? kMenuRightSearch
                                                                : kMenuRightPatch;
  if (auto* control = static_cast<BankMenuControl*>(plug.librarianMenus[menu]))
    control->refreshFolderStructure(plug.patchLibrarian.get(), &plug, bank, chosen.fileName,
                                    chosen.folderName);
}

// The four bank buttons of the librarian's two lists; v is 1 (pressed).
void stepBank(VivivI& plug, int index) {
  const bool upper = index == kLibUpperNextBank || index == kLibUpperPreviousBank;
  const bool next = index == kLibUpperNextBank || index == kLibLowerNextBank;
  if (upper && paramInt(plug, kBankEditUnsaved) == 1) {
    plug.setDisplayText(kControlDisplayName, "Save bank or Discard changes!");
    return;
  }
  const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
  const IParam* listParam = plug.GetParam(list);
  PatchLibrarian* librarian = plug.patchLibrarian.get();
  if (!listParam || !librarian) return;
  // The list's last entry, and never past the last bank of the list the
  // column shows (its texts keep entries of a longer list shown before).
  const int banks = static_cast<int>(columnBanks(plug, upper).size());
  const int last = std::min(static_cast<int>(listParam->GetMax()), banks - 1);
  if (last < 0) return;  // no bank to step to
  const int current = static_cast<int>(listParam->Value());
  int bank = next ? current + 1 : current - 1;
  if (bank > last) bank = 0;
  if (bank < 0) bank = last;

  plug.setParameterNoHandler(list, bank);  // the list parameter and its control
  if (upper)
    librarian->upperBankIndex = bank;
  else
    librarian->lowerBankIndex = bank;
  plug.setParameterNoHandler(upper ? kCurrentOpenPatchBankL : kCurrentOpenPatchBankR, bank);
  refreshBankMenu(plug, upper, bank);
  plug.updatePatchLibrarianView(upper ? 0 : 1);
  if (upper) plug.updateBankAndProgramMenuNames(false);
}

// ---- Program stepping --------------------------------------------------------
// Up (v 1) and down (v not 0): one program further, 98 and 0 wrapping.
void stepProgram(VivivI& plug, int index, int v) {
  if (paramInt(plug, kPartLock) == 1) return;
  const bool up = index == kPatchUp;
  const bool pressed = up ? v == 1 : v != 0;
  if (pressed) {
    if (plug.midiManager) plug.midiManager->refreshMainTab = false;
    auto step = [up](int program) {
      program += up ? 1 : -1;
      if (program > kLastProgram) return 0;
      if (program < 0) return kLastProgram;
      return program;
    };
    if (plug.flags.librarianMode) {
      const int column = plug.getLibrarianViewColumn() == 0 ? 0 : 1;
      PatchLibrarian* librarian = plug.patchLibrarian.get();
      int slot = 0;
      if (librarian)
        slot = column == 0 ? librarian->selectedUpperSlot.load() : librarian->selectedLowerSlot.load();
      slot = step(std::clamp(slot, -1, kLastProgram + 1));
      if (librarian) (column == 0 ? librarian->selectedUpperSlot : librarian->selectedLowerSlot) = slot;
      plug.setLibrarianViewRow(column, slot);
      plug.setParameterNoHandler(kCurrentPatch, slot);
      // The patch of the column the user steps in goes to the synthesizer.
      if (plug.BankChangeMessage()) plug.sendPatchToDeviceFromLibrarian(slot, column);
    } else {
      // Both directions count from the program shown: a program change from
      // the synthesizer or the host moves kCurrentPatch, not currentProgram.
      plug.currentProgram = step(std::clamp(paramInt(plug, kCurrentPatch), 0, kLastProgram));
      plug.setParameterNoHandler(kCurrentPatch, plug.currentProgram);
      plug.selectLibrarianViewRow(plug.currentProgram);
      plug.BankChangeMessage();
      if (plug.flags.midiOutputOpen && plug.midiManager) {
        plug.SetLibrarianRequestActive(false);
        plug.midiManager->soundDumpExpected = true;
        SenderJob request;
        request.jobCode = kJobPartRequest;
        request.requestEnabled = true;
        request.partProgram = plug.currentProgram;
        plug.midiManager->postOrWait(request);
        plug.pauseWithoutLock(plug.getTimerValue());
        plug.sendPartDataBackToHardware(0);
      }
    }
  }
  // The program menu follows once the librarian's menus exist.
  plug.OnParamChange(kMainTab);
}

// ---- Triggers ----------------------------------------------------------------
// A button that moves another parameter on: the target is set without a
// handler, then handled, which sends it.
void cycleTarget(VivivI& plug, int target, int last) {
  const int next = nextInCycle(paramInt(plug, target), last);
  plug.setParameterNoHandler(target, next);
  plug.OnParamChange(target);
}

// The arpeggiator's tempo source: the tempo knob (sync off) or the sync
// choice (on); the synthesizer learns it through controller 104 or 105.
void toggleArpSync(VivivI& plug) {
  const int on = paramInt(plug, kArpSyncIndicator) == 1 ? 0 : 1;
  plug.setParameterNoHandler(kArpSyncIndicator, on);
  plug.switchLayer(plug.arpTempoKnobLayer, on == 1);
  plug.switchLayer(plug.arpTempoSyncLayer, on != 1);
  const int controller = on == 1 ? 104 : 105;
  const int data = on == 1 ? paramInt(plug, kArpTempo) : paramInt(plug, kArpClock) + 1;
  IMidiMsg msg;
  msg.MakeControlChangeMsg(controller, std::clamp(data, 0, 127) / 127.0, deviceChannel(plug));
  // The switch shows nothing of its own: its lines say what it set.
  plug.setDisplayText(kControlDisplayName, "Arp Tempo Sync");
  plug.setDisplayText(kControlDisplayValue, on == 1 ? "ON" : "OFF");
  plug.setDisplayText(kControlDisplayCC, "CC|" + std::to_string(controller));
  if (plug.flags.changeFromHardware) return;
  const MIDIMessageManager* manager = plug.midiManager.get();
  if (manager && manager->valueFromHardware && plug.flags.localControl && !manager->messageFromHost) return;
  plug.MIDIOutRoutingSwitch(&msg);
}

// The arpeggiator's key, lit while the arpeggiator runs: a press that puts
// it out turns the arpeggiator off, one that lights it turns it on (which
// sends it); a value it already shows only sets the key right again.
void pressArpKey(VivivI& plug, int v) {
  const bool running = paramInt(plug, kArpOnOff) != 0;
  if ((v != 0) == running) {
    plug.setParameterNoHandler(kArpOnOffIndicator, running ? 1 : 0);
    return;
  }
  plug.setParameterNoHandler(kArpOnOff, running ? 0 : 1);
  plug.OnParamChange(kArpOnOff);
}

// Returns true when the index was a trigger (handled or not: a trigger at 0
// does nothing at all).
bool runTrigger(VivivI& plug, int index, int v) {
  switch (index) {
    case kOscillator1WaveTrigger:
    case kOscillator3WaveTrigger:
    case kOscillator2WaveTrigger:
    case kOscillator2KeytrackTrigger:
    case kOscillator2SyncTrigger:
    case kLFO1ShapeTrigger:
    case kEnvelope1TriggerTrigger:
    case kEnvelope2TriggerTrigger:
    case kArpModeTrigger:
    case kArpSyncTrigger:
      break;
    default:
      return false;
  }
  if (v == 0) return true;
  switch (index) {
    case kOscillator1WaveTrigger:
      cycleTarget(plug, kOscillator1Shape, 2);
      break;
    case kOscillator3WaveTrigger:
      cycleTarget(plug, kOscillator3Shape, 2);
      break;
    case kOscillator2WaveTrigger: {
      const int next = nextInCycle(paramInt(plug, kOscillator2Shape), 3);
      if (next == 3) {
        plug.switchLayer(plug.crossModIndicatorLayer, false);
      } else {
        plug.switchLayer(plug.crossModIndicatorLayer, true);
        plug.setParameterNoHandler(kOscillator2Shape, next);
        TabSwitchFunctions::mainTabSwitch(&plug, kMainTab, 2, plug.tabContext);
      }
      plug.setParameterNoHandler(kOscillator2Shape, next);
      plug.OnParamChange(kOscillator2Shape);
      break;
    }
    case kOscillator2KeytrackTrigger:
      cycleTarget(plug, kOscillator2Keytrack, 1);
      break;
    case kOscillator2SyncTrigger: {
      const int next = nextInCycle(paramInt(plug, kOscillator2Sync), 1);
      if (next == 1) {
        plug.switchLayer(plug.syncIndicatorLayer, false);
      } else {
        plug.switchLayer(plug.syncIndicatorLayer, true);
        plug.setParameterNoHandler(kOscillator2Sync, 0);
        TabSwitchFunctions::mainTabSwitch(&plug, kMainTab, 2, plug.tabContext);
      }
      plug.setParameterNoHandler(kOscillator2Sync, next);
      plug.OnParamChange(kOscillator2Sync);
      break;
    }
    case kLFO1ShapeTrigger:
      cycleTarget(plug, kLFO1Shape, 7);
      break;
    case kEnvelope1TriggerTrigger:
      cycleTarget(plug, kEnvelope1Trigger, 3);
      break;
    case kEnvelope2TriggerTrigger:
      cycleTarget(plug, kEnvelope2Trigger, 3);
      break;
    case kArpModeTrigger:
      cycleTarget(plug, kArpMode, 6);
      break;
    case kArpSyncTrigger:
      toggleArpSync(plug);
      break;
    default:
      break;
  }
  return true;
}

// ---- Settings file -----------------------------------------------------------
void changeInterfaceSize(VivivI& plug, int v) {
  if (!plug.settingsFileReadable()) {
    reportSettingsMissing(plug);
    return;
  }
  static const char* const kSizes[] = {"small", "normal", "large"};
  static const double kScales[] = {kGuiScaleSmall, kGuiScaleNormal, kGuiScaleLarge};
  if (v >= 0 && v <= 2) {
    plug.settingsLines[1] = kSizes[v];
    plug.guiScale = kScales[v];
  }
  if (!plug.writeSettingsFile()) {
    reportSettingsMissing(plug);
    return;
  }
  plug.setDisplayText(kControlDisplayName, "Size changes applied...");
  plug.setDisplayText(kControlDisplayValue, "Reload project!");
}

void leaveFirstRun(VivivI& plug, int v) {
  // GOT IT closes the note at once, over either page, whatever becomes of
  // the settings file; until the editor is opened again nothing shows it.
  if (v == 1) plug.switchLayer(plug.firstRunLayer, true);
  if (!plug.settingsFileReadable()) {
    reportSettingsMissing(plug);
    return;
  }
  if (v == 1) plug.settingsLines[2] = "yes";
  if (!plug.writeSettingsFile()) {
    reportSettingsMissing(plug);
    return;
  }
  plug.setDisplayText(kControlDisplayName, "Set MIDI In and MIDI Out");
}

// ---- Librarian: search, categories, rename ------------------------------------
void resetSearchText(VivivI& plug) {
  if (IParam* param = plug.GetParam(kPatchSearchString)) param->SetDisplayText(0, "search...");
  plug.setDisplayText(kPatchSearchString, "search...");
}

ControlLayer* menuLayer(const VivivI& plug, ELibrarianMenu menu) { return plug.librarianMenuLayers[menu]; }

// A typed search. The search runs unless the lower list already shows the
// result of this very text: the search button only opens the field, so the
// first text typed after it is searched for.
void searchFor(VivivI& plug) {
  const std::string text = displayTextOf(plug, kPatchSearchString, 0);
  if (text.empty()) {
    plug.flags.lowerShowsSearch = false;
    plug.shownSearchText.clear();
    resetSearchText(plug);
    plug.switchLayer(menuLayer(plug, kMenuRightPatch), false);
    return;
  }
  if (text.size() == 1) {
    resetSearchText(plug);
    plug.setDisplayText(kControlDisplayName, "Enter 2 digits or more!");
    return;
  }
  if (plug.flags.lowerShowsSearch && text == plug.shownSearchText) return;
  plug.flags.lowerShowsSearch = true;
  plug.switchLayer(menuLayer(plug, kMenuRightPatch), true);
  PatchLibrarian* librarian = plug.patchLibrarian.get();
  if (librarian) librarian->createNewSearchPatchFiles(text);
  if (!librarian || librarian->searchBanks.empty()) {
    plug.shownSearchText.clear();
    plug.setDisplayText(kControlDisplayName, "No results - Try another keyword!");
    plug.setDisplayText(kControlDisplayValue, "Tip: Note that letter size matters..");
    resetSearchText(plug);
    return;
  }
  plug.shownSearchText = text;
  plug.patchTypeChanged(0, 4, false);
  plug.switchLayer(menuLayer(plug, kMenuRightSearch), false);
}

void searchButton(VivivI& plug, int v) {
  plug.shownSearchText.clear();
  if (v == 1) {
    plug.switchLayer(plug.categoryLimitLayer, true);
    plug.switchLayer(plug.searchFieldLayer, false);
    plug.flags.lowerShowsSearch = true;
    plug.switchLayer(menuLayer(plug, kMenuRightPatch), true);
    return;
  }
  plug.switchLayer(plug.categoryLimitLayer, false);
  plug.flags.lowerShowsSearch = false;
  resetSearchText(plug);
  plug.switchLayer(plug.searchFieldLayer, true);
  plug.patchTypeChanged(0, 0, false);
  plug.switchLayer(menuLayer(plug, kMenuRightPatch), false);
}

void selectCategories(VivivI& plug, int v) {
  plug.switchLayer(menuLayer(plug, kMenuRightSearch), true);
  plug.switchLayer(menuLayer(plug, kMenuRightCategory), true);
  plug.switchLayer(menuLayer(plug, kMenuRightPatch), true);
  const bool categories = v > 0;
  plug.flags.lowerShowsCategories = categories;
  plug.patchTypeChanged(0, categories ? 1 : 0, false);
  plug.switchLayer(menuLayer(plug, categories ? kMenuRightCategory : kMenuRightPatch), false);
  // Searching is a mode of the file banks: greyed out over the categories.
  if (IControl* search = plug.patchSearchControl)
    plug.onGUIThread([search, categories] { search->GrayOut(categories); });
}

void refreshFolders(VivivI& plug) {
  const int type = plug.flags.lowerShowsCategories ? 1 : plug.flags.lowerShowsSearch ? 4 : 0;
  plug.patchTypeChanged(0, type, true);
}

void discardBankData(VivivI& plug) {
  plug.DisplayProcessingIndicator(true);
  plug.switchLayer(plug.discardChangesLayer, true);
  plug.switchLayer(plug.patchRenameLayer, true);
  plug.switchLayer(menuLayer(plug, kMenuLeftPatch), false);
  plug.upperFirstName = displayTextOf(plug, kPatchSelectionListUpper, 0);
  plug.lowerFirstName = displayTextOf(plug, kPatchSelectionListLower, 0);
  plug.OnParamChange(kRefreshFolders);
  plug.DisplayProcessingIndicator(false);
}

void closeRename(VivivI& plug) {
  plug.switchLayer(plug.patchRenameLayer, true);
  plug.renameClosed = true;
}

// The text entry of a slot rename: the new name goes into the selected slot
// of the edited bank through the librarian's receive road.
void renameSlot(VivivI& plug) {
  if (plug.renameClosed) return;
  PatchLibrarian* librarian = plug.patchLibrarian.get();
  const int bankIndex = librarian ? librarian->upperBankIndex : -1;
  if (!librarian || librarian->editBlocked != 0 || bankIndex < 0 ||
      bankIndex >= static_cast<int>(librarian->fileBanks.size())) {
    closeRename(plug);
    return;
  }
  PatchFile* bank = librarian->fileBanks[static_cast<size_t>(bankIndex)];
  bank->patches.resize(PatchFile::kSlots);
  const int slot = librarian->selectedUpperSlot;
  if (slot < 0 || slot >= PatchFile::kSlots) {
    closeRename(plug);
    return;
  }
  LibrarianPatch& patch = bank->patches[static_cast<size_t>(slot)];
  if (patch.messages.empty() || patch.messages.front().size() < kSoundDumpBytes) {
    // An empty slot holds no sound to carry the name.
    plug.setDisplayText(kControlDisplayName, "Empty slot - nothing to rename!");
    closeRename(plug);
    return;
  }
  std::string name = displayTextOf(plug, kPatchRename, 0).substr(0, kPatchNameLength);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  patch.name = name;

  const PatchSysexMessage& dump = patch.messages.front();
  PatchSysexMessage record(dump.begin(), dump.begin() + kSoundDumpBytes);
  std::string field = name;
  field.resize(kPatchNameLength, ' ');
  record.insert(record.end(), field.begin(), field.end());
  record.push_back(dump.size() > 90 ? dump[90] : 0);
  record.push_back(0xF7);

  plug.SetLibrarianRequestActive(true);
  plug.DisplayProcessingIndicator(true);
  ISysEx sysex(0, record.data(), static_cast<int32_t>(record.size()));
  plug.ProcessSysEx(&sysex, true);
  plug.pauseWithoutLock(50);
  plug.SetLibrarianStatusUnsaved(true);
  plug.DisplayProcessingIndicator(false);
  closeRename(plug);
}

// ---- Randomiser --------------------------------------------------------------
// The name of a randomised sound: the name it had no longer fits it.
constexpr const char* kRandomPatchName = "RANDOM PATCH";

void randomize(VivivI& plug) {
  MIDIMessageManager* manager = plug.midiManager.get();
  if (!manager) return;
  manager->randomGenerator();
  manager->randomizePatchSettings(0);
  plug.flags.readBackPending = true;
  if (IParam* name = plug.GetParam(kPatchName)) name->SetDisplayText(0, kRandomPatchName);
  if (plug.patchManager) plug.patchManager->names[0] = kRandomPatchName;
  plug.displayPatchName(kRandomPatchName);
  // The new sound goes out when an output is open; the wait lets the send
  // run before the message appears.
  const bool sending = plug.flags.midiOutputOpen && postSoundSend(plug, false);
  manager->keepPatchName = sending;  // the sound read back after the send
  if (sending) plug.pauseWithoutLock(500);
  plug.setDisplayText(kControlDisplayName, "Patch Randomized");
  if (!plug.flags.midiOutputOpen) plug.setDisplayText(kControlDisplayValue, "Not sent: Set MIDI I/O First!");
  plug.setParameterNoHandler(kRandomize, 0);
}

// ---- The page switches -------------------------------------------------------
void editPage2(VivivI& plug, int v) {
  if (v != 0) {
    const bool synced = paramInt(plug, kArpSyncIndicator) != 0;
    plug.switchLayer(plug.envelopesLayer, true);
    plug.switchLayer(plug.arpeggiatorLayer, false);
    plug.switchLayer(plug.arpTempoKnobLayer, synced);
    plug.switchLayer(plug.arpTempoSyncLayer, !synced);
  } else {
    plug.switchLayer(plug.envelopesLayer, false);
    plug.switchLayer(plug.arpeggiatorLayer, true);
    plug.switchLayer(plug.arpTempoKnobLayer, true);
    plug.switchLayer(plug.arpTempoSyncLayer, true);
  }
}

void flashProcessingIndicator(VivivI& plug) {
  plug.DisplayProcessingIndicator(true);
  plug.DisplayProcessingIndicator(false);
}

// ---- Global settings ------------------------------------------------------------
// A value the user gives a global setting is the Varno's from then on (its
// parameter-number message leaves on the common road); a new device ID
// addresses the Varno at once.
void userSetGlobal(VivivI& plug, int index, int v) {
  plug.flags.knownGlobalSettings |= VarnoSysEx::globalSettingBit(index);
  if (index == kGlobalDeviceID) plug.flags.deviceId = v;
}

// Opens or closes the global settings panel. Opened before the Varno's
// global dump arrived, the status line says that the values shown are not
// the Varno's.
void showGlobalSettings(VivivI& plug, int v) {
  if (v != 1) {
    plug.switchLayer(plug.globalSettingsLayer, true);
    flashProcessingIndicator(plug);
    return;
  }
  plug.switchLayer(plug.globalSettingsLayer, false);
  if (plug.flags.knownGlobalSettings != VarnoSysEx::kAllGlobalSettings) {
    plug.setDisplayText(kControlDisplayName, "Not yet read from the Varno");
    plug.setDisplayText(kControlDisplayValue, "Choose MIDI OUT to read them");
  }
}

// ---- MIDI ports ---------------------------------------------------------------
// A port chosen but not opened goes into the log.
void logPortNotOpened(VivivI& plug, bool input, const std::string& name) {
  plug.log(std::string("MIDI: ") + (input ? "MIDI In" : "MIDI Out") + " port " + name +
           " could not be opened");
}

// The port choice's lines: its full name (the field may show it cut), or
// why it is not in use.
void showPortLines(VivivI& plug, const char* which, int index, int asked, int opened) {
  plug.setDisplayText(kControlDisplayName, which);
  const std::string name = displayTextOf(plug, index, asked);
  plug.setDisplayText(kControlDisplayValue, asked > 0 && opened != asked ? "Cannot open " + name
                                            : opened > 0                 ? name
                                                                         : "OFF");
  plug.setDisplayText(kControlDisplayCC, "");
}

void selectOutput(VivivI& plug, int v) {
  int index = v;
  const std::string name = displayTextOf(plug, kDeviceOutSelection, v);
  // The entry opened, or 0: a port that is listed but would not open leaves
  // its entry in the index, and still is no output.
  const int opened = plug.setExternalMIDIOut(index, name);
  // The selection shows the port actually in use ("OFF" when it failed).
  if (opened != v) plug.setParameterNoHandler(kDeviceOutSelection, opened);
  showPortLines(plug, "MIDI Out", kDeviceOutSelection, v, opened);
  if (opened > 0) {
    plug.flags.midiOutputOpen = true;
    plug.sendSysExInitialization();
  } else {
    if (plug.midiManager && plug.midiManager->sender) plug.midiManager->sender->resetContinuousClock(true);
    plug.flags.midiOutputOpen = false;
    if (v > 0) logPortNotOpened(plug, false, name);
  }
}

void selectInput(VivivI& plug, int v) {
  int index = v;
  const std::string name = displayTextOf(plug, kDeviceInSelection, v);
  const int opened = plug.setExternalMIDIIn(index, name);
  if (opened != v) plug.setParameterNoHandler(kDeviceInSelection, opened);
  showPortLines(plug, "MIDI In", kDeviceInSelection, v, opened);
  if (opened == 0 && v > 0) logPortNotOpened(plug, true, name);
}

void sendClockInfoSwitch(VivivI& plug, int v) {
  MIDIMessageSender* sender = plug.midiManager ? plug.midiManager->sender.get() : nullptr;
  if (v == 1) {
    plug.OnParamChange(kTempoInformation);
    plug.flags.sendClockInfo = true;
    if (sender) sender->resetContinuousClock(false);
    plug.flags.clockLoopStarted = false;  // the audio thread posts the clock job again
  } else {
    plug.flags.sendClockInfo = false;
    plug.flags.clockLoopStarted = false;
    if (sender) sender->resetContinuousClock(true);
  }
}

}  // namespace

void VivivI::OnParamChange(int index) {
  KIT_MutexLock lock(GetMutex());
  IParam* param = GetParam(index);
  if (!param) return;
  double value = param->Value();
  int v = static_cast<int>(value);
  ControlAction* action = param->GetControlAction();

  // Bank stepping of the librarian's two lists.
  if (index >= kLibUpperNextBank && index <= kLibLowerPreviousBank && v == 1) {
    stepBank(*this, index);
    return;
  }

  // First group: before the display.
  if (runTrigger(*this, index, v)) return;
  switch (index) {
    case kOscillator1Semitone:
    case kOscillator2Semitone:
    case kOscillator3Semitone:
      setParameterNoHandler(kOscillator1OctaveIndicator + index, onWholeOctave(v) ? 1 : 0);
      break;
    case kArpOnOff:
      setParameterNoHandler(kArpOnOffIndicator, v != 0 ? 1 : 0);
      break;
    case kArpOnOffIndicator:
      pressArpKey(*this, v);
      return;
    case kOscillator2Shape:
    case kOscillator2Sync:
      // The indicators follow however the value was chosen (a light, a key),
      // on the sound page, the only one that shows them.
      if (paramInt(*this, kMainTab) == 2) {
        const bool shown = index == kOscillator2Shape ? v == 3 : v == 1;
        switchLayer(index == kOscillator2Shape ? crossModIndicatorLayer : syncIndicatorLayer, !shown);
      }
      break;
    case kTempoInformation: {
      // A tempo the host cannot mean counts as none.
      const double tempo = GetTempo();
      flags.hostTempo = (tempo > 0.0 && tempo < 10000.0) ? static_cast<int>(tempo) : 0;
      v = flags.hostTempo;
      value = v;
      break;
    }
    case kUserInterfaceSize:
      changeInterfaceSize(*this, v);
      return;
    case kFirstRunExit:
      leaveFirstRun(*this, v);
      return;
    default:
      break;
  }

  // The common road: the status and value lines.
  if (GetGUI()) ControlDisplay::controlDisplay(this, index, value, flags.transportWasRunning);

  // Second group: after the display.
  switch (index) {
    case kDeviceOutSelection:
      selectOutput(*this, v);
      break;
    case kDeviceInSelection:
      selectInput(*this, v);
      break;
    case kGlobalLocalControl:
      flags.localControl = v == 1;
      break;
    case kGlobalStartUpProgram:
    case kGlobalMasterTune:
    case kGlobalControlX:
    case kGlobalMidiChannel:
    case kGlobalDeviceID:
      userSetGlobal(*this, index, v);
      break;
    case kGlobalSettings:
      showGlobalSettings(*this, v);
      break;
    case kMIDIFilterDAWCCPassThrough:
    case kMIDIFilterDAWPCPassThrough:
    case kMIDIFilterDAWNotePassThrough:
    case kMIDIFilterDAWPPPassThrough:
    case kMIDIFilterDAWPAPassThrough:
    case kMIDIFilterDAWCAPassThrough:
    case kMIDIFilterDAWSEPassThrough:
      flags.hostFilter[static_cast<size_t>(index - kMIDIFilterDAWCCPassThrough)] = v != 1;
      break;
    case kMIDIFilterHWCCPassThrough:
    case kMIDIFilterHWPCPassThrough:
    case kMIDIFilterHWNotePassThrough:
    case kMIDIFilterHWPPPassThrough:
    case kMIDIFilterHWPAPassThrough:
    case kMIDIFilterHWCAPassThrough:
    case kMIDIFilterHWSEPassThrough:
      flags.deviceFilter[static_cast<size_t>(index - kMIDIFilterHWCCPassThrough)] = v != 1;
      break;
    case kMIDIFilterTrackIncomingMIDI:
      flags.trackIncomingMidi = v == 1;
      break;
    case kMIDIFilterDirectToHardware:
      if (v == 1) {
        setParameterNoHandler(kMIDIFilterToDAWBuffer, 0);
        flags.routeMidiThroughAudioThread = false;
      }
      break;
    case kMIDIFilterToDAWBuffer:
      if (v == 1) {
        setParameterNoHandler(kMIDIFilterDirectToHardware, 0);
        flags.routeMidiThroughAudioThread = true;
      }
      break;
    case kSendMIDIClockPointer:
      flags.sendClockPointer = v == 1;
      break;
    case kSendMIDIClockInfo:
      sendClockInfoSwitch(*this, v);
      break;
    case kAdjustDAWOffset:
      flags.audioRouteDelay = 2 * v + GetBlockSize();
      break;
    case kOverrideTempo:
      showArpTempoRule();
      break;
    case kArpTempo:
      // With the host's tempo in charge the tempo knob sends nothing.
      if (paramInt(*this, kOverrideTempo) != 0) return;
      flags.lastArpTempoIndex = v;
      break;
    case kEditPage2Switch:
      editPage2(*this, v);
      break;
    case kViewMIDIFilterSettings:
      if (v == 1) {
        switchLayer(midiFilterSettingsLayer, false);
      } else {
        switchLayer(midiFilterSettingsLayer, true);
        flashProcessingIndicator(*this);
      }
      break;
    case kDisplayAboutWindow:
      if (v != 0) switchLayer(aboutWindowLayer, false);
      break;
    case kExitAboutWindow:
      if (v != 0) {
        switchLayer(aboutWindowLayer, true);
        flashProcessingIndicator(*this);
      }
      break;
    case kMainTab:
      if (v == 1)
        if (auto* menu = static_cast<BankEditPopupMenu*>(librarianMenus[kMenuBankEdit]))
          menu->AddMenuItemsIn(this);
      TabSwitchFunctions::mainTabSwitch(this, kMainTab, v, tabContext);
      updateBankAndProgramMenuNames(false);
      break;
    case kShowLibrarian: {
      const int tab = v >= 1 ? 1 : 2;
      setParameterNoHandler(kMainTab, tab);
      DisplayProcessingIndicator(true);
      TabSwitchFunctions::mainTabSwitch(this, kMainTab, tab, tabContext);
      DisplayProcessingIndicator(false);
      break;
    }
    case kControlLibrary:
      flags.librarianMode = v == 1;
      updateBankAndProgramMenuNames(false);
      break;
    case kRandomize:
      if (v == 1 && paramInt(*this, kMainTab) > 0) randomize(*this);
      return;
    case kRequestTempData:
      if (v == 0) return;
      if (midiManager) {
        midiManager->soundDumpExpected = v == 1;
        if (flags.midiOutputOpen) {
          SenderJob job;
          job.jobCode = kJobActiveArrangementRequest;
          job.requestEnabled = true;
          midiManager->postOrWait(job);
        }
      }
      break;
    case 188:  // "Cancel Data Request"
      if (v == 1 && midiManager && midiManager->sender) midiManager->sender->cancelRequested = true;
      return;
    case kPatchName:
    case kCategoryName:
      flags.suppressGlobalsDump = true;
      if (midiManager) midiManager->libraryPatchRequest.requestActive = false;
      if (flags.midiOutputOpen) postSoundSend(*this, false);
      break;
    case kPushArrangement:
      if (v != 0) {
        flags.suppressGlobalsDump = false;
        flags.sendGlobalsWithSound = true;
        if (midiManager) midiManager->libraryPatchRequest.requestActive = false;
        if (flags.midiOutputOpen) postSoundSend(*this, false);
      }
      break;
    case kOverwriteBank:
      if (v == 1 && getLibrarianViewColumn() == 0) {
        flags.sendGlobalsWithSound = false;
        postSoundSend(*this, true);
      }
      break;
    case kPatchUp:
    case kPatchDown:
      stepProgram(*this, index, v);
      return;
    case kPatchSearchString:
      searchFor(*this);
      break;
    case kPatchSearch:
      searchButton(*this, v);
      break;
    case kCategorySelection:
      selectCategories(*this, v);
      break;
    case kRefreshFolders:
      refreshFolders(*this);
      break;
    case kDiscardBankData:
      if (v == 1) discardBankData(*this);
      break;
    case kPatchRename:
      renameSlot(*this);
      break;
    default:
      break;
  }

  // The tail: the layer group and the MIDI mapping.
  if (!action) return;
  switchLayerGroup(action->layerGroup, v);
  processControlAction(action, index, value);
}

void VivivI::OnTextEntryDropped(int index) {
  if (index != kPatchRename || !flags.pluginReady) return;
  KIT_MutexLock lock(GetMutex());
  if (renameClosed) return;
  flags.librarianRenaming = false;
  closeRename(*this);
}

void VivivI::OnParamChange2(int index) {
  KIT_MutexLock lock(GetMutex());
  flags.changeFromHardware = true;
  if (IParam* param = GetParam(index)) {
    const double value = param->Value();
    const int v = static_cast<int>(value);
    ControlDisplay::controlDisplay(this, index, value, false);
    // The page switches below reach the controls on the GUI thread.
    if (index == kMainTab) TabSwitchFunctions::mainTabSwitch(this, kMainTab, v, tabContext);
    if (ControlAction* action = param->GetControlAction()) {
      switchLayerGroup(action->layerGroup, v);
      processControlAction(action, index, value);
    }
  }
  if (midiManager) midiManager->soundDumpExpected = false;
  flags.changeFromHardware = false;
}

// ---- end of the change handlers ----

// ==== ControlDisplay =========================================================
// The status line shows the name of the parameter that changed last, the
// value line its value in words followed by the raw value in brackets.

#include <cstdio>

#include "KIT/IModule/IParam.h"
#include "KIT/IModule/Truncate.h"
#include "src/UIConfigManager.h"

namespace {

// Parameters whose changes never reach the two lines: the displays
// themselves, the librarian's names, lists and triggers, the port choices.
bool neverDisplayed(int index) {
  switch (index) {
    case kPatchName:
    case kRefreshFolders:
    case kPatchRename:
    case kCategoryName:
    case kOverwriteBank:
    case kControlDisplayLibCategory:
    case kControlDisplayCategory:
    case kCategorySelection:
    case kOscillator1WaveTrigger:
    case kOscillator2WaveTrigger:
    case kOscillator3WaveTrigger:
    case kOscillator2KeytrackTrigger:
    case kOscillator2SyncTrigger:
    case kEditPage2Switch:
    case kDeviceOutSelection:
    case kDeviceInSelection:
    case kPatchUp:
    case kPatchDown:
    case kControlDisplayName:
    case kControlDisplayValue:
    case kControlDisplayCC:
    case kShowLibrarian:
    case kDiscardBankData:
    case kPatchSelectionListUpper:
    case kPatchSelectionListLower:
    case kMainTab:
    case kLibrarianArea:
    case kGlobalSettings:
      return true;
    default:
      return false;
  }
}

bool isTune(int index) {
  return index == kOscillator1Tune || index == kOscillator2Tune || index == kOscillator3Tune;
}

// "0" at centre, "-n" below it, "+n" above it; empty outside 0..top.
std::string signedFromCentre(int v, int centre, int top, int divisor) {
  if (v < 0 || v > top) return {};
  if (v == centre) return "0";
  const int offset = (v - centre) / divisor;  // truncated toward zero
  return v < centre ? std::to_string(offset) : "+" + std::to_string(offset);
}

std::string panningText(int v) {
  if (v == 127) return "RIGHT 100%";
  if (v == 64) return "< CENTER >";
  if (v == 0) return "LEFT 100%";
  if (v >= 1 && v <= 63) return "LEFT " + std::to_string(static_cast<int>((v - 64) * -1.55)) + "%";
  if (v >= 65 && v <= 126) return "RIGHT " + std::to_string(static_cast<int>((v - 64) * 1.55)) + "%";
  return {};
}

// The value list a parameter's text comes from, or null.
const char* valueListOf(int index) {
  switch (index) {
    case kFilterCutoffModSource:
    case kPitchModSource:
    case kModUnit1Source:
    case kModUnit2Source:
    case kModUnit3Source:
    case kModUnit4Source:
    case kCV2ModSource:
      return "modulationSources";
    case kModUnit1Destination:
    case kModUnit2Destination:
    case kModUnit3Destination:
    case kModUnit4Destination:
      return "modulationDestination";
    case kOscillator1Shape:
    case kOscillator3Shape:
      return "osc13Shape";
    case kOscillator2Shape:
      return "osc2Shape";
    case kLFO1Shape:
      return "lfo1Shape";
    case kPortamentoMode:
      return "portamentoMode";
    case kPitchBendScale:
      return "bendScale";
    case kArpOnOff:
      return "arpActiveMode";
    case kArpRange:
      return "arpOctaveRange";
    case kArpTempo:
      return "arpClockRange";
    case kArpClock:
      return "arpTempoValues";
    case kArpMode:
      return "arpModeList";
    case kGlobalMidiChannel:
      return "omniToSixteen";
    case kGlobalMasterTune:
      return "masterTune";
    case kGlobalControlX:
      return "controlX";
    default:
      return nullptr;
  }
}

// Entry v of the named list; empty for a list the description lacks or a v
// past its end. Read without creating a list: this runs on the MIDI input
// thread too.
std::string valueListEntry(VivivI* plug, const char* list, int v) {
  if (!plug->uiConfig || v < 0) return {};
  const auto found = plug->uiConfig->valueLists.find(list);
  if (found == plug->uiConfig->valueLists.end()) return {};
  const Values& values = found->second;
  return static_cast<size_t>(v) < values.size() ? values[static_cast<size_t>(v)] : std::string();
}

bool isOnOff(int index) {
  return (index >= kPartLock && index <= kSectionLockArp) || index == kOscillator2Keytrack ||
         index == kOscillator2Sync || index == kOverrideTempo;
}

// Centre 64, one step per value.
bool isCentred(int index) {
  switch (index) {
    case kEnvelope1Keytrack:
    case kEnvelope2Keytrack:
    case kFilterCutoffKeytrack:
    case kFilterCutoffEnv1Sens:
    case kFilterCutoffVeloSens:
    case kFilterCutoffModAmount:
    case kVolumeVeloSense:
    case kPitchModAmount:
    case kModUnit1Amount:
    case kModUnit2Amount:
    case kModUnit3Amount:
    case kModUnit4Amount:
    case kCV2ModAmount:
      return true;
    default:
      return false;
  }
}

// ---- The editor's own switches and buttons -----------------------------------

// A button that starts something: pressed (1) it writes its own lines,
// released (0) it leaves the lines as the action wrote them.
bool isActionButton(int index) {
  switch (index) {
    case kRequestTempData:
    case kPushArrangement:
    case kRandomize:
    case kDisplayAboutWindow:
    case kExitAboutWindow:
    case kViewMIDIFilterSettings:
    case 188:  // "Cancel Data Request"
      return true;
    default:
      return false;
  }
}

bool isMidiFilter(int index) {
  return index >= kMIDIFilterDAWCCPassThrough && index <= kMIDIFilterHWSEPassThrough;
}

// The lines of a pressed action button (v not 0): status, value.
struct ActionLines {
  std::string status, value;
};
ActionLines actionButtonLines(VivivI* plug, int index, int v) {
  const bool output = plug->flags.midiOutputOpen;
  switch (index) {
    case kRequestTempData:
      return {"Request Sound", output ? "Asking the Varno for its sound..." : "Set MIDI I/O First!"};
    case kPushArrangement:
      return {"Send Sound", output ? "Sending the sound to the Varno..." : "Set MIDI I/O First!"};
    case kRandomize:
      return {"Randomise", ""};  // the randomiser writes its own lines
    case kDisplayAboutWindow:
      return {"About VivivI Editor", ""};
    case kViewMIDIFilterSettings:
      return {v == 1 ? "MIDI Filter Settings" : "", ""};
    case 188:
      return {"Cancelling the data request...", ""};
    default:  // kExitAboutWindow: the card closes, nothing of it applies
      return {"", ""};
  }
}

}  // namespace

const char* ControlDisplay::statusNameOf(int index) {
  static const char* const kHostFilters[] = {
      "Host control changes", "Host program changes",  "Host notes", "Host poly pressure",
      "Host pitch bend",      "Host channel pressure", "Host SysEx"};
  static const char* const kVarnoFilters[] = {
      "Varno control changes", "Varno program changes",  "Varno notes", "Varno poly pressure",
      "Varno pitch bend",      "Varno channel pressure", "Varno SysEx"};
  if (index >= kMIDIFilterDAWCCPassThrough && index <= kMIDIFilterDAWSEPassThrough)
    return kHostFilters[index - kMIDIFilterDAWCCPassThrough];
  if (index >= kMIDIFilterHWCCPassThrough && index <= kMIDIFilterHWSEPassThrough)
    return kVarnoFilters[index - kMIDIFilterHWCCPassThrough];
  switch (index) {
    case kMIDIFilterTrackIncomingMIDI:
      return "Track incoming MIDI";
    case kMIDIFilterDirectToHardware:
      return "MIDI straight to the Varno";
    case kMIDIFilterToDAWBuffer:
      return "MIDI through the host";
    case kSendMIDIClockPointer:
      return "Song position to the Varno";
    case kSendMIDIClockInfo:
      return "MIDI clock to the Varno";
    default:
      return nullptr;
  }
}

std::string VivivI::getValueString(double value) { return ControlDisplay::getValueString(value); }

void ControlDisplay::controlDisplay(VivivI* plug, int index, double value, bool transport) {
  if (!plug || neverDisplayed(index)) return;
  if (!plug->flags.pluginReady) return;
  if (index == kPatchSearchString || index == kPatchSearch) return;
  if (index == kControlLibrary && !plug->flags.hostFilter[kFilterProgramChange]) return;
  IParam* param = plug->GetParam(index);
  if (!param) return;
  const std::string name = param->GetNameForHost();
  if (transport && name.empty()) return;
  const int v = TruncateToInt(value);
  if (isTune(index) && v % 2 != 0) return;

  if (isActionButton(index)) {
    // The overlay switch closes at 0; every other button is released there.
    if (v == 0 && index != kViewMIDIFilterSettings) return;
    const ActionLines lines = actionButtonLines(plug, index, v);
    plug->setDisplayText(kControlDisplayName, lines.status);
    plug->setDisplayText(kControlDisplayValue, lines.value);
    plug->setDisplayText(kControlDisplayCC, "");
    return;
  }
  const char* ownName = statusNameOf(index);
  plug->setDisplayText(kControlDisplayName, ownName ? ownName : name);
  bool alone = false;
  const std::string text = valueText(plug, index, v, &alone);
  plug->setDisplayText(kControlDisplayValue, alone ? text : text + " [" + std::to_string(v) + "]");
  // The CC line belonged to the last change; this one's mapping writes its own.
  plug->setDisplayText(kControlDisplayCC, "");
}

std::string ControlDisplay::valueText(VivivI* plug, int index, int v, bool* alone) {
  if (alone) *alone = false;
  if (index >= kOscillator1Semitone && index <= kOscillator3Semitone) return signedFromCentre(v, 48, 97, 1);
  if (isTune(index)) return signedFromCentre(v, 64, 127, 2);
  if (isCentred(index)) return signedFromCentre(v, 64, 127, 1);
  if (index == kPanning) return panningText(v);
  if (const char* list = valueListOf(index)) return plug ? valueListEntry(plug, list, v) : std::string();
  if (isOnOff(index)) return v == 1 ? "ON" : v == 0 ? "OFF" : "";
  if (index == kGlobalLocalControl) return v == 0 ? "DISABLED" : v == 1 ? "ALLOWED" : "";
  // Programs are numbered from 1, as the librarian and the header show them.
  if (index == kGlobalStartUpProgram) return v >= 0 && v <= kLastProgram ? std::to_string(v + 1) : "";
  if (alone) *alone = true;
  if (isMidiFilter(index)) return v == 1 ? "Passed on" : "Filtered out";
  // The editor's other two-state switches read as switches, not numbers.
  const IParam* param = plug && index >= kNumAutomatedParams ? plug->GetParam(index) : nullptr;
  if (param && param->GetMin() == 0.0 && param->GetMax() == 1.0 && (v == 0 || v == 1))
    return v ? "ON" : "OFF";
  return getValueString(v);
}

std::string ControlDisplay::getValueString(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}
