// The X drag-and-drop protocol on the window model's connection, in reading
// order:
//   1. names and small helpers: atoms, file URIs, properties, waiting
//   2. drops from other programs: registration, the target's messages
//   3. drags to other programs: the source's loop and its data
#include "platform/window/WindowDragX.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/window/WindowXConnection.h"

// Xlib last: its macros would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// ---- 1. Names and helpers --------------------------------------------------------------------

const long kVersion = 5;
// How long a peer may take to answer a request of the protocol.
const int kAnswerMs = 2000;
// How long a target may take to finish a drop (a promised file is written
// meanwhile, perhaps after the user answered an alert).
const int kFinishMs = 60000;
// Data above this size is refused (no incremental transfers).
const long kLargestData = 1 << 20;

struct Atoms {
  Atom aware, proxy, enter, position, status, leave, drop, finished, selection, typeList, actionCopy, uriList,
      directSave, textPlain, targets, data, timestamp, incr;
  explicit Atoms(Display* d) {
    aware = XInternAtom(d, "XdndAware", False);
    proxy = XInternAtom(d, "XdndProxy", False);
    enter = XInternAtom(d, "XdndEnter", False);
    position = XInternAtom(d, "XdndPosition", False);
    status = XInternAtom(d, "XdndStatus", False);
    leave = XInternAtom(d, "XdndLeave", False);
    drop = XInternAtom(d, "XdndDrop", False);
    finished = XInternAtom(d, "XdndFinished", False);
    selection = XInternAtom(d, "XdndSelection", False);
    typeList = XInternAtom(d, "XdndTypeList", False);
    actionCopy = XInternAtom(d, "XdndActionCopy", False);
    uriList = XInternAtom(d, "text/uri-list", False);
    directSave = XInternAtom(d, "XdndDirectSave0", False);
    textPlain = XInternAtom(d, "text/plain", False);
    targets = XInternAtom(d, "TARGETS", False);
    data = XInternAtom(d, "WINL_XDND_DATA", False);
    timestamp = XInternAtom(d, "WINL_XDND_TIME", False);
    incr = XInternAtom(d, "INCR", False);
  }
};

std::string HostName() {
  char name[256] = "";
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  name[sizeof name - 1] = 0;
  return name;
}

bool Unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

// A file URI of an absolute path, its bytes escaped where a URI needs it.
std::string FileURI(const std::string& path, const std::string& host) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "file://" + host;
  for (unsigned char c : path) {
    if (Unreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The local path of a file URI ("file:/p", "file:///p", "file://host/p"
// with this host or "localhost"); empty for anything else, a malformed
// escape or a NUL in the path.
std::string PathOfURI(const std::string& uri) {
  if (uri.compare(0, 5, "file:") != 0) return std::string();
  std::string rest = uri.substr(5);
  if (rest.compare(0, 2, "//") == 0) {
    const size_t slash = rest.find('/', 2);
    if (slash == std::string::npos) return std::string();
    const std::string host = rest.substr(2, slash - 2);
    if (!host.empty() && host != "localhost" && host != HostName()) return std::string();
    rest = rest.substr(slash);
  }
  if (rest.empty() || rest[0] != '/') return std::string();
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path += rest[i];
      continue;
    }
    const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
    if (high < 0 || low < 0) return std::string();
    const char c = static_cast<char>(high * 16 + low);
    if (c == 0) return std::string();
    path += c;
    i += 2;
  }
  return path;
}

// The local paths of a text/uri-list: one URI a line, lines ended by CR LF
// (or LF), '#' lines are comments.
std::vector<std::string> PathsOfURIList(const std::string& list) {
  std::vector<std::string> paths;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string::npos) end = list.size();
    std::string line = list.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string path = PathOfURI(line);
    if (!path.empty()) paths.push_back(path);
  }
  return paths;
}

std::string LastComponent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TypeOf(const std::string& name) {
  const std::string last = LastComponent(name);
  const size_t dot = last.rfind('.');
  return dot == std::string::npos ? last : last.substr(dot + 1);
}

