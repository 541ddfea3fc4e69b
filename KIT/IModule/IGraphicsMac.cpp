#include "KIT/IModule/IGraphicsMac.h"

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FileEncrypt/resource_cipher.h"
#include "KIT/IModule/IGraphicsCarbon.h"
#include "KIT/IModule/IGraphicsCocoa.h"
#include "KIT/pix/pix-png.h"
#include "KIT/pix/pix-sysbitmap.h"
#include "KIT/regularfile.h"
#include "KIT/winl/winl-miscdlg.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/view/View.h"
#include "platform/window/WindowPresenter.h"

extern char** environ;

namespace {

// ---- Bundle look-ups --------------------------------------------------------------

// The bundle with the identifier, or null.
CFBundleRef BundleWithID(const char* id) {
  CFStringRef name = CFStringCreateWithCString(nullptr, id ? id : "", kCFStringEncodingUTF8);
  if (!name) return nullptr;
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(name);
  CFRelease(name);
  return bundle;
}

std::string PathOf(CFURLRef url) {
  char path[4096] = {0};
  if (!url || !CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<uint8_t*>(path), sizeof path))
    return "";
  return path;
}

// A name split as the resource look-up wants it: the folder part dropped,
// then the base name and the extension (after the last '.', "" when none).
void SplitResourceName(const char* name, std::string* base, std::string* extension) {
  std::string last = name ? name : "";
  const size_t slash = last.rfind('/');
  if (slash != std::string::npos) last = last.substr(slash + 1);
  const size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) {
    *base = last;
    extension->clear();
  } else {
    *base = last.substr(0, dot);
    *extension = last.substr(dot + 1);
  }
}

// The path of Resources/base[.extension] in the bundle; "" when there is none.
std::string ResourcePath(const char* bundleID, const std::string& base, const std::string& extension) {
  CFBundleRef bundle = BundleWithID(bundleID);
  if (!bundle || base.empty()) return "";
  CFStringRef name = CFStringCreateWithCString(nullptr, base.c_str(), kCFStringEncodingUTF8);
  CFStringRef type = extension.empty()
                         ? nullptr
                         : CFStringCreateWithCString(nullptr, extension.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = name ? CFBundleCopyResourceURL(bundle, name, type, nullptr) : nullptr;
  const std::string path = PathOf(url);
  if (url) CFRelease(url);
  if (type) CFRelease(type);
  if (name) CFRelease(name);
  return path;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

// ---- Lifecycle ----------------------------------------------------------------------

IGraphicsMac::IGraphicsMac(IModuleBase* plug, int width, int height, int fps)
    : IGraphics(plug, width, height, fps) {}

IGraphicsMac::~IGraphicsMac() { CloseBindings(); }

View* IGraphicsMac::GetView() const {
  if (mGraphicsCarbon) return mGraphicsCarbon->GetView();
  return mGraphicsCocoa;
}

void* IGraphicsMac::OpenWindow(void* parentView) {
  CloseWindow();
  IGraphicsCocoa_vVivivI_au* view = new IGraphicsCocoa_vVivivI_au(this);
  if (!view->IsOpen()) {
    view->Detach();
    view->Release();
    return nullptr;
  }
  mGraphicsCocoa = view;
  if (parentView) view->AddToParent(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parentView)));
  return static_cast<ViewPane*>(view);
}

void* IGraphicsMac::OpenWindow(void* window, void* parentControl, short leftOffset, short topOffset) {
  CloseWindow();
  IGraphicsCarbon* carbon = new IGraphicsCarbon(this, window, parentControl, leftOffset, topOffset);
  if (!carbon->GetView()) {
    delete carbon;
    return nullptr;
  }
  mGraphicsCarbon = carbon;
  return static_cast<ViewPane*>(carbon->GetView());
}

void IGraphicsMac::CloseWindow() { CloseBindings(); }

// The order matters: the view's own removal calls CloseWindow only while it
// still points at this GUI, so neither side closes the other twice.
void IGraphicsMac::CloseBindings() {
  if (mGraphicsCarbon) {
    delete mGraphicsCarbon;
    mGraphicsCarbon = nullptr;
  } else if (IGraphicsCocoa_vVivivI_au* view = mGraphicsCocoa) {
    view->killTimer();
    mGraphicsCocoa = nullptr;
    if (view->Graphics() == this) {
      view->Detach();
      view->removeFromSuperview();
    }
    view->Release();
  }
}

