// The reader: text routines, the SysEx value lists, the named value lists,
// the start-up order and what it does with missing or damaged resources.
#include <stdlib.h>
#include <tinyxml2.h>

#include <filesystem>
#include <fstream>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "FileEncrypt/tea.h"
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphicsMac.h"
#include "KIT/IModule/IParam.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "tests/support/temp_folder.h"
#include "tests/uiconfig/uiconfig_fixture.h"

namespace {

typedef std::vector<std::string> Texts;

// ---- Tokenize ------------------------------------------------------------------

const struct {
  const char* why;
  const char* text;
  const char* delimiters;
  Texts tokens;
} kTokenizeCases[] = {
    {"runs of mixed delimiters count as one", "  a,,b ", ", ", {"a", "b"}},
    {"leading and trailing delimiters give no token", ",10,20,", ",", {"10", "20"}},
    {"a single token", "kFilterCutoff", "+", {"kFilterCutoff"}},
    {"only delimiters", ",,,", ",", {}},
    {"empty text", "", ",", {}},
    {"the plus form splits at every plus", "kA+2+9", "+", {"kA", "2", "9"}},
    {"a trailing plus gives no empty piece", "kA+", "+", {"kA"}},
    {"tabs are not blanks", "F0\t3E 16", " ", {"F0\t3E", "16"}},
};

TEST(Tokenize, SplitsIntoMaximalRunsWithoutEmptyTokens) {
  for (const auto& c : kTokenizeCases) {
    Texts tokens = {"kept"};
    UIConfigManager::Tokenize(c.text, tokens, c.delimiters);
    Texts expected = {"kept"};  // tokens are appended
    expected.insert(expected.end(), c.tokens.begin(), c.tokens.end());
    EXPECT_EQ(expected, tokens) << c.why;
  }
}

// ---- convertStringSysextoVector ----------------------------------------------------

const struct {
  const char* why;
  const char* text;
  std::vector<int> bytes;
} kHexCases[] = {
    {"a template", "F0 3e 16", {240, 62, 22}},
    {"reading stops at the first non-digit", "F7x", {247}},
    {"a token that is no number gives 0", "zz 01", {0, 1}},
    {"a 0x prefix and a sign are accepted", "0x7f -1", {127, -1}},
    {"blanks only", "   ", {}},
    {"empty", "", {}},
    {"too large for an int gives 0", "FFFFFFFFFFFF 10", {0, 16}},
    {"one value per token, runs of blanks count as one", "  00   7F  ", {0, 127}},
};

TEST(ConvertStringSysexToVector, ReadsOneHexNumberPerBlankSeparatedToken) {
  for (const auto& c : kHexCases)
    EXPECT_EQ(c.bytes, UIConfigManager::convertStringSysextoVector(c.text)) << c.why;
}

// ---- SysEx value lists ---------------------------------------------------------------

class SysExLists : public UIConfigTest {};

TEST_F(SysExLists, EntriesArePlainOrGroupedAndAForeignElementShiftsTheNumbering) {
  gui->serveFixture("sysex.tea", "sysex.tea");
  read();
  const std::vector<SysExContainer>& list = manager->sysexList;
  ASSERT_EQ(4u, list.size());

  // 0: plain lists only; the value without text stands for one blank.
  EXPECT_EQ((std::vector<Values>{{"F0 3E 16 00 58 41 00 00 F7", " ", "7F"}, {"a", "b"}}), list[0].plainLists);
  EXPECT_TRUE(list[0].groupedLists.empty());
  EXPECT_FALSE(list[0].multi);
  // 1: a group of two lists and a plain list.
  EXPECT_EQ((std::vector<std::vector<Values>>{{{"x1", "x2"}, {"y1"}}}), list[1].groupedLists);
  EXPECT_EQ((std::vector<Values>{{"plain"}}), list[1].plainLists);
  EXPECT_TRUE(list[1].multi);
  // 2: the foreign element after the first entry is an entry of its own.
  EXPECT_TRUE(list[2].plainLists.empty());
  EXPECT_TRUE(list[2].groupedLists.empty());
  EXPECT_FALSE(list[2].multi);
  // 3: "values" without value or multivalue children is an empty group.
  EXPECT_EQ((std::vector<std::vector<Values>>{{}}), list[3].groupedLists);
  EXPECT_TRUE(list[3].multi);

  EXPECT_TRUE(logged("CONFIG READER: Started to read SysEx Data..."));
  EXPECT_TRUE(logged("CONFIG READER: Completed reading SysEx data!"));
}

TEST_F(SysExLists, AGroupedValueWithoutTextIsSkippedAndLogged) {
  gui->serveText("sysex.tea",
                 "<sysexlist><sysex><values><multivalue><value>a</value><value/><value>b</value>"
                 "</multivalue></values></sysex></sysexlist>");
  read();
  ASSERT_EQ(1u, manager->sysexList.size());
  EXPECT_EQ((std::vector<std::vector<Values>>{{{"a", "b"}}}), manager->sysexList[0].groupedLists);
  EXPECT_TRUE(logged("a grouped value on line 1 has no text; skipped"));
}

// ---- Resources that are missing or damaged -------------------------------------------

class DamagedResources : public UIConfigTest {};

TEST_F(DamagedResources, MissingFilesAreLoggedAndTheRestIsStillRead) {
  // Neither description exists: the image and parameter tables are still
  // filled, nothing is built, nothing crashes.
  read();
  EXPECT_TRUE(manager->sysexList.empty());
  EXPECT_EQ(0, gui->NControls());
  EXPECT_EQ(0, gui->NLayers());
  EXPECT_EQ(39, manager->getParamByName("kFilterCutoff"));
  EXPECT_EQ(54u, manager->imageTable.size());
  // The global settings have the Varno's ranges and start values without
  // any control of a description, and so have the editor's settings whose
  // handlers take more than 0 and 1 or start elsewhere.
  const struct {
    int index;
    double start, maximum;
  } kGlobals[] = {{kGlobalStartUpProgram, 0, 98}, {kGlobalMasterTune, 10, 20}, {kGlobalControlX, 0, 3},
                  {kGlobalMidiChannel, 1, 16},    {kGlobalDeviceID, 0, 15},    {kGlobalLocalControl, 1, 1},
                  {kLibSyncTimer, 0, 4},          {kAdjustDAWOffset, 0, 2048}};
  for (const auto& g : kGlobals) {
    const IParam* param = editor->GetParam(g.index);
    EXPECT_EQ(param->GetMin(), 0) << g.index;
    EXPECT_EQ(param->GetMax(), g.maximum) << g.index;
    EXPECT_EQ(param->Value(), g.start) << g.index;
  }
  EXPECT_TRUE(logged("CONFIG READER: resources/sysex.tea NOT FOUND!"));
  EXPECT_TRUE(logged("CONFIG READER: resources/uiconfig.tea NOT FOUND!"));
  EXPECT_EQ((std::vector<std::string>{"sysex.tea", "uiconfig.tea"}), gui->loadedFiles);
}

// Through the editor's own GUI and a bundle: a UI description over the size
// limit is refused whole, and the log says so and why, not that it is
// missing; the missing SysEx description is "NOT FOUND!".
TEST_F(DamagedResources, ADescriptionOverTheSizeLimitIsLoggedWithWhatHappened) {
  const TempFolder temp("vivivi-oversize-");
  ASSERT_TRUE(temp.Made());
  const std::filesystem::path bundle = temp.Path() / "Big.bundle";
  std::filesystem::create_directories(bundle / "Resources");
  const std::string id = "com.Harrow Creek Sound.test.oversize";
  std::ofstream(bundle / "Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
         "<key>Identifier</key><string>"
      << id << "</string>\n<key>Executable</key><string>Big.so</string>\n</dict>\n</plist>\n";
  std::ofstream(bundle / "Big.so").flush();
  std::ofstream(bundle / "Resources" / "uiconfig.tea", std::ios::binary)
      << std::string(kResourceFileLimit, 'x');
  const std::string folder = bundle.string();
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  CFBundleRef cfBundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(cfBundle, nullptr);
  {
    IGraphicsMac bundleGui(editor.get(), 1500, 667);
    bundleGui.SetBundleID(id.c_str());
    manager->readUIConfig(&bundleGui, editor.get(), editor->patchLibrarian, 0, 1.0);
    EXPECT_EQ(0, bundleGui.NControls());
  }
  CFRelease(cfBundle);
  EXPECT_TRUE(logged("CONFIG READER: resources/uiconfig.tea refused: " + std::to_string(kResourceFileLimit) +
                     " bytes or more, more than the " + std::to_string(kResourceFileLimit - 1) +
                     " bytes a resource file may hold"));
  EXPECT_FALSE(logged("uiconfig.tea NOT FOUND!"));
  EXPECT_TRUE(logged("CONFIG READER: resources/sysex.tea NOT FOUND!"));
}

TEST_F(DamagedResources, TextThatIsNotADescriptionIsLoggedAndBuildsNothing) {
  const struct {
    const char* why;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"an empty file", {}},
      {"bytes enciphered under another key (13 bytes: a partial last block)",
       {0x13, 0x57, 0x9b, 0xdf, 0x02, 0x46, 0x8a, 0xce, 0x11, 0x22, 0x33, 0x44, 0x55}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    manager = std::make_unique<RecordingManager>();
    gui = std::make_unique<DescriptionGraphics>(editor.get());
    gui->serveBytes("sysex.tea", c.bytes);
    gui->serveBytes("uiconfig.tea", c.bytes);
    takeLog();
    read();
    EXPECT_TRUE(manager->sysexList.empty());
    EXPECT_EQ(0, gui->NLayers());
    EXPECT_TRUE(logged("CONFIG READER: resources/uiconfig.tea cannot be read"));
    EXPECT_TRUE(logged("resources/uiconfig.tea has no uiconfig element"));
    EXPECT_TRUE(logged("resources/sysex.tea has no sysexlist element"));
  }
}

TEST_F(DamagedResources, MissingRootsAreLogged) {
  gui->serveText("sysex.tea", "<other><sysex><values><value>F0</value></values></sysex></other>");
  readDescription("<notuiconfig><layer name=\"root\"/></notuiconfig>");
  EXPECT_TRUE(manager->sysexList.empty());
  EXPECT_EQ(0, gui->NLayers());
  EXPECT_TRUE(logged("has no sysexlist element"));
  EXPECT_TRUE(logged("has no uiconfig element"));
}

TEST_F(DamagedResources, APartialLastBlockIsDecipheredFromAZeroPaddedCopy) {
  // Whole blocks of a description, then a last block of 3 bytes chosen so
  // that, completed with zero bytes, it deciphers to a NUL first: the text
  // ends there and the description reads. Completed with anything else it
  // would leave bytes after the root. The served buffer is exactly as long
  // as the file, so a read past its end would be caught.
  std::string text = "<sysexlist><sysex><values><value>F0</value></values></sysex></sysexlist>";
  text.resize((text.size() + 7) / 8 * 8, ' ');
  std::vector<uint8_t> file =
      encipherResource(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kResourceKey);
  for (uint32_t candidate = 0; candidate < (1u << 24); ++candidate) {
    unsigned char block[8] = {static_cast<unsigned char>(candidate),
                              static_cast<unsigned char>(candidate >> 8),
                              static_cast<unsigned char>(candidate >> 16),
                              0,
                              0,
                              0,
                              0,
                              0};
    Tea::simpledecrypt(block, kResourceKey);
    if (block[0] != 0) continue;
    file.insert(file.end(), {static_cast<uint8_t>(candidate), static_cast<uint8_t>(candidate >> 8),
                             static_cast<uint8_t>(candidate >> 16)});
    break;
  }
  ASSERT_EQ(3u, file.size() % 8);
  gui->serveBytes("sysex.tea", file);
  read();
  ASSERT_EQ(1u, manager->sysexList.size());
  EXPECT_EQ((std::vector<Values>{{"F0"}}), manager->sysexList[0].plainLists);
}

// ---- Named value lists -------------------------------------------------------------

class ValueLists : public UIConfigTest {};

TEST_F(ValueLists, ALaterListOfTheSameNameWinsAndAMissingNameGivesAnEmptyList) {
  gui->serveFixture("uiconfig.tea", "uiconfig.tea");
  read();
  EXPECT_EQ((Values{"poly", "mono"}), manager->valueLists["modes"]);
  EXPECT_EQ((Values{"saw", "pulse", "tri"}), manager->valueLists["waves"]);
  EXPECT_EQ(Values{}, manager->getValueList("absent"));
  EXPECT_EQ(1u, manager->valueLists.count("absent"));  // filed on the miss
}

TEST_F(ValueLists, NamelessListsAndValuesWithoutTextAreSkippedAndLogged) {
  readDescription(
      "<uiconfig><valueLists>"
      "<list><value>lost</value></list>"
      "<!-- a comment --><other name=\"x\"><value>y</value></other>"
      "<list name=\"kept\"><value>a</value><value/><note>n</note><value>b</value></list>"
      "</valueLists></uiconfig>");
  EXPECT_EQ((Values{"a", "b"}), manager->valueLists["kept"]);
  EXPECT_EQ(0u, manager->valueLists.count("x"));
  EXPECT_EQ(0u, manager->valueLists.count(""));
  EXPECT_TRUE(logged("a value list on line 1 has no name; skipped"));
  EXPECT_TRUE(logged("value list kept: a value on line 1 has no text; skipped"));
}

// ---- Attributes per element -------------------------------------------------------

// With a limit of two: what stays of each text. Blanked attributes become
// spaces, line ends stay.
const struct {
  const char* why;
  std::string text;
  std::string capped;
  std::vector<int> cutLines;
} kCapCases[] = {
    {"up to the limit: unchanged", "<a x=\"1\" y='2'/>", "<a x=\"1\" y='2'/>", {}},
    {"over the limit: the rest blanked, the end kept",
     "<a x=\"1\" y=\"2\" z=\"3\" w=\"4\"/>",
     "<a x=\"1\" y=\"2\"" + std::string(12, ' ') + "/>",
     {1}},
    {"values holding markup and line ends",
     "<a x=\">\" y=\"<\" z=\"a\nb\">t</a>",
     "<a x=\">\" y=\"<\"     \n  >t</a>",
     {1}},
    {"the second element on its own line",
     "<r>\n<a/>\n\n<b p='1' q='2' r='3'></b></r>",
     "<r>\n<a/>\n\n<b p='1' q='2'      ></b></r>",
     {4}},
    {"comments, character data and declarations hold no attributes",
     "<?xml a='1' b='2' c='3'?><!-- a=1 b=2 c=3 --><![CDATA[<a x=1 y=2 z=3>]]><!D a b c><r/>",
     "<?xml a='1' b='2' c='3'?><!-- a=1 b=2 c=3 --><![CDATA[<a x=1 y=2 z=3>]]><!D a b c><r/>",
     {}},
    {"end tags are passed over", "</a x='1' y='2' z='3'>", "</a x='1' y='2' z='3'>", {}},
    {"a value that never closes: nothing past the end", "<a x='1' y='2' z='3", "<a x='1' y='2'     ", {1}},
    {"what the parser refuses still counts", "<a x y z=>", "<a x y   >", {1}},
    {"nothing after the first NUL is looked at",
     std::string("<a/>\0<b x='1' y='2' z='3'/>", 27),
     std::string("<a/>\0<b x='1' y='2' z='3'/>", 27),
     {}},
};

TEST(CapAttributes, BlanksTheAttributesPastTheLimitKeepingEveryLine) {
  for (const auto& c : kCapCases) {
    SCOPED_TRACE(c.why);
    std::string text = c.text;
    EXPECT_EQ(c.cutLines, UIConfigManager::capAttributes(&text, 2));
    EXPECT_EQ(c.capped, text);
  }
}

class ManyAttributes : public UIConfigTest {};

// 100,000 attributes on one element: the parser is given the first
// kMaxAttributesPerElement of them, the element is built from those, the
// log says what was left out, and what follows is read as usual.
TEST_F(ManyAttributes, AnElementKeepsItsFirstAttributesAndTheRestIsLogged) {
  std::string crowded = "<layer name=\"crowded\" id=\"3\"";
  for (int i = 0; i < 100000; ++i) crowded += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  crowded += " late=\"never read\"/>";
  readDescription("<uiconfig>\n" + crowded + "\n<layer name=\"after\" id=\"4\"/>\n</uiconfig>");
  ASSERT_EQ(2, gui->NLayers());
  EXPECT_EQ("crowded", gui->GetLayer(0)->name);
  EXPECT_EQ(3, gui->GetLayer(0)->id);
  EXPECT_EQ("after", gui->GetLayer(1)->name);
  EXPECT_TRUE(logged("CONFIG READER: resources/uiconfig.tea: the element on line 2 has more than " +
                     std::to_string(UIConfigManager::kMaxAttributesPerElement) +
                     " attributes; the rest are ignored"));
  EXPECT_FALSE(logged("cannot be read")) << "the rest parses";
}

// ---- Start-up order and the log switch ---------------------------------------------

class ReaderOrder : public UIConfigTest {};

TEST_F(ReaderOrder, ReadsSysExThenImagesThenParametersThenTheDescription) {
  gui->serveFixture("sysex.tea", "sysex.tea");
  gui->serveFixture("uiconfig.tea", "uiconfig.tea");
  read();
  std::vector<std::string> order;
  for (const std::string& line : takeLog())
    if (line.find("Started") != std::string::npos || line.find("Completed") != std::string::npos)
      order.push_back(line);
  EXPECT_EQ((std::vector<std::string>{
                "CONFIG READER: Started to read SysEx Data...",
                "CONFIG READER: Completed reading SysEx data!",
                "CONFIG READER: Started to read image resources...",
                "CONFIG READER: Completed!",
                "CONFIG READER: Started to initialize parameters...",
                "CONFIG READER: Completed!",
            }),
            order);
  EXPECT_EQ((std::vector<std::string>{"sysex.tea", "uiconfig.tea"}), gui->loadedFiles);
  EXPECT_FALSE(manager->calls.empty());
}

TEST_F(ReaderOrder, NothingIsLoggedWhileTheLogIsOff) {
  editor->loggingEnabled = false;
  read();  // both files missing
  manager->getParamByName("kMissing");
  manager->getImageByName(gui.get(), "MISSING_ID");
  EXPECT_TRUE(takeLog().empty());
}

TEST_F(ReaderOrder, AnUnusableScaleFallsBackToOne) {
  manager->readUIConfig(gui.get(), editor.get(), nullptr, 1, -2.0);
  EXPECT_EQ(1.0, manager->scale);
  EXPECT_EQ(1, manager->uiSetting);
  EXPECT_TRUE(logged("GUI scale"));
}

}  // namespace
