// The editor end to end over JACK with the simulated Varno, driven through
// the host program's editor commands.
#include <fstream>
#include <regex>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/read_file.h"

namespace e2e {
namespace {

// Window positions of controls of the sound page (the knob's centre).
constexpr int kCutoffX = 988, kCutoffY = 152;          // kFilterCutoff (39), controller 74
constexpr int kResonanceX = 1098, kResonanceY = 152;   // kFilterResonance (45)
constexpr int kPortamentoX = 892, kPortamentoY = 404;  // the knob in the place of kPortamento (22)
constexpr int kRequestX = 1356, kRequestY = 16;        // the header's REQUEST button
constexpr int kSendX = 1356, kSendY = 42;              // the header's SEND button

constexpr int kFilterCutoff = 39, kFilterResonance = 45, kGlobalMasterTune = 132;
constexpr int kSendMIDIClockPointer = 116, kSendMIDIClockInfo = 117;

// Drags a knob upward until its parameter moved (the editor's processing
// overlay takes clicks while it shows); the parameter's value after it.
double TurnKnob(Host& host, int x, int y, int id) {
  const double before = host.Param(id);
  const auto deadline = steady_clock::now() + kDeadline;
  double after = before;
  while (after == before && steady_clock::now() < deadline) {
    EXPECT_EQ(host.Command("drag " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x) +
                           " " + std::to_string(y - 37) + " 7"),
              "dragged from " + std::to_string(x) + " " + std::to_string(y) + " to " + std::to_string(x) +
                  " " + std::to_string(y - 37));
    after = host.Param(id);
    if (after == before) host.Command("wait 100");
  }
  EXPECT_NE(after, before) << "the knob at " << x << "," << y << " never moved";
  return after;
}

// A copy of the editor's bundle whose UI description maps resonance to its
// single-parameter SysEx message and puts the master tune, sent as a
// parameter number, where the portamento knob was: the shipped window maps
// every sound knob to a control change.
std::string BundleWithEveryControlKind(const std::string& folder) {
  const std::string bundle = folder + "/VivivI.bundle";
  std::system(("cp -r '" EDITOR_BUNDLE "' '" + bundle + "'").c_str());
  std::string xml = ReadWholeFile(UI_DESCRIPTION_SOURCE);
  xml = std::regex_replace(
      xml, std::regex("<knobcontrol type=\"ccKnob\" name=\"Resonance\"[^>]*>"),
      "<knobcontrol type=\"seKnob\" name=\"Resonance\" paramId=\"kFilterResonance\" "
      "imageId=\"KNOB_ID127_FC\" "
      "position=\"1078,132\" valueBounds=\"29,0,127,1\" sysexIndex=\"41\" changingByte=\"7\" "
      "paramGroup=\"Sound\"/>");
  xml = std::regex_replace(
      xml, std::regex("<knobcontrol type=\"ccKnob\" name=\"Portamento\"[^>]*>"),
      "<knobcontrol type=\"msbLsbKnob\" name=\"Master Tune\" paramId=\"kGlobalMasterTune\" "
      "imageId=\"KNOB_ID127_FC\" position=\"872,384\" valueBounds=\"10,0,20,1\" ccNumber=\"6\" "
      "msbValue=\"1\" "
      "lsbControl=\"6\" lsbValue=\"54\" channel=\"1\" paramGroup=\"Sound\"/>");
  std::ofstream(folder + "/uiconfig.xml") << xml;
  const std::string encipher = std::string(ENCIPHER_TOOL) + " '" + folder + "/uiconfig.xml' '" + bundle +
                               "/Resources/uiconfig.tea' >/dev/null";
  EXPECT_EQ(std::system(encipher.c_str()), 0);
  return bundle;
}

std::vector<int> Bytes(std::initializer_list<int> list) { return std::vector<int>(list); }

TEST_F(EditorEndToEnd, TurningAKnobOfEachKindSendsTheChartsBytes) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, BundleWithEveryControlKind(m_dir), {"open-editor", "window", "editor-commands"});
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);  // it covers the portamento knob's place
  OpenPorts(host, sim);

  // Control change: controller 74 on channel 1 with the value; the last
  // step of the drag is sent too.
  const int cutoff = static_cast<int>(TurnKnob(host, kCutoffX, kCutoffY, kFilterCutoff));
  auto records = sim.WaitFor([&](const std::vector<Record>& r) {
    const auto cc = Received(r, "control-change");
    return !cc.empty() && cc.back().bytes == Bytes({0xB0, 74, cutoff});
  });
  const auto changes = Received(records, "control-change");
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back().bytes, Bytes({0xB0, 74, cutoff}));
  EXPECT_EQ(sim.EditValue(kFilterCutoff), cutoff);

  // SysEx: the single-parameter message of resonance (address 43 01) with
  // the value, at the editor's device ID.
  const int resonance = static_cast<int>(TurnKnob(host, kResonanceX, kResonanceY, kFilterResonance));
  records = sim.WaitFor([&](const std::vector<Record>& r) {
    const auto p = Received(r, "parameter");
    return !p.empty() &&
           p.back().bytes == Bytes({0xF0, 0x3E, 0x0B, 0x00, 0x41, 0x43, 0x01, resonance, 0x00, 0xF7});
  });
  const auto parameters = Received(records, "parameter");
  ASSERT_FALSE(parameters.empty());
  EXPECT_EQ(parameters.back().bytes,
            Bytes({0xF0, 0x3E, 0x0B, 0x00, 0x41, 0x43, 0x01, resonance, 0x00, 0xF7}));
  EXPECT_EQ(parameters.back().outcome, "applied");
  EXPECT_EQ(sim.EditValue(kFilterResonance), resonance);

  // MSB/LSB: parameter number 1/6 (master tune), then its data + 54.
  sim.Command("records clear");
  const int tune = static_cast<int>(TurnKnob(host, kPortamentoX, kPortamentoY, kGlobalMasterTune));
  records = sim.WaitFor([&](const std::vector<Record>& r) {
    const auto cc = Received(r, "control-change");
    return !cc.empty() && cc.back().bytes == Bytes({0xB0, 6, tune + 54});
  });
  std::vector<std::vector<int>> sent;
  for (const Record& r : Received(records, "control-change")) sent.push_back(r.bytes);
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(std::vector<std::vector<int>>(sent.end() - 3, sent.end()),
            (std::vector<std::vector<int>>{{0xB0, 99, 1}, {0xB0, 98, 6}, {0xB0, 6, tune + 54}}));
  EXPECT_EQ(sim.GlobalValue(kGlobalMasterTune), tune);
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, ASoundRequestFillsTheWindowWithTheSimulatorsSound) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  // The Varno's edit buffer differs from the editor's start values.
  const std::vector<std::pair<int, int>> sound = {
      {kFilterCutoff, 17}, {kFilterResonance, 99}, {46, 33}, {19, 121}};
  for (const auto& setting : sound)
    ASSERT_EQ(
        sim.Command("set " + std::to_string(setting.first) + " " + std::to_string(setting.second)).back(),
        "ok");
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  const std::string before = m_dir + "/before.png", after = m_dir + "/after.png";
  EXPECT_EQ(host.Command("png " + before), "wrote " + before);

  // REQUEST is pressed until the request goes out (the overlay of the
  // start-up enquiry may still take the first clicks).
  auto requested = [&](const std::vector<Record>& r) { return !Received(r, "edit-buffer-request").empty(); };
  const auto deadline = steady_clock::now() + kDeadline;
  while (!requested(sim.Records()) && steady_clock::now() < deadline) {
    EXPECT_EQ(host.Command("click " + std::to_string(kRequestX) + " " + std::to_string(kRequestY)),
              "clicked " + std::to_string(kRequestX) + " " + std::to_string(kRequestY));
    host.Command("wait 300");
  }
  const auto records = sim.WaitFor(requested);
  ASSERT_TRUE(requested(records));
  EXPECT_EQ(Received(records, "edit-buffer-request")[0].outcome, "answered");

  // Every parameter of the dump arrives in the editor.
  for (const auto& setting : sound) {
    double value = -1;
    for (auto until = steady_clock::now() + kDeadline; steady_clock::now() < until;) {
      value = host.Param(setting.first);
      if (value == setting.second) break;
      host.Command("wait 100");
    }
    EXPECT_EQ(value, setting.second) << "parameter " << setting.first;
  }
  host.Command("wait 200");
  EXPECT_EQ(host.Command("png " + after), "wrote " + after);
  EXPECT_NE(ReadWholeFile(before), ReadWholeFile(after)) << "the window shows the same before and after";
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, ASoundSentFromTheWindowIsTakenByAVarnoThatChecksChecksums) {
  Simulator sim(m_dir, {"--strict-checksum"});
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  const int cutoff = static_cast<int>(TurnKnob(host, kCutoffX, kCutoffY, kFilterCutoff));
  // The Varno's own value differs, so that only the dump can bring it back.
  ASSERT_EQ(
      sim.Command("set " + std::to_string(kFilterCutoff) + " " + std::to_string(cutoff == 5 ? 6 : 5)).back(),
      "ok");

  auto sent = [](const std::vector<Record>& r) { return !Received(r, "sound-dump").empty(); };
  const auto deadline = steady_clock::now() + kDeadline;
  while (!sent(sim.Records()) && steady_clock::now() < deadline) {
    EXPECT_EQ(host.Command("click " + std::to_string(kSendX) + " " + std::to_string(kSendY)),
              "clicked " + std::to_string(kSendX) + " " + std::to_string(kSendY));
    host.Command("wait 500");
  }
  const auto dumps = Received(sim.WaitFor(sent), "sound-dump");
  ASSERT_FALSE(dumps.empty()) << "SEND sent no sound";
  EXPECT_EQ(dumps[0].outcome, "applied");
  EXPECT_EQ(dumps[0].fault, "none") << "the checksum is wrong";
  ASSERT_EQ(dumps[0].bytes.size(), 76u);
  EXPECT_EQ(dumps[0].bytes[61], cutoff);
  EXPECT_EQ(sim.EditValue(kFilterCutoff), cutoff);
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, TheMidiClockFollowsTheHostsTransport) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  EXPECT_EQ(host.Command("set-param " + std::to_string(kSendMIDIClockPointer) + " 1"),
            "parameter 116 set to 1");
  EXPECT_EQ(host.Command("set-param " + std::to_string(kSendMIDIClockInfo) + " 1"), "parameter 117 set to 1");

  // Timing clocks run while the clock is switched on.
  auto records = sim.WaitFor([](const std::vector<Record>& r) { return Received(r, "clock").size() >= 24; });
  EXPECT_GE(Received(records, "clock").size(), 24u);
  for (const Record& tick : Received(records, "clock")) EXPECT_EQ(tick.bytes, Bytes({0xF8}));
  EXPECT_TRUE(Received(records, "start").empty()) << "a start without the transport";

  // Start and stop follow the transport, once each.
  EXPECT_EQ(host.Command("play"), "playing");
  records = sim.WaitFor([](const std::vector<Record>& r) { return !Received(r, "start").empty(); });
  ASSERT_EQ(Received(records, "start").size(), 1u);
  EXPECT_EQ(Received(records, "start")[0].bytes, Bytes({0xFA}));
  EXPECT_EQ(host.Command("stop"), "stopped");
  records = sim.WaitFor([](const std::vector<Record>& r) { return !Received(r, "stop").empty(); });
  ASSERT_EQ(Received(records, "stop").size(), 1u);
  EXPECT_EQ(Received(records, "stop")[0].bytes, Bytes({0xFC}));
  EXPECT_EQ(Received(records, "start").size(), 1u);

  // Switched off, the ticks end.
  EXPECT_EQ(host.Command("set-param " + std::to_string(kSendMIDIClockInfo) + " 0"), "parameter 117 set to 0");
  host.Command("wait 200");
  sim.Command("records clear");
  host.Command("wait 500");
  EXPECT_TRUE(Received(sim.Records(), "clock").empty());
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(EditorEndToEnd, ARestoredProjectReopensThePortsByNameAndSendsTheRecalledSound) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  const std::string state = m_dir + "/project.plist";
  int cutoff = -1;
  {
    Host host(m_dir, EDITOR_BUNDLE, {"open-editor", "window", "editor-commands", "save-state", state});
    ASSERT_TRUE(host.Open());
    OpenPorts(host, sim);
    cutoff = static_cast<int>(TurnKnob(host, kCutoffX, kCutoffY, kFilterCutoff));
    std::string rest;
    EXPECT_EQ(host.Quit(&rest), 0);
    EXPECT_NE(rest.find("state saved to " + state), std::string::npos) << rest;
  }
  // The Varno forgets the sound meanwhile.
  ASSERT_EQ(sim.Command("set " + std::to_string(kFilterCutoff) + " 1").back(), "ok");
  sim.Command("records clear");

  Host host(m_dir, EDITOR_BUNDLE, {"restore-state", state, "open-editor", "window", "editor-commands"});
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.Command("get-param-text 166").find(sim.outPort) != std::string::npos, true);
  EXPECT_EQ(host.Command("get-param-text 165").find(sim.inPort) != std::string::npos, true);
  const auto records =
      sim.WaitFor([](const std::vector<Record>& r) { return !Received(r, "sound-dump").empty(); });
  const auto dumps = Received(records, "sound-dump");
  ASSERT_FALSE(dumps.empty()) << "the recalled sound was not sent";
  ASSERT_EQ(dumps.back().bytes.size(), 76u);
  EXPECT_EQ(dumps.back().bytes[61], cutoff);  // the dump byte of kFilterCutoff
  EXPECT_EQ(sim.EditValue(kFilterCutoff), cutoff);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
