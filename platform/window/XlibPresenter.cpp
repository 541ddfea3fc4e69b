// A model window on the X display through the view layer's Xlib back end:
// the window's pixels go to the back end's main window, and the pointer,
// key and close events it reads come back as model events. The back end
// names its top-level windows itself and places them at the screen origin.
// All presenters and views share the back end's one X connection; drag and
// drop with other programs goes over the model's own (WindowDragX.h),
// whose events each pump hands on too.
#include <poll.h>
#include <stdlib.h>
#include <string.h>

#include "KIT/pix/pix-sysbitmap.h"
#include "platform/view/View.h"
#include "platform/view/ViewMenu.h"
#include "platform/view/ViewText.h"
#include "platform/view/XlibBackend.h"
#include "platform/window/WindowDragX.h"
#include "platform/window/WindowModel.h"
#include "platform/window/WindowPresenter.h"
#include "platform/window/WindowXConnection.h"

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

// The view layer's menu tree of a model menu: titles, states, separators
// and submenus; each level keeps its model menu for the choice.
void BuildMenu(WmMenu* model, ViewMenu* out, int depth) {
  out->model = model;
  for (const WmMenuItem& item : model->items) {
    ViewMenuItem entry;
    entry.title = item.title;
    entry.enabled = item.enabled;
    entry.checked = item.checked;
    entry.separator = item.separator;
    if (item.submenu && WmIsLive(item.submenu.get()) && depth < 16) {
      entry.submenu.reset(new ViewMenu);
      BuildMenu(item.submenu.get(), entry.submenu.get(), depth + 1);
    }
    out->items.push_back(std::move(entry));
  }
}

const char kMenuFace[] = "DejaVu Sans";

class XlibPresenter : public WmPresenter {
 public:
  XlibPresenter(WmWindow* window, std::unique_ptr<XlibBackend> backend)
      : m_window(window), m_backend(std::move(backend)) {}
  ~XlibPresenter() override {
    if (m_dropWindow) WmXdndUnregister(m_dropWindow);
  }

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
    int got = m_backend->NextEvent(&event, 0);
    if (got == 0 && waitMs != 0) {
      // Nothing yet: wait for either connection.
      pollfd fds[2] = {{m_backend->ConnectionNumber(), POLLIN, 0},
                       {WmXConnection::FileDescriptor(), POLLIN, 0}};
      poll(fds, fds[1].fd >= 0 ? 2 : 1, waitMs);
      got = m_backend->NextEvent(&event, 0);
    }
    WmXConnection::Pump();
    if (!WmIsLive(m_window)) return true;
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
  bool RunDrag(const WmDragSource& source) override { return m_created && WmXdndRunDrag(source); }

  bool PopupMenu(WmMenu* menu, WmPoint screen, WmMenu** chosenMenu, int* chosenIndex) override {
    if (!m_created || !menu || m_inMenu) return false;
    ViewMenu tree;
    BuildMenu(menu, &tree, 0);
    // The model's screen point, in the X window, then on the X screen.
    const WmPoint base = m_window->ScreenToBase(screen);
    int x = 0, y = 0, screenW = 0, screenH = 0;
    m_backend->ToScreen(static_cast<int>(base.x), static_cast<int>(m_window->frame().height - base.y), &x,
                        &y);
    m_backend->ScreenSize(&screenW, &screenH);
    if (!m_menuFont) m_menuFont.reset(new ViewFont(kMenuFace, ViewMenuMetrics::kFontSize));
    ViewMenuWalk walk(*m_menuFont);
    walk.Open(&tree, x, y, screenW, screenH);
    m_inMenu = true;
    std::vector<ViewRect> shown;
    std::vector<std::unique_ptr<PIX_SysBitmap>> bitmaps;
    bool changed = true;
    while (walk.IsOpen()) {
      if (changed) ShowLevels(walk, &shown, &bitmaps);
      ViewEvent event;
      const int got = m_backend->NextEvent(&event, 100);
      if (got < 0 || !WmIsLive(m_window)) {
        walk.Dismiss();
        break;
      }
      changed = false;
      if (got == 0) continue;
      changed = walk.TakeEvent(event);
      if (event.kind == ViewEvent::kExpose && event.target != ViewEvent::kMenu) Put();
    }
    for (int i = static_cast<int>(shown.size()) - 1; i >= 0; --i) m_backend->HideMenu(i);
    m_backend->Flush();
    m_inMenu = false;
    const ViewMenu* level = nullptr;
    int index = -1;
    if (!walk.Chosen(&level, &index) || !level) return false;
    *chosenMenu = static_cast<WmMenu*>(level->model);
    *chosenIndex = index;
    return true;
  }

