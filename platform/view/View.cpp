#include "platform/view/View.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "KIT/pix/pix-sysbitmap.h"
#include "platform/view/ViewText.h"

namespace {

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The face of menus, a plain sans-serif one.
const char kMenuFace[] = "DejaVu Sans";

// The GUI's key code of a key; kViewKeyNone for keys it is not given.
int KeyCodeOf(const ViewEvent& event) {
  switch (event.special) {
    case kViewSpecialLeft:
      return kViewKeyLeft;
    case kViewSpecialRight:
      return kViewKeyRight;
    case kViewSpecialDown:
      return kViewKeyDown;
    case kViewSpecialUp:
      return kViewKeyUp;
    case kViewSpecialSpace:
      return kViewKeySpace;
    case kViewSpecialNone:
      break;
    default:
      return kViewKeyNone;
  }
  if (event.textCharacters != 1) return kViewKeyNone;
  const char c = event.text[0];
  if (c >= '0' && c <= '9') return kViewKeyDigit0 + (c - '0');
  if (c >= 'A' && c <= 'Z') return kViewKeyLetterA + (c - 'A');
  if (c >= 'a' && c <= 'z') return kViewKeyLetterA + (c - 'a');
  return kViewKeyNone;
}

// Keys that stand for one character of their own (arrows, space, Return,
// Tab, Escape, the erasing and moving keys) or type exactly one.
bool IsSingleCharacterKey(const ViewEvent& event) {
  return event.special != kViewSpecialNone || event.textCharacters == 1;
}

}  // namespace

View::View(std::unique_ptr<ViewBackend> backend, int width, int height, int fps)
    : m_backend(std::move(backend)),
      m_width(width),
      m_height(height),
      m_periodMs(1000 / (fps < 1 ? 25 : fps)) {
  if (m_periodMs < 1) m_periodMs = 1;
}

View::~View() {
  m_entry.reset();
  if (m_opened) m_backend->DestroyMainWindow();
}

void View::Release() {
  if (--m_references == 0) delete this;
}

bool View::Open(unsigned long parent) {
  if (m_opened) return true;
  if (!m_backend->CreateMainWindow(parent, m_width, m_height)) return false;
  m_opened = true;
  m_placedByHost = parent == 0;
  if (parent) m_backend->Show(parent);
  Invalidate(ViewRect(0, 0, m_width, m_height));
  return true;
}

// ---- Redraw -------------------------------------------------------------------

void View::StartTimer() {
  m_timerRunning = true;
  m_nextTickMs = NowMs();
}

void View::KillTimer() { m_timerRunning = false; }

void View::Tick() {
  ViewRect dirty;
  if (!m_client || !m_client->IsDirty(&dirty)) return;
  Invalidate(ViewRect(dirty.L, dirty.T, dirty.R + 1, dirty.B + 1));
}

void View::Invalidate(const ViewRect& area) {
  const ViewRect clipped = area.Clipped(ViewRect(0, 0, m_width, m_height));
  if (!clipped.Empty()) m_invalid = m_invalid.United(clipped);
}

void View::Paint() {
  if (m_invalid.Empty() || !m_client || m_painting) return;
  m_paintArea = m_invalid;
  m_invalid = ViewRect();
  m_painting = true;
  m_client->Draw(m_paintArea);
  m_painting = false;
}

bool View::PresentFrame(const uint32_t* pixels, int rowSpan, int width, int height) {
  if (!m_painting || !pixels) return false;
  m_backend->PutMain(pixels, rowSpan, width, height, m_paintArea);
  return true;
}

int View::MillisecondsToNextTick() {
  if (!m_timerRunning || m_backend->IsHeadless()) return -1;
  return static_cast<int>(std::max<int64_t>(0, m_nextTickMs - NowMs()));
}

void View::FireTimerIfDue() {
  if (!m_timerRunning || m_backend->IsHeadless()) return;
  const int64_t now = NowMs();
  if (now < m_nextTickMs) return;
  // A late timer fires once and starts its period anew.
  m_nextTickMs += m_periodMs;
  if (m_nextTickMs <= now) m_nextTickMs = now + m_periodMs;
  Tick();
}

