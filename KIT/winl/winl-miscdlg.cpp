// File choosers and the message box on the window model's panels.
#include "KIT/winl/winl-miscdlg.h"

#include <cstdlib>
#include <cstring>

#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-menu.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowPanels.h"

namespace {

const size_t kPathLimit = 2047;
const size_t kExtensionLimit = 31;

// The one-shot accessory template.
WINL_DialogResourceIndex* BFSF_Templ_reshead = nullptr;
const char* BFSF_Templ_dlgid = nullptr;
DLGPROC BFSF_Templ_dlgproc = nullptr;

// Prepares a panel: title, the accessory dialog of a pending template
// (used once), and the modal menu bar while it runs.
class PanelRun {
 public:
  PanelRun(WmFilePanel* panel, const char* text) : m_panel(panel) {
    if (text && *text) panel->title = text;
    panel->SetAccessoryView(nullptr);
    if (BFSF_Templ_dlgid) {
      WINL_DialogResourceIndex* record = nullptr;
      for (WINL_DialogResourceIndex* r = BFSF_Templ_reshead; r; r = r->_next)
        if (r->resid == BFSF_Templ_dlgid) record = r;
      if (record) {
        Winl_vVivivI_hwnd* view = Winl_vVivivI_hwnd::initChild(record, nullptr, BFSF_Templ_dlgproc, 0);
        if (WmIsLive(view)) {
          view->SetHidden(false);
          panel->SetAccessoryView(view);
          m_accessory = view;
        }
      }
      BFSF_Templ_dlgid = nullptr;
      BFSF_Templ_dlgproc = nullptr;
    }
    WmApplication& app = WmApplication::Shared();
    m_savedMenu = app.mainMenu();
    if (m_savedMenu) m_savedMenu->Retain();
    HMENU modal = WINL_GetDefaultModalWindowMenu();
    m_modalMenu = modal ? WINL_DuplicateMenu(modal) : nullptr;
    app.SetMainMenu(m_modalMenu);
  }
  ~PanelRun() {
    if (WmIsLive(m_accessory)) {
      SendMessage(m_accessory, WM_DESTROY, 0, 0);
      if (WmIsLive(m_panel)) m_panel->SetAccessoryView(nullptr);
    }
    // Back to the menu of the window with the focus, else the one before.
    WmApplication& app = WmApplication::Shared();
    HMENU restore = nullptr;
    if (HWND focus = GetFocus()) {
      WmView* view = WINL_AsView(focus);
      WmWindow* window = view ? view->window() : WINL_AsWindow(focus);
      if (window) restore = GetMenu(window->contentView());
    }
    if (restore)
      WINL_SetCurrentMenu(restore);
    else
      app.SetMainMenu(m_savedMenu);
    if (m_savedMenu) m_savedMenu->Release();
    if (m_modalMenu) DestroyMenu(m_modalMenu);
    m_panel->Close();
  }
  PanelRun(const PanelRun&) = delete;
  PanelRun& operator=(const PanelRun&) = delete;

