#include "KIT/IModule/IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string Display(const IParam& p, double value, bool normalized = false, bool withTexts = true) {
  char text[IParam::kDisplayBufferSize];
  p.GetDisplayForHost(value, normalized, text, withTexts);
  return text;
}

TEST(IParamInit, RangesAreNeverEmptyForEnumsIntsAndDoubles) {
  const struct {
    const char* why;
    void (*init)(IParam&);
    int kind;
    double min, max, step;
  } cases[] = {
      {"enum of one value", [](IParam& p) { p.InitEnum("e", 0, 1); }, IParam::kTypeEnum, 0, 1, 1},
      {"enum of no value", [](IParam& p) { p.InitEnum("e", 0, 0); }, IParam::kTypeEnum, 0, 1, 1},
      {"enum of three values", [](IParam& p) { p.InitEnum("e", 2, 3); }, IParam::kTypeEnum, 0, 2, 1},
      {"int with max below min", [](IParam& p) { p.InitInt("i", 3, 3, 1); }, IParam::kTypeInt, 3, 4, 1},
      {"double with max equal to min", [](IParam& p) { p.InitDouble("d", 0, 5, 5, 0.5); },
       IParam::kTypeDouble, 5, 5.5, 0.5},
      {"bool", [](IParam& p) { p.InitBool("b", true); }, IParam::kTypeBool, 0, 1, 1},
  };
  for (const auto& c : cases) {
    IParam p;
    c.init(p);
    EXPECT_EQ(p.Type(), c.kind) << c.why;
    EXPECT_DOUBLE_EQ(p.GetMin(), c.min) << c.why;
    EXPECT_DOUBLE_EQ(p.GetMax(), c.max) << c.why;
    EXPECT_DOUBLE_EQ(p.GetStep(), c.step) << c.why;
  }
}

