#include "editor_double.h"

#include <vector>

namespace {

TestEditor& editorOf(VivivI* editor) { return *static_cast<TestEditor*>(editor); }

// A value of the editor's own parameters that the protocol reads.
struct OtherRange {
  int index;
  int minimum;
  int maximum;
};

const OtherRange kOtherRanges[] = {
    {kGlobalMidiChannel, 0, 16},
    {kGlobalLocalControl, 0, 1},
    {kPartLock, 0, 1},
    {kMIDILed, 0, 1},
    {kGlobalStartUpProgram, 0, 98},
    {kGlobalMasterTune, 0, 20},
    {kGlobalControlX, 0, 3},
    {kGlobalDeviceID, 0, 15},
    {kCurrentPatch, 0, 98},
    {kCategoryName, 0, 20},
    {kArpSyncIndicator, 0, 1},
    {kArpOnOffIndicator, 0, 1},
    {kOscillator1OctaveIndicator, 0, 1},
    {kOscillator2OctaveIndicator, 0, 1},
    {kOscillator3OctaveIndicator, 0, 1},
    {kMainTab, 0, 3},
};

}  // namespace

const std::array<ParameterRange, kNumAutomatedParams> kSoundParameterRanges = {{
    {0, 0, 96},   {1, 0, 96},   {2, 0, 96},   {3, 0, 127},  {4, 0, 127},  {5, 0, 127},  {6, 0, 2},
    {7, 0, 3},    {8, 0, 2},    {9, 0, 127},  {10, 0, 127}, {11, 0, 127}, {12, 0, 127}, {13, 0, 127},
    {14, 0, 127}, {15, 0, 127}, {16, 0, 127}, {17, 0, 127}, {18, 0, 127}, {19, 0, 127}, {20, 0, 127},
    {21, 0, 127}, {22, 0, 127}, {23, 0, 127}, {24, 0, 127}, {25, 0, 127}, {26, 0, 127}, {27, 0, 127},
    {28, 0, 127}, {29, 0, 127}, {30, 0, 7},   {31, 0, 127}, {32, 0, 127}, {33, 0, 127}, {34, 0, 3},
    {35, 0, 127}, {36, 0, 3},   {37, 0, 1},   {38, 0, 1},   {39, 0, 127}, {40, 0, 127}, {41, 0, 127},
    {42, 0, 127}, {43, 0, 15},  {44, 0, 127}, {45, 0, 127}, {46, 0, 127}, {47, 0, 127}, {48, 0, 15},
    {49, 0, 127}, {50, 0, 2},   {51, 0, 12},  {52, 0, 1},   {53, 0, 2},   {54, 0, 3},   {55, 0, 127},
    {56, 0, 9},   {57, 0, 6},   {58, 0, 15},  {59, 0, 127}, {60, 0, 15},  {61, 0, 15},  {62, 0, 127},
    {63, 0, 15},  {64, 0, 15},  {65, 0, 127}, {66, 0, 15},  {67, 0, 15},  {68, 0, 127}, {69, 0, 15},
    {70, 0, 127}, {71, 0, 15},
}};

// ==== VivivI: the operations the protocol uses ===============================

VivivI::VivivI(IModuleInstanceInfo info)
    : IModuleAU(info, kNumAutomatedParams, "2-2", 0, "VivivI Editor", "", "Harrow Creek Sound", 0x00010105,
                0x6B7A726E, 0x48635331, 128, true, true, true, 0) {
  IModuleBase::initialize(0, kNumParams, "2-2", 0, "VivivI Editor", "", "Harrow Creek Sound", 0x00010105,
                          0x6B7A726E, 0x48635331, 128, true, true, true);
  addNonAutomateParamCount(kNumParams);
  for (int i = 0; i < kNumParams; ++i) GetParam(i)->InitInt("", 0, 0, 1);
  for (const ParameterRange& range : kSoundParameterRanges)
    GetParam(range.index)->InitInt("", range.minimum, range.minimum, range.maximum);
  for (const OtherRange& range : kOtherRanges)
    GetParam(range.index)->InitInt("", range.minimum, range.minimum, range.maximum);
  GetParam(kPatchName)->InitText();

  patchManager = new PatchManager();
  patchLibrarian = new PatchLibrarian();
  patchLibrarian->fileBanks.push_back(new PatchFile());  // the bank being edited
  patchLibrarian->fileBanks[0]->patches.resize(PatchFile::kSlots);
  graphics = new IGraphics(this, 1500, 667);
  AttachGraphics(graphics);
  midiManager = new MIDIMessageManager(this, patchManager, patchLibrarian, graphics);
}

VivivI::~VivivI() {
  // The MIDI input calls into the manager: close it first.
  CloseExternalMIDIPorts();
  delete midiManager;
  delete patchLibrarian;
  delete patchManager;
}

void VivivI::OnParamChange(int index) {
  editorOf(this).record([&](EditorCalls& calls) { calls.paramChanges.push_back(index); });
}

void VivivI::OnParamChange2(int index) {
  editorOf(this).record([&](EditorCalls& calls) {
    calls.paramChanges2.push_back(index);
    calls.hardwareFlagAtChange2.push_back(midiManager->valueFromHardware);
  });
}