// A whole property of window as bytes (8-bit) or words (32-bit, as longs);
// false when it is missing, of another format, or too large.
bool ReadProperty(Display* d, Window window, Atom property, Atom* type, int* format,
                  std::vector<unsigned char>* bytes, bool remove) {
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const unsigned long mark = WmXConnection::Mark();
  const int status = XGetWindowProperty(d, window, property, 0, kLargestData / 4, remove ? True : False,
                                        AnyPropertyType, &actualType, &actualFormat, &count, &after, &data);
  const bool failed = WmXConnection::FailedSince(mark);
  if (status != Success || failed || actualType == None || after > 0) {
    if (data) XFree(data);
    return false;
  }
  const size_t unit = actualFormat == 8 ? 1 : actualFormat == 16 ? sizeof(short) : sizeof(long);
  bytes->assign(data, data + count * unit);
  XFree(data);
  *type = actualType;
  *format = actualFormat;
  return true;
}

std::string ReadText(Display* d, Window window, Atom property, bool remove) {
  Atom type;
  int format;
  std::vector<unsigned char> bytes;
  if (!ReadProperty(d, window, property, &type, &format, &bytes, remove) || format != 8) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

// XdndAware's version of window; 0 when it has none.
long AwareVersion(Display* d, Window window, const Atoms& a) {
  Atom type;
  int format;
  std::vector<unsigned char> bytes;
  if (!ReadProperty(d, window, a.aware, &type, &format, &bytes, false) || format != 32 ||
      bytes.size() < sizeof(long))
    return 0;
  long version;
  memcpy(&version, bytes.data(), sizeof version);
  return version;
}

// Where the messages for target go: its proxy when it names one that names
// itself, else the target.
Window Destination(Display* d, Window target, const Atoms& a) {
  auto proxyOf = [&](Window w) -> Window {
    Atom type;
    int format;
    std::vector<unsigned char> bytes;
    if (!ReadProperty(d, w, a.proxy, &type, &format, &bytes, false) || type != XA_WINDOW || format != 32 ||
        bytes.size() < sizeof(long))
      return 0;
    long id;
    memcpy(&id, bytes.data(), sizeof id);
    return static_cast<Window>(id);
  };
  const Window proxy = proxyOf(target);
  return proxy && proxyOf(proxy) == proxy ? proxy : target;
}

void SendMessage(Display* d, Window to, Window about, Atom type, const long (&data)[5]) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.display = d;
  e.xclient.window = about;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  for (int i = 0; i < 5; ++i) e.xclient.data.l[i] = data[i];
  XSendEvent(d, to, False, NoEventMask, &e);
  XFlush(d);
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Waits up to ms for the connection to have input.
void WaitForInput(Display* d, int ms) {
  if (XPending(d) > 0) return;
  pollfd fd{XConnectionNumber(d), POLLIN, 0};
  poll(&fd, 1, ms);
}

// Waits for the SelectionNotify that answers a conversion to requestor;
// other events stay queued. False after kAnswerMs.
bool WaitForSelection(Display* d, Window requestor, XEvent* answer) {
  const int64_t deadline = NowMs() + kAnswerMs;
  for (;;) {
    if (XCheckTypedWindowEvent(d, requestor, SelectionNotify, answer)) return true;
    const int64_t left = deadline - NowMs();
    if (left <= 0) return false;
    WaitForInput(d, static_cast<int>(left < 20 ? left : 20));
  }
}

// ---- 2. Drops from other programs -------------------------------------------------------------

// A drag another program runs over one of our windows.
struct Incoming {
  Window source = 0;
  Window toplevel = 0;
  WmWindow* window = nullptr;
  bool offersFiles = false, offersPromise = false;
  bool fetched = false;
  WmDragInfo info;
  WmDropTracker tracker;
};

class Xdnd {
 public:
  static Xdnd& Shared() {
    static Xdnd* shared = new Xdnd;
    return *shared;
  }

  bool Register(WmWindow* window, Window toplevel);
  void Unregister(Window toplevel);
  bool RunDrag(const WmDragSource& source);

 private:
  struct Entry {
    WmWindow* window;
    Window proxy;
  };

  void OnTargetMessage(XEvent* event, Window toplevel);
  void Enter(const XClientMessageEvent& m, Window toplevel);
  void Position(const XClientMessageEvent& m);
  void Drop(const XClientMessageEvent& m);
  void FetchOffer(Time time);
  std::vector<std::string> FetchFiles(Time time);
  std::vector<std::string> SaveInto(Window source, Window proxy, const std::string& name, Time time,
                                    const std::string& folder);
  WmPoint BaseLocation(Window toplevel, WmWindow* window, int rootX, int rootY);
  void EndIncoming();

  // Source side.
  Time ServerTime(Window window);
  void Serve(const XSelectionRequestEvent& request, const WmDragSource& source);
  WmWindow* FindTarget(int x, int y, Window* target, Window* destination, long* version);

  // The connection while anything is registered or a drag runs, and the
  // atoms interned on it (the server forgets them when it resets after its
  // last client left, so they are interned again for each new connection).
  void Use(Display* d) {
    if (d == m_display && m_atoms) return;
    m_display = d;
    delete m_atoms;
    m_atoms = new Atoms(d);
  }
  Display* m_display = nullptr;
  Atoms* m_atoms = nullptr;
  std::map<Window, Entry> m_windows;  // by toplevel
  Incoming* m_incoming = nullptr;
  Window m_source = 0;  // our drag source window
};

bool Xdnd::Register(WmWindow* window, Window toplevel) {
  if (!toplevel || m_windows.count(toplevel)) return false;
  Display* d = WmXConnection::Acquire();
  if (!d) return false;
  Use(d);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  const Window proxy = XCreateWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
                                     CopyFromParent, CWOverrideRedirect, &attributes);
  const long version = kVersion;
  const long proxyId = static_cast<long>(proxy);
  for (Window w : {toplevel, proxy}) {
    XChangeProperty(d, w, m_atoms->aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XChangeProperty(d, w, m_atoms->proxy, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&proxyId), 1);
  }
  XFlush(d);

  m_windows[toplevel] = Entry{window, proxy};
  // Messages come to the proxy naming the toplevel (or, from a source that
  // reads no proxy, the proxy itself).
  for (Window w : {toplevel, proxy})
    WmXConnection::Watch(w, [this, toplevel](XEvent* event) { OnTargetMessage(event, toplevel); });
  return true;
}