TEST(IParamInit, DisplayPrecisionFollowsTheStepsDecimals) {
  const struct {
    double step;
    int precision;
  } cases[] = {
      {1.0, 0}, {0.1, 1}, {0.01, 2}, {0.001, 3}, {0.25, 2}, {5.0, 0}, {0.0000001, 6},
  };
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("d", 0, 0, 10, c.step);
    EXPECT_EQ(p.GetDisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParamInit, TextKindSurvivesALaterInitialiserWhichStillSetsTheRange) {
  IParam p;
  p.InitText();
  p.InitEnum("patch name", 0, 4);
  EXPECT_EQ(p.Type(), IParam::kTypeText);
  EXPECT_DOUBLE_EQ(p.GetMax(), 3.0);

  IParam q;
  q.InitEnum("first", 0, 2);
  q.InitBool("second", false);
  EXPECT_EQ(q.Type(), IParam::kTypeEnum);  // the first initialiser fixed the kind
}

TEST(IParamInit, NamesAreCutToTheirField) {
  IParam p;
  const std::string longName(80, 'n');
  p.InitBool(longName.c_str(), false, "dB", "Filter");
  EXPECT_EQ(std::string(p.GetNameForHost()), std::string(54, 'n'));
  EXPECT_STREQ(p.GetParamGroupForHost(), "Filter");
}

TEST(IParamNormalise, EnumRoundsToTheStepAndLimitsOnlyTheTop) {
  IParam p;
  p.InitEnum("e", 0, 3);
  const struct {
    double position, value;
  } cases[] = {
      {0.5, 1.0}, {0.74, 1.0}, {0.76, 2.0}, {1.3, 2.0}, {-0.5, -1.0}, {0.0, 0.0}, {1.0, 2.0},
  };
  for (const auto& c : cases) {
    p.SetNormalized(c.position);
    EXPECT_DOUBLE_EQ(p.Value(), c.value) << "position " << c.position;
  }
}

TEST(IParamNormalise, DoubleKeepsUnroundedValuesAndShapeBendsTheCurve) {
  IParam p;
  p.InitDouble("d", 0, 0, 10, 0.01);
  p.SetNormalized(0.333);
  EXPECT_NEAR(p.Value(), 3.33, 1e-12);

  IParam shaped;
  shaped.InitDouble("s", 0, 0, 100, 0.1);
  shaped.SetShape(2.0);
  shaped.SetShape(0.0);  // ignored
  shaped.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(shaped.Value(), 25.0);
  EXPECT_DOUBLE_EQ(shaped.GetNormalized(), 0.5);
}

TEST(IParamNormalise, PositionOfAValueIsClampedIntoTheRange) {
  IParam p;
  p.InitInt("i", 0, -10, 10);
  EXPECT_DOUBLE_EQ(p.GetNormalized(-50), 0.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(50), 1.0);
  EXPECT_DOUBLE_EQ(p.GetNormalized(0), 0.5);
}

// A one-entry list leaves the range empty (the display text raises the
// maximum only to 0); its position must be 0.0, not the NaN of 0 / 0.
TEST(IParamNormalise, EmptyRangeNormalisesToZero) {
  IParam p;
  p.InitEnum("single", 0, 1);
  p.SetDisplayText(0, "only");
  ASSERT_DOUBLE_EQ(p.GetMin(), 0.0);
  ASSERT_DOUBLE_EQ(p.GetMax(), 0.0);
  EXPECT_EQ(p.GetNormalized(), 0.0);
  EXPECT_EQ(p.GetNormalized(3.0), 0.0);
  p.SetNormalized(0.7);
  EXPECT_EQ(p.Value(), 0.0);
}

TEST(IParamDisplay, NumbersTextsAndNegation) {
  IParam p;
  p.InitEnum("e", 0, 4);
  p.SetDisplayText(0, "saw");
  p.SetDisplayText(1, "square");
  p.SetDisplayText(2, "");
  EXPECT_EQ(Display(p, 1.9), "square");  // truncated to entry 1
  EXPECT_EQ(Display(p, 2.0), "2");       // empty text falls through
  EXPECT_EQ(Display(p, 3.0), "3");       // no entry
  EXPECT_EQ(Display(p, 1.0, false, false), "1");
  EXPECT_EQ(Display(p, 0.5, true), "square");  // mapped from a position (range now 0..2)
  EXPECT_EQ(Display(p, 0.45, true), "saw");    // 0.9: truncated, not rounded

  IParam d;
  d.InitDouble("d", 0, -10, 10, 1);
  EXPECT_EQ(Display(d, -2.7), "-2");
  d.SetNegateDisplay(true);
  EXPECT_EQ(Display(d, 4.0), "-4");

  IParam precise;
  precise.InitDouble("p", 0, 0, 10, 0.01);
  EXPECT_EQ(Display(precise, 3.14159), "3.14");
}

TEST(IParamDisplay, BoolShowsOnOffAndDropsItsLabel) {
  IParam p;
  p.InitBool("b", true, "units");
  EXPECT_EQ(Display(p, 1.0), "on");
  EXPECT_EQ(Display(p, 0.0), "off");
  EXPECT_EQ(Display(p, 1.0, false, false), "1");
  EXPECT_STREQ(p.GetLabelForHost(), "");

  IParam labelled;
  labelled.InitDouble("d", 0, 0, 1, 0.1, "Hz");
  EXPECT_STREQ(labelled.GetLabelForHost(), "Hz");
}

TEST(IParamDisplay, HugeValuesStayWithinTheBuffer) {
  IParam p;
  p.InitDouble("d", 0, 0, 1, 0.000001);
  EXPECT_LT(Display(p, 1e300).size(), static_cast<size_t>(IParam::kDisplayBufferSize));
  IParam i;
  i.InitInt("i", 0, 0, 1);
  EXPECT_EQ(Display(i, 1e300), "2147483647");
}

TEST(IParamDisplayTexts, AppendRaisesTheMaximumAndOverwriteKeepsIt) {
  IParam p;
  p.InitEnum("e", 0, 2);
  p.SetDisplayText(0, "a");
  p.SetDisplayText(1, "b");
  p.SetDisplayText(2, "c");
  EXPECT_EQ(p.GetNDisplayTexts(), 3);
  EXPECT_DOUBLE_EQ(p.GetMax(), 2.0);
  p.SetDisplayText(0, "A");
  EXPECT_DOUBLE_EQ(p.GetMax(), 2.0);
  EXPECT_STREQ(p.GetDisplayText(0), "A");

  int value = -7;
  EXPECT_STREQ(p.GetDisplayTextAtIdx(2, &value), "c");
  EXPECT_EQ(value, 2);
  EXPECT_STREQ(p.GetDisplayTextAtIdx(3, &value), "");

  p.ResetDisplayTexts();
  EXPECT_EQ(p.GetNDisplayTexts(), 0);
  EXPECT_STREQ(p.GetDisplayText(0), "");
}

TEST(IParamDisplayTexts, OutOfOrderValuesAreSafe) {
  IParam p;
  p.InitEnum("e", 0, 2);
  p.SetDisplayText(-1, "negative");  // ignored
  EXPECT_EQ(p.GetNDisplayTexts(), 0);
  p.SetDisplayText(5, "five");  // beyond the count: one entry at the end
  EXPECT_EQ(p.GetNDisplayTexts(), 1);
  EXPECT_STREQ(p.GetDisplayText(5), "five");
  EXPECT_DOUBLE_EQ(p.GetMax(), 5.0);

  const std::string longText(70, 'x');
  p.SetDisplayText(0, longText.c_str());
  EXPECT_EQ(std::string(p.GetDisplayTextAtIdx(0)), std::string(55, 'x'));
}

TEST(IParamDisplayTexts, MapDisplayTextFindsTheFirstExactMatch) {
  IParam p;
  p.InitEnum("e", 0, 3);
  p.SetDisplayText(0, "Dup");
  p.SetDisplayText(1, "Dup");
  p.SetDisplayText(2, "other");
  int value = 99;
  EXPECT_TRUE(p.MapDisplayText("Dup", &value));
  EXPECT_EQ(value, 0);
  value = 99;
  EXPECT_FALSE(p.MapDisplayText("dup", &value));  // case-sensitive
  EXPECT_FALSE(p.MapDisplayText("Du", &value));   // whole string
  EXPECT_EQ(value, 99);

  IParam empty;
  EXPECT_FALSE(empty.MapDisplayText("", &value));
}

TEST(IParamValues, DecibelsToGain) {
  IParam p;
  p.InitDouble("gain", -6.0, -60, 12, 0.1);
  EXPECT_NEAR(p.DBToAmp(), 0.501187, 1e-6);
}

}  // namespace
