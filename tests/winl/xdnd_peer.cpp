// Another X program for the drag-and-drop tests, written with Xlib alone:
// it drops files onto a window, or takes a drop in a window of its own, as
// any program speaking the X drag-and-drop protocol (version 5, with the
// direct-save extension for promised files) would.
//
//   xdnd_peer drop WINDOW X Y PATH...
//       drags the files (text/uri-list) onto WINDOW at the root point X, Y;
//       prints "finished 1" (or 0) and exits 0 when the target took them,
//       2 when it refused, 1 on a timeout.
//   xdnd_peer promise WINDOW X Y NAME TEXT
//       drags a promised file NAME there instead (XdndDirectSave0), writing
//       TEXT into it where the target asks; prints "wrote PATH" first.
//   xdnd_peer receive FOLDER X Y W H
//       shows a window at X, Y of W x H that takes drops, prints
//       "ready WINDOW" and waits: a promised file is saved into FOLDER
//       ("saved PATH" once the source answered success, exit 0); file names
//       are printed ("uri URI" each, then exit 0). Exits 1 after 30 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

Display* g_display = nullptr;
Window g_window = 0;

Atom A(const char* name) { return XInternAtom(g_display, name, False); }

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The next event within ms; false when none came.
bool NextEvent(XEvent* event, int ms) {
  const long long deadline = NowMs() + ms;
  for (;;) {
    if (XPending(g_display) > 0) {
      XNextEvent(g_display, event);
      return true;
    }
    const long long left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd fd{XConnectionNumber(g_display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left));
  }
}

void Message(Window to, Window about, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = about;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  const long data[5] = {l0, l1, l2, l3, l4};
  for (int i = 0; i < 5; ++i) e.xclient.data.l[i] = data[i];
  XSendEvent(g_display, to, False, NoEventMask, &e);
  XFlush(g_display);
}

bool ReadLongProperty(Window window, Atom property, long* value) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(g_display, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count,
                         &after, &data) != Success ||
      !data || count < 1 || format != 32) {
    if (data) XFree(data);
    return false;
  }
  memcpy(value, data, sizeof *value);
  XFree(data);
  return true;
}

std::string ReadText(Window window, Atom property) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(g_display, window, property, 0, 1 << 16, False, AnyPropertyType, &type, &format,
                         &count, &after, &data) != Success ||
      !data) {
    return std::string();
  }
  std::string text(reinterpret_cast<char*>(data), count);
  XFree(data);
  return text;
}

