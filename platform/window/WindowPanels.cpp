// File panels and alerts: their lists and choices, their keys and clicks,
// and their painting with the view layer's text into the window's pixels.
#include "platform/window/WindowPanels.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

#include "KIT/pix/pix-sysbitmap.h"
#include "platform/view/ViewText.h"

namespace {

// ---- Painting ----------------------------------------------------------------------
const char kFace[] = "DejaVu Sans";
const int kFontSize = 12;

ViewFont& PanelFont() {
  static ViewFont* font = new ViewFont(kFace, kFontSize);  // lives to the end of the process
  return *font;
}

PIX_pixel Colour(int r, int g, int b) { return PIX_MakePixel(r, g, b, 255); }
const PIX_pixel kBackground = Colour(236, 236, 236);
const PIX_pixel kWhite = Colour(255, 255, 255);
const PIX_pixel kBlack = Colour(20, 20, 20);
const PIX_pixel kBorder = Colour(150, 150, 150);
const PIX_pixel kFocus = Colour(70, 130, 220);
const PIX_pixel kSelection = Colour(56, 117, 215);
const PIX_pixel kDimSelection = Colour(200, 210, 228);
const PIX_pixel kButton = Colour(250, 250, 250);
const PIX_pixel kStatus = Colour(190, 30, 30);

// A bitmap the size of a view, painted and then copied into the window.
class Canvas {
 public:
  Canvas(int w, int h) : m_bm(w, h), m_w(w), m_h(h) {}
  bool Ok() { return m_bm.getBits() != nullptr; }
  void Fill(int l, int t, int r, int b, PIX_pixel c) {
    l = std::max(l, 0), t = std::max(t, 0), r = std::min(r, m_w), b = std::min(b, m_h);
    PIX_pixel* bits = m_bm.getBits();
    const int span = m_bm.getRowSpan();
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) bits[y * span + x] = c;
  }
  void Fill(const WmRect& r, PIX_pixel c) { Fill(L(r), T(r), R(r), B(r), c); }
  void Frame(const WmRect& r, PIX_pixel c) {
    Fill(L(r), T(r), R(r), T(r) + 1, c);
    Fill(L(r), B(r) - 1, R(r), B(r), c);
    Fill(L(r), T(r), L(r) + 1, B(r), c);
    Fill(R(r) - 1, T(r), R(r), B(r), c);
  }
  // One line of text at (x, y), clipped to [l, r).
  void Text(const std::string& text, int x, int y, int l, int r, PIX_pixel c) {
    RECT clip{std::max(l, 0), std::max(y, 0), std::min(r, m_w), std::min(y + PanelFont().LineHeight(), m_h)};
    if (clip.right > clip.left && clip.bottom > clip.top)
      PanelFont().Draw(&m_bm, text.c_str(), static_cast<int>(text.size()), x, y, clip, c);
  }
  // A button: framed, its title centred; the default one filled blue.
  void Button(const WmRect& r, const std::string& title, bool isDefault, bool highlighted) {
    Fill(r, isDefault ? kSelection : kButton);
    Frame(r, highlighted ? kFocus : kBorder);
    if (highlighted) Frame(WmRect{r.x + 1, r.y + 1, r.width - 2, r.height - 2}, kFocus);
    int w = 0, h = 0;
    PanelFont().Measure(title.c_str(), static_cast<int>(title.size()), &w, &h);
    const int x = L(r) + (static_cast<int>(r.width) - w) / 2;
    const int y = T(r) + (static_cast<int>(r.height) - PanelFont().LineHeight()) / 2;
    Text(title, x, y, L(r) + 2, R(r) - 2, isDefault ? kWhite : kBlack);
  }
  // Copies the bitmap into the window's pixels at the view's place.
  void Put(const WmView::PaintTarget& t) {
    const PIX_pixel* bits = m_bm.getBits();
    const int span = m_bm.getRowSpan();
    for (int y = 0; y < m_h; ++y) {
      const int ty = t.originY + y;
      if (ty < t.clipT || ty >= t.clipB) continue;
      for (int x = 0; x < m_w; ++x) {
        const int tx = t.originX + x;
        if (tx < t.clipL || tx >= t.clipR) continue;
        t.pixels[static_cast<size_t>(ty) * static_cast<size_t>(t.rowSpan) + static_cast<size_t>(tx)] =
            bits[y * span + x];
      }
    }
  }
  static int L(const WmRect& r) { return static_cast<int>(r.x); }
  static int T(const WmRect& r) { return static_cast<int>(r.y); }
  static int R(const WmRect& r) { return static_cast<int>(r.x + r.width); }
  static int B(const WmRect& r) { return static_cast<int>(r.y + r.height); }

