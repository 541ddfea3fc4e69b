// Internal to the Win32-style layer: native fonts on FreeType. A native font
// is one face at one size with its metrics and a cache of rendered glyphs;
// it may be used from several threads (the default font is shared), each use
// holding its lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// Where a face lives: the file and face index fontconfig chose, and the
// synthetic styling it asks for when the file lacks the weight or slant.
struct WINL_FontFace {
  std::string file;
  int index = 0;
  bool embolden = false;
  bool shear = false;               // a slanted rendering of an upright face
  double matrix[4] = {1, 0, 0, 1};  // xx, xy, yx, yy
};

// One rendered glyph: coverage 0..255, width x height bytes, placed at
// (pen x + left, baseline - top).
struct WINL_Glyph {
  int advance;  // whole pixels
  int left;
  int top;
  int width;
  int height;
  std::vector<uint8_t> coverage;
};

struct WINL_NativeFont {
  void* face;  // FT_Face
  float size;
  float ascent;     // above the baseline, pixels
  float descent;    // below it, positive
  float leading;    // extra line gap
  bool emboldened;  // drawn bolder than the face, which lacks the weight
  std::mutex lock;
  std::unordered_map<uint64_t, WINL_Glyph> glyphs;
};

// The face of a font name, weight and slant, through the face-name cache.
// Faces that are not installed fall back and are reported once per name.
WINL_FontFace WINL_ResolveFace(const std::string& cacheKey, const char* family, bool bold, bool italic);

// A native font of the face at the size; null when the face cannot be
// loaded or is not scalable.
WINL_NativeFont* WINL_LoadNativeFont(const WINL_FontFace& face, float size);
void WINL_ReleaseNativeFont(WINL_NativeFont* font);
// The sans-serif face at size 10, made on first use and kept until unload;
// null when no face can be had.
WINL_NativeFont* WINL_DefaultNativeFont();
// The sans-serif face at another size (a new font the caller releases).
WINL_NativeFont* WINL_LoadDefaultFace(float size);

// The glyph of a character, rendered with grey coverage (antialias) or in
// two levels, cached. Call with font->lock held. Never null: a character the
// face lacks gets the face's missing-glyph shape, one that cannot be
// rendered an empty glyph with the advance of a blank.
const WINL_Glyph& WINL_GetGlyph(WINL_NativeFont* font, uint32_t character, bool antialias);

// Reports a line through the font log.
void WINL_FontLog(const char* line);

// Frees the default font, the face-name cache and the FreeType library at
// unload (called by the drawing layer's unloader).
void WINL_UnloadFonts();
void WINL_UnloadFontNameCache();
