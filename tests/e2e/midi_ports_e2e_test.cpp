// MIDI ports that go away and come back, end to end: the partner program
// (the simulated Varno) ends and a new one makes ports of the same names on
// the shared JACK server; the editor says so in its window and its log, and
// the ports chosen again by name carry MIDI both ways.
#include "tests/e2e/midi_ports_e2e.h"

#include <fstream>

namespace e2e {
namespace {

TEST_F(MidiPortsEndToEnd, PortsOfAPartnerThatEndedAreChosenAgainByNameWhenItIsBack) {
  const SimulatorSetup names{UniqueName("varno"), UniqueName("in"), UniqueName("out"), {}};
  auto sim = std::make_unique<Simulator>(m_dir, std::vector<std::string>{}, names);
  ASSERT_TRUE(sim->Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, *sim);
  SendsAndReceives(host, *sim, 77);
  const Picture open = Snapshot(host, "open");

  // The partner ends: both its ports go, and the editor closes its own.
  sim.reset();
  WaitForPortsOff(host);
  const std::string status =
      WaitForStatus(host, {"MIDI In port lost - reselect!", "MIDI Out port lost - reselect!"});
  EXPECT_NE(status.find("port lost - reselect!"), std::string::npos) << status;
  const Picture lost = Snapshot(host, "lost");
  EXPECT_GT(open.Differences(lost, kMidiInLeft, kMidiInTop, kMidiInRight, kMidiInBottom), 0)
      << "MIDI In still shows the port";
  const std::string log = Log();
  EXPECT_NE(log.find("MIDI: MIDI In port "), std::string::npos) << log;
  EXPECT_NE(log.find(names.outPort + " went away"), std::string::npos) << log;
  EXPECT_NE(log.find(names.inPort + " went away"), std::string::npos) << log;

  // A new partner makes ports of the same names: chosen again, they work.
  sim = std::make_unique<Simulator>(m_dir, std::vector<std::string>{}, names);
  ASSERT_TRUE(sim->Ready());
  OpenPorts(host, *sim);
  SendsAndReceives(host, *sim, 33);
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