 private:
  PIX_SysBitmap m_bm;
  int m_w, m_h;
};

int TextWidth(const std::string& text) {
  int w = 0, h = 0;
  PanelFont().Measure(text.c_str(), static_cast<int>(text.size()), &w, &h);
  return w;
}

// The content view of a panel or alert: its window paints it and takes
// its clicks and keys.
class PanelContent : public WmView {
 public:
  explicit PanelContent(const WmRect& frame) : WmView(frame) { SetFlipped(true); }
  std::function<void(const PaintTarget&)> paint;
  std::function<void(WmPoint, const WmMouseEvent&)> click;
  std::function<void(const WmKeyEvent&)> key;
  bool AcceptsFirstResponder() const override { return true; }
  void Draw(const PaintTarget& target, const WmRect&) override {
    if (paint) paint(target);
  }
  void MouseEvent(const WmMouseEvent& event) override {
    if (event.kind != kWmLeftDown || !click) return;
    click(ConvertFrom(event.location, nullptr), event);
    if (WmIsLive(this)) SetNeedsDisplay(true);
  }
  void KeyEvent(const WmKeyEvent& event) override {
    if (event.down && key) key(event);
    if (WmIsLive(this)) SetNeedsDisplay(true);
  }
};

void PaintFilePanel(const WmFilePanel& p, const WmView::PaintTarget& target, int w, int h);
void PaintAlert(const WmAlert& a, const WmView::PaintTarget& target, int w, int h);

// ---- Running ----------------------------------------------------------------------
// Runs a window modally until done is set. False when it could not run:
// headless, with no modal hook to play the user.
bool RunUntil(WmWindow* window, const bool& done) {
  WmApplication& app = WmApplication::Shared();
  WmWindow* previousKey = app.keyWindow();
  window->Center();
  window->MakeKeyAndOrderFront();
  window->MakeFirstResponder(window->contentView());
  const bool shown = window->presenter() != nullptr;
  if (!shown && !app.modalHook) {
    window->OrderOut();
    return false;
  }
  WmApplication::ModalSession* session = app.BeginModalSession(window);
  // On a display the user may take as long as they like.
  const int savedLimit = app.maxModalSteps;
  if (shown) app.maxModalSteps = INT_MAX;
  while (!done) {
    if (shown) app.Step(20);
    if (done || app.RunModalSession(session) != WmApplication::kWmRunContinues) break;
  }
  app.maxModalSteps = savedLimit;
  app.EndModalSession(session);
  if (WmIsLive(window)) window->OrderOut();
  if (WmIsLive(previousKey) && previousKey->IsVisible()) previousKey->MakeKeyAndOrderFront();
  return true;
}

// ---- Files -----------------------------------------------------------------------
bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}
std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}
std::string Parent(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
std::string ExpandHome(const std::string& path) {
  if (path == "~" || path.compare(0, 2, "~/") == 0) {
    const char* home = getenv("HOME");
    if (home && *home) return std::string(home) + path.substr(1);
  }
  return path;
}
std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return std::string();
  return resolved;
}
bool NameLess(const WmFileEntry& a, const WmFileEntry& b) {
  const int c = strcasecmp(a.name.c_str(), b.name.c_str());
  return c != 0 ? c < 0 : a.name < b.name;
}

// Panel layout (content coordinates, y down).
const int kPanelWidth = 600;
const int kListTop = 32;
const int kListBottom = 320;
const int kBaseHeight = 420;

}  // namespace

// ---- WmFilePanel ----------------------------------------------------------------------

