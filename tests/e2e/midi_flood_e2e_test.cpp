// The editor's MIDI under load, end to end over the shared JACK server: a
// flood of control changes into the editor's input while another client
// listens to the same port, and a bank stored into the simulated Varno
// while the clock runs and the flood goes on. The flood comes from a JACK
// client of this test that puts each message at its frame, connected to the
// editor's input port beside the Varno's output, as a second source on the
// same cable would be.
#include <fstream>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/jack_midi_clients.h"
#include "tests/support/read_file.h"

namespace e2e {
namespace {

constexpr int kFilterCutoff = 39, kCutoffController = 74;
constexpr int kMainTab = 194, kSendMIDIClockPointer = 116, kSendMIDIClockInfo = 117;
// The flood the issue names: 10,000 control changes a second for 10 s.
constexpr double kFloodRate = 10000;
constexpr uint64_t kFloodMessages = 100000;
// The cutoff knob's place in the window (its design rectangle).
constexpr int kCutoffLeft = 968, kCutoffTop = 132, kCutoffSize = 40;

// Message i of a flood: the cutoff controller on channel 1, its value
// running through 0 to 127 over and over.
std::vector<uint8_t> CutoffChange(uint64_t i) {
  return {0xB0, kCutoffController, static_cast<uint8_t>(i % 128)};
}
constexpr int kLastCutoff = static_cast<int>((kFloodMessages - 1) % 128);

class MidiFloodEndToEnd : public EditorEndToEnd {
 protected:
  // Connects the flood to the editor's input port: the port that the
  // Varno's output feeds since OpenPorts.
  void FloodIntoEditor(jacktest::MidiFlood& flood, Simulator& sim) {
    const std::string varnoOut = flood.FindPort(sim.outPort);
    ASSERT_FALSE(varnoOut.empty()) << "no port " << sim.outPort;
    const std::vector<std::string> editorInputs = flood.ConnectionsOf(varnoOut);
    ASSERT_EQ(editorInputs.size(), 1u) << "the Varno's output feeds no editor input";
    ASSERT_TRUE(flood.ConnectWith(editorInputs[0]));
  }

  // Waits until the flood has put out every message. Meanwhile nobody reads
  // what the host prints: it hears of every parameter change, and soon waits
  // for its reader, as a busy host's notifications do. Nothing of the JACK
  // cycle may wait with it.
  void WaitForFlood(jacktest::MidiFlood& flood) {
    const auto deadline = steady_clock::now() + std::chrono::seconds(60);
    while (!flood.Done() && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(flood.Done()) << "the flood did not end: " << flood.Written() << " of its messages written";
  }
};

TEST_F(MidiFloodEndToEnd, AFloodEndsOnItsLastValueAndEveryListenerGetsAll) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  jacktest::MidiFlood flood(UniqueName("flood"));
  ASSERT_TRUE(flood.Activate());

