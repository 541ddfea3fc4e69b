#include "KIT/winl/winl-image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-png.h"

struct WINL_ImageList {
  std::vector<HGDIOBJ> entries;  // null for an emptied slot
};

namespace {

// A new type-4 object holding one reference to the image (which it takes
// over); the image is released when no object can be had.
HGDIOBJ ObjectFor(WINL_Image* image) {
  if (!image) return nullptr;
  HGDIOBJ__* object = GDP_OBJECT_NEW();
  if (!object) {
    WINL_ReleaseImage(image);
    return nullptr;
  }
  object->type = WINL_OBJ_BITMAP;
  object->width = 1;
  object->image = image;
  return object;
}

WINL_Image* ImageOf(HGDIOBJ object) {
  return WINL_IsLiveObject(object, WINL_OBJ_BITMAP) ? object->image : nullptr;
}

WINL_Image* ImageFromBitmap(PIX_IBitmap* bitmap) {
  if (!bitmap || !bitmap->getBits()) return nullptr;
  WINL_Image* image = WINL_NewImage(bitmap->getWidth(), bitmap->getHeight());
  if (!image) return nullptr;
  const PIX_pixel* bits = bitmap->getBits();
  for (int y = 0; y < image->height; ++y)
    std::copy(bits + static_cast<size_t>(y) * bitmap->getRowSpan(),
              bits + static_cast<size_t>(y) * bitmap->getRowSpan() + image->width,
              image->pixels.begin() + static_cast<ptrdiff_t>(y) * image->width);
  return image;
}

WINL_Image* LoadImageFile(const char* name) {
  std::unique_ptr<PIX_IBitmap> bitmap;
  if (strchr(name, '/')) bitmap.reset(PIX_LoadPNG(name, nullptr));
  if (!bitmap) bitmap.reset(PIX_LoadPNGFromNamedResource(name, nullptr));
  if (!bitmap && !strchr(name, '.') && strlen(name) < 400)
    bitmap.reset(PIX_LoadPNGFromNamedResource((std::string(name) + ".png").c_str(), nullptr));
  return ImageFromBitmap(bitmap.get());
}

// Draws columns sx .. sx + sw - 1 and rows sy .. sy + sh - 1 of the source
// pixels (within the source) into x, y, w, h of the surface, clipped to its
// clip, sampling the source pixel under each destination pixel's centre.
// With alpha the source's first byte weighs it over the destination;
// without, the source replaces the destination opaque.
void Compose(WINL_GraphicsContext* gc, int x, int y, int w, int h, const uint32_t* src, int srcSpan, int sx,
             int sy, int sw, int sh, bool alpha) {
  if (!gc || !gc->pixels || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  const int x0 = std::max(x, gc->clip.left),
            x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + w, gc->clip.right));
  const int y0 = std::max(y, gc->clip.top),
            y1 = static_cast<int>(std::min<int64_t>(int64_t{y} + h, gc->clip.bottom));
  for (int row = y0; row < y1; ++row) {
    const int srow = sy + static_cast<int>(std::min<int64_t>(
                              sh - 1, (2 * (int64_t{row} - y) + 1) * sh / (2 * int64_t{h})));
    uint8_t* out = gc->pixels + static_cast<size_t>(row) * gc->rowBytes;
    for (int col = x0; col < x1; ++col) {
      const int scol = sx + static_cast<int>(std::min<int64_t>(
                                sw - 1, (2 * (int64_t{col} - x) + 1) * sw / (2 * int64_t{w})));
      const uint32_t s = src[static_cast<size_t>(srow) * srcSpan + scol];
      uint8_t* px = out + static_cast<size_t>(col) * 4;
      if (!alpha) {
        px[0] = 255;
        px[1] = static_cast<uint8_t>(PIX_Red(s));
        px[2] = static_cast<uint8_t>(PIX_Green(s));
        px[3] = static_cast<uint8_t>(PIX_Blue(s));
        continue;
      }
      const int a = PIX_Alpha(s);
      const int channel[3] = {PIX_Red(s), PIX_Green(s), PIX_Blue(s)};
      for (int c = 0; c < 3; ++c)
        px[c + 1] = static_cast<uint8_t>((channel[c] * a + px[c + 1] * (255 - a) + 127) / 255);
      px[0] = static_cast<uint8_t>(a + (px[0] * (255 - a) + 127) / 255);
    }
  }
}

}  // namespace

HBITMAP LoadNamedImage(const char* name, bool magentaMask) {
  if (!name || !*name) return nullptr;
  WINL_Image* image = LoadImageFile(name);
  if (image && magentaMask)
    for (uint32_t& p : image->pixels)
      if (PIX_Red(p) == 255 && PIX_Green(p) == 0 && PIX_Blue(p) == 255) p = 0;
  return ObjectFor(image);
}

HBITMAP CreateBitmap(int w, int h, int, int bitsPerPixel, const void* data) {
  if (bitsPerPixel != 32) return nullptr;
  WINL_Image* image = WINL_NewImage(w, h);
  if (!image) return nullptr;
  if (data) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < image->pixels.size(); ++i, bytes += 4)
      image->pixels[i] = PIX_MakePixel(bytes[1], bytes[2], bytes[3], bytes[0]);
  }
  return ObjectFor(image);
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->fIcon) return nullptr;
  WINL_Image* image = ImageOf(info->hbmColor);
  return image ? ObjectFor(WINL_RetainImage(image)) : nullptr;
}