WmFilePanel::WmFilePanel(Mode mode)
    : WmWindow(WmRect{0, 0, kPanelWidth, kBaseHeight}, kWmTitled | kWmClosable), m_mode(mode) {
  prompt = mode == kSave ? "Save" : mode == kOpen ? "Open" : "Choose";
  title = mode == kSave ? "Save" : mode == kOpen ? "Open" : "Choose a Folder";
  auto* content = new PanelContent(WmRect{0, 0, kPanelWidth, kBaseHeight});
  content->paint = [this, content](const WmView::PaintTarget& t) {
    PaintFilePanel(*this, t, static_cast<int>(content->frame().width),
                   static_cast<int>(content->frame().height));
  };
  content->click = [this](WmPoint p, const WmMouseEvent& event) {
    // Double clicks: the event's count, or two clicks within 400 ms at one place.
    const uint32_t now = WmApplication::Shared().Now();
    int count = event.clickCount;
    if (count < 2 && now - m_lastClickTime < 400 && std::abs(p.x - m_lastClick.x) < 4 &&
        std::abs(p.y - m_lastClick.y) < 4)
      count = 2;
    m_lastClickTime = count >= 2 ? now - 1000 : now;
    m_lastClick = p;
    Click(p, count, event.modifiers);
  };
  content->key = [this](const WmKeyEvent& event) { KeyDown(event); };
  if (WmView* old = SetContentView(content)) WmApplication::Shared().Autorelease(old);
}

WmFilePanel::~WmFilePanel() = default;

void WmFilePanel::SetAccessoryView(WmView* view) {
  if (m_accessory && WmIsLive(m_accessory)) m_accessory->RemoveFromSuperview();
  m_accessory = view;
  double extra = 0;
  if (view) {
    const WmRect f = view->frame();
    extra = f.height + 8;
    view->SetFrame(WmRect{10, 370, f.width, f.height});
    contentView()->AddSubview(view);
  }
  WmRect frame = this->frame();
  frame.height = kBaseHeight + extra;
  SetFrame(frame, false);
}

WmRect WmFilePanel::FolderListRect() const {
  return m_mode == kChooseFolder ? WmRect{10, kListTop, kPanelWidth - 20, kListBottom - kListTop}
                                 : WmRect{10, kListTop, 210, kListBottom - kListTop};
}
WmRect WmFilePanel::FileListRect() const {
  return m_mode == kChooseFolder ? WmRect{}
                                 : WmRect{230, kListTop, kPanelWidth - 240, kListBottom - kListTop};
}
WmRect WmFilePanel::NameFieldRect() const { return WmRect{70, 328, kPanelWidth - 80, 22}; }
WmRect WmFilePanel::OkButtonRect() const { return WmRect{kPanelWidth - 100, frame().height - 34, 90, 24}; }
WmRect WmFilePanel::CancelButtonRect() const {
  return WmRect{kPanelWidth - 200, frame().height - 34, 90, 24};
}
WmRect WmFilePanel::NewFolderButtonRect() const {
  if (m_mode != kChooseFolder || !canCreateDirectories) return WmRect{};
  return WmRect{10, frame().height - 34, 110, 24};
}

bool WmFilePanel::Allowed(const std::string& name) const {
  if (allowedFileTypes.empty()) return true;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string extension = name.substr(dot + 1);
  for (const std::string& type : allowedFileTypes)
    if (strcasecmp(type.c_str(), extension.c_str()) == 0) return true;
  return false;
}

std::string WmFilePanel::Resolve(const std::string& text) const {
  const std::string expanded = ExpandHome(text);
  if (!expanded.empty() && expanded[0] == '/') return expanded;
  return Join(m_directory, expanded);
}

void WmFilePanel::Relist() {
  m_folders.clear();
  m_files.clear();
  if (m_directory != "/") m_folders.push_back(WmFileEntry{"..", true});
  std::vector<WmFileEntry> folders, files;
  if (DIR* dir = opendir(m_directory.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.empty() || name[0] == '.') continue;
      const bool folder = IsFolder(Join(m_directory, name));
      if (folder)
        folders.push_back(WmFileEntry{name, true});
      else if (m_mode != kChooseFolder && Allowed(name))
        files.push_back(WmFileEntry{name, false});
    }
    closedir(dir);
  }
  std::sort(folders.begin(), folders.end(), NameLess);
  std::sort(files.begin(), files.end(), NameLess);
  m_folders.insert(m_folders.end(), folders.begin(), folders.end());
  m_files = std::move(files);
}

