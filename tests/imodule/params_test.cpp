// Parameter changes and parameter chunks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "TestPlug.h"

namespace {

// The host hears of every change from the GUI; the handler runs only when
// the stored value changed, or always for a text parameter.
TEST(ParamChanges, HostToldEveryTimeHandlerOnlyOnChangeOrText) {
  const struct {
    const char* why;
    void (*init)(IParam&);
    double first, second;
    bool handlerOnSecond;
  } cases[] = {
      {"double, same position", [](IParam& p) { p.InitDouble("d", 0, 0, 10, 0.1); }, 0.5, 0.5, false},
      {"double, new position", [](IParam& p) { p.InitDouble("d", 0, 0, 10, 0.1); }, 0.5, 0.6, true},
      {"enum, position rounds to the same step", [](IParam& p) { p.InitEnum("e", 0, 3); }, 0.5, 0.6, false},
      {"enum, next step", [](IParam& p) { p.InitEnum("e", 0, 3); }, 0.5, 0.9, true},
      {"int, same step", [](IParam& p) { p.InitInt("i", 0, 0, 100); }, 0.5, 0.501, false},
      {"bool, same", [](IParam& p) { p.InitBool("b", false); }, 1.0, 1.0, false},
      {"bool, toggled", [](IParam& p) { p.InitBool("b", false); }, 1.0, 0.0, true},
      {"text, same value",
       [](IParam& p) {
         p.InitText();
         p.InitEnum("t", 0, 2);
       },
       1.0, 1.0, true},
  };
  for (const auto& c : cases) {
    for (const bool hardware : {false, true}) {
      TestPlug::Options options;
      options.nExtra = 1;
      TestPlug plug(options);
      const int index = TestPlug::kNumAutomated;  // the extra parameter, free to initialise
      c.init(*plug.GetParam(index));
      auto change = [&](double position) {
        if (hardware)
          plug.SetParameterFromGUI2(index, position);
        else
          plug.SetParameterFromGUI(index, position);
      };
      change(c.first);
      plug.informed.clear();
      plug.changed.clear();
      plug.changed2.clear();
      change(c.second);
      SCOPED_TRACE(std::string(c.why) + (hardware ? " (hardware path)" : " (user path)"));
      ASSERT_EQ(plug.informed.size(), 1u);
      EXPECT_EQ(plug.informed[0].first, index);
      EXPECT_EQ(plug.informed[0].second, c.second);  // the position as given, not rounded
      const std::vector<int> expected = c.handlerOnSecond ? std::vector<int>{index} : std::vector<int>{};
      EXPECT_EQ(hardware ? plug.changed2 : plug.changed, expected);
      EXPECT_TRUE((hardware ? plug.changed : plug.changed2).empty());  // each path has its own handler
    }
  }
}

TEST(ParamChanges, IndexOutsideTheListIsIgnored) {
  TestPlug plug;
  for (const int index : {-1, 3, 1000}) {
    plug.SetParameterFromGUI(index, 0.5);
    plug.SetParameterFromGUI2(index, 0.5);
  }
  EXPECT_TRUE(plug.informed.empty());
  EXPECT_TRUE(plug.changed.empty());
  EXPECT_TRUE(plug.changed2.empty());
}

TEST(ParamChanges, ResetReplaysAutomatedParametersInOrder) {
  TestPlug::Options options;
  options.nExtra = 2;
  TestPlug plug(options);
  plug.OnParamReset();
  EXPECT_EQ(plug.changed, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(plug.resets, 1);

  plug.DirtyParameters();
  ASSERT_EQ(plug.informed.size(), 3u);
  EXPECT_DOUBLE_EQ(plug.informed[0].second, 0.1);  // gain 1.0 of 0..10
}

class ParamChunks : public ::testing::Test {
 protected:
  void SetValues(double gain, double mode, double on) {
    plug.GetParam(TestPlug::kGain)->Set(gain);
    plug.GetParam(TestPlug::kMode)->Set(mode);
    plug.GetParam(TestPlug::kSwitch)->Set(on);
  }
  std::vector<double> Values() {
    std::vector<double> v;
    for (int i = 0; i < plug.NParams(); ++i) v.push_back(plug.GetParam(i)->Value());
    return v;
  }
  TestPlug plug{TestPlug::Options{true, 3, true, 2, "2-2"}};
};

TEST_F(ParamChunks, RoundTripOfAutomatedAndNonAutomatedValues) {
  SetValues(3.3, 2, 1);
  plug.GetParam(3)->Set(40);
  plug.GetParam(4)->Set(50);
  ByteChunk chunk;
  ASSERT_TRUE(plug.SerializeParams(&chunk));
  ASSERT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 2));
  ASSERT_EQ(chunk.Size(), 40);
  const std::vector<double> saved = Values();