  // The flood reaches a listener whole before the editor takes it.
  {
    jacktest::MidiCounter alone(UniqueName("alone"), CutoffChange);
    ASSERT_TRUE(alone.Activate());
    ASSERT_TRUE(alone.ConnectWith(flood.PortName()));
    alone.Expect(20000);
    flood.Start(20000, kFloodRate, CutoffChange);
    const auto deadline = steady_clock::now() + kDeadline;
    while (alone.Received() < 20000 && steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(alone.Received(), 20000u);
    EXPECT_EQ(alone.OutOfOrder(), 0u);
  }

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  const Picture before = Snapshot(host, "before");
  ASSERT_NE(host.Param(kFilterCutoff), kLastCutoff);
  FloodIntoEditor(flood, sim);

  jacktest::MidiCounter listener(UniqueName("listener"), CutoffChange);
  ASSERT_TRUE(listener.Activate());
  ASSERT_TRUE(listener.ConnectWith(flood.PortName()));
  listener.Expect(kFloodMessages);
  flood.Start(kFloodMessages, kFloodRate, CutoffChange);
  WaitForFlood(flood);

  // The editor shows the last value within a second of the flood's end.
  const auto end = steady_clock::now();
  double shown = host.Param(kFilterCutoff);
  while (shown != kLastCutoff && steady_clock::now() < end + std::chrono::seconds(1))
    shown = host.Param(kFilterCutoff);
  EXPECT_EQ(shown, kLastCutoff) << "the editor did not show the flood's last value within a second";

  // The other listener on the port got every message, in order: the editor
  // held up no JACK cycle.
  const auto deadline = steady_clock::now() + kDeadline;
  while (listener.Received() < kFloodMessages && steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(flood.Lost(), 0u);
  EXPECT_EQ(listener.Received(), kFloodMessages);
  EXPECT_EQ(listener.OutOfOrder(), 0u);

  // The window shows it.
  EXPECT_EQ(host.Command("get-param-text " + std::to_string(kFilterCutoff)),
            "parameter 39 shows: " + std::to_string(kLastCutoff));
  const Picture after = Snapshot(host, "after");
  EXPECT_GT(
      before.Differences(after, kCutoffLeft, kCutoffTop, kCutoffLeft + kCutoffSize, kCutoffTop + kCutoffSize),
      0)
      << "the cutoff knob looks the same after the flood";
  EXPECT_EQ(host.Quit(), 0);
}

// The sound part of a dump: the bytes after the program number up to the
// checksum.
std::vector<int> SoundPart(const std::vector<int>& dump) {
  return dump.size() >= 74 ? std::vector<int>(dump.begin() + 6, dump.begin() + 74) : std::vector<int>();
}

TEST_F(MidiFloodEndToEnd, ABankStoredWhileTheClockRunsAndAFloodComesInArrivesWhole) {
  Simulator sim(m_dir, {"--strict-checksum"});
  ASSERT_TRUE(sim.Ready());
  // A bank of 99 patches that differ from the programs they are stored
  // into: slot s holds the Varno's program s + 50 (wrapping at 99).
  constexpr int kSlots = 99, kShift = 50, kStored = 40;  // a bank store fills programs 0 to 39
  std::vector<std::vector<int>> bank;
  std::string file;
  for (int slot = 0; slot < kSlots; ++slot) {
    std::vector<int> dump = sim.ProgramDump((slot + kShift) % kSlots);
    ASSERT_EQ(dump.size(), 76u);
    dump[5] = slot;
    for (int b : dump) file.push_back(static_cast<char>(b));
    bank.push_back(dump);
  }
  for (int slot = 0; slot < kStored; ++slot)
    ASSERT_NE(SoundPart(bank[static_cast<size_t>(slot)]), SoundPart(sim.ProgramDump(slot)));
  std::ofstream(DataFolder() + "/Patches/Stored.syx", std::ios::binary) << file;

  jacktest::MidiFlood flood(UniqueName("flood"));
  ASSERT_TRUE(flood.Activate());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);
  OpenPorts(host, sim);
  FloodIntoEditor(flood, sim);
  // The clock runs, with the transport.
  EXPECT_EQ(host.Command("set-param " + std::to_string(kSendMIDIClockPointer) + " 1"),
            "parameter 116 set to 1");
  EXPECT_EQ(host.Command("set-param " + std::to_string(kSendMIDIClockInfo) + " 1"), "parameter 117 set to 1");
  EXPECT_EQ(host.Command("play"), "playing");
  ASSERT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
            0u);
  ChooseEditedBank(host, "Stored.syx");
  ChooseSourceBank(host, "Stored.syx");

  auto stored = [&](int slot) {
    return SoundPart(sim.ProgramDump(slot)) == SoundPart(bank[static_cast<size_t>(slot)]);
  };
  // The choice is dropped while the data thread still runs an earlier job
  // (the enquiry of the opened output): chosen again until the store begins.
  for (const auto deadline = steady_clock::now() + kDeadline; !stored(0) && steady_clock::now() < deadline;) {
    ASSERT_TRUE(host.ChooseFromMenuAt(1160, 107, "Store Patch Data>All Current Patches to Hardware"));
    host.Command("wait 1000");
  }
  flood.Start(kFloodMessages, kFloodRate, CutoffChange);
  WaitForFlood(flood);

  // Every store arrived whole, its checksum right: the strict Varno took
  // each into its program.
  for (const auto deadline = steady_clock::now() + kDeadline;
       !stored(kStored - 1) && steady_clock::now() < deadline;)
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  for (int slot = 0; slot < kStored; ++slot) EXPECT_TRUE(stored(slot)) << "program " << slot;
  int stores = 0;
  for (const Record& r : Received(sim.Records(), "sound-store")) {
    ++stores;
    EXPECT_EQ(r.outcome, "applied");
    EXPECT_EQ(r.fault, "none");
  }
  EXPECT_EQ(stores, kStored);
  EXPECT_FALSE(Received(sim.Records(), "clock").empty()) << "the clock did not run";
  EXPECT_EQ(host.Quit(), 0);
  // No event was dropped for want of room in a cycle.
  EXPECT_EQ(ReadWholeFile(m_dir + "/host-err.txt").find("ReserveEvent"), std::string::npos);
}

}  // namespace
}  // namespace e2e
