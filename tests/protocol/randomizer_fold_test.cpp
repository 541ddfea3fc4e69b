// The sound randomiser's fold of a random byte into a parameter's range and
// its section locks, on the stand-in editor: the fold always ends, and a
// locked section keeps its values.
#include <gtest/gtest.h>

#include <vector>

#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"
#include "tests/support/fake_editor.h"

namespace {

using namespace VarnoSysEx;

class RandomizerFold : public ::testing::Test {
 protected:
  MIDIMessageManager& manager() { return *editor.midiManager; }
  // The fold of byte r into a parameter of range minimum..maximum.
  int fold(int minimum, int maximum, int r) {
    editor.GetParam(kFilterCutoff)->InitInt("", minimum, minimum, maximum);
    editor.randomValues[61] = r;
    return manager().randomizer(kFilterCutoff, 61);
  }
  double value(int index) const { return editor.GetParam(index)->Value(); }
  void set(int index, double v) { editor.GetParam(index)->Set(v); }
  FakeEditor editor;
};

TEST_F(RandomizerFold, foldIntoTheRange) {
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

TEST_F(RandomizerFold, aMaximumOfZeroOrBelowEndsAndKeepsTheValue) {
  // Taking a maximum of 0 off a byte above the range would never end.
  editor.GetParam(kFilterCutoff)->InitInt("", -4, -10, 0);
  set(kFilterCutoff, -4);
  editor.randomValues[61] = 200;
  EXPECT_EQ(manager().randomizer(kFilterCutoff, 61), -4);
  editor.GetParam(kFilterCutoff)->InitInt("", -20, -20, -5);
  set(kFilterCutoff, -7);
  EXPECT_EQ(manager().randomizer(kFilterCutoff, 61), -7);
}

TEST_F(RandomizerFold, unknownParameterOrIndexIsHarmless) {
  EXPECT_EQ(manager().randomizer(kNumParams, 6), 0);
  EXPECT_EQ(manager().randomizer(-1, 6), 0);
  editor.randomValues.fill(200);
  const int folded = manager().randomizer(kFilterCutoff, 1000);
  EXPECT_EQ(folded, 0) << "an index outside the array reads 0";
}

TEST_F(RandomizerFold, allLocksOnChangeNothing) {
  for (int lock = kSectionLockOsc1; lock <= kSectionLockArp; ++lock) set(lock, 1.0);
  editor.randomValues.fill(99);
  std::vector<double> before;
  for (int i = 0; i < kNumParams; ++i) before.push_back(value(i));
  manager().randomizePatchSettings(0);
  for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(value(i), before[i]) << i;
}

TEST_F(RandomizerFold, generatorFillsOneByteEachForTheDump) {
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
