#include "platform/view/HeadlessBackend.h"

#include <algorithm>
#include <cstring>

#include "platform/view/ViewText.h"

namespace {

// Copies a w x h block of words between two strides.
void CopyBlock(uint32_t* to, int toSpan, const uint32_t* from, int fromSpan, int w, int h) {
  for (int y = 0; y < h; ++y)
    memcpy(to + static_cast<size_t>(y) * toSpan, from + static_cast<size_t>(y) * fromSpan,
           static_cast<size_t>(w) * sizeof(uint32_t));
}

}  // namespace

HeadlessBackend::HeadlessBackend(int screenWidth, int screenHeight)
    : m_screenW(screenWidth), m_screenH(screenHeight) {}

// ---- Script ---------------------------------------------------------------------

void HeadlessBackend::Queue(const ViewEvent& event) { m_events.push_back(event); }

ViewEvent HeadlessBackend::PointerEvent(ViewEvent::Kind kind, int x, int y, int button, uint32_t modifiers) {
  ViewEvent e;
  e.kind = kind;
  e.x = x, e.y = y;
  e.rootX = x + m_originX, e.rootY = y + m_originY;
  e.button = button;
  e.modifiers = modifiers;
  e.time = m_clock;
  return e;
}

void HeadlessBackend::Press(int x, int y, int button, uint32_t modifiers) {
  // Separate presses are a second apart: never a double click by accident.
  m_clock += 1000;
  Queue(PointerEvent(ViewEvent::kButtonPress, x, y, button, modifiers));
}

void HeadlessBackend::Release(int x, int y, int button, uint32_t modifiers) {
  m_clock += 10;
  Queue(PointerEvent(ViewEvent::kButtonRelease, x, y, button, modifiers));
}

void HeadlessBackend::Click(int x, int y, int button, uint32_t modifiers) {
  Press(x, y, button, modifiers);
  Release(x, y, button, modifiers);
}

void HeadlessBackend::DoubleClick(int x, int y, int button, uint32_t modifiers) {
  Click(x, y, button, modifiers);
  m_clock += 100;
  Queue(PointerEvent(ViewEvent::kButtonPress, x, y, button, modifiers));
  Release(x, y, button, modifiers);
}

void HeadlessBackend::Move(int x, int y, uint32_t modifiers) {
  m_clock += 10;
  Queue(PointerEvent(ViewEvent::kMotion, x, y, 0, modifiers));
}

void HeadlessBackend::Wheel(int x, int y, int direction, bool horizontal, uint32_t modifiers) {
  m_clock += 10;
  const int button = horizontal ? (direction > 0 ? 6 : 7) : (direction > 0 ? 4 : 5);
  Queue(PointerEvent(ViewEvent::kButtonPress, x, y, button, modifiers));
  Queue(PointerEvent(ViewEvent::kButtonRelease, x, y, button, modifiers));
}

void HeadlessBackend::ClickField(int x, int y) {
  ViewEvent e = PointerEvent(ViewEvent::kButtonPress, x, y, 1, 0);
  e.target = ViewEvent::kTextField;
  e.rootX += m_fieldRect.L, e.rootY += m_fieldRect.T;
  Queue(e);
  e.kind = ViewEvent::kButtonRelease;
  Queue(e);
}

void HeadlessBackend::Key(ViewSpecialKey special, uint32_t modifiers) {
  ViewEvent e;
  e.kind = ViewEvent::kKeyPress;
  e.special = special;
  e.modifiers = modifiers;
  e.time = m_clock += 10;
  if (special == kViewSpecialSpace) {
    e.text[0] = ' ';
    e.textCharacters = 1;
  }
  Queue(e);
}

void HeadlessBackend::Type(const char* text) {
  for (const char* p = text; *p;) {
    const int n = ViewUtf8Length(static_cast<unsigned char>(*p));
    char one[8] = {0};
    for (int i = 0; i < n && p[i]; ++i) one[i] = p[i];
    p += strlen(one);
    TypeAtOnce(one);
  }
}

void HeadlessBackend::TypeAtOnce(const char* text) {
  ViewEvent e;
  e.kind = ViewEvent::kKeyPress;
  strncpy(e.text, text, sizeof e.text - 1);
  e.textCharacters = ViewUtf8Count(e.text, static_cast<int>(strlen(e.text)));
  if (strcmp(e.text, " ") == 0) e.special = kViewSpecialSpace;
  e.time = m_clock += 10;
  Queue(e);
}

