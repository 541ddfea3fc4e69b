// The Varno's system-exclusive messages byte by byte: what readSysEx accepts
// and refuses, and the dumps and parameter messages the Varno builds.
#include <gtest/gtest.h>

#include "tools/varno-sim/VarnoMessages.h"

namespace varno {
namespace {

Bytes soundDumpBytes(int command, int program) {
  Bytes dump(kSoundDumpSize, 0);
  dump[0] = 0xF0;
  dump[1] = 0x3E;
  dump[2] = 0x0B;
  dump[4] = static_cast<uint8_t>(command);
  dump[5] = static_cast<uint8_t>(program);
  dump[75] = 0xF7;
  return dump;
}

TEST(VarnoSimMessages, ReadSysExClassifiesByCommandAndLength) {
  const Bytes parameter = {0xF0, 0x3E, 0x0B, 0x05, 0x41, 0x1B, 0x01, 0x22, 0x00, 0xF7};
  const struct {
    const char* why;
    Bytes message;
    SysExKind kind;
    Fault fault;
  } kCases[] = {
      {"enquiry", {0xF0, 0x3E, 0x0B, 0x02, 0x48, 0xF7}, SysExKind::Enquiry, Fault::None},
      {"edit-buffer request",
       {0xF0, 0x3E, 0x0B, 0x02, 0x40, 0x07, 0xF7},
       SysExKind::EditBufferRequest,
       Fault::None},
      {"program request", {0xF0, 0x3E, 0x0B, 0x02, 0x41, 0x62, 0xF7}, SysExKind::ProgramRequest, Fault::None},
      {"program request above 98",
       {0xF0, 0x3E, 0x0B, 0x02, 0x41, 0x63, 0xF7},
       SysExKind::ProgramRequest,
       Fault::ProgramOutOfRange},
      {"parameter message: same command, 10 bytes", parameter, SysExKind::ParameterChange, Fault::None},
      {"parameter message for no parameter",
       {0xF0, 0x3E, 0x0B, 0x05, 0x41, 0x43, 0x00, 0x10, 0x00, 0xF7},
       SysExKind::ParameterChange,
       Fault::UnknownAddress},
      {"command 41 of 8 bytes",
       {0xF0, 0x3E, 0x0B, 0x02, 0x41, 0x05, 0x00, 0xF7},
       SysExKind::Unknown,
       Fault::WrongLength},
      {"enquiry with a data byte",
       {0xF0, 0x3E, 0x0B, 0x02, 0x48, 0x00, 0xF7},
       SysExKind::Enquiry,
       Fault::WrongLength},
      {"global dump too short",
       {0xF0, 0x3E, 0x0B, 0x02, 0x08, 0x00, 0xF7},
       SysExKind::GlobalDump,
       Fault::WrongLength},
      {"sound dump", soundDumpBytes(0x00, 120), SysExKind::SoundDump, Fault::None},
      {"store", soundDumpBytes(0x01, 98), SysExKind::SoundStore, Fault::None},
      {"store above 98", soundDumpBytes(0x01, 99), SysExKind::SoundStore, Fault::ProgramOutOfRange},
      {"unknown command", {0xF0, 0x3E, 0x0B, 0x02, 0x10, 0xF7}, SysExKind::Unknown, Fault::UnknownCommand},
      {"second generation",
       {0xF0, 0x3E, 0x16, 0x02, 0x48, 0xF7},
       SysExKind::Unknown,
       Fault::SecondGeneration},
      {"other model", {0xF0, 0x3E, 0x0C, 0x02, 0x48, 0xF7}, SysExKind::Unknown, Fault::UnknownModel},
      {"foreign manufacturer",
       {0xF0, 0x41, 0x0B, 0x02, 0x48, 0xF7},
       SysExKind::Unknown,
       Fault::ForeignManufacturer},
      {"no end byte", {0xF0, 0x3E, 0x0B, 0x02, 0x48}, SysExKind::Unknown, Fault::NotFramed},
      {"status byte inside",
       {0xF0, 0x3E, 0x0B, 0x90, 0x48, 0xF7},
       SysExKind::Unknown,
       Fault::DataByteTooLarge},
      {"frame only", {0xF0, 0xF7}, SysExKind::Unknown, Fault::WrongLength},
      {"header without command", {0xF0, 0x3E, 0x0B, 0xF7}, SysExKind::Unknown, Fault::WrongLength},
      {"single start byte", {0xF0}, SysExKind::Unknown, Fault::NotFramed},
  };
  for (const auto& c : kCases) {
    const SysExMessage message = readSysEx(c.message.data(), c.message.size());
    EXPECT_EQ(message.kind, c.kind) << c.why;
    EXPECT_EQ(message.fault, c.fault) << c.why << ": " << faultName(message.fault);
  }
  EXPECT_EQ(readSysEx(nullptr, 0).fault, Fault::Empty);
}

TEST(VarnoSimMessages, ReadSysExNeverReadsPastTheGivenSize) {
  // A valid enquiry followed by bytes the reader must not see: with the size
  // cut before F7 the message is unframed.
  const Bytes bytes = {0xF0, 0x3E, 0x0B, 0x00, 0x48, 0xF7, 0x00};
  for (size_t size = 1; size < 6; ++size)
    EXPECT_NE(readSysEx(bytes.data(), size).fault, Fault::None) << "size " << size;
  EXPECT_EQ(readSysEx(bytes.data(), 6).fault, Fault::None);
}

TEST(VarnoSimMessages, ParameterMessageFieldsAreRead) {
  const Bytes bytes = {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 0x12, 0x01, 0xF7};
  const SysExMessage message = readSysEx(bytes.data(), bytes.size());
  EXPECT_EQ(message.deviceByte, 0x58);
  EXPECT_EQ(message.addressLow, 0x3A);
  EXPECT_EQ(message.addressHigh, 0x01);
  EXPECT_EQ(message.valueLow, 0x12);
  EXPECT_EQ(message.valueHigh, 0x01);
}

TEST(VarnoSimMessages, ChecksumOfTheEditorTemplateIs7A) {
  // The chart's example: the editor's starting template sums to 2298.
  const Bytes dump = {0xF0, 0x3E, 0x0B, 0x00, 0x00, 0x00, 0x40, 0x40, 0x00, 0x40, 0x40, 0x45, 0x00,
                      0x40, 0x00, 0x00, 0x40, 0x3B, 0x00, 0x64, 0x64, 0x64, 0x00, 0x00, 0x00, 0x00,
                      0x00, 0x1E, 0x3C, 0x64, 0x1E, 0x40, 0x00, 0x1E, 0x3C, 0x64, 0x1E, 0x40, 0x00,
                      0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40,
                      0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x40, 0x40, 0x40,
                      0x00, 0x40, 0x32, 0x64, 0x40, 0x40, 0x00, 0x00, 0x00, 0x00, 0xF7};
  ASSERT_EQ(dump.size(), 76u);
  EXPECT_EQ(soundChecksum(dump.data(), dump.size()), 0x7A);
  EXPECT_EQ(soundChecksum(dump.data(), 75), -1);
}

TEST(VarnoSimMessages, ChecksumStartsAtByteFiveSoTheStoreCommandDoesNotCount) {
  Bytes edit = soundDumpBytes(0x00, 3);
  Bytes store = soundDumpBytes(0x01, 3);
  edit[40] = store[40] = 0x7F;
  EXPECT_EQ(soundChecksum(edit.data(), edit.size()), (3 + 0x7F) % 128);
  EXPECT_EQ(soundChecksum(store.data(), store.size()), soundChecksum(edit.data(), edit.size()));
}

TEST(VarnoSimMessages, SoundDumpCarriesCodedValuesInTheirPlaces) {
  Sound sound;
  sound.setValue(0, 0);    // kOscillator1Semitone: code 16
  sound.setValue(2, 96);   // kOscillator3Semitone: code 112
  sound.setValue(45, 99);  // kFilterResonance at byte 67
  sound.setValue(56, 3);   // kArpClock division 3: clock code 4
  const Bytes dump = buildSoundDump(7, kCommandSoundDump, 42, sound);
  ASSERT_EQ(dump.size(), 76u);
  EXPECT_EQ(dump[0], 0xF0);
  EXPECT_EQ(dump[1], 0x3E);
  EXPECT_EQ(dump[2], 0x0B);
  EXPECT_EQ(dump[3], 7);
  EXPECT_EQ(dump[4], 0x00);
  EXPECT_EQ(dump[5], 42);
  EXPECT_EQ(dump[6], 16);
  EXPECT_EQ(dump[16], 112);
  EXPECT_EQ(dump[67], 99);
  EXPECT_EQ(dump[59], 4);
  EXPECT_EQ(dump[71], 0);
  EXPECT_EQ(dump[72], 0);
  EXPECT_EQ(dump[73], 0);
  EXPECT_EQ(dump[74], soundChecksum(dump.data(), dump.size()));
  EXPECT_EQ(dump[75], 0xF7);
  EXPECT_EQ(readSysEx(dump.data(), dump.size()).fault, Fault::None);
}

TEST(VarnoSimMessages, GlobalDumpCodesMasterTunePlus54) {
  GlobalValues globals;
  globals.setValue(kIndexGlobalStartUpProgram, 12);
  globals.setValue(kIndexGlobalMasterTune, 10);
  globals.setValue(kIndexGlobalControlX, 2);
  globals.setValue(kIndexGlobalMidiChannel, 16);
  globals.setValue(kIndexGlobalDeviceId, 9);
  const Bytes expected = {0xF0, 0x3E, 0x0B, 9, 0x08, 12, 64, 2, 16, 9, 0x00, 0xF7};
  EXPECT_EQ(buildGlobalDump(globals), expected);
}

TEST(VarnoSimMessages, ParameterMessageCarriesTheValueAndTheTempoWord) {
  const struct {
    int index;
    int value;
    Bytes expected;
  } kCases[] = {
      {0, 60, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x29, 0x00, 60, 0x00, 0xF7}},  // no + 16 here
      {16, 5, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x1B, 0x01, 5, 0x00, 0xF7}},   // (dump byte, 01)
      {38, 1, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x00, 0x02, 1, 0x00, 0xF7}},   // kOscillator2Sync
      {56, 9, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3B, 0x01, 9, 0x00, 0xF7}},   // clock division, no code
      {55, 0, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 20, 0x00, 0xF7}},  // tempo word 20
      {55, 107, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 127, 0x00, 0xF7}},
      {55, 108, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 0, 0x01, 0xF7}},
      {55, 127, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 19, 0x01, 0xF7}},
      {55, 400, {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 19, 0x01, 0xF7}},  // limited to 127 first
  };
  for (const auto& c : kCases) {
    const SoundParameter* parameter = soundParameter(c.index);
    ASSERT_NE(parameter, nullptr);
    const Bytes message = buildParameterMessage(*parameter, c.value);
    EXPECT_EQ(message, c.expected) << "parameter " << c.index << " value " << c.value;
    const int limited = limitToRange(c.value, parameter->minimum, parameter->maximum);
    EXPECT_EQ(parameterMessageValue(*parameter, message[7], message[8]), limited);
  }
  EXPECT_TRUE(buildParameterMessage(*soundParameter(24), 5).empty());  // kModWheel has no address
}

TEST(VarnoSimMessages, TempoWordReadsTheHighByteTwoAsTheEditorDoes) {
  // The editor's receive side reads x = 2 as v + 236; the Varno never sends it
  // within its range, but reads it the same way.
  EXPECT_EQ(parameterMessageValue(*soundParameter(55), 10, 2), 246);
  EXPECT_EQ(parameterMessageValue(*soundParameter(55), 10, 1), 118);
  EXPECT_EQ(parameterMessageValue(*soundParameter(55), 30, 0), 10);
}

}  // namespace
}  // namespace varno
