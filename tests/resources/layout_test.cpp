// The shipped UI description as a window: it builds without a complaint,
// holds every layer the editor looks up by name with the pages where the
// tab switch expects them, names only images of the image table, places
// every control inside the window without covering another control of the
// same page, and puts a column of lights over each column the page pictures
// draw, named as the display names the values.
#include "tools/imggen/layout.h"

#include <tinyxml2.h>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix-png.h"
#include "src/ICustomRadioButtonsControl.h"
#include "tests/resources/resources_fixture.h"
#include "tests/resources/varno_chart.h"

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

// Each column of lights the page pictures draw (tools/imggen/layout.h) has a
// column control over its lights and the names written beside them, and
// those names are what the display shows for the values: the chart's value
// list, or the bare number (the envelope triggers).
TEST_F(WindowLayout, TheNamesBesideEachColumnOfLightsAreTheValuesTheDisplayShows) {
  buildFromResources();
  const std::vector<PlacedControl> controls = allControls();
  struct Placed {
    const imggen::Section* section;
    int dx, dy;         // from the section's page coordinates to the window's
    const char* layer;  // that holds the section's controls
  };
  const int lowerX = imggen::kLowerAreaX, lowerY = imggen::kLowerAreaY + imggen::kHeaderHeight;
  std::vector<Placed> sections;
  for (const imggen::Section& s : imggen::editorSections())
    sections.push_back({&s, 0, imggen::kHeaderHeight, "soundEditor"});
  for (const imggen::Section& s : imggen::envelopeSections())
    sections.push_back({&s, lowerX, lowerY, "envelopes"});
  sections.push_back({&imggen::arpeggiatorSection(), lowerX, lowerY, "arpeggiator"});

  int columns = 0;
  for (const Placed& placed : sections)
    for (const imggen::Row& row : placed.section->rows)
      for (const imggen::Cell& cell : row.cells) {
        if (cell.kind != imggen::Kind::Choice) continue;
        ++columns;
        SCOPED_TRACE(std::string(placed.section->title) + " " + cell.label);
        const int lightX = placed.dx + placed.section->x + cell.centre + 28 + 8;
        const int nameX = placed.dx + placed.section->x + cell.centre + 50 + 4;
        const int topY = placed.dy + placed.section->y + row.top + 8;
        ICustomRadioButtonsControl* lights = nullptr;
        for (const PlacedControl& c : controls)
          if (!c.layers.empty() && c.layers.back()->name == placed.layer &&
              c.control->GetRECT().Contains(lightX, topY))
            if (auto* radio = dynamic_cast<ICustomRadioButtonsControl*>(c.control)) lights = radio;
        ASSERT_NE(lights, nullptr) << "no column of lights at " << lightX << "," << topY;
        EXPECT_TRUE(lights->IsLightColumn());
        ASSERT_EQ(static_cast<size_t>(lights->NButtons()), cell.choices.size());
        const ChartRow* chart = nullptr;
        for (const ChartRow& r : chartRows())
          if (r.param == lights->ParamIdx()) chart = &r;
        ASSERT_NE(chart, nullptr) << "parameter " << lights->ParamIdx();
        for (size_t value = 0; value < cell.choices.size(); ++value) {
          const std::string shown = chart->valueList ? real->valueLists[chart->valueList].at(value)
                                                     : std::to_string(chart->lo + static_cast<int>(value));
          EXPECT_EQ(shown, cell.choices[value]) << "value " << value;
          const IRECT* button = lights->GetButtonRECT(static_cast<int>(value));
          ASSERT_NE(button, nullptr);
          const int y = topY + 16 * static_cast<int>(value);
          EXPECT_TRUE(button->Contains(lightX, y) && button->Contains(nameX, y))
              << "value " << value << ": its light and name do not take the click";
        }
      }
  EXPECT_EQ(columns, 9);
}

// PITCH & GLIDE holds two sections' padlocks in one title bar: each stands
// where the page picture writes its name at its left.
TEST_F(WindowLayout, ThePitchAndGlidePadlocksStandBesideTheirNames) {
  buildFromResources();
  const int locks[2] = {kSectionLockPitchMod, kSectionLockPorta};
  std::unique_ptr<PIX_IBitmap> page(
      PIX_LoadPNG((std::string(IMAGE_DIR) + "/layer-main.png").c_str(), nullptr));
  ASSERT_NE(page, nullptr);
  const int barTop = imggen::kLowerAreaY + 2;  // page coordinates
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(imggen::kPitchLockNames[i]);
    int found = 0;
    for (const PlacedControl& c : allControls())
      if (c.control->ParamIdx() == locks[i]) {
        ++found;
        EXPECT_EQ(c.control->GetRECT().L, imggen::kPitchLockX[i]);
        EXPECT_EQ(c.control->GetRECT().T, barTop + imggen::kHeaderHeight);
      }
    EXPECT_EQ(found, 1);
    // Light text in the title bar just left of the padlock.
    int text = 0;
    for (int y = barTop; y < barTop + 20; ++y)
      for (int x = imggen::kPitchLockX[i] - 30; x < imggen::kPitchLockX[i] - 2; ++x) {
        const PIX_pixel p = page->getBits()[static_cast<size_t>(y) * page->getRowSpan() + x];
        text += PIX_Red(p) + PIX_Green(p) + PIX_Blue(p) > 3 * 120;
      }
    EXPECT_GT(text, 10) << "no name left of the padlock";
  }
}

}  // namespace