int View::NextInput(ViewEvent* event, int timeoutMs) {
  if (!m_posted.empty()) {
    *event = m_posted.front();
    m_posted.pop_front();
    return 1;
  }
  return m_backend->NextEvent(event, timeoutMs);
}

void View::RunPending() {
  ViewEvent event;
  while (NextInput(&event, 0) == 1) HandleEvent(event);
  FireTimerIfDue();
  Paint();
}

void View::Synchronize() {
  m_backend->Flush();
  ViewEvent event;
  while (NextInput(&event, 0) == 1) HandleEvent(event);
  Tick();
  Paint();
  m_backend->Flush();
}

// ---- Input ------------------------------------------------------------------------

ViewMouseMod View::ModifiersOf(const ViewEvent& event, bool rightButton) const {
  ViewMouseMod mod;
  mod.L = !rightButton || m_rules.rightClickReportsLeft;
  mod.R = rightButton || (event.modifiers & kViewCommand);
  mod.S = event.modifiers & kViewShift;
  mod.C = event.modifiers & kViewControl;
  mod.A = event.modifiers & kViewOption;
  return mod;
}

void View::HandleEvent(const ViewEvent& event) {
  switch (event.kind) {
    case ViewEvent::kExpose:
      if (event.target == ViewEvent::kMainWindow)
        Invalidate(ViewRect(event.x, event.y, event.x + event.width, event.y + event.height));
      else if (event.target == ViewEvent::kTextField)
        PaintField();
      break;
    case ViewEvent::kTick:
      Tick();
      Paint();
      break;
    case ViewEvent::kFocusOut:
      EndTextEntry(!m_rules.focusLossDropsEntry);
      break;
    case ViewEvent::kCloseRequest:
      m_closeRequested = true;
      break;
    case ViewEvent::kButtonPress:
      HandleButtonPress(event);
      break;
    case ViewEvent::kButtonRelease:
      HandleButtonRelease(event);
      break;
    case ViewEvent::kMotion:
      HandleMotion(event);
      break;
    case ViewEvent::kKeyPress:
      HandleKey(event);
      break;
    case ViewEvent::kDestroyed:
    case ViewEvent::kNone:
      break;
  }
}

void View::HandleButtonPress(const ViewEvent& event) {
  if (!m_client || event.target == ViewEvent::kMenu) return;
  int x = event.x, y = event.y;
  if (event.target == ViewEvent::kTextField) {
    if (!m_entry) return;
    if (event.button != 4 && event.button != 5) {
      // The field keeps its own clicks: they place the caret.
      m_entry->ClickAt(event.x, *m_entryFont);
      PaintField();
      return;
    }
    // The wheel over the field acts as over the view.
    x += m_entry->Request().rect.L, y += m_entry->Request().rect.T;
  }
  m_backend->TakeFocus(event.time);
  if (event.button == 4 || event.button == 5) {
    m_prevX = x, m_prevY = y;
    EndTextEntry(false);
    if (m_client) m_client->OnMouseWheel(x, y, ModifiersOf(event, false), event.button == 4 ? 1 : -1);
    return;
  }
  if (event.button != 1 && event.button != 3) return;
  // A click outside the field ends the entry, taking its text.
  EndTextEntry(true);
  if (!m_client) return;
  const bool right = event.button == 3;
  if (!m_rules.keysAtLastMove) m_prevX = x, m_prevY = y;
  const ViewMouseMod mod = ModifiersOf(event, right);
  if (right && !m_rules.rightDoubleClicks) {
    m_lastPressButton = 0;
    m_client->OnMouseDown(x, y, mod);
    return;
  }
  const bool again = m_lastPressButton == event.button && event.time - m_lastPressTime <= kDoubleClickMs &&
                     std::abs(x - m_lastPressX) <= kDoubleClickDistance &&
                     std::abs(y - m_lastPressY) <= kDoubleClickDistance;
  m_clickCount = again ? m_clickCount + 1 : 1;
  m_lastPressButton = event.button;
  m_lastPressTime = event.time;
  m_lastPressX = x, m_lastPressY = y;
  if (m_clickCount >= 2)
    m_client->OnMouseDblClick(x, y, mod);
  else
    m_client->OnMouseDown(x, y, mod);
}

