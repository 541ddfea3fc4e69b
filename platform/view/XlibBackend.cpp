#include "platform/view/XlibBackend.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>

#include "platform/view/HeadlessBackend.h"

// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on

// The back end's member of this name, not the macro.
#undef ConnectionNumber

namespace {

// ---- Protocol errors ------------------------------------------------------------
// The error handler is one per process (Xlib's), shared with the host and
// with every other view. Errors on our connections are noted by serial
// number; all others go to the handler that was there before ours.

std::mutex g_errorLock;
std::map<Display*, unsigned long>* g_lastError = nullptr;  // connection -> serial of its last error
int (*g_previousHandler)(Display*, XErrorEvent*) = nullptr;
bool g_handlerInstalled = false;

int OnXError(Display* display, XErrorEvent* error) {
  {
    std::lock_guard<std::mutex> hold(g_errorLock);
    if (g_lastError) {
      auto found = g_lastError->find(display);
      if (found != g_lastError->end()) {
        found->second = error->serial;
        return 0;
      }
    }
  }
  return g_previousHandler ? g_previousHandler(display, error) : 0;
}

void Register(Display* display) {
  std::lock_guard<std::mutex> hold(g_errorLock);
  if (!g_lastError) g_lastError = new std::map<Display*, unsigned long>;
  (*g_lastError)[display] = 0;
  if (!g_handlerInstalled) {
    g_previousHandler = XSetErrorHandler(OnXError);
    g_handlerInstalled = true;
  }
}

// The last connection gone, the handler before ours comes back, so that no
// handler of this code stays installed once the code may be unloaded.
void Unregister(Display* display) {
  std::lock_guard<std::mutex> hold(g_errorLock);
  if (g_lastError) g_lastError->erase(display);
  if (g_handlerInstalled && g_lastError && g_lastError->empty()) {
    int (*current)(Display*, XErrorEvent*) = XSetErrorHandler(g_previousHandler);
    // Someone installed another handler after ours: theirs stays.
    if (current != OnXError) XSetErrorHandler(current);
    g_handlerInstalled = false;
  }
}

unsigned long LastError(Display* display) {
  std::lock_guard<std::mutex> hold(g_errorLock);
  auto found = g_lastError->find(display);
  return found == g_lastError->end() ? 0 : found->second;
}

// ---- The shared connection ------------------------------------------------------
// One connection for every back end of the process, and the back end that
// owns each of its windows (the events of a window go to its owner).

std::mutex g_connectionLock;
Display* g_display = nullptr;
int g_users = 0;
std::map<unsigned long, const void*>* g_owners = nullptr;

const void* OwnerOf(unsigned long window) {
  std::lock_guard<std::mutex> hold(g_connectionLock);
  if (!g_owners) return nullptr;
  auto found = g_owners->find(window);
  return found == g_owners->end() ? nullptr : found->second;
}

// Takes an event out of the queue for the back end at arg: one of its own
// windows, or of a window nobody owns (to be dropped). Called by Xlib while
// it walks its queue; it must not call Xlib.
Bool Claim(Display*, XEvent* event, XPointer arg) {
  const void* owner = OwnerOf(event->xany.window);
  return owner == static_cast<const void*>(arg) || owner == nullptr;
}

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Position and width of a colour mask.
void MaskLayout(unsigned long mask, int* shift, int* bits) {
  *shift = *bits = 0;
  if (!mask) return;
  while (!(mask & 1)) mask >>= 1, ++*shift;
  while (mask & 1) mask >>= 1, ++*bits;
}

uint32_t ModifiersOf(unsigned int state) {
  uint32_t m = 0;
  if (state & ShiftMask) m |= kViewShift;
  if (state & ControlMask) m |= kViewControl;
  if (state & Mod1Mask) m |= kViewOption;
  if (state & Mod4Mask) m |= kViewCommand;
  if (state & Button1Mask) m |= kViewButton1Held;
  if (state & Button3Mask) m |= kViewButton3Held;
  return m;
}

ViewSpecialKey SpecialOf(KeySym sym) {
  switch (sym) {
    case XK_Left:
    case XK_KP_Left:
      return kViewSpecialLeft;
    case XK_Right:
    case XK_KP_Right:
      return kViewSpecialRight;
    case XK_Up:
    case XK_KP_Up:
      return kViewSpecialUp;
    case XK_Down:
    case XK_KP_Down:
      return kViewSpecialDown;
    case XK_space:
    case XK_KP_Space:
      return kViewSpecialSpace;
    case XK_Return:
      return kViewSpecialReturn;
    case XK_KP_Enter:
      return kViewSpecialEnter;
    case XK_Tab:
    case XK_ISO_Left_Tab:
    case XK_KP_Tab:
      return kViewSpecialTab;
    case XK_BackSpace:
      return kViewSpecialBackspace;
    case XK_Delete:
    case XK_KP_Delete:
      return kViewSpecialDelete;
    case XK_Escape:
      return kViewSpecialEscape;
    case XK_Home:
    case XK_KP_Home:
      return kViewSpecialHome;
    case XK_End:
    case XK_KP_End:
      return kViewSpecialEnd;
    default:
      return kViewSpecialNone;
  }
}

// The character a key symbol types (Latin-1 and the Unicode range of key
// symbols); 0 for none.
uint32_t CharacterOf(KeySym sym) {
  if ((sym >= 0x20 && sym <= 0x7e) || (sym >= 0xa0 && sym <= 0xff)) return static_cast<uint32_t>(sym);
  if ((sym & 0xff000000) == 0x01000000) return static_cast<uint32_t>(sym & 0x00ffffff);
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<uint32_t>('0' + (sym - XK_KP_0));
  return 0;
}

int EncodeUtf8(uint32_t c, char* out) {
  if (c < 0x80) return out[0] = static_cast<char>(c), 1;
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    if (c >= 0xD800 && c <= 0xDFFF) return 0;
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  if (c > 0x10FFFF) return 0;
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

Display* D(_XDisplay* d) { return d; }

// Tells the window manager that a top-level window keeps its size.
void FixSize(Display* display, Window window, int width, int height) {
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = width;
  hints->min_height = hints->max_height = height;
  XSetWMNormalHints(display, window, hints);
  XFree(hints);
}

}  // namespace

// ---- Connection ---------------------------------------------------------------------

std::unique_ptr<XlibBackend> XlibBackend::Connect() {
  std::lock_guard<std::mutex> hold(g_connectionLock);
  if (!g_display) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    if (visual->c_class != TrueColor || DefaultDepth(display, DefaultScreen(display)) < 15) {
      XCloseDisplay(display);
      return nullptr;
    }
    if (!g_owners) g_owners = new std::map<unsigned long, const void*>;
    Register(display);
    g_display = display;
  }
  ++g_users;
  return std::unique_ptr<XlibBackend>(new XlibBackend(g_display));
}

