// The SysEx receive side: the dispatcher picks the parser by size, flags and
// header; the sound-dump parser honours the section locks; global dumps and
// parameter messages move their parameters; foreign and malformed messages
// change nothing.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "src/MIDIMessageSysEx.h"
#include "tests/protocol/protocol_editor.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace VarnoSysEx;

// A 76-byte sound dump whose byte i (5..70) is base + i, limited to 7 bits.
Bytes soundDump(int device = 0, int base = 1) {
  Bytes bytes(kSoundDumpTemplate.begin(), kSoundDumpTemplate.end());
  bytes[3] = static_cast<uint8_t>(device);
  for (int i = kFirstTableByte; i <= kLastSoundByte; ++i) bytes[i] = static_cast<uint8_t>((base + i) & 0x7F);
  writeSoundDumpChecksum(bytes.data(), kSoundDumpSize);
  return bytes;
}

Bytes globalDump(int device, int program, int tune, int controlX, int channel, int id) {
  return {0xF0,
          0x3E,
          0x0B,
          static_cast<uint8_t>(device),
          0x08,
          static_cast<uint8_t>(program),
          static_cast<uint8_t>(tune),
          static_cast<uint8_t>(controlX),
          static_cast<uint8_t>(channel),
          static_cast<uint8_t>(id),
          0x00,
          0xF7};
}

Bytes parameterMessage(uint8_t c, uint8_t d, uint8_t v, uint8_t x = 0, uint8_t model = 0x0B) {
  return {0xF0, 0x3E, model, 0x58, 0x41, c, d, v, x, 0xF7};
}

// Every parameter value, the device ID, the stored names and the library
// stores: what "changes nothing" compares.
struct EditorState {
  std::vector<double> values;
  int deviceId;
  std::vector<std::string> names;
  size_t stored;
  bool operator==(const EditorState& o) const {
    return values == o.values && deviceId == o.deviceId && names == o.names && stored == o.stored;
  }
};

class ReceiveSysEx : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.set(kGlobalDeviceID, 2);
    editor.flags.deviceId = 2;
  }
  void receive(const Bytes& bytes, bool fromDevice = true) {
    ISysEx sysex(0, bytes.data(), static_cast<int32_t>(bytes.size()));
    manager().ProcessSysEx(&sysex, fromDevice);
  }
  MIDIMessageManager& manager() { return *editor.midiManager; }
  EditorState state() {
    EditorState s;
    for (int i = 0; i < kNumParams; ++i) s.values.push_back(editor.value(i));
    s.deviceId = editor.flags.deviceId;
    s.names = editor.patchManager->names;
    s.stored = editor.storedPatches().size();
    return s;
  }
  ProtocolEditor editor;
};

// ---- Choosing the parser ----

