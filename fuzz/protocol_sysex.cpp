// Fuzzes the SysEx receive side: the dispatcher, the sound-dump and global-
// dump parsers, the parameter-message path and the library transfer
// collection. The input's last byte picks the manager's flags and the source;
// the bytes before it are a run of messages, each a length byte followed by
// that many bytes (cut at the end of the input), fed to one editor in order.
// Each message is copied into storage of its exact size, so a read past its
// end is caught. After the run every parameter of the sound dump and the
// global settings must lie in its range.
//
// Building an editor stand-in costs far more than a run of messages, so one
// editor serves every input and is brought back to its state after
// construction first: parameters and the controls filed under them, the
// manager's and the editor's flags, the library request and the edited bank.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "src/MIDIMessageSysEx.h"
#include "tests/protocol/editor_double.h"

namespace {

// Files a control under every parameter-message address the receive side
// knows of: (dump byte, 01) for the sound bytes and the six special pairs.
std::vector<IControl*> fileControls(TestEditor& editor) {
  using namespace VarnoSysEx;
  std::vector<IControl*> controls;
  for (int byte = kFirstSoundByte; byte <= kLastSoundByte; ++byte)
    controls.push_back(editor.addSysExControl(soundDumpByte(byte)->parameter, 0x58, 0x41, byte, 0x01));
  controls.push_back(editor.addSysExControl(kOscillator1Semitone, 0x58, 0x41, 0x29, 0x00));
  controls.push_back(editor.addSysExControl(kOscillator2Semitone, 0x58, 0x41, 0x6B, 0x00));
  controls.push_back(editor.addSysExControl(kOscillator3Semitone, 0x58, 0x41, 0x70, 0x00));
  controls.push_back(editor.addSysExControl(kOscillator2Shape, 0x58, 0x41, 0x7B, 0x01));
  controls.push_back(editor.addSysExControl(kOscillator2Sync, 0x58, 0x41, 0x00, 0x02));
  controls.push_back(editor.addSysExControl(kPortamentoMode, 0x58, 0x41, 0x10, 0x00));
  return controls;
}

struct SharedEditor {
  TestEditor editor;
  std::vector<IControl*> controls = fileControls(editor);

  // Everything the receive side writes, back as after construction.
  void reset() {
    for (int i = 0; i < kNumParams; ++i) editor.GetParam(i)->Set(editor.GetParam(i)->GetDefault());
    for (IControl* control : controls)
      control->SetValueFromPlug(editor.GetParam(control->ParamIdx())->GetNormalized());
    MIDIMessageManager& manager = *editor.midiManager;
    manager.soundDumpExpected = false;
    manager.refreshMainTab = false;
    manager.controlMissing = false;
    manager.receiveBusy = false;
    manager.valueFromHardware = false;
    manager.slotStored = false;
    manager.messageFromHost = false;
    manager.answerDeviceId = -1;
    manager.libraryPatchRequest.patch = LibrarianPatch();
    manager.libraryPatchRequest.requestActive = false;
    manager.libraryPatchRequest.status = 1;
    editor.globalAnswerExpected = false;
    editor.responseReceived = false;
    editor.deviceId = 0;
    std::vector<LibrarianPatch>& edited = editor.patchLibrarian->fileBanks.at(0)->patches;
    edited.assign(PatchFile::kSlots, LibrarianPatch());
    editor.patchLibrarian->selectedUpperSlot = 0;
    editor.patchLibrarian->selectedLowerSlot = 0;
    editor.clearCalls();
  }
};

TestEditor& freshEditor() {
  static SharedEditor* shared = new SharedEditor();  // lives as long as the process
  shared->reset();
  return shared->editor;
}

bool inRange(const TestEditor& editor, int index) {
  const IParam* param = editor.GetParam(index);
  return param->Value() >= param->GetMin() && param->Value() <= param->GetMax();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[size - 1];
  --size;

  TestEditor& editor = freshEditor();
  MIDIMessageManager& manager = *editor.midiManager;
  manager.soundDumpExpected = flags & 1;
  editor.globalAnswerExpected = (flags & 2) != 0;
  if (flags & 4) manager.libraryPatchRequest.arm();
  if (flags & 8) editor.set(kSectionLockOsc1 + (flags >> 5) % VarnoSysEx::kNumSectionLocks, 1.0);
  const bool fromDevice = (flags & 16) == 0;

  size_t position = 0;
  while (position < size) {
    const size_t length = std::min<size_t>(data[position], size - position - 1);
    ++position;
    std::vector<uint8_t> message(data + position, data + position + length);
    position += length;
    ISysEx sysex(0, message.empty() ? nullptr : message.data(), static_cast<int32_t>(message.size()));
    manager.ProcessSysEx(&sysex, fromDevice);
  }

  for (const VarnoSysEx::SoundDumpByte& row : VarnoSysEx::kSoundDumpTable)
    if (!inRange(editor, row.parameter)) abort();
  for (const VarnoSysEx::GlobalDumpByte& row : VarnoSysEx::kGlobalDumpTable)
    if (!inRange(editor, row.parameter)) abort();
  if (!inRange(editor, kCategoryName) || editor.deviceId < 0 || editor.deviceId > 127) abort();
  if (manager.libraryPatchRequest.patch.messages.size() > LibraryPatchRequest::kMaxMessages) abort();
  return 0;
}
