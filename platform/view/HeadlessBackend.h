// The headless back end: windows are frames in memory, events come from a
// script. Tests queue events (the helpers keep a script clock in
// milliseconds, so presses never count as double clicks unless a helper
// makes them so), let the view run them, and read what the windows show.
// When the script runs out the back end reports that no event will come,
// which closes an open popup menu.
//
// The main window lies at the screen origin unless moved; events carry main
// window positions and the matching screen positions.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/view/ViewBackend.h"

class HeadlessBackend : public ViewBackend {
 public:
  explicit HeadlessBackend(int screenWidth = 1920, int screenHeight = 1080);

  // ---- Script ---------------------------------------------------------------
  void Queue(const ViewEvent& event);
  // Pointer events at main-window positions; buttons 1 left, 3 right.
  void Press(int x, int y, int button = 1, uint32_t modifiers = 0);
  void Release(int x, int y, int button = 1, uint32_t modifiers = 0);
  void Click(int x, int y, int button = 1, uint32_t modifiers = 0);
  // Two clicks 100 ms apart.
  void DoubleClick(int x, int y, int button = 1, uint32_t modifiers = 0);
  // modifiers may hold kViewButton1Held or kViewButton3Held for a drag.
  void Move(int x, int y, uint32_t modifiers = 0);
  // One wheel step, up (+1) or down (-1); horizontal with horizontal set.
  void Wheel(int x, int y, int direction, bool horizontal = false, uint32_t modifiers = 0);
  // A press and release inside the text field at a field position.
  void ClickField(int x, int y);
  void Key(ViewSpecialKey special, uint32_t modifiers = 0);
  // Each character of UTF-8 text as one key.
  void Type(const char* text);
  // A key that types several characters at once (an input method's).
  void TypeAtOnce(const char* text);
  void Tick();
  void FocusOut();
  void CloseRequest();
  void Advance(uint32_t milliseconds) { m_clock += milliseconds; }
  size_t Pending() const { return m_events.size(); }
  // Called each time a menu level is shown or painted, so that a script
  // can aim at the entries the menu really shows.
  std::function<void(HeadlessBackend&)> onMenu;

  // ---- What the windows show ---------------------------------------------------
  const std::vector<uint32_t>& Frame() const { return m_frame; }
  int FrameWidth() const { return m_width; }
  int FrameHeight() const { return m_height; }
  uint32_t FramePixel(int x, int y) const { return m_frame[static_cast<size_t>(y) * m_width + x]; }
  int PutCount() const { return m_puts; }
  const ViewRect& LastPutArea() const { return m_lastPut; }
  bool Shown() const { return m_shown; }
  unsigned long Parent() const { return m_parent; }
  bool Focused() const { return m_focused; }
  bool FieldShown() const { return m_fieldShown; }
  const ViewRect& FieldRect() const { return m_fieldRect; }
  const std::vector<uint32_t>& FieldPixels() const { return m_fieldPixels; }
  int MenuLevels() const { return static_cast<int>(m_menus.size()); }
  const ViewRect& MenuRect(int level) const { return m_menus[static_cast<size_t>(level)].rect; }
  const std::vector<uint32_t>& MenuPixels(int level) const {
    return m_menus[static_cast<size_t>(level)].pixels;
  }
  // Menu levels shown over the whole run, deepest count reached.
  int MostMenuLevels() const { return m_mostMenus; }
  const std::vector<ViewEvent>& ForwardedKeys() const { return m_forwarded; }
  void MoveOrigin(int x, int y) { m_originX = x, m_originY = y; }

  // ---- ViewBackend -------------------------------------------------------------
  bool CreateMainWindow(unsigned long parent, int width, int height) override;
  void DestroyMainWindow() override { m_created = false; }
  void Show(unsigned long parent) override { m_shown = true, m_parent = parent; }
  void Detach() override { m_shown = false, m_parent = 0; }
  void Resize(int width, int height) override;
  unsigned long MainWindow() override { return 0; }
  void PutMain(const uint32_t* pixels, int rowSpan, int width, int height, const ViewRect& clip) override;
  // The frame, with an open text field over it.
  bool ReadMain(uint32_t* pixels, int rowSpan, int width, int height) override;
  void TakeFocus(uint32_t) override { m_focused = true; }
  void ForwardKey(const ViewEvent& key) override { m_forwarded.push_back(key); }
  void ToScreen(int x, int y, int* screenX, int* screenY) override;
  void ScreenSize(int* width, int* height) override;
  void ShowField(const ViewRect& rect) override;
  void HideField() override;
  void PutField(const uint32_t* pixels, int rowSpan, int width, int height) override;
  void ShowMenu(int level, const ViewRect& screenRect) override;
  void HideMenu(int level) override;
  void PutMenu(int level, const uint32_t* pixels, int rowSpan, int width, int height) override;
  int NextEvent(ViewEvent* event, int timeoutMs) override;
  void Flush() override {}
  int ConnectionNumber() override { return -1; }
  bool IsHeadless() override { return true; }

 private:
  struct Menu {
    ViewRect rect;
    std::vector<uint32_t> pixels;
  };
  ViewEvent PointerEvent(ViewEvent::Kind kind, int x, int y, int button, uint32_t modifiers);

  std::deque<ViewEvent> m_events;
  uint32_t m_clock = 0;
  int m_screenW, m_screenH;
  int m_originX = 0, m_originY = 0;
  bool m_created = false, m_shown = false, m_focused = false;
  unsigned long m_parent = 0;
  int m_width = 0, m_height = 0;
  std::vector<uint32_t> m_frame;
  int m_puts = 0;
  ViewRect m_lastPut;
  bool m_fieldShown = false;
  ViewRect m_fieldRect;
  std::vector<uint32_t> m_fieldPixels;
  std::vector<Menu> m_menus;
  int m_mostMenus = 0;
  std::vector<ViewEvent> m_forwarded;
};
