#include "platform/view/ViewMenu.h"

#include <algorithm>
#include <cstring>

#include "KIT/pix/pix-combine.h"
#include "KIT/pix/pix-line.h"
#include "KIT/pix/pix-rect.h"
#include "platform/view/ViewText.h"

namespace {

using M = ViewMenuMetrics;

// The editor's face: a dark panel with a lighter border, light text, and
// the amber of menus and selections for the entry under the pointer and
// for check marks.
const PIX_pixel kBackground = PIX_MakePixel(34, 36, 40, 255);
const PIX_pixel kFrame = PIX_MakePixel(84, 88, 95, 255);
const PIX_pixel kText = PIX_MakePixel(214, 218, 224, 255);
const PIX_pixel kDisabledText = PIX_MakePixel(104, 108, 115, 255);
const PIX_pixel kHeaderText = PIX_MakePixel(158, 163, 171, 255);
const PIX_pixel kHighlight = PIX_MakePixel(255, 173, 0, 255);
const PIX_pixel kHighlightText = PIX_MakePixel(24, 20, 12, 255);
const PIX_pixel kCheck = PIX_MakePixel(255, 173, 0, 255);
const PIX_pixel kSeparator = PIX_MakePixel(62, 65, 71, 255);
const char kCheckMark[] = "\xE2\x9C\x93";  // U+2713
const char kArrow[] = "\xE2\x96\xB8";      // U+25B8

int ItemHeight(const ViewMenuItem& item) { return item.separator ? M::kSeparatorHeight : M::kItemHeight; }

}  // namespace

ViewMenuLayout ViewMenuLayout::Of(const ViewMenu& menu, const ViewFont& font) {
  ViewMenuLayout layout;
  int widest = 0, y = M::kBorder;
  for (const ViewMenuItem& item : menu.items) {
    layout.tops.push_back(y);
    y += ItemHeight(item);
    if (item.separator) continue;
    int w = 0, h = 0;
    font.Measure(item.title.c_str(), -1, &w, &h);
    widest = std::max(widest, w + item.indent * M::kIndentStep);
  }
  layout.tops.push_back(y);
  layout.width = std::max(M::kMinimumWidth, widest + M::kCheckColumn + M::kArrowColumn + 2 * M::kBorder);
  layout.height = y + M::kBorder;
  return layout;
}

int ViewMenuLayout::ItemAt(int x, int y) const {
  if (x < 0 || x >= width || tops.size() < 2) return -1;
  for (size_t i = 0; i + 1 < tops.size(); ++i)
    if (y >= tops[i] && y < tops[i + 1]) return static_cast<int>(i);
  return -1;
}

// ---- Walk ------------------------------------------------------------------

void ViewMenuWalk::Open(const ViewMenu* menu, int x, int y, int screenW, int screenH) {
  m_levels.clear();
  m_chosenMenu = nullptr;
  m_chosenIndex = -1;
  m_screenW = screenW;
  m_screenH = screenH;
  if (menu && !menu->items.empty()) OpenLevel(menu, x, y);
}

void ViewMenuWalk::OpenLevel(const ViewMenu* menu, int x, int y) {
  Level level;
  level.menu = menu;
  level.layout = ViewMenuLayout::Of(*menu, m_font);
  const int w = level.layout.width, h = level.layout.height;
  // Kept on the screen: moved left and up when it would reach past the
  // right or bottom edge, never past the left or top one.
  x = std::max(0, std::min(x, m_screenW - w));
  y = std::max(0, std::min(y, m_screenH - h));
  level.frame = ViewRect(x, y, x + w, y + h);
  m_levels.push_back(std::move(level));
}

void ViewMenuWalk::OpenSubmenu(int level) {
  const Level& parent = m_levels[static_cast<size_t>(level)];
  const ViewMenuItem& item = parent.menu->items[static_cast<size_t>(parent.highlighted)];
  if (!item.submenu || item.submenu->items.empty()) return;
  const ViewMenuLayout layout = ViewMenuLayout::Of(*item.submenu, m_font);
  // Beside the parent's entry, on the right unless it does not fit there.
  int x = parent.frame.R - M::kBorder;
  if (x + layout.width > m_screenW) x = parent.frame.L - layout.width + M::kBorder;
  const int y = parent.frame.T + parent.layout.tops[static_cast<size_t>(parent.highlighted)] - M::kBorder;
  OpenLevel(item.submenu.get(), x, y);
}