void* IGraphicsMac::GetWindow() { return mGraphicsCocoa ? static_cast<ViewPane*>(mGraphicsCocoa) : nullptr; }

// ---- Drawing -------------------------------------------------------------------------

bool IGraphicsMac::DrawScreen(IRECT*) {
  View* view = GetView();
  PIX_SysBitmap* bitmap = GetDrawBitmap();
  if (!view || !bitmap || !bitmap->getBits()) return false;
  return view->PresentFrame(bitmap->getBits(), bitmap->getRowSpan(), bitmap->getWidth(), bitmap->getHeight());
}

bool IGraphicsMac::MeasureIText(IText* text, char* str, IRECT* r) { return DrawIText(text, str, r, true); }

void IGraphicsMac::ForceEndUserEdit() {
  if (mGraphicsCarbon)
    mGraphicsCarbon->EndUserInput(false);
  else if (mGraphicsCocoa)
    mGraphicsCocoa->endUserInput();
}

void IGraphicsMac::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mGraphicsCarbon)
    mGraphicsCarbon->Resize(w, h);
  else if (mGraphicsCocoa)
    mGraphicsCocoa->View::Resize(w, h);
}

const char* IGraphicsMac::GetGUIAPI() {
  if (!mGraphicsCarbon) return "Cocoa gui";
  return mGraphicsCarbon->GetIsComposited() ? "Carbon Composited gui" : "Carbon Non-Composited gui";
}

namespace {
// The windowing layer's panels show on the display of the open view (one X
// connection for the process); a headless view keeps them headless.
void PanelsOnTheViewsDisplay(View* view) {
  WmApplication& app = WmApplication::Shared();
  if (app.presenterFactory || !view || view->IsHeadless()) return;
  app.presenterFactory = [](WmWindow* window) { return WmMakeXlibPresenter(window); };
}
}  // namespace

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type) {
  PanelsOnTheViewsDisplay(GetView());
  return MessageBox(nullptr, text, caption, type);
}

// ---- Menus and text entry -------------------------------------------------------------

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* r) {
  ReleaseMouseCapture();
  if (!menu || !r) return nullptr;
  if (mGraphicsCocoa) return mGraphicsCocoa->createIPopupMenu(menu, *r);
  if (mGraphicsCarbon) return mGraphicsCarbon->CreateIPopupMenu(menu, r);
  return nullptr;
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param) {
  if (!r) return;
  if (mGraphicsCocoa)
    mGraphicsCocoa->createTextEntry(control, param, text, str, *r);
  else if (mGraphicsCarbon)
    mGraphicsCarbon->CreateTextEntry(control, text, r, str, param);
}

// ---- Paths, files, web pages ----------------------------------------------------------------

void IGraphicsMac::HostPath(KIT_String* path) {
  CFBundleRef bundle = BundleWithID(mBundleID.Get());
  CFURLRef url = bundle ? CFBundleCopyExecutableURL(bundle) : nullptr;
  path->Set(PathOf(url).c_str());
  if (url) CFRelease(url);
}

void IGraphicsMac::PluginPath(KIT_String* path) {
  CFBundleRef bundle = BundleWithID(mBundleID.Get());
  CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
  std::string folder = PathOf(url);
  if (url) CFRelease(url);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const size_t slash = folder.rfind('/');
  path->Set(slash == std::string::npos ? "" : folder.substr(0, slash + 1).c_str());
}

void IGraphicsMac::DesktopPath(KIT_String* path) {
  const char* home = getenv("HOME");
  if (!home || !*home) {
    // Without HOME, the account's home folder.
    const passwd* account = getpwuid(getuid());
    home = account ? account->pw_dir : nullptr;
  }
  path->Set(home && *home ? (std::string(home) + "/Desktop/").c_str() : "");
}