bool WmFilePanel::GoTo(const std::string& directory) {
  const std::string real = RealPath(ExpandHome(directory));
  if (real.empty() || !IsFolder(real)) return false;
  DIR* probe = opendir(real.c_str());
  if (!probe) return false;
  closedir(probe);
  m_directory = real;
  Relist();
  m_folderSelection = -1;
  m_fileSelection.clear();
  m_folderTop = m_fileTop = 0;
  m_status.clear();
  if (contentView()) contentView()->SetNeedsDisplay(true);
  return true;
}

void WmFilePanel::GoUp() {
  if (m_directory != "/") {
    const std::string from = BaseName(m_directory);
    if (GoTo(Parent(m_directory)))
      for (size_t i = 0; i < m_folders.size(); ++i)
        if (m_folders[i].name == from) SelectFolder(static_cast<int>(i));
  }
}

void WmFilePanel::SelectFolder(int index) {
  if (index < 0 || index >= static_cast<int>(m_folders.size())) return;
  m_folderSelection = index;
  m_focus = kFolders;
  KeepVisible();
}

void WmFilePanel::SelectFile(int index, bool extend) {
  if (index < 0 || index >= static_cast<int>(m_files.size())) return;
  if (extend && allowsMultipleSelection && m_mode == kOpen) {
    auto it = std::find(m_fileSelection.begin(), m_fileSelection.end(), index);
    if (it != m_fileSelection.end())
      m_fileSelection.erase(it);
    else
      m_fileSelection.push_back(index);
  } else {
    m_fileSelection.assign(1, index);
  }
  nameText = m_fileSelection.size() == 1 ? m_files[static_cast<size_t>(m_fileSelection[0])].name : "";
  m_focus = kFiles;
  KeepVisible();
}

void WmFilePanel::OpenFolder(int index) {
  if (index < 0 || index >= static_cast<int>(m_folders.size())) return;
  if (m_folders[static_cast<size_t>(index)].name == "..")
    GoUp();
  else
    GoTo(Join(m_directory, m_folders[static_cast<size_t>(index)].name));
}

void WmFilePanel::KeepVisible() {
  const int rows = (kListBottom - kListTop - 4) / kRowHeight;
  auto keep = [rows](int selected, int* top) {
    if (selected < 0) return;
    if (selected < *top) *top = selected;
    if (selected >= *top + rows) *top = selected - rows + 1;
  };
  keep(m_folderSelection, &m_folderTop);
  if (!m_fileSelection.empty()) keep(m_fileSelection.back(), &m_fileTop);
  if (contentView()) contentView()->SetNeedsDisplay(true);
}

void WmFilePanel::Finish(bool ok) {
  m_done = true;
  m_ok = ok;
  if (!ok) m_paths.clear();
  WmApplication::Shared().StopModal();
}

void WmFilePanel::Cancel() { Finish(false); }

bool WmFilePanel::Confirm() {
  m_status.clear();
  if (contentView()) contentView()->SetNeedsDisplay(true);
  if (m_mode == kChooseFolder) {
    std::string chosen;
    if (!nameText.empty()) {
      chosen = RealPath(Resolve(nameText));
      if (chosen.empty() || !IsFolder(chosen)) {
        m_status = "There is no folder named \"" + nameText + "\".";
        return false;
      }
    } else if (m_folderSelection >= 0 && m_folders[static_cast<size_t>(m_folderSelection)].name != "..") {
      chosen = Join(m_directory, m_folders[static_cast<size_t>(m_folderSelection)].name);
    } else {
      chosen = m_directory;
    }
    m_paths.assign(1, chosen);
    Finish(true);
    return true;
  }
  if (nameText.empty()) {
    if (m_mode == kOpen && !m_fileSelection.empty()) {
      m_paths.clear();
      for (int index : m_fileSelection)
        m_paths.push_back(Join(m_directory, m_files[static_cast<size_t>(index)].name));
      Finish(true);
      return true;
    }
    if (m_focus == kFolders && m_folderSelection >= 0) {
      OpenFolder(m_folderSelection);
      return false;
    }
    m_status = m_mode == kSave ? "Enter a file name." : "Choose a file.";
    return false;
  }
  std::string path = Resolve(nameText);
  if (IsFolder(path)) {
    GoTo(path);
    nameText.clear();
    return false;
  }
  if (m_mode == kOpen) {
    if (!IsFile(path)) {
      m_status = "There is no file named \"" + nameText + "\".";
      return false;
    }
    if (!Allowed(BaseName(path))) {
      m_status = "\"" + BaseName(path) + "\" is not a file of the kind asked for.";
      return false;
    }
    m_paths.assign(1, path);
    Finish(true);
    return true;
  }
  // Save: the first allowed extension is added to a name without one of
  // them; the folder must exist; an existing file is replaced only when the
  // user says so.
  if (path.back() == '/' || BaseName(path).empty()) {
    m_status = "Enter a file name.";
    return false;
  }
  if (!Allowed(BaseName(path))) path += "." + allowedFileTypes[0];
  if (!IsFolder(Parent(path))) {
    m_status = "The folder \"" + Parent(path) + "\" does not exist.";
    return false;
  }
  if (Exists(path)) {
    const int answer =
        WmRunAlert(title, "\"" + BaseName(path) + "\" already exists. Do you want to replace it?",
                   {"Replace", "Cancel"});
    if (answer != 0) return false;
  }
  m_paths.assign(1, path);
  Finish(true);
  return true;
}

