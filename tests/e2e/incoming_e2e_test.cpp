// What the Varno sends reaches the window, end to end over JACK: changes made
// on the simulated Varno's panel, transmitted as control changes, as
// single-parameter messages or as both (its Control X setting), move the
// editor's controls; and the CATEGORY field shows the category of every
// sound the editor receives, from a library record (a patch double-clicked
// in the librarian) and from the Varno's own 76-byte answer (REQUEST).
// The window is read through the host's get-param-text and its PNG.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>

#include "KIT/pix/pix-png.h"
#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr int kGlobalControlX = 133;
constexpr int kMainTab = 194, kCategoryName = 136, kPatchName = 78;
constexpr int kOscillator1OctaveIndicator = 147;

// A rectangle of the window.
struct Area {
  int x, y, w, h;
};
constexpr Area kNowhere = {0, 0, 0, 0};
constexpr Area kCategoryField = {1122, 52, 188, 22};
constexpr Area kOctaveLed = {80, 132, 16, 16};
constexpr int kLibrarianX = 31, kLibrarianY = 66;       // the header's LIBRARIAN button
constexpr int kRequestX = 1356, kRequestY = 16;         // the header's REQUEST button
constexpr int kEditedBankX = 1160, kEditedBankY = 143;  // the edited bank's menu
constexpr int kFirstSlotX = 66, kFirstSlotY = 105;      // slot 1 of the edited bank
constexpr int kSlotHeight = 16;

// The pixels of an area of a PNG the host wrote, row by row; empty when the
// file cannot be read.
std::vector<PIX_pixel> Pixels(const std::string& png, const Area& area) {
  std::unique_ptr<PIX_IBitmap> bitmap(PIX_LoadPNG(png.c_str(), nullptr));
  std::vector<PIX_pixel> pixels;
  if (!bitmap || area.x + area.w > bitmap->getWidth() || area.y + area.h > bitmap->getHeight()) return pixels;
  for (int y = area.y; y < area.y + area.h; ++y) {
    const PIX_pixel* row = bitmap->getBits() + y * bitmap->getRowSpan();
    pixels.insert(pixels.end(), row + area.x, row + area.x + area.w);
  }
  return pixels;
}

// How many pixels stand out from the area's most common colour (its
// background): text or a drawn mark, where a blank field has none.
int Ink(const std::vector<PIX_pixel>& pixels) {
  std::map<PIX_pixel, int> counts;
  for (PIX_pixel p : pixels) ++counts[p];
  PIX_pixel background = 0;
  int most = 0;
  for (const auto& entry : counts) {
    if (entry.second <= most) continue;
    background = entry.first;
    most = entry.second;
  }
  int ink = 0;
  for (PIX_pixel p : pixels) {
    const int d =
        std::max({std::abs(PIX_Red(p) - PIX_Red(background)), std::abs(PIX_Green(p) - PIX_Green(background)),
                  std::abs(PIX_Blue(p) - PIX_Blue(background))});
    if (d > 48) ++ink;
  }
  return ink;
}

// Clicks (x, y) until the parameter holds value: a click while the
// editor's processing overlay shows (after the ports open) is taken by it.
void ClickUntilParam(Host& host, int x, int y, int id, double value) {
  const std::string at = std::to_string(x) + " " + std::to_string(y);
  for (auto deadline = steady_clock::now() + kDeadline;
       host.Param(id) != value && steady_clock::now() < deadline;) {
    EXPECT_EQ(host.Command("click " + at), "clicked " + at);
    host.Command("wait 300");
  }
  EXPECT_EQ(host.Param(id), value) << "clicks at " << at;
}

// Turns a knob on the Varno's panel until the editor follows: while the
// editor still waits for the answer to its start-up enquiry it drops what
// the Varno sends.
void UntilTheEditorFollows(Host& host, Simulator& sim) {
  constexpr int kLFO2Delay = 32;
  for (auto [deadline, value] = std::make_pair(steady_clock::now() + kDeadline, 1);
       steady_clock::now() < deadline; value = 3 - value) {
    sim.Command("turn " + std::to_string(kLFO2Delay) + " " + std::to_string(value));
    host.Command("wait 200");
    if (host.Param(kLFO2Delay) == value) return;
  }
  ADD_FAILURE() << "the editor never follows the Varno's panel";
}

std::string Png(Host& host, const std::string& path) {
  host.Command("wait 200");  // values that came by MIDI are drawn
  EXPECT_EQ(host.Command("png " + path), "wrote " + path);
  return path;
}

