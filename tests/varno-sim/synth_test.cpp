// The simulated Varno's core: requests answered only at its device ID, dumps
// and stores taken whole or not at all, controllers, parameter numbers and
// parameter messages decoded by the chart, and the record of it all.
#include <gtest/gtest.h>

#include "tools/varno-sim/VarnoSynth.h"

namespace varno {
namespace {

constexpr int kOwnId = 3;

class VarnoSimSynth : public ::testing::Test {
 protected:
  VarnoSimSynth() : synth(SynthSettings{kOwnId, false, 1000}) {}

  std::vector<Bytes> receive(const Bytes& bytes) {
    return synth.receive(bytes.data(), bytes.size(), ++clock);
  }
  const Record& lastRecord() const { return synth.records().back(); }

  // A sound dump built the way the editor builds one (the Varno's own builder
  // is checked separately against the byte table).
  static Bytes editorDump(int command, int program, const Sound& sound, int deviceId = kOwnId) {
    return buildSoundDump(deviceId, command, program, sound);
  }

  Synth synth;
  int64_t clock = 1000;
};

TEST_F(VarnoSimSynth, RequestsAreAnsweredOnlyAtTheOwnDeviceId) {
  const struct {
    const char* why;
    uint8_t command;
    int extraBytes;  // program byte
    size_t answerSize;
  } kRequests[] = {
      {"enquiry", 0x48, 0, 12},
      {"edit buffer", 0x40, 1, 76},
      {"program", 0x41, 1, 76},
  };
  for (const auto& request : kRequests) {
    for (int id = 0; id < 0x7F; ++id) {
      Bytes bytes = {0xF0, 0x3E, 0x0B, static_cast<uint8_t>(id), request.command};
      if (request.extraBytes) bytes.push_back(7);
      bytes.push_back(0xF7);
      const std::vector<Bytes> answers = receive(bytes);
      if (id == kOwnId) {
        ASSERT_EQ(answers.size(), 1u) << request.why;
        EXPECT_EQ(answers[0].size(), request.answerSize) << request.why;
        EXPECT_EQ(answers[0][3], kOwnId) << request.why;
        EXPECT_EQ(lastRecord().outcome, Outcome::Answered);
      } else {
        EXPECT_TRUE(answers.empty()) << request.why << " at ID " << id;
        EXPECT_EQ(lastRecord().fault, Fault::OtherDevice);
      }
    }
  }
}

TEST_F(VarnoSimSynth, ProgramRequestIsAnsweredWithThatProgramUnderCommandZero) {
  const std::vector<Bytes> answers = receive({0xF0, 0x3E, 0x0B, kOwnId, 0x41, 42, 0xF7});
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], buildSoundDump(kOwnId, 0x00, 42, factoryProgram(42)));
  EXPECT_TRUE(receive({0xF0, 0x3E, 0x0B, kOwnId, 0x41, 99, 0xF7}).empty());
  EXPECT_EQ(lastRecord().fault, Fault::ProgramOutOfRange);
}

TEST_F(VarnoSimSynth, EditBufferRequestIgnoresItsProgramByteAndNamesTheCurrentProgram) {
  receive({0xC0, 17});  // program change on channel 1 loads program 17
  const std::vector<Bytes> answers = receive({0xF0, 0x3E, 0x0B, kOwnId, 0x40, 5, 0xF7});
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], buildSoundDump(kOwnId, 0x00, 17, factoryProgram(17)));
}

TEST_F(VarnoSimSynth, WithheldAnswersAreRecorded) {
  synth.setAnswering(false);
  EXPECT_TRUE(receive({0xF0, 0x3E, 0x0B, kOwnId, 0x48, 0xF7}).empty());
  EXPECT_EQ(lastRecord().outcome, Outcome::Ignored);
  EXPECT_EQ(lastRecord().fault, Fault::NotAnswering);
}