bool WmFilePanel::NewFolder() {
  if (m_mode != kChooseFolder || !canCreateDirectories) return false;
  std::string name = nameText.empty() ? "untitled folder" : nameText;
  if (name.find('/') != std::string::npos || name == "." || name == "..") {
    m_status = "A folder name cannot hold \"/\".";
    return false;
  }
  std::string path = Join(m_directory, name);
  for (int n = 2; Exists(path) && n < 1000; ++n) path = Join(m_directory, name + " " + std::to_string(n));
  if (mkdir(path.c_str(), 0777) != 0) {
    m_status = "The folder cannot be made here.";
    return false;
  }
  const std::string made = BaseName(path);
  GoTo(m_directory);
  nameText.clear();
  for (size_t i = 0; i < m_folders.size(); ++i)
    if (m_folders[i].name == made) SelectFolder(static_cast<int>(i));
  return true;
}

bool WmFilePanel::RunModal(const std::string& directory, const std::string& name) {
  m_done = m_ok = false;
  m_paths.clear();
  if (directory.empty() || !GoTo(directory)) {
    char cwd[PATH_MAX];
    const char* home = getenv("HOME");
    if (!(home && GoTo(home)) && !(getcwd(cwd, sizeof cwd) && GoTo(cwd))) GoTo("/");
  }
  nameText = name;
  m_focus = m_mode == kChooseFolder ? kFolders : kFiles;
  if (!name.empty()) {
    m_focus = kName;
    for (size_t i = 0; i < m_files.size(); ++i)
      if (m_files[i].name == name) {
        SelectFile(static_cast<int>(i), false);
        m_focus = kName;
      }
  }
  if (!RunUntil(this, m_done)) return false;
  return m_done && m_ok;
}

bool WmFilePanel::WindowShouldClose() {
  Cancel();
  return false;
}

