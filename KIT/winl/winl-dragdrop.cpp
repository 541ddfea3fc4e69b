// Drag and drop of files: the dropped-files block, the drop hooks, the
// layer's views as drop targets, drags started from them (the window model
// carries them, to other programs over the X drag-and-drop protocol),
// promised files written when they land, and the stand-ins for Carbon
// hosting, which cannot be built here.
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-wnd-view.h"
#include "KIT/winl/winl-wnd.h"
#include "platform/window/WindowDrag.h"
#include "platform/window/WindowPanels.h"
#include "platform/window/WindowPasteboard.h"

void (*WINL_DDrop_onDragEnter)(HGLOBAL drop, int x, int y) = nullptr;
void (*WINL_DDrop_onDragOver)(int x, int y) = nullptr;
void (*WINL_DDrop_onDragLeave)() = nullptr;
const char* (*WINL_DDrop_getDroppedFileTargetPath)(const char* name) = nullptr;

namespace {

// The drag source: the promised file's name and its writer.
std::string s_dragdropsrcfn;
void (*s_dragdropsrccallback)(const char*) = nullptr;

Winl_vVivivI_hwnd* AcceptingView(HWND hwnd) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  return view && (view->winlGetExtendedStyle() & 0x10) ? view : nullptr;
}

void ScreenPoint(const WmDragInfo& drag, int* x, int* y) {
  WmPoint p = drag.location;
  if (drag.window) p = drag.window->BaseToScreen(p);
  *x = static_cast<int>(p.x + 0.5);
  *y = static_cast<int>(p.y + 0.5);
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string LastComponent(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void PutWord(char* at, uint32_t value) { memcpy(at, &value, 4); }

}  // namespace

// ---- Drop target ------------------------------------------------------------------------------

HGLOBAL WINL_ExtendedDragOp(HWND hwnd, const WmDragInfo& drag, bool retGlob) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  if (!view) return nullptr;
  std::vector<std::string> list;
  size_t promised = 0;
  if (!drag.files.empty()) {
    list = drag.files;
  } else if (!drag.promisedTypes.empty()) {
    if (retGlob) {
      for (const std::string& type : drag.promisedTypes) list.push_back("tmp." + type);
      promised = list.size();
    } else {
      if (!WINL_DDrop_getDroppedFileTargetPath || !drag.writePromised) return nullptr;
      const char* answer = WINL_DDrop_getDroppedFileTargetPath(drag.promisedTypes[0].c_str());
      std::string folder = answer && *answer ? answer : "/tmp/";
      if (folder.back() != '/') folder += '/';
      for (const std::string& name : drag.writePromised(folder)) list.push_back(folder + name);
    }
  }
  if (list.empty()) return nullptr;
  size_t size = 16 + 1;
  for (const std::string& path : list) size += path.size() + 1;
  (void)promised;  // the "tmp." of each promised entry is counted in its path
  HGLOBAL block = GlobalAlloc(0, static_cast<long>(size));
  auto* bytes = static_cast<char*>(block ? GlobalLock(block) : nullptr);
  if (!bytes) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  const WmPoint p = view->ConvertFrom(drag.location, nullptr);
  PutWord(bytes, 16);
  PutWord(bytes + 4, static_cast<uint32_t>(static_cast<int32_t>(p.x + 0.5)));
  PutWord(bytes + 8, static_cast<uint32_t>(static_cast<int32_t>(p.y + 0.5)));
  PutWord(bytes + 12, 0);
  char* at = bytes + 16;
  for (const std::string& path : list) {
    memcpy(at, path.c_str(), path.size() + 1);
    at += path.size() + 1;
  }
  *at = 0;
  GlobalUnlock(block);
  if (retGlob) return block;
  view->onWinlMessage(WM_DROPFILES, reinterpret_cast<unsigned long>(block), 0);
  GlobalFree(block);
  return reinterpret_cast<HGLOBAL>(1);
}

int WINL_DragEntered(HWND hwnd, const WmDragInfo& drag) {
  Winl_vVivivI_hwnd* view = AcceptingView(hwnd);
  if (!view) return 0;
  if (WINL_DDrop_onDragEnter) {
    HGLOBAL block = WINL_ExtendedDragOp(view, drag, true);
    int x, y;
    ScreenPoint(drag, &x, &y);
    WINL_DDrop_onDragEnter(block, x, y);
    if (block) GlobalFree(block);
  }
  return 4;
}

int WINL_DragUpdated(HWND hwnd, const WmDragInfo& drag) {
  if (!AcceptingView(hwnd)) return 0;
  if (WINL_DDrop_onDragOver) {
    int x, y;
    ScreenPoint(drag, &x, &y);
    WINL_DDrop_onDragOver(x, y);
  }
  return 4;
}

void WINL_DragExited(HWND hwnd) {
  if (AcceptingView(hwnd) && WINL_DDrop_onDragLeave) WINL_DDrop_onDragLeave();
}

bool WINL_PerformDragOperation(HWND hwnd, const WmDragInfo& drag) {
  Winl_vVivivI_hwnd* view = AcceptingView(hwnd);
  if (!view) return false;
  if (WINL_DDrop_onDragLeave) WINL_DDrop_onDragLeave();
  // A drag from a view of the same window: that window's representation is
  // left alone while the drop runs.
  HWND sameWindow = nullptr;
  if (drag.source && WmIsLive(drag.source) && drag.source->window() &&
      drag.source->window() == view->window()) {
    sameWindow = drag.source->window()->contentView();
    SetProp(sameWindow, "WINL_DisableWindowRepre", reinterpret_cast<void*>(1));
  }
  bool done = false;
  WmView* hit = nullptr;
  if (WmWindow* window = view->window())
    if (window->contentView()) hit = window->contentView()->HitTest(drag.location);
  if (hit && hit->IsDescendantOf(view))
    for (WmView* v = hit; v && v != view && !done; v = v->superview())
      if (WINL_AsLayerView(v)) done = WINL_ExtendedDragOp(v, drag, false) != nullptr;
  if (!done && WmIsLive(view)) done = WINL_ExtendedDragOp(view, drag, false) != nullptr;
  if (sameWindow && WmIsLive(sameWindow)) RemoveProp(sameWindow, "WINL_DisableWindowRepre");
  return done;
}