TEST_F(VarnoSimSynth, FactoryProgramsDifferAndProgramZeroIsTheInitialSound) {
  EXPECT_EQ(factoryProgram(0), Sound());
  for (int program = 1; program < kProgramCount; ++program) {
    EXPECT_NE(factoryProgram(program), factoryProgram(program - 1)) << program;
    for (int index = 0; index < kSoundParameterCount; ++index) {
      const SoundParameter* parameter = soundParameter(index);
      if (parameter->dumpByte < 0) continue;
      const int value = factoryProgram(program).value(index);
      EXPECT_GE(value, parameter->minimum);
      EXPECT_LE(value, parameter->maximum);
    }
  }
}

TEST_F(VarnoSimSynth, SoundDumpBecomesTheEditBufferAndStoreWritesTheProgram) {
  Sound sound = factoryProgram(60);
  sound.setValue(39, 11);
  const Sound programNineBefore = synth.program(9);
  receive(editorDump(0x00, 9, sound, 0));  // data messages are taken at any device byte
  EXPECT_EQ(lastRecord().outcome, Outcome::Applied);
  EXPECT_EQ(synth.editBuffer(), sound);
  EXPECT_EQ(synth.currentProgram(), 9);
  EXPECT_EQ(synth.program(9), programNineBefore) << "an edit-buffer dump stores nothing";

  Sound stored = factoryProgram(61);
  receive(editorDump(0x01, 8, stored));
  EXPECT_EQ(synth.program(8), stored);
  EXPECT_EQ(synth.editBuffer(), sound) << "a store leaves the edit buffer";
  EXPECT_EQ(synth.currentProgram(), 9);
  EXPECT_EQ(receive({0xF0, 0x3E, 0x0B, kOwnId, 0x41, 8, 0xF7})[0], buildSoundDump(kOwnId, 0, 8, stored));
}

TEST_F(VarnoSimSynth, EditBufferDumpWithProgramAbove98KeepsTheCurrentProgram) {
  receive({0xC0, 4});
  receive(editorDump(0x00, 120, factoryProgram(2)));
  EXPECT_EQ(synth.currentProgram(), 4);
  EXPECT_EQ(synth.editBuffer(), factoryProgram(2));
}

TEST_F(VarnoSimSynth, DumpBytesAreDecodedAndLimitedToTheParameterRanges) {
  Bytes dump = editorDump(0x00, 0, Sound());
  dump[6] = 5;     // semitone code below 16: value limited to 0
  dump[10] = 127;  // semitone code 127: value 111 limited to 96
  dump[8] = 9;     // kOscillator1Shape 0..2
  dump[59] = 0;    // clock code 0: own tempo
  dump[74] = static_cast<uint8_t>(soundChecksum(dump.data(), dump.size()));
  receive(dump);
  EXPECT_EQ(synth.value(0), 0);
  EXPECT_EQ(synth.value(1), 96);
  EXPECT_EQ(synth.value(6), 2);
  EXPECT_TRUE(synth.editBuffer().arpOnOwnTempo());
  EXPECT_EQ(synth.editBufferDump()[10], 112);
}

TEST_F(VarnoSimSynth, MalformedSoundDumpsChangeNothing) {
  const Bytes good = editorDump(0x00, 30, factoryProgram(30));
  Bytes missingEnd = good;
  missingEnd[75] = 0x00;
  Bytes highByte = good;
  highByte[40] = 0x80;
  Bytes secondGeneration = good;
  secondGeneration[2] = 0x16;
  Bytes unknownCommand = good;
  unknownCommand[4] = 0x02;
  Bytes storeAbove98 = editorDump(0x01, 99, factoryProgram(30));
  const Bytes truncated(good.begin(), good.begin() + 75);
  Bytes longer = good;
  longer.insert(longer.end() - 1, 0x00);
  const struct {
    const char* why;
    Bytes message;
  } kCases[] = {
      {"missing F7", missingEnd},     {"data byte 80", highByte},       {"model 16", secondGeneration},
      {"command 02", unknownCommand}, {"store above 98", storeAbove98}, {"75 bytes", truncated},
      {"77 bytes", longer},
  };
  const Sound editBefore = synth.editBuffer();
  const int programBefore = synth.currentProgram();
  for (const auto& c : kCases) {
    EXPECT_TRUE(receive(c.message).empty()) << c.why;
    EXPECT_EQ(lastRecord().outcome, Outcome::Ignored) << c.why;
    EXPECT_EQ(synth.editBuffer(), editBefore) << c.why;
    EXPECT_EQ(synth.currentProgram(), programBefore) << c.why;
    for (int program = 0; program < kProgramCount; ++program)
      ASSERT_EQ(synth.program(program), factoryProgram(program)) << c.why;
  }
}

