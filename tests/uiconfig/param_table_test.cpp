// The parameter table and the resolution of "paramId" references.
#include <set>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "tests/uiconfig/uiconfig_fixture.h"

namespace {

class ParamTable : public UIConfigTest {
 protected:
  void SetUp() override {
    UIConfigTest::SetUp();
    manager->readUIConfig(nullptr, editor.get(), nullptr, 0, 1.0);  // stores the plug-in only
    manager->initParams();
    takeLog();
  }
};

// Names and indices written out independently of the table's source.
const struct {
  const char* name;
  int index;
} kLookups[] = {
    {"kOscillator1Semitone", 0},
    {"kFilterCutoff", 39},
    {"kFilterResonance", 45},
    {"kCV2ModSource", 71},
    {"kNumAutomatedParams", 72},
    {"kPatchFileDialog", 72},
    {"kMIDILed", 98},
    {"kAdjustDAWOffset", 129},
    {"kGlobalStartUpProgram", 131},
    {"kControlDisplayPatch", 177},
    {"kPatchSelectionListUpper", 189},
    {"kRequestTempData", 192},
    {"kLibrarianArea", 197},
    {"kTimbreLED", 198},
};

TEST_F(ParamTable, NamesGiveTheirIndices) {
  for (const auto& c : kLookups) EXPECT_EQ(c.index, manager->getParamByName(c.name)) << c.name;
  EXPECT_TRUE(takeLog().empty());
}

TEST_F(ParamTable, NamesEveryIndexButTheFiveUnnamedOnes) {
  EXPECT_EQ(195u, manager->paramTable.size());
  std::set<int> named;
  for (const auto& entry : manager->paramTable) named.insert(entry.second);
  for (int unnamed : {130, 176, 187, 188, 191}) EXPECT_EQ(0u, named.count(unnamed)) << unnamed;
  EXPECT_EQ(194u, named.size());
  EXPECT_EQ(0, *named.begin());
  EXPECT_EQ(198, *named.rbegin());
}

TEST_F(ParamTable, MissesAreCaseSensitiveAndLogged) {
  const char* misses[] = {"kfiltercutoff", "kFilterCutoff+1", "", "KFilterCutoff"};
  for (const char* name : misses) EXPECT_EQ(-1, manager->getParamByName(name)) << name;
  EXPECT_TRUE(logged("CONFIG READER: parameter kfiltercutoff NOT FOUND!"));
  EXPECT_TRUE(logged("CONFIG READER: parameter kFilterCutoff+1 NOT FOUND!"));
}

TEST_F(ParamTable, ASecondRegistrationKeepsTheFirstIndex) {
  manager->initParams();
  EXPECT_EQ(39, manager->getParamByName("kFilterCutoff"));
  int already = 0;
  for (const std::string& line : takeLog())
    if (line.find(" ALREADY EXISTS!") != std::string::npos) ++already;
  EXPECT_EQ(195, already);
  manager->mapParamToString("kFilterCutoff", 5);
  EXPECT_EQ(39, manager->getParamByName("kFilterCutoff"));
}

// ---- "paramId" references, resolved by the walk -----------------------------------------

// A "multiFx" switch binds the parameter the reference resolves to; the
// switch is built for real, so the bound index is read off the control.
class ParamReferences : public UIConfigTest {
 protected:
  // The parameter index each switch of the description was bound to, in
  // document order (-1 never appears: unbound switches are not built).
  std::vector<int> boundIndices(const std::string& body) {
    gui = std::make_unique<DescriptionGraphics>(editor.get());
    manager = std::make_unique<RecordingManager>();
    readDescription("<uiconfig>" + body + "</uiconfig>");
    std::vector<int> indices;
    for (int i = 0; i < gui->NControls(); ++i) indices.push_back(gui->GetControl(i)->ParamIdx());
    // Layers first to last, each before its sub-layers.
    std::vector<const ControlLayer*> layers;
    for (int l = 0; l < gui->NLayers(); ++l) layers.push_back(gui->GetLayer(l));
    for (size_t l = 0; l < layers.size(); ++l) {
      for (int i = 0; i < layers[l]->controls.GetSize(); ++i)
        indices.push_back(layers[l]->controls.Get(i)->ParamIdx());
      for (int s = 0; s < layers[l]->subLayers.GetSize(); ++s) layers.push_back(layers[l]->subLayers.Get(s));
    }
    return indices;
  }
  static std::string switchOf(const std::string& paramId) {
    return "<multiFx type=\"Switch\" name=\"s\" paramId=\"" + paramId +
           "\" position=\"0,0\" valueBounds=\"0\"/>";
  }
};

TEST_F(ParamReferences, OffsetsAndInstancesShiftTheIndex) {
  const struct {
    const char* why;
    std::string body;
    std::vector<int> bound;
  } cases[] = {
      {"a name alone", switchOf("kModUnit1Source"), {58}},
      {"a name with an offset", switchOf("kModUnit1Source+3"), {61}},
      {"a plus with nothing after it", switchOf("kModUnit1Source+"), {58}},
      {"only the first offset counts", switchOf("kModUnit1Source+2+9"), {60}},
      {"instances add their index",
       "<multilayer name=\"m\" create=\"3\">" + switchOf("kOscillator1Semitone+1") + "</multilayer>",
       {1, 2, 3}},
      {"an inner multilayer replaces the outer instance",
       "<multilayer name=\"o\" create=\"2\"><multilayer name=\"i\" create=\"2\">" +
           switchOf("kOscillator1Semitone") + "</multilayer></multilayer>",
       {0, 1, 0, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.bound, boundIndices(c.body)) << c.why;
}

TEST_F(ParamReferences, UnknownNamesAndIndicesPastTheLastParameterBindNothing) {
  // kTypo+3 must not land on parameter 2 and kTypo in instance 1 not on 0;
  // kTimbreLED (198) and kLibrarianArea+1 name no parameter; a text after
  // "+" is no offset.
  const std::string body = switchOf("kTypo+3") + switchOf("kTimbreLED") + switchOf("kLibrarianArea+1") +
                           switchOf("kFilterCutoff+x") + switchOf("kFilterCutoff+-40") + switchOf("") +
                           "<multilayer name=\"m\" create=\"2\">" + switchOf("kTypo") + "</multilayer>";
  EXPECT_EQ(std::vector<int>{}, boundIndices(body));
  EXPECT_TRUE(logged("CONFIG READER: parameter kTypo NOT FOUND!"));
  EXPECT_TRUE(logged("paramId kTimbreLED in instance -1 on line 1 gives 198, which names no parameter"));
  EXPECT_TRUE(logged("paramId kLibrarianArea+1 in instance -1 on line 1 gives 198"));
  EXPECT_TRUE(logged("paramId kFilterCutoff+x on line 1 has no number after \"+\""));
  EXPECT_TRUE(logged("gives -1, which names no parameter"));
  EXPECT_TRUE(logged("multiFx \"s\" on line 1 names no parameter; not built"));
}

}  // namespace
