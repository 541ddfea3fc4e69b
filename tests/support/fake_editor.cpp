#include "tests/support/fake_editor.h"

#include "src/LibrarianPatch.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/PatchLibrarian.h"
#include "src/PatchManager.h"

FakeEditor::FakeEditor()
    : HostlessPlug<EditorServices>(IModuleInstanceInfo(), kNumParams, "0-2", 0, "Fake Editor", "", "Tests", 1,
                                   0, 0, 0, true, true, true, 0) {
  initialize(IModuleInstanceInfo(), 0, kNumParams, "0-2", 0, "Fake Editor", "", "Tests", 1, 0, 0, 0, true,
             true, true, 0);
  for (int i = 0; i < kNumParams; ++i) GetParam(i)->InitInt("", 0, 0, 127);
  mPatchManager = std::make_unique<PatchManager>();
  mPatchManager->owner = this;
  patchLibrarian = std::make_unique<PatchLibrarian>();
  patchLibrarian->owner = this;
  midiManager =
      std::make_unique<MIDIMessageManager>(this, mPatchManager.get(), patchLibrarian.get(), nullptr);
}

FakeEditor::~FakeEditor() {
  // The jobs call back into the recorders: they end first.
  midiManager->sender->shutdown();
  midiManager->waitForJobs();
  midiManager.reset();
  patchLibrarian.reset();
}

IControl* FakeEditor::fileCCControl(int parameter, int channelKey, int controller, int table) {
  mControls.push_back(std::make_unique<IControl>(this, parameter));
  mCCControls[{channelKey, controller, table}] = mControls.back().get();
  return mControls.back().get();
}

IControl* FakeEditor::fileSysexControl(int parameter, int byte1, int byte2, int byte3, int byte4) {
  mControls.push_back(std::make_unique<IControl>(this, parameter));
  mSysexControls[{byte1, byte2, byte3, byte4}] = mControls.back().get();
  return mControls.back().get();
}

ServiceCalls FakeEditor::calls() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mCalls;
}

void FakeEditor::setStatusText(const std::string& text) { Record(mCalls.statusTexts, text); }

void FakeEditor::setClockStatusText(const std::string& text) { setStatusText(text); }

void FakeEditor::setDisplayText(int paramIndex, const std::string& text) {
  Record(mCalls.lineTexts, paramIndex, text);
}

void FakeEditor::DisplayProcessingIndicator(bool show) { Record(mCalls.indicatorStates, show); }

void FakeEditor::displayCategoryName(std::string name) { Record(mCalls.categoryNames, std::move(name)); }

void FakeEditor::setParameterNoHandler(int index, double value) {
  if (IParam* param = GetParam(index)) param->Set(value);
}

void FakeEditor::pauseWithoutLock(int milliseconds) { Record(mCalls.pauses, milliseconds); }

void FakeEditor::checksumCheckAndSend(unsigned char* bytes, int count) {
  if (!bytes || count < 1) return;
  Record(mCalls.checkedSends, bytes, bytes + count);
}

void FakeEditor::SendProgramChangeCommand(int program, int argument) {
  Record(mCalls.programChanges, program, argument);
}

void FakeEditor::MIDIOutRoutingSwitch(IMidiMsg* msg) { Record(mCalls.routed, *msg); }

void FakeEditor::sendPatchToDeviceFromLibrarian(int slot, int column) {
  Record(mCalls.librarianSends, slot, column);
}

void FakeEditor::SetLibrarianStatusUnsaved(bool unsaved) { Record(mCalls.unsavedMarks, unsaved); }

void FakeEditor::updatePatchLibrarianView(int which) { Record(mCalls.viewUpdates, which); }

void FakeEditor::selectLibrarianViewRow(int row) { Record(mCalls.selectedRows, row); }

const PatchList* FakeEditor::librarianBankOfColumn(int column) {
  const size_t bank =
      static_cast<size_t>(column ? patchLibrarian->lowerBankIndex : patchLibrarian->upperBankIndex);
  return bank < patchLibrarian->fileBanks.size() ? &patchLibrarian->fileBanks[bank]->patches : nullptr;
}

IControl* FakeEditor::getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex) {
  if (valueIndex != 0) return nullptr;
  const auto found = mSysexControls.find({byte1, byte2, byte3, byte4});
  return found == mSysexControls.end() ? nullptr : found->second;
}

IControl* FakeEditor::getCCControls(int channelKey, int controller, int table) {
  const auto found = mCCControls.find({channelKey, controller, table});
  return found == mCCControls.end() ? nullptr : found->second;
}

void FakeEditor::OnParamChange(int index) { Record(mCalls.paramChanges, index); }

void FakeEditor::OnParamChange2(int index) { Record(mCalls.paramChanges2, index); }

// The framework's entries make their plug-in through MakePlug: in a program
// built on the core alone, the stand-in is that plug-in.
IModuleBase* MakePlug() { return new FakeEditor(); }