 private:
  WmFilePanel* m_panel;
  WmView* m_accessory = nullptr;
  WmMenu* m_savedMenu = nullptr;
  HMENU m_modalMenu = nullptr;
};

// Copies a chosen path into the caller's buffer: false (nothing written)
// when it is empty, longer than the layer handles or does not fit.
bool CopyPath(const std::string& path, char* buffer, int size) {
  if (path.empty() || path.size() > kPathLimit || !buffer || size < 1 ||
      path.size() >= static_cast<size_t>(size))
    return false;
  memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

std::vector<std::string> WINL_ExtensionsFromList(const char* list) {
  std::vector<std::string> types;
  types.reserve(30);
  if (!list) return types;
  // Pairs: description, then patterns; an empty description ends the list.
  for (const char* p = list; *p;) {
    const char* patterns = p + strlen(p) + 1;
    const size_t patternsLength = strlen(patterns);
    for (const char* pattern = patterns; pattern < patterns + patternsLength;) {
      const char* end = strchr(pattern, ';');
      if (!end) end = patterns + patternsLength;
      const char* dot = static_cast<const char*>(memchr(pattern, '.', static_cast<size_t>(end - pattern)));
      if (dot && dot + 1 < end && dot[1] != '*')
        types.emplace_back(dot + 1, std::min(static_cast<size_t>(end - dot - 1), kExtensionLimit));
      pattern = *end ? end + 1 : end;
    }
    if (!patternsLength) break;  // a description without patterns ends the list
    p = patterns + patternsLength + 1;
  }
  return types;
}

void WINL_SplitInitialPath(const char* folder, const char* file, std::string* outFolder,
                           std::string* outFile) {
  outFolder->clear();
  outFile->clear();
  bool folderFromFile = false;
  if (file && *file) {
    std::string text(file, strnlen(file, kPathLimit));
    const size_t slash = text.rfind('/');
    if (slash != std::string::npos) {
      *outFile = text.substr(slash + 1);
      *outFolder = slash == 0 ? "/" : text.substr(0, slash);
      folderFromFile = true;
    } else {
      *outFile = text;
    }
  }
  if (!folderFromFile && folder && *folder) *outFolder = std::string(folder, strnlen(folder, kPathLimit));
}

void BrowseFile_SetTemplate(const char* resid, DLGPROC proc, WINL_DialogResourceIndex* reshead) {
  BFSF_Templ_dlgid = resid;
  BFSF_Templ_dlgproc = proc;
  BFSF_Templ_reshead = reshead;
}

bool BrowseForSaveFile(const char* text, const char* initialdir, const char* initialfile, const char* extlist,
                       char* buffer, int size) {
  std::string folder, file;
  WINL_SplitInitialPath(initialdir, initialfile, &folder, &file);
  auto* panel = new WmFilePanel(WmFilePanel::kSave);
  panel->allowedFileTypes = WINL_ExtensionsFromList(extlist);
  std::string chosen;
  {
    PanelRun run(panel, text);
    if (panel->RunModal(folder, file) && !panel->paths().empty()) chosen = panel->paths()[0];
  }
  return CopyPath(chosen, buffer, size);
}

char* BrowseForFiles(const char* text, const char* initialdir, const char* initialfile, bool allowmul,
                     const char* extlist) {
  std::string folder, file;
  WINL_SplitInitialPath(initialdir, initialfile, &folder, &file);
  auto* panel = new WmFilePanel(WmFilePanel::kOpen);
  panel->allowedFileTypes = WINL_ExtensionsFromList(extlist);
  panel->allowsMultipleSelection = allowmul;
  std::vector<std::string> paths;
  {
    PanelRun run(panel, text);
    if (panel->RunModal(folder, file)) paths = panel->paths();
  }
  for (const std::string& path : paths)
    if (path.empty() || path.size() > kPathLimit) return nullptr;
  if (paths.empty()) return nullptr;
  if (paths.size() == 1 || !allowmul) {
    const std::string& path = paths[0];
    char* out = static_cast<char*>(malloc(path.size() + 2));
    if (!out) return nullptr;
    memcpy(out, path.c_str(), path.size() + 1);
    out[path.size() + 1] = 0;
    return out;
  }
  size_t total = 1 + 1;  // the empty first string and the final NUL
  for (const std::string& path : paths) total += path.size() + 1;
  char* out = static_cast<char*>(malloc(total));
  if (!out) return nullptr;
  char* p = out;
  *p++ = 0;
  for (const std::string& path : paths) {
    memcpy(p, path.c_str(), path.size() + 1);
    p += path.size() + 1;
  }
  *p = 0;
  return out;
}

bool BrowseForDirectory(const char* text, const char* initialdir, char* buffer, int size) {
  auto* panel = new WmFilePanel(WmFilePanel::kChooseFolder);
  panel->canCreateDirectories = true;
  std::string chosen;
  {
    PanelRun run(panel, text);
    const std::string folder = initialdir ? std::string(initialdir, strnlen(initialdir, kPathLimit)) : "";
    if (panel->RunModal(folder, "") && !panel->paths().empty()) chosen = panel->paths()[0];
  }
  return CopyPath(chosen, buffer, size);
}

int MessageBox(HWND, const char* text, const char* caption, int type) {
  struct Kind {
    std::vector<std::string> buttons;
    std::vector<int> results;
  };
  static const Kind kKinds[6] = {
      {{"OK"}, {IDOK}},
      {{"OK", "Cancel"}, {IDOK, IDCANCEL}},
      {{}, {}},  // abort, retry, ignore: not offered
      {{"Yes", "Cancel", "No"}, {IDYES, IDCANCEL, IDNO}},
      {{"Yes", "No"}, {IDYES, IDNO}},
      {{"Retry", "Cancel"}, {IDRETRY, IDCANCEL}},
  };
  const int kind = type & 0xF;  // the icon and other flag bits are not shown
  if (kind >= 6 || kKinds[kind].buttons.empty()) return 0;
  const int answer = WmRunAlert(caption ? caption : "", text ? text : "", kKinds[kind].buttons);
  if (answer < 0 || answer >= static_cast<int>(kKinds[kind].results.size())) return 0;
  return kKinds[kind].results[static_cast<size_t>(answer)];
}
