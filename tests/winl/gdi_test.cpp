// Drawing contexts and drawing objects: memory contexts, object selection
// and markers, reference counts, the pools and their limits, and that dead,
// freed and wrong-typed handles do nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-gdi.h"

namespace {

HGDIOBJ Marker(int type) { return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(type)); }

// A drawing object of a type made from the pool, as the shapes layer makes
// its pens and brushes.
HGDIOBJ MakeObject(int type) {
  HGDIOBJ__* object = GDP_OBJECT_NEW();
  object->type = type;
  return object;
}

// The first pixel word of a memory context, as bytes (first, red, green,
// blue).
const uint8_t* Pixel(HDC hdc, int x, int y) {
  const WINL_GraphicsContext* gc = WINL_GetCtxGC(hdc);
  return gc->pixels + y * gc->rowBytes + x * 4;
}

TEST(MemContext, ZeroedAlignedTopDownPixels) {
  HDC hdc = WINL_CreateMemContext(nullptr, 4, 2);
  ASSERT_NE(hdc, nullptr);
  const uint8_t* pixels = static_cast<const uint8_t*>(WINL_GetCtxFrameBuffer(hdc));
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(pixels) % 64, 0u);
  for (int i = 0; i < 4 * 2 * 4; ++i) EXPECT_EQ(pixels[i], 0) << i;
  EXPECT_EQ(WINL_GetCtxGC(hdc)->rowBytes, 16);
  EXPECT_EQ(GetTextColor(hdc), 0);
  EXPECT_TRUE(hdc->textColorObject.present);

  // The opaque background of a blank drawn in the top-left pixel lands in
  // the first word of the buffer.
  SetBkMode(hdc, 1);
  SetBkColor(hdc, 0x123456);
  RECT rect = {0, 0, 1, 1};
  EXPECT_GT(WINL_DrawText(hdc, " ", -1, &rect, DT_SINGLELINE), 0);
  EXPECT_EQ(pixels[0], 255);
  EXPECT_EQ(pixels[1], 0x12);
  EXPECT_EQ(pixels[2], 0x34);
  EXPECT_EQ(pixels[3], 0x56);
  EXPECT_EQ(pixels[4], 0) << "nothing beyond the clip";
  WINL_DeleteGfxContext(hdc);
}

TEST(MemContext, RefusesSizesThatCannotBeMade) {
  const int kSizes[][2] = {{0, 5}, {5, 0}, {-3, 4}, {4, -3}, {INT32_MAX, 2}, {60000, 60000}};
  for (const auto& size : kSizes)
    EXPECT_EQ(WINL_CreateMemContext(nullptr, size[0], size[1]), nullptr) << size[0];
}

TEST(MemContext, BorrowedSurfaceIsLeftAlone) {
  std::vector<uint8_t> pixels(4 * 3 * 3, 7);
  WINL_GraphicsContext surface{pixels.data(), 3, 3, 12, RECT{0, 0, 3, 3}, true, {}};
  HDC hdc = WINL_CreateGfxContext(&surface);
  ASSERT_NE(hdc, nullptr);
  EXPECT_EQ(WINL_GetCtxGC(hdc), &surface);
  EXPECT_EQ(WINL_GetCtxFrameBuffer(hdc), nullptr) << "no buffer of its own";
  WINL_DeleteGfxContext(hdc);
  EXPECT_EQ(pixels[0], 7);
  EXPECT_EQ(WINL_CreateGfxContext(nullptr), nullptr);
}

