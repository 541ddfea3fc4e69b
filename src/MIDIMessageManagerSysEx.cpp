// The SysEx receive side: the dispatcher, the sound-dump and global-dump
// parsers and the single-parameter path.
#include <array>
#include <string>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"

using namespace VarnoSysEx;

namespace {

// Smallest message whose header (bytes 0 to 3) can be read.
constexpr int kHeaderSize = 4;
// Sizes by which the dispatcher tells messages apart.
constexpr int kDumpThreshold = 71;      // sound dumps (and long global dumps) from here on
constexpr int kGlobalThreshold = 11;    // global dumps from here on
constexpr int kParameterLimit = 24;     // up to here a global-size message may be a parameter message
constexpr uint8_t kMaxDumpDevice = 15;  // a sound dump from a higher device byte is ignored

// Address pairs (c, d) of the single-parameter messages that refresh the main
// tab after their value was applied, and the one applied as a device value
// without that refresh.
constexpr std::array<std::array<uint8_t, 2>, 5> kMainTabAddresses = {
    {{0x00, 0x02}, {0x7B, 0x01}, {0x70, 0x00}, {0x6B, 0x00}, {0x29, 0x00}}};
constexpr std::array<uint8_t, 2> kDeviceValueAddress = {0x10, 0x00};

bool isMainTabAddress(uint8_t c, uint8_t d) {
  for (const auto& address : kMainTabAddresses)
    if (address[0] == c && address[1] == d) return true;
  return false;
}

// True when bytes first to last (inclusive) are all 7-bit data bytes.
bool dataBytes(const uint8_t* bytes, int first, int last) {
  for (int i = first; i <= last; ++i)
    if (bytes[i] > kMaxDataByte) return false;
  return true;
}

// A sound dump its parser takes: the header of the first generation, a device
// byte of at most 15, and sound bytes that are all data bytes (a status byte
// among them means a broken message, which is ignored whole).
bool isSoundDump(const ISysEx& sysex) {
  return sysex.mData && sysex.mSize >= kSoundDumpSize && sysex.mData[kManufacturerByte] == kManufacturer &&
         sysex.mData[kModelByte] == kModel && sysex.mData[kDeviceByte] <= kMaxDumpDevice &&
         dataBytes(sysex.mData, kFirstTableByte, kLastSoundByte);
}

// A global dump its parser takes: exactly 12 bytes, the first generation's
// header with command 0x08 and data bytes in 5 to 9.
bool isGlobalDump(const ISysEx& sysex) {
  return sysex.mData && sysex.mSize == kGlobalDumpSize && sysex.mData[kManufacturerByte] == kManufacturer &&
         sysex.mData[kModelByte] == kModel && sysex.mData[kCommandByte] == kCommandGlobalDump &&
         dataBytes(sysex.mData, kProgramByte, kProgramByte + 4);
}

// The name of a dump that carries one: bytes 76 to 89 in order, zero bytes
// left out (blanks stay).
std::string dumpName(const uint8_t* bytes) {
  std::string name;
  for (int i = kNameByte; i < kNameByte + kNameLength; ++i)
    if (bytes[i] != 0) name += static_cast<char>(bytes[i]);
  return name;
}

}  // namespace

// The text a main-tab switch shows for the parameter (its display text 0),
// under the plug-in's lock, which the switches on the GUI thread hold.
void MIDIMessageManager::setDisplayTextZero(int index, const std::string& text) {
  IParam* param = plug->GetParam(index);
  if (!param) return;
  KIT_MutexLock lock(plug->GetMutex());
  param->SetDisplayText(0, text.c_str());
}

// ==== Dispatcher =============================================================

void MIDIMessageManager::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
  if (!fromDevice || !sysex || !sysex->mData) return;
  const int size = sysex->mSize;
  const uint8_t* bytes = sysex->mData;
  if (size < kHeaderSize || size == kEnquirySize) return;
  if (bytes[kManufacturerByte] != kManufacturer) return;
  if (bytes[kModelByte] != kModel && bytes[kModelByte] != kModelSecondGeneration) return;
  if (bytes[kDeviceByte] >= 0x80) return;

  // A librarian transfer takes every accepted message.
  if (libraryPatchRequest.requestActive) {
    receiveBusy = true;
    if (libraryPatchRequest.addMessageData(bytes, size)) {
      if (patchLibrarian) patchLibrarian->setSysexDatatoSelectedSlot(&libraryPatchRequest.patch);
      plug->updatePatchLibrarianView(0);
      plug->setLibrarianViewDirty();
      receiveBusy = false;
      answerDeviceId = bytes[kDeviceByte];
      slotStored = true;
    }
    return;
  }

  bool parameterMessage = false;
  if (size >= kDumpThreshold && soundDumpExpected) {
    receiveBusy = true;
    if (isSoundDump(*sysex)) {
      answerDeviceId = bytes[kDeviceByte];
      adoptDeviceId(bytes[kDeviceByte]);
    }
    sysexPartPatchParse(sysex);
    refreshMainTab = true;
  } else if (size >= kGlobalThreshold) {
    if (plug->flags.globalAnswerExpected) {
      receiveBusy = true;
      if (isGlobalDump(*sysex)) {
        answerDeviceId = bytes[kDeviceByte];
        adoptDeviceId(bytes[kDeviceByte]);
      }
      sysexSettingsParse(sysex);
      refreshMainTab = true;
    } else {
      parameterMessage = size <= kParameterLimit;
    }
  } else {
    parameterMessage = true;
  }

  if (parameterMessage && !soundDumpExpected) {
    controlMissing = false;
    refreshMainTab = false;
    if (size == kParameterMessageSize && bytes[kDeviceByte] == kParameterMessageDevice &&
        bytes[kCommandByte] == kParameterMessageCommand) {
      const uint8_t c = bytes[kParameterAddressLowByte];
      const uint8_t d = bytes[kParameterAddressHighByte];
      const int v = bytes[kParameterValueByte];
      IControl* control = plug->getSysexControl(bytes[kDeviceByte], bytes[kCommandByte], c, d, 0);
      if (control) {
        if (isMainTabAddress(c, d)) {
          valueFromHardware = true;
          applyHardwareValue(control, v);
          plug->OnParamChange2(kMainTab);
          valueFromHardware = false;
        } else if (c == kDeviceValueAddress[0] && d == kDeviceValueAddress[1]) {
          valueFromHardware = true;
          applyHardwareValue(control, v);
          valueFromHardware = false;
        } else if (control->ParamIdx() == kArpTempo) {
          applyHardwareValue(control, arpTempoFromParameterMessage(v, bytes[kParameterExtraByte]));
        } else {
          applyHardwareValue(control, v);
        }
      }
    }
  }

  if (refreshMainTab) plug->OnParamChange(kMainTab);
  receiveBusy = false;
}

