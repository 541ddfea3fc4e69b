#include <string>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/mutex.h"
#include "KIT/winl/winl-time.h"
#include "src/LibrarianViewControl.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/PatchLibrarian.h"
#include "src/PatchManager.h"
#include "src/VivivI.h"

// ==== TabSwitchFunctions =====================================================

namespace {

double tabParam(const VivivI* plug, int index) {
  const IParam* param = plug->GetParam(index);
  return param ? param->Value() : 0.0;
}

std::string tabDisplayText(const VivivI* plug, int index) {
  const IParam* param = plug->GetParam(index);
  const char* text = param ? param->GetDisplayText(0) : nullptr;
  return text ? text : "";
}

// Shows the sub-layer of layer whose id is zone and hides the others; the
// zone id is what showing the layer shows again.
void selectChild(ControlLayer* layer, int zone) {
  if (!layer) return;
  layer->zoneId = zone;
  for (int i = 0; i < layer->subLayers.GetSize(); ++i) {
    ControlLayer* child = layer->subLayers.Get(i);
    VivivI::hideLayer(child, child->id != zone);
  }
}

void grayOut(IControl* control, bool gray) {
  if (control) control->GrayOut(gray);
}

// The librarian's page: its menus by the edited bank's state and the lower
// list's mode, and the category of the selected slot.
void openLibrarianTab(VivivI* plug) {
  const auto& menus = plug->librarianMenuLayers;
  plug->DisplayProcessingIndicator(true);
  VivivI::hideLayer(plug->miniMixerLayer, true);
  VivivI::hideLayer(menus[kMenuBankEdit], false);
  VivivI::hideLayer(plug->saveChangesLayer, false);
  if (static_cast<int>(tabParam(plug, kBankEditUnsaved)) == 0)
    VivivI::hideLayer(menus[kMenuLeftPatch], false);
  else
    VivivI::hideLayer(plug->discardChangesLayer, false);
  VivivI::hideLayer(plug->categoryLimitLayer, false);
  if (plug->flags.lowerShowsCategories) {
    VivivI::hideLayer(menus[kMenuRightCategory], false);
  } else if (plug->flags.lowerShowsSearch) {
    VivivI::hideLayer(plug->categoryLimitLayer, true);
    VivivI::hideLayer(plug->searchFieldLayer, false);
    VivivI::hideLayer(menus[kMenuRightSearch], false);
  } else {
    VivivI::hideLayer(menus[kMenuRightPatch], false);
  }
  // The selected slot of the upper list, else of the lower one.
  int slot = -1;
  if (const PatchLibrarian* librarian = plug->patchLibrarian.get()) {
    slot = librarian->selectedUpperSlot;
    if (slot < 0) slot = librarian->selectedLowerSlot;
  }
  plug->DisplayLibrarianPatchCategory(slot, plug->getLibrarianViewColumn());
  plug->DisplayProcessingIndicator(false);
}

// The sound editor's page: octave, sync and cross-modulation indicators and
// the envelopes or the arpeggiator.
void openSoundTab(VivivI* plug) {
  for (int osc = 0; osc < 3; ++osc) {
    const int semitone = static_cast<int>(tabParam(plug, kOscillator1Semitone + osc));
    const bool octave = semitone >= 0 && semitone <= 96 && semitone % 12 == 0;
    plug->setParameterNoHandler(kOscillator1OctaveIndicator + osc, octave ? 1 : 0);
  }
  if (static_cast<int>(tabParam(plug, kOscillator2Sync)) == 1)
    VivivI::hideLayer(plug->syncIndicatorLayer, false);
  if (static_cast<int>(tabParam(plug, kOscillator2Shape)) == 3)
    VivivI::hideLayer(plug->crossModIndicatorLayer, false);
  plug->showArpTempoRule();
  if (static_cast<int>(tabParam(plug, kEditPage2Switch)) == 0) {
    VivivI::hideLayer(plug->envelopesLayer, false);
    VivivI::hideLayer(plug->arpeggiatorLayer, true);
    VivivI::hideLayer(plug->arpTempoKnobLayer, true);
    VivivI::hideLayer(plug->arpTempoSyncLayer, true);
  } else {
    const bool synced = static_cast<int>(tabParam(plug, kArpSyncIndicator)) == 1;
    VivivI::hideLayer(plug->envelopesLayer, true);
    VivivI::hideLayer(plug->arpeggiatorLayer, false);
    VivivI::hideLayer(plug->arpTempoKnobLayer, synced);
    VivivI::hideLayer(plug->arpTempoSyncLayer, !synced);
  }
}

}  // namespace

