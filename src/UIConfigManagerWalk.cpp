// ELEMENT WALK: the document order, the common attributes, parameter
// references and the structure elements (layers, multilayer instances, the
// librarian list and background images). Control elements continue in
// UIConfigManagerControls.cpp.
//
// Siblings are handled in a loop and only nesting recurses, to at most
// kMaxNestingDepth levels; the walk budget bounds the work a description can
// ask for (a multilayer builds its children once per instance).
#include <tinyxml2.h>

#include <cstring>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IGraphics.h"
#include "src/EditorServices.h"
#include "src/UIConfigManager.h"

namespace {

// The layer elements; all are handled alike.
const char* const kLayerNames[] = {"layer",        "eg2layer",     "lfo1layer",
                                   "lfo2layer",    "voicelayer",   "osccontrollayer",
                                   "modseq1layer", "modseq2layer", "modseq3layer"};

bool isLayerName(const char* name) {
  for (const char* layerName : kLayerNames)
    if (std::strcmp(name, layerName) == 0) return true;
  return false;
}

}  // namespace

void UIConfigManager::processXMLElement(tinyxml2::XMLNode* node, ControlLayer* parent, int instance) {
  walkSiblings(node, parent, instance, 0);
}

void UIConfigManager::walkSiblings(tinyxml2::XMLNode* node, ControlLayer* parent, int instance, int depth) {
  if (depth > kMaxNestingDepth) {
    if (node)
      log("CONFIG READER: elements nested deeper than " + std::to_string(kMaxNestingDepth) +
          " levels from line " + std::to_string(node->GetLineNum()) + " are skipped");
    return;
  }
  for (; node; node = node->NextSibling()) {
    tinyxml2::XMLElement* element = node->ToElement();
    if (!element) continue;  // a comment or text
    if (!spendWalkBudget()) return;
    processElement(element, parent, instance, depth);
  }
}

bool UIConfigManager::spendWalkBudget() {
  if (walkBudget > 0) {
    --walkBudget;
    return true;
  }
  if (!walkBudgetReported) {
    walkBudgetReported = true;
    log("CONFIG READER: the UI description asks for too many elements; the rest is not built");
  }
  return false;
}

void UIConfigManager::processElement(tinyxml2::XMLElement* element, ControlLayer* parent, int instance,
                                     int depth) {
  const std::string image = attributeText(element, "imageId");
  const std::string paramText = attributeText(element, "paramId");
  const std::string group = attributeText(element, "paramGroup");
  const int paramIdx = resolveParamId(paramText, instance, element->GetLineNum());

  const char* name = element->Value();
  if (!name) return;
  if (std::strcmp(name, "patchBrowser") == 0) {
    buildPatchBrowser(element, parent, image);
  } else if (isLayerName(name)) {
    buildLayer(element, parent, instance, depth);
  } else if (std::strcmp(name, "multilayer") == 0) {
    buildMultilayer(element, parent, depth);
  } else if (std::strcmp(name, "background") == 0) {
    buildBackground(element, parent, image);
  } else {
    buildControlElement(element, parent, instance, paramIdx, image, group);
  }
}

int UIConfigManager::resolveParamId(const std::string& text, int instance, int line) {
  std::vector<std::string> pieces;
  Tokenize(text, pieces, "+");
  if (pieces.empty()) return -1;
  const int base = getParamByName(pieces[0]);
  if (base < 0) return -1;  // an unknown name never lands on another parameter
  long long index = static_cast<long long>(base) + (instance > 0 ? instance : 0);
  if (pieces.size() >= 2) {
    int offset = 0;
    if (!readDecimal(pieces[1], &offset)) {
      log("CONFIG READER: paramId " + text + " on line " + std::to_string(line) +
          " has no number after \"+\"; no parameter");
      return -1;
    }
    index += offset;
  }
  if (index < 0 || index >= kNumParams) {
    log("CONFIG READER: paramId " + text + " in instance " + std::to_string(instance) + " on line " +
        std::to_string(line) + " gives " + std::to_string(index) + ", which names no parameter");
    return -1;
  }
  return static_cast<int>(index);
}

bool UIConfigManager::namesParameter(int index) const {
  return plug && index >= 0 && index < kNumParams && plug->GetParam(index) != nullptr;
}

void UIConfigManager::place(IControl* control, ControlLayer* layer) {
  if (!control) return;
  if (layer)
    layer->controls.Add(control);
  else
    gui->AttachControl(control);
}

void UIConfigManager::buildLayer(tinyxml2::XMLElement* element, ControlLayer* parent, int instance,
                                 int depth) {
  const char* name = element->Attribute("name");
  if (!name)
    log("CONFIG READER: a " + std::string(element->Value()) + " on line " +
        std::to_string(element->GetLineNum()) + " has no name; it is built but cannot be found by name");
  auto* layer = new ControlLayer(intAttribute(element, "id"), name ? name : "");
  if (parent)
    parent->subLayers.Add(layer);
  else
    gui->AttachLayer(layer);
  if (name) layersByName[name] = layer;
  walkSiblings(element->FirstChild(), layer, instance, depth + 1);
  // Also reaches every sub-layer, so it runs after the children exist: the
  // outermost layer element decides for all layers nested in it.
  const char* overlay = element->Attribute("overlay");
  layer->setIgnoreHiddenWhenUpdatingScreen(overlay && std::strcmp(overlay, "true") == 0);
}

void UIConfigManager::buildMultilayer(tinyxml2::XMLElement* element, ControlLayer* parent, int depth) {
  const int count = intAttribute(element, "create");
  const std::string name = attributeText(element, "name");
  // Each instance after the first costs one unit of the budget more than
  // its element did, so a huge count ends with the budget.
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !spendWalkBudget()) return;
    const std::string instanceName = name + std::to_string(i);
    auto* layer = new ControlLayer(i, instanceName);
    // An enclosing multilayer's instance is replaced, not combined.
    walkSiblings(element->FirstChild(), layer, i, depth + 1);
    layersByName[instanceName] = layer;
    if (parent)
      parent->subLayers.Add(layer);
    else
      gui->AttachLayer(layer);
  }
}

void UIConfigManager::buildPatchBrowser(tinyxml2::XMLElement* element, ControlLayer* parent,
                                        const std::string& image) {
  int bounds[4];
  readNumbers(element, "bounds", bounds, 4, 4);
  const int left = scaleCoordinate(bounds[0]);
  const int top = scaleCoordinate(bounds[1]);
  const IRECT area(left, top, left + scaleCoordinate(bounds[2]), top + scaleCoordinate(bounds[3]));
  IControl* view = createLibrarianView(left, top, kLibrarianArea, getImageByName(gui, image), area);
  if (!view) return;
  place(view, parent);
  librarianView = view;
}

void UIConfigManager::buildBackground(tinyxml2::XMLElement* element, ControlLayer* parent,
                                      const std::string& image) {
  int position[2];
  readNumbers(element, "position", position, 2, 2);
  // The image is already at the GUI's scale: only the position is scaled.
  IBitmap bitmap = getImageByName(gui, image);
  place(new IBitmapControl(plug, scaleCoordinate(position[0]), scaleCoordinate(position[1]), -1, &bitmap),
        parent);
}
