// A model window on the X display through the view layer's Xlib back end:
// the window's pixels go to the back end's main window, and the pointer,
// key and close events it reads come back as model events. The back end
// names its top-level windows itself and places them at the screen origin.
#include <stdlib.h>
#include <string.h>

#include "platform/view/XlibBackend.h"
#include "platform/window/WindowModel.h"
#include "platform/window/WindowPresenter.h"

namespace {

// Key codes of the platform keyboard for the keys the back end names.
int KeyCodeOf(ViewSpecialKey special) {
  switch (special) {
    case kViewSpecialLeft:
      return 123;
    case kViewSpecialRight:
      return 124;
    case kViewSpecialDown:
      return 125;
    case kViewSpecialUp:
      return 126;
    case kViewSpecialSpace:
      return 49;
    case kViewSpecialReturn:
      return 36;
    case kViewSpecialEnter:
      return 76;
    case kViewSpecialTab:
      return 48;
    case kViewSpecialBackspace:
      return 51;
    case kViewSpecialDelete:
      return 117;
    case kViewSpecialEscape:
      return 53;
    case kViewSpecialHome:
      return 115;
    case kViewSpecialEnd:
      return 119;
    default:
      return 0;
  }
}

char32_t CharacterOf(ViewSpecialKey special) {
  switch (special) {
    case kViewSpecialSpace:
      return U' ';
    case kViewSpecialReturn:
      return U'\r';
    case kViewSpecialTab:
      return U'\t';
    case kViewSpecialEscape:
      return 27;
    default:
      return 0;
  }
}

// UTF-8 text of a key to code points.
std::u32string Decode(const char* text) {
  std::u32string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    char32_t c = *s;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) c &= (0x3Fu >> extra);
    ++s;
    for (; extra > 0 && (*s & 0xC0) == 0x80; --extra, ++s) c = (c << 6) | (*s & 0x3F);
    out.push_back(c);
  }
  return out;
}

uint32_t Modifiers(uint32_t view) {
  uint32_t flags = 0;
  if (view & kViewShift) flags |= kWmShift;
  if (view & kViewControl) flags |= kWmControl;
  if (view & kViewOption) flags |= kWmOption;
  if (view & kViewCommand) flags |= kWmCommand;
  return flags;
}

class XlibPresenter : public WmPresenter {
 public:
  XlibPresenter(WmWindow* window, std::unique_ptr<XlibBackend> backend)
      : m_window(window), m_backend(std::move(backend)) {}

  void Show() override {
    if (!Ensure()) return;
    m_backend->Show(0);
    m_backend->Flush();
  }
  void Hide() override {
    if (m_created) m_backend->Detach();
  }
  void Update() override {
    const int w = static_cast<int>(m_window->frame().width), h = static_cast<int>(m_window->frame().height);
    if (m_created && (w != m_width || h != m_height) && w > 0 && h > 0) {
      m_backend->Resize(w, h);
      m_width = w;
      m_height = h;
    }
  }
  void Put() override {
    if (!m_created || m_window->Pixels().empty()) return;
    const int w = m_window->PixelWidth(), h = m_window->PixelHeight();
    m_backend->PutMain(m_window->Pixels().data(), w, w, h, ViewRect(0, 0, w, h));
    m_backend->Flush();
  }
  bool Pump(int waitMs) override {
    if (!m_created) return true;
    ViewEvent event;
    int got = m_backend->NextEvent(&event, waitMs);
    while (got == 1) {
      Deliver(event);
      if (!WmIsLive(m_window)) return true;  // closed by the event
      got = m_backend->NextEvent(&event, 0);
    }
    return got >= 0;
  }
  bool Read(uint32_t* pixels, int width, int height) override {
    return m_created && m_backend->ReadMain(pixels, width, width, height);
  }
  unsigned long NativeWindow() override { return m_created ? m_backend->MainWindow() : 0; }

 private:
  bool Ensure() {
    if (m_created) return true;
    m_width = static_cast<int>(m_window->frame().width);
    m_height = static_cast<int>(m_window->frame().height);
    m_created = m_backend->CreateMainWindow(0, m_width, m_height);
    return m_created;
  }

  void Deliver(const ViewEvent& e) {
    WmApplication& app = WmApplication::Shared();
    switch (e.kind) {
      case ViewEvent::kButtonPress:
      case ViewEvent::kButtonRelease:
      case ViewEvent::kMotion: {
        if (e.target != ViewEvent::kMainWindow) return;
        const bool press = e.kind == ViewEvent::kButtonPress;
        WmMouseEvent m;
        if (e.kind == ViewEvent::kMotion) {
          m.kind = (e.modifiers & kViewButton1Held)   ? kWmLeftDragged
                   : (e.modifiers & kViewButton3Held) ? kWmRightDragged
                                                      : kWmMoved;
        } else if (e.button == 1) {
          m.kind = press ? kWmLeftDown : kWmLeftUp;
        } else if (e.button == 3) {
          m.kind = press ? kWmRightDown : kWmRightUp;
        } else {
          return;
        }
        m.window = m_window;
        m.location = WmPoint{static_cast<double>(e.x), m_window->frame().height - e.y};
        m.screen = m_window->BaseToScreen(m.location);
        m.modifiers = Modifiers(e.modifiers);
        app.mouseLocation = m.screen;
        app.modifierFlags = m.modifiers;
        const uint32_t bit = e.button == 1 ? 1u : e.button == 3 ? 2u : 0u;
        if (e.kind == ViewEvent::kButtonPress) app.pressedMouseButtons |= bit;
        if (e.kind == ViewEvent::kButtonRelease) app.pressedMouseButtons &= ~bit;
        if (app.mouseEventFilter && app.mouseEventFilter(m)) return;
        m_window->SendMouseEvent(m);
        return;
      }
      case ViewEvent::kKeyPress: {
        WmKeyEvent k;
        k.keyCode = KeyCodeOf(e.special);
        k.modifiers = Modifiers(e.modifiers);
        k.charactersIgnoringModifiers = Decode(e.text);
        if (k.charactersIgnoringModifiers.empty() && CharacterOf(e.special))
          k.charactersIgnoringModifiers.push_back(CharacterOf(e.special));
        k.characters = k.charactersIgnoringModifiers;
        app.modifierFlags = k.modifiers;
        m_window->SendKeyEvent(k);
        return;
      }
      case ViewEvent::kExpose:
        Put();
        return;
      case ViewEvent::kCloseRequest:
        m_window->PerformClose();
        return;
      default:
        return;
    }
  }

  WmWindow* m_window;
  std::unique_ptr<XlibBackend> m_backend;
  bool m_created = false;
  int m_width = 0, m_height = 0;
};

}  // namespace

bool WmXlibAvailable() {
  const char* display = getenv("DISPLAY");
  if (!display || !*display) return false;
  return XlibBackend::Connect() != nullptr;
}

std::unique_ptr<WmPresenter> WmMakeXlibPresenter(WmWindow* window) {
  auto backend = XlibBackend::Connect();
  if (!backend) return nullptr;
  return std::unique_ptr<WmPresenter>(new XlibPresenter(window, std::move(backend)));
}