void ViewMenuWalk::CloseFrom(int level) {
  if (level < LevelCount()) m_levels.resize(static_cast<size_t>(level));
}

bool ViewMenuWalk::Highlight(int level, int index) {
  Level& l = m_levels[static_cast<size_t>(level)];
  if (index >= 0 && !l.menu->items[static_cast<size_t>(index)].Highlightable()) index = -1;
  const ViewMenu* submenu = index >= 0 ? l.menu->items[static_cast<size_t>(index)].submenu.get() : nullptr;
  const bool opener = submenu && !submenu->items.empty();
  const bool deeperOpen = LevelCount() > level + 1;
  // Back on the entry that holds the open submenu: nothing changes.
  if (l.highlighted == index && deeperOpen == opener) return false;
  CloseFrom(level + 1);
  l.highlighted = index;
  if (opener) OpenSubmenu(level);
  return true;
}

int ViewMenuWalk::LevelAtPoint(int x, int y) const {
  // Deeper levels lie over their parents.
  for (int i = LevelCount() - 1; i >= 0; --i)
    if (m_levels[static_cast<size_t>(i)].frame.Contains(x, y)) return i;
  return -1;
}

bool ViewMenuWalk::PointerMoved(int x, int y) {
  const int level = LevelAtPoint(x, y);
  if (level < 0) {
    // Off every level: the deepest level lets go of its highlight, unless
    // that highlight holds a submenu open.
    if (m_levels.empty() || m_levels.back().highlighted < 0) return false;
    Level& last = m_levels.back();
    if (last.menu->items[static_cast<size_t>(last.highlighted)].submenu) return false;
    last.highlighted = -1;
    return true;
  }
  const Level& l = m_levels[static_cast<size_t>(level)];
  return Highlight(level, l.layout.ItemAt(x - l.frame.L, y - l.frame.T));
}

bool ViewMenuWalk::ButtonPressed(int x, int y) {
  if (m_levels.empty()) return false;
  if (LevelAtPoint(x, y) < 0) {
    Dismiss();
    return true;
  }
  return PointerMoved(x, y);
}

bool ViewMenuWalk::ButtonReleased(int x, int y) {
  const int level = LevelAtPoint(x, y);
  if (level < 0) return false;
  const Level& l = m_levels[static_cast<size_t>(level)];
  const int index = l.layout.ItemAt(x - l.frame.L, y - l.frame.T);
  if (index < 0 || !l.menu->items[static_cast<size_t>(index)].Choosable()) return PointerMoved(x, y);
  Choose(level, index);
  return true;
}

bool ViewMenuWalk::TakeEvent(const ViewEvent& event) {
  const bool pointerButton = event.button == 1 || event.button == 3;
  switch (event.kind) {
    case ViewEvent::kMotion:
      return PointerMoved(event.rootX, event.rootY);
    case ViewEvent::kButtonPress:
      return pointerButton && ButtonPressed(event.rootX, event.rootY);
    case ViewEvent::kButtonRelease:
      return pointerButton && ButtonReleased(event.rootX, event.rootY);
    case ViewEvent::kKeyPress:
      return KeyPressed(event.special);
    case ViewEvent::kExpose:
      return event.target == ViewEvent::kMenu;
    case ViewEvent::kCloseRequest:
    case ViewEvent::kDestroyed:
      Dismiss();
      return false;
    default:
      return false;
  }
}

