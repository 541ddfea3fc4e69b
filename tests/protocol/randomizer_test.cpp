// The sound randomiser on the real editor, with the ranges and controls of
// its description: it never leaves a parameter's range, the section locks
// hold, and the randomised sound goes out whole. The fold itself is tested on
// the stand-in editor (randomizer_fold_test.cpp).
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
  ProtocolEditor editor;
};

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

}  // namespace
