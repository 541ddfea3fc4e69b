// The clipboard on the window model's pasteboards, window properties, the
// reading of dropped-files blocks and shell open.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "KIT/winl/winl-handles.h"
#include "KIT/winl/winl-wnd-view.h"
#include "KIT/winl/winl-wnd.h"
#include "platform/window/WindowPasteboard.h"

namespace {

const char kTextName[] = "WINL__CF_TEXT";
const char kPrivateBoard[] = "WINL_APP";

// Process-wide lists (the main thread's).
std::vector<std::string> g_formats;                   // type names; id = position + 1
std::vector<std::pair<unsigned, HGLOBAL>> g_pending;  // set, not yet written
std::vector<unsigned> g_current;                      // on the private pasteboard at opening
std::vector<HGLOBAL> g_returned;                      // handed out by GetClipboardData

std::string TypeName(const char* name) {
  return strcmp(name, kTextName) == 0 ? WmPasteboard::kStringType : name;
}

const std::string* FormatName(unsigned id) {
  return id >= 1 && id <= g_formats.size() ? &g_formats[id - 1] : nullptr;
}

void FreePending() {
  for (auto& record : g_pending) GlobalFree(record.second);
  g_pending.clear();
}

unsigned TextFormat() { return RegisterClipboardFormat(kTextName); }

HGLOBAL BlockOf(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(0, static_cast<long>(size));
  if (!block) return nullptr;
  if (void* p = GlobalLock(block)) {
    if (size) memcpy(p, data, size);
    GlobalUnlock(block);
  }
  return block;
}

// Writes the pending records of one pasteboard: declared in order, then
// filled. Text is taken up to its first NUL (within the block).
void WriteRecords(WmPasteboard& board, const std::vector<std::pair<unsigned, HGLOBAL>>& records) {
  std::vector<std::string> types;
  for (const auto& record : records)
    if (const std::string* name = FormatName(record.first)) types.push_back(*name);
  if (types.empty()) return;
  board.DeclareTypes(types);
  for (const auto& record : records) {
    const std::string* name = FormatName(record.first);
    if (!name) continue;
    const auto* data = static_cast<const char*>(GlobalLock(record.second));
    if (!data) continue;
    const long size = GlobalSize(record.second);
    const size_t length = size > 0 ? static_cast<size_t>(size) : 0;
    if (*name == WmPasteboard::kStringType)
      board.SetString(*name, std::string(data, strnlen(data, length)));
    else
      board.SetData(*name, std::vector<uint8_t>(data, data + length));
    GlobalUnlock(record.second);
  }
}

}  // namespace

// ---- Clipboard --------------------------------------------------------------------------

unsigned int RegisterClipboardFormat(const char* name) {
  if (!name) return 0;
  const std::string type = TypeName(name);
  for (size_t i = 0; i < g_formats.size(); ++i)
    if (g_formats[i] == type) return static_cast<unsigned>(i + 1);
  g_formats.push_back(type);
  return static_cast<unsigned>(g_formats.size());
}

bool OpenClipboard(HWND) {
  // Text is shared with other programs when the process shows windows on a
  // display.
  if (WmApplication::Shared().presenterFactory) WmStartClipboardBridge();
  FreePending();
  TextFormat();
  g_current.clear();
  for (const std::string& type : WmPasteboard::Named(kPrivateBoard).Types())
    for (size_t i = 0; i < g_formats.size(); ++i)
      if (g_formats[i] == type &&
          std::find(g_current.begin(), g_current.end(), static_cast<unsigned>(i + 1)) == g_current.end())
        g_current.push_back(static_cast<unsigned>(i + 1));
  return true;
}

unsigned int EnumClipboardFormats(unsigned int previous) {
  if (previous == 0) return g_current.empty() ? 0 : g_current[0];
  for (size_t i = 0; i + 1 < g_current.size(); ++i)
    if (g_current[i] == previous) return g_current[i + 1];
  return 0;
}

void* GetClipboardData(unsigned int format) {
  const std::string* name = FormatName(format);
  if (!name) return nullptr;
  HGLOBAL block = nullptr;
  if (*name == WmPasteboard::kStringType) {
    std::string text;
    if (!WmPasteboard::General().StringForType(*name, &text)) return nullptr;
    block = BlockOf(text.c_str(), text.size() + 1);
  } else {
    std::vector<uint8_t> data;
    if (!WmPasteboard::Named(kPrivateBoard).DataForType(*name, &data) || data.empty()) return nullptr;
    block = BlockOf(data.data(), data.size());
  }
  if (block) g_returned.push_back(block);
  return block;
}