TEST_F(VarnoSimSynth, WrongChecksumIsTakenAndNotedUnlessStrict) {
  Bytes dump = editorDump(0x00, 11, factoryProgram(11));
  dump[74] = static_cast<uint8_t>((dump[74] + 1) & 0x7F);
  receive(dump);
  EXPECT_EQ(lastRecord().outcome, Outcome::Applied);
  EXPECT_EQ(lastRecord().fault, Fault::ChecksumMismatch);
  EXPECT_EQ(synth.editBuffer(), factoryProgram(11));

  Synth strict(SynthSettings{kOwnId, true, 100});
  strict.receive(dump.data(), dump.size(), 0);
  EXPECT_EQ(strict.records().back().outcome, Outcome::Ignored);
  EXPECT_EQ(strict.records().back().fault, Fault::ChecksumMismatch);
  EXPECT_EQ(strict.editBuffer(), Sound());
}

TEST_F(VarnoSimSynth, GlobalDumpSetsEverySettingAndANewDeviceIdAnswersFromThenOn) {
  // The editor writes the new ID into byte 3 as well; the dump is taken anyway.
  receive({0xF0, 0x3E, 0x0B, 9, 0x08, 20, 54, 3, 0, 9, 0x00, 0xF7});
  EXPECT_EQ(lastRecord().outcome, Outcome::Applied);
  EXPECT_EQ(synth.value(kIndexGlobalStartUpProgram), 20);
  EXPECT_EQ(synth.value(kIndexGlobalMasterTune), 0);
  EXPECT_EQ(synth.value(kIndexGlobalControlX), 3);
  EXPECT_EQ(synth.value(kIndexGlobalMidiChannel), 0);
  EXPECT_EQ(synth.value(kIndexGlobalDeviceId), 9);
  EXPECT_TRUE(receive({0xF0, 0x3E, 0x0B, kOwnId, 0x48, 0xF7}).empty());
  const std::vector<Bytes> answers = receive({0xF0, 0x3E, 0x0B, 9, 0x48, 0xF7});
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], (Bytes{0xF0, 0x3E, 0x0B, 9, 0x08, 20, 54, 3, 0, 9, 0x00, 0xF7}));
}

TEST_F(VarnoSimSynth, GlobalDumpValuesAreLimited) {
  receive({0xF0, 0x3E, 0x0B, 0, 0x08, 127, 127, 127, 127, 127, 0x00, 0xF7});
  EXPECT_EQ(synth.value(kIndexGlobalStartUpProgram), 98);
  EXPECT_EQ(synth.value(kIndexGlobalMasterTune), 20);
  EXPECT_EQ(synth.value(kIndexGlobalControlX), 3);
  EXPECT_EQ(synth.value(kIndexGlobalMidiChannel), 16);
  EXPECT_EQ(synth.value(kIndexGlobalDeviceId), 15);
  receive({0xF0, 0x3E, 0x0B, 0, 0x08, 0, 0, 0, 0, 0, 0x00, 0xF7});
  EXPECT_EQ(synth.value(kIndexGlobalMasterTune), 0) << "code 0 is below the offset 54";
}

