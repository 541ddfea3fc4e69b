#include "KIT/heapbuf.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Allocation sizes after one resize from empty, worked out by hand from the
// growth rule: half again the size, at least a granule; page granularities
// round to 4 KB pages less 96 bytes.
TEST(HeapBufGrowth, AllocationFromEmpty) {
  const struct {
    int granularity, size, allocated;
  } cases[] = {
      {4096, 10, 4000},            // (10 + 4096 + 96) & ~4095 = 4096, less 96
      {4096, 5000, 8096},          // (5000 + 4096 + 96) & ~4095 = 8192, less 96
      {128, 10, 138},              // 10 + max(5, 128)
      {128, 1000, 1500},           // 1000 + 500
      {65536, 10, 65440},          // extra is a whole granule: (10 + 65536 + 96) & ~4095, less 96
      {4096, 20000000, 24190880},  // extra capped at 4 MB: (20000000+4194304+96)&~4095 - 96
  };
  for (const auto& c : cases) {
    KIT_HeapBuf hb(c.granularity);
    hb.Resize(c.size);
    EXPECT_EQ(hb.GetSize(), c.size);
    EXPECT_EQ(hb.GetAllocated(), c.allocated) << "granularity " << c.granularity << " size " << c.size;
  }
}

TEST(HeapBufGrowth, SizeZeroReturnsNullAndEqualSizeChangesNothing) {
  KIT_HeapBuf hb(128);
  EXPECT_EQ(hb.Resize(0), nullptr);
  void* p = hb.Resize(10);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(hb.Resize(10), p);
  EXPECT_EQ(hb.GetAllocated(), 138);
  EXPECT_EQ(hb.Resize(0, false), nullptr);
  EXPECT_EQ(hb.GetSize(), 0);
}

TEST(HeapBufGrowth, ShrinkOnlyWhenItFreesHalfAndFourGranules) {
  KIT_HeapBuf hb(128);
  hb.Resize(10000);  // allocation 15000
  ASSERT_EQ(hb.GetAllocated(), 15000);

  hb.Resize(5000, false);  // no permission: only the used size changes
  EXPECT_EQ(hb.GetAllocated(), 15000);
  hb.Resize(8000, true);  // above half of the allocation
  EXPECT_EQ(hb.GetAllocated(), 15000);
  hb.Resize(7000, true);  // below half and far below: reallocated as for 7000
  EXPECT_EQ(hb.GetAllocated(), 10500);

  KIT_HeapBuf small(128);
  small.Resize(600);        // allocation 900; 900 - 4 * 128 = 388
  small.Resize(400, true);  // below half but not four granules below: kept
  EXPECT_EQ(small.GetAllocated(), 900);
  small.Resize(300, true);
  EXPECT_EQ(small.GetAllocated(), 450);  // 300 + 150
}

TEST(HeapBufGrowth, KeepsBytesAcrossGrowthAndRefusesNegativeSizes) {
  KIT_HeapBuf hb(16);
  char* p = static_cast<char*>(hb.Resize(5));
  memcpy(p, "abcde", 5);
  p = static_cast<char*>(hb.Resize(100000));
  ASSERT_EQ(hb.GetSize(), 100000);
  EXPECT_EQ(memcmp(p, "abcde", 5), 0);
  EXPECT_EQ(hb.Resize(-1), p);
  EXPECT_EQ(hb.GetSize(), 100000);
}

TEST(HeapBufGrowth, MinimumAllocationHolds) {
  KIT_HeapBuf hb(128);
  hb.SetMinAllocSize(1000);
  hb.Resize(10);
  EXPECT_EQ(hb.GetAllocated(), 1000);
}

TEST(TypedBuf, SizesCountElements) {
  KIT_TypedBuf<double> tb;
  ASSERT_NE(tb.Resize(3), nullptr);
  EXPECT_EQ(tb.GetSize(), 3);
  EXPECT_EQ(tb.Heap().GetSize(), 24);
  tb.Get()[2] = 1.5;
  ASSERT_NE(tb.Add(2.5), nullptr);
  EXPECT_EQ(tb.GetSize(), 4);
  EXPECT_EQ(tb.Get()[2], 1.5);
  EXPECT_EQ(tb.Get()[3], 2.5);
  EXPECT_EQ(tb.Resize(-2), tb.Get());  // refused
  EXPECT_EQ(tb.GetSize(), 4);
}

TEST(HeapBufCopy, CopiesAreDeep) {
  KIT_HeapBuf a(128);
  memcpy(a.Resize(3), "xyz", 3);
  KIT_HeapBuf b(a);
  static_cast<char*>(b.Get())[0] = 'q';
  EXPECT_EQ(static_cast<char*>(a.Get())[0], 'x');
  KIT_HeapBuf c(4096);
  c = b;
  EXPECT_EQ(memcmp(c.Get(), "qyz", 3), 0);
}

}  // namespace