void* SetClipboardData(unsigned int format, void* handle) {
  if (!handle) return nullptr;
  g_pending.emplace_back(format, handle);
  return handle;
}

void EmptyClipboard() { FreePending(); }

void CloseClipboard() {
  for (HGLOBAL block : g_returned) GlobalFree(block);
  g_returned.clear();
  if (!g_pending.empty()) {
    // Text to the general pasteboard, every other format to the private one,
    // so that nothing set is lost.
    const unsigned text = TextFormat();
    std::vector<std::pair<unsigned, HGLOBAL>> texts, others;
    for (const auto& record : g_pending) (record.first == text ? texts : others).push_back(record);
    WriteRecords(WmPasteboard::General(), texts);
    WriteRecords(WmPasteboard::Named(kPrivateBoard), others);
  }
  FreePending();
}

// ---- Properties ---------------------------------------------------------------------------

int EnumPropsEx(HWND hwnd, int (*proc)(HWND, const char*, void*, long), long lParam) {
  auto* view = WINL_AsLayerView(WINL_NavigateUpScrollClipViews(hwnd));
  if (!view || !proc) return -1;
  return view->winlEnumProps(proc, lParam);
}

// ---- Dropped files ------------------------------------------------------------------------

namespace {
// The block's bytes and size; false for a block too small for its head.
bool DropBytes(HDROP drop, const char** bytes, size_t* size) {
  if (!drop) return false;
  const long n = GlobalSize(drop);
  if (n < 16) return false;
  *bytes = static_cast<const char*>(drop);
  *size = static_cast<size_t>(n);
  return true;
}
uint32_t Word(const char* bytes, size_t at) {
  uint32_t w;
  memcpy(&w, bytes + at, 4);
  return w;
}
}  // namespace

unsigned int DragQueryFile(HDROP drop, unsigned int index, char* buffer, unsigned int size) {
  const char* bytes;
  size_t total;
  if (!DropBytes(drop, &bytes, &total)) return 0;
  size_t at = Word(bytes, 0);
  unsigned count = 0;
  while (at < total && bytes[at]) {
    const size_t length = strnlen(bytes + at, total - at);
    if (at + length >= total) break;  // a name without its NUL inside the block
    if (index != 0xFFFFFFFFu && count == index) {
      if (!buffer) return static_cast<unsigned>(length);
      if (size < 1) return 0;
      const size_t n = std::min(length, static_cast<size_t>(size - 1));
      memcpy(buffer, bytes + at, n);
      buffer[n] = 0;
      return static_cast<unsigned>(n);
    }
    ++count;
    at += length + 1;
  }
  return index == 0xFFFFFFFFu ? count : 0;
}

bool DragQueryPoint(HDROP drop, POINT* point) {
  const char* bytes;
  size_t total;
  if (!DropBytes(drop, &bytes, &total)) return false;
  if (point) {
    point->x = static_cast<int32_t>(Word(bytes, 4));
    point->y = static_cast<int32_t>(Word(bytes, 8));
  }
  return Word(bytes, 12) == 0;
}

void DragFinish(HDROP) {}

// ---- Shell open ----------------------------------------------------------------------------

bool ShellExecute(HWND, const char*, const char* file, const char* parameters, const char*, int) {
  const std::string target = file ? file : "";
  if (strncasecmp(target.c_str(), "http://", 7) == 0 || strncasecmp(target.c_str(), "https://", 8) == 0)
    return WmWorkspace::OpenURL(target);
  std::string application = target;
  if (application == "explorer.exe") application.clear();
  if (application == "notepad.exe" || application == "notepad") application = "TextEdit.app";
  std::string params = parameters ? parameters : "";
  if (params == "explorer.exe") params.clear();
  if (!application.empty() && !params.empty())
    return WmWorkspace::OpenFileWithApplication(params, application);
  const std::string what = application.empty() ? params : application;
  if (what.empty()) return false;
  if (what.size() >= 5 && strcasecmp(what.c_str() + what.size() - 4, ".app") == 0)
    return WmWorkspace::LaunchApplication(what);
  return WmWorkspace::OpenFile(what);
}