void WmFilePanel::KeyDown(const WmKeyEvent& event) {
  enum {
    kLeft = 123,
    kRight = 124,
    kDown = 125,
    kUp = 126,
    kReturn = 36,
    kEnter = 76,
    kTab = 48,
    kBackspace = 51,
    kEscape = 53,
    kHome = 115,
    kEnd = 119
  };
  const bool shift = (event.modifiers & kWmShift) != 0;
  m_status.clear();
  switch (event.keyCode) {
    case kEscape:
      Cancel();
      return;
    case kReturn:
    case kEnter:
      if (m_focus == kFolders && nameText.empty() && m_folderSelection >= 0 && m_mode != kChooseFolder)
        OpenFolder(m_folderSelection);
      else
        Confirm();
      return;
    case kTab: {
      std::vector<Focus> order = {kFolders};
      if (m_mode != kChooseFolder) order.push_back(kFiles);
      order.push_back(kName);
      size_t at = static_cast<size_t>(std::find(order.begin(), order.end(), m_focus) - order.begin());
      if (at >= order.size()) at = 0;
      m_focus = order[(at + (shift ? order.size() - 1 : 1)) % order.size()];
      return;
    }
    case kBackspace:
      m_focus = kName;
      if (!nameText.empty()) {
        // One character back (a whole UTF-8 sequence).
        size_t end = nameText.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(nameText[end]) & 0xC0) == 0x80) --end;
        nameText.erase(end);
      }
      return;
    case kLeft:
      if (m_focus != kName) GoUp();
      return;
    case kRight:
      if (m_focus == kFolders && m_folderSelection >= 0) OpenFolder(m_folderSelection);
      return;
    case kUp:
    case kDown:
    case kHome:
    case kEnd: {
      if (m_focus == kName) m_focus = m_mode == kChooseFolder ? kFolders : kFiles;
      const bool folders = m_focus == kFolders;
      const int count = static_cast<int>(folders ? m_folders.size() : m_files.size());
      if (count == 0) return;
      int current = folders ? m_folderSelection : (m_fileSelection.empty() ? -1 : m_fileSelection.back());
      if (event.keyCode == kUp) current = current < 0 ? count - 1 : std::max(0, current - 1);
      if (event.keyCode == kDown) current = std::min(count - 1, current + 1);
      if (event.keyCode == kHome) current = 0;
      if (event.keyCode == kEnd) current = count - 1;
      if (folders)
        SelectFolder(current);
      else
        SelectFile(current, false);
      return;
    }
    default:
      break;
  }
  // Typed characters go into the name field.
  bool typed = false;
  for (char32_t c : event.characters) {
    if (c < 0x20 || c == 0x7F || (c >= 0xF700 && c <= 0xF8FF)) continue;
    if (event.modifiers & (kWmCommand | kWmControl)) continue;
    char utf8[4];
    int n = 0;
    if (c < 0x80) {
      utf8[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
      utf8[n++] = static_cast<char>(0xC0 | (c >> 6));
      utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      utf8[n++] = static_cast<char>(0xE0 | (c >> 12));
      utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      utf8[n++] = static_cast<char>(0xF0 | (c >> 18));
      utf8[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    if (nameText.size() + static_cast<size_t>(n) < PATH_MAX) nameText.append(utf8, static_cast<size_t>(n));
    typed = true;
  }
  if (typed) m_focus = kName;
}

void WmFilePanel::Click(WmPoint p, int clickCount, uint32_t modifiers) {
  m_status.clear();
  if (contentView()) contentView()->SetNeedsDisplay(true);
  auto inside = [p](const WmRect& r) { return !r.Empty() && r.Contains(p.x, p.y); };
  auto row = [p](const WmRect& r, int top) { return top + static_cast<int>((p.y - r.y - 2) / kRowHeight); };
  if (inside(OkButtonRect())) {
    Confirm();
  } else if (inside(CancelButtonRect())) {
    Cancel();
  } else if (inside(NewFolderButtonRect())) {
    NewFolder();
  } else if (inside(NameFieldRect())) {
    m_focus = kName;
  } else if (inside(FolderListRect())) {
    m_focus = kFolders;
    const int index = row(FolderListRect(), m_folderTop);
    if (index < static_cast<int>(m_folders.size())) {
      if (clickCount >= 2 && index == m_folderSelection)
        OpenFolder(index);
      else
        SelectFolder(index);
    }
  } else if (inside(FileListRect())) {
    m_focus = kFiles;
    const int index = row(FileListRect(), m_fileTop);
    if (index < static_cast<int>(m_files.size())) {
      const bool extend = (modifiers & (kWmShift | kWmCommand | kWmControl)) != 0;
      const bool again = m_fileSelection.size() == 1 && m_fileSelection[0] == index;
      SelectFile(index, extend);
      if (clickCount >= 2 && again) Confirm();
    }
  }
}

// ---- WmAlert ---------------------------------------------------------------------------

namespace {
const int kAlertWidth = 440;
const int kAlertTextWidth = kAlertWidth - 40;

// The message in lines that fit the alert, broken at blanks (a word wider
// than a line is broken where it must) and at line ends.
std::vector<std::string> Wrap(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string paragraph = text.substr(start, end - start);
    std::string line;
    size_t i = 0;
    while (i < paragraph.size()) {
      size_t next = paragraph.find(' ', i);
      if (next == std::string::npos) next = paragraph.size();
      std::string word = paragraph.substr(i, next - i);
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (TextWidth(candidate) <= kAlertTextWidth) {
        line = candidate;
      } else {
        if (!line.empty()) lines.push_back(line);
        line.clear();
        while (TextWidth(word) > kAlertTextWidth && word.size() > 1) {
          size_t cut = word.size() - 1;
          while (cut > 1 && TextWidth(word.substr(0, cut)) > kAlertTextWidth) --cut;
          while (cut > 1 && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80) --cut;
          lines.push_back(word.substr(0, cut));
          word.erase(0, cut);
        }
        line = word;
      }
      i = next + 1;
    }
    lines.push_back(line);
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}
}  // namespace

WmAlert::WmAlert(const std::string& title, const std::string& message,
                 const std::vector<std::string>& buttons)
    : WmWindow(WmRect{0, 0, kAlertWidth, 120}, kWmTitled), m_message(message), m_buttons(buttons) {
  this->title = title;
  if (m_buttons.empty()) m_buttons.push_back("OK");
  m_lines = Wrap(message);
  for (const std::string& b : m_buttons) m_buttonWidths.push_back(std::max(80, TextWidth(b) + 24));
  const int lineHeight = std::max(PanelFont().LineHeight(), 14);
  const double height = 20 + lineHeight + 8 + static_cast<double>(m_lines.size()) * lineHeight + 20 + 24 + 14;
  auto* content = new PanelContent(WmRect{0, 0, kAlertWidth, height});
  content->paint = [this, content](const WmView::PaintTarget& t) {
    PaintAlert(*this, t, static_cast<int>(content->frame().width), static_cast<int>(content->frame().height));
  };
  content->click = [this](WmPoint p, const WmMouseEvent&) { Click(p); };
  content->key = [this](const WmKeyEvent& event) { KeyDown(event); };
  if (WmView* old = SetContentView(content)) WmApplication::Shared().Autorelease(old);
  SetFrame(WmRect{0, 0, kAlertWidth, height}, false);
}

// Buttons from the right: the first (the default) rightmost.
WmRect WmAlert::ButtonRect(int index) const {
  if (index < 0 || index >= static_cast<int>(m_buttons.size())) return WmRect{};
  double right = kAlertWidth - 16;
  for (int i = 0; i < index; ++i) right -= m_buttonWidths[static_cast<size_t>(i)] + 10;
  const double w = m_buttonWidths[static_cast<size_t>(index)];
  return WmRect{right - w, frame().height - 38, w, 24};
}

void WmAlert::Press(int index) {
  if (index < 0 || index >= static_cast<int>(m_buttons.size())) return;
  m_answer = index;
  m_done = true;
  WmApplication::Shared().StopModal();
}

int WmAlert::RunModal() {
  m_answer = -1;
  m_done = false;
  m_highlight = 0;
  RunUntil(this, m_done);
  return m_answer;
}

bool WmAlert::WindowShouldClose() {
  m_done = true;
  WmApplication::Shared().StopModal();
  return false;
}

void WmAlert::KeyDown(const WmKeyEvent& event) {
  const int count = static_cast<int>(m_buttons.size());
  switch (event.keyCode) {
    case 36:  // Return
    case 76:  // Enter
    case 49:  // Space
      Press(m_highlight);
      return;
    case 53:  // Escape
      for (int i = 0; i < count; ++i)
        if (m_buttons[static_cast<size_t>(i)] == "Cancel") return Press(i);
      for (int i = 0; i < count; ++i)
        if (m_buttons[static_cast<size_t>(i)] == "Stop") return Press(i);
      return;
    case 123:  // Left: the next button to the left
    case 48:   // Tab
      m_highlight = (m_highlight + 1) % count;
      return;
    case 124:  // Right
      m_highlight = (m_highlight + count - 1) % count;
      return;
    default:
      return;
  }
}

void WmAlert::Click(WmPoint p) {
  for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i)
    if (ButtonRect(i).Contains(p.x, p.y)) return Press(i);
}

int WmRunAlert(const std::string& title, const std::string& message,
               const std::vector<std::string>& buttons) {
  auto* alert = new WmAlert(title, message, buttons);
  const int answer = alert->RunModal();
  alert->Close();
  return answer;
}

// ---- Painting and input of the content views -----------------------------------------------

namespace {
void PaintFilePanel(const WmFilePanel& p, const WmView::PaintTarget& target, int w, int h) {
  Canvas c(w, h);
  if (!c.Ok()) return;
  const int lh = PanelFont().LineHeight();
  c.Fill(0, 0, w, h, kBackground);
  // The title (no window manager may show it) and the folder.
  const char* where = p.mode() == WmFilePanel::kSave ? "Save in: " : "Look in: ";
  std::string header = where + p.directory();
  if (!p.title.empty()) header = p.title + "  \xE2\x80\x94  " + header;
  c.Text(header, 10, 8, 10, w - 10, kBlack);

  auto list = [&](const WmRect& r, const std::vector<WmFileEntry>& rows, int top,
                  const std::vector<int>& selected, bool focused) {
    if (r.Empty()) return;
    c.Fill(r, kWhite);
    c.Frame(r, focused ? kFocus : kBorder);
    const int count = (static_cast<int>(r.height) - 4) / WmFilePanel::kRowHeight;
    for (int i = 0; i < count && top + i < static_cast<int>(rows.size()); ++i) {
      const WmFileEntry& e = rows[static_cast<size_t>(top + i)];
      const int y = Canvas::T(r) + 2 + i * WmFilePanel::kRowHeight;
      const bool on = std::find(selected.begin(), selected.end(), top + i) != selected.end();
      if (on)
        c.Fill(Canvas::L(r) + 1, y, Canvas::R(r) - 1, y + WmFilePanel::kRowHeight,
               focused ? kSelection : kDimSelection);
      const std::string text = e.name == ".." ? ".. (parent folder)" : e.folder ? e.name + "/" : e.name;
      c.Text(text, Canvas::L(r) + 6, y + (WmFilePanel::kRowHeight - lh) / 2, Canvas::L(r) + 2,
             Canvas::R(r) - 2, on && focused ? kWhite : kBlack);
    }
  };
  std::vector<int> folderSelection;
  if (p.selectedFolder() >= 0) folderSelection.push_back(p.selectedFolder());
  list(p.FolderListRect(), p.folders(), p.FolderTop(), folderSelection, p.focus() == WmFilePanel::kFolders);
  list(p.FileListRect(), p.files(), p.FileTop(), p.selectedFiles(), p.focus() == WmFilePanel::kFiles);

  const WmRect field = p.NameFieldRect();
  c.Text(p.mode() == WmFilePanel::kChooseFolder ? "Folder:" : "Name:", 10, Canvas::T(field) + 3, 10, 68,
         kBlack);
  c.Fill(field, kWhite);
  c.Frame(field, p.focus() == WmFilePanel::kName ? kFocus : kBorder);
  // The end of a long name stays in sight.
  std::string shown = p.nameText;
  while (!shown.empty() && TextWidth(shown) > field.width - 12) shown.erase(0, 1);
  c.Text(shown, Canvas::L(field) + 4, Canvas::T(field) + 3, Canvas::L(field) + 2, Canvas::R(field) - 2,
         kBlack);
  if (p.focus() == WmFilePanel::kName) {
    const int x = Canvas::L(field) + 4 + TextWidth(shown);
    c.Fill(x, Canvas::T(field) + 3, x + 1, Canvas::B(field) - 3, kBlack);
  }
  if (!p.status().empty()) c.Text(p.status(), 70, 354, 70, w - 10, kStatus);
  c.Button(p.CancelButtonRect(), "Cancel", false, false);
  c.Button(p.OkButtonRect(), p.prompt, true, false);
  if (!p.NewFolderButtonRect().Empty()) c.Button(p.NewFolderButtonRect(), "New Folder", false, false);
  c.Put(target);
}

void PaintAlert(const WmAlert& a, const WmView::PaintTarget& target, int w, int h) {
  Canvas c(w, h);
  if (!c.Ok()) return;
  const int lh = std::max(PanelFont().LineHeight(), 14);
  c.Fill(0, 0, w, h, kBackground);
  c.Text(a.title, 20, 20, 20, w - 20, kBlack);
  c.Fill(20, 20 + lh + 2, w - 20, 20 + lh + 3, kBorder);
  int y = 20 + lh + 8;
  for (const std::string& line : a.lines()) {
    c.Text(line, 20, y, 20, w - 20, kBlack);
    y += lh;
  }
  for (int i = 0; i < static_cast<int>(a.buttons().size()); ++i)
    c.Button(a.ButtonRect(i), a.buttons()[static_cast<size_t>(i)], i == 0, i == a.highlighted());
  c.Put(target);
}

}  // namespace