XlibBackend::XlibBackend(_XDisplay* display) : m_display(display) {
  m_screen = DefaultScreen(display);
  m_root = RootWindow(display, m_screen);
  Visual* visual = DefaultVisual(display, m_screen);
  m_visual = visual;
  m_depth = DefaultDepth(display, m_screen);
  m_gc = DefaultGC(display, m_screen);
  m_wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
  m_wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  MaskLayout(visual->red_mask, &m_shift[0], &m_bits[0]);
  MaskLayout(visual->green_mask, &m_shift[1], &m_bits[1]);
  MaskLayout(visual->blue_mask, &m_shift[2], &m_bits[2]);
}

XlibBackend::~XlibBackend() {
  DestroyMainWindow();
  XSync(m_display, False);
  std::lock_guard<std::mutex> hold(g_connectionLock);
  for (auto it = g_owners->begin(); it != g_owners->end();)
    it = it->second == this ? g_owners->erase(it) : std::next(it);
  if (--g_users > 0) return;
  Unregister(m_display);
  XCloseDisplay(m_display);
  g_display = nullptr;
}

void XlibBackend::Own(unsigned long window) {
  if (!window) return;
  std::lock_guard<std::mutex> hold(g_connectionLock);
  (*g_owners)[window] = this;
}

void XlibBackend::Disown(unsigned long window) {
  std::lock_guard<std::mutex> hold(g_connectionLock);
  auto found = g_owners->find(window);
  if (found != g_owners->end() && found->second == this) g_owners->erase(found);
}

