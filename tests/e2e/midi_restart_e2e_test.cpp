// The JACK server restarted under a running editor, end to end. Each test
// starts a JACK server of its own (never the shared one), runs the host and
// the simulated Varno on it, stops the server under them and starts it
// again: the editor says that the server went away, and ports chosen again
// by name, or reopened by a project recalled then, carry MIDI again.
#include <unistd.h>

#include "tests/e2e/midi_ports_e2e.h"
#include "tests/support/private_jack_server.h"

namespace e2e {
namespace {

class MidiRestartEndToEnd : public MidiPortsEndToEnd {
 protected:
  void SetUp() override {
    // No shared server is needed: the test brings its own.
    ASSERT_TRUE(m_temp.Made());
    m_dir = m_temp.Name();
    ASSERT_EQ(InstallDataFolder(), 0) << "the install step failed: " << m_dir << "/install.txt";
    std::ofstream file(LogPath());
    m_server.reset(new PrivateJackServer(UniqueName("server")));
    const std::string log = m_dir + "/jackd.log";
    if (!m_server->Start(log)) {
      // JACK takes a handful of servers per user; a machine shared by many
      // runs of the tests may have them all.
      const std::string said = m_server->Said();
      if (said.find("Too many servers") != std::string::npos)
        GTEST_SKIP() << "no JACK server of the test's own can start here: " << said;
      FAIL() << "no private JACK server came up: " << said;
    }
    m_setup = {"restart-varno", "varno-in", "varno-out", {m_server->Environment()}};
  }
  void TearDown() override {
    m_server.reset();
    MidiPortsEndToEnd::TearDown();
  }

  std::unique_ptr<PrivateJackServer> m_server;
  SimulatorSetup m_setup;
};

TEST_F(MidiRestartEndToEnd, PortsAreChosenAgainByNameAfterTheServerRestarts) {
  auto sim = std::make_unique<Simulator>(m_dir, std::vector<std::string>{}, m_setup);
  ASSERT_TRUE(sim->Ready());
  Host host(m_dir, EDITOR_BUNDLE, {"open-editor", "window", "editor-commands"}, false, m_setup.environment);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, *sim);
  SendsAndReceives(host, *sim, 77);

  // The server goes away with every port on it.
  m_server->Stop();
  WaitForPortsOff(host);
  const std::string status = WaitForStatus(host, {"MIDI server stopped - reselect!"});
  EXPECT_NE(status.find("MIDI server stopped - reselect!"), std::string::npos) << status;
  EXPECT_NE(Log().find("MIDI: the MIDI server went away"), std::string::npos) << Log();
  sim.reset();

  // The server runs again with the Varno's ports: chosen again by name, the
  // editor's ports open on the new server.
  ASSERT_TRUE(m_server->Start(m_dir + "/jackd-again.log"));
  sim = std::make_unique<Simulator>(m_dir, std::vector<std::string>{}, m_setup);
  ASSERT_TRUE(sim->Ready());
  OpenPorts(host, *sim);
  EXPECT_NE(host.Command("get-param-text 166").find(m_setup.outPort), std::string::npos);
  EXPECT_NE(host.Command("get-param-text 165").find(m_setup.inPort), std::string::npos);
  SendsAndReceives(host, *sim, 33);
  EXPECT_EQ(host.Quit(), 0);
}

TEST_F(MidiRestartEndToEnd, AProjectRecalledAfterTheServerRestartsFindsItsPorts) {
  const std::string project = m_dir + "/project.plist";
  auto sim = std::make_unique<Simulator>(m_dir, std::vector<std::string>{}, m_setup);
  ASSERT_TRUE(sim->Ready());
  Host host(m_dir, EDITOR_BUNDLE,
            {"open-editor", "window", "editor-commands", "save-state", project, "editor-commands",
             "restore-state", project, "editor-commands"},
            false, m_setup.environment);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, *sim);
  SendsAndReceives(host, *sim, 77);
  ASSERT_EQ(host.EndCommands("state saved to"), "state saved to " + project);

  m_server->Stop();
  WaitForPortsOff(host);
  sim.reset();
  ASSERT_TRUE(m_server->Start(m_dir + "/jackd-again.log"));
  sim = std::make_unique<Simulator>(m_dir, std::vector<std::string>{}, m_setup);
  ASSERT_TRUE(sim->Ready());
  ASSERT_EQ(sim->Command("set " + std::to_string(kFilterCutoff) + " 5").back(), "ok");

  // The project recalled now reopens both ports by their names and sends
  // its sound to the Varno.
  ASSERT_EQ(host.EndCommands("state restored from"), "state restored from " + project);
  EXPECT_NE(host.Command("get-param-text 166").find(m_setup.outPort), std::string::npos);
  EXPECT_NE(host.Command("get-param-text 165").find(m_setup.inPort), std::string::npos);
  const auto dumps =
      Received(sim->WaitFor([](const std::vector<Record>& r) { return !Received(r, "sound-dump").empty(); }),
               "sound-dump");
  ASSERT_FALSE(dumps.empty()) << "the recalled sound was not sent";
  EXPECT_EQ(sim->EditValue(kFilterCutoff), 78);  // the value the Varno sent last before the save
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
