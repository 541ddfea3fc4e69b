#include <string>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/Truncate.h"
#include "src/LibrarianViewControl.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"
#include "src/ProgressIndicator.h"
#include "src/UIConfigManager.h"
#include "src/VivivI.h"

// ==== Display glue ===========================================================
// The texts, the progress overlay, the state of a librarian data request and
// the librarian's two-column list (null when the UI description has none:
// the steps on it are then left out).

namespace {

constexpr int kLibrarianTab = 1;  // kMainTab's value of the librarian page
constexpr const char* kCategoryUnset = "category unset!";

int parameterValue(const VivivI* plug, int index) {
  const IParam* param = plug->GetParam(index);
  return param ? TruncateToInt(param->Value()) : 0;
}

// Writes value, held within the parameter's range, straight into it: no
// control follows and no handler runs.
void writeParameter(VivivI* plug, int index, double value) {
  IParam* param = plug->GetParam(index);
  if (!param) return;
  if (value < param->GetMin()) value = param->GetMin();
  if (value > param->GetMax()) value = param->GetMax();
  param->Set(value);
}

void hideControl(IControl* control, bool hide) {
  if (control) control->Hide(hide);
}

// The bank at index of a bank list, or null for an index outside the list
// or an empty entry.
const PatchFile* bankAt(const std::vector<PatchFile*>& banks, int index) {
  if (index < 0 || static_cast<size_t>(index) >= banks.size()) return nullptr;
  return banks[static_cast<size_t>(index)];
}

}  // namespace

void VivivI::displayText(std::string name, std::string value, std::string cc) {
  setDisplayText(kControlDisplayName, name);
  setDisplayText(kControlDisplayValue, value);
  setDisplayText(kControlDisplayCC, cc);
}

void VivivI::displayPatchName(std::string name) { setDisplayText(kPatchName, name); }

void VivivI::displayCategoryName(std::string name) { setDisplayText(kControlDisplayCategory, name); }

void VivivI::setStatusText(const std::string& text) { setDisplayText(kControlDisplayName, text); }

// The clock's messages share the status line with every other message.
void VivivI::setClockStatusText(const std::string& text) { setDisplayText(kControlDisplayName, text); }

bool VivivI::editedBankReady() {
  if (patchLibrarian && bankAt(patchLibrarian->fileBanks, patchLibrarian->upperBankIndex)) return true;
  // An emptied library gets a bank through Import, or from a bank file put
  // into the library folder and read with Refresh Folders.
  const bool empty = !patchLibrarian || patchLibrarian->fileBanks.empty();
  const std::string status = empty ? "The library holds no bank!" : "No bank chosen to edit!";
  const std::string advice = empty ? "Import a bank file first" : "Choose one in the bank menu";
  setStatusText(status);
  setDisplayText(kControlDisplayValue, advice);
  log("PATCH LIBRARIAN: " + status + " " + advice);
  return false;
}

const PatchList* VivivI::librarianBankOfColumn(int column) {
  if (!patchLibrarian) return nullptr;
  const PatchLibrarian& library = *patchLibrarian;
  const PatchFile* bank = nullptr;
  if (column == 0)
    bank = library.editBlocked != 0 ? nullptr : bankAt(library.fileBanks, library.upperBankIndex);
  else if (flags.lowerShowsCategories)
    bank = bankAt(library.categoryBanks, library.lowerBankIndex);
  else if (flags.lowerShowsSearch)
    bank = bankAt(library.searchBanks, library.lowerBankIndex);
  else
    bank = bankAt(library.fileBanks, library.lowerBankIndex);
  return bank ? &bank->patches : nullptr;
}

// A row past the end of a bank shorter than 99 is an empty slot, so it reads
// as one without growing the library's bank here.
void VivivI::DisplayLibrarianPatchCategory(int row, int column) {
  const PatchList* bank = librarianBankOfColumn(column);
  if (!bank) return;
  std::string category;
  if (row >= 0 && static_cast<size_t>(row) < bank->size())
    category = (*bank)[static_cast<size_t>(row)].category;
  if (category.size() < 4) category = kCategoryUnset;
  setDisplayText(kControlDisplayLibCategory, category);
}

