// The synthesizer's global settings end to end over JACK, driven through the
// host program's editor commands: a simulated Varno at device ID 5 is found
// by the start-up scan and from then on addressed as 5 by REQUEST, SEND and a
// bank store; the global settings panel, opened from the header, shows the
// Varno's own values and sends a change as its parameter number; neither a
// send nor a project recall writes a global value the Varno did not have.
#include <sys/stat.h>

#include <memory>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-png.h"
#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr int kGlobalMidiChannel = 74, kGlobalStartUpProgram = 131, kGlobalMasterTune = 132;
constexpr int kGlobalControlX = 133, kGlobalDeviceID = 134, kGlobalSettings = 196, kMainTab = 194;

constexpr int kRequestX = 1356, kRequestY = 16;  // the header's REQUEST button
constexpr int kSendX = 1356, kSendY = 42;        // the header's SEND button
constexpr int kGlobalsKeyX = 1107, kGlobalsKeyY = 43;
constexpr int kCloseX = 1460, kCloseY = 112;  // the panel's exit button
// The panel's card, and the centre of the value field of each row (start-up
// program, master tune, control X, MIDI channel, device ID).
constexpr int kCardLeft = 1044, kCardTop = 88, kCardRight = 1484, kCardBottom = 472;
constexpr int kFieldX = 1392;
constexpr int kFieldY[5] = {193, 237, 281, 325, 369};
constexpr int kMainMenuX = 1160, kMainMenuY = 107;  // the librarian's main menu

constexpr int kDeviceId = 5;
// The Varno's own global settings, none of them the editor's start value.
const std::vector<std::pair<int, int>> kUnitGlobals = {
    {kGlobalStartUpProgram, 42}, {kGlobalMasterTune, 13}, {kGlobalControlX, 1}, {kGlobalMidiChannel, 3}};

std::vector<int> Bytes(std::initializer_list<int> list) { return std::vector<int>(list); }

class GlobalSettingsEndToEnd : public EditorEndToEnd {
 protected:
  // A simulator at device ID 5 holding kUnitGlobals.
  std::unique_ptr<Simulator> UnitAtDeviceFive() {
    std::unique_ptr<Simulator> sim(new Simulator(m_dir, {"--device-id", std::to_string(kDeviceId)}));
    if (!sim->Ready()) return nullptr;
    for (const auto& setting : kUnitGlobals)
      if (sim->Command("set " + std::to_string(setting.first) + " " + std::to_string(setting.second))
              .back() != "ok")
        return nullptr;
    return sim;
  }

  // Opens the ports and waits until the editor holds the Varno's device ID.
  void FindTheUnit(Host& host, Simulator& sim) {
    OpenPorts(host, sim);
    ASSERT_TRUE(host.WaitForParam(kGlobalDeviceID, kDeviceId)) << "the scan did not find the Varno at ID 5";
  }

  // Clicks the header button at (x, y) until the job it posts begins (the
  // Varno receives a message of the first kind; a click while the data
  // thread is busy posts nothing), then waits for a message of the last
  // kind; the records of the last poll.
  std::vector<Record> PressUntil(Host& host, Simulator& sim, int x, int y,
                                 const std::vector<std::string>& kinds) {
    auto began = [&](const std::vector<Record>& r) {
      for (const std::string& kind : kinds)
        if (!Received(r, kind).empty()) return true;
      return false;
    };
    const std::string at = std::to_string(x) + " " + std::to_string(y);
    for (const auto deadline = steady_clock::now() + kDeadline;
         !began(sim.Records()) && steady_clock::now() < deadline;) {
      EXPECT_EQ(host.Command("click " + at), "clicked " + at);
      // Time for the job to send its first message before a second click.
      for (int i = 0; i < 20 && !began(sim.Records()); ++i) host.Command("wait 100");
    }
    return sim.WaitFor([&](const std::vector<Record>& r) { return !Received(r, kinds.back()).empty(); });
  }

  // Pixels that differ between two pictures of the window, inside and
  // outside the card (the header, whose display lines change, left out).
  void CountChanges(const std::string& before, const std::string& after, int* inside, int* outside) {
    *inside = *outside = -1;
    std::unique_ptr<PIX_IBitmap> a(PIX_LoadPNG(before.c_str(), nullptr));
    std::unique_ptr<PIX_IBitmap> b(PIX_LoadPNG(after.c_str(), nullptr));
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->getWidth(), b->getWidth());
    ASSERT_EQ(a->getHeight(), b->getHeight());
    *inside = *outside = 0;
    for (int y = kCardTop; y < a->getHeight(); ++y)
      for (int x = 0; x < a->getWidth(); ++x) {
        if (PIX_GetPixel(a.get(), x, y) == PIX_GetPixel(b.get(), x, y)) continue;
        const bool inCard = x >= kCardLeft && x < kCardRight && y < kCardBottom;
        ++*(inCard ? inside : outside);
      }
  }
};