void IGraphicsMac::PromptForFile(KIT_String* fileName, EFileAction action, KIT_String* dir,
                                 const char* extensions) {
  if (!fileName) return;
  if (!WindowIsOpen()) {
    fileName->Set("");
    return;
  }
  const std::string name = fileName->Get();
  if (dir && !*dir->Get()) dir->Set("~/Desktop");
  const std::string folder = dir ? dir->Get() : "~/Desktop";
  fileName->Set("");
  // The blank-separated extensions as a filter list: "Files", then
  // "*.syx;*.vrn", then the empty string that ends the list.
  std::string patterns;
  for (const char* p = extensions ? extensions : ""; *p;) {
    const char* end = strchr(p, ' ');
    if (!end) end = p + strlen(p);
    if (end > p) patterns += (patterns.empty() ? "*." : ";*.") + std::string(p, end);
    p = *end ? end + 1 : end;
  }
  std::string filter;
  if (!patterns.empty()) filter = std::string("Files") + '\0' + patterns + '\0' + '\0';
  const char* list = filter.empty() ? nullptr : filter.c_str();
  PanelsOnTheViewsDisplay(GetView());
  std::string chosen;
  if (action == kFileSave) {
    std::vector<char> path(4096);
    if (BrowseForSaveFile("", folder.c_str(), name.c_str(), list, path.data(), static_cast<int>(path.size())))
      chosen = path.data();
  } else {
    // The initial file name is offered in the folder (a path in it is not
    // taken as the folder).
    const size_t slash = name.rfind('/');
    const std::string offered = slash == std::string::npos ? name : name.substr(slash + 1);
    if (char* files = BrowseForFiles("", folder.c_str(), offered.c_str(), false, list)) {
      chosen = files;
      free(files);
    }
  }
  if (chosen.empty()) return;
  fileName->Set(chosen.c_str());
  if (dir) {
    const size_t slash = chosen.rfind('/');
    dir->Set(slash == std::string::npos ? "" : chosen.substr(0, slash + 1).c_str());
  }
}

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*) {
  if (!url || !*url) return true;  // no address can be formed: nothing to open
  // A text holding "http" is a web address as written; anything else names
  // a file, a relative path taken from the current folder.
  std::string target = url;
  if (!strstr(url, "http") && url[0] != '/') {
    char folder[4096];
    if (!getcwd(folder, sizeof folder)) return false;
    target = std::string(folder) + "/" + url;
  }
  // Never an option of the opener.
  if (target[0] == '-') return false;
  char program[] = "xdg-open";
  char* argv[] = {program, &target[0], nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program, nullptr, nullptr, argv, environ) != 0) return false;
  // The opener runs on; its exit is collected on a thread of its own.
  std::thread([child] {
    int status = 0;
    waitpid(child, &status, 0);
  }).detach();
  return true;
}

// ---- Resources ------------------------------------------------------------------------------

char* IGraphicsMac::OSLoadFile(int, const char* name) {
  std::string base, extension;
  SplitResourceName(name, &base, &extension);
  mLastLoadFailure.clear();
  const std::string path = ResourcePath(mBundleID.Get(), base, extension);
  if (path.empty()) return nullptr;
  // Only a regular file, opened without waiting: a pipe under a resource's
  // name never hangs the editor's start-up.
  FILE* file = KIT_FOpenRegularFile(path.c_str(), "rb");
  if (!file) {
    mLastLoadFailure = std::string("cannot be opened: ") + strerror(errno);
    LogError("failed to open file \"%s\": %s", path.c_str(), strerror(errno));
    return nullptr;
  }
  std::unique_ptr<char[]> buffer(new char[kResourceFileLimit]());
  size_t total = 0;
  while (total < kResourceFileLimit) {
    const size_t got = fread(buffer.get() + total, 1, kResourceFileLimit - total, file);
    if (got == 0) break;
    total += got;
  }
  const bool readFailed = ferror(file) != 0;
  fclose(file);
  if (readFailed) {
    mLastLoadFailure = "cannot be read";
    LogError("failed to read file \"%s\"", path.c_str());
    return nullptr;
  }
  // A file that fills the buffer is at or above the limit: refused whole,
  // never cut.
  if (total >= kResourceFileLimit) {
    mLastLoadFailure = "refused: " + std::to_string(total) + " bytes or more, more than the " +
                       std::to_string(kResourceFileLimit - 1) + " bytes a resource file may hold";
    LogError("resource \"%s\" refused: %zu bytes or more, the limit is %zu", path.c_str(), total,
             kResourceFileLimit);
    return nullptr;
  }
  mLastLoadedFileSize = static_cast<int>(total);
  return buffer.release();
}

PIX_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name) {
  return LoadImgFromResourceOSX(mBundleID.Get(), name);
}

PIX_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* fileName) {
  if (!fileName) return nullptr;
  const char* dot = strrchr(fileName, '.');
  if (!EqualsIgnoringCase(dot ? dot + 1 : fileName, "png")) return nullptr;
  std::string base, extension;
  SplitResourceName(fileName, &base, &extension);
  const std::string path = ResourcePath(bundleID, base, "png");
  if (path.empty()) return nullptr;
  return PIX_LoadPNG(path.c_str(), nullptr);
}