void VivivI::setLibrarianViewDirty() {
  if (uiConfig && uiConfig->librarianView) uiConfig->librarianView->SetDirty(false);
}

// The columns read the library's lists, which change on the GUI thread: a
// reload asked for on another thread (a patch stored by the MIDI input
// thread) runs there at the GUI's next tick.
void VivivI::updatePatchLibrarianView(int which) {
  if (which < 0 || which > 2) return;
  setLibrarianViewDirty();
  LibrarianViewControl* view = librarianView;
  if (!view) return;
  const auto reload = [view, which] {
    if (which != 1) view->patchSelectionUpperChanged();
    if (which != 0) view->patchSelectionLowerChanged();
  };
  IGraphics* gui = GetGUI();
  if (gui && !gui->IsGUIThread())
    gui->RunOnGUIThread(reload);
  else
    reload();
}

// The list's selection is shared with the MIDI input thread and the data
// thread: each field is written whole (atomics) and the list redraws.
void VivivI::selectLibrarianViewRow(int row) {
  LibrarianViewControl* view = librarianView;
  if (!view) return;
  view->selectedUpperRow = row;
  view->selectedLowerRow = row;
  view->currentRow = row;
  view->SetDirty(false);
}

void VivivI::setLibrarianViewRow(int column, int row) {
  LibrarianViewControl* view = librarianView;
  if (!view) return;
  if (column == 0)
    view->selectedUpperRow = row;
  else
    view->selectedLowerRow = row;
  view->SetDirty(false);
}

void VivivI::setLibrarianViewCurrentRow(int row) {
  if (LibrarianViewControl* view = librarianView) view->currentRow = row;
}

int VivivI::getLibrarianViewColumn() {
  const LibrarianViewControl* view = librarianView;
  return view ? view->activeColumn.load() : 0;
}

void VivivI::DisplayProcessingIndicator(bool show) {
  flags.transferHold = false;
  ControlLayer* overlay = progressIndicator ? progressIndicator->GetLayer() : progressLayer;
  const bool onLibrarianPage = parameterValue(this, kMainTab) == kLibrarianTab;
  if (show) {
    hideControl(progressIndicator, false);
    hideLayer(overlay, false);
    for (IControl* button : cancelButtons) hideControl(button, true);
    if (onLibrarianPage) {
      hideControl(cancelButtons[0], false);
      hideLayer(searchFieldLayer, true);
      hideLayer(categoryLimitLayer, true);
      if (patchSearchControl) patchSearchControl->GrayOut(true);
    } else {
      hideControl(cancelButtons[1], false);
    }
    return;
  }

  hideControl(progressIndicator, true);
  hideLayer(overlay, true);
  for (IControl* button : cancelButtons) hideControl(button, true);
  if (midiManager) midiManager->soundDumpExpected = false;
  if (onLibrarianPage) {
    if (parameterValue(this, kPatchSearch) == 1)
      hideLayer(searchFieldLayer, false);
    else
      hideLayer(categoryLimitLayer, false);
    if (patchSearchControl) patchSearchControl->GrayOut(false);
  }
}

void VivivI::SetLibrarianRequestActive(bool active) {
  if (midiManager) {
    if (active) {
      midiManager->soundDumpExpected = false;
      midiManager->libraryPatchRequest.arm();
    } else {
      midiManager->soundDumpExpected = true;
      midiManager->libraryPatchRequest.requestActive = false;
    }
    midiManager->slotStored = false;
  }
  flags.responseReceived = false;
}

void VivivI::SetLibrarianStatusUnsaved(bool unsaved) {
  if (!unsaved) return;
  if (midiManager) {
    midiManager->soundDumpExpected = false;
    midiManager->libraryPatchRequest.requestActive = false;
  }
  writeParameter(this, kBankEditUnsaved, 1.0);
  writeParameter(this, kDiscardBankData, 0.0);
  // The user saves or discards before another upper bank can be chosen.
  hideLayer(discardChangesLayer, false);
  hideLayer(librarianMenuLayers[kMenuLeftPatch], true);
}
