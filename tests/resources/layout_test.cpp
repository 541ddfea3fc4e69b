// The shipped UI description as a window: it builds without a complaint,
// holds every layer the editor looks up by name with the pages where the
// tab switch expects them, names only images of the image table, and places
// every control inside the window without covering another control of the
// same page.
#include <tinyxml2.h>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "tests/resources/resources_fixture.h"

namespace {

using WindowLayout = ResourceTest;

const char* const kLayersLookedUp[] = {
    "root",
    "multiModeMixer",
    "patchLibrarian",
    "envelopes",
    "arpeggiator",
    "arpTempoKnob",
    "arpTempoSync",
    "syncIndicator",
    "crossModIndicator",
    "saveChangesLayer",
    "discardChangesLayerRight",
    "aboutWindow",
    "firstRunNotification",
    "midiFilterSettings",
    "globalSettings",
    "categoryLimit",
    "patchRename",
    "miniMixer",
    "searchField",
};

// True when layer lies in chain, or chain lies in the other's chain: two
// controls can be seen together when one's layers are a prefix of the
// other's (a layer with its parents); sibling layers are shown in turn.
bool seenTogether(const PlacedControl& a, const PlacedControl& b) {
  const size_t n = std::min(a.layers.size(), b.layers.size());
  for (size_t i = 0; i < n; ++i)
    if (a.layers[i] != b.layers[i]) return false;
  return true;
}

bool overlap(const IRECT& a, const IRECT& b) { return a.L < b.R && b.L < a.R && a.T < b.B && b.T < a.B; }

std::string where(const PlacedControl& placed) {
  std::string text = "parameter " + std::to_string(placed.control->ParamIdx()) + " in ";
  text += placed.layers.empty() ? "the GUI" : placed.layers.back()->name;
  const IRECT& r = placed.control->GetRECT();
  return text + " at (" + std::to_string(r.L) + ", " + std::to_string(r.T) + ", " + std::to_string(r.R) +
         ", " + std::to_string(r.B) + ")";
}

TEST_F(WindowLayout, BuildsWithoutAComplaint) {
  buildFromResources();
  EXPECT_EQ(std::vector<std::string>{}, complaints());
}

TEST_F(WindowLayout, EveryLayerTheEditorLooksUpExists) {
  buildFromResources();
  for (const char* name : kLayersLookedUp) EXPECT_EQ(1u, real->layersByName.count(name)) << name;
  // The tab switch shows the child of "root" whose id is the tab and opens
  // child number tab: page 1 the librarian, page 2 the sound editor, which
  // holds the envelope and arpeggiator halves.
  ControlLayer* root = real->layersByName["root"];
  ASSERT_NE(nullptr, root);
  ASSERT_GE(root->subLayers.GetSize(), 3);
  EXPECT_EQ(real->layersByName["patchLibrarian"], root->subLayers.Get(1));
  EXPECT_EQ(1, root->subLayers.Get(1)->id);
  EXPECT_EQ(2, root->subLayers.Get(2)->id);
  for (const char* half : {"envelopes", "arpeggiator"}) {
    bool inEditorPage = false;
    for (int i = 0; i < root->subLayers.Get(2)->subLayers.GetSize(); ++i)
      inEditorPage = inEditorPage || root->subLayers.Get(2)->subLayers.Get(i) == real->layersByName[half];
    EXPECT_TRUE(inEditorPage) << half;
    // A half with id 0 would stay open whenever the page is opened.
    EXPECT_NE(0, real->layersByName[half]->id) << half;
  }
}

TEST_F(WindowLayout, EveryImageIdNamesAnImageOfTheTable) {
  buildFromResources();
  tinyxml2::XMLDocument doc;
  ASSERT_EQ(tinyxml2::XML_SUCCESS, doc.LoadFile(DESCRIPTION_SOURCE));
  std::vector<const tinyxml2::XMLElement*> pending = {doc.RootElement()};
  int images = 0;
  while (!pending.empty()) {
    const tinyxml2::XMLElement* element = pending.back();
    pending.pop_back();
    if (const char* image = element->Attribute("imageId")) {
      ++images;
      EXPECT_EQ(1u, real->imageTable.count(image)) << image << " on line " << element->GetLineNum();
    }
    for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement())
      pending.push_back(child);
  }
  EXPECT_GT(images, 0);
}

TEST_F(WindowLayout, ControlsOfOnePageDoNotOverlap) {
  buildFromResources();
  const std::vector<PlacedControl> controls = allControls();
  for (size_t i = 0; i < controls.size(); ++i)
    for (size_t j = i + 1; j < controls.size(); ++j) {
      const PlacedControl& a = controls[i];
      const PlacedControl& b = controls[j];
      // Pictures (bound to no parameter) lie under the controls.
      if (a.control->ParamIdx() < 0 || b.control->ParamIdx() < 0) continue;
      if (!seenTogether(a, b)) continue;
      EXPECT_FALSE(overlap(a.control->GetRECT(), b.control->GetRECT()))
          << where(a) << " overlaps " << where(b);
    }
}

TEST_F(WindowLayout, EveryControlLiesInsideTheWindowAtEachScale) {
  for (const double scale : {0.75, 1.0, 1.25}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    freshGui();
    buildFromResources(scale);
    const IRECT window(0, 0, static_cast<int>(1500 * scale), static_cast<int>(667 * scale));
    for (const PlacedControl& placed : allControls()) {
      const IRECT& r = placed.control->GetRECT();
      EXPECT_TRUE(r.L >= window.L && r.T >= window.T && r.R <= window.R && r.B <= window.B && r.W() > 0 &&
                  r.H() > 0)
          << where(placed);
    }
  }
}

}  // namespace
