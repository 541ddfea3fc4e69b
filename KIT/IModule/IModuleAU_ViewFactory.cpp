// The editor view component's entry and the view factory class.
#include "KIT/IModule/IModuleAU_ViewFactory.h"

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IGraphicsMac.h"

namespace {

// The plug-in object of a unit, when the unit is the one this view component
// was registered for (same subtype and manufacturer); null otherwise.
IModuleAU* PlugOfUnit(ComponentInstance view, AudioUnit unit) {
  ComponentDescription viewInfo{}, unitInfo{};
  if (GetComponentInfo(view, &viewInfo) != noErr || GetComponentInfo(unit, &unitInfo) != noErr)
    return nullptr;
  if (viewInfo.componentSubType != unitInfo.componentSubType ||
      viewInfo.componentManufacturer != unitInfo.componentManufacturer)
    return nullptr;
  return static_cast<IModuleAU*>(GetComponentInstanceStorage(unit));
}

}  // namespace

int GetEditorOSVersion(IGraphics* gui) { return gui ? IGraphicsMac::GetUserOSVersion() : 0; }

void* OpenEditorView(IGraphics* gui) { return gui ? gui->OpenWindow(nullptr) : nullptr; }

bool OpenEditorInWindow(IGraphics* gui, void* window, void* parentControl, void** control) {
  *control = gui ? gui->OpenWindow(window, parentControl, 0, 0) : nullptr;
  // A GUI that gives no control opened no window.
  return *control != nullptr;
}

void CloseEditor(IGraphics* gui) {
  if (gui) gui->CloseWindow();
}

ComponentResult IModuleAU::IModuleAUCarbonViewEntry(ComponentParameters* params, void* storage) {
  const int n = ComponentArgumentCount(params);
  auto* record = static_cast<IModuleAUCarbonViewRecord*>(storage);
  try {
    switch (params ? params->what : 0) {
      case kComponentOpenSelect: {
        if (n < 1) return paramErr;
        auto* made = new IModuleAUCarbonViewRecord;
        made->mViewInstance = ComponentPointerArgument<ComponentInstance>(params, n, 0);
        SetComponentInstanceStorage(made->mViewInstance, made);
        return noErr;
      }
      case kAudioUnitCarbonViewCreateSelect: {
        if (n < 7 || !record) return paramErr;
        auto** outControl = ComponentPointerArgument<void**>(params, n, 6);
        record->mPlug = PlugOfUnit(record->mViewInstance, ComponentPointerArgument<AudioUnit>(params, n, 1));
        if (!record->mPlug || !record->mPlug->GetGUI()) return badComponentSelector;
        void* control = nullptr;
        if (!OpenEditorInWindow(record->mPlug->GetGUI(), ComponentPointerArgument<void*>(params, n, 2),
                                ComponentPointerArgument<void*>(params, n, 3), &control))
          return badComponentSelector;
        if (outControl) *outControl = control;
        return noErr;
      }
      case kComponentCloseSelect:
        if (record && record->mPlug && record->mPlug->GetGUI()) CloseEditor(record->mPlug->GetGUI());
        delete record;
        return noErr;
      default:
        return badComponentSelector;
    }
  } catch (...) {
    return badComponentSelector;
  }
}

VivivI_View* VivivI_View::init() {
  mPlug = nullptr;
  return this;
}

void* VivivI_View::uiViewForAudioUnit(AudioUnit unit, float, float) {
  mPlug = static_cast<IModuleAU*>(GetComponentInstanceStorage(unit));
  if (!mPlug || !mPlug->GetGUI()) return nullptr;
  return OpenEditorView(mPlug->GetGUI());
}

CFStringRef VivivI_View::description() const {
  return CFStringCreateWithCString(nullptr, "VivivI Editor View", kCFStringEncodingUTF8);
}
