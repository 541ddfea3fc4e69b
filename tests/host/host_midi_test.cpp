// The host passing MIDI from a port of the computer (JACK) to the unit.
#include <rtmidi/RtMidi.h>

#include <chrono>
#include <memory>
#include <thread>

#include "tests/host/host_fixture.h"

namespace {

TEST_F(HostTest, MidiFromAnInputPortReachesTheUnitWhileItRenders) {
  // A port of this test that the host listens to (JACK; the test command starts the server).
  std::unique_ptr<RtMidiOut> port;
  try {
    port.reset(new RtMidiOut(RtMidi::UNIX_JACK, "vivivi-host-test"));
    port->openVirtualPort("to-host");
  } catch (const RtMidiError& e) {
    GTEST_SKIP() << "no JACK server: " << e.getMessage();
  }
  const pid_t host = Start({"--midi-in", "vivivi-host-test:to-host", m_bundle, "render", "100"},
                           {"AUTEST_ECHO=1", "VIVIVI_MIDI_API=jack"});
  ASSERT_GT(host, 0);
  const std::vector<unsigned char> note = {0x90, 0x3C, 0x64};
  while (Running(host)) {
    port->sendMessage(&note);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const Result r = Finish(host);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "plug-in midi from host at 0: 90 3C 64\n");
  EXPECT_HAS(r.out, "rendered 100 blocks of 512 frames");
}

}  // namespace
