#include "KIT/kitstring.h"

#include <gtest/gtest.h>

namespace {

TEST(KitString, EmptyReadsAsEmptyText) {
  KIT_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
}

TEST(KitString, SetAppendAndCut) {
  KIT_String s("VivivI Editor", 6);
  EXPECT_STREQ(s.Get(), "VivivI");
  s.Append(" Editor LOG.txt", 7);
  EXPECT_STREQ(s.Get(), "VivivI Editor");
  s.AppendFormatted(64, " v%d.%d.%d", 1, 1, 5);
  EXPECT_STREQ(s.Get(), "VivivI Editor v1.1.5");
  s.SetFormatted(4, "%s", "abcdefgh");
  EXPECT_STREQ(s.Get(), "abcd");
  s.SetLength(2);
  EXPECT_STREQ(s.Get(), "ab");
  s.SetLength(10);
  EXPECT_STREQ(s.Get(), "ab");
}

TEST(KitString, SetFromItselfAndCopies) {
  KIT_String s("abcdef");
  s.Set(s.Get() + 2);
  EXPECT_STREQ(s.Get(), "cdef");
  s.Append(s.Get());
  EXPECT_STREQ(s.Get(), "cdefcdef");
  KIT_String copy(s);
  copy.Set("x");
  EXPECT_STREQ(s.Get(), "cdefcdef");
  s = copy;
  EXPECT_STREQ(s.Get(), "x");
}

}  // namespace
