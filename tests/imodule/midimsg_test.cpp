#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KIT/IModule/IModuleStructs.h"

namespace {

struct Bytes {
  int offset, status, data1, data2;
};

void ExpectMsg(const IMidiMsg& m, const Bytes& b, const char* why) {
  EXPECT_EQ(m.mOffset, b.offset) << why;
  EXPECT_EQ(m.mStatus, b.status) << why;
  EXPECT_EQ(m.mData1, b.data1) << why;
  EXPECT_EQ(m.mData2, b.data2) << why;
}

TEST(IMidiMsgBuilders, FillTheWholeRecord) {
  const struct {
    const char* why;
    void (*build)(IMidiMsg&);
    Bytes expected;
  } cases[] = {
      {"note on: velocity second, offset third",
       [](IMidiMsg& m) { m.MakeNoteOnMsg(60, 100, 17, 3); },
       {17, 0x93, 60, 100}},
      {"note off: offset second, channel third, velocity last",
       [](IMidiMsg& m) { m.MakeNoteOffMsg(61, 5, 2, 40); },
       {5, 0x82, 61, 40}},
      {"control change full", [](IMidiMsg& m) { m.MakeControlChangeMsg(74, 1.0, 2); }, {0, 0xB2, 74, 127}},
      {"control change half truncates",
       [](IMidiMsg& m) { m.MakeControlChangeMsg(7, 0.5, 0); },
       {0, 0xB0, 7, 63}},
      {"control change 0.999 truncates",
       [](IMidiMsg& m) { m.MakeControlChangeMsg(7, 0.999, 0); },
       {0, 0xB0, 7, 126}},
      {"program change has no data 2", [](IMidiMsg& m) { m.MakeProgramChangeMsg(0.0, 0); }, {0, 0xC0, 0, 0}},
      {"pitch wheel centre", [](IMidiMsg& m) { m.MakePitchWheelMsg(0.0, 0); }, {0, 0xE0, 0x00, 0x40}},
      {"pitch wheel bottom", [](IMidiMsg& m) { m.MakePitchWheelMsg(-1.0, 1); }, {0, 0xE1, 0x00, 0x00}},
      {"pitch wheel top is clamped", [](IMidiMsg& m) { m.MakePitchWheelMsg(1.0, 0); }, {0, 0xE0, 0x7F, 0x7F}},
      {"pitch wheel far above", [](IMidiMsg& m) { m.MakePitchWheelMsg(2.0, 0); }, {0, 0xE0, 0x7F, 0x7F}},
      {"pitch wheel far below", [](IMidiMsg& m) { m.MakePitchWheelMsg(-2.0, 0); }, {0, 0xE0, 0x00, 0x00}},
      {"clear", [](IMidiMsg& m) { m.Clear(); }, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    IMidiMsg m(99, 0xFF, 0xFF, 0xFF);
    c.build(m);
    ExpectMsg(m, c.expected, c.why);
  }
}

TEST(IMidiMsgReaders, AnswerOnlyForTheirOwnType) {
  const struct {
    int status, data1, data2;
    int statusMsg, channel, note, velocity, program;
  } cases[] = {
      {0x93, 60, 100, IMidiMsg::kNoteOn, 3, 60, 100, -1},
      {0x80, 61, 0, IMidiMsg::kNoteOff, 0, 61, 0, -1},
      {0xA5, 62, 9, IMidiMsg::kPolyAftertouch, 5, 62, -1, -1},
      {0xB0, 7, 90, IMidiMsg::kControlChange, 0, -1, -1, -1},
      {0xCF, 12, 0, IMidiMsg::kProgramChange, 15, -1, -1, 12},
      {0xD0, 30, 0, IMidiMsg::kChannelAftertouch, 0, -1, -1, -1},
      {0xF8, 0, 0, IMidiMsg::kNone, 8, -1, -1, -1},  // clock is no channel message
      {0x45, 0, 0, IMidiMsg::kNone, 5, -1, -1, -1},  // a data byte as status
  };
  for (const auto& c : cases) {
    const IMidiMsg m(0, static_cast<uint8_t>(c.status), static_cast<uint8_t>(c.data1),
                     static_cast<uint8_t>(c.data2));
    SCOPED_TRACE(c.status);
    EXPECT_EQ(m.StatusMsg(), c.statusMsg);
    EXPECT_EQ(m.Channel(), c.channel);
    EXPECT_EQ(m.MidiChannelIdx(), c.status);
    EXPECT_EQ(m.NoteNumber(), c.note);
    EXPECT_EQ(m.Velocity(), c.velocity);
    EXPECT_EQ(m.Program(), c.program);
    EXPECT_EQ(m.ControlChangeIdx(), c.data1);
  }
}

TEST(IMidiMsgReaders, ControlChangeAndPitchWheelValues) {
  IMidiMsg cc;
  cc.MakeControlChangeMsg(10, 1.0, 0);
  EXPECT_DOUBLE_EQ(cc.ControlChange(10), 1.0);
  EXPECT_DOUBLE_EQ(cc.ControlChange(7), -1.0);
  EXPECT_DOUBLE_EQ(cc.PitchWheel(), 0.0);

  IMidiMsg pw;
  pw.MakePitchWheelMsg(0.0, 0);
  EXPECT_DOUBLE_EQ(pw.PitchWheel(), 0.0);
  pw.MakePitchWheelMsg(1.0, 0);
  EXPECT_DOUBLE_EQ(pw.PitchWheel(), 8191.0 / 8192.0);
  pw.MakePitchWheelMsg(-1.0, 0);
  EXPECT_DOUBLE_EQ(pw.PitchWheel(), -1.0);
  EXPECT_DOUBLE_EQ(pw.ControlChange(0), -1.0);
}

TEST(ISysExRecord, ClearEmptiesIt) {
  const uint8_t bytes[] = {0xF0, 0x3E, 0xF7};
  ISysEx s(5, bytes, 3);
  s.Clear();
  EXPECT_EQ(s.mOffset, 0);
  EXPECT_EQ(s.mSize, 0);
  EXPECT_EQ(s.mData, nullptr);
}

TEST(MidiTexts, SysExStrCutsToWhatFits) {
  const uint8_t bytes[] = {0xF0, 0x3E, 0x0B, 0xF7};
  const struct {
    int length;
    const char* expected;
  } cases[] = {
      {64, "F0 3E 0B F7"},
      {12, "F0 3E 0B F7"},
      {11, "F0 3E 0B"},
      {9, "F0 3E 0B"},
      {3, "F0"},
      {2, ""},
      {1, ""},
  };
  for (const auto& c : cases) {
    char buffer[80];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_STREQ(SysExStr(buffer, c.length, bytes, 4), c.expected) << "buffer " << c.length;
    EXPECT_EQ(buffer[c.length], '#') << "wrote past a buffer of " << c.length;
  }
  char buffer[16];
  EXPECT_STREQ(SysExStr(buffer, 16, nullptr, 4), "");
  EXPECT_STREQ(SysExStr(buffer, 16, bytes, 0), "");
}

TEST(MidiTexts, StatusNames) {
  const struct {
    int status;
    const char* name;
  } cases[] = {
      {0, "none"},
      {8, "noteoff"},
      {9, "noteon "},
      {10, "aftertouch"},
      {11, "controlchange"},
      {12, "programchange"},
      {13, "channelaftertouch"},
      {14, "pitchwheel"},
      {1, "unknown"},
      {15, "unknown"},
      {-3, "unknown"},
  };
  for (const auto& c : cases) EXPECT_STREQ(StatusMsgStr(c.status), c.name) << c.status;
}

}  // namespace