void HeadlessBackend::Tick() {
  ViewEvent e;
  e.kind = ViewEvent::kTick;
  Queue(e);
}

void HeadlessBackend::FocusOut() {
  ViewEvent e;
  e.kind = ViewEvent::kFocusOut;
  Queue(e);
}

void HeadlessBackend::CloseRequest() {
  ViewEvent e;
  e.kind = ViewEvent::kCloseRequest;
  Queue(e);
}

int HeadlessBackend::NextEvent(ViewEvent* event, int) {
  if (m_events.empty()) return -1;
  *event = m_events.front();
  m_events.pop_front();
  return 1;
}

// ---- Windows ----------------------------------------------------------------------

bool HeadlessBackend::CreateMainWindow(unsigned long parent, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  m_created = true;
  Resize(width, height);
  return true;
}

void HeadlessBackend::Resize(int width, int height) {
  std::vector<uint32_t> frame(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  CopyBlock(frame.data(), width, m_frame.data(), m_width, std::min(width, m_width),
            std::min(height, m_height));
  m_frame.swap(frame);
  m_width = width;
  m_height = height;
}

void HeadlessBackend::PutMain(const uint32_t* pixels, int rowSpan, int width, int height,
                              const ViewRect& clip) {
  ++m_puts;
  const ViewRect area = clip.Clipped(ViewRect(0, 0, std::min(width, m_width), std::min(height, m_height)));
  m_lastPut = area;
  if (area.Empty()) return;
  CopyBlock(m_frame.data() + static_cast<size_t>(area.T) * m_width + area.L, m_width,
            pixels + static_cast<size_t>(area.T) * rowSpan + area.L, rowSpan, area.W(), area.H());
}

bool HeadlessBackend::ReadMain(uint32_t* pixels, int rowSpan, int width, int height) {
  if (!m_created) return false;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * rowSpan + x] =
          x < m_width && y < m_height ? (FramePixel(x, y) | 0xffu) : 0xffu;
  // An open text field is a window inside the main one: it shows over it.
  const int fieldW = m_fieldRect.W();
  if (m_fieldShown && fieldW > 0 && m_fieldPixels.size() == static_cast<size_t>(fieldW) * m_fieldRect.H())
    for (int y = std::max(0, m_fieldRect.T); y < std::min(height, m_fieldRect.B); ++y)
      for (int x = std::max(0, m_fieldRect.L); x < std::min(width, m_fieldRect.R); ++x)
        pixels[static_cast<size_t>(y) * rowSpan + x] =
            m_fieldPixels[static_cast<size_t>(y - m_fieldRect.T) * fieldW + (x - m_fieldRect.L)] | 0xffu;
  return true;
}

void HeadlessBackend::ToScreen(int x, int y, int* screenX, int* screenY) {
  *screenX = x + m_originX;
  *screenY = y + m_originY;
}

void HeadlessBackend::ScreenSize(int* width, int* height) {
  *width = m_screenW;
  *height = m_screenH;
}

void HeadlessBackend::ShowField(const ViewRect& rect) {
  m_fieldShown = true;
  m_fieldRect = rect;
}

void HeadlessBackend::HideField() {
  m_fieldShown = false;
  m_fieldPixels.clear();
}

void HeadlessBackend::PutField(const uint32_t* pixels, int rowSpan, int width, int height) {
  m_fieldPixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  CopyBlock(m_fieldPixels.data(), width, pixels, rowSpan, width, height);
}

void HeadlessBackend::ShowMenu(int level, const ViewRect& screenRect) {
  if (level >= static_cast<int>(m_menus.size())) m_menus.resize(static_cast<size_t>(level) + 1);
  m_menus[static_cast<size_t>(level)].rect = screenRect;
  m_mostMenus = std::max(m_mostMenus, level + 1);
}

void HeadlessBackend::HideMenu(int level) {
  if (level < static_cast<int>(m_menus.size())) m_menus.resize(static_cast<size_t>(level));
}

void HeadlessBackend::PutMenu(int level, const uint32_t* pixels, int rowSpan, int width, int height) {
  if (level >= static_cast<int>(m_menus.size())) return;
  Menu& menu = m_menus[static_cast<size_t>(level)];
  menu.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  CopyBlock(menu.pixels.data(), width, pixels, rowSpan, width, height);
  if (onMenu) onMenu(*this);
}