std::string Escaped(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if (isalnum(c) || strchr("-._~/", c)) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

// ---- drop ---------------------------------------------------------------------------------

std::string PathOfURI(const std::string& uri) {
  std::string rest = uri.compare(0, 7, "file://") == 0 ? uri.substr(7) : std::string();
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) return std::string();
  rest = rest.substr(slash);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size()) {
      path += static_cast<char>(strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

// Drops paths (text/uri-list), or, with a promised name, that file written
// with text where the target asks.
int Drop(Window target, int x, int y, const std::vector<std::string>& paths,
         const std::string& promisedName = "", const std::string& text = "") {
  const bool promise = !promisedName.empty();
  const Atom selection = A("XdndSelection"), uriList = A("text/uri-list"), directSave = A("XdndDirectSave0");
  g_window = XCreateSimpleWindow(g_display, DefaultRootWindow(g_display), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(g_display, selection, g_window, CurrentTime);
  long version = 0;
  if (!ReadLongProperty(target, A("XdndAware"), &version) || version < 3) {
    printf("not aware\n");
    return 1;
  }
  Window destination = target;
  long proxy = 0;
  if (ReadLongProperty(target, A("XdndProxy"), &proxy) && proxy) destination = static_cast<Window>(proxy);
  version = version < 5 ? version : 5;
  if (promise)
    XChangeProperty(g_display, g_window, directSave, A("text/plain"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(promisedName.data()),
                    static_cast<int>(promisedName.size()));
  Message(destination, target, A("XdndEnter"), static_cast<long>(g_window), version << 24,
          static_cast<long>(promise ? directSave : uriList), 0, 0);
  Message(destination, target, A("XdndPosition"), static_cast<long>(g_window), 0,
          (static_cast<long>(x) << 16) | y, CurrentTime, static_cast<long>(A("XdndActionCopy")));
  std::string list;
  for (const std::string& path : paths) list += "file://" + Escaped(path) + "\r\n";
  bool statusCame = false, accepted = false, dropped = false;
  const long long deadline = NowMs() + 20000;
  XEvent e;
  while (NowMs() < deadline) {
    if (!NextEvent(&e, 100)) continue;
    if (e.type == SelectionRequest) {
      XSelectionEvent reply{};
      reply.type = SelectionNotify;
      reply.requestor = e.xselectionrequest.requestor;
      reply.selection = e.xselectionrequest.selection;
      reply.target = e.xselectionrequest.target;
      reply.time = e.xselectionrequest.time;
      reply.property = None;
      if (e.xselectionrequest.target == uriList && !promise) {
        XChangeProperty(g_display, reply.requestor, e.xselectionrequest.property, uriList, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
        reply.property = e.xselectionrequest.property;
      } else if (e.xselectionrequest.target == directSave && promise) {
        // The target wrote where the file goes into our window's property.
        const std::string path = PathOfURI(ReadText(g_window, directSave));
        FILE* file = path.empty() ? nullptr : fopen(path.c_str(), "w");
        if (file) {
          fputs(text.c_str(), file);
          fclose(file);
          printf("wrote %s\n", path.c_str());
        }
        const char* code = file ? "S" : "E";
        XChangeProperty(g_display, reply.requestor, e.xselectionrequest.property, XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(code), 1);
        reply.property = e.xselectionrequest.property;
      }
      XEvent out{};
      out.xselection = reply;
      XSendEvent(g_display, reply.requestor, False, NoEventMask, &out);
      XFlush(g_display);
    } else if (e.type == ClientMessage && e.xclient.message_type == A("XdndStatus")) {
      statusCame = true;
      accepted = (e.xclient.data.l[1] & 1) != 0;
      if (!accepted) {
        Message(destination, target, A("XdndLeave"), static_cast<long>(g_window), 0, 0, 0, 0);
        printf("refused\n");
        return 2;
      }
      if (!dropped) {
        Message(destination, target, A("XdndDrop"), static_cast<long>(g_window), 0, CurrentTime, 0, 0);
        dropped = true;
      }
    } else if (e.type == ClientMessage && e.xclient.message_type == A("XdndFinished")) {
      const bool success = (e.xclient.data.l[1] & 1) != 0;
      printf("finished %d\n", success ? 1 : 0);
      return success ? 0 : 3;
    }
  }
  printf(statusCame ? "no finish\n" : "no status\n");
  return 1;
}

// ---- receive ------------------------------------------------------------------------------

int Receive(const std::string& folder, int x, int y, int w, int h) {
  const Atom directSave = A("XdndDirectSave0"), uriList = A("text/uri-list"), data = A("PEER_DATA");
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;  // at its place, with or without a window manager
  attributes.background_pixel = 0x808080;
  attributes.event_mask = StructureNotifyMask;
  g_window = XCreateWindow(g_display, DefaultRootWindow(g_display), x, y, static_cast<unsigned>(w),
                           static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  const long version = 5;
  XChangeProperty(g_display, g_window, A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&version), 1);
  XMapRaised(g_display, g_window);
  XEvent e;
  do {
    if (!NextEvent(&e, 5000)) return 1;
  } while (e.type != MapNotify);
  printf("ready %lu\n", g_window);
  fflush(stdout);
  Window source = 0;
  bool promised = false, files = false;
  const long long deadline = NowMs() + 30000;
  while (NowMs() < deadline) {
    if (!NextEvent(&e, 100) || e.type != ClientMessage) continue;
    const XClientMessageEvent& m = e.xclient;
    if (m.message_type == A("XdndEnter")) {
      source = static_cast<Window>(m.data.l[0]);
      for (int i = 2; i < 5; ++i) {
        if (static_cast<Atom>(m.data.l[i]) == directSave) promised = true;
        if (static_cast<Atom>(m.data.l[i]) == uriList) files = true;
      }
    } else if (m.message_type == A("XdndPosition") && static_cast<Window>(m.data.l[0]) == source) {
      Message(source, source, A("XdndStatus"), static_cast<long>(g_window), 1 | 2, 0, 0,
              static_cast<long>(A("XdndActionCopy")));
    } else if (m.message_type == A("XdndLeave")) {
      printf("left\n");
      fflush(stdout);
    } else if (m.message_type == A("XdndDrop") && static_cast<Window>(m.data.l[0]) == source) {
      const Time time = static_cast<Time>(m.data.l[2]);
      std::string path;
      Atom asked = None;
      if (promised) {
        path = folder + "/" + ReadText(source, directSave);
        const std::string uri = "file://localhost" + Escaped(path);
        XChangeProperty(g_display, source, directSave, A("text/plain"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uri.data()), static_cast<int>(uri.size()));
        asked = directSave;
      } else if (files) {
        asked = uriList;
      }
      std::string answer;
      if (asked != None) {
        XConvertSelection(g_display, A("XdndSelection"), asked, data, g_window, time);
        XFlush(g_display);
        const long long by = NowMs() + 20000;
        while (NowMs() < by) {
          if (!NextEvent(&e, 100)) continue;
          if (e.type != SelectionNotify) continue;
          if (e.xselection.property != None) answer = ReadText(g_window, data);
          break;
        }
      }
      const bool success = promised ? answer == "S" : !answer.empty();
      Message(source, source, A("XdndFinished"), static_cast<long>(g_window), success ? 1 : 0,
              success ? static_cast<long>(A("XdndActionCopy")) : 0, 0, 0);
      if (promised) {
        printf("saved %s %s\n", path.c_str(), answer.c_str());
      } else {
        size_t start = 0;
        while (start < answer.size()) {
          size_t end = answer.find("\r\n", start);
          if (end == std::string::npos) end = answer.size();
          printf("uri %s\n", answer.substr(start, end - start).c_str());
          start = end + 2;
        }
      }
      fflush(stdout);
      return success ? 0 : 4;
    }
  }
  printf("timeout\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  g_display = XOpenDisplay(nullptr);
  if (!g_display) {
    fprintf(stderr, "xdnd_peer: no display\n");
    return 1;
  }
  int result = 1;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "drop" && argc >= 6) {
    std::vector<std::string> paths(argv + 5, argv + argc);
    result = Drop(static_cast<Window>(strtoul(argv[2], nullptr, 0)), atoi(argv[3]), atoi(argv[4]), paths);
  } else if (mode == "promise" && argc == 7) {
    result = Drop(static_cast<Window>(strtoul(argv[2], nullptr, 0)), atoi(argv[3]), atoi(argv[4]), {},
                  argv[5], argv[6]);
  } else if (mode == "receive" && argc == 7) {
    result = Receive(argv[2], atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
  } else {
    fprintf(
        stderr,
        "usage: xdnd_peer drop WINDOW X Y PATH... | promise WINDOW X Y NAME TEXT | receive FOLDER X Y W H\n");
  }
  fflush(stdout);
  XCloseDisplay(g_display);
  return result;
}