// One sound parameter the journey turns on the Varno's panel: two values,
// the text the window shows for the second, and where its control lies on
// the sound page (nowhere for a control on the page's hidden arpeggiator
// part).
struct PanelRow {
  const char* what;
  int index;
  int first, second;
  const char* secondText;
  Area control;
};
const PanelRow kPanelRows[] = {
    {"plain control change (cutoff)", 39, 20, 100, "100", {968, 132, 48, 48}},
    {"switch that refreshes the page (oscillator 2 sync)", 38, 0, 1, "on", {456, 250, 40, 20}},
    {"list (filter modulation source)", 43, 2, 11, "NOISE", {1108, 263, 72, 13}},
    {"list taken as a device value (glide mode)", 50, 0, 2, "LEGATO", {860, 511, 72, 13}},
    {"semitones (oscillator 1)", 0, 50, 36, "36", {28, 132, 48, 48}},
    {"arpeggiator clock", 56, 0, 3, "1/8", kNowhere},
    {"arpeggiator tempo word", 55, 10, 120, "120", kNowhere},
};

struct TransmitMode {
  int controlX;
  const char* name;
  bool controlChanges, parameterMessages;  // what the Varno sends in it
};
const TransmitMode kModes[] = {
    {0, "control changes", true, false},
    {1, "single-parameter messages", false, true},
    {2, "both", true, true},
};

TEST_F(EditorEndToEnd, TheVarnosPanelMovesTheKnobsWhicheverWayItTransmits) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);  // it covers controls whose pictures are compared
  OpenPorts(host, sim);
  UntilTheEditorFollows(host, sim);

  // What each control shows at its second value, by mode.
  std::map<int, std::vector<std::vector<PIX_pixel>>> shown;
  for (const TransmitMode& mode : kModes) {
    SCOPED_TRACE(mode.name);
    ASSERT_EQ(
        sim.Command("set " + std::to_string(kGlobalControlX) + " " + std::to_string(mode.controlX)).back(),
        "ok");
    sim.Command("records clear");
    for (const bool second : {false, true}) {
      for (const PanelRow& row : kPanelRows) {
        SCOPED_TRACE(row.what);
        const int value = second ? row.second : row.first;
        ASSERT_EQ(sim.Command("turn " + std::to_string(row.index) + " " + std::to_string(value)).back(),
                  "ok");
        EXPECT_TRUE(host.WaitForParam(row.index, value)) << "value " << value;
        if (second) {
          EXPECT_EQ(host.ParamText(row.index), row.secondText);
        }
      }
      const std::string png =
          Png(host, m_dir + "/mode" + std::to_string(mode.controlX) + (second ? "b" : "a") + ".png");
      for (const PanelRow& row : kPanelRows)
        if (row.control.w > 0) shown[row.index].push_back(Pixels(png, row.control));
      if (second) {
        // Semitone 36 is an octave: its light is on.
        EXPECT_EQ(host.Param(kOscillator1OctaveIndicator), 1);
        EXPECT_GT(Ink(Pixels(png, kOctaveLed)), 0);
      }
    }
    // The Varno sent what its Control X says, for each of the changes.
    int controlChanges = 0, parameterMessages = 0;
    for (const Record& r : sim.Records()) {
      if (r.direction != "out") continue;
      controlChanges += r.kind == "control-change";
      parameterMessages += r.kind == "parameter";
    }
    const int changes = 2 * static_cast<int>(sizeof kPanelRows / sizeof kPanelRows[0]);
    EXPECT_EQ(controlChanges, mode.controlChanges ? changes : 0);
    EXPECT_EQ(parameterMessages, mode.parameterMessages ? changes : 0);
  }

  // Each control moved between its two values, and shows its second value
  // alike whichever way it came.
  for (const PanelRow& row : kPanelRows) {
    if (row.control.w == 0) continue;
    SCOPED_TRACE(row.what);
    const auto& pictures = shown[row.index];
    ASSERT_EQ(pictures.size(), 6u);
    ASSERT_FALSE(pictures[0].empty());
    EXPECT_NE(pictures[0], pictures[1]) << "the control did not move";
    EXPECT_EQ(pictures[3], pictures[1]) << "a single-parameter message draws another control";
    EXPECT_EQ(pictures[5], pictures[1]) << "both messages draw another control";
  }
  EXPECT_EQ(host.Quit(), 0);
}