unsigned long XlibBackend::Mark() { return NextRequest(D(m_display)); }

bool XlibBackend::FailedSince(unsigned long mark) {
  XSync(m_display, False);
  return LastError(m_display) >= mark;
}

int XlibBackend::ConnectionNumber() { return ::XConnectionNumber(m_display); }

void XlibBackend::WatchErrors(_XDisplay* display) { Register(display); }
void XlibBackend::UnwatchErrors(_XDisplay* display) { Unregister(display); }
unsigned long XlibBackend::LastErrorSerial(_XDisplay* display) { return LastError(display); }

void XlibBackend::Flush() { XSync(m_display, False); }

// ---- Main window ---------------------------------------------------------------------

bool XlibBackend::CreateMainWindow(unsigned long parent, int width, int height) {
  if (m_main || width <= 0 || height <= 0) return false;
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;  // the view paints every pixel itself
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          KeyPressMask | FocusChangeMask | StructureNotifyMask;
  const unsigned long mark = Mark();
  const Window window = XCreateWindow(m_display, parent ? parent : m_root, 0, 0, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                      CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask, &attributes);
  if (FailedSince(mark)) return false;  // no such parent window
  m_main = window;
  Own(window);
  m_width = width;
  m_height = height;
  m_parent = parent;
  m_topLevel = parent == 0;
  return true;
}

void XlibBackend::DestroyWindow(unsigned long* window) {
  if (*window) {
    XDestroyWindow(m_display, *window);
    Disown(*window);
  }
  *window = 0;
}

void XlibBackend::DestroyMainWindow() {
  for (int level = static_cast<int>(m_menus.size()) - 1; level >= 0; --level) HideMenu(level);
  DestroyWindow(&m_field);
  DestroyWindow(&m_main);
  XFlush(m_display);
}

void XlibBackend::Show(unsigned long parent) {
  if (!m_main) return;
  if (parent) {
    if (parent != m_parent) XReparentWindow(m_display, m_main, parent, 0, 0);
    m_parent = parent;
    m_topLevel = false;
  } else {
    if (m_parent) XReparentWindow(m_display, m_main, m_root, 0, 0);
    m_parent = 0;
    m_topLevel = true;
    XStoreName(m_display, m_main, "VivivI Editor");
    Atom protocols[] = {m_wmDeleteWindow};
    XSetWMProtocols(m_display, m_main, protocols, 1);
    FixSize(m_display, m_main, m_width, m_height);
  }
  XMapWindow(m_display, m_main);
  XFlush(m_display);
}

void XlibBackend::Detach() {
  if (!m_main) return;
  XUnmapWindow(m_display, m_main);
  if (m_parent) XReparentWindow(m_display, m_main, m_root, 0, 0);
  m_parent = 0;
  XFlush(m_display);
}

