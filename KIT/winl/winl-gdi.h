// Drawing contexts (HDC) and drawing objects (HGDIOBJ) of the Win32-style
// layer: the two records behind the handles, the pools that recycle them,
// offscreen memory contexts whose pixels the raster library shares,
// per-context text and background state, selecting and deleting objects, and
// clipping. Fonts and text drawing are in winl-font.h.
//
// Handles are plain pointers to the records below. A deleted record is
// pooled with its dead flag set (or freed when its pool is full), and every
// operation checks a handle against the records the layer has handed out: a
// null, dead, freed or foreign handle does nothing and returns null, 0 or -1.
// Handle values 1 to 4 are markers (1 pen, 2 brush, 3 font, 4 bitmap), never
// read through.
//
// Pixels of a context are 32-bit words, four bytes in memory in the order
// (ignored byte, red, green, blue): the raster library's pixel word, whose
// first byte is its alpha.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "KIT/winl/winl-types.h"

// ---------------------------------------------------------------------------
// Records

// A colour as four components 0..1; `present` is false until one is set.
struct WINL_Colour {
  bool present;
  float red, green, blue, alpha;
};

// Saved drawing state of a graphics context: the clip and the antialiasing
// setting.
struct WINL_GraphicsState {
  RECT clip;
  bool antialias;
};

// The pixel surface all drawing of a context goes to. Memory contexts own
// theirs; WINL_CreateGfxContext borrows one made by a view.
struct WINL_GraphicsContext {
  uint8_t* pixels;  // top row first, rowBytes apart
  int width;
  int height;
  int rowBytes;
  RECT clip;       // within 0, 0, width, height; right and bottom exclusive
  bool antialias;  // text coverage in grey levels (true) or in two levels
  std::vector<WINL_GraphicsState> saved;
};

struct WINL_NativeFont;

// The image of a bitmap or icon object: pixel words in the contexts' layout
// (first byte alpha, not premultiplied), top row first, rows width apart.
// Shared by every object made from it; the last release frees it.
struct WINL_Image {
  int width;
  int height;
  std::vector<uint32_t> pixels;
  std::atomic<int> refs;
};

// The drawing-context record; a new or recycled record has every field zero.
struct HDC__ {
  WINL_GraphicsContext* gc;  // owned only together with pixelBuffer
  void* pixelBuffer;         // raw allocation of a memory context, else null
  HGDIOBJ pen;               // selected objects; null when none
  HGDIOBJ brush;
  HGDIOBJ font;
  int32_t textColor;  // 0x00RRGGBB
  int32_t bkColor;    // 0x00RRGGBB
  int32_t bkMode;     // 1 opaque: text background filled; else transparent
  float positionX;    // pen position for line drawing
  float positionY;
  uint8_t dead;  // set while pooled
  HDC__* next;   // pool link
  WINL_Colour textColorObject;
};

enum { WINL_OBJ_PEN = 1, WINL_OBJ_BRUSH = 2, WINL_OBJ_FONT = 3, WINL_OBJ_BITMAP = 4 };

// The drawing-object record; a new or recycled record has every field zero.
struct HGDIOBJ__ {
  int32_t type;                 // WINL_OBJ_*
  int32_t extraRefs;            // holders beyond the first
  WINL_Colour colour;           // pen and brush colour
  int32_t width;                // pen width (0 draws one pixel); negative only in the stock objects
  uint8_t dead;                 // set while pooled
  HGDIOBJ__* next;              // pool link
  WINL_NativeFont* nativeFont;  // owned by a font
  uint8_t quality;              // font rendering code 0, 3 or 4 (winl-font.h)
  WINL_Image* image;            // held by a bitmap or icon (one reference)
};

// ---------------------------------------------------------------------------
// Pools (process-wide, one recursive lock). At most 100 context records and
// 200 object records are kept for reuse; at unload the pooled records are
// freed.

// A cleared record from the pool, or a new one; null when memory runs out.
HDC__* WINL_GDP_CTX_NEW();
HGDIOBJ__* GDP_OBJECT_NEW();
// The numbers of records waiting in the two pools.
void WINL_GetPoolSizes(int* contexts, int* objects);

// ---------------------------------------------------------------------------
// Contexts

// An offscreen context of width x height pixels (both above 0 and small
// enough for the row and buffer sizes to fit an int), zero-filled, rows packed
// end to end (row span = width) from a 64-byte-aligned first pixel, origin at
// the top left, text colour black. The first argument is not used. Null when
// the size is refused or memory runs out; nothing is left allocated then.
HDC WINL_CreateMemContext(HDC unused, int width, int height);
// A context drawing into a surface that the caller keeps (a view's); deleting
// the context leaves the surface alone. Null for a null surface.
HDC WINL_CreateGfxContext(WINL_GraphicsContext* surface);
// Frees a context and, for a memory context, its pixels. Selected objects are
// not released: a context does not own them.
void WINL_DeleteGfxContext(HDC hdc);
// The first pixel of a memory context; null for other contexts.
void* WINL_GetCtxFrameBuffer(HDC hdc);
// The context's surface.
WINL_GraphicsContext* WINL_GetCtxGC(HDC hdc);

// Text colour (0x00RRGGBB; the text colour object becomes that colour at
// alpha 1), background colour and background mode.
void SetTextColor(HDC hdc, int color);
// The text colour; -1 for a null or dead context.
int GetTextColor(HDC hdc);
void SetBkColor(HDC hdc, int color);
void SetBkMode(HDC hdc, int mode);

// Saves the clip (and antialiasing setting); narrows the clip to the
// rectangle; restores the last saved state. A pop without a push does
// nothing; a null rectangle narrows nothing.
void WINL_PushClipRegion(HDC hdc);
void WINL_SetClipRegion(HDC hdc, RECT* rect);
void WINL_PopClipRegion(HDC hdc);

// ---------------------------------------------------------------------------
// Objects

// Puts a pen, brush or font into its slot. Returns what the caller passes
// back to restore the slot: the object it displaced, or the type's marker
// when the slot was empty. A marker 1, 2 or 3 empties its slot and returns
// the object that was in it (or the marker). Bitmaps, the marker 4, null, and
// dead or foreign handles return null and change nothing.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// Drops one holder; the last one frees the object (a font's native font
// with it). Markers, the stock objects and dead handles are ignored.
void DeleteObject(HGDIOBJ object);
// Adds one holder and returns the same handle; null for markers and dead
// handles.
HGDIOBJ WINL_CloneGDIObject(HGDIOBJ object);
// 1: the null pen, 2: the null brush (static records, never freed); any
// other index null.
HGDIOBJ GetStockObject(int index);

// ---------------------------------------------------------------------------
// Images

// A cleared image of width x height with one reference; null for a side
// below 1, more than 32768 pixels on a side or no memory.
WINL_Image* WINL_NewImage(int width, int height);
// Adds a reference and returns the image (null stays null).
WINL_Image* WINL_RetainImage(WINL_Image* image);
// Drops a reference; the last one frees the image.
void WINL_ReleaseImage(WINL_Image* image);

// ---------------------------------------------------------------------------
// Checks used by the rest of the layer.

// True for a context handed out by the layer and not deleted.
bool WINL_IsLiveContext(HDC hdc);
// True for an object handed out by the layer, not deleted, of the type
// (0: any type). Stock objects count as live.
bool WINL_IsLiveObject(HGDIOBJ object, int type);
