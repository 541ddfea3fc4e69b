#include "KIT/ptrlist.h"

#include <gtest/gtest.h>

namespace {

struct Counted {
  static int alive;
  int value;
  explicit Counted(int v) : value(v) { ++alive; }
  ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST(PtrList, AddInsertGetAndOutsideIndices) {
  KIT_PtrList<Counted> list;
  Counted a(1), b(2), c(3);
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  list.Insert(-5, &c);  // clamped to the front
  ASSERT_EQ(list.GetSize(), 4);
  EXPECT_EQ(list.Get(0), &c);
  EXPECT_EQ(list.Get(1), &a);
  EXPECT_EQ(list.Get(2), &b);
  EXPECT_EQ(list.Get(3), &c);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_EQ(list.Find(&b), 2);
  list.Delete(0);
  EXPECT_EQ(list.Get(0), &a);
  list.Delete(7);  // outside: nothing
  EXPECT_EQ(list.GetSize(), 3);
}

TEST(PtrList, DeletesPointeesOnlyWhenAsked) {
  {
    KIT_PtrList<Counted> list;
    for (int i = 0; i < 1000; ++i) list.Add(new Counted(i));
    EXPECT_EQ(Counted::alive, 1000);
    list.Delete(10, true);
    EXPECT_EQ(Counted::alive, 999);
    EXPECT_EQ(list.Get(10)->value, 11);
    Counted* kept = list.Get(0);
    list.Delete(0, false);
    EXPECT_EQ(Counted::alive, 999);
    delete kept;
    list.Empty(true);
    EXPECT_EQ(list.GetSize(), 0);
  }
  EXPECT_EQ(Counted::alive, 0);
}

}  // namespace
