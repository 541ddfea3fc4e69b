#include "host/window_editor.h"

#include <dlfcn.h>
#include <poll.h>
#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/editor_commands.h"
#include "host/window_png.h"
#include "platform/audiounit/AudioUnit.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/view/ViewPane.h"

// clang-format off
// After every other header: Xlib's macros clash with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef ConnectionNumber  // the pane's member of this name
// clang-format on

namespace {

Display* D(void* display) { return static_cast<Display*>(display); }

double NowSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// Protocol errors on the host's connection are reported and the host goes on.
int HostXError(Display* display, XErrorEvent* error) {
  char text[256] = {0};
  XGetErrorText(display, error->error_code, text, sizeof text);
  fprintf(stderr, "vivivi-host: X error: %s (request %d)\n", text, error->request_code);
  return 0;
}

std::string TextOf(CFStringRef string) {
  char buffer[512] = {0};
  if (!string || !CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8)) return "";
  return buffer;
}

}  // namespace

bool EditorWindow::IsHeadless() const { return m_pane && m_pane->IsHeadless(); }

bool EditorWindow::OpenHostWindow(std::string* error) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return true;  // headless
  XSetErrorHandler(HostXError);
  m_display = display;
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.event_mask = StructureNotifyMask;
  m_window = XCreateWindow(display, RootWindow(display, screen), 0, 0, 100, 100, 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
  if (!m_window) {
    *error = "cannot make the host's window";
    return false;
  }
  Atom deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
  m_deleteAtom = deleteAtom;
  XSetWMProtocols(display, m_window, &deleteAtom, 1);
  XSync(display, False);
  return true;
}

// The host's window takes the editor's size and shows it.
void EditorWindow::FitHostWindow() {
  if (!m_display || !m_pane) return;
  const int w = m_pane->Width(), h = m_pane->Height();
  XResizeWindow(D(m_display), m_window, static_cast<unsigned>(w), static_cast<unsigned>(h));
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = w;
  hints->min_height = hints->max_height = h;
  XSetWMNormalHints(D(m_display), m_window, hints);
  XFree(hints);
  XMapWindow(D(m_display), m_window);
  XSync(D(m_display), False);
}

bool EditorWindow::Open(const LoadedComponent& component, AudioUnit unit, Road road, bool headless,
                        std::string* error) {
  Close();
  m_road = road;
  m_closedByUser = false;
  if (headless) setenv("VIVIVI_VIEW", "headless", 1);
  if (!headless && !OpenHostWindow(error)) {
    Close();
    return false;
  }
  const bool opened = road == kHostWindow ? OpenThroughHostWindow(component, unit, error)
                                          : OpenThroughFactory(component, unit, error);
  if (!opened) {
    Close();
    return false;
  }
  if (m_display) XStoreName(D(m_display), m_window, (component.name + " editor").c_str());
  FitHostWindow();
  Sync();
  fprintf(m_out, "editor open: %s, %dx%d, %s, host window 0x%lx, editor window 0x%lx\n",
          road == kHostWindow ? "in the host's window" : "from the view factory", m_pane->Width(),
          m_pane->Height(), m_pane->IsHeadless() ? "headless" : "on the display", m_window,
          m_pane->NativeWindow());
  return true;
}

bool EditorWindow::OpenThroughHostWindow(const LoadedComponent& component, AudioUnit unit,
                                         std::string* error) {
  if (!component.viewEntry) {
    *error = "the bundle exports no view entry";
    return false;
  }
  const ComponentDescription description{kAudioUnitCarbonViewComponentType,
                                         component.description.componentSubType,
                                         component.description.componentManufacturer, 0, 0};
  OSStatus status = OpenComponentInstance(component.viewEntry, &description, nullptr, &m_viewComponent);
  if (status != noErr) {
    *error = "the view component did not open (status " + std::to_string(status) + ")";
    return false;
  }
  const Float32Point where{0, 0}, size{0, 0};
  ControlRef control = nullptr;
  status = AudioUnitCarbonViewCreate(m_viewComponent, unit, reinterpret_cast<WindowRef>(m_window), nullptr,
                                     &where, &size, &control);
  if (status != noErr || !control) {
    *error = "the unit made no editor in the host's window (status " + std::to_string(status) + ")";
    return false;
  }
  // The control is the editor's pane.
  m_pane = static_cast<ViewPane*>(control);
  return true;
}

