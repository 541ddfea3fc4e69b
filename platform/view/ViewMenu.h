// Popup menus of the view layer: the menu tree a GUI builds from its own
// menu description, the layout of one menu level, the walk through open
// levels (pointer and keys, submenus, the choice) and the painting of a
// level with the layer's own raster and text code.
//
// The walk works in screen coordinates: every open level is a window at a
// screen rectangle, and events carry screen positions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "platform/view/ViewTypes.h"

class ViewFont;

struct ViewMenu;

// One entry of a menu. An entry can be chosen when it is enabled and is not
// a separator, a header or the opener of a submenu.
struct ViewMenuItem {
  std::string title;  // UTF-8
  bool enabled = true;
  bool checked = false;
  bool separator = false;
  bool header = false;  // a section title: shown, never chosen
  int indent = 0;       // indentation steps
  std::unique_ptr<ViewMenu> submenu;

  bool Choosable() const { return enabled && !separator && !header && !submenu; }
  // Can hold the highlight: a choosable entry or an enabled submenu opener.
  bool Highlightable() const { return enabled && !separator && !header; }
};

struct ViewMenu {
  std::vector<ViewMenuItem> items;
  // The owner's description this menu was built from, handed back with a
  // choice; the walk never reads it.
  void* model = nullptr;
};

// Sizes of a menu level.
struct ViewMenuMetrics {
  static constexpr int kBorder = 1;
  static constexpr int kItemHeight = 20;
  static constexpr int kSeparatorHeight = 9;
  static constexpr int kCheckColumn = 20;  // left of the titles: check marks
  static constexpr int kArrowColumn = 20;  // right of the titles: submenu arrows
  static constexpr int kIndentStep = 12;
  static constexpr int kMinimumWidth = 60;
  static constexpr int kFontSize = 13;
};

// The layout of one level: its size and the top of every entry, relative to
// the level's window.
struct ViewMenuLayout {
  int width = 0, height = 0;
  std::vector<int> tops;  // one per item, then the bottom of the last

  // Measures every title with font.
  static ViewMenuLayout Of(const ViewMenu& menu, const ViewFont& font);
  // The entry at a position in the level's window; -1 for none.
  int ItemAt(int x, int y) const;
};

// The open levels of a popup menu and what the user does in them.
class ViewMenuWalk {
 public:
  struct Level {
    const ViewMenu* menu = nullptr;
    ViewMenuLayout layout;
    ViewRect frame;        // screen rectangle
    int highlighted = -1;  // entry, or -1
  };

  explicit ViewMenuWalk(const ViewFont& font) : m_font(font) {}

  // Opens menu with its top left at (x, y) on a screen of screenW x
  // screenH, moved left and up as far as needed to fit. An empty menu opens
  // nothing: the walk is closed at once without a choice.
  void Open(const ViewMenu* menu, int x, int y, int screenW, int screenH);

  // Pointer events at screen positions. Each answers whether anything shown
  // changed (levels opened or closed, highlight moved).
  bool PointerMoved(int x, int y);
  // A press outside every level closes the walk without a choice.
  bool ButtonPressed(int x, int y);
  // A release on a choosable entry chooses it; elsewhere nothing happens.
  bool ButtonReleased(int x, int y);
  // Up and Down move the highlight over highlightable entries, Right and
  // Return open a submenu, Left closes one, Return, Enter and Space choose,
  // Escape closes the deepest level (the walk, at the first).
  bool KeyPressed(ViewSpecialKey key);
  // Closes the walk without a choice.
  void Dismiss();
  // One event of the window system while the walk is open: pointer and key
  // events go to the calls above (buttons 1 and 3), an expose of a menu
  // window answers true (it must be drawn again), a close or destruction
  // dismisses the walk. Answers whether anything shown changed.
  bool TakeEvent(const ViewEvent& event);

  bool IsOpen() const { return !m_levels.empty(); }
  // After the walk closed: true and the menu (level) and entry chosen.
  bool Chosen(const ViewMenu** menu, int* index) const;

  int LevelCount() const { return static_cast<int>(m_levels.size()); }
  const Level& LevelAt(int level) const { return m_levels[static_cast<size_t>(level)]; }
  // An entry's screen rectangle in an open level; empty when there is none.
  ViewRect ItemRect(int level, int index) const;

 private:
  void OpenLevel(const ViewMenu* menu, int x, int y);
  void OpenSubmenu(int level);
  void CloseFrom(int level);
  bool Highlight(int level, int index);
  int LevelAtPoint(int x, int y) const;
  void Choose(int level, int index);

  const ViewFont& m_font;
  std::vector<Level> m_levels;
  int m_screenW = 0, m_screenH = 0;
  const ViewMenu* m_chosenMenu = nullptr;
  int m_chosenIndex = -1;
};

// Paints one open level into bm (resized to the level's size) in the
// editor's colours: dark panel, light text, amber highlight.
void ViewPaintMenuLevel(const ViewMenuWalk::Level& level, const ViewFont& font, PIX_IBitmap* bm);
