// The sound randomiser: the fold of a random byte into a parameter's range,
// the section locks, and its two promises: it always ends and never leaves
// a parameter's range.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "src/MIDIMessageSysEx.h"
#include "tests/protocol/protocol_editor.h"

namespace {

using namespace VarnoSysEx;

class Randomizer : public ::testing::Test {
 protected:
  MIDIMessageManager& manager() { return *editor.midiManager; }
  // The fold of byte r into a parameter of range minimum..maximum.
  int fold(int minimum, int maximum, int r) {
    editor.GetParam(kFilterCutoff)->InitInt("", minimum, minimum, maximum);
    editor.randomValues[61] = r;
    return manager().randomizer(kFilterCutoff, 61);
  }
  ProtocolEditor editor;
};

TEST_F(Randomizer, foldIntoTheRange) {
  const struct {
    const char* why;
    int minimum, maximum, r, folded;
  } kCases[] = {
      {"up to 127 stays", 0, 127, 127, 127},
      {"above 127 loses 127", 0, 127, 200, 73},
      {"0..100 takes 100 off twice", 0, 100, 255, 55},
      {"0..100 at its maximum", 0, 100, 100, 100},
      {"a switch gets the parity: 0", 0, 1, 0, 0},
      {"a switch gets the parity: 1", 0, 1, 1, 1},
      {"a switch gets the parity: 200", 0, 1, 200, 0},
      {"a switch gets the parity: 255", 0, 1, 255, 1},
      {"0..2 folds by 2", 0, 2, 7, 1},
      {"0..15 folds by 15", 0, 15, 255, 15},
      {"a minimum below 0 keeps the fold within the range", -10, 5, 13, 5},
      {"a range of one value", 1, 1, 200, 1},
  };
  for (const auto& c : kCases) EXPECT_EQ(fold(c.minimum, c.maximum, c.r), c.folded) << c.why;
}

TEST_F(Randomizer, aMaximumOfZeroOrBelowEndsAndKeepsTheValue) {
  // Taking a maximum of 0 off a byte above the range would never end.
  editor.GetParam(kFilterCutoff)->InitInt("", -4, -10, 0);
  editor.set(kFilterCutoff, -4);
  editor.randomValues[61] = 200;
  EXPECT_EQ(manager().randomizer(kFilterCutoff, 61), -4);
  editor.GetParam(kFilterCutoff)->InitInt("", -20, -20, -5);
  editor.set(kFilterCutoff, -7);
  EXPECT_EQ(manager().randomizer(kFilterCutoff, 61), -7);
}

TEST_F(Randomizer, unknownParameterOrIndexIsHarmless) {
  EXPECT_EQ(manager().randomizer(kNumParams, 6), 0);
  EXPECT_EQ(manager().randomizer(-1, 6), 0);
  editor.randomValues.fill(200);
  const int folded = manager().randomizer(kFilterCutoff, 1000);
  EXPECT_EQ(folded, 0) << "an index outside the array reads 0";
}

TEST_F(Randomizer, everyValueStaysInRangeAndLocksHold) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 50; ++round) {
    ProtocolEditor fresh;
    const int lock = kSectionLockOsc1 + round % kNumSectionLocks;
    fresh.set(lock, 1.0);
    for (int& value : fresh.randomValues) value = byte(random);
    std::vector<double> before;
    for (int i = 0; i < kNumParams; ++i) before.push_back(fresh.value(i));
    fresh.midiManager->randomizePatchSettings(0);
    for (int byteIndex = kFirstSoundByte; byteIndex <= kLastSoundByte; ++byteIndex) {
      const SoundDumpByte& row = *soundDumpByte(byteIndex);
      const IParam* param = fresh.GetParam(row.parameter);
      EXPECT_GE(param->Value(), param->GetMin()) << "byte " << byteIndex;
      EXPECT_LE(param->Value(), param->GetMax()) << "byte " << byteIndex;
      if (row.lock == lock) {
        EXPECT_EQ(param->Value(), before[row.parameter]) << "byte " << byteIndex;
      }
    }
    EXPECT_EQ(fresh.value(kCurrentPatch), before[kCurrentPatch]) << "the program is not randomised";
    EXPECT_TRUE(fresh.calls().paramChanges.empty()) << "no change handler runs";
  }
}

TEST_F(Randomizer, allLocksOnChangeNothing) {
  for (int lock = kSectionLockOsc1; lock <= kSectionLockArp; ++lock) editor.set(lock, 1.0);
  editor.randomValues.fill(99);
  std::vector<double> before;
  for (int i = 0; i < kNumParams; ++i) before.push_back(editor.value(i));
  manager().randomizePatchSettings(0);
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(editor.value(i), before[i]) << i;
}

TEST_F(Randomizer, unlockedSoundTakesTheFoldedBytes) {
  for (int byteIndex = kFirstSoundByte; byteIndex <= kLastSoundByte; ++byteIndex)
    editor.randomValues[byteIndex] = 200;
  manager().randomizePatchSettings(0);
  EXPECT_EQ(editor.value(kFilterCutoff), 73);
  EXPECT_EQ(editor.value(kOscillator2Sync), 0) << "parity of 200";
  EXPECT_EQ(editor.value(kOscillator1Semitone), 8) << "200 less 96 twice; no semitone coding";
  EXPECT_EQ(editor.value(kArpClock), 2) << "200 less 9 twenty-two times; no clock coding";
}

// The randomised sound goes to the Varno whole: a control turned back to the
// value it last sent sends it again.
TEST_F(Randomizer, randomisedSoundLetsEverySoundControlSendItsNextValue) {
  int mapped = 0;
  for (int index = 0; index < kNumAutomatedParams; ++index)
    if (ControlAction* action = editor.GetParam(index)->GetControlAction()) {
      action->lastValue = 3;
      ++mapped;
    }
  ASSERT_GT(mapped, 60);
  editor.randomValues.fill(99);
  manager().randomizePatchSettings(0);
  for (int index = 0; index < kNumAutomatedParams; ++index)
    if (const ControlAction* action = editor.GetParam(index)->GetControlAction()) {
      EXPECT_EQ(action->lastValue, -1.0) << index;
    }
}

TEST_F(Randomizer, generatorFillsOneByteEachForTheDump) {
  editor.randomValues.fill(-1);
  manager().randomGenerator();
  for (int i = 0; i < kSoundDumpSize; ++i) {
    EXPECT_GE(editor.randomValues[i], 0) << i;
    EXPECT_LE(editor.randomValues[i], 255) << i;
  }
  for (size_t i = kSoundDumpSize; i < editor.randomValues.size(); ++i)
    EXPECT_EQ(editor.randomValues[i], -1) << i;
}

}  // namespace
