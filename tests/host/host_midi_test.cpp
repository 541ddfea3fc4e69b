// The host passing MIDI from a port of the computer (JACK) to the unit.
#include <rtmidi/RtMidi.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tests/host/host_fixture.h"
#include "tests/support/jack_server.h"
#include "tests/support/midi_peer.h"

namespace {

TEST_F(HostTest, MidiFromAnInputPortReachesTheUnitWhileItRenders) {
  SKIP_WITHOUT_JACK_SERVER();
  // A port of this test that the host listens to.
  std::unique_ptr<MidiPeerOut> port;
  try {
    port.reset(new MidiPeerOut("vivivi-host-test", "to-host"));
  } catch (const RtMidiError& e) {
    FAIL() << "cannot open a JACK port: " << e.getMessage();
  }
  const std::unique_ptr<ChildProcess> host =
      Start({"--midi-in", "vivivi-host-test:to-host", m_bundle, "render", "100"},
            {"AUTEST_ECHO=1", "VIVIVI_MIDI_API=jack"});
  ASSERT_TRUE(host->Started());
  const std::vector<unsigned char> note = {0x90, 0x3C, 0x64};
  // Notes keep coming while the host renders and while it shuts its input
  // down, so that its MIDI thread is busy when the input goes away.
  while (host->Running()) {
    port->Send(note);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const Result r = Finish(*host);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "plug-in midi from host at 0: 90 3C 64\n");
  EXPECT_HAS(r.out, "rendered 100 blocks of 512 frames");
}

}  // namespace
