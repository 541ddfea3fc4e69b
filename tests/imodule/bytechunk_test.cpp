#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"

namespace {

std::vector<uint8_t> BytesOf(const ByteChunk& c) {
  return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

TEST(ByteChunkLayout, ValuesAreLittleEndianWithoutPadding) {
  ByteChunk c;
  EXPECT_EQ(c.PutInt32(0x01020304), 4);
  EXPECT_EQ(c.PutBool(true), 5);
  EXPECT_EQ(c.PutDouble(1.0), 13);
  EXPECT_EQ(c.PutStr("ab"), 19);
  const std::vector<uint8_t> expected = {0x04, 0x03, 0x02, 0x01,                       // int32
                                         0x01,                                         // bool
                                         0,    0,    0,    0,    0,   0,  0xF0, 0x3F,  // 1.0
                                         0x02, 0,    0,    0,    'a', 'b'};            // string
  EXPECT_EQ(BytesOf(c), expected);
}

TEST(ByteChunkRoundTrip, EveryKindOfValueReadsBack) {
  ByteChunk c;
  c.PutInt32(-123456);
  c.PutBool(false);
  c.PutDouble(-0.1);
  c.PutStr("Harrow Creek");
  c.PutStr("");
  ByteChunk inner;
  inner.PutInt32(7);
  c.PutChunk(&inner);

  int32_t i = 0;
  bool b = true;
  double d = 0;
  KIT_String s("old"), empty("not empty");
  int pos = c.GetInt32(&i, 0);
  pos = c.GetBool(&b, pos);
  pos = c.GetDouble(&d, pos);
  pos = c.GetStr(&s, pos);
  pos = c.GetStr(&empty, pos);
  int32_t fromInner = 0;
  pos = c.GetInt32(&fromInner, pos);
  EXPECT_EQ(pos, c.Size());
  EXPECT_EQ(i, -123456);
  EXPECT_FALSE(b);
  EXPECT_EQ(d, -0.1);
  EXPECT_STREQ(s.Get(), "Harrow Creek");
  EXPECT_STREQ(empty.Get(), "");  // an empty string reads back empty
  EXPECT_EQ(fromInner, 7);

  c.PutChunk(&c);  // appending itself doubles it
  EXPECT_EQ(c.Size(), 2 * pos);
}

TEST(ByteChunkReads, PastTheEndGiveMinusOneAndLeaveTheTarget) {
  ByteChunk c;
  c.PutInt32(42);
  c.PutBool(true);  // 5 bytes
  const struct {
    const char* why;
    int start;
  } cases[] = {
      {"int32 straddles the end", 2},
      {"at the end", 5},
      {"beyond the end", 100},
      {"negative start", -1},
  };
  for (const auto& k : cases) {
    int32_t i = 77;
    double d = 7.5;
    EXPECT_EQ(c.GetInt32(&i, k.start), -1) << k.why;
    EXPECT_EQ(c.GetDouble(&d, k.start), -1) << k.why;
    EXPECT_EQ(i, 77) << k.why;
    EXPECT_EQ(d, 7.5) << k.why;
  }
  bool b = false;
  EXPECT_EQ(c.GetBool(&b, 4), 5);  // the last byte still reads
  EXPECT_TRUE(b);
  EXPECT_EQ(c.GetBool(&b, 5), -1);
}

TEST(ByteChunkReads, StringLengthDecidesTheNextPosition) {
  {
    // The length is readable but the bytes run past the end: the position
    // behind them comes back, the text stays, and the next read fails.
    ByteChunk c;
    c.PutInt32(10);
    c.PutBytes("abc", 3);
    KIT_String s("kept");
    const int end = c.GetStr(&s, 0);
    EXPECT_EQ(end, 14);
    EXPECT_STREQ(s.Get(), "kept");
    int32_t i;
    EXPECT_EQ(c.GetInt32(&i, end), -1);
  }
  {
    ByteChunk c;  // a negative length is refused
    c.PutInt32(-8);
    c.PutInt32(0);
    KIT_String s("kept");
    EXPECT_EQ(c.GetStr(&s, 0), -1);
    EXPECT_STREQ(s.Get(), "kept");
  }
  {
    ByteChunk c;  // a NUL inside the bytes ends the text, not the field
    c.PutInt32(4);
    c.PutBytes("ab\0c", 4);
    c.PutInt32(5);
    KIT_String s;
    EXPECT_EQ(c.GetStr(&s, 0), 8);
    EXPECT_STREQ(s.Get(), "ab");
  }
  {
    ByteChunk c;  // too short for the length itself
    c.PutBytes("ab", 2);
    KIT_String s("kept");
    EXPECT_EQ(c.GetStr(&s, 0), -1);
    EXPECT_STREQ(s.Get(), "kept");
  }
}

TEST(ByteChunkBuffer, ResizeZeroesNewBytesAndClearEmpties) {
  ByteChunk c;
  c.PutInt32(-1);
  EXPECT_EQ(c.Resize(8), 8);
  EXPECT_EQ(BytesOf(c), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
  ByteChunk same;
  same.PutInt32(-1);
  same.PutInt32(0);
  EXPECT_TRUE(c.IsEqual(same));
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.GetData(), nullptr);
  EXPECT_FALSE(c.IsEqual(same));
  EXPECT_EQ(c.PutBytes(nullptr, 4), 0);
}

}  // namespace
