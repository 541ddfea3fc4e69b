#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/mutex.h"
#include "src/PatchLibrarian.h"
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
  if (plug->lowerShowsCategories) {
    VivivI::hideLayer(menus[kMenuRightCategory], false);
  } else if (plug->lowerShowsSearch) {
    VivivI::hideLayer(plug->categoryLimitLayer, true);
    VivivI::hideLayer(plug->searchFieldLayer, false);
    VivivI::hideLayer(menus[kMenuRightSearch], false);
  } else {
    VivivI::hideLayer(menus[kMenuRightPatch], false);
  }
  // The selected slot of the upper list, else of the lower one.
  int slot = -1;
  if (const PatchLibrarian* librarian = plug->patchLibrarian) {
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
    gui->RunOnGUIThread([plug, index, tab, context] {
      KIT_MutexLock lock(plug->GetMutex());
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
  if (tab == 1)
    openLibrarianTab(plug);
  else if (tab == 2)
    openSoundTab(plug);
}

// ---- end of TabSwitchFunctions ----

// ==== The host state chunk ===================================================
// Not built yet: the body below is replaced by its operation.

bool VivivI::SerializeState2(ByteChunk*, bool) { return false; }
