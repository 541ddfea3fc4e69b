#include "tools/imggen/layout.h"

namespace imggen {

namespace {

const std::vector<const char*> kOscShapes = {"SAW", "PULSE", "TRIANGLE"};
const std::vector<const char*> kOsc2Shapes = {"SAW", "PULSE", "TRIANGLE", "X-MOD"};
const std::vector<const char*> kLfoShapes = {"SINE",   "TRIANGLE", "SAW UP",   "SAW DOWN",
                                             "SQUARE", "S&H",      "SLEW S&H", "NOISE"};
// The trigger modes by the numbers the display shows for them.
const std::vector<const char*> kTriggers = {"0", "1", "2", "3"};

// Rows of the two layout bands of the page: the upper sections are 244
// high, the lower ones 311.
const int kUpperY = 8, kUpperH = 244, kLowerY = 260, kLowerH = 311;
const int kRow1 = 36, kRow2 = 140, kLowRow2 = 136, kLowRow3 = 224;

}  // namespace

const std::vector<Section>& editorSections() {
  static const std::vector<Section> sections = {
      {"OSCILLATOR 1",
       8,
       kUpperY,
       232,
       kUpperH,
       {{kRow1,
         {{Kind::Semitone, "SEMITONE", 44},
          {Kind::SmallKnob, "TUNE", 116},
          {Kind::Knob, "PULSE WIDTH", 188}}},
        {kRow2, {{Kind::Choice, "SHAPE", 40, kOscShapes}}}}},
      {"OSCILLATOR 2",
       248,
       kUpperY,
       264,
       kUpperH,
       {{kRow1,
         {{Kind::Semitone, "SEMITONE", 52},
          {Kind::SmallKnob, "TUNE", 132},
          {Kind::Knob, "PULSE WIDTH", 212}}},
        {kRow2,
         {{Kind::Choice, "SHAPE", 40, kOsc2Shapes},
          {Kind::Switch, "KEYTRACK", 172},
          {Kind::Switch, "SYNC", 228}}}}},
      {"OSCILLATOR 3",
       520,
       kUpperY,
       184,
       kUpperH,
       {{kRow1, {{Kind::Semitone, "SEMITONE", 52}, {Kind::SmallKnob, "TUNE", 132}}},
        {kRow2, {{Kind::Choice, "SHAPE", 40, kOscShapes}}}}},
      {"MIXER",
       712,
       kUpperY,
       216,
       kUpperH,
       {{kRow1, {{Kind::Knob, "OSC 1", 40}, {Kind::Knob, "OSC 2", 108}, {Kind::Knob, "OSC 3", 176}}},
        {kRow2, {{Kind::Knob, "NOISE", 72}, {Kind::Knob, "EXTERNAL", 144}}}}},
      {"FILTER",
       936,
       kUpperY,
       332,
       kUpperH,
       {{kRow1,
         {{Kind::Knob, "CUTOFF", 56},
          {Kind::Knob, "RESONANCE", 166},
          {Kind::SmallKnob, "ENV 1 AMOUNT", 276}}},
        {kRow2,
         {{Kind::SmallKnob, "VELOCITY", 44},
          {Kind::SmallKnob, "KEYTRACK", 120},
          {Kind::Menu, "MOD SOURCE", 208},
          {Kind::SmallKnob, "MOD AMOUNT", 292}}}}},
      {"AMPLIFIER",
       1276,
       kUpperY,
       216,
       kUpperH,
       {{kRow1, {{Kind::Knob, "VOLUME", 56}, {Kind::SmallKnob, "VELOCITY", 160}}},
        {kRow2, {{Kind::SmallKnob, "PANNING", 56}, {Kind::Knob, "MAIN VOLUME", 160}}}}},
      {"LFO 1",
       456,
       kLowerY,
       144,
       kLowerH,
       {{kRow1, {{Kind::Knob, "SPEED", 72}}}, {kLowRow2, {{Kind::Choice, "SHAPE", 30, kLfoShapes}}}}},
      {"LFO 2",
       608,
       kLowerY,
       104,
       kLowerH,
       {{kRow1, {{Kind::Knob, "SPEED", 52}}}, {kLowRow2, {{Kind::Knob, "DELAY", 52}}}}},
      // Wide enough for the names of its two padlocks (kPitchLockX).
      {"PITCH & GLIDE",
       720,
       kLowerY,
       232,
       kLowerH,
       {{kRow1, {{Kind::SmallKnob, "MOD AMOUNT", 80}, {Kind::Knob, "PORTAMENTO", 176}}},
        {kLowRow2, {{Kind::Menu, "MOD SOURCE", 80}, {Kind::Menu, "GLIDE MODE", 176}}},
        {kLowRow3, {{Kind::Menu, "BEND RANGE", 128}}}}},
      {"MODULATION UNITS",
       960,
       kLowerY,
       368,
       kLowerH,
       {{kRow1,
         {{Kind::SmallKnob, "AMOUNT 1", 46},
          {Kind::SmallKnob, "AMOUNT 2", 138},
          {Kind::SmallKnob, "AMOUNT 3", 230},
          {Kind::SmallKnob, "AMOUNT 4", 322}}},
        {kLowRow2,
         {{Kind::Menu, "SOURCE 1", 46},
          {Kind::Menu, "SOURCE 2", 138},
          {Kind::Menu, "SOURCE 3", 230},
          {Kind::Menu, "SOURCE 4", 322}}},
        {kLowRow3,
         {{Kind::Menu, "DESTINATION 1", 46},
          {Kind::Menu, "DESTINATION 2", 138},
          {Kind::Menu, "DESTINATION 3", 230},
          {Kind::Menu, "DESTINATION 4", 322}}}}},
      {"PERFORMANCE",
       1336,
       kLowerY,
       156,
       kLowerH,
       {{kRow1, {{Kind::SmallKnob, "CV 2 AMOUNT", 40}, {Kind::Knob, "MOD WHEEL", 116}}},
        {kLowRow2, {{Kind::Knob, "BREATH", 40}, {Kind::Switch, "SUSTAIN", 116}}},
        {kLowRow3, {{Kind::Menu, "CV 2 SOURCE", 78}}}}},
  };
  return sections;
}

const std::vector<Section>& envelopeSections() {
  static const int half = (kLowerAreaH - 8) / 2;
  static const std::vector<Row> rows = {{32,
                                         {{Kind::Knob, "ATTACK", 36},
                                          {Kind::Knob, "DECAY", 104},
                                          {Kind::Knob, "SUSTAIN", 172},
                                          {Kind::Knob, "RELEASE", 240},
                                          {Kind::SmallKnob, "KEYTRACK", 308},
                                          {Kind::Choice, "TRIGGER", 368, kTriggers}}}};
  static const std::vector<Section> sections = {
      {"ENVELOPE 1", 0, 0, kLowerAreaW, half, rows},
      {"ENVELOPE 2", 0, half + 8, kLowerAreaW, kLowerAreaH - half - 8, rows},
  };
  return sections;
}

const Section& arpeggiatorSection() {
  static const Section section = {
      "ARPEGGIATOR",
      0,
      0,
      kLowerAreaW,
      kLowerAreaH,
      {{kRow1,
        {{Kind::Choice, "ON / OFF", 40, {"OFF", "ON", "LATCH"}},
         {Kind::Choice, "RANGE", 176, {"1 OCT", "2 OCT", "3 OCT", "4 OCT"}},
         {Kind::Choice, "MODE", 312, {"UP", "DOWN", "UP-DOWN", "DOWN-UP", "ORDER", "RANDOM", "CHORD"}}}},
       {184,
        {{Kind::Area, "TEMPO", 104}, {Kind::Switch, "HOST TEMPO", 208}, {Kind::Switch, "CLOCK SYNC", 312}}}}};
  return section;
}

}  // namespace imggen
