// The entries a plug-in bundle exports, forwarding to the Audio Unit binding:
// the component entry, the view component entry, and the view factory's one
// call, found by the host under the factory class's name. Every plug-in
// module compiles this file itself (vivivi_au_bundle adds it), since symbols
// of the static libraries stay hidden in a bundle; the plug-in supplies
// MakePlug.
#include "KIT/IModule/IModuleAU.h"
#include "KIT/IModule/IModuleAU_ViewFactory.h"

extern "C" __attribute__((visibility("default"))) ComponentResult VivivI_Entry(ComponentParameters* params,
                                                                               void* storage) {
  return IModuleAU::IModuleAUEntry(params, storage);
}

extern "C" __attribute__((visibility("default"))) ComponentResult VivivI_ViewEntry(
    ComponentParameters* params, void* storage) {
  return IModuleAU::IModuleAUCarbonViewEntry(params, storage);
}

extern "C" __attribute__((visibility("default"))) void* VivivI_View_uiViewForAudioUnit(AudioUnit unit,
                                                                                       float width,
                                                                                       float height) {
  VivivI_View factory;
  return factory.uiViewForAudioUnit(unit, width, height);
}