void TabSwitchFunctions::mainTabSwitch(VivivI* plug, int index, int tab, int context) {
  if (!plug) return;
  // Layers and controls change on the GUI thread only: a switch asked for on
  // the MIDI input thread or a worker runs there at the GUI's next tick,
  // under the plug-in's lock like every other caller.
  IGraphics* gui = plug->GetGUI();
  if (gui && !gui->IsGUIThread()) {
    // A page chosen in between (the page parameter changed) has switched
    // itself and wins over this older request.
    const int chosen = static_cast<int>(tabParam(plug, kMainTab));
    gui->RunOnGUIThread([plug, index, tab, context, chosen] {
      KIT_MutexLock lock(plug->GetMutex());
      if (static_cast<int>(tabParam(plug, kMainTab)) != chosen) return;
      mainTabSwitch(plug, index, tab, context);
    });
    return;
  }

  // Every page and overlay back to a known state.
  selectChild(plug->rootLayer, tab);
  VivivI::hideLayer(plug->miniMixerLayer, tab == 0);
  for (ELibrarianMenu menu :
       {kMenuLeftPatch, kMenuRightPatch, kMenuRightSearch, kMenuBankEdit, kMenuRightCategory})
    VivivI::hideLayer(plug->librarianMenuLayers[menu], true);
  grayOut(plug->randomizeControl, false);
  VivivI::hideLayer(plug->discardChangesLayer, true);
  plug->displayPatchName(tabDisplayText(plug, kPatchName));
  for (ControlLayer* layer :
       {plug->syncIndicatorLayer, plug->crossModIndicatorLayer, plug->arpTempoKnobLayer,
        plug->arpTempoSyncLayer, plug->arpeggiatorLayer, plug->envelopesLayer, plug->categoryLimitLayer})
    VivivI::hideLayer(layer, true);
  plug->displayCategoryName(tabDisplayText(plug, kCategoryName));
  VivivI::hideLayer(plug->aboutWindowLayer, true);
  grayOut(plug->controlLibraryControl, false);
  grayOut(plug->showLibrarianControl, false);
  VivivI::hideLayer(plug->searchFieldLayer, true);
  VivivI::hideLayer(plug->saveChangesLayer, true);

  if (tab <= 0) return;
  // The page shown above opens on its first zone.
  if (ControlLayer* root = plug->rootLayer) {
    for (int i = 0; i < root->subLayers.GetSize(); ++i) {
      ControlLayer* page = root->subLayers.Get(i);
      if (page->id == tab) selectChild(page, 0);
    }
  }
  if (tab == 1) {
    // Dragging patches is possible from the first visit of the page on.
    if (plug->librarianView) plug->librarianView->dragEnabled = true;
    openLibrarianTab(plug);
  } else if (tab == 2)
    openSoundTab(plug);
}

// ---- end of TabSwitchFunctions ----

// ==== The host state chunk ===================================================
// Version word, the automated parameters (none), in the full form the
// patch-manager block and the four selection values, then parameters 0 to
// 136 as doubles. Host byte order throughout, but for the block's markers and
// snapshot length.

namespace {

constexpr int32_t kStateVersion = 0x01000000;
// Parameters from kTempoInformation on are not kept in the project.
constexpr int kUnsavedParams = 61;
constexpr size_t kInputNameSlot = 3;
constexpr size_t kOutputNameSlot = 4;

// The display text of a selection parameter for its current value.
std::string selectionText(VivivI* plug, int index) {
  const IParam* param = plug->GetParam(index);
  if (!param) return "";
  const char* text = param->GetDisplayText(param->Int());
  return text ? text : "";
}

}  // namespace

bool VivivI::SerializeState(ByteChunk* chunk) { return SerializeState2(chunk, true); }

int VivivI::UnserializeState(ByteChunk* chunk, int startPos) {
  return UnserializeState2(chunk, startPos, true);
}

bool VivivI::SerializeState2(ByteChunk* chunk, bool full) {
  if (!chunk) return false;
  chunk->PutInt32(kStateVersion);
  SerializeParams(chunk);
  if (full) {
    if (patchManager) {
      const std::string in = selectionText(this, kDeviceInSelection);
      patchManager->names[kInputNameSlot] = in.empty() ? "Set Name" : in;
      setLibrarianViewDirty();
      const std::string out = selectionText(this, kDeviceOutSelection);
      patchManager->names[kOutputNameSlot] = out.empty() ? "Set Name" : out;
      setLibrarianViewDirty();
      patchManager->saveAllToChunk(chunk);
    }
    for (int index : {kDeviceInSelection, kDeviceOutSelection, kBankSelection, kPatchSelection}) {
      const IParam* param = GetParam(index);
      chunk->PutDouble(param ? param->GetNormalized() : 0.0);
    }
  }
  SerializeNonAutomatedParams(chunk, NNonAutomatedParams() - kUnsavedParams);
  return true;
}