TEST_F(VarnoSimSynth, ControlChangesDecodeTheChartCodings) {
  const struct {
    const char* why;
    int controller;
    int data;
    int index;
    int value;
  } kCases[] = {
      {"semitone + 16", 32, 28, 0, 12},
      {"semitone below 16 limited", 36, 3, 1, 0},
      {"semitone above 112 limited", 42, 127, 2, 96},
      {"odd tune is taken", 33, 71, 3, 71},
      {"shape limited", 38, 100, 7, 3},
      {"switch: any data above 0 is on", 41, 127, 38, 1},
      {"switch off", 41, 0, 38, 0},
      {"keytrack on with 1", 40, 1, 37, 1},
      {"sustain 127", 64, 127, 52, 1},
      {"modulation wheel", 1, 77, 24, 77},
      {"cutoff", 74, 100, 39, 100},
      {"arp tempo", 104, 55, 55, 55},
      {"clock code 4 is division 3", 105, 4, 56, 3},
      {"mod unit 4 destination", 93, 15, 69, 15},
  };
  for (const auto& c : kCases) {
    receive({0xB0, static_cast<uint8_t>(c.controller), static_cast<uint8_t>(c.data)});
    EXPECT_EQ(lastRecord().outcome, Outcome::Applied) << c.why;
    EXPECT_EQ(synth.value(c.index), c.value) << c.why;
  }
  receive({0xB0, 105, 0});
  EXPECT_TRUE(synth.editBuffer().arpOnOwnTempo());
  receive({0xB0, 105, 50});
  EXPECT_EQ(synth.editBuffer().code(59), kMaximumClockCode);
}

TEST_F(VarnoSimSynth, BankSelectLeavesTheSoundAndController32IsTheSemitone) {
  // The editor's bank change: controller 0 = 0, controller 32 = 64, program change.
  receive({0xB0, 0, 0});
  EXPECT_EQ(lastRecord().outcome, Outcome::Ignored);
  receive({0xB0, 32, 64});
  EXPECT_EQ(synth.value(0), 48);
  receive({0xC0, 25});
  EXPECT_EQ(synth.editBuffer(), factoryProgram(25));
  EXPECT_EQ(synth.currentProgram(), 25);
}

TEST_F(VarnoSimSynth, ChannelMessagesAreHeardOnTheGlobalChannelOrAllWhenOmni) {
  synth.setValue(kIndexGlobalMidiChannel, 5);
  receive({0xB4, 74, 10});
  EXPECT_EQ(synth.value(39), 10);
  receive({0xB0, 74, 20});
  EXPECT_EQ(lastRecord().fault, Fault::OtherChannel);
  EXPECT_EQ(synth.value(39), 10);
  receive({0xC0, 1});
  EXPECT_EQ(synth.currentProgram(), 0);
  synth.setValue(kIndexGlobalMidiChannel, 0);
  receive({0xBF, 74, 30});
  EXPECT_EQ(synth.value(39), 30);
  EXPECT_EQ(synth.controlChange(74, 1)[0], 0xB0) << "OMNI transmits on channel 1";
}

TEST_F(VarnoSimSynth, ProgramChangeKeepsThePerformanceSettings) {
  receive({0xB0, 1, 90});
  receive({0xC0, 3});
  EXPECT_EQ(synth.value(24), 90);
  receive({0xC0, 99});
  EXPECT_EQ(lastRecord().fault, Fault::ProgramOutOfRange);
  EXPECT_EQ(synth.currentProgram(), 3);
}

TEST_F(VarnoSimSynth, ParameterNumbersSetTheGlobalSettings) {
  receive({0xB0, 99, 1});
  receive({0xB0, 98, 6});
  receive({0xB0, 6, 64});  // master tune 10 = 440 Hz
  EXPECT_EQ(synth.value(kIndexGlobalMasterTune), 10);
  receive({0xB0, 98, 5});
  receive({0xB0, 6, 44});
  EXPECT_EQ(synth.value(kIndexGlobalStartUpProgram), 44);
  receive({0xB0, 98, 9});
  receive({0xB0, 6, 12});
  EXPECT_EQ(synth.value(kIndexGlobalDeviceId), 12);
  receive({0xB0, 98, 20});
  receive({0xB0, 6, 1});
  EXPECT_EQ(lastRecord().fault, Fault::UnknownNumber);
}

