// Bitmaps and icons (drawing objects of type 4 holding an image), image
// lists, drawing images and copying between contexts.
#pragma once

#include <cstdint>

#include "KIT/winl/winl-gdi.h"
#include "KIT/winl/winl-types.h"

typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HICON;

// The icon description CreateIconIndirect reads (Win32 field order).
struct ICONINFO {
  int32_t fIcon;
  uint32_t xHotspot;
  uint32_t yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};

// An image object from a PNG file (a name holding '/') or, failing that, the
// program's resource image of that name ("name" or "name.png"); null when
// neither loads. With magentaMask, pixels of red 255, green 0, blue 255 (any
// alpha) become transparent.
HBITMAP LoadNamedImage(const char* name, bool magentaMask);
// An image object of w x h from h rows of w pixels of 4 bytes each (first
// byte alpha, then red, green, blue); null data gives a cleared image.
// Only 32 bits per pixel are taken (other depths and sizes below 1 give
// null); planes are not used.
HBITMAP CreateBitmap(int w, int h, int planes, int bitsPerPixel, const void* data);
// A new object sharing the colour bitmap's image when the icon flag is set
// and the colour bitmap holds an image; else null.
HICON CreateIconIndirect(const ICONINFO* info);
// Clears size bytes of out; for size 8 and an object holding an image writes
// its width and height as two int32 and returns 1; else 0.
int GetObject(HGDIOBJ object, int size, void* out);
// The image of a live bitmap or icon; null otherwise.
const WINL_Image* GetNSImageFromHICON(HGDIOBJ object);
// Draws the whole image scaled into the rectangle, over the destination
// through the image's alpha.
void DrawImageInRect(HDC hdc, HGDIOBJ object, const RECT* rect);

// ---- Image lists: numbered slots of image objects the list owns ----------------------------
struct WINL_ImageList;
typedef WINL_ImageList* HIMAGELIST;

HIMAGELIST ImageList_CreateEx();
// Stores a new object sharing the icon's image at index when 0 <= index <
// count (deleting the one there) and returns index; otherwise appends it and
// returns its index. -1 for a dead or imageless icon or a null list.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
// index >= count: 0. index < 0: empties the list. Otherwise deletes that
// slot's object and leaves the slot empty (the count stays). 1 when done.
int ImageList_Remove(HIMAGELIST list, int index);
// The number of slots, empty ones included; 0 for null.
int ImageList_GetImageCount(HIMAGELIST list);
// The object in a slot (still owned by the list); null for an empty slot or
// an index outside.
HICON WINL_ImageList_GetEntry(HIMAGELIST list, int index);
void ImageList_Destroy(HIMAGELIST list);

// ---- Copying between contexts ---------------------------------------------------------------
// With this mode the source's first byte is its alpha (not premultiplied);
// any other mode copies the source opaque.
const uint32_t WINL_BLT_SOURCE_ALPHA = 0xDEADBEEF;

// Draws the source rectangle of a memory context scaled into the
// destination rectangle (nearest pixel). The source rectangle is clipped to
// the source bitmap and the destination shrunk in proportion, so what is
// visible keeps its place and scale. Needs sizes above 0 on both sides.
void StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, uint32_t mode);
void BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, uint32_t mode);