// A bank of library records of the Varno's sounds: slot 1 a LEAD, slot 2 a
// BASS, the others PADs; each named after its slot.
constexpr int kLead = 7, kBass = 3, kPad = 9;
void WriteCategoryBank(Simulator& sim, const std::string& path) {
  std::string bytes;
  for (int slot = 0; slot < 99; ++slot) {
    std::vector<int> dump = sim.ProgramDump(slot);
    ASSERT_EQ(dump.size(), 76u);
    dump.resize(75);
    dump.push_back(0x00);
    std::string name = "SLOT " + std::to_string(slot + 1);
    name.resize(14, ' ');
    for (char c : name) dump.push_back(c);
    dump.push_back(slot == 0 ? kLead : slot == 1 ? kBass : kPad);
    dump.push_back(0xF7);
    for (int b : dump) bytes.push_back(static_cast<char>(b));
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST_F(EditorEndToEnd, TheCategoryFieldShowsTheCategoryOfEachReceivedSound) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  mkdir((m_dir + "/data/Patches").c_str(), 0755);
  WriteCategoryBank(sim, m_dir + "/data/Patches/Categories.syx");
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  UntilTheEditorFollows(host, sim);  // and its processing overlay is gone
  const std::vector<PIX_pixel> none = Pixels(Png(host, m_dir + "/start.png"), kCategoryField);
  EXPECT_GT(Ink(none), 0) << "the field is blank at the start";

  // The librarian page, the bank in the edited column.
  ClickUntilParam(host, kLibrarianX, kLibrarianY, kMainTab, 1);
  ASSERT_TRUE(host.ChooseFromMenuAt(kEditedBankX, kEditedBankY, "Categories.syx"));

  // A double-clicked slot sends its sound to the Varno and shows its
  // category.
  const struct {
    int slot;
    int category;
    const char* text;
  } kSlots[] = {{0, kLead, "LEAD"}, {1, kBass, "BASS"}};
  std::vector<std::vector<PIX_pixel>> categories;
  for (const auto& s : kSlots) {
    SCOPED_TRACE(s.text);
    sim.Command("records clear");
    const std::string at =
        std::to_string(kFirstSlotX) + " " + std::to_string(kFirstSlotY + s.slot * kSlotHeight);
    auto sent = [](const std::vector<Record>& r) { return !Received(r, "sound-dump").empty(); };
    for (auto deadline = steady_clock::now() + kDeadline;
         !sent(sim.Records()) && steady_clock::now() < deadline;) {
      EXPECT_EQ(host.Command("double-click " + at), "double-clicked " + at);
      host.Command("wait 300");
    }
    const auto dumps = Received(sim.WaitFor(sent), "sound-dump");
    ASSERT_FALSE(dumps.empty()) << "the slot's sound did not reach the Varno";
    EXPECT_EQ(dumps[0].outcome, "applied");
    EXPECT_TRUE(host.WaitForParam(kCategoryName, s.category));
    EXPECT_EQ(host.ParamText(kCategoryName), s.text);
    std::string name = host.ParamText(kPatchName);
    name.erase(name.find_last_not_of(' ') + 1);  // the record's name is blank-padded
    EXPECT_EQ(name, "SLOT " + std::to_string(s.slot + 1));
    categories.push_back(Pixels(Png(host, m_dir + "/" + s.text + ".png"), kCategoryField));
    EXPECT_GT(Ink(categories.back()), 0);
    EXPECT_NE(categories.back(), none);
  }
  EXPECT_NE(categories[0], categories[1]);

  // Back on the sound page the field still shows it.
  ClickUntilParam(host, kLibrarianX, kLibrarianY, kMainTab, 2);
  EXPECT_EQ(Pixels(Png(host, m_dir + "/edit-page.png"), kCategoryField), categories[1]);

  // The Varno's own answer carries no category: NONE.
  ASSERT_TRUE(ClickUntilReceived(host, sim, kRequestX, kRequestY, "edit-buffer-request"));
  EXPECT_TRUE(host.WaitForParam(kCategoryName, 0));
  EXPECT_EQ(host.ParamText(kCategoryName), "NONE");
  for (auto deadline = steady_clock::now() + kDeadline;
       host.ParamText(kPatchName) != "REQUESTED" && steady_clock::now() < deadline;)
    host.Command("wait 50");
  EXPECT_EQ(host.ParamText(kPatchName), "REQUESTED");
  EXPECT_EQ(Pixels(Png(host, m_dir + "/requested.png"), kCategoryField), none);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
