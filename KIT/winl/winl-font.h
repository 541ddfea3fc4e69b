// Native fonts and text drawing of the Win32-style layer.
//
// A font is a drawing object of type 3 (winl-gdi.h) holding a native font:
// a FreeType face found through fontconfig by face name, weight and slant.
// Faces this system lacks ("Consolas", "Monaco", ...) fall back to installed
// ones (DejaVu Sans Mono for typewriter faces, DejaVu Sans for the rest,
// else fontconfig's own choice); each fallback is chosen once per face name
// and reported through the font log. Text is UTF-8; it is measured and
// drawn into a context's pixels with the context's font, text colour,
// background mode and background colour.
#pragma once

#include <cstdint>

#include "KIT/winl/winl-gdi.h"

// The font description record of CreateFontIndirect. Only height, width,
// orientation, weight, italic, quality and the face name are read.
struct LOGFONT {
  int32_t lfHeight;
  int32_t lfWidth;
  int32_t lfEscapement;
  int32_t lfOrientation;
  int32_t lfWeight;
  uint8_t lfItalic;
  uint8_t lfUnderline;
  uint8_t lfStrikeOut;
  uint8_t lfCharSet;
  uint8_t lfOutPrecision;
  uint8_t lfClipPrecision;
  uint8_t lfQuality;
  uint8_t lfPitchAndFamily;
  char lfFaceName[32];  // NUL-terminated; read at most to its end
};

// Text metrics of a context's font, in pixels.
struct TEXTMETRIC {
  int32_t tmHeight;  // ascent + descent + leading, plus 1 when not 0
  int32_t tmAscent;
  int32_t tmDescent;
  int32_t tmInternalLeading;
  int32_t tmAveCharWidth;  // (ascent + descent + leading) * 2 / 3
};

// Flags of WINL_DrawText (and of the raster library's cached font).
enum {
  DT_CALCRECT = 0x1,     // measure only: set rect's right and bottom, draw nothing
  DT_VCENTER = 0x2,      // centre vertically in the rectangle
  DT_CENTER = 0x4,       // centre horizontally
  DT_BOTTOM = 0x10,      // align to the bottom (wins over DT_VCENTER)
  DT_RIGHT = 0x20,       // align to the right (wins over DT_CENTER)
  DT_SINGLELINE = 0x40,  // every line feed is a blank
  DT_NOPREFIX = 0x80,    // '&' is an ordinary character
  DT_NOCLIP = 0x100,     // no clipping to the rectangle
};

// A font of the face at the size |height|, or |width| when height is 0; a
// size under 2 or over 8192 becomes 10. Weight 700 or more asks for bold,
// italic non-zero for italic. quality 3 draws without anti-aliasing, 4 with
// it, any other value as the context says (anti-aliased unless changed).
// The other arguments are accepted and ignored. Never fails for want of a
// face: an unknown or empty name falls back as described above; null only
// when no record can be had.
HGDIOBJ CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                   char underline, char strikeOut, char charSet, char outPrecision, char clipPrecision,
                   char quality, char pitchAndFamily, const char* face);
// CreateFont with the record's fields; null for a null record.
HGDIOBJ CreateFontIndirect(const LOGFONT* font);

// Fills the metrics of the context's font (the selected live font, else the
// default sans-serif face at size 10). The record is first filled with 16, 12,
// 4, 3, 10; 0 is returned for a null record or a null or dead context.
bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics);

// Measures or draws UTF-8 text (count bytes, or up to the NUL when negative)
// in rect with the DT_ flags; returns the text height in pixels.
//
// The text first loses its carriage returns and, without DT_NOPREFIX, each
// '&' (the character after it is taken as it is, so "&&" is one '&'); under
// DT_SINGLELINE line feeds become blanks, else they break lines. At most 4095
// bytes are kept, cut at a character boundary. Lines are laid out at whole
// pixels: each glyph advances by its rounded advance, the width is the
// largest line's sum, the height the sum of the lines' rounded heights, the
// text height that plus 1. DT_CALCRECT sets rect.right = left + width and
// rect.bottom = top + text height and draws nothing. Drawing aligns the
// block (all lines start at one x), clips to rect unless DT_NOCLIP (and
// always to the context's clip and pixels), fills each line's background in
// opaque mode, and blends the glyph coverage in the text colour, setting the
// first byte of each touched pixel to 255.
//
// 0 and nothing drawn for a null or dead context, a null text or rect, text
// that is empty after the rules above or is not UTF-8 (nor ASCII), or no font.
int WINL_DrawText(HDC hdc, const char* text, int count, RECT* rect, int flags);

// Where font choices are reported: one line per fallback, such as a face
// that is not installed and the face used instead. Null restores the
// default, which writes to standard error. May be called from any thread.
void WINL_SetFontLog(void (*sink)(const char* line));