TEST_F(ReceiveSysEx, dispatcherChoosesTheParserBySizeFlagsAndHeader) {
  enum Outcome { kNothing, kSound, kGlobal, kParameter, kLibrarian };
  const struct {
    const char* why;
    Bytes bytes;
    bool soundExpected;
    bool globalExpected;
    bool librarianActive;
    Outcome outcome;
  } kCases[] = {
      {"sound dump while one is expected", soundDump(2), true, false, false, kSound},
      {"sound dump while none is expected", soundDump(2), false, false, false, kNothing},
      {"sound dump while a global answer is expected goes to the global parser", soundDump(2), false, true,
       false, kNothing},
      {"global dump after the enquiry", globalDump(2, 5, 60, 1, 3, 2), false, true, false, kGlobal},
      {"global dump before any enquiry", globalDump(2, 5, 60, 1, 3, 2), false, false, false, kNothing},
      {"global dump while a sound dump is expected", globalDump(2, 5, 60, 1, 3, 2), true, true, false,
       kGlobal},
      {"parameter message", parameterMessage(0x3D, 0x01, 99), false, false, false, kParameter},
      {"parameter message after the enquiry", parameterMessage(0x3D, 0x01, 99), false, true, false,
       kParameter},
      {"parameter message while a sound dump is expected", parameterMessage(0x3D, 0x01, 99), true, false,
       false, kNothing},
      {"sound dump during a librarian transfer", soundDump(2), true, true, true, kLibrarian},
      {"parameter message during a librarian transfer", parameterMessage(0x3D, 0x01, 99), false, false, true,
       kNothing},
  };
  for (const auto& c : kCases) {
    ProtocolEditor fresh;
    fresh.addSysExControl(kFilterCutoff, 0x58, 0x41, 0x3D, 0x01);
    MIDIMessageManager& m = *fresh.midiManager;
    m.soundDumpExpected = c.soundExpected;
    fresh.flags.globalAnswerExpected = c.globalExpected;
    if (c.librarianActive) m.libraryPatchRequest.arm();
    fresh.set(kGlobalMasterTune, 10);
    ISysEx sysex(0, c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
    m.ProcessSysEx(&sysex, true);

    const bool sound = fresh.value(kFilterCutoff) == ((1 + 61) & 0x7F);
    const bool global = fresh.value(kGlobalMasterTune) == 6;
    const bool parameter = fresh.value(kFilterCutoff) == 99;
    const bool librarian = fresh.storedPatches().size() == 1;
    EXPECT_EQ(sound, c.outcome == kSound) << c.why;
    EXPECT_EQ(global, c.outcome == kGlobal) << c.why;
    EXPECT_EQ(parameter, c.outcome == kParameter) << c.why;
    EXPECT_EQ(librarian, c.outcome == kLibrarian) << c.why;
    // A librarian transfer stays busy until a message completes its patch.
    EXPECT_EQ(m.receiveBusy, c.librarianActive && c.outcome != kLibrarian) << c.why;
  }
}

// ---- Sound dumps ----

TEST_F(ReceiveSysEx, soundDumpSetsEveryParameterOfTheTable) {
  manager().soundDumpExpected = true;
  Bytes dump = soundDump(5);
  dump[5] = 17;
  dump[6] = 16;   // semitone 0
  dump[10] = 64;  // semitone 48
  dump[59] = 0;   // own tempo: clock 0
  dump[56] = 1;
  receive(dump);

  EXPECT_EQ(editor.value(kCurrentPatch), 17);
  EXPECT_EQ(editor.value(kOscillator1Semitone), 0);
  EXPECT_EQ(editor.value(kOscillator2Semitone), 48);
  EXPECT_EQ(editor.value(kArpClock), 0);
  EXPECT_EQ(editor.value(kArpOnOffIndicator), 1);
  for (const SoundDumpByte& row : kSoundDumpTable) {
    if (row.coding != ByteCoding::kValue || row.parameter == kCurrentPatch) continue;
    const IParam* param = editor.GetParam(row.parameter);
    const double expected = std::min<double>(dump[row.byteIndex], param->GetMax());
    EXPECT_EQ(editor.value(row.parameter), expected) << "byte " << row.byteIndex;
  }
  EXPECT_EQ(editor.GetParam(kPatchName)->GetDisplayText(0), std::string("REQUESTED"));
  EXPECT_EQ(editor.patchManager->names[0], "REQUESTED");
  const EditorCalls calls = editor.calls();
  EXPECT_EQ(editor.categoriesShown(), std::vector<std::string>{"NONE"});
  ASSERT_FALSE(calls.paramChanges.empty());
  EXPECT_EQ(calls.paramChanges.front(), kMainTab);
  EXPECT_TRUE(manager().slotStored);
  EXPECT_EQ(editor.flags.deviceId, 5) << "the device ID is adopted from the dump";
  EXPECT_EQ(editor.value(kGlobalDeviceID), 5);
  // The global settings panel's field shows the ID in use.
  const IControl* field = editor.firstControlOf(kGlobalDeviceID);
  ASSERT_NE(field, nullptr);
  editor.watch();
  EXPECT_DOUBLE_EQ(field->GetValue(), editor.GetParam(kGlobalDeviceID)->GetNormalized(5));
}

// The sections of the sound and their locks, as the panel groups them.
const std::map<int, std::set<int>> kSections = {
    {kSectionLockOsc1,
     {kCurrentPatch, kOscillator1Semitone, kOscillator1Tune, kOscillator1Shape, kOscillator1Pulsewidth}},
    {kSectionLockOsc2,
     {kOscillator2Semitone, kOscillator2Tune, kOscillator2Shape, kOscillator2Pulsewidth, kOscillator2Sync,
      kOscillator2Keytrack}},
    {kSectionLockOsc3, {kOscillator3Semitone, kOscillator3Tune, kOscillator3Shape}},
    {kSectionLockMixer, {kOscillator1Level, kOscillator2Level, kOscillator3Level, kNoiseLevel}},
    {kSectionLockPitchMod, {kPitchModAmount, kPitchModSource}},
    {kSectionLockPorta, {kPortamento, kPortamentoMode, kPitchBendScale}},
    {kSectionLockFilter,
     {kFilterCutoff, kFilterCutoffKeytrack, kFilterCutoffEnv1Sens, kFilterCutoffVeloSens,
      kFilterCutoffModAmount, kFilterCutoffModSource, kFilterResonance}},
    {kSectionLockEg1,
     {kEnvelope1Attack, kEnvelope1Decay, kEnvelope1Sustain, kEnvelope1Release, kEnvelope1Keytrack,
      kEnvelope1Trigger}},
    {kSectionLockEg2,
     {kEnvelope2Attack, kEnvelope2Decay, kEnvelope2Sustain, kEnvelope2Release, kEnvelope2Keytrack,
      kEnvelope2Trigger}},
    {kSectionLockAmp, {kVolume, kVolumeVeloSense, kPanning}},
    {kSectionLockLFO1, {kLFO1Speed, kLFO1Shape}},
    {kSectionLockLFO2, {kLFO2Speed, kLFO2Delay}},
    {kSectionLockVP,
     {kModUnit1Source, kModUnit1Amount, kModUnit1Destination, kModUnit2Source, kModUnit2Amount,
      kModUnit2Destination, kModUnit3Source, kModUnit3Amount, kModUnit3Destination, kModUnit4Source,
      kModUnit4Amount, kModUnit4Destination}},
    {kSectionLockArp, {kArpOnOff, kArpRange, kArpTempo, kArpClock, kArpMode}},
};

// A sound that reached the controls without their handlers is the Varno's
// now: a control turned to the value it last sent sends it again, locked
// sections included (the Varno took the dump's values there too).
TEST_F(ReceiveSysEx, soundDumpLetsEverySoundControlSendItsNextValue) {
  int mapped = 0;
  for (int index = 0; index < kNumAutomatedParams; ++index)
    if (ControlAction* action = editor.GetParam(index)->GetControlAction()) {
      action->lastValue = 3;
      ++mapped;
    }
  ASSERT_GT(mapped, 60) << "the sound controls carry their mapping";
  editor.set(kSectionLockFilter, 1.0);
  manager().soundDumpExpected = true;
  receive(soundDump(2));
  for (int index = 0; index < kNumAutomatedParams; ++index)
    if (const ControlAction* action = editor.GetParam(index)->GetControlAction()) {
      EXPECT_EQ(action->lastValue, -1.0) << index;
    }
  ASSERT_NE(editor.GetParam(kGlobalMasterTune)->GetControlAction(), nullptr);
  editor.GetParam(kGlobalMasterTune)->GetControlAction()->lastValue = 3;
  receive(soundDump(2));
  EXPECT_EQ(editor.GetParam(kGlobalMasterTune)->GetControlAction()->lastValue, 3)
      << "a sound leaves the global settings' fields alone";
}

TEST_F(ReceiveSysEx, eachSectionLockKeepsItsBytes) {
  for (int lock = kSectionLockOsc1; lock <= kSectionLockArp; ++lock) {
    ProtocolEditor fresh;
    fresh.set(lock, 1.0);
    fresh.midiManager->soundDumpExpected = true;
    // From their lowest values every byte of the dump below is a change.
    for (const SoundDumpByte& row : kSoundDumpTable)
      fresh.set(row.parameter, fresh.GetParam(row.parameter)->GetMin());
    std::vector<double> before;
    for (int i = 0; i < kNumParams; ++i) before.push_back(fresh.value(i));
    const Bytes dump = soundDump(0, 11);  // every byte decodes above 0
    ISysEx sysex(0, dump.data(), static_cast<int32_t>(dump.size()));
    fresh.midiManager->ProcessSysEx(&sysex, true);
    const std::set<int>& section = kSections.at(lock);
    for (const SoundDumpByte& row : kSoundDumpTable) {
      const bool unchanged = fresh.value(row.parameter) == before[row.parameter];
      EXPECT_EQ(unchanged, section.count(row.parameter) == 1) << "lock " << lock << " byte " << row.byteIndex;
    }
  }
}

TEST_F(ReceiveSysEx, oscillatorOneLockKeepsTheProgramToo) {
  editor.set(kSectionLockOsc1, 1.0);
  editor.set(kCurrentPatch, 40);
  manager().soundDumpExpected = true;
  receive(soundDump(2));
  EXPECT_EQ(editor.value(kCurrentPatch), 40);
}

TEST_F(ReceiveSysEx, namedDumpWithCategory) {
  manager().soundDumpExpected = true;
  Bytes dump = soundDump(2);
  dump.resize(92);
  const char name[] = "Choir";
  for (int i = 0; i < 14; ++i) dump[76 + i] = i < 5 ? name[i] : 0;
  dump[90] = 3;
  dump[91] = 0xF7;
  receive(dump);
  EXPECT_EQ(editor.GetParam(kPatchName)->GetDisplayText(0), std::string("Choir"));
  EXPECT_EQ(editor.patchManager->names[0], "Choir");
  EXPECT_EQ(editor.patchManager->names[1], "BASS");
  EXPECT_EQ(editor.value(kCategoryName), 3);
  EXPECT_EQ(editor.categoriesShown(), std::vector<std::string>{"BASS"});
}

TEST_F(ReceiveSysEx, unknownCategoryShowsNoneAndIsLimited) {
  manager().soundDumpExpected = true;
  Bytes dump = soundDump(2);
  dump.resize(92, 0);
  dump[90] = 25;
  dump[91] = 0xF7;
  receive(dump);
  EXPECT_EQ(editor.categoriesShown(), std::vector<std::string>{"NONE"});
  EXPECT_EQ(editor.value(kCategoryName), 20);
  EXPECT_EQ(editor.patchManager->names[0], "Set Name") << "a name of zero bytes is empty";
}

// The category stays shown through the main-tab refresh that ends every
// dump, and the parameter holds every code: a dump without one is a sound
// without a category, whatever the sound before it had.
TEST_F(ReceiveSysEx, categoryOfEveryDumpStaysShownAndIsHeldWhole) {
  auto withCategory = [](int code) {
    Bytes dump = soundDump(2);
    dump.resize(92, 0x20);
    dump[90] = static_cast<uint8_t>(code);
    dump[91] = 0xF7;
    return dump;
  };
  const struct {
    const char* why;
    Bytes dump;
    const char* shown;
    int code;
  } kCases[] = {
      {"76 bytes", soundDump(2), "NONE", 0},
      {"92 bytes, LEAD", withCategory(7), "LEAD", 7},
      {"92 bytes, INIT", withCategory(20), "INIT", 20},
      {"92 bytes, NONE", withCategory(0), "NONE", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ProtocolEditor fresh;
    // A sound of another category came first.
    fresh.midiManager->soundDumpExpected = true;
    Bytes pad = withCategory(9);
    ISysEx first(0, pad.data(), static_cast<int32_t>(pad.size()));
    fresh.midiManager->ProcessSysEx(&first, true);
    ASSERT_EQ(fresh.categoryShownNow(), "PAD");

    fresh.midiManager->soundDumpExpected = true;
    ISysEx sysex(0, c.dump.data(), static_cast<int32_t>(c.dump.size()));
    fresh.midiManager->ProcessSysEx(&sysex, true);
    EXPECT_EQ(fresh.calls().paramChanges.back(), kMainTab) << "the dump ends with a main-tab refresh";
    EXPECT_EQ(fresh.categoryShownNow(), c.shown);
    EXPECT_EQ(fresh.value(kCategoryName), c.code);
    EXPECT_EQ(fresh.patchManager->names[1], c.shown);
    // A later tab switch shows it again.
    fresh.OnParamChange(kMainTab);
    EXPECT_EQ(fresh.categoryShownNow(), c.shown);
  }
}

TEST_F(ReceiveSysEx, clockCodeAndArpeggiatorIndicator) {
  manager().soundDumpExpected = true;
  Bytes dump = soundDump(2);
  dump[59] = 5;
  dump[56] = 0;
  editor.set(kArpOnOffIndicator, 1);
  receive(dump);
  EXPECT_EQ(editor.value(kArpClock), 4);
  EXPECT_EQ(editor.value(kArpOnOffIndicator), 0);
}

// ---- Global dumps ----

TEST_F(ReceiveSysEx, globalDumpSetsTheGlobalSettings) {
  editor.flags.globalAnswerExpected = true;
  receive(globalDump(7, 12, 54, 3, 16, 7));
  EXPECT_EQ(editor.value(kGlobalStartUpProgram), 12);
  EXPECT_EQ(editor.value(kGlobalMasterTune), 0) << "byte 54 is master tune 0";
  EXPECT_EQ(editor.value(kGlobalControlX), 3);
  EXPECT_EQ(editor.value(kGlobalMidiChannel), 16);
  EXPECT_EQ(editor.value(kGlobalDeviceID), 7);
  EXPECT_EQ(editor.flags.deviceId, 7);
  EXPECT_TRUE(manager().slotStored);
  EXPECT_EQ(editor.flags.knownGlobalSettings, kAllGlobalSettings) << "every setting is now the Varno's";
}

// A field that sent a value before the Varno's dump arrived sends that value
// again when it is chosen next: the Varno may hold another one now.
TEST_F(ReceiveSysEx, globalDumpLetsEachGlobalFieldSendItsNextChoice) {
  const int settings[] = {kGlobalStartUpProgram, kGlobalMasterTune, kGlobalControlX, kGlobalMidiChannel,
                          kGlobalDeviceID};
  for (const int index : settings) {
    ControlAction* action = editor.GetParam(index)->GetControlAction();
    ASSERT_NE(action, nullptr) << index;
    action->lastValue = 2;
  }
  editor.flags.globalAnswerExpected = true;
  receive(globalDump(5, 42, 67, 1, 3, 5));
  for (const int index : settings)
    EXPECT_EQ(editor.GetParam(index)->GetControlAction()->lastValue, -1.0) << index;
}

// The global settings hold what the Varno sends across their whole ranges;
// bytes beyond a range are limited to it; a dump the parser refuses leaves
// them, and what the editor knows of them, as they were.
TEST_F(ReceiveSysEx, globalDumpValuesAreHeldExactlyWithinTheVarnosRanges) {
  const struct {
    const char* why;
    Bytes dump;
    std::vector<double> values;  // start-up program, master tune, control X, MIDI channel, device ID
    bool taken;
  } kCases[] = {
      {"lowest", globalDump(0, 0, 54, 0, 0, 0), {0, 0, 0, 0, 0}, true},
      {"a Varno at ID 5", globalDump(5, 42, 67, 1, 3, 5), {42, 13, 1, 3, 5}, true},
      {"highest", globalDump(15, 98, 74, 3, 16, 15), {98, 20, 3, 16, 15}, true},
      {"beyond the ranges", globalDump(15, 120, 127, 9, 40, 90), {98, 20, 3, 16, 15}, true},
      {"below master tune's range", globalDump(0, 0, 10, 0, 0, 0), {0, 0, 0, 0, 0}, true},
      {"not a global dump command",
       [] {
         Bytes b = globalDump(5, 42, 67, 1, 3, 5);
         b[4] = 0x09;
         return b;
       }(),
       {0, 10, 0, 1, 0},
       false},
  };
  const int settings[] = {kGlobalStartUpProgram, kGlobalMasterTune, kGlobalControlX, kGlobalMidiChannel,
                          kGlobalDeviceID};
  const double startValues[] = {0, 10, 0, 1, 0};
  editor.flags.globalAnswerExpected = true;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    for (size_t i = 0; i < 5; ++i) editor.set(settings[i], startValues[i]);
    editor.flags.knownGlobalSettings = 0;
    receive(c.dump);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(editor.value(settings[i]), c.values[i]) << "setting " << i;
    EXPECT_EQ(editor.flags.knownGlobalSettings, c.taken ? kAllGlobalSettings : 0u);
  }
}

// ---- Parameter messages ----

TEST_F(ReceiveSysEx, parameterMessageMovesItsControl) {
  editor.addSysExControl(kFilterCutoff, 0x58, 0x41, 0x3D, 0x01);
  receive(parameterMessage(0x3D, 0x01, 100));
  EXPECT_EQ(editor.value(kFilterCutoff), 100);
  const EditorCalls calls = editor.calls();
  EXPECT_EQ(calls.paramChanges2, std::vector<int>{kFilterCutoff});
  EXPECT_EQ(calls.hardwareFlagAtChange2, std::vector<bool>{false});
  EXPECT_TRUE(calls.paramChanges.empty()) << "no main-tab refresh for an ordinary address";
}

TEST_F(ReceiveSysEx, parameterMessageTempoRule) {
  editor.addSysExControl(kArpTempo, 0x58, 0x41, 0x3A, 0x01);
  const struct {
    uint8_t v, x;
    double tempo;
  } kCases[] = {{5, 1, 113}, {75, 0, 55}, {0, 1, 108}, {10, 0, 0}};
  for (const auto& c : kCases) {
    receive(parameterMessage(0x3A, 0x01, c.v, c.x));
    EXPECT_EQ(editor.value(kArpTempo), c.tempo) << int(c.v) << " " << int(c.x);
  }
}

TEST_F(ReceiveSysEx, mainTabAddressesRefreshAsHardwareValues) {
  editor.addSysExControl(kOscillator1Semitone, 0x58, 0x41, 0x29, 0x00);
  editor.addSysExControl(kPortamentoMode, 0x58, 0x41, 0x10, 0x00);
  receive(parameterMessage(0x29, 0x00, 60));
  receive(parameterMessage(0x10, 0x00, 2));
  EXPECT_EQ(editor.value(kOscillator1Semitone), 60);
  EXPECT_EQ(editor.value(kPortamentoMode), 2);
  const EditorCalls calls = editor.calls();
  EXPECT_EQ(calls.paramChanges2, (std::vector<int>{kOscillator1Semitone, kMainTab, kPortamentoMode}));
  EXPECT_EQ(calls.hardwareFlagAtChange2, (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(manager().valueFromHardware);
}

TEST_F(ReceiveSysEx, parameterMessageDoesNotChangeTheDeviceId) {
  editor.addSysExControl(kFilterCutoff, 0x58, 0x41, 0x3D, 0x01);
  receive(parameterMessage(0x3D, 0x01, 100));
  EXPECT_EQ(editor.flags.deviceId, 2);
  EXPECT_EQ(editor.value(kGlobalDeviceID), 2);
}

TEST_F(ReceiveSysEx, separateParameterSteps) {
  IControl* control = editor.addSysExControl(kVolume, 0x58, 0x41, 0x44, 0x01);
  manager().soundDumpExpected = true;
  EXPECT_EQ(manager().getNormalControl(0x58, 0x41, 0x44, 0x01, 90, true), control);
  EXPECT_EQ(editor.value(kVolume), 90);
  EXPECT_FALSE(manager().soundDumpExpected);
  EXPECT_EQ(editor.calls().hardwareFlagAtChange2, std::vector<bool>{true});

  // An address that names no parameter of the synthesizer.
  EXPECT_EQ(manager().getNormalControl(0x58, 0x41, 0x53, 0x01, 90, true), nullptr);
  EXPECT_TRUE(manager().controlMissing);

  EXPECT_EQ(manager().processSysExToUI(nullptr, 5, true, false, true), nullptr);
  EXPECT_EQ(manager().processSysExToUI(control, 30, true, false, false), control);
  EXPECT_EQ(editor.value(kVolume), 30);
  EXPECT_EQ(editor.calls().paramChanges2, (std::vector<int>{kVolume, kVolume, kMainTab}));
}

// ---- Librarian transfers ----

TEST_F(ReceiveSysEx, librarianTransferStoresThePatchInsteadOfTheSound) {
  const EditorState before = state();
  manager().libraryPatchRequest.arm();
  manager().soundDumpExpected = true;
  editor.patchLibrarian->selectedUpperSlot = 12;
  receive(soundDump(2));
  const auto stored = editor.storedPatches();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].first, 12);
  EXPECT_EQ(stored[0].second.name, "REQUESTED     ");
  EXPECT_TRUE(manager().slotStored);
  EXPECT_FALSE(manager().receiveBusy);
  EXPECT_EQ(state().values, before.values) << "the editor's sound is not touched";
}

TEST_F(ReceiveSysEx, incompleteLibrarianRecordKeepsTheTransferBusy) {
  manager().libraryPatchRequest.arm();
  Bytes longMessage = soundDump(2);
  longMessage.resize(100, 0x01);
  longMessage.back() = 0xF7;
  receive(longMessage);
  EXPECT_TRUE(manager().receiveBusy);
  EXPECT_TRUE(manager().libraryPatchRequest.requestActive);
  EXPECT_FALSE(manager().slotStored);
}

// ---- Foreign and malformed messages ----

TEST_F(ReceiveSysEx, foreignAndMalformedMessagesChangeNothing) {
  editor.addSysExControl(kFilterCutoff, 0x58, 0x41, 0x3D, 0x01);
  auto with = [](Bytes bytes, int index, uint8_t value) {
    bytes[index] = value;
    return bytes;
  };
  Bytes shortDump = soundDump(2);
  shortDump.resize(75);
  Bytes longGlobal = globalDump(2, 5, 60, 1, 3, 2);
  longGlobal.insert(longGlobal.end() - 1, 0x00);
  const struct {
    const char* why;
    Bytes bytes;
    bool fromDevice;
  } kCases[] = {
      {"sound dump from the host", soundDump(3), false},
      {"global dump from the host", globalDump(3, 5, 60, 1, 3, 3), false},
      {"parameter message from the host", parameterMessage(0x3D, 0x01, 99), false},
      {"six bytes", {0xF0, 0x3E, 0x0B, 0x03, 0x48, 0xF7}, true},
      {"three bytes", {0xF0, 0x3E, 0xF7}, true},
      {"one byte", {0xF0}, true},
      {"empty", {}, true},
      {"other manufacturer", with(soundDump(3), 1, 0x41), true},
      {"other model", with(soundDump(3), 2, 0x0C), true},
      {"device byte 0x80", with(soundDump(3), 3, 0x80), true},
      {"second-generation dump", with(soundDump(3), 2, 0x16), true},
      {"device byte above 15", soundDump(16), true},
      {"status byte among the sound bytes", with(soundDump(3), 40, 0xF7), true},
      {"dump cut to 75 bytes", shortDump, true},
      {"global dump of 13 bytes", longGlobal, true},
      {"global dump with command 0x09", with(globalDump(3, 5, 60, 1, 3, 3), 4, 0x09), true},
      {"global dump of another model", with(globalDump(3, 5, 60, 1, 3, 3), 2, 0x16), true},
      {"global dump with a status byte", with(globalDump(3, 5, 60, 1, 3, 3), 7, 0x90), true},
      {"parameter message with a device byte", with(parameterMessage(0x3D, 0x01, 99), 3, 0x02), true},
      {"parameter message of another command", with(parameterMessage(0x3D, 0x01, 99), 4, 0x42), true},
      {"parameter message at an address that names no parameter", parameterMessage(0x43, 0x00, 99), true},
      {"parameter message of 11 bytes", {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3D, 0x01, 99, 0, 0, 0xF7}, true},
  };
  for (const auto& c : kCases) {
    manager().soundDumpExpected = c.bytes.size() >= 71;
    editor.flags.globalAnswerExpected = c.bytes.size() >= 11 && c.bytes.size() < 71;
    const EditorState before = state();
    ISysEx sysex(0, c.bytes.empty() ? nullptr : c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
    manager().ProcessSysEx(&sysex, c.fromDevice);
    EXPECT_TRUE(state() == before) << c.why;
    EXPECT_FALSE(manager().receiveBusy) << c.why;
  }
  ISysEx nullSysEx(0, nullptr, 76);
  manager().ProcessSysEx(&nullSysEx, true);
  manager().ProcessSysEx(nullptr, true);
}

TEST_F(ReceiveSysEx, parsersRefuseWhatTheyCannotRead) {
  const EditorState before = state();
  const Bytes shortDump(40, 0x01);
  ISysEx sysex(0, shortDump.data(), static_cast<int32_t>(shortDump.size()));
  manager().sysexPartPatchParse(&sysex);
  manager().sysexSettingsParse(&sysex);
  manager().sysexPartPatchParse(nullptr);
  manager().sysexSettingsParse(nullptr);
  EXPECT_TRUE(state() == before);
}

}  // namespace
