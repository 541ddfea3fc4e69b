// The portable view object: one window of a GUI on a back end (headless or
// Xlib). It runs the redraw timer (each firing asks the client for its dirty
// area and invalidates it; invalid areas are painted by the client, which
// puts its frame on the window through PresentFrame), turns the back end's
// events into the client's mouse and key calls, runs popup menus modally
// and holds the text field of a text entry.
//
// Event translation:
// - Positions are the window's own pixel coordinates (origin top left),
//   passed on unchanged.
// - Left button: L set, R set when Command is held; right button: R set, L
//   only under the host-window rules (ViewRules). Shift, Control and Option
//   give S, C and A. Pointer movement and the wheel report L.
// - A second left press within kDoubleClickMs and kDoubleClickDistance of
//   the first is a double click (OnMouseDblClick); right presses count only
//   under the host-window rules.
// - Vertical wheel: one step up is +1, down -1, to OnMouseWheel; an open text
//   entry is dropped first. The horizontal wheel is not used.
// - Drags reach the client only while no text entry is open.
// - Keys: arrows and space give codes 1..4 and 0, digits 5..14, letters
//   15..40 (either case), at the last pointer position; a key the client
//   does not use, or one it is not given, goes on to the window holding the
//   view. A key that types several characters at once is dropped.
// - While a text entry is open every key goes to the field. A press in the
//   field places the caret; a press elsewhere in the view takes the entry's
//   text first and then acts as usual. Return and Enter take it, and so do
//   Tab and the loss of the keyboard focus unless the host-window rules say
//   otherwise (ViewRules); Escape and the wheel drop it.
//
// The redraw timer fires at the frame rate on the clock for a view on a
// window system; a headless view fires only when told (a scripted tick,
// Tick or Synchronize), so that tests see exactly the frames they cause.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/view/ViewBackend.h"
#include "platform/view/ViewClient.h"
#include "platform/view/ViewMenu.h"
#include "platform/view/ViewPane.h"
#include "platform/view/ViewTextEntry.h"

class PIX_SysBitmap;
class ViewFont;

// Where the two ways of opening an editor differ in translating input.
struct ViewRules {
  // A right click also reports L (a view inside the host's window reports
  // every click as a left-button event with R set for the second button).
  bool rightClickReportsLeft = false;
  // Right presses count towards double clicks.
  bool rightDoubleClicks = false;
  // Keys are reported where the pointer last moved with no button held,
  // instead of at the last position of any mouse event.
  bool keysAtLastMove = false;
  // The loss of the keyboard focus (the window was deactivated) drops an
  // open text entry instead of taking its text.
  bool focusLossDropsEntry = false;
  // Only Return and Enter end a text entry; Tab does nothing to it.
  bool onlyReturnEndsEntry = false;
};

class View : public ViewPane {
 public:
  static constexpr uint32_t kDoubleClickMs = 500;
  static constexpr int kDoubleClickDistance = 4;