 private:
  bool Ensure() {
    if (m_created) return true;
    m_width = static_cast<int>(m_window->frame().width);
    m_height = static_cast<int>(m_window->frame().height);
    m_created = m_backend->CreateMainWindow(0, m_width, m_height);
    // The window takes drops from other programs.
    if (m_created && WmXdndRegister(m_window, m_backend->MainWindow()))
      m_dropWindow = m_backend->MainWindow();
    return m_created;
  }

  // Shows and paints the open levels of a menu walk, hiding levels that
  // closed.
  void ShowLevels(const ViewMenuWalk& walk, std::vector<ViewRect>* shown,
                  std::vector<std::unique_ptr<PIX_SysBitmap>>* bitmaps) {
    const int count = walk.LevelCount();
    for (int i = static_cast<int>(shown->size()) - 1; i >= count; --i) m_backend->HideMenu(i);
    shown->resize(static_cast<size_t>(count));
    while (static_cast<int>(bitmaps->size()) < count) bitmaps->emplace_back(new PIX_SysBitmap(0, 0));
    for (int i = 0; i < count; ++i) {
      const ViewMenuWalk::Level& level = walk.LevelAt(i);
      if ((*shown)[static_cast<size_t>(i)] != level.frame) {
        (*shown)[static_cast<size_t>(i)] = level.frame;
        m_backend->ShowMenu(i, level.frame);
      }
      PIX_SysBitmap* bm = (*bitmaps)[static_cast<size_t>(i)].get();
      ViewPaintMenuLevel(level, *m_menuFont, bm);
      m_backend->PutMenu(i, bm->getBits(), bm->getRowSpan(), bm->getWidth(), bm->getHeight());
    }
    m_backend->Flush();
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
        } else if (e.button == 2) {
          m.kind = press ? kWmOtherDown : kWmOtherUp;
        } else if (e.button >= 4 && e.button <= 7) {
          // Wheel steps arrive as presses of buttons 4 (up), 5 (down), 6
          // (left) and 7 (right); the releases carry nothing more.
          if (!press) return;
          m.kind = kWmScrollWheel;
          m.deltaY = e.button == 4 ? 1 : e.button == 5 ? -1 : 0;
          m.deltaX = e.button == 6 ? 1 : e.button == 7 ? -1 : 0;
        } else {
          return;
        }
        if (e.kind == ViewEvent::kButtonPress && m.kind != kWmScrollWheel)
          m.clickCount = m_clicks.Press(e.button, e.time, e.x, e.y);
        else
          m.clickCount = m.kind == kWmMoved || m.kind == kWmScrollWheel ? 0 : m_clicks.Count();
        m.window = m_window;
        m.location = WmPoint{static_cast<double>(e.x), m_window->frame().height - e.y};
        m.screen = m_window->BaseToScreen(m.location);
        m.modifiers = Modifiers(e.modifiers);
        app.mouseLocation = m.screen;
        app.modifierFlags = m.modifiers;
        const uint32_t bit = e.button == 1 ? 1u : e.button == 3 ? 2u : e.button == 2 ? 4u : 0u;
        if (e.kind == ViewEvent::kButtonPress) app.pressedMouseButtons |= bit;
        if (e.kind == ViewEvent::kButtonRelease) app.pressedMouseButtons &= ~bit;
        app.DeliverMouseEvent(m);
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
  unsigned long m_dropWindow = 0;  // registered for drops
  int m_width = 0, m_height = 0;
  bool m_inMenu = false;
  std::unique_ptr<ViewFont> m_menuFont;
  WmClickCounter m_clicks;
};

}  // namespace

int WmClickCounter::Press(int button, uint32_t time, int x, int y) {
  const bool again = m_count > 0 && button == m_button && time - m_time <= View::kDoubleClickMs &&
                     std::abs(x - m_x) <= View::kDoubleClickDistance &&
                     std::abs(y - m_y) <= View::kDoubleClickDistance;
  m_count = again ? m_count + 1 : 1;
  m_button = button;
  m_time = time;
  m_x = x;
  m_y = y;
  return m_count;
}

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