bool EditorWindow::OpenThroughFactory(const LoadedComponent& component, AudioUnit unit, std::string* error) {
  AudioUnitCocoaViewInfo info{};
  uint32_t size = sizeof info;
  const OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr) {
    *error = "the unit offers no view factory (status " + std::to_string(status) + ")";
    return false;
  }
  const std::string factory = TextOf(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  typedef void* (*ViewCall)(AudioUnit, float, float);
  const std::string symbol = factory + "_uiViewForAudioUnit";
  ViewCall call = reinterpret_cast<ViewCall>(dlsym(component.handle, symbol.c_str()));
  if (!call) {
    *error = "the bundle exports no \"" + symbol + "\" for its view factory \"" + factory + "\"";
    return false;
  }
  void* view = call(unit, 0, 0);
  if (!view) {
    *error = "the view factory \"" + factory + "\" made no view";
    return false;
  }
  m_pane = static_cast<ViewPane*>(view);
  m_pane->AddToParent(m_window);
  return true;
}

void EditorWindow::Close() {
  if (m_pane && m_road == kViewFactory) m_pane->RemoveFromParent();
  m_pane = nullptr;
  if (m_viewComponent) CloseComponentInstance(m_viewComponent);
  m_viewComponent = nullptr;
  if (m_display) {
    if (m_window) XDestroyWindow(D(m_display), m_window);
    XCloseDisplay(D(m_display));
  }
  m_display = nullptr;
  m_window = 0;
}

// Handles the host window's own events; false once the user closed it.
bool EditorWindow::HandleHostEvents() {
  if (!m_display) return true;
  while (XPending(D(m_display)) > 0) {
    XEvent event;
    XNextEvent(D(m_display), &event);
    if (event.type == ClientMessage && static_cast<unsigned long>(event.xclient.data.l[0]) == m_deleteAtom)
      m_closedByUser = true;
  }
  return !m_closedByUser;
}

void EditorWindow::Run(double seconds) {
  if (!m_pane) return;
  if (m_pane->IsHeadless()) {
    Sync();
    return;
  }
  const double end = seconds > 0 ? NowSeconds() + seconds : 0;
  while (HandleHostEvents() && !m_pane->CloseRequested()) {
    int wait = m_pane->MillisecondsToNextTick();
    if (end > 0) {
      const double left = end - NowSeconds();
      if (left <= 0) break;
      const int leftMs = static_cast<int>(left * 1000) + 1;
      if (wait < 0 || wait > leftMs) wait = leftMs;
    }
    pollfd fds[2] = {{XConnectionNumber(D(m_display)), POLLIN, 0}, {m_pane->ConnectionNumber(), POLLIN, 0}};
    if (poll(fds, 2, wait) < 0 && errno != EINTR) break;
    m_pane->RunPending();
  }
}

void EditorWindow::Sync() {
  if (!m_pane) return;
  if (m_display) XSync(D(m_display), False);
  m_pane->Synchronize();
  HandleHostEvents();
}

bool EditorWindow::WritePng(const std::string& path, bool drawBitmap, std::string* error) {
  if (!m_pane) {
    *error = "no editor is open";
    return false;
  }
  const int w = m_pane->Width(), h = m_pane->Height();
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  const bool read =
      drawBitmap ? m_pane->ReadDrawBitmap(pixels.data(), w) : m_pane->ReadWindow(pixels.data(), w);
  if (!read) {
    *error = drawBitmap ? "the editor has no draw bitmap" : "the editor's window cannot be read";
    return false;
  }
  return WriteWindowPng(path, pixels.data(), w, w, h, error);
}