void View::HandleButtonRelease(const ViewEvent& event) {
  if (!m_client || event.target != ViewEvent::kMainWindow) return;
  if (event.button != 1 && event.button != 3) return;
  if (!m_rules.keysAtLastMove) m_prevX = event.x, m_prevY = event.y;
  m_client->OnMouseUp(event.x, event.y, ModifiersOf(event, event.button == 3));
}

void View::HandleMotion(const ViewEvent& event) {
  if (!m_client || event.target != ViewEvent::kMainWindow) return;
  const bool left = event.modifiers & kViewButton1Held, right = event.modifiers & kViewButton3Held;
  if (left || right) {
    if (!m_rules.keysAtLastMove) m_prevX = event.x, m_prevY = event.y;
    if (!m_entry) m_client->OnMouseDrag(event.x, event.y, ModifiersOf(event, right && !left));
    return;
  }
  m_prevX = event.x, m_prevY = event.y;
  m_client->OnMouseOver(event.x, event.y, ModifiersOf(event, false));
}

void View::HandleKey(const ViewEvent& event) {
  if (m_entry) {
    if (event.special == kViewSpecialTab && m_rules.onlyReturnEndsEntry) return;
    switch (m_entry->Key(event.special, event.text)) {
      case ViewTextEntry::kCommit:
        EndTextEntry(true);
        break;
      case ViewTextEntry::kCancel:
        EndTextEntry(false);
        break;
      case ViewTextEntry::kEdited:
        PaintField();
        break;
      case ViewTextEntry::kRefused:
      case ViewTextEntry::kIgnored:
        break;
    }
    return;
  }
  if (!m_client || !IsSingleCharacterKey(event)) return;
  const int code = KeyCodeOf(event);
  if (code != kViewKeyNone && m_client->OnKeyDown(m_prevX, m_prevY, code)) return;
  m_backend->ForwardKey(event);
}

// ---- Popup menus ------------------------------------------------------------------------

const ViewFont& View::MenuFont() {
  if (!m_menuFont) m_menuFont.reset(new ViewFont(kMenuFace, ViewMenuMetrics::kFontSize));
  return *m_menuFont;
}

void View::RepaintUnder(const ViewRect& screenArea) {
  if (screenArea.Empty()) return;
  int originX = 0, originY = 0;
  m_backend->ToScreen(0, 0, &originX, &originY);
  Invalidate(ViewRect(screenArea.L - originX, screenArea.T - originY, screenArea.R - originX,
                      screenArea.B - originY));
}

void View::ShowMenuLevels(const ViewMenuWalk& walk) {
  const int count = walk.LevelCount();
  for (int i = count; i < static_cast<int>(m_shownMenus.size()); ++i) {
    RepaintUnder(m_shownMenus[static_cast<size_t>(i)]);
    m_backend->HideMenu(i);
  }
  m_shownMenus.resize(static_cast<size_t>(count));
  while (static_cast<int>(m_menuBitmaps.size()) < count) m_menuBitmaps.emplace_back(new PIX_SysBitmap(0, 0));
  for (int i = 0; i < count; ++i) {
    const ViewMenuWalk::Level& level = walk.LevelAt(i);
    if (m_shownMenus[static_cast<size_t>(i)] != level.frame) {
      RepaintUnder(m_shownMenus[static_cast<size_t>(i)]);
      m_shownMenus[static_cast<size_t>(i)] = level.frame;
      m_backend->ShowMenu(i, level.frame);
    }
    PIX_SysBitmap* bm = m_menuBitmaps[static_cast<size_t>(i)].get();
    ViewPaintMenuLevel(level, MenuFont(), bm);
    m_backend->PutMenu(i, bm->getBits(), bm->getRowSpan(), bm->getWidth(), bm->getHeight());
  }
}