int Winl_vVivivI_hwnd::DraggingEntered(const WmDragInfo& info) { return WINL_DragEntered(this, info); }
int Winl_vVivivI_hwnd::DraggingUpdated(const WmDragInfo& info) { return WINL_DragUpdated(this, info); }
void Winl_vVivivI_hwnd::DraggingExited(const WmDragInfo&) { WINL_DragExited(this); }
bool Winl_vVivivI_hwnd::PerformDragOperation(const WmDragInfo& info) {
  return WINL_PerformDragOperation(this, info);
}

// ---- Drag source -------------------------------------------------------------------------------

namespace {
WmRect DragRect(const RECT* r) {
  if (!r) return WmRect();
  return WmRect{static_cast<double>(r->left), static_cast<double>(r->top),
                static_cast<double>(r->right - r->left), static_cast<double>(r->bottom - r->top)};
}
}  // namespace

void WINL_FinishDragDrop() {
  s_dragdropsrcfn.clear();
  s_dragdropsrccallback = nullptr;
}

void WINL_InitiateDragDrop(HWND hwnd, RECT* srcrect, const char* srcfn, void (*callback)(const char*)) {
  WINL_FinishDragDrop();
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  if (!view || !srcfn || !*srcfn) return;
  s_dragdropsrcfn = srcfn;
  s_dragdropsrccallback = callback;
  // The drag runs now; the promise is kept until it lands (WINL_DoDragDrop),
  // a press starts something else, or WINL_FinishDragDrop.
  WmDragSource source;
  source.view = view;
  source.rect = DragRect(srcrect);
  source.promisedName = srcfn;
  source.writePromised = [](const std::string& folder, std::string* written) {
    return WINL_DoDragDrop(folder.c_str(), written);
  };
  WmRunDrag(source);
}

void WINL_InitiateDragDropOfFileList(HWND hwnd, RECT* srcrect, const char** files, int count, void*) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(hwnd);
  if (!view || !files || count <= 0) return;
  // The names go on the drag pasteboard too, one a line.
  WmDragSource source;
  source.view = view;
  source.rect = DragRect(srcrect);
  std::string names;
  for (int i = 0; i < count; ++i)
    if (files[i]) {
      names += std::string(files[i]) + "\n";
      source.files.push_back(files[i]);
    }
  WmPasteboard& drag = WmPasteboard::Named("drag");
  drag.DeclareTypes({"public.file-url"});
  drag.SetString("public.file-url", names);
  if (!source.files.empty()) WmRunDrag(source);
}

bool WINL_FreeCopyName(const std::string& path, std::string* freePath) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = path.substr(folder.size());
  const size_t dot = name.rfind('.');
  std::string base = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = name.substr(base.size());
  size_t digits = 0;
  while (digits < base.size() && digits < 4 &&
         isdigit(static_cast<unsigned char>(base[base.size() - 1 - digits])))
    ++digits;
  int start = 0;
  const char before = digits < base.size() ? base[base.size() - 1 - digits] : 0;
  if (digits >= 1 && digits <= 3 && (before == ' ' || before == '_' || before == '-')) {
    start = atoi(base.c_str() + base.size() - digits);
    base.erase(base.size() - digits);
  } else {
    base += ' ';
  }
  for (int n = start + 1; n <= 999; ++n) {
    char number[16];
    snprintf(number, sizeof number, "%03d", n);
    const std::string candidate = folder + base + number + extension;
    if (!Exists(candidate)) {
      *freePath = candidate;
      return true;
    }
  }
  return false;
}

bool WINL_DoDragDrop(const char* folder, std::string* writtenName) {
  const std::string name = s_dragdropsrcfn;
  void (*callback)(const char*) = s_dragdropsrccallback;
  WINL_FinishDragDrop();
  if (!folder || !*folder || name.empty() || !callback) return false;
  std::string path = std::string(folder) + "/" + LastComponent(name);
  bool write = true;
  if (Exists(path)) {
    const int answer = WmRunAlert(
        "Copy",
        "An item named \"" + LastComponent(name) +
            "\" already exists in this location. Do you want to replace it with the one you're moving?",
        {"Keep Both Files", "Stop", "Replace"});
    if (answer == 0) {
      write = WINL_FreeCopyName(path, &path);  // no free name: nothing is written
    } else if (answer != 2) {
      write = false;
    }
  }
  if (!write) return false;
  callback(path.c_str());
  if (!Exists(path)) return false;
  if (writtenName) *writtenName = LastComponent(path);
  return true;
}

// ---- Not buildable here ------------------------------------------------------------------------

HWND WINL_CreateCarbonWindowView(HWND, void** carbonWindow, RECT*, bool) {
  if (carbonWindow) *carbonWindow = nullptr;
  return nullptr;
}
void* WINL_GetWindowFromCarbonWindowView(HWND) { return nullptr; }
void WINL_AddCarbonPaneToView(HWND, void*) {}
void WINL_CarbonWndHost_SetWantAllKeys(void*, bool) {}
