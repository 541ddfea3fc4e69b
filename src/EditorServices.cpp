#include "src/EditorServices.h"

#include "KIT/IModule/ControlLayer.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"

EditorServices::~EditorServices() = default;

void EditorServices::hideLayer(ControlLayer* layer, bool hide) {
  if (layer) layer->Hide(hide);
}