void View::HideMenuLevels() {
  for (int i = static_cast<int>(m_shownMenus.size()) - 1; i >= 0; --i) {
    RepaintUnder(m_shownMenus[static_cast<size_t>(i)]);
    m_backend->HideMenu(i);
  }
  m_shownMenus.clear();
}

bool View::PopupMenu(const ViewMenu& menu, int x, int y, const ViewMenu** chosen, int* index) {
  if (m_walk || !m_opened) return false;
  ViewMenuWalk walk(MenuFont());
  int screenX = 0, screenY = 0, screenW = 0, screenH = 0;
  m_backend->ToScreen(x, y, &screenX, &screenY);
  m_backend->ScreenSize(&screenW, &screenH);
  walk.Open(&menu, screenX, screenY, screenW, screenH);
  m_walk = &walk;
  ShowMenuLevels(walk);
  while (walk.IsOpen()) {
    ViewEvent event;
    int got = 0;
    if (!m_posted.empty() || !m_inputHook) {
      got = NextInput(&event, MillisecondsToNextTick());
    } else {
      // The host posts the input: the window system's events are only looked
      // at in passing, and an empty headless script does not end the menu.
      got = m_backend->NextEvent(&event, 0);
      if (got != 1) got = m_inputHook(m_inputHookContext) ? 0 : -1;
    }
    if (got < 0) {
      walk.Dismiss();
      break;
    }
    bool changed = false;
    if (got == 1) {
      // What is not the menu's goes on to the view first: its own exposes,
      // the timer, the window's close (which then dismisses the menu too).
      const bool viewsToo = (event.kind == ViewEvent::kExpose && event.target != ViewEvent::kMenu) ||
                            event.kind == ViewEvent::kTick || event.kind == ViewEvent::kCloseRequest ||
                            event.kind == ViewEvent::kDestroyed;
      if (viewsToo) HandleEvent(event);
      changed = walk.TakeEvent(event);
    }
    if (changed && walk.IsOpen()) ShowMenuLevels(walk);
    FireTimerIfDue();
    Paint();
  }
  HideMenuLevels();
  m_walk = nullptr;
  // What the menu covered is the window's again before the choice is acted
  // on: a dialog it opens, or a long job, must not find the menu's picture
  // still standing on the window.
  Paint();
  return walk.Chosen(chosen, index);
}

// ---- Input from the host -------------------------------------------------------------

void View::PostInput(const ViewEvent& event) {
  ViewEvent posted = event;
  if (posted.target == ViewEvent::kMainWindow)
    m_backend->ToScreen(posted.x, posted.y, &posted.rootX, &posted.rootY);
  m_posted.push_back(posted);
}

void View::SetInputHook(bool (*hook)(void* context), void* context) {
  m_inputHook = hook;
  m_inputHookContext = context;
}

int View::MenuLevelCount() { return m_walk ? m_walk->LevelCount() : 0; }

int View::MenuItemCount(int level) {
  if (level < 0 || level >= MenuLevelCount()) return 0;
  return static_cast<int>(m_walk->LevelAt(level).menu->items.size());
}

bool View::MenuItemAt(int level, int index, ViewPaneMenuItem* item) {
  if (!item || index < 0 || index >= MenuItemCount(level)) return false;
  const ViewMenuItem& entry = m_walk->LevelAt(level).menu->items[static_cast<size_t>(index)];
  snprintf(item->title, sizeof item->title, "%s", entry.title.c_str());
  item->choosable = entry.Choosable();
  item->hasSubmenu = entry.submenu != nullptr;
  item->screen = m_walk->ItemRect(level, index);
  return true;
}

// ---- Text entry -------------------------------------------------------------------------

