// Native fonts on FreeType: faces at a size, their metrics, and glyphs
// rendered once and kept.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cmath>
#include <new>

#include "KIT/winl/winl-font-native.h"

namespace {

// A font's glyph cache is emptied when it grows past this many glyphs.
const size_t kMaxCachedGlyphs = 4096;

// The library and the count of faces open in it. Opening and closing faces
// is serialised on the library's lock; a face itself is used under its
// font's lock.
std::mutex& LibraryLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}
FT_Library s_library = nullptr;
bool s_libraryFailed = false;
int s_openFaces = 0;

WINL_NativeFont* s_defaultFont = nullptr;
std::once_flag s_defaultOnce;

// Call with LibraryLock held.
FT_Library Library() {
  if (!s_library && !s_libraryFailed && FT_Init_FreeType(&s_library) != 0) {
    s_library = nullptr;
    s_libraryFailed = true;
  }
  return s_library;
}

// Copies a rendered bitmap into a glyph's coverage, two-level bitmaps
// becoming 0 and 255.
void CopyBitmap(const FT_Bitmap& bitmap, WINL_Glyph* glyph) {
  const int rows = static_cast<int>(bitmap.rows), width = static_cast<int>(bitmap.width);
  if (rows <= 0 || width <= 0 || !bitmap.buffer) return;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
  glyph->width = width;
  glyph->height = rows;
  glyph->coverage.assign(static_cast<size_t>(width) * rows, 0);
  const int pitch = bitmap.pitch;
  for (int r = 0; r < rows; ++r) {
    // A negative pitch stores the rows bottom-up.
    const unsigned char* row =
        pitch >= 0 ? bitmap.buffer + r * pitch : bitmap.buffer + (rows - 1 - r) * -pitch;
    uint8_t* out = &glyph->coverage[static_cast<size_t>(r) * width];
    for (int x = 0; x < width; ++x) {
      if (mono)
        out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      else
        out[x] =
            bitmap.num_grays == 256 ? row[x] : static_cast<uint8_t>(row[x] * 255 / (bitmap.num_grays - 1));
    }
  }
}

}  // namespace

WINL_NativeFont* WINL_LoadNativeFont(const WINL_FontFace& face, float size) {
  if (face.file.empty() || !(size > 0)) return nullptr;
  FT_Face ftFace = nullptr;
  {
    std::lock_guard<std::mutex> lock(LibraryLock());
    FT_Library library = Library();
    if (!library || FT_New_Face(library, face.file.c_str(), face.index, &ftFace) != 0) return nullptr;
    ++s_openFaces;
  }
  WINL_NativeFont* font = nullptr;
  const FT_F26Dot6 size26 = static_cast<FT_F26Dot6>(std::lround(size * 64.0));
  if (FT_IS_SCALABLE(ftFace) && ftFace->units_per_EM > 0 && FT_Set_Char_Size(ftFace, 0, size26, 72, 72) == 0)
    font = new (std::nothrow) WINL_NativeFont();
  if (!font) {
    std::lock_guard<std::mutex> lock(LibraryLock());
    FT_Done_Face(ftFace);
    --s_openFaces;
    return nullptr;
  }
  if (face.shear) {
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(face.matrix[0] * 65536.0);
    matrix.xy = static_cast<FT_Fixed>(face.matrix[1] * 65536.0);
    matrix.yx = static_cast<FT_Fixed>(face.matrix[2] * 65536.0);
    matrix.yy = static_cast<FT_Fixed>(face.matrix[3] * 65536.0);
    FT_Set_Transform(ftFace, &matrix, nullptr);
  }
  // Metrics unrounded from the design units, as the layout wants them.
  const float scale = size / static_cast<float>(ftFace->units_per_EM);
  font->face = ftFace;
  font->size = size;
  font->ascent = static_cast<float>(ftFace->ascender) * scale;
  font->descent = -static_cast<float>(ftFace->descender) * scale;
  const float lineHeight = static_cast<float>(ftFace->height) * scale;
  font->leading =
      lineHeight > font->ascent + font->descent ? lineHeight - font->ascent - font->descent : 0.0f;
  font->emboldened = face.embolden;
  return font;
}

void WINL_ReleaseNativeFont(WINL_NativeFont* font) {
  if (!font || font == s_defaultFont) return;
  {
    std::lock_guard<std::mutex> lock(LibraryLock());
    // After unload the library has closed every face already.
    if (s_library) {
      FT_Done_Face(static_cast<FT_Face>(font->face));
      --s_openFaces;
    }
  }
  delete font;
}

WINL_NativeFont* WINL_LoadDefaultFace(float size) {
  return WINL_LoadNativeFont(WINL_ResolveFace(std::string(), nullptr, false, false), size);
}

WINL_NativeFont* WINL_DefaultNativeFont() {
  std::call_once(s_defaultOnce, [] { s_defaultFont = WINL_LoadDefaultFace(10); });
  return s_defaultFont;
}

const WINL_Glyph& WINL_GetGlyph(WINL_NativeFont* font, uint32_t character, bool antialias) {
  FT_Face face = static_cast<FT_Face>(font->face);
  // Control characters (a tab, say) are blanks.
  const FT_UInt index = FT_Get_Char_Index(face, character < 0x20 ? 0x20 : character);
  const uint64_t key = uint64_t{index} << 1 | (antialias ? 1 : 0);
  auto found = font->glyphs.find(key);
  if (found != font->glyphs.end()) return found->second;
  if (font->glyphs.size() >= kMaxCachedGlyphs) font->glyphs.clear();

  WINL_Glyph glyph{0, 0, 0, 0, 0, {}};
  if (FT_Load_Glyph(face, index, antialias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO) == 0) {
    FT_GlyphSlot slot = face->glyph;
    // The advance is the unhinted one, rounded: the same in both renderings,
    // so that measuring never depends on anti-aliasing.
    FT_Pos advance26 = (slot->linearHoriAdvance + 512) >> 10;
    if (font->emboldened) {
      const FT_Pos before = slot->advance.x;
      FT_GlyphSlot_Embolden(slot);
      advance26 += slot->advance.x - before;
    }
    glyph.advance = static_cast<int>((advance26 + 32) >> 6);
    if (FT_Render_Glyph(slot, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) == 0) {
      glyph.left = slot->bitmap_left;
      glyph.top = slot->bitmap_top;
      CopyBitmap(slot->bitmap, &glyph);
    }
  }
  return font->glyphs.emplace(key, std::move(glyph)).first->second;
}

void WINL_UnloadFonts() {
  WINL_UnloadFontNameCache();
  std::lock_guard<std::mutex> lock(LibraryLock());
  if (s_defaultFont) {
    if (s_library) FT_Done_Face(static_cast<FT_Face>(s_defaultFont->face));
    --s_openFaces;
    delete s_defaultFont;
    s_defaultFont = nullptr;
  }
  // Fonts the program never deleted keep their faces: the library stays.
  if (s_library && s_openFaces == 0) {
    FT_Done_FreeType(s_library);
    s_library = nullptr;
  }
}