void XlibBackend::Resize(int width, int height) {
  m_width = width;
  m_height = height;
  if (!m_main) return;
  XResizeWindow(m_display, m_main, static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (m_topLevel) FixSize(m_display, m_main, width, height);
  XFlush(m_display);
}

void XlibBackend::Put(unsigned long window, const uint32_t* pixels, int rowSpan, int x, int y, int w, int h) {
  if (!window || w <= 0 || h <= 0) return;
  m_scratch.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  // Pixel words hold alpha, red, green, blue in their bytes from the lowest;
  // each channel goes to its place in the visual, cut to its width.
  for (int row = 0; row < h; ++row) {
    const uint32_t* from = pixels + static_cast<size_t>(y + row) * rowSpan + x;
    uint32_t* to = m_scratch.data() + static_cast<size_t>(row) * w;
    for (int col = 0; col < w; ++col) {
      const uint32_t p = from[col];
      const uint32_t channel[3] = {(p >> 8) & 0xff, (p >> 16) & 0xff, p >> 24};
      uint32_t v = 0;
      for (int c = 0; c < 3; ++c) v |= (channel[c] >> (8 - m_bits[c])) << m_shift[c];
      to[col] = v;
    }
  }
  XImage* image = XCreateImage(m_display, static_cast<Visual*>(m_visual), static_cast<unsigned>(m_depth),
                               ZPixmap, 0, reinterpret_cast<char*>(m_scratch.data()),
                               static_cast<unsigned>(w), static_cast<unsigned>(h), 32, w * 4);
  if (!image) return;
  image->byte_order = LSBFirst;  // the words are in this machine's order
  if (image->bits_per_pixel != 32) {
    // A visual stored in fewer bits: the image is made pixel by pixel.
    image->data = static_cast<char*>(malloc(static_cast<size_t>(image->bytes_per_line) * h));
    for (int row = 0; row < h && image->data; ++row)
      for (int col = 0; col < w; ++col)
        XPutPixel(image, col, row, m_scratch[static_cast<size_t>(row) * w + col]);
    if (image->data) XPutImage(m_display, window, static_cast<GC>(m_gc), image, 0, 0, x, y, w, h);
    XDestroyImage(image);
    return;
  }
  XPutImage(m_display, window, static_cast<GC>(m_gc), image, 0, 0, x, y, static_cast<unsigned>(w),
            static_cast<unsigned>(h));
  image->data = nullptr;  // the scratch buffer stays ours
  XDestroyImage(image);
}

void XlibBackend::PutMain(const uint32_t* pixels, int rowSpan, int width, int height, const ViewRect& clip) {
  const ViewRect area = clip.Clipped(ViewRect(0, 0, std::min(width, m_width), std::min(height, m_height)));
  if (area.Empty()) return;
  Put(m_main, pixels, rowSpan, area.L, area.T, area.W(), area.H());
  XFlush(m_display);
}

bool XlibBackend::ReadMain(uint32_t* pixels, int rowSpan, int width, int height) {
  if (!m_main) return false;
  const unsigned long mark = Mark();
  XImage* image = XGetImage(m_display, m_main, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (FailedSince(mark) || !image) {
    if (image) XDestroyImage(image);
    return false;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned long v = XGetPixel(image, x, y);
      uint32_t word = 0xff;
      for (int c = 0; c < 3; ++c) {
        uint32_t channel = static_cast<uint32_t>((v >> m_shift[c]) & ((1ul << m_bits[c]) - 1));
        channel = m_bits[c] >= 8 ? channel >> (m_bits[c] - 8) : (channel << (8 - m_bits[c]));
        word |= channel << (8 * (c + 1));
      }
      pixels[static_cast<size_t>(y) * rowSpan + x] = word;
    }
  XDestroyImage(image);
  return true;
}

void XlibBackend::TakeFocus(uint32_t time) {
  if (!m_main) return;
  XWindowAttributes attributes{};
  const unsigned long mark = Mark();
  if (!XGetWindowAttributes(m_display, m_main, &attributes) || FailedSince(mark) ||
      attributes.map_state != IsViewable)
    return;
  XSetInputFocus(m_display, m_main, RevertToParent, time ? time : CurrentTime);
  XFlush(m_display);
}

void XlibBackend::ForwardKey(const ViewEvent& key) {
  if (!m_main || !m_parent) return;
  XEvent event{};
  event.xkey.type = KeyPress;
  event.xkey.display = m_display;
  event.xkey.window = m_parent;
  event.xkey.root = m_root;
  event.xkey.time = key.time;
  event.xkey.x = key.x, event.xkey.y = key.y;
  event.xkey.x_root = key.rootX, event.xkey.y_root = key.rootY;
  event.xkey.state = key.nativeState;
  event.xkey.keycode = key.nativeKeyCode;
  event.xkey.same_screen = True;
  XSendEvent(m_display, m_parent, True, KeyPressMask, &event);
  XFlush(m_display);
}

void XlibBackend::ToScreen(int x, int y, int* screenX, int* screenY) {
  Window child = 0;
  *screenX = x, *screenY = y;
  if (m_main) XTranslateCoordinates(m_display, m_main, m_root, x, y, screenX, screenY, &child);
}

void XlibBackend::ScreenSize(int* width, int* height) {
  *width = DisplayWidth(m_display, m_screen);
  *height = DisplayHeight(m_display, m_screen);
}

// ---- Overlays ---------------------------------------------------------------------------

void XlibBackend::ShowField(const ViewRect& rect) {
  if (!m_main || rect.Empty()) return;
  DestroyWindow(&m_field);
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask;
  m_field = XCreateWindow(m_display, m_main, rect.L, rect.T, static_cast<unsigned>(rect.W()),
                          static_cast<unsigned>(rect.H()), 0, CopyFromParent, InputOutput, CopyFromParent,
                          CWBackPixmap | CWEventMask, &attributes);
  Own(m_field);
  XMapRaised(m_display, m_field);
  XFlush(m_display);
}

void XlibBackend::HideField() {
  DestroyWindow(&m_field);
  XFlush(m_display);
}

void XlibBackend::PutField(const uint32_t* pixels, int rowSpan, int width, int height) {
  Put(m_field, pixels, rowSpan, 0, 0, width, height);
  XFlush(m_display);
}

void XlibBackend::ShowMenu(int level, const ViewRect& screenRect) {
  if (level < 0 || screenRect.Empty()) return;
  if (level >= static_cast<int>(m_menus.size())) m_menus.resize(static_cast<size_t>(level) + 1, 0);
  unsigned long& window = m_menus[static_cast<size_t>(level)];
  if (window) {
    XMoveResizeWindow(m_display, window, screenRect.L, screenRect.T, static_cast<unsigned>(screenRect.W()),
                      static_cast<unsigned>(screenRect.H()));
  } else {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    window =
        XCreateWindow(m_display, m_root, screenRect.L, screenRect.T, static_cast<unsigned>(screenRect.W()),
                      static_cast<unsigned>(screenRect.H()), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWEventMask, &attributes);
    Own(window);
  }
  XMapRaised(m_display, window);
  if (level == 0 && !m_grabbed) {
    XSync(m_display, False);
    const unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    XGrabPointer(m_display, window, True, mask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(m_display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    m_grabbed = true;
  }
  XFlush(m_display);
}

void XlibBackend::HideMenu(int level) {
  if (level < 0 || level >= static_cast<int>(m_menus.size())) return;
  if (level == 0 && m_grabbed) {
    XUngrabPointer(m_display, CurrentTime);
    XUngrabKeyboard(m_display, CurrentTime);
    m_grabbed = false;
  }
  for (int i = static_cast<int>(m_menus.size()) - 1; i >= level; --i)
    DestroyWindow(&m_menus[static_cast<size_t>(i)]);
  m_menus.resize(static_cast<size_t>(level));
  XFlush(m_display);
}

void XlibBackend::PutMenu(int level, const uint32_t* pixels, int rowSpan, int width, int height) {
  if (level < 0 || level >= static_cast<int>(m_menus.size())) return;
  Put(m_menus[static_cast<size_t>(level)], pixels, rowSpan, 0, 0, width, height);
  XFlush(m_display);
}

// ---- Events -----------------------------------------------------------------------------

int XlibBackend::NextEvent(ViewEvent* event, int timeoutMs) {
  const int64_t deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
  for (;;) {
    // Only this back end's events leave the queue (and those of windows
    // nobody owns, which are dropped); the others wait for their owners.
    XEvent xevent;
    while (XCheckIfEvent(m_display, &xevent, Claim, reinterpret_cast<XPointer>(this)))
      if (OwnerOf(xevent.xany.window) == this && Translate(&xevent, event)) return 1;
    int wait = -1;
    if (deadline >= 0) {
      wait = static_cast<int>(std::max<int64_t>(0, deadline - NowMs()));
      if (wait == 0) return 0;
    }
    pollfd fd{::XConnectionNumber(m_display), POLLIN, 0};
    const int ready = poll(&fd, 1, wait);
    if (ready < 0 && errno != EINTR) return -1;
    if (ready > 0 && (fd.revents & (POLLERR | POLLHUP | POLLNVAL))) return -1;
  }
}

bool XlibBackend::Translate(_XEvent* xevent, ViewEvent* event) {
  XEvent& x = *xevent;
  *event = ViewEvent();
  const Window window = x.xany.window;
  if (window == m_main) {
    event->target = ViewEvent::kMainWindow;
  } else if (window == m_field && m_field) {
    event->target = ViewEvent::kTextField;
  } else {
    auto found = std::find(m_menus.begin(), m_menus.end(), window);
    if (found == m_menus.end() || !window) return false;
    event->target = ViewEvent::kMenu;
    event->menuLevel = static_cast<int>(found - m_menus.begin());
  }
  switch (x.type) {
    case ButtonPress:
    case ButtonRelease:
      event->kind = x.type == ButtonPress ? ViewEvent::kButtonPress : ViewEvent::kButtonRelease;
      event->x = x.xbutton.x, event->y = x.xbutton.y;
      event->rootX = x.xbutton.x_root, event->rootY = x.xbutton.y_root;
      event->button = static_cast<int>(x.xbutton.button);
      event->modifiers = ModifiersOf(x.xbutton.state);
      event->time = static_cast<uint32_t>(x.xbutton.time);
      return true;
    case MotionNotify: {
      // Only the last of a run of movements counts.
      XEvent next;
      while (XEventsQueued(m_display, QueuedAlready) > 0) {
        XPeekEvent(m_display, &next);
        if (next.type != MotionNotify || next.xmotion.window != window) break;
        XNextEvent(m_display, &x);
      }
      event->kind = ViewEvent::kMotion;
      event->x = x.xmotion.x, event->y = x.xmotion.y;
      event->rootX = x.xmotion.x_root, event->rootY = x.xmotion.y_root;
      event->modifiers = ModifiersOf(x.xmotion.state);
      event->time = static_cast<uint32_t>(x.xmotion.time);
      return true;
    }
    case KeyPress: {
      event->kind = ViewEvent::kKeyPress;
      event->x = x.xkey.x, event->y = x.xkey.y;
      event->rootX = x.xkey.x_root, event->rootY = x.xkey.y_root;
      event->modifiers = ModifiersOf(x.xkey.state);
      event->time = static_cast<uint32_t>(x.xkey.time);
      event->nativeKeyCode = x.xkey.keycode;
      event->nativeState = x.xkey.state;
      // The key as typed with Shift (and Caps Lock) only.
      XKeyEvent plain = x.xkey;
      plain.state &= ShiftMask | LockMask | Mod2Mask;
      char bytes[16];
      KeySym sym = NoSymbol;
      XLookupString(&plain, bytes, sizeof bytes, &sym, nullptr);
      event->special = SpecialOf(sym);
      const uint32_t c =
          event->special == kViewSpecialNone || event->special == kViewSpecialSpace ? CharacterOf(sym) : 0;
      if (c) {
        event->textCharacters = EncodeUtf8(c, event->text) > 0 ? 1 : 0;
      }
      return true;
    }
    case Expose:
      event->kind = ViewEvent::kExpose;
      event->x = x.xexpose.x, event->y = x.xexpose.y;
      event->width = x.xexpose.width, event->height = x.xexpose.height;
      return true;
    case FocusOut:
      // Focus moving inside the view, or taken by a menu's grab, is no loss.
      if (x.xfocus.mode != NotifyNormal || x.xfocus.detail == NotifyInferior ||
          x.xfocus.detail == NotifyPointer)
        return false;
      event->kind = ViewEvent::kFocusOut;
      return true;
    case ClientMessage:
      if (static_cast<unsigned long>(x.xclient.message_type) != m_wmProtocols ||
          static_cast<unsigned long>(x.xclient.data.l[0]) != m_wmDeleteWindow)
        return false;
      event->kind = ViewEvent::kCloseRequest;
      return true;
    case DestroyNotify:
      if (x.xdestroywindow.window != m_main) return false;
      // Destroyed with the window that held it: its id is dead.
      Disown(m_main);
      Disown(m_field);
      m_main = 0;
      m_field = 0;
      event->kind = ViewEvent::kDestroyed;
      return true;
    default:
      return false;
  }
}

// ---- Choice of back end ---------------------------------------------------------------------

std::unique_ptr<ViewBackend> MakeViewBackend() {
  const char* choice = getenv("VIVIVI_VIEW");
  if (!(choice && strcmp(choice, "headless") == 0))
    if (std::unique_ptr<XlibBackend> x = XlibBackend::Connect()) return x;
  return std::unique_ptr<ViewBackend>(new HeadlessBackend);
}
