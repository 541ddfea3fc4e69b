// A plug-in's editor view hosted in a window of the layer: the bundle named
// by the unit's view information is loaded, its view factory found by the
// class name and asked for a view, which a hosted view of the window model
// (WindowHostedView.h) shows inside the parent.
#include <dlfcn.h>

#include <string>

#include "KIT/winl/winl-wnd.h"
#include "platform/audiounit/AUTypes.h"
#include "platform/corefoundation/CFBundle.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/CFURL.h"
#include "platform/view/ViewPane.h"
#include "platform/window/WindowHostedView.h"

namespace {

std::string TextOf(CFStringRef text) {
  char buffer[1024] = {0};
  if (!text || !CFStringGetCString(text, buffer, sizeof buffer, kCFStringEncodingUTF8)) return std::string();
  return buffer;
}

// The path of the shared object of the bundle at url; empty when there is
// no such bundle or it names none.
std::string ExecutableOf(CFURLRef url) {
  if (!url) return std::string();
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  if (!bundle) return std::string();
  std::string path;
  if (CFURLRef executable = CFBundleCopyExecutableURL(bundle)) {
    uint8_t buffer[4096];
    if (CFURLGetFileSystemRepresentation(executable, true, buffer, sizeof buffer))
      path = reinterpret_cast<const char*>(buffer);
    CFRelease(executable);
  }
  CFRelease(bundle);
  return path;
}

}  // namespace

HWND WINL_GetAudioUnitCocoaView(HWND parent, void* unit, void* info, RECT* r) {
  WmView* into = WINL_AsView(parent);
  if (WmWindow* window = WINL_AsWindow(parent)) into = window->contentView();
  const auto* view = static_cast<const AudioUnitCocoaViewInfo*>(info);
  if (!into || !view) return nullptr;
  const std::string className = TextOf(view->mCocoaAUViewClass[0]);
  const std::string executable = ExecutableOf(view->mCocoaAUViewBundleLocation);
  if (className.empty() || executable.empty()) return nullptr;
  void* library = dlopen(executable.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  // The class is the factory when the bundle exports its view call.
  typedef void* (*ViewCall)(AudioUnit, float, float);
  const std::string symbol = className + "_uiViewForAudioUnit";
  auto call = reinterpret_cast<ViewCall>(dlsym(library, symbol.c_str()));
  const float width = r ? static_cast<float>(r->right - r->left) : 0;
  const float height = r ? static_cast<float>(r->bottom - r->top) : 0;
  void* made = call ? call(static_cast<AudioUnit>(unit), width, height) : nullptr;
  if (!made) {
    dlclose(library);
    return nullptr;
  }
  auto* pane = static_cast<ViewPane*>(made);
  const WmRect frame{0, 0, static_cast<double>(pane->Width()), static_cast<double>(pane->Height())};
  auto* hosted = new WmHostedView(frame, pane, [library] { dlclose(library); });
  into->AddSubview(hosted);
  if (r) *r = RECT{0, 0, pane->Width(), pane->Height()};
  return hosted;
}