bool ViewMenuWalk::KeyPressed(ViewSpecialKey key) {
  if (m_levels.empty()) return false;
  const int level = LevelCount() - 1;
  Level& l = m_levels.back();
  const int count = static_cast<int>(l.menu->items.size());
  switch (key) {
    case kViewSpecialDown:
    case kViewSpecialUp: {
      const int step = key == kViewSpecialDown ? 1 : -1;
      int i = l.highlighted < 0 ? (step > 0 ? 0 : count - 1) : l.highlighted + step;
      for (; i >= 0 && i < count; i += step)
        if (l.menu->items[static_cast<size_t>(i)].Highlightable()) {
          // Keys move within the level; a submenu opens with Right.
          l.highlighted = i;
          return true;
        }
      return false;
    }
    case kViewSpecialRight:
      if (l.highlighted >= 0 && l.menu->items[static_cast<size_t>(l.highlighted)].submenu) {
        OpenSubmenu(level);
        if (LevelCount() > level + 1) KeyPressed(kViewSpecialDown);
        return true;
      }
      return false;
    case kViewSpecialLeft:
      if (level == 0) return false;
      CloseFrom(level);
      return true;
    case kViewSpecialReturn:
    case kViewSpecialEnter:
    case kViewSpecialSpace:
      if (l.highlighted < 0) return false;
      if (l.menu->items[static_cast<size_t>(l.highlighted)].Choosable()) {
        Choose(level, l.highlighted);
        return true;
      }
      return KeyPressed(kViewSpecialRight);
    case kViewSpecialEscape:
      if (level == 0)
        Dismiss();
      else
        CloseFrom(level);
      return true;
    default:
      return false;
  }
}

void ViewMenuWalk::Dismiss() { m_levels.clear(); }

void ViewMenuWalk::Choose(int level, int index) {
  m_chosenMenu = m_levels[static_cast<size_t>(level)].menu;
  m_chosenIndex = index;
  m_levels.clear();
}

bool ViewMenuWalk::Chosen(const ViewMenu** menu, int* index) const {
  if (IsOpen() || !m_chosenMenu) return false;
  *menu = m_chosenMenu;
  *index = m_chosenIndex;
  return true;
}

ViewRect ViewMenuWalk::ItemRect(int level, int index) const {
  if (level < 0 || level >= LevelCount()) return ViewRect();
  const Level& l = m_levels[static_cast<size_t>(level)];
  if (index < 0 || index + 1 >= static_cast<int>(l.layout.tops.size())) return ViewRect();
  return ViewRect(l.frame.L + M::kBorder, l.frame.T + l.layout.tops[static_cast<size_t>(index)],
                  l.frame.R - M::kBorder, l.frame.T + l.layout.tops[static_cast<size_t>(index) + 1]);
}

// ---- Painting ----------------------------------------------------------------

void ViewPaintMenuLevel(const ViewMenuWalk::Level& level, const ViewFont& font, PIX_IBitmap* bm) {
  const int w = level.layout.width, h = level.layout.height;
  bm->resize(w, h);
  PIX_FillRect(bm, 0, 0, w, h, kBackground, 1.0f, PIX_BLIT_COPY);
  PIX_DrawRect(bm, 0, 0, w, h, kFrame, 1.0f, PIX_BLIT_COPY);
  const RECT clip{M::kBorder, M::kBorder, w - M::kBorder, h - M::kBorder};
  for (size_t i = 0; i < level.menu->items.size(); ++i) {
    const ViewMenuItem& item = level.menu->items[i];
    const int top = level.layout.tops[i], bottom = level.layout.tops[i + 1];
    if (item.separator) {
      const int y = (top + bottom) / 2;
      PIX_FillRect(bm, M::kBorder + 4, y, w - 2 * M::kBorder - 8, 1, kSeparator, 1.0f, PIX_BLIT_COPY);
      continue;
    }
    const bool lit = static_cast<int>(i) == level.highlighted;
    if (lit)
      PIX_FillRect(bm, M::kBorder, top, w - 2 * M::kBorder, bottom - top, kHighlight, 1.0f, PIX_BLIT_COPY);
    const PIX_pixel ink = lit             ? kHighlightText
                          : !item.enabled ? kDisabledText
                          : item.header   ? kHeaderText
                                          : kText;
    const int textTop = top + (bottom - top - font.LineHeight()) / 2;
    if (item.checked) font.Draw(bm, kCheckMark, -1, M::kBorder + 5, textTop, clip, lit ? ink : kCheck);
    font.Draw(bm, item.title.c_str(), -1, M::kBorder + M::kCheckColumn + item.indent * M::kIndentStep,
              textTop, clip, ink);
    if (item.submenu) font.Draw(bm, kArrow, -1, w - M::kBorder - M::kArrowColumn + 6, textTop, clip, ink);
  }
}