TEST_F(GlobalSettingsEndToEnd, AVarnoAtDeviceFiveIsFoundOnceThenAddressedByItsOwnId) {
  std::unique_ptr<Simulator> unit = UnitAtDeviceFive();
  ASSERT_TRUE(unit);
  Simulator& sim = *unit;
  // A bank in the library for the store.
  const std::string patches = m_dir + "/data/Patches";
  mkdir(patches.c_str(), 0755);
  const std::vector<int> dump = sim.ProgramDump(3);
  ASSERT_EQ(dump.size(), 76u);
  WriteSysExBank(patches + "/Store.syx", dump);

  const std::string unitsOwn = sim.Globals();

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  FindTheUnit(host, sim);
  EXPECT_EQ(sim.Globals(), unitsOwn) << "finding the Varno changed its global settings";

  // The start-up scan asked every ID up to 5; only the Varno's own answered,
  // once, with its global dump.
  std::vector<Record> records = sim.Records();
  int answered = 0;
  for (const Record& enquiry : Received(records, "enquiry")) {
    if (enquiry.outcome != "answered") continue;
    ++answered;
    ASSERT_EQ(enquiry.bytes.size(), 6u);
    EXPECT_EQ(enquiry.bytes[3], kDeviceId);
  }
  EXPECT_EQ(answered, 1);

  // The header's GLOBALS key opens the panel, which shows the Varno's values.
  const std::string key = std::to_string(kGlobalsKeyX) + " " + std::to_string(kGlobalsKeyY);
  for (const auto deadline = steady_clock::now() + kDeadline;
       host.Param(kGlobalSettings) != 1 && steady_clock::now() < deadline;) {
    EXPECT_EQ(host.Command("click " + key), "clicked " + key);
    host.Command("wait 100");
  }
  ASSERT_EQ(host.Param(kGlobalSettings), 1) << "the GLOBALS key did not open the panel";
  EXPECT_EQ(host.ParamText(kGlobalStartUpProgram), "43");
  EXPECT_EQ(host.ParamText(kGlobalMasterTune), "443 Hz");
  EXPECT_EQ(host.ParamText(kGlobalControlX), "SYSEX");
  EXPECT_EQ(host.ParamText(kGlobalMidiChannel), "3");
  EXPECT_EQ(host.ParamText(kGlobalDeviceID), "5");

  // A change in the panel reaches the Varno as its parameter number on the
  // Varno's channel (3): MSB 1, LSB the setting's dump byte, data value +
  // offset. Master tune 445 Hz is 15, data 15 + 54.
  sim.Command("records clear");
  ASSERT_TRUE(host.ChooseFromMenuAt(kFieldX, kFieldY[1], "445 Hz"));
  auto lastControlChanges = [](const std::vector<Record>& r) {
    std::vector<std::vector<int>> sent;
    for (const Record& x : Received(r, "control-change")) sent.push_back(x.bytes);
    return sent.size() < 3 ? sent : std::vector<std::vector<int>>(sent.end() - 3, sent.end());
  };
  const std::vector<std::vector<int>> tune = {{0xB2, 99, 1}, {0xB2, 98, 6}, {0xB2, 6, 15 + 54}};
  records = sim.WaitFor([&](const std::vector<Record>& r) { return lastControlChanges(r) == tune; });
  EXPECT_EQ(lastControlChanges(records), tune);
  EXPECT_EQ(sim.GlobalValue(kGlobalMasterTune), 15);
  EXPECT_EQ(host.ParamText(kGlobalMasterTune), "445 Hz");
  // The start-up program, from a list of 99 in groups of ten: program 45 is
  // the value 44.
  ASSERT_TRUE(host.ChooseFromMenuAt(kFieldX, kFieldY[0], "41 - 50>45"));
  const std::vector<std::vector<int>> program = {{0xB2, 99, 1}, {0xB2, 98, 5}, {0xB2, 6, 44}};
  records = sim.WaitFor([&](const std::vector<Record>& r) { return lastControlChanges(r) == program; });
  EXPECT_EQ(lastControlChanges(records), program);
  EXPECT_EQ(sim.GlobalValue(kGlobalStartUpProgram), 44);
  const std::string globals = sim.Globals();

  // The panel covers its card and nothing else of the page; its exit button
  // closes it.
  const std::string open = m_dir + "/open.png", closed = m_dir + "/closed.png";
  host.Command("wait 200");
  EXPECT_EQ(host.Command("png " + open), "wrote " + open);
  const std::string exit = std::to_string(kCloseX) + " " + std::to_string(kCloseY);
  EXPECT_EQ(host.Command("click " + exit), "clicked " + exit);
  EXPECT_TRUE(host.WaitForParam(kGlobalSettings, 0)) << "the exit button did not close the panel";
  host.Command("wait 200");
  EXPECT_EQ(host.Command("png " + closed), "wrote " + closed);
  int inside = 0, outside = 0;
  CountChanges(closed, open, &inside, &outside);
  EXPECT_GT(inside, (kCardRight - kCardLeft) * (kCardBottom - kCardTop) / 2) << "the panel was not drawn";
  EXPECT_EQ(outside, 0) << "the panel changed the window outside its card";

  // REQUEST goes to ID 5 at once: one request, answered, no scan.
  sim.Command("records clear");
  records = PressUntil(host, sim, kRequestX, kRequestY, {"edit-buffer-request"});
  const std::vector<Record> requests = Received(records, "edit-buffer-request");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].bytes[3], kDeviceId);
  EXPECT_EQ(requests[0].outcome, "answered");

  // SEND: the sound goes to ID 5, after the global dump of the Varno's own
  // values (as read and as the user set them).
  sim.Command("records clear");
  records = PressUntil(host, sim, kSendX, kSendY, {"global-dump", "sound-dump"});
  const std::vector<Record> sounds = Received(records, "sound-dump");
  ASSERT_FALSE(sounds.empty());
  EXPECT_EQ(sounds[0].bytes[3], kDeviceId);
  EXPECT_EQ(sounds[0].outcome, "applied");
  const std::vector<Record> dumped = Received(records, "global-dump");
  ASSERT_EQ(dumped.size(), 1u);
  EXPECT_EQ(dumped[0].bytes,
            Bytes({0xF0, 0x3E, 0x0B, kDeviceId, 0x08, 44, 15 + 54, 1, 3, kDeviceId, 0, 0xF7}));
  EXPECT_EQ(sim.Globals(), globals);

  // A bank store from the librarian's main menu: every program to ID 5.
  sim.Command("records clear");
  ASSERT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
            0u);
  auto began = [](const std::vector<Record>& r) { return !Received(r, "sound-store").empty(); };
  for (const auto deadline = steady_clock::now() + kDeadline;
       !began(sim.Records()) && steady_clock::now() < deadline;) {
    ASSERT_TRUE(
        host.ChooseFromMenuAt(kMainMenuX, kMainMenuY, "Store Patch Data>All Current Patches to Hardware"));
    for (int i = 0; i < 20 && !began(sim.Records()); ++i) host.Command("wait 100");
  }
  records = sim.WaitFor([](const std::vector<Record>& r) { return Received(r, "sound-store").size() >= 2; });
  const std::vector<Record> stores = Received(records, "sound-store");
  ASSERT_GE(stores.size(), 2u);
  for (const Record& store : stores) {
    EXPECT_EQ(store.bytes[3], kDeviceId);
    EXPECT_EQ(store.outcome, "applied");
  }
  EXPECT_EQ(sim.Globals(), globals) << "the Varno's global settings changed";
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(GlobalSettingsEndToEnd, ARecalledProjectWritesNoGlobalValueTheVarnoDoesNotHave) {
  std::unique_ptr<Simulator> unit = UnitAtDeviceFive();
  ASSERT_TRUE(unit);
  Simulator& sim = *unit;
  const std::string state = m_dir + "/project.plist";
  {
    Host host(m_dir, EDITOR_BUNDLE, {"open-editor", "window", "editor-commands", "save-state", state});
    ASSERT_TRUE(host.Open());
    FindTheUnit(host, sim);
    EXPECT_TRUE(host.WaitForParam(kGlobalMasterTune, 13));
    EXPECT_EQ(host.Quit(), 0);
  }
  // Meanwhile the Varno is tuned otherwise on its own panel.
  ASSERT_EQ(sim.Command("set " + std::to_string(kGlobalMasterTune) + " 7").back(), "ok");
  const std::string globals = sim.Globals();
  sim.Command("records clear");

  // The recall sends the project's sound to the Varno's ID, and no global dump.
  Host host(m_dir, EDITOR_BUNDLE, {"restore-state", state, "open-editor", "window", "editor-commands"});
  ASSERT_TRUE(host.Open());
  std::vector<Record> records =
      sim.WaitFor([](const std::vector<Record>& r) { return !Received(r, "sound-dump").empty(); });
  std::vector<Record> sounds = Received(records, "sound-dump");
  ASSERT_FALSE(sounds.empty()) << "the recalled sound was not sent";
  EXPECT_EQ(sounds[0].bytes[3], kDeviceId);
  EXPECT_TRUE(Received(records, "global-dump").empty());

  // Nor does SEND, as long as the Varno's own settings are not read again.
  sim.Command("records clear");
  records = PressUntil(host, sim, kSendX, kSendY, {"global-dump", "sound-dump"});
  EXPECT_FALSE(Received(records, "sound-dump").empty());
  EXPECT_TRUE(Received(records, "global-dump").empty());
  EXPECT_EQ(sim.Globals(), globals) << "the Varno's global settings changed";
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