TEST_F(VarnoSimSynth, ParameterNumbersAreHeardOnEveryChannel) {
  // The editor sends a new MIDI channel on that new channel.
  synth.setValue(kIndexGlobalMidiChannel, 1);
  receive({0xB8, 99, 1});
  receive({0xB8, 98, 8});
  receive({0xB8, 6, 9});
  EXPECT_EQ(synth.value(kIndexGlobalMidiChannel), 9);
  receive({0xB0, 74, 3});
  EXPECT_EQ(lastRecord().fault, Fault::OtherChannel) << "other controllers still need the channel";
  receive({0xB8, 74, 3});
  EXPECT_EQ(synth.value(39), 3);
}

TEST_F(VarnoSimSynth, DataEntryBeforeAnyNumberChangesNothing) {
  const GlobalValues before = synth.globals();
  receive({0xB0, 6, 3});
  EXPECT_EQ(lastRecord().fault, Fault::UnknownNumber);
  EXPECT_EQ(synth.globals(), before);
}

TEST_F(VarnoSimSynth, LocalControlFollowsController122) {
  receive({0xB0, 122, 0});
  EXPECT_EQ(synth.value(kIndexGlobalLocalControl), 0);
  receive({0xB0, 122, 127});
  EXPECT_EQ(synth.value(kIndexGlobalLocalControl), 1);
}

TEST_F(VarnoSimSynth, ParameterMessagesSetValuesWithoutCoding) {
  receive({0xF0, 0x3E, 0x0B, kOwnId, 0x41, 0x29, 0x00, 60, 0x00, 0xF7});
  EXPECT_EQ(synth.value(0), 60);
  receive({0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x3A, 0x01, 0, 0x01, 0xF7});  // tempo word 128
  EXPECT_EQ(synth.value(55), 108);
  receive({0xF0, 0x3E, 0x0B, 0x00, 0x41, 0x3B, 0x01, 2, 0x00, 0xF7});  // clock division 2
  EXPECT_EQ(synth.value(56), 2);
  EXPECT_FALSE(synth.editBuffer().arpOnOwnTempo());
  receive({0xF0, 0x3E, 0x0B, 0x00, 0x41, 0x10, 0x00, 100, 0x00, 0xF7});  // kPortamentoMode limited
  EXPECT_EQ(synth.value(50), 2);
  const Sound before = synth.editBuffer();
  receive({0xF0, 0x3E, 0x0B, 0x00, 0x41, 0x43, 0x00, 0x7F, 0x7F, 0xF7});
  EXPECT_EQ(lastRecord().fault, Fault::UnknownAddress);
  EXPECT_EQ(synth.editBuffer(), before);
}

TEST_F(VarnoSimSynth, TurnTransmitsByControlX) {
  const Bytes controlChange = {0xB0, 32, 16 + 40};
  const Bytes parameter = {0xF0, 0x3E, 0x0B, 0x58, 0x41, 0x29, 0x00, 40, 0x00, 0xF7};
  const struct {
    int controlX;
    std::vector<Bytes> expected;
  } kCases[] = {
      {0, {controlChange}},
      {1, {parameter}},
      {2, {controlChange, parameter}},
      {3, {}},
  };
  for (const auto& c : kCases) {
    synth.setValue(kIndexGlobalControlX, c.controlX);
    EXPECT_EQ(synth.turn(0, 40), c.expected) << "Control X " << c.controlX;
    EXPECT_EQ(synth.value(0), 40);
  }
  synth.setValue(kIndexGlobalControlX, 1);
  EXPECT_EQ(synth.turn(24, 5), (std::vector<Bytes>{{0xB0, 1, 5}})) << "no address: control change";
  EXPECT_EQ(synth.turn(52, 1), (std::vector<Bytes>{{0xB0, 64, 127}})) << "sustain as 0 / 127";
  EXPECT_EQ(synth.turn(kIndexGlobalLocalControl, 0), (std::vector<Bytes>{{0xB0, 122, 0}}));
  EXPECT_TRUE(synth.turn(500, 1).empty());
}