void Xdnd::Unregister(Window toplevel) {
  auto found = m_windows.find(toplevel);
  if (found == m_windows.end()) return;
  if (m_incoming && m_incoming->toplevel == toplevel) EndIncoming();
  Display* d = m_display;
  WmXConnection::Unwatch(found->second.proxy);
  WmXConnection::Unwatch(toplevel);
  XDestroyWindow(d, found->second.proxy);
  // The toplevel may be gone already; its properties go with it then.
  const unsigned long mark = WmXConnection::Mark();
  XDeleteProperty(d, toplevel, m_atoms->aware);
  XDeleteProperty(d, toplevel, m_atoms->proxy);
  WmXConnection::FailedSince(mark);
  m_windows.erase(found);
  WmXConnection::Release();
}

void Xdnd::OnTargetMessage(XEvent* event, Window toplevel) {
  if (event->type != ClientMessage || event->xclient.format != 32) return;
  const XClientMessageEvent& m = event->xclient;
  const Atoms& a = *m_atoms;
  if (m.message_type == a.enter) {
    Enter(m, toplevel);
    return;
  }
  // The other messages belong to the drag that entered, from its source.
  if (!m_incoming || static_cast<Window>(m.data.l[0]) != m_incoming->source) return;
  if (m.message_type == a.position) {
    Position(m);
  } else if (m.message_type == a.leave) {
    m_incoming->tracker.Leave(m_incoming->info);
    EndIncoming();
  } else if (m.message_type == a.drop) {
    Drop(m);
  }
}