int GetObject(HGDIOBJ object, int size, void* out) {
  if (!out || size <= 0) return 0;
  memset(out, 0, static_cast<size_t>(size));
  const WINL_Image* image = ImageOf(object);
  if (size != 8 || !image) return 0;
  const int32_t width = image->width, height = image->height;
  memcpy(out, &width, 4);
  memcpy(static_cast<uint8_t*>(out) + 4, &height, 4);
  return 1;
}

const WINL_Image* GetNSImageFromHICON(HGDIOBJ object) { return ImageOf(object); }

void DrawImageInRect(HDC hdc, HGDIOBJ object, const RECT* rect) {
  const WINL_Image* image = ImageOf(object);
  if (!image || !rect || !WINL_IsLiveContext(hdc)) return;
  const int64_t w = int64_t{rect->right} - rect->left, h = int64_t{rect->bottom} - rect->top;
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return;
  Compose(WINL_GetCtxGC(hdc), rect->left, rect->top, static_cast<int>(w), static_cast<int>(h),
          image->pixels.data(), image->width, 0, 0, image->width, image->height, true);
}

// ---- Image lists ----------------------------------------------------------------------------

HIMAGELIST ImageList_CreateEx() { return new (std::nothrow) WINL_ImageList; }

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  WINL_Image* image = ImageOf(icon);
  if (!list || !image) return -1;
  HGDIOBJ copy = ObjectFor(WINL_RetainImage(image));
  if (!copy) return -1;
  if (index >= 0 && static_cast<size_t>(index) < list->entries.size()) {
    DeleteObject(list->entries[static_cast<size_t>(index)]);
    list->entries[static_cast<size_t>(index)] = copy;
    return index;
  }
  try {
    list->entries.push_back(copy);
  } catch (...) {
    DeleteObject(copy);
    return -1;
  }
  return static_cast<int>(list->entries.size()) - 1;
}

int ImageList_Remove(HIMAGELIST list, int index) {
  if (!list || (index >= 0 && static_cast<size_t>(index) >= list->entries.size())) return 0;
  if (index < 0) {
    for (HGDIOBJ entry : list->entries) DeleteObject(entry);
    list->entries.clear();
    return 1;
  }
  DeleteObject(list->entries[static_cast<size_t>(index)]);
  list->entries[static_cast<size_t>(index)] = nullptr;
  return 1;
}

int ImageList_GetImageCount(HIMAGELIST list) { return list ? static_cast<int>(list->entries.size()) : 0; }

HICON WINL_ImageList_GetEntry(HIMAGELIST list, int index) {
  if (!list || index < 0 || static_cast<size_t>(index) >= list->entries.size()) return nullptr;
  return list->entries[static_cast<size_t>(index)];
}

void ImageList_Destroy(HIMAGELIST list) {
  if (!list) return;
  ImageList_Remove(list, -1);
  delete list;
}

// ---- Copying between contexts ---------------------------------------------------------------

void StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, uint32_t mode) {
  if (sw <= 0 || sh <= 0 || w <= 0 || h <= 0 || !WINL_IsLiveContext(dst)) return;
  const auto* srcPixels = static_cast<const uint8_t*>(WINL_GetCtxFrameBuffer(src));
  WINL_GraphicsContext* in = WINL_GetCtxGC(src);
  WINL_GraphicsContext* out = WINL_GetCtxGC(dst);
  if (!srcPixels || !in || !out || !out->pixels) return;
  // The part of the source rectangle inside the source bitmap, and the
  // destination rectangle that part maps to.
  const int64_t cx0 = std::max<int64_t>(sx, 0), cy0 = std::max<int64_t>(sy, 0);
  const int64_t cx1 = std::min<int64_t>(int64_t{sx} + sw, in->width),
                cy1 = std::min<int64_t>(int64_t{sy} + sh, in->height);
  if (cx1 <= cx0 || cy1 <= cy0) return;
  const double scaleX = static_cast<double>(w) / sw, scaleY = static_cast<double>(h) / sh;
  const int64_t dx0 = std::llround(x + (cx0 - sx) * scaleX), dx1 = std::llround(x + (cx1 - sx) * scaleX);
  const int64_t dy0 = std::llround(y + (cy0 - sy) * scaleY), dy1 = std::llround(y + (cy1 - sy) * scaleY);
  if (dx1 <= dx0 || dy1 <= dy0 || dx0 < INT32_MIN || dy0 < INT32_MIN || dx0 > INT32_MAX || dy0 > INT32_MAX ||
      dx1 - dx0 > INT32_MAX || dy1 - dy0 > INT32_MAX)
    return;
  // A copy of the source part, so that a context may be copied onto itself.
  const int cw = static_cast<int>(cx1 - cx0), ch = static_cast<int>(cy1 - cy0);
  std::vector<uint32_t> copy(static_cast<size_t>(cw) * static_cast<size_t>(ch));
  for (int row = 0; row < ch; ++row) {
    const uint8_t* p =
        srcPixels + static_cast<size_t>(cy0 + row) * in->rowBytes + static_cast<size_t>(cx0) * 4;
    for (int col = 0; col < cw; ++col, p += 4)
      copy[static_cast<size_t>(row) * cw + col] = PIX_MakePixel(p[1], p[2], p[3], p[0]);
  }
  Compose(out, static_cast<int>(dx0), static_cast<int>(dy0), static_cast<int>(dx1 - dx0),
          static_cast<int>(dy1 - dy0), copy.data(), cw, 0, 0, cw, ch, mode == WINL_BLT_SOURCE_ALPHA);
}

void BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, uint32_t mode) {
  StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, mode);
}