  SetValues(0, 0, 0);
  plug.GetParam(3)->Set(0);
  plug.GetParam(4)->Set(0);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 24);
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 24, 2), 40);
  EXPECT_EQ(Values(), saved);
  EXPECT_TRUE(plug.changed.empty());  // reading calls no handler
}

TEST_F(ParamChunks, StoredValuesAreLimitedToTheRangeWithoutRounding) {
  ByteChunk chunk;
  chunk.PutDouble(99.0);  // above the gain's maximum
  chunk.PutDouble(-5.0);  // below the mode's minimum
  chunk.PutDouble(0.25);  // a switch value between steps stays as it is
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 24);
  EXPECT_EQ(Values()[0], 10.0);
  EXPECT_EQ(Values()[1], 0.0);
  EXPECT_EQ(Values()[2], 0.25);
}

// A short chunk reports the short read and changes nothing it does not hold:
// the first parameter it lacks keeps its value (it used to be set to 0).
TEST_F(ParamChunks, ShortChunkLeavesMissingParametersUntouched) {
  SetValues(7.0, 3, 1);
  const struct {
    const char* why;
    int bytes;
    std::vector<double> expected;
  } cases[] = {
      {"one whole value", 8, {2.0, 3, 1}},
      {"one and a half values", 12, {2.0, 3, 1}},
      {"two values", 16, {2.0, 1, 1}},
      {"nothing", 0, {7.0, 3, 1}},
  };
  for (const auto& c : cases) {
    SetValues(7.0, 3, 1);
    ByteChunk full, chunk;
    full.PutDouble(2.0);
    full.PutDouble(1.0);
    full.PutDouble(0.0);
    chunk.PutBytes(full.GetData(), c.bytes);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1) << c.why;
    const std::vector<double> v = Values();
    EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 3), c.expected) << c.why;
  }
  ByteChunk chunk;
  EXPECT_EQ(plug.UnserializeParams(&chunk, -1), -1);  // a negative start is returned as it is
  EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 5, 0), 5);
}

TEST_F(ParamChunks, NaNInAChunkKeepsTheParameter) {
  SetValues(7.0, 3, 1);
  ByteChunk chunk;
  chunk.PutDouble(std::nan(""));
  chunk.PutDouble(1.0);
  chunk.PutDouble(0.0);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 24);
  EXPECT_EQ(Values()[0], 7.0);
  EXPECT_EQ(Values()[1], 1.0);
}

TEST_F(ParamChunks, NonAutomatedCountIsLimitedToTheBlock) {
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 99));
  EXPECT_EQ(chunk.Size(), 16);
  EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 0));
  EXPECT_EQ(chunk.Size(), 16);
}

TEST_F(ParamChunks, CompareStateToleratesSinglePrecisionNoise) {
  SetValues(0.1, 1, 0);
  const struct {
    double gain;
    bool equal;
  } cases[] = {{0.1, true}, {0.100001, true}, {0.1001, false}};
  for (const auto& c : cases) {
    ByteChunk stored;
    stored.PutDouble(99.0);  // one double before the ones compared
    stored.PutDouble(c.gain);
    stored.PutDouble(1.0);
    stored.PutDouble(0.0);
    EXPECT_EQ(plug.CompareState(stored.GetData(), 1, stored.Size()), c.equal) << c.gain;
    // Too few bytes for every parameter: unequal, and nothing past them is read.
    EXPECT_FALSE(plug.CompareState(stored.GetData(), 2, stored.Size()));
  }
}

TEST(ParamChunksAllNonAutomated, NothingIsAutomated) {
  TestPlug::Options options;
  options.nExtra = 0;
  TestPlug plug(options);
  plug.addNonAutomateParamCount(plug.NParams());
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(plug.UnserializeParams(&chunk, 7), 7);
  EXPECT_TRUE(plug.CompareState(nullptr, 0, 0));
  plug.OnParamReset();
  EXPECT_TRUE(plug.changed.empty());
  EXPECT_EQ(plug.resets, 1);
  plug.DirtyParameters();
  EXPECT_TRUE(plug.informed.empty());
}

TEST(ParamRedraw, EveryParameterGoesToTheGuiRoundedToItsStep) {
  TestPlug::Options options;
  options.nExtra = 1;
  TestPlug plug(options);
  plug.RedrawParamControls();  // no GUI: nothing happens

  TestGraphics* gui = new TestGraphics(&plug);
  plug.AttachGraphics(gui);
  gui->calls.clear();
  plug.GetParam(TestPlug::kMode)->Set(1.4);
  plug.RedrawParamControls();
  ASSERT_EQ(gui->calls.size(), 4u);  // the non-automated one too
  EXPECT_EQ(gui->calls[1].index, TestPlug::kMode);
  EXPECT_DOUBLE_EQ(gui->calls[1].value, 1.4);
  EXPECT_FALSE(gui->calls[1].normalized);
  EXPECT_EQ(plug.GetParam(TestPlug::kMode)->Value(), 1.0);
  EXPECT_TRUE(plug.changed.empty());
}

}  // namespace