void VivivI::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  if (transferHold) return;
  midiManager->ProcessSysEx(sysex, fromDevice);
  if (midiManager->slotStored) responseReceived = true;
}

void VivivI::ProcessMidiMsg(IMidiMsg*, bool) {}
void VivivI::Reset() { IModuleBase::Reset(); }
void VivivI::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  IModuleBase::ProcessDoubleReplacing(inputs, outputs, nFrames);
}

IControl* VivivI::getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex) {
  TestEditor& editor = editorOf(this);
  const auto found = editor.mSysExControls.find({byte1, byte2, byte3, byte4, valueIndex});
  return found == editor.mSysExControls.end() ? nullptr : found->second;
}

IControl* VivivI::getCCControls(int channelKey, int controller, int table) {
  TestEditor& editor = editorOf(this);
  const auto found = editor.mCCControls.find({channelKey, controller, table});
  return found == editor.mCCControls.end() ? nullptr : found->second;
}

void VivivI::displayCategoryName(std::string name) {
  editorOf(this).record([&](EditorCalls& calls) { calls.categoryNames.push_back(name); });
}

void VivivI::setLibrarianViewDirty() {
  editorOf(this).record([](EditorCalls& calls) { ++calls.librarianViewDirty; });
}

void VivivI::updatePatchLibrarianView(int which) {
  editorOf(this).record([&](EditorCalls& calls) { calls.librarianViewUpdates.push_back(which); });
}

void VivivI::selectLibrarianViewRow(int row) {
  editorOf(this).record([&](EditorCalls& calls) { calls.selectedRows.push_back(row); });
}

int VivivI::getLibrarianViewColumn() { return 1; }

void VivivI::sendPatchToDeviceFromLibrarian(int slot, int column) {
  editorOf(this).record([&](EditorCalls& calls) { calls.librarianSends.emplace_back(slot, column); });
}

void VivivI::SendProgramChangeCommand(int program, int argument) {
  editorOf(this).record([&](EditorCalls& calls) { calls.programChanges.emplace_back(program, argument); });
}

void VivivI::MIDIOutRoutingSwitch(IMidiMsg* msg) {
  editorOf(this).record([&](EditorCalls& calls) {
    calls.routed.push_back({msg->mStatus, msg->mData1, msg->mData2});
  });
}

// ==== PatchLibrarian: the edited bank a received patch is stored into =======

std::vector<std::pair<int, LibrarianPatch>> TestEditor::storedPatches() const {
  std::vector<std::pair<int, LibrarianPatch>> stored;
  const std::vector<LibrarianPatch>& slots = patchLibrarian->fileBanks.at(0)->patches;
  for (size_t slot = 0; slot < slots.size(); ++slot)
    if (!slots[slot].messages.empty()) stored.emplace_back(static_cast<int>(slot), slots[slot]);
  return stored;
}

// ==== TestEditor =============================================================

TestEditor::TestEditor() : HostlessPlug<VivivI>(IModuleInstanceInfo()) {}

TestEditor::~TestEditor() {
  // No MIDI input may reach the controls and maps destroyed below.
  CloseExternalMIDIPorts();
}

IControl* TestEditor::addSysExControl(int parameter, int key3, int key4, int c, int d) {
  mControls.push_back(std::make_unique<IControl>(this, parameter));
  IControl* control = mControls.back().get();
  // The UI build pushes every control's value once, which fixes its default.
  control->SetValueFromPlug(GetParam(parameter)->GetNormalized());
  mSysExControls[{key3, key4, c, d, 0}] = control;
  return control;
}

IControl* TestEditor::addCCControl(int parameter, int channelKey, int controller, int table) {
  mControls.push_back(std::make_unique<IControl>(this, parameter));
  IControl* control = mControls.back().get();
  control->SetValueFromPlug(GetParam(parameter)->GetNormalized());
  mCCControls[{channelKey, controller, table}] = control;
  return control;
}

bool TestEditor::SendMidiSysex(unsigned char* bytes, int size) {
  if (!bytes || size <= 0) return false;
  std::vector<uint8_t> framed(bytes, bytes + size);
  if (framed.front() != 0xF0) {
    framed.insert(framed.begin(), 0xF0);
    framed.push_back(0xF7);
  }
  return SendToExternalMIDIOut(framed.data(), static_cast<int>(framed.size()));
}

EditorCalls TestEditor::calls() const {
  std::lock_guard<std::mutex> lock(mCallsMutex);
  return mCalls;
}

void TestEditor::clearCalls() {
  std::lock_guard<std::mutex> lock(mCallsMutex);
  mCalls = EditorCalls();
}

// The component entry's factory: the stand-in editor.
IModuleBase* MakePlug() { return new TestEditor(); }

// The framework's own state chunk: the protocol tests do not recall projects.
bool VivivI::SerializeState(ByteChunk* chunk) { return IModuleAU::SerializeState(chunk); }
int VivivI::UnserializeState(ByteChunk* chunk, int startPos) {
  return IModuleAU::UnserializeState(chunk, startPos);
}