TEST(SelectObject, MarkersRestoreEmptySlots) {
  HDC hdc = WINL_CreateMemContext(nullptr, 2, 2);
  HGDIOBJ font = CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
  // Into an empty slot: the marker comes back; selecting it empties the
  // slot and returns the font.
  EXPECT_EQ(SelectObject(hdc, font), Marker(3));
  EXPECT_EQ(hdc->font, font);
  EXPECT_EQ(SelectObject(hdc, Marker(3)), font);
  EXPECT_EQ(hdc->font, nullptr);
  EXPECT_EQ(SelectObject(hdc, Marker(3)), Marker(3)) << "an empty slot gives the marker back";

  // A pen into a slot that holds the same pen: that pen, nothing changes.
  HGDIOBJ pen = MakeObject(WINL_OBJ_PEN), otherPen = MakeObject(WINL_OBJ_PEN);
  EXPECT_EQ(SelectObject(hdc, pen), Marker(1));
  EXPECT_EQ(SelectObject(hdc, pen), pen);
  EXPECT_EQ(SelectObject(hdc, otherPen), pen);
  EXPECT_EQ(hdc->pen, otherPen);
  EXPECT_EQ(SelectObject(hdc, Marker(1)), otherPen);

  // Refused: a bitmap, the marker 4, null, a deleted object, a context.
  HGDIOBJ bitmap = MakeObject(WINL_OBJ_BITMAP);
  HGDIOBJ gone = MakeObject(WINL_OBJ_BRUSH);
  DeleteObject(gone);
  HDC other = WINL_CreateMemContext(nullptr, 2, 2);
  EXPECT_EQ(SelectObject(hdc, bitmap), nullptr);
  EXPECT_EQ(SelectObject(hdc, Marker(4)), nullptr);
  EXPECT_EQ(SelectObject(hdc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(hdc, gone), nullptr);
  EXPECT_EQ(SelectObject(hdc, reinterpret_cast<HGDIOBJ>(other)), nullptr);
  EXPECT_EQ(hdc->brush, nullptr);
  EXPECT_EQ(SelectObject(nullptr, font), nullptr);

  for (HGDIOBJ o : {font, pen, otherPen, bitmap}) DeleteObject(o);
  WINL_DeleteGfxContext(other);
  WINL_DeleteGfxContext(hdc);
}

TEST(DeleteObject, ClonesCountHoldersAndStockObjectsStay) {
  HDC hdc = WINL_CreateMemContext(nullptr, 2, 2);
  HGDIOBJ brush = MakeObject(WINL_OBJ_BRUSH);
  EXPECT_EQ(WINL_CloneGDIObject(brush), brush);
  DeleteObject(brush);  // the clone's holder
  EXPECT_TRUE(WINL_IsLiveObject(brush, WINL_OBJ_BRUSH));
  EXPECT_EQ(SelectObject(hdc, brush), Marker(2));
  DeleteObject(brush);  // the last holder
  EXPECT_FALSE(WINL_IsLiveObject(brush, 0));
  DeleteObject(brush);  // a second delete of a dead record does nothing
  EXPECT_EQ(WINL_CloneGDIObject(brush), nullptr);
  // The slot still names the dead brush; selecting the marker reports the
  // marker, not the dead record.
  EXPECT_EQ(SelectObject(hdc, Marker(2)), Marker(2));

  HGDIOBJ pen = GetStockObject(1), nothing = GetStockObject(2);
  EXPECT_EQ(pen->type, WINL_OBJ_PEN);
  EXPECT_EQ(pen->width, -1);
  EXPECT_EQ(nothing->type, WINL_OBJ_BRUSH);
  EXPECT_EQ(GetStockObject(0), nullptr);
  EXPECT_EQ(GetStockObject(3), nullptr);
  DeleteObject(pen);
  DeleteObject(nothing);
  EXPECT_EQ(WINL_CloneGDIObject(pen), pen);
  EXPECT_EQ(GetStockObject(1), pen);
  EXPECT_EQ(SelectObject(hdc, pen), Marker(1));
  EXPECT_EQ(pen->width, -1);
  WINL_DeleteGfxContext(hdc);
}

TEST(Pools, KeepAHundredContextsAndTwoHundredObjects) {
  std::vector<HDC> contexts;
  for (int i = 0; i < 101; ++i) contexts.push_back(WINL_CreateMemContext(nullptr, 1, 1));
  for (HDC c : contexts) WINL_DeleteGfxContext(c);
  int pooledContexts = 0, pooledObjects = 0;
  WINL_GetPoolSizes(&pooledContexts, nullptr);
  EXPECT_EQ(pooledContexts, 100);
  // The last one was freed; its handle is refused without being read.
  EXPECT_EQ(GetTextColor(contexts.back()), -1);
  SetTextColor(contexts.back(), 0xFF);
  WINL_DeleteGfxContext(contexts.back());

  std::vector<HGDIOBJ> objects;
  for (int i = 0; i < 201; ++i) objects.push_back(MakeObject(WINL_OBJ_BRUSH));
  for (HGDIOBJ o : objects) DeleteObject(o);
  WINL_GetPoolSizes(nullptr, &pooledObjects);
  EXPECT_EQ(pooledObjects, 200);
  DeleteObject(objects.back());
  EXPECT_EQ(WINL_CloneGDIObject(objects.back()), nullptr);
}

TEST(Pools, RecycledContextsStartClear) {
  HDC first = WINL_CreateMemContext(nullptr, 2, 2);
  SetTextColor(first, 0x112233);
  SetBkColor(first, 0x445566);
  SetBkMode(first, 1);
  HGDIOBJ font = CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
  SelectObject(first, font);
  WINL_DeleteGfxContext(first);
  // Dead until handed out again.
  EXPECT_EQ(GetTextColor(first), -1);
  EXPECT_EQ(WINL_GetCtxFrameBuffer(first), nullptr);
  EXPECT_EQ(WINL_GetCtxGC(first), nullptr);
  EXPECT_EQ(SelectObject(first, font), nullptr);
  TEXTMETRIC metrics;
  EXPECT_FALSE(GetTextMetrics(first, &metrics));
  RECT rect = {0, 0, 10, 10};
  EXPECT_EQ(WINL_DrawText(first, "a", -1, &rect, 0), 0);
  WINL_DeleteGfxContext(first);  // twice: nothing

  HDC__* recycled = WINL_GDP_CTX_NEW();
  EXPECT_EQ(recycled->font, nullptr);
  EXPECT_EQ(recycled->textColor, 0);
  EXPECT_FALSE(recycled->textColorObject.present);
  EXPECT_EQ(recycled->bkMode, 0);
  EXPECT_EQ(recycled->dead, 0);
  WINL_DeleteGfxContext(recycled);
  DeleteObject(font);
}

TEST(Handles, WrongTypedHandlesDoNothing) {
  HDC hdc = WINL_CreateMemContext(nullptr, 2, 2);
  HGDIOBJ font = CreateFont(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
  HDC fontAsContext = reinterpret_cast<HDC>(font);
  HGDIOBJ contextAsObject = reinterpret_cast<HGDIOBJ>(hdc);
  int local = 0;
  HDC foreign = reinterpret_cast<HDC>(&local);
  for (HDC wrong : {fontAsContext, foreign, reinterpret_cast<HDC>(3)}) {
    SetTextColor(wrong, 0x123456);
    SetBkColor(wrong, 1);
    SetBkMode(wrong, 1);
    EXPECT_EQ(GetTextColor(wrong), -1);
    EXPECT_EQ(WINL_GetCtxGC(wrong), nullptr);
    EXPECT_EQ(WINL_GetCtxFrameBuffer(wrong), nullptr);
    EXPECT_EQ(SelectObject(wrong, font), nullptr);
    TEXTMETRIC metrics;
    EXPECT_FALSE(GetTextMetrics(wrong, &metrics));
    RECT rect = {0, 0, 10, 10};
    EXPECT_EQ(WINL_DrawText(wrong, "a", -1, &rect, 0), 0);
    WINL_PushClipRegion(wrong);
    WINL_SetClipRegion(wrong, &rect);
    WINL_PopClipRegion(wrong);
    WINL_DeleteGfxContext(wrong);
  }
  DeleteObject(contextAsObject);
  DeleteObject(reinterpret_cast<HGDIOBJ>(&local));
  EXPECT_EQ(WINL_CloneGDIObject(contextAsObject), nullptr);
  // Both still work.
  EXPECT_EQ(font->type, WINL_OBJ_FONT);
  EXPECT_EQ(GetTextColor(hdc), 0);
  EXPECT_EQ(SelectObject(hdc, font), Marker(3));
  WINL_DeleteGfxContext(hdc);
  DeleteObject(font);
}

TEST(Clip, PushNarrowAndPop) {
  HDC hdc = WINL_CreateMemContext(nullptr, 6, 1);
  SetBkMode(hdc, 1);
  SetBkColor(hdc, 0xFFFFFF);
  WINL_PushClipRegion(hdc);
  RECT narrow = {2, 0, 4, 1};
  WINL_SetClipRegion(hdc, &narrow);
  RECT whole = {0, 0, 6, 1};
  WINL_DrawText(hdc, "      ", -1, &whole, DT_SINGLELINE);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(hdc, x, 0)[1], x >= 2 && x < 4 ? 255 : 0) << x;
  WINL_PopClipRegion(hdc);
  WINL_PopClipRegion(hdc);  // one more than pushed: nothing
  WINL_SetClipRegion(hdc, nullptr);
  WINL_DrawText(hdc, "      ", -1, &whole, DT_SINGLELINE);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(hdc, x, 0)[1], 255) << x;
  WINL_DeleteGfxContext(hdc);
}

}  // namespace