bool View::OpenTextEntry(const ViewTextEntryRequest& request) {
  if (m_entry || !m_opened) return false;
  m_entry.reset(new ViewTextEntry(request));
  m_entryFont.reset(new ViewFont(request.font.c_str(), request.fontSize, request.bold));
  if (!m_fieldBitmap) m_fieldBitmap.reset(new PIX_SysBitmap(0, 0));
  m_backend->ShowField(request.rect);
  m_backend->TakeFocus(0);
  PaintField();
  return true;
}

void View::EndTextEntry(bool commit) {
  if (!m_entry) return;
  const std::string text = m_entry->Text();
  m_entry.reset();
  m_backend->HideField();
  // What the field covered is painted again.
  Invalidate(ViewRect(0, 0, m_width, m_height));
  if (commit && m_client) m_client->OnTextEntryCommit(text.c_str());
  if (m_client) m_client->OnTextEntryClosed();
}

void View::PaintField() {
  if (!m_entry) return;
  m_entry->Paint(m_fieldBitmap.get(), *m_entryFont);
  m_backend->PutField(m_fieldBitmap->getBits(), m_fieldBitmap->getRowSpan(), m_fieldBitmap->getWidth(),
                      m_fieldBitmap->getHeight());
}

// ---- Window ---------------------------------------------------------------------------------

void View::Resize(int width, int height) {
  if (width == m_width && height == m_height) return;
  m_width = width;
  m_height = height;
  m_backend->Resize(width, height);
  m_invalid = ViewRect();
  Invalidate(ViewRect(0, 0, width, height));
}

bool View::ReadWindow(uint32_t* pixels, int rowSpan) {
  if (!pixels || rowSpan < m_width || !m_backend->ReadMain(pixels, rowSpan, m_width, m_height)) return false;
  if (m_shownMenus.empty()) return true;
  // An open menu lies over the window: it is part of what the user sees.
  int originX = 0, originY = 0;
  m_backend->ToScreen(0, 0, &originX, &originY);
  for (size_t level = 0; level < m_shownMenus.size() && level < m_menuBitmaps.size(); ++level) {
    PIX_SysBitmap* bm = m_menuBitmaps[level].get();
    const ViewRect& frame = m_shownMenus[level];
    const uint32_t* bits = bm->getBits();
    if (!bits) continue;
    for (int y = 0; y < bm->getHeight(); ++y) {
      const int wy = frame.T - originY + y;
      if (wy < 0 || wy >= m_height) continue;
      for (int x = 0; x < bm->getWidth(); ++x) {
        const int wx = frame.L - originX + x;
        if (wx >= 0 && wx < m_width)
          pixels[static_cast<size_t>(wy) * rowSpan + wx] =
              bits[static_cast<size_t>(y) * bm->getRowSpan() + x] | 0xffu;
      }
    }
  }
  return true;
}

bool View::ReadDrawBitmap(uint32_t* pixels, int rowSpan) {
  const uint32_t* bits = nullptr;
  int span = 0, width = 0, height = 0;
  if (!pixels || rowSpan < m_width || !m_client || !m_client->GetDrawBitmap(&bits, &span, &width, &height) ||
      !bits)
    return false;
  for (int y = 0; y < m_height; ++y)
    for (int x = 0; x < m_width; ++x)
      pixels[static_cast<size_t>(y) * rowSpan + x] =
          x < width && y < height ? bits[static_cast<size_t>(y) * span + x] : 0;
  return true;
}

void View::AddToParent(unsigned long parentWindow) {
  if (!m_placedByHost || m_inParent) return;
  m_inParent = true;
  Retain();
  m_backend->Show(parentWindow);
  Invalidate(ViewRect(0, 0, m_width, m_height));
}

void View::RemoveFromParent() {
  if (!m_inParent) return;
  m_inParent = false;
  // Held while the client lets go, which may release the client's reference.
  Retain();
  EndTextEntry(false);
  if (m_client) m_client->OnRemovedFromParent();
  m_backend->Detach();
  Release();  // the parent's
  Release();
}