  // A view of width x height at fps redraws a second (25 when fps < 1) on
  // the back end; no window yet, no client, one reference held by the
  // caller.
  View(std::unique_ptr<ViewBackend> backend, int width, int height, int fps);
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Makes the window inside parent (0: none; the host places the view
  // later through AddToParent). The whole window is invalid at first.
  // False when the back end cannot make it.
  bool Open(unsigned long parent);

  void SetClient(ViewClient* client) { m_client = client; }
  ViewClient* Client() const { return m_client; }
  void SetRules(const ViewRules& rules) { m_rules = rules; }

  // References: the view is deleted when the last is released.
  void Retain() { ++m_references; }
  void Release();

  // ---- Redraw -----------------------------------------------------------------
  void StartTimer();
  void KillTimer();
  bool TimerRunning() const { return m_timerRunning; }
  // One timer firing: the client's dirty area, widened by one pixel to the
  // right and below, becomes invalid.
  void Tick();
  // Marks an area of the window (clipped to it) for painting.
  void Invalidate(const ViewRect& area);
  const ViewRect& InvalidArea() const { return m_invalid; }
  // Has the client draw the invalid area, when there is one.
  void Paint();
  bool IsPainting() const { return m_painting; }
  // During a paint: puts the pixels (width x height words, rowSpan apart) of
  // the area being painted on the window and answers true. Outside a paint
  // there is nothing to draw on: false.
  bool PresentFrame(const uint32_t* pixels, int rowSpan, int width, int height);

  // ---- Input --------------------------------------------------------------------
  void HandleEvent(const ViewEvent& event);
  int PointerX() const { return m_prevX; }
  int PointerY() const { return m_prevY; }

  // Shows menu with its top left at (x, y) of the window and runs it until
  // it closes; the redraw timer keeps firing meanwhile. True with the
  // (sub)menu and entry chosen; false when it was dismissed or another menu
  // is open.
  bool PopupMenu(const ViewMenu& menu, int x, int y, const ViewMenu** chosen, int* index);
  // The open menu's walk, while PopupMenu runs; else null.
  const ViewMenuWalk* MenuWalk() const { return m_walk; }

  // Opens the text field; false while one is open.
  bool OpenTextEntry(const ViewTextEntryRequest& request);
  // Closes the field; with commit its text goes to the client. Nothing
  // when no field is open.
  void EndTextEntry(bool commit);
  const ViewTextEntry* TextEntry() const { return m_entry.get(); }

  void Resize(int width, int height);
  ViewBackend* Backend() const { return m_backend.get(); }

  // ---- ViewPane -------------------------------------------------------------------
  int ConnectionNumber() override { return m_backend->ConnectionNumber(); }
  int MillisecondsToNextTick() override;
  void RunPending() override;
  void Synchronize() override;
  unsigned long NativeWindow() override { return m_backend->MainWindow(); }
  bool IsHeadless() override { return m_backend->IsHeadless(); }
  int Width() override { return m_width; }
  int Height() override { return m_height; }
  bool ReadWindow(uint32_t* pixels, int rowSpan) override;
  bool ReadDrawBitmap(uint32_t* pixels, int rowSpan) override;
  void AddToParent(unsigned long parentWindow) override;
  void RemoveFromParent() override;
  bool CloseRequested() override { return m_closeRequested; }
  void PostInput(const ViewEvent& event) override;
  void SetInputHook(bool (*hook)(void* context), void* context) override;
  int MenuLevelCount() override;
  int MenuItemCount(int level) override;
  bool MenuItemAt(int level, int index, ViewPaneMenuItem* item) override;

 protected:
  virtual ~View();

 private:
  // The next posted event, else the back end's (waiting up to timeoutMs);
  // the back end's answer otherwise (1, 0 or -1).
  int NextInput(ViewEvent* event, int timeoutMs);
  void HandleButtonPress(const ViewEvent& event);
  void HandleButtonRelease(const ViewEvent& event);
  void HandleMotion(const ViewEvent& event);
  void HandleKey(const ViewEvent& event);
  ViewMouseMod ModifiersOf(const ViewEvent& event, bool rightButton) const;
  void FireTimerIfDue();
  void PaintField();
  void ShowMenuLevels(const ViewMenuWalk& walk);
  // Hides every level; the window under them is painted again.
  void HideMenuLevels();
  // Marks the part of the window under a screen area (a menu level that
  // closes or moves) for painting.
  void RepaintUnder(const ViewRect& screenArea);
  const ViewFont& MenuFont();

  std::unique_ptr<ViewBackend> m_backend;
  ViewClient* m_client = nullptr;
  ViewRules m_rules;
  int m_references = 1;
  int m_width, m_height;
  int m_periodMs;
  bool m_opened = false;
  bool m_placedByHost = false;  // opened without parent: the host places it
  bool m_inParent = false;
  bool m_closeRequested = false;

  bool m_timerRunning = false;
  int64_t m_nextTickMs = 0;

  ViewRect m_invalid;
  bool m_painting = false;
  ViewRect m_paintArea;

  int m_prevX = 0, m_prevY = 0;
  int m_lastPressButton = 0;
  uint32_t m_lastPressTime = 0;
  int m_lastPressX = 0, m_lastPressY = 0;
  int m_clickCount = 0;

  std::unique_ptr<ViewTextEntry> m_entry;
  std::unique_ptr<ViewFont> m_entryFont;
  std::unique_ptr<PIX_SysBitmap> m_fieldBitmap;

  std::deque<ViewEvent> m_posted;
  bool (*m_inputHook)(void*) = nullptr;
  void* m_inputHookContext = nullptr;

  std::unique_ptr<ViewFont> m_menuFont;
  const ViewMenuWalk* m_walk = nullptr;
  std::vector<ViewRect> m_shownMenus;
  std::vector<std::unique_ptr<PIX_SysBitmap>> m_menuBitmaps;
};