void Xdnd::Enter(const XClientMessageEvent& m, Window toplevel) {
  EndIncoming();
  auto found = m_windows.find(toplevel);
  if (found == m_windows.end() || !WmIsLive(found->second.window)) return;
  const Atoms& a = *m_atoms;
  m_incoming = new Incoming;
  m_incoming->source = static_cast<Window>(m.data.l[0]);
  m_incoming->toplevel = toplevel;
  m_incoming->window = found->second.window;
  std::vector<Atom> types;
  if (m.data.l[1] & 1) {
    Atom type;
    int format;
    std::vector<unsigned char> bytes;
    if (ReadProperty(m_display, m_incoming->source, a.typeList, &type, &format, &bytes, false) &&
        format == 32)
      for (size_t i = 0; i + sizeof(long) <= bytes.size(); i += sizeof(long)) {
        long atom;
        memcpy(&atom, bytes.data() + i, sizeof atom);
        types.push_back(static_cast<Atom>(atom));
      }
  } else {
    for (int i = 2; i < 5; ++i)
      if (m.data.l[i]) types.push_back(static_cast<Atom>(m.data.l[i]));
  }
  for (Atom type : types) {
    if (type == a.uriList) m_incoming->offersFiles = true;
    if (type == a.directSave) m_incoming->offersPromise = true;
  }
}

WmPoint Xdnd::BaseLocation(Window toplevel, WmWindow* window, int rootX, int rootY) {
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(m_display, DefaultRootWindow(m_display), toplevel, rootX, rootY, &x, &y, &child);
  return WmPoint{static_cast<double>(x), window->frame().height - y};
}

// What the drag offers, read once when it first moves over a window: the
// file names, or the promised file's name from the source's window.
void Xdnd::FetchOffer(Time time) {
  Incoming& in = *m_incoming;
  in.fetched = true;
  if (in.offersFiles) {
    in.info.files = FetchFiles(time);
  } else if (in.offersPromise) {
    const std::string name = LastComponent(ReadText(m_display, in.source, m_atoms->directSave, false));
    if (name.empty() || name == "." || name == "..") return;
    in.info.promisedTypes = {TypeOf(name)};
    const Window source = in.source, proxy = m_windows[in.toplevel].proxy;
    in.info.writePromised = [this, source, proxy, name, time](const std::string& folder) {
      return SaveInto(source, proxy, name, time, folder);
    };
  }
}

std::vector<std::string> Xdnd::FetchFiles(Time time) {
  const Window proxy = m_windows[m_incoming->toplevel].proxy;
  XConvertSelection(m_display, m_atoms->selection, m_atoms->uriList, m_atoms->data, proxy, time);
  XFlush(m_display);
  XEvent answer;
  if (!WaitForSelection(m_display, proxy, &answer) || answer.xselection.property == None) return {};
  Atom type;
  int format;
  std::vector<unsigned char> bytes;
  if (!ReadProperty(m_display, proxy, m_atoms->data, &type, &format, &bytes, true) || format != 8 ||
      type == m_atoms->incr)
    return {};
  return PathsOfURIList(std::string(bytes.begin(), bytes.end()));
}

// The direct-save exchange: the source learns where to write the promised
// file (a file URI in its window's property) and answers "S" once it did.
std::vector<std::string> Xdnd::SaveInto(Window source, Window proxy, const std::string& name, Time time,
                                        const std::string& folder) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  const std::string uri = FileURI(path, HostName());
  const unsigned long mark = WmXConnection::Mark();
  XChangeProperty(m_display, source, m_atoms->directSave, m_atoms->textPlain, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(uri.data()), static_cast<int>(uri.size()));
  if (WmXConnection::FailedSince(mark)) return {};
  XConvertSelection(m_display, m_atoms->selection, m_atoms->directSave, m_atoms->data, proxy, time);
  XFlush(m_display);
  XEvent answer;
  if (!WaitForSelection(m_display, proxy, &answer) || answer.xselection.property == None) return {};
  if (ReadText(m_display, proxy, m_atoms->data, true) != "S") return {};
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {};
  return {name};
}