void EditorWindow::Pump(int milliseconds) {
  if (!m_pane) return;
  const double end = NowSeconds() + milliseconds / 1000.0;
  // A headless timer fires only when told: once a frame (25 a second).
  const int headlessFrameMs = 40;
  for (;;) {
    const double left = end - NowSeconds();
    if (left <= 0 || !HandleHostEvents()) break;
    int wait = static_cast<int>(left * 1000) + 1;
    if (m_pane->IsHeadless()) {
      m_pane->Synchronize();
      if (wait > headlessFrameMs) wait = headlessFrameMs;
      poll(nullptr, 0, wait);
      continue;
    }
    const int tick = m_pane->MillisecondsToNextTick();
    if (tick >= 0 && tick < wait) wait = tick;
    pollfd fds[2] = {{m_display ? XConnectionNumber(D(m_display)) : -1, POLLIN, 0},
                     {m_pane->ConnectionNumber(), POLLIN, 0}};
    if (poll(fds, 2, wait) < 0 && errno != EINTR) break;
    m_pane->RunPending();
  }
  m_pane->RunPending();
}

void EditorWindow::Pause(int milliseconds) {
  const double end = NowSeconds() + milliseconds / 1000.0;
  for (double left; (left = end - NowSeconds()) > 0;) {
    HandleHostEvents();
    poll(nullptr, 0, static_cast<int>(left * 1000) + 1);
  }
}

// ---- Host actions -------------------------------------------------------------------

const char kEditorUsage[] =
    "  open-editor ROAD         open the editor: ROAD \"window\" hands the host's window to the\n"
    "                           view component, \"view\" asks the unit's view factory\n"
    "  run-editor SECONDS       run the editor's window (0: until it is closed)\n"
    "  editor-png FILE          write what the editor's window shows as a PNG\n"
    "  editor-bitmap-png FILE   write the editor's draw bitmap as a PNG\n"
    "  editor-commands          take editor commands from standard input until quit; the unit\n"
    "                           renders on its own thread meanwhile, as in a workstation\n"
    "                           (the commands are listed below)\n"
    "  close-editor             close the editor\n"
    "                           (headless without a display or with VIVIVI_VIEW=headless)\n";

int EditorActionArity(const std::string& action) {
  static const struct {
    const char* name;
    int values;
  } kActions[] = {{"open-editor", 1},       {"run-editor", 1},      {"editor-png", 1},
                  {"editor-bitmap-png", 1}, {"editor-commands", 0}, {"close-editor", 0}};
  for (const auto& a : kActions)
    if (action == a.name) return a.values;
  return -1;
}

bool DoEditorAction(EditorWindow* editor, const std::string& action, const std::vector<std::string>& values,
                    const LoadedComponent& component, AudioUnit unit, EditorCommandHost* host,
                    std::string* error) {
  if (action == "open-editor") {
    if (values[0] != "window" && values[0] != "view") {
      *error = "open-editor takes \"window\" or \"view\"";
      return false;
    }
    const char* headless = getenv("VIVIVI_VIEW");
    return editor->Open(component, unit,
                        values[0] == "window" ? EditorWindow::kHostWindow : EditorWindow::kViewFactory,
                        headless && strcmp(headless, "headless") == 0, error);
  }
  if (action == "close-editor") {
    editor->Close();
    return true;
  }
  if (!editor->IsOpen()) {
    *error = action + " needs an open editor (open-editor first)";
    return false;
  }
  if (action == "run-editor") {
    char* end = nullptr;
    const double seconds = strtod(values[0].c_str(), &end);
    if (values[0].empty() || *end || !(seconds >= 0 && seconds <= 1e6)) {
      *error = "run-editor takes a number of seconds, 0 or more";
      return false;
    }
    editor->Run(seconds);
    return true;
  }
  if (action == "editor-png" || action == "editor-bitmap-png") {
    editor->Sync();
    if (!editor->WritePng(values[0], action == "editor-bitmap-png", error)) return false;
    printf("wrote %s\n", values[0].c_str());
    return true;
  }
  if (action == "editor-commands") {
    EditorCommands commands(editor, unit, host, stdout);
    if (!commands.Run(stdin)) {
      *error = "an editor command failed";
      return false;
    }
    return true;
  }
  *error = "unknown editor action " + action;
  return false;
}