// ==== Sound dump =============================================================

void MIDIMessageManager::sysexPartPatchParse(ISysEx* sysex) {
  if (!sysex || !isSoundDump(*sysex)) return;
  const uint8_t* bytes = sysex->mData;
  const int size = sysex->mSize;

  slotStored = false;
  const std::array<bool, kNumSectionLocks> locked = readSectionLocks();

  // A nameless dump read back after the editor made the sound (a randomised
  // one) leaves the name the editor gave it.
  const bool keepName = keepPatchName.exchange(false) && size < kCategoryByte;
  std::string name = size >= kCategoryByte ? dumpName(bytes) : "REQUESTED";
  if (!keepName) {
    setDisplayTextZero(kPatchName, name);
    if (patchManager) patchManager->names[0] = name.empty() ? "Set Name" : name;
  }
  plug->setLibrarianViewDirty();

  // Category: byte 90 of a dump that carries one; a dump without it (76
  // bytes) is a sound without a category, code 0 "NONE", so that what the
  // CATEGORY field shows is also what a SEND shows and a store files. The
  // text is kept as display text 0 of kCategoryName too, which every
  // main-tab refresh shows again (as kPatchName keeps the name).
  const int code = size > kCategoryByte ? bytes[kCategoryByte] : 0;
  const char* knownText = categoryText(code);
  const std::string category = knownText ? knownText : categoryText(0);
  writeParameterValue(kCategoryName, code);
  setDisplayTextZero(kCategoryName, category);
  if (patchManager) patchManager->names[1] = category;
  plug->setLibrarianViewDirty();
  setParameterFromPlug(kCategoryName, code);
  plug->displayCategoryName(category);

  for (const SoundDumpByte& row : kSoundDumpTable) {
    if (row.byteIndex >= size) break;
    if (locked[row.lock - kSectionLockOsc1]) continue;
    const uint8_t byte = bytes[row.byteIndex];
    setParameterFromPlug(row.parameter, decodeSoundByte(row, byte));
    if (row.byteIndex == kArpOnOffByte) setParameterFromPlug(kArpOnOffIndicator, byte != 0 ? 1.0 : 0.0);
  }
  forgetSoundValuesSent();
  slotStored = true;
}

void MIDIMessageManager::forgetSoundValuesSent() {
  for (int index = 0; index < kNumAutomatedParams; ++index)
    if (const IParam* param = plug->GetParam(index))
      if (ControlAction* action = param->GetControlAction()) action->resetLastValue();
}

// ==== Global dump ============================================================

void MIDIMessageManager::sysexSettingsParse(ISysEx* sysex) {
  if (!sysex || !isGlobalDump(*sysex)) return;
  slotStored = false;
  for (const GlobalDumpByte& row : kGlobalDumpTable)
    setParameterFromPlug(row.parameter, static_cast<double>(sysex->mData[row.byteIndex]) - row.offset);
  // Every setting now holds the Varno's own value. The dump reached the
  // settings without their change handler, so the value a field last sent
  // may no longer be the Varno's: the next choice in a field is sent
  // whatever it was.
  plug->flags.knownGlobalSettings = kAllGlobalSettings;
  for (const GlobalDumpByte& row : kGlobalDumpTable)
    if (const IParam* param = plug->GetParam(row.parameter))
      if (ControlAction* action = param->GetControlAction()) action->resetLastValue();
  slotStored = true;
}

// ==== Parameter messages =====================================================

IControl* MIDIMessageManager::processSysExToUI(IControl* control, int value, bool refresh, bool,
                                               bool markHardware) {
  if (!control) return control;
  valueFromHardware = false;
  soundDumpExpected = false;
  if (markHardware) valueFromHardware = true;
  applyHardwareValue(control, value);
  if (refresh) plug->OnParamChange2(kMainTab);
  valueFromHardware = false;
  return control;
}

IControl* MIDIMessageManager::getNormalControl(int byte3, int byte4, int byte5, int byte6, int value,
                                               bool markHardware) {
  IControl* control = plug->getSysexControl(byte3, byte4, byte5, byte6, 0);
  if (!control) {
    controlMissing = true;
    return nullptr;
  }
  return processSysExToUI(control, value, false, false, markHardware);
}