void Xdnd::Position(const XClientMessageEvent& m) {
  Incoming& in = *m_incoming;
  const Time time = static_cast<Time>(m.data.l[3]);
  int operation = 0;
  if (WmIsLive(in.window)) {
    if (!in.fetched) FetchOffer(time);
    in.info.window = in.window;
    in.info.location = BaseLocation(in.toplevel, in.window, static_cast<int>((m.data.l[2] >> 16) & 0xFFFF),
                                    static_cast<int>(m.data.l[2] & 0xFFFF));
    operation = in.tracker.Move(in.info);
  }
  if (!m_incoming) return;  // the view ended it meanwhile
  const long accepted = operation != 0 ? 1 : 0;
  // Bit 1: positions are wanted everywhere (views differ inside the window).
  const long status[5] = {static_cast<long>(in.toplevel), accepted | 2, 0, 0,
                          accepted ? static_cast<long>(m_atoms->actionCopy) : 0};
  SendMessage(m_display, in.source, in.source, m_atoms->status, status);
}

void Xdnd::Drop(const XClientMessageEvent&) {
  Incoming* in = m_incoming;
  const Window source = in->source, toplevel = in->toplevel;
  const bool taken = in->tracker.target() && WmIsLive(in->window) && in->tracker.Drop(in->info);
  // The source hears the end even when the drop closed the window.
  const long finished[5] = {static_cast<long>(toplevel), taken ? 1 : 0,
                            taken ? static_cast<long>(m_atoms->actionCopy) : 0, 0, 0};
  SendMessage(m_display, source, source, m_atoms->finished, finished);
  if (m_incoming == in) EndIncoming();
}

void Xdnd::EndIncoming() {
  delete m_incoming;
  m_incoming = nullptr;
}

// ---- 3. Drags to other programs -------------------------------------------------------------