int VivivI::UnserializeState2(ByteChunk* chunk, int startPos, bool full) {
  if (!chunk || startPos < 0 || chunk->Size() - startPos < 4) return -1;
  int pos = startPos + 4;
  pos = UnserializeParams(chunk, pos);
  if (pos < 0) return -1;

  if (full) {
    if (!patchManager) return -1;
    // A damaged block leaves the snapshot and names as they were and ends the
    // recall here: no port is reopened and nothing is sent.
    const Patch before = *patchManager;
    pos = patchManager->loadAllFromChunk(chunk, pos);
    if (pos < 0 || chunk->Size() - pos < 4 * 8) {
      static_cast<Patch&>(*patchManager) = before;
      log("PROJECT RECALL: damaged state, the previous state is kept");
      return -1;
    }
    pos += 2 * 8;  // the port selections: the names decide

    const std::string inName = patchManager->names[kInputNameSlot];
    log("PROJECT RECALL: MIDI In device stored " + inName);
    midiInIndex = 1;
    setExternalMIDIIn(midiInIndex, inName);
    if (IParam* param = GetParam(kDeviceInSelection)) {
      param->Set(midiInIndex);
      // Every control of the selection follows (safe from any thread).
      if (graphics) graphics->SetParameterFromPlug(kDeviceInSelection, param->Value(), false);
    }

    const std::string outName = patchManager->names[kOutputNameSlot];
    log("PROJECT RECALL: MIDI Out device stored " + outName);
    midiOutIndex = 1;
    setExternalMIDIOut(midiOutIndex, outName);
    if (IParam* param = GetParam(kDeviceOutSelection)) param->Set(midiOutIndex);
    // The output that actually opened decides, not the value before the recall.
    flags.midiOutputOpen = midiOutIndex > 0;
    if (IParam* param = GetParam(kDeviceInSelection)) param->Set(midiInIndex);
    log("PROJECT RECALL: MIDI In device after checking devices " + selectionText(this, kDeviceInSelection));
    log("PROJECT RECALL: MIDI Out device after checking devices " + selectionText(this, kDeviceOutSelection));

    double bank = 0.0, patch = 0.0;
    pos = chunk->GetDouble(&bank, pos);
    pos = chunk->GetDouble(&patch, pos);
    if (pos < 0) return -1;
    if (IParam* param = GetParam(kBankSelection)) {
      param->SetNormalized(bank);
      patchManager->firstValue = param->Int();
    }
    if (IParam* param = GetParam(kPatchSelection)) {
      param->SetNormalized(patch);
      patchManager->secondValue = param->Int();
    }
  }

  pos = UnserializeNonAutomatedParams(chunk, pos, NNonAutomatedParams() - kUnsavedParams);

  if (full) {
    for (int kind = 0; kind < kNumMidiFilterKinds; ++kind) {
      flags.hostFilter[kind] = GetParam(kMIDIFilterDAWCCPassThrough + kind)->Value() != 1.0;
      flags.deviceFilter[kind] = GetParam(kMIDIFilterHWCCPassThrough + kind)->Value() != 1.0;
    }
    flags.trackIncomingMidi = GetParam(kMIDIFilterTrackIncomingMIDI)->Value() == 1.0;
    flags.routeMidiThroughAudioThread = GetParam(kMIDIFilterToDAWBuffer)->Value() == 1.0;
    flags.sendClockPointer = GetParam(kSendMIDIClockPointer)->Value() == 1.0;
    flags.sendClockInfo = GetParam(kSendMIDIClockInfo)->Value() == 1.0;
  }
  flags.deviceId = GetParam(kGlobalDeviceID)->Int();
  log("PROJECT RECALL: hardware DeviceID " + std::to_string(flags.deviceId.load()));

  if (patchManager) {
    const std::string name = patchManager->names[0].c_str();
    const std::string category = patchManager->names[1].c_str();
    GetParam(kPatchName)->SetDisplayText(0, name.c_str());
    GetParam(kCategoryName)->SetDisplayText(0, category.c_str());
    log("PROJECT RECALL: Patch name " + name + " | Category name " + category);
  }
  flags.suppressGlobalsDump = false;
  // The recalled global settings are the project's, not necessarily the
  // Varno's now: the sound send leaves them out until the Varno's own
  // arrive (or the user sets them).
  flags.knownGlobalSettings = 0;

  if (flags.midiOutputOpen && midiManager) {
    pauseWithoutLock(50);  // the host holds the plug's lock over the recall
    flags.transferHold = true;
    flags.sendGlobalsWithSound = true;
    SenderJob job;
    job.jobCode = kJobSendArrangement;
    job.storeToLibrarian = false;
    if (!midiManager->postJob(job)) flags.transferHold = false;  // a dropped job must not hold incoming MIDI
  }
  flags.audioRouteDelay = 2 * GetParam(kAdjustDAWOffset)->Int() + GetBlockSize();
  log("PROJECT RECALL: MIDI In device after nonautomated params " + selectionText(this, kDeviceInSelection));
  log("PROJECT RECALL: MIDI Out device after nonautomated params " +
      selectionText(this, kDeviceOutSelection));
  flags.localControl = GetParam(kGlobalLocalControl)->Value() != 0.0;
  TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, tabContext);
  return pos;
}
