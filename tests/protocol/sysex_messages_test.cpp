// The message set byte by byte: requests, the sound dump with its codings and
// checksum, the library record, the global dump and the tempo rule of the
// parameter message. Whole dumps are also compared with the simulated Varno's
// own builder, which was written from the implementation chart independently.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "src/EditorParams.h"
#include "src/MIDIMessageSysEx.h"
#include "tools/varno-sim/VarnoMessages.h"
#include "tools/varno-sim/VarnoSynth.h"

using namespace VarnoSysEx;

namespace {

using Bytes = std::vector<uint8_t>;

// Parameter values for the builders: unset parameters read 0.
struct Values {
  std::map<int, double> values;
  ParameterValue reader() const {
    return [this](int index) {
      const auto found = values.find(index);
      return found == values.end() ? 0.0 : found->second;
    };
  }
};

Bytes bytesOf(const SoundDump& dump) { return Bytes(dump.begin(), dump.end()); }

TEST(SysExRequests, bytesForDeviceIdsAndPrograms) {
  const struct {
    const char* why;
    Bytes built;
    Bytes expected;
  } kCases[] = {
      {"enquiry, device 0", buildEnquiry(0), {0x3E, 0x0B, 0x00, 0x48}},
      {"enquiry, device 15", buildEnquiry(15), {0x3E, 0x0B, 0x0F, 0x48}},
      {"current sound, device 3, program 12",
       buildCurrentSoundRequest(3, 12),
       {0x3E, 0x0B, 0x03, 0x40, 0x0C}},
      {"program 0, device 0", buildProgramRequest(0, 0), {0x3E, 0x0B, 0x00, 0x41, 0x00}},
      {"program 98, device 126 (scan)", buildProgramRequest(126, 98), {0x3E, 0x0B, 0x7E, 0x41, 0x62}},
      {"negative device is 0", buildEnquiry(-4), {0x3E, 0x0B, 0x00, 0x48}},
      {"device above 127 stays a data byte", buildProgramRequest(300, 5), {0x3E, 0x0B, 0x7F, 0x41, 0x05}},
      {"program above 127 stays a data byte", buildProgramRequest(1, 200), {0x3E, 0x0B, 0x01, 0x41, 0x7F}},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.built, c.expected) << c.why;
}

TEST(SysExRequests, deviceByteIsTheIntegerPartAboveZero) {
  const struct {
    double value;
    uint8_t byte;
  } kCases[] = {{0.0, 0},
                {3.9, 3},
                {15.0, 15},
                {-1.0, 0},
                {-0.5, 0},
                {1000.0, 127},
                {std::numeric_limits<double>::quiet_NaN(), 0}};
  for (const auto& c : kCases) EXPECT_EQ(deviceIdByte(c.value), c.byte) << c.value;
}

// ---- Sound dump ----

TEST(SoundDump, templateChecksumIsTheChartExample) {
  // Bytes 5 to 73 of the template sum to 2298; 2298 mod 128 = 122.
  EXPECT_EQ(soundDumpChecksum(kSoundDumpTemplate.data(), kSoundDumpSize), 0x7A);
  // The edit-buffer sender sums from byte 4, which is 0 there: the same value.
  unsigned fromByte4 = 0;
  for (int i = 4; i <= 73; ++i) fromByte4 += kSoundDumpTemplate[i];
  EXPECT_EQ(fromByte4 % 128, 0x7Au);
}

TEST(SoundDump, checksumNeedsTheWholeSum) {
  SoundDump dump = kSoundDumpTemplate;
  EXPECT_EQ(soundDumpChecksum(dump.data(), 73), 0) << "too short to hold bytes 5 to 73";
  EXPECT_EQ(soundDumpChecksum(nullptr, 76), 0);
  dump[73] = 0x06;  // 2298 + 6 = 2304 = 18 * 128
  writeSoundDumpChecksum(dump.data(), kSoundDumpSize);
  EXPECT_EQ(dump[kChecksumByte], 0x00);
}

TEST(SoundDump, builtFromParametersWithOffsetsAndClockCoding) {
  Values v;
  v.values = {{kGlobalDeviceID, 7},
              {kCurrentPatch, 42},
              {kOscillator1Semitone, 0},
              {kOscillator2Semitone, 48},
              {kOscillator3Semitone, 96},
              {kOscillator1Tune, 66.9},
              {kArpClock, 4},
              {kArpSyncIndicator, 0},
              {kPanning, 127},
              {kFilterCutoff, 82},
              {kArpTempo, 55},
              {kModUnit4Destination, 15}};
  const SoundDump dump = buildSoundDump(v.reader());
  const struct {
    int byte;
    int expected;
    const char* why;
  } kCases[] = {
      {0, 0xF0, "frame"},
      {1, 0x3E, "manufacturer"},
      {2, 0x0B, "model"},
      {3, 7, "device ID"},
      {4, 0x00, "edit-buffer command from the template"},
      {5, 42, "current program"},
      {6, 16, "semitone 0 travels as 16"},
      {10, 64, "semitone 48 travels as 64"},
      {16, 112, "semitone 96 travels as 112"},
      {7, 66, "values are truncated"},
      {58, 55, "arpeggiator tempo"},
      {59, 5, "clock division 4 travels as 5 while sync is off"},
      {55, 15, "last modulation destination"},
      {61, 82, "cutoff"},
      {70, 127, "panning, the last sound byte"},
      {71, 0, "fixed"},
      {72, 0, "fixed"},
      {73, 0, "fixed"},
      {74, 0, "checksum left to the sender"},
      {75, 0xF7, "frame"},
  };
  for (const auto& c : kCases) EXPECT_EQ(dump[c.byte], c.expected) << "byte " << c.byte << ": " << c.why;

  v.values[kArpSyncIndicator] = 1;
  EXPECT_EQ(buildSoundDump(v.reader())[59], 0) << "sync on sends clock code 0";
}

TEST(SoundDump, valuesOutsideDataBytesAreLimited) {
  Values v;
  v.values = {{kFilterCutoff, 500},
              {kVolume, -3},
              {kOscillator1Semitone, 120},
              {kGlobalDeviceID, 200},
              {kPanning, std::numeric_limits<double>::quiet_NaN()}};
  const SoundDump dump = buildSoundDump(v.reader());
  EXPECT_EQ(dump[61], 127);
  EXPECT_EQ(dump[68], 0);
  EXPECT_EQ(dump[6], 127);
  EXPECT_EQ(dump[3], 127);
  EXPECT_EQ(dump[70], 0);
  for (int i = 1; i < kSoundDumpSize - 1; ++i) EXPECT_LT(dump[i], 0x80) << "byte " << i;
}

// Every parameter of the chart's dump, compared with the simulated Varno's
// dump of the same sound: the table's bytes, codings and the checksum agree.
TEST(SoundDump, equalsTheSimulatorsDumpOfTheSameSound) {
  for (int program : {0, 1, 2, 17, 50, 98}) {
    const varno::Sound sound = varno::factoryProgram(program);
    Values v;
    v.values[kGlobalDeviceID] = 9;
    v.values[kCurrentPatch] = program;
    for (int index = 0; index < kNumAutomatedParams; ++index)
      if (varno::soundParameter(index)->dumpByte >= 0) v.values[index] = sound.value(index);
    v.values[kArpSyncIndicator] = sound.arpOnOwnTempo() ? 1 : 0;
    SoundDump dump = buildSoundDump(v.reader());
    writeSoundDumpChecksum(dump.data(), kSoundDumpSize);
    EXPECT_EQ(bytesOf(dump), varno::buildSoundDump(9, 0x00, program, sound)) << "program " << program;
  }
}

TEST(SoundDump, tableCoversTheChartsDumpBytesOnce) {
  // The rows are bytes 5..70 in order, and every byte 6..70 carries the sound
  // parameter the simulator's table places there.
  for (int byte = kFirstTableByte; byte <= kLastSoundByte; ++byte) {
    const SoundDumpByte* row = soundDumpByte(byte);
    ASSERT_NE(row, nullptr) << byte;
    EXPECT_EQ(row->byteIndex, byte);
    if (byte == kFirstTableByte) {
      EXPECT_EQ(row->parameter, kCurrentPatch);
      continue;
    }
    const varno::SoundParameter* chart = varno::soundParameterByDumpByte(byte);
    ASSERT_NE(chart, nullptr) << byte;
    EXPECT_EQ(row->parameter, chart->index) << "byte " << byte;
  }
  EXPECT_EQ(soundDumpByte(4), nullptr);
  EXPECT_EQ(soundDumpByte(71), nullptr);
}

TEST(SoundDump, decodingOfCodedBytes) {
  const SoundDumpByte& semitone = *soundDumpByte(6);
  const SoundDumpByte& clock = *soundDumpByte(59);
  const SoundDumpByte& plain = *soundDumpByte(61);
  EXPECT_EQ(decodeSoundByte(semitone, 16), 0.0);
  EXPECT_EQ(decodeSoundByte(semitone, 64), 48.0);
  EXPECT_EQ(decodeSoundByte(clock, 0), 0.0);
  EXPECT_EQ(decodeSoundByte(clock, 1), 0.0);
  EXPECT_EQ(decodeSoundByte(clock, 10), 9.0);
  EXPECT_EQ(decodeSoundByte(plain, 99), 99.0);
  for (int value = 0; value <= 96; ++value)
    EXPECT_EQ(decodeSoundByte(semitone, encodeSoundByte(semitone, value, false)), value);
  for (int value = 0; value <= 9; ++value)
    EXPECT_EQ(decodeSoundByte(clock, encodeSoundByte(clock, value, false)), value);
}

// ---- Library record ----

TEST(LibraryRecord, ninetyTwoBytesWithNameAndCategory) {
  SoundDump dump = kSoundDumpTemplate;
  dump[3] = 2;
  dump[74] = 0x33;
  const LibraryRecord record = buildLibraryRecord(dump, "warm Pad", 9);
  ASSERT_EQ(record.size(), 92u);
  for (int i = 0; i <= 74; ++i) EXPECT_EQ(record[i], dump[i]) << "byte " << i;
  EXPECT_EQ(record[75], 0x00);
  EXPECT_EQ(std::string(record.begin() + 76, record.begin() + 90), "WARM PAD      ");
  EXPECT_EQ(record[90], 9);
  EXPECT_EQ(record[91], 0xF7);
}

TEST(LibraryRecord, namesAreUpperCasedSevenBitTextOfFourteenCharacters) {
  const struct {
    const char* why;
    std::string name;
    std::string expected;
  } kCases[] = {
      {"six lower-case letters and eight blanks", "abcdef", "ABCDEF        "},
      {"empty name is all blanks", "", "              "},
      {"control characters become blanks", std::string("a\tb\x01", 4), "A B           "},
      {"longer names are cut", "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMN"},
      {"bytes outside 7-bit text become blanks", "\xC3\xA9t\xF7\x7F", "  T           "},
      {"digits and signs stay", "Bass #2-x", "BASS #2-X     "},
  };
  for (const auto& c : kCases) {
    const RecordName name = recordName(c.name);
    EXPECT_EQ(std::string(name.begin(), name.end()), c.expected) << c.why;
  }
}

TEST(LibraryRecord, categoryTexts) {
  EXPECT_STREQ(categoryText(0), "NONE");
  EXPECT_STREQ(categoryText(3), "BASS");
  EXPECT_STREQ(categoryText(5), "FX");
  EXPECT_STREQ(categoryText(19), "EXFX");
  EXPECT_STREQ(categoryText(20), "INIT");
  EXPECT_EQ(categoryText(21), nullptr);
  EXPECT_EQ(categoryText(-1), nullptr);
  EXPECT_STREQ(kRequestedName, "Requested     ");
}

// ---- Global dump ----

TEST(GlobalDump, builtFromTheGlobalSettings) {
  Values v;
  v.values = {{kGlobalDeviceID, 4},
              {kGlobalStartUpProgram, 17},
              {kGlobalMasterTune, 0},
              {kGlobalControlX, 2},
              {kGlobalMidiChannel, 16}};
  const GlobalDump dump = buildGlobalDump(v.reader());
  EXPECT_EQ(Bytes(dump.begin(), dump.end()),
            (Bytes{0xF0, 0x3E, 0x0B, 4, 0x08, 17, 54, 2, 16, 4, 0x00, 0xF7}));
  v.values[kGlobalMasterTune] = 10;
  EXPECT_EQ(buildGlobalDump(v.reader())[6], 64) << "master tune 10 is sent as 64";
}

TEST(GlobalDump, equalsTheSimulatorsDumpOfTheSameSettings) {
  varno::GlobalValues globals;
  globals.setValue(kGlobalStartUpProgram, 33);
  globals.setValue(kGlobalMasterTune, 20);
  globals.setValue(kGlobalControlX, 1);
  globals.setValue(kGlobalMidiChannel, 0);
  globals.setValue(kGlobalDeviceID, 11);
  Values v;
  for (int index :
       {kGlobalStartUpProgram, kGlobalMasterTune, kGlobalControlX, kGlobalMidiChannel, kGlobalDeviceID})
    v.values[index] = globals.value(index);
  const GlobalDump dump = buildGlobalDump(v.reader());
  EXPECT_EQ(Bytes(dump.begin(), dump.end()), varno::buildGlobalDump(globals));
}

// ---- Parameter messages ----

TEST(ParameterMessage, tempoRule) {
  const struct {
    int v, x, tempo;
  } kCases[] = {{20, 0, 0}, {75, 0, 55}, {0, 1, 108}, {19, 1, 127}, {0, 2, 236}, {5, 3, -15}};
  for (const auto& c : kCases)
    EXPECT_EQ(arpTempoFromParameterMessage(c.v, c.x), c.tempo) << c.v << " " << c.x;
  // The simulator's tempo word (value + 20 split into v and x) reads back.
  const varno::SoundParameter& tempo = *varno::soundParameter(kArpTempo);
  for (int value = 0; value <= 127; ++value) {
    const Bytes message = varno::buildParameterMessage(tempo, value);
    ASSERT_EQ(message.size(), 10u);
    EXPECT_EQ(arpTempoFromParameterMessage(message[7], message[8]), value);
  }
}

}  // namespace