// A time stamp of the server: a property change on window answers with one.
Time Xdnd::ServerTime(Window window) {
  XChangeProperty(m_display, window, m_atoms->timestamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XFlush(m_display);
  const int64_t deadline = NowMs() + kAnswerMs;
  XEvent event;
  while (NowMs() < deadline) {
    if (XCheckTypedWindowEvent(m_display, window, PropertyNotify, &event) &&
        event.xproperty.atom == m_atoms->timestamp)
      return event.xproperty.time;
    WaitForInput(m_display, 20);
  }
  return CurrentTime;
}

// The window under the root point that speaks the protocol: one of ours
// (returned), or another program's (*target, with *destination where its
// messages go and its *version); nothing found leaves *target 0.
WmWindow* Xdnd::FindTarget(int x, int y, Window* target, Window* destination, long* version) {
  *target = *destination = 0;
  *version = 0;
  const Window root = DefaultRootWindow(m_display);
  Window at = root;
  for (int depth = 0; depth < 8; ++depth) {
    int tx = 0, ty = 0;
    Window child = 0;
    const unsigned long mark = WmXConnection::Mark();
    XTranslateCoordinates(m_display, root, at, x, y, &tx, &ty, &child);
    if (WmXConnection::FailedSince(mark) || !child) return nullptr;
    at = child;
    auto own = m_windows.find(at);
    if (own != m_windows.end()) {
      *target = at;
      return WmIsLive(own->second.window) ? own->second.window : nullptr;
    }
    const long v = AwareVersion(m_display, at, *m_atoms);
    if (v >= 3) {
      *target = at;
      *destination = Destination(m_display, at, *m_atoms);
      *version = v < kVersion ? v : kVersion;
      return nullptr;
    }
  }
  return nullptr;
}

void Xdnd::Serve(const XSelectionRequestEvent& request, const WmDragSource& source) {
  const Atoms& a = *m_atoms;
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.display = m_display;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.property = None;
  reply.xselection.time = request.time;
  const Atom property = request.property != None ? request.property : request.target;
  const bool promised = source.files.empty();
  const unsigned long mark = WmXConnection::Mark();
  if (request.selection == a.selection && request.owner == m_source) {
    if (request.target == a.targets) {
      const long offered[2] = {static_cast<long>(a.targets),
                               static_cast<long>(promised ? a.directSave : a.uriList)};
      XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 2);
      reply.xselection.property = property;
    } else if (request.target == a.uriList && !promised) {
      std::string list;
      for (const std::string& file : source.files) list += FileURI(file, std::string()) + "\r\n";
      XChangeProperty(m_display, request.requestor, property, a.uriList, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
      reply.xselection.property = property;
    } else if (request.target == a.directSave && promised && source.writePromised) {
      // The target put where to write into our window's property.
      const std::string path = PathOfURI(ReadText(m_display, m_source, a.directSave, false));
      const size_t slash = path.rfind('/');
      std::string written;
      const bool saved =
          slash != std::string::npos &&
          source.writePromised(slash == 0 ? std::string("/") : path.substr(0, slash), &written);
      const char* code = saved ? "S" : "E";
      XChangeProperty(m_display, request.requestor, property, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(code), 1);
      reply.xselection.property = property;
    }
  }
  XSendEvent(m_display, request.requestor, False, NoEventMask, &reply);
  XFlush(m_display);
  WmXConnection::FailedSince(mark);  // a requestor that went away meanwhile
}

bool Xdnd::RunDrag(const WmDragSource& source) {
  const bool promised = source.files.empty();
  if (promised && (source.promisedName.empty() || !source.writePromised)) return false;
  if (m_source) return false;  // one drag at a time
  Display* d = WmXConnection::Acquire();
  if (!d) return false;
  Use(d);
  const Atoms& a = *m_atoms;
  const Window root = DefaultRootWindow(d);
  // The drag's own window: it owns the selection and gets the answers.
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.event_mask = PropertyChangeMask;
  m_source = XCreateWindow(d, root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                           CWOverrideRedirect | CWEventMask, &attributes);
  auto finish = [&]() {
    XDestroyWindow(d, m_source);
    m_source = 0;
    XFlush(d);
    WmXConnection::Release();
  };
  const Time time = ServerTime(m_source);
  XSetSelectionOwner(d, a.selection, m_source, time);
  if (XGetSelectionOwner(d, a.selection) != m_source) {
    finish();
    return false;
  }
  const Atom offered = promised ? a.directSave : a.uriList;
  XChangeProperty(d, m_source, a.typeList, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&offered), 1);
  if (promised) {
    const std::string name = LastComponent(source.promisedName);
    XChangeProperty(d, m_source, a.directSave, a.textPlain, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(name.data()), static_cast<int>(name.size()));
  }
  // The pointer's events come to us while we can have them; the button
  // that started the drag may hold them for the presenter's window, and
  // the pointer is followed by asking the server either way.
  const bool grabbed = XGrabPointer(d, root, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                    GrabModeAsync, None, None, time) == GrabSuccess;
  XFlush(d);

  Window target = 0, destination = 0;
  long version = 0;
  WmWindow* own = nullptr;  // the target when it is a window of ours
  WmDropTracker tracker;
  WmDragInfo ownInfo;
  bool accepted = false, waitingStatus = false, finished = false, finishedOk = false;
  int lastX = -1, lastY = -1;

  // Handles the events that came: answers of the target, requests for the
  // data, and everything else for whoever watches it.
  auto handle = [&](XEvent& e) {
    if (e.type == ClientMessage && e.xclient.window == m_source && e.xclient.format == 32 &&
        static_cast<Window>(e.xclient.data.l[0]) == target && target) {
      if (e.xclient.message_type == a.status) {
        waitingStatus = false;
        accepted = (e.xclient.data.l[1] & 1) != 0;
      } else if (e.xclient.message_type == a.finished) {
        finished = true;
        finishedOk = version < 5 || (e.xclient.data.l[1] & 1) != 0;
      }
    } else if (e.type == SelectionRequest && e.xselectionrequest.owner == m_source) {
      Serve(e.xselectionrequest, source);
    } else if (e.type != MotionNotify && e.type != ButtonRelease && e.type != ButtonPress) {
      WmXConnection::Dispatch(&e);  // a drop on a window of ours from elsewhere, say
    }
  };
  auto drain = [&](int waitMs) {
    WaitForInput(d, waitMs);
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      handle(e);
    }
  };
  auto leave = [&]() {
    if (own) {
      tracker.Leave(ownInfo);
    } else if (target) {
      const long data[5] = {static_cast<long>(m_source), 0, 0, 0, 0};
      SendMessage(d, destination, target, a.leave, data);
    }
  };

  for (;;) {
    Window rootReturn, childReturn;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(d, root, &rootReturn, &childReturn, &x, &y, &wx, &wy, &mask);
    const bool held = (mask & (Button1Mask | Button2Mask | Button3Mask)) != 0;
    Window nowTarget = 0, nowDestination = 0;
    long nowVersion = 0;
    WmWindow* nowOwn = FindTarget(x, y, &nowTarget, &nowDestination, &nowVersion);
    if (nowTarget != target) {
      leave();
      target = nowTarget;
      destination = nowDestination;
      version = nowVersion;
      own = nowOwn;
      accepted = waitingStatus = false;
      lastX = lastY = -1;
      if (target && !own) {
        const long data[5] = {static_cast<long>(m_source), version << 24, static_cast<long>(offered), 0, 0};
        SendMessage(d, destination, target, a.enter, data);
      }
    }
    if (own && WmIsLive(own) && (x != lastX || y != lastY)) {
      int tx = 0, ty = 0;
      Window child = 0;
      XTranslateCoordinates(d, root, target, x, y, &tx, &ty, &child);
      ownInfo = WmDragInfoOf(source, own, WmPoint{static_cast<double>(tx), own->frame().height - ty});
      accepted = tracker.Move(ownInfo) != 0;
      lastX = x;
      lastY = y;
    } else if (target && !own && (x != lastX || y != lastY) && !waitingStatus) {
      const long data[5] = {static_cast<long>(m_source), 0, (static_cast<long>(x) << 16) | (y & 0xFFFF),
                            static_cast<long>(time), static_cast<long>(a.actionCopy)};
      SendMessage(d, destination, target, a.position, data);
      waitingStatus = true;
      lastX = x;
      lastY = y;
    }
    if (!held) break;
    drain(15);
  }

  // The button is up: drop where the pointer is.
  bool dropped = false;
  if (own && WmIsLive(own)) {
    dropped = accepted && tracker.Drop(ownInfo);
    if (!accepted) tracker.Leave(ownInfo);
  } else if (target) {
    const int64_t statusBy = NowMs() + kAnswerMs;
    while (waitingStatus && NowMs() < statusBy) drain(20);
    if (accepted && !waitingStatus) {
      const long data[5] = {static_cast<long>(m_source), 0, static_cast<long>(time), 0, 0};
      SendMessage(d, destination, target, a.drop, data);
      const int64_t finishBy = NowMs() + kFinishMs;
      while (!finished && NowMs() < finishBy) drain(20);
      dropped = finished && finishedOk;
    } else {
      leave();
    }
  }
  if (grabbed) XUngrabPointer(d, CurrentTime);
  finish();  // the selection goes with the window
  return dropped;
}

}  // namespace

bool WmXdndRegister(WmWindow* window, unsigned long xwindow) {
  return Xdnd::Shared().Register(window, xwindow);
}

void WmXdndUnregister(unsigned long xwindow) { Xdnd::Shared().Unregister(xwindow); }

bool WmXdndRunDrag(const WmDragSource& source) { return Xdnd::Shared().RunDrag(source); }