TEST_F(VarnoSimSynth, TurnSendsSwitchesAsZeroOrOneAndTheClockAsItsCode) {
  EXPECT_EQ(synth.turn(38, 1), (std::vector<Bytes>{{0xB0, 41, 1}}));
  EXPECT_EQ(synth.turn(56, 0), (std::vector<Bytes>{{0xB0, 105, 1}}));
}

TEST_F(VarnoSimSynth, SelectProgramLoadsAndSendsTheProgramChange) {
  synth.setValue(kIndexGlobalMidiChannel, 10);
  EXPECT_EQ(synth.selectProgram(70), (std::vector<Bytes>{{0xC9, 70}}));
  EXPECT_EQ(synth.editBuffer(), factoryProgram(70));
  EXPECT_TRUE(synth.selectProgram(99).empty());
  EXPECT_EQ(synth.currentProgram(), 70);
}

TEST_F(VarnoSimSynth, RecordKeepsTimeDirectionAndBytes) {
  receive({0xF8});
  receive({0x90, 60, 100});
  synth.noteSent({0xB0, 1, 2}, 5000);
  ASSERT_EQ(synth.records().size(), 3u);
  EXPECT_EQ(synth.records()[0].kind, "clock");
  EXPECT_EQ(synth.records()[0].timeMicroseconds, 1001);
  EXPECT_EQ(synth.records()[1].kind, "note-on");
  EXPECT_EQ(synth.records()[1].bytes, (Bytes{0x90, 60, 100}));
  EXPECT_EQ(synth.records()[2].direction, Direction::Sent);
  EXPECT_EQ(synth.records()[2].kind, "control-change");
  EXPECT_EQ(synth.records()[2].timeMicroseconds, 5000);
}

TEST_F(VarnoSimSynth, RecordDropsTheOldestBeyondItsBudget) {
  Synth small(SynthSettings{0, false, 2});
  const Bytes clockByte = {0xF8};
  for (int i = 0; i < 5; ++i) small.receive(clockByte.data(), clockByte.size(), i);
  ASSERT_EQ(small.records().size(), 2u);
  EXPECT_EQ(small.records().front().timeMicroseconds, 3);
  EXPECT_EQ(small.droppedRecords(), 3u);
  small.clearRecords();
  EXPECT_TRUE(small.records().empty());
  EXPECT_EQ(small.droppedRecords(), 0u);
}

TEST_F(VarnoSimSynth, MalformedChannelAndSystemMessagesChangeNothing) {
  const struct {
    const char* why;
    Bytes message;
    Fault fault;
  } kCases[] = {
      {"control change of two bytes", {0xB0, 74}, Fault::WrongLength},
      {"program change of three bytes", {0xC0, 1, 2}, Fault::WrongLength},
      {"data byte above 7F", {0xB0, 74, 0x80}, Fault::DataByteTooLarge},
      {"unknown controller", {0xB0, 72, 1}, Fault::UnknownController},
      {"running-status data", {0x10, 0x20}, Fault::NotFramed},
      {"song position", {0xF2, 0, 0}, Fault::UnknownCommand},
      {"empty", {}, Fault::Empty},
  };
  const Sound before = synth.editBuffer();
  const GlobalValues globals = synth.globals();
  for (const auto& c : kCases) {
    EXPECT_TRUE(receive(c.message).empty()) << c.why;
    EXPECT_EQ(lastRecord().outcome, Outcome::Ignored) << c.why;
    EXPECT_EQ(lastRecord().fault, c.fault) << c.why;
  }
  EXPECT_EQ(synth.editBuffer(), before);
  EXPECT_EQ(synth.globals(), globals);
}

}  // namespace
}  // namespace varno
