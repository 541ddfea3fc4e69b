#include "platform/view/ViewText.h"

#include "KIT/pix/pix-sysbitmap.h"
#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-gdi.h"

namespace {

const int kTextFlags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;

// Runs a text call with the font selected into the context, restoring the
// slot afterwards.
template <class Call>
int WithFont(HDC dc, HGDIOBJ font, Call call) {
  HGDIOBJ previous = SelectObject(dc, font);
  const int result = call();
  if (previous) SelectObject(dc, previous);
  return result;
}

}  // namespace

ViewFont::ViewFont(const char* face, int size, bool bold) {
  m_font = CreateFont(size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, 0, 0, 0, 4, 0, face);
  m_measure = new PIX_SysBitmap(4, 4);
  int width = 0;
  Measure("Xg", -1, &width, &m_lineHeight);
}

ViewFont::~ViewFont() {
  delete m_measure;
  if (m_font) DeleteObject(m_font);
}

void ViewFont::Measure(const char* text, int bytes, int* width, int* height) const {
  *width = *height = 0;
  HDC dc = m_measure->getDC();
  if (!text || !dc || bytes == 0 || !*text) return;
  RECT r{0, 0, 0, 0};
  WithFont(dc, m_font, [&] { return WINL_DrawText(dc, text, bytes, &r, kTextFlags | DT_CALCRECT); });
  *width = r.right - r.left;
  *height = r.bottom - r.top;
}

void ViewFont::Draw(PIX_IBitmap* bm, const char* text, int bytes, int x, int y, const RECT& clip,
                    PIX_pixel color) const {
  HDC dc = bm ? bm->getDC() : nullptr;
  if (!dc || !text) return;
  // The context's colour word is 0x00RRGGBB.
  SetTextColor(dc, PIX_Red(color) << 16 | PIX_Green(color) << 8 | PIX_Blue(color));
  SetBkMode(dc, 0);
  RECT area = clip;
  WINL_PushClipRegion(dc);
  WINL_SetClipRegion(dc, &area);
  RECT r{x, y, clip.right > x ? clip.right : x + 1, y + m_lineHeight};
  WithFont(dc, m_font, [&] { return WINL_DrawText(dc, text, bytes, &r, kTextFlags); });
  WINL_PopClipRegion(dc);
}

int ViewUtf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xC0 && lead < 0xE0) return 2;
  return 1;
}

int ViewUtf8Count(const char* text, int bytes) {
  int count = 0;
  for (int i = 0; i < bytes && text[i]; i += ViewUtf8Length(static_cast<unsigned char>(text[i]))) ++count;
  return count;
}
