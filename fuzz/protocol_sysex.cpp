// Fuzzes the SysEx receive side: the dispatcher, the sound-dump and global-
// dump parsers, the parameter-message path and the library transfer
// collection. The input's last byte picks the manager's flags and the source;
// the bytes before it are a run of messages, each a length byte followed by
// that many bytes (cut at the end of the input), fed to one editor in order.
// Each message is copied into storage of its exact size, so a read past its
// end is caught. After the run every parameter of the sound dump and the
// global settings must lie in its range.
//
// The real editor is built from the built bundle's descriptions, whose
// controls are filed under the parameter-message addresses. Building it
// costs far more than a run of messages, so one editor serves every input
// and is brought back to its state after construction first: parameters and
// their controls, the manager's and the editor's flags, the library request
// and the edited bank (one of 99 empty slots).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/UIConfigManager.h"
#include "tests/support/test_editor.h"

namespace {

using FuzzEditor = HostlessEditor<>;

// The controls filed under every parameter-message address the receive side
// knows of: (dump byte, 01) for the sound bytes and the six special pairs.
// An address the description leaves free gets a control of its own.
std::vector<IControl*> fileControls(FuzzEditor& editor, std::vector<std::unique_ptr<IControl>>& owned) {
  using namespace VarnoSysEx;
  struct Address {
    int parameter, c, d;
  };
  std::vector<Address> addresses;
  for (int byte = kFirstSoundByte; byte <= kLastSoundByte; ++byte)
    addresses.push_back({soundDumpByte(byte)->parameter, byte, 0x01});
  addresses.insert(addresses.end(), {{kOscillator1Semitone, 0x29, 0x00},
                                     {kOscillator2Semitone, 0x6B, 0x00},
                                     {kOscillator3Semitone, 0x70, 0x00},
                                     {kOscillator2Shape, 0x7B, 0x01},
                                     {kOscillator2Sync, 0x00, 0x02},
                                     {kPortamentoMode, 0x10, 0x00}});
  std::vector<IControl*> controls;
  for (const Address& a : addresses) {
    IControl* control = editor.getSysexControl(0x58, 0x41, a.c, a.d, 0);
    if (!control) {
      owned.push_back(std::make_unique<IControl>(&editor, a.parameter));
      control = owned.back().get();
      unsigned char header[4] = {0x58, 0x41, static_cast<unsigned char>(a.c),
                                 static_cast<unsigned char>(a.d)};
      editor.uiConfig->sysexControls.addToControlMap(header, 0, control);
    }
    controls.push_back(control);
  }
  return controls;
}

struct SharedEditor {
  SharedEditor() {
    editor.patchLibrarian->fileBanks.push_back(new PatchFile());
    editor.patchLibrarian->upperBankIndex = static_cast<int>(editor.patchLibrarian->fileBanks.size()) - 1;
  }
  FuzzEditor editor;
  std::vector<std::unique_ptr<IControl>> owned;
  std::vector<IControl*> controls = fileControls(editor, owned);

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
    editor.flags.globalAnswerExpected = false;
    editor.flags.responseReceived = false;
    editor.flags.deviceId = 0;
    std::vector<LibrarianPatch>& edited =
        editor.patchLibrarian->fileBanks.at(static_cast<size_t>(editor.patchLibrarian->upperBankIndex))
            ->patches;
    edited.assign(PatchFile::kSlots, LibrarianPatch());
    editor.patchLibrarian->selectedUpperSlot = 0;
    editor.patchLibrarian->selectedLowerSlot = 0;
  }
};

FuzzEditor& freshEditor() {
  static SharedEditor* shared = new SharedEditor();  // lives as long as the process
  shared->reset();
  return shared->editor;
}

bool inRange(const FuzzEditor& editor, int index) {
  const IParam* param = editor.GetParam(index);
  return param->Value() >= param->GetMin() && param->Value() <= param->GetMax();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t flags = data[size - 1];
  --size;

  FuzzEditor& editor = freshEditor();
  MIDIMessageManager& manager = *editor.midiManager;
  manager.soundDumpExpected = flags & 1;
  editor.flags.globalAnswerExpected = (flags & 2) != 0;
  if (flags & 4) manager.libraryPatchRequest.arm();
  if (flags & 8) editor.GetParam(kSectionLockOsc1 + (flags >> 5) % VarnoSysEx::kNumSectionLocks)->Set(1.0);
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
  if (!inRange(editor, kCategoryName) || editor.flags.deviceId < 0 || editor.flags.deviceId > 127) abort();
  if (manager.libraryPatchRequest.patch.messages.size() > LibraryPatchRequest::kMaxMessages) abort();
  return 0;
}
