// External MIDI ports: the name lists, opening ports by name, sending and
// receiving, ports going away. Built twice: on a running JACK server (dummy
// back end), where every test names its own JACK clients after the process
// and a counter, so tests running side by side never meet each other's
// ports; and with MIDI_PORTS_ON_LOOPBACK on the in-process loop-back ports,
// which need no server. The port logic runs on both; what only a server
// shows (its cycles, its restart, its clients' naming) runs on JACK alone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/MidiApi.h"
#include "TestPlug.h"
#include "tests/support/jack_midi_clients.h"
#include "tests/support/jack_server.h"
#include "tests/support/midi_peer.h"
#include "tests/support/private_jack_server.h"
#include "tests/support/read_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The test runner knows tests by name: the loop-back build's carry names of
// their own, so that the JACK lock of the other build's is not theirs.
#ifdef MIDI_PORTS_ON_LOOPBACK
#define MidiPorts LoopbackMidiPorts
constexpr RtMidi::Api kApi = kLoopbackMIDIApi;
const char* const kApiName = "loopback";
#define SKIP_WITHOUT_PORTS() (void)0
#else
constexpr RtMidi::Api kApi = RtMidi::UNIX_JACK;
const char* const kApiName = "jack";
#define SKIP_WITHOUT_PORTS() SKIP_WITHOUT_JACK_SERVER()
#endif

std::string UniqueClientName(const char* role) {
  static int counter = 0;
  return "h1-" + std::string(role) + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : mName(name) {
    const char* old = getenv(name);
    mHadOld = old != nullptr;
    if (old) mOld = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (mHadOld)
      setenv(mName.c_str(), mOld.c_str(), 1);
    else
      unsetenv(mName.c_str());
  }

 private:
  std::string mName, mOld;
  bool mHadOld = false;
};

// The test's own ports, each on a client of a new name unless one is given.
struct PeerIn : MidiPeerIn {
  explicit PeerIn(const std::string& client = UniqueClientName("in"))
      : MidiPeerIn(client, "in", true, kApi) {}
};
struct PeerOut : MidiPeerOut {
  explicit PeerOut(const std::string& client = UniqueClientName("out")) : MidiPeerOut(client, "out", kApi) {}
};

// A new JACK connection carries events only once the server's graph has
// taken it in, which takes a while when many clients come and go at once.
// Sends a probe until it arrives, then forgets what arrived.
const Bytes kProbe = {0xB0, 0x7F, 0x01};

bool Handshake(PeerIn& peer, const std::function<void()>& sendProbe) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    sendProbe();
    if (peer.WaitFor(kProbe, nullptr, std::chrono::milliseconds(50))) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));  // late copies of the probe
      peer.Clear();
      return true;
    }
  }
  return false;
}

bool Handshake(TestPlug& plug, PeerOut& peer) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    peer.Send(kProbe);
    if (plug.WaitFor(kProbe, nullptr, std::chrono::milliseconds(50))) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      plug.ClearReceived();
      return true;
    }
  }
  return false;
}

IMidiMsg ProbeMsg() { return IMidiMsg(0, kProbe[0], kProbe[1], kProbe[2]); }

int EntryOf(const std::vector<std::string>& list, const std::string& name) {
  const auto at = std::find(list.begin(), list.end(), name);
  return at == list.end() ? -1 : static_cast<int>(at - list.begin());
}

class MidiPorts : public ::testing::Test {
 protected:
  ScopedEnv api{"VIVIVI_MIDI_API", kApiName};
};

// The choice of back end needs no server: checked where no server is used.
#ifdef MIDI_PORTS_ON_LOOPBACK
TEST_F(MidiPorts, BackEndFollowsTheEnvironment) {
  EXPECT_EQ(GetExternalMIDIApi(), kApi);
  const struct {
    const char* value;
    RtMidi::Api api;
  } kCases[] = {{"alsa", RtMidi::LINUX_ALSA}, {"jack", RtMidi::UNIX_JACK}, {"loopback", kLoopbackMIDIApi}};
  for (const auto& c : kCases) {
    ScopedEnv chosen("VIVIVI_MIDI_API", c.value);
    EXPECT_EQ(GetExternalMIDIApi(), c.api) << c.value;
  }
}
#endif

TEST_F(MidiPorts, WithNoPortsTheListsHoldOnlyOff) {
  ScopedEnv noServer("JACK_DEFAULT_SERVER", ("h1-no-such-server-" + std::to_string(getpid())).c_str());
  ScopedEnv noStart("JACK_NO_START_SERVER", "1");
  TestPlug plug;
  EXPECT_EQ(plug.getExternalMIDIOutNames(), std::vector<std::string>{"OFF"});
  EXPECT_EQ(plug.getExternalMIDIInNames(), std::vector<std::string>{"OFF"});
  for (const char* name : {"OFF", "system:midi_playback_1", ""}) {
    int index = 1;
    EXPECT_EQ(plug.setExternalMIDIOut(index, name), 0) << name;
    EXPECT_EQ(index, 0) << name;
    index = 1;
    EXPECT_EQ(plug.setExternalMIDIIn(index, name), 0) << name;
    EXPECT_EQ(index, 0) << name;
  }
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 0, 0);
  EXPECT_FALSE(plug.SendMidiMsg(&msg));  // dropped: no port
}

// The port logic alone: on the loop-back ports.
#ifdef MIDI_PORTS_ON_LOOPBACK
TEST_F(MidiPorts, ListsAreBuiltOnceWithOffFirst) {
  SKIP_WITHOUT_PORTS();
  PeerIn peer;
  TestPlug plug;
  const std::vector<std::string>& first = plug.getExternalMIDIOutNames();
  const std::vector<std::string> copy = first;
  EXPECT_EQ(&plug.getExternalMIDIOutNames(), &first);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0], "OFF");
  EXPECT_GT(EntryOf(first, peer.PortName()), 0);

  PeerIn later;  // a port that appears after the list was built is not listed...
  EXPECT_EQ(plug.getExternalMIDIOutNames(), copy);
  int index = 1;  // ...and cannot be chosen
  EXPECT_EQ(plug.setExternalMIDIOut(index, later.PortName()), 0);
  EXPECT_EQ(index, 0);
}

// Both lists come from one reading of the ports, made when either is first
// asked for or started ahead of that: each peer is listed in its direction
// only, and a port that appears after the first list was built is in
// neither.
TEST_F(MidiPorts, OneReadingOfThePortsServesBothDirections) {
  SKIP_WITHOUT_PORTS();
  for (const bool ahead : {false, true}) {
    SCOPED_TRACE(ahead ? "read ahead" : "read by the first list");
    PeerIn in;
    PeerOut out;
    TestPlug plug;
    if (ahead) plug.ReadMidiPortsAhead();
    const std::vector<std::string> outputs = plug.getExternalMIDIOutNames();
    PeerOut later;  // before the input list is first asked for
    const std::vector<std::string>& inputs = plug.getExternalMIDIInNames();
    ASSERT_FALSE(inputs.empty());
    EXPECT_EQ(inputs[0], "OFF");
    const struct {
      const char* why;
      std::string port;
      bool inOutputs, inInputs;
    } kCases[] = {
        {"a port that takes messages", in.PortName(), true, false},
        {"a port that sends messages", out.PortName(), false, true},
        {"a port that came after the reading", later.PortName(), false, false},
    };
    for (const auto& c : kCases) {
      EXPECT_EQ(EntryOf(outputs, c.port) > 0, c.inOutputs) << c.why;
      EXPECT_EQ(EntryOf(inputs, c.port) > 0, c.inInputs) << c.why;
    }
    // The input chosen from that list opens and delivers.
    const int entry = EntryOf(inputs, out.PortName());
    int index = 1;
    ASSERT_EQ(plug.setExternalMIDIIn(index, out.PortName()), entry);
    EXPECT_TRUE(Handshake(plug, out));
  }
}
#endif

// JACK's own clients name the ports that the one reading must name alike.
#ifndef MIDI_PORTS_ON_LOOPBACK
// The one reading names and orders the ports as the MIDI library's own
// clients do, so that a name from the lists opens that port. Other tests
// may add ports meanwhile: the readings are repeated until a quiet moment.
TEST_F(MidiPorts, OneReadingNamesThePortsAsTheLibrarysClientsDo) {
  SKIP_WITHOUT_PORTS();
  PeerIn in;
  PeerOut out;
  RtMidiIn libraryIn(RtMidi::UNIX_JACK, UniqueClientName("lib-in"));
  RtMidiOut libraryOut(RtMidi::UNIX_JACK, UniqueClientName("lib-out"));
  MIDIPortLists ours;
  std::vector<std::string> inputs, outputs;
  for (int attempt = 0; attempt < 20; ++attempt) {
    ours = GetMIDIPortLists(RtMidi::UNIX_JACK);
    inputs = GetMIDIPortNames(&libraryIn);
    outputs = GetMIDIPortNames(&libraryOut);
    if (ours.inputs == inputs && ours.outputs == outputs) break;
  }
  EXPECT_EQ(ours.inputs, inputs);
  EXPECT_EQ(ours.outputs, outputs);
  EXPECT_GT(EntryOf(ours.inputs, out.PortName()), -1);
  EXPECT_GT(EntryOf(ours.outputs, in.PortName()), -1);
}
#endif

TEST_F(MidiPorts, WithNoServerAReadingAheadListsOnlyOff) {
  ScopedEnv noServer("JACK_DEFAULT_SERVER", ("h1-no-such-server-" + std::to_string(getpid())).c_str());
  ScopedEnv noStart("JACK_NO_START_SERVER", "1");
  TestPlug plug;
  plug.ReadMidiPortsAhead();
  plug.ReadMidiPortsAhead();  // one reading runs already: nothing more
  EXPECT_EQ(plug.getExternalMIDIInNames(), std::vector<std::string>{"OFF"});
  EXPECT_EQ(plug.getExternalMIDIOutNames(), std::vector<std::string>{"OFF"});
  plug.ReadMidiPortsAhead();  // the lists are built: nothing
  int index = 1;
  EXPECT_EQ(plug.setExternalMIDIOut(index, "system:midi_playback_1"), 0);
  EXPECT_EQ(index, 0);
}

TEST_F(MidiPorts, OutputChosenByNameSendsAndOffClosesIt) {
  SKIP_WITHOUT_PORTS();
  PeerIn peer;
  TestPlug plug;
  const int entry = EntryOf(plug.getExternalMIDIOutNames(), peer.PortName());
  ASSERT_GT(entry, 0);
  EXPECT_EQ(plug.getExternalMIDIOutDevice(peer.PortName()), entry);
  EXPECT_EQ(plug.GetMIDIOutPortNumber("OFF"), 0);
  EXPECT_EQ(plug.GetMIDIOutPortNumber("virtual output"), 1);
  EXPECT_GE(plug.GetMIDIOutPortNumber(peer.PortName()), 1);
  EXPECT_EQ(plug.GetMIDIOutPortNumber("h1-nothing:here"), -1);

  int index = 1;
  ASSERT_EQ(plug.setExternalMIDIOut(index, peer.PortName()), entry);
  EXPECT_EQ(index, entry);
  ASSERT_TRUE(Handshake(peer, [&] {
    IMidiMsg probe = ProbeMsg();
    plug.SendMidiMsg(&probe);
  }));

  IMidiMsg noteOn, program, pressure;
  noteOn.MakeNoteOnMsg(60, 100, 0, 2);
  program.MakeProgramChangeMsg(5.0 / 127.0, 0);
  pressure = IMidiMsg(0, 0xD1, 30, 99);
  EXPECT_TRUE(plug.SendMidiMsg(&noteOn));
  EXPECT_TRUE(plug.SendMidiMsg(&program));
  EXPECT_TRUE(plug.SendMidiMsg(&pressure));
  unsigned char sysex[] = {0xF0, 0x3E, 0x0B, 0x01, 0x02, 0xF7};
  EXPECT_TRUE(plug.SendMidiSysex(sysex, sizeof(sysex)));
  KIT_TypedBuf<IMidiMsg> batch;
  batch.Add(IMidiMsg(0, 0xB0, 7, 100));
  batch.Add(IMidiMsg(0, 0x80, 60, 0));
  EXPECT_TRUE(plug.SendMidiMsgs(&batch));

  std::vector<Bytes> got;
  ASSERT_TRUE(peer.WaitFor({0x80, 60, 0}, &got));
  const std::vector<Bytes> expected = {{0x92, 60, 100}, {0xC0, 5},
                                       {0xD1, 30},      {0xF0, 0x3E, 0x0B, 0x01, 0x02, 0xF7},
                                       {0xB0, 7, 100},  {0x80, 60, 0}};
  EXPECT_EQ(got, expected);

  index = 1;
  EXPECT_EQ(plug.setExternalMIDIOut(index, "OFF"), 0);
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(plug.SendMidiMsg(&noteOn));  // the port is closed
  EXPECT_FALSE(plug.SendMidiMsgs(&batch));
}

// The port logic alone: on the loop-back ports.
#ifdef MIDI_PORTS_ON_LOOPBACK
// Port numbers shift when a port goes away; a choice by name must still
// reach the port of that name, never its former neighbour.
TEST_F(MidiPorts, PortIsFoundByItsNameWhenItIsOpened) {
  SKIP_WITHOUT_PORTS();
  auto gone = std::make_unique<PeerIn>();
  PeerIn kept;
  TestPlug plug;
  const std::vector<std::string> names = plug.getExternalMIDIOutNames();
  const std::string goneName = gone->PortName();
  ASSERT_GT(EntryOf(names, goneName), 0);
  const int entry = EntryOf(names, kept.PortName());
  ASSERT_GT(entry, 0);
  gone.reset();

  int index = 1;
  EXPECT_EQ(plug.setExternalMIDIOut(index, goneName), 0);  // listed, but no longer there
  EXPECT_EQ(index, 0);
  index = 1;
  ASSERT_EQ(plug.setExternalMIDIOut(index, kept.PortName()), entry);
  EXPECT_TRUE(Handshake(kept, [&] {
    IMidiMsg probe = ProbeMsg();
    plug.SendMidiMsg(&probe);
  }));
}
#endif

TEST_F(MidiPorts, InputDeliversShortMessagesAndSysExButNoTiming) {
  SKIP_WITHOUT_PORTS();
  PeerOut peer;
  TestPlug plug;
  const int entry = EntryOf(plug.getExternalMIDIInNames(), peer.PortName());
  ASSERT_GT(entry, 0);
  EXPECT_EQ(plug.getExternalMIDIInDevice(peer.PortName()), entry);
  EXPECT_GE(plug.GetMIDIInPortNumber(peer.PortName()), 1);
  EXPECT_EQ(plug.GetMIDIInPortNumber("virtual input"), 1);
  int index = 1;
  ASSERT_EQ(plug.setExternalMIDIIn(index, peer.PortName()), entry);
  EXPECT_EQ(index, entry);
  ASSERT_TRUE(Handshake(plug, peer));

  const Bytes sysex = {0xF0, 0x3E, 0x0B, 1, 2, 3, 4, 5, 6, 0xF7};
  const Bytes marker = {0x80, 1, 2};
  const std::vector<Bytes> sent = {
      {0x93, 60, 100},     // note on
      {0xF8},              // timing clock: dropped
      {0xC2, 7},           // program change: data 2 arrives as 0
      {0xFE},              // active sensing: dropped
      {0xFA},              // start: both data bytes 0
      {0xF1, 0x21},        // time-code quarter frame: dropped
      {0xF9},              // timing tick: dropped
      sysex,               // ten bytes: SysEx
      {0xF2, 0x10, 0x20},  // song position: three bytes, a short message
      marker,
  };
  for (const Bytes& b : sent) peer.Send(b);

  std::vector<TestPlug::Received> got;
  ASSERT_TRUE(plug.WaitFor(marker, &got));
  const struct {
    Bytes bytes;
    bool isSysEx;
  } expected[] = {
      {{0x93, 60, 100}, false},    {{0xC2, 7, 0}, false}, {{0xFA, 0, 0}, false}, {sysex, true},
      {{0xF2, 0x10, 0x20}, false}, {marker, false},
  };
  ASSERT_EQ(got.size(), sizeof(expected) / sizeof(expected[0]));
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].bytes, expected[i].bytes) << "message " << i;
    EXPECT_EQ(got[i].isSysEx, expected[i].isSysEx) << "message " << i;
    EXPECT_TRUE(got[i].fromDevice);
    EXPECT_EQ(got[i].offset, 0);
  }

  index = 1;
  EXPECT_EQ(plug.setExternalMIDIIn(index, "OFF"), 0);
  EXPECT_EQ(index, 0);
}

#ifdef MIDI_PORTS_ON_LOOPBACK
TEST_F(MidiPorts, VirtualOutputIsOfferedToOtherPrograms) {
  SKIP_WITHOUT_PORTS();
  const std::string name = UniqueClientName("virtual");
  TestPlug plug;
  ASSERT_TRUE(plug.initializeVirtualOutput(name));
  PeerIn peer;
  ASSERT_TRUE(peer.ConnectToOutputEndingWith(":From " + name));
  EXPECT_TRUE(Handshake(peer, [&] {
    IMidiMsg probe = ProbeMsg();
    EXPECT_TRUE(plug.SendMidiMsg(&probe));
  }));
}
#endif

// What only a server shows: its cycles.
#ifndef MIDI_PORTS_ON_LOOPBACK
// More than one cycle of the port carries, sent while the server is held up
// (the messages would pile up and go in one cycle): the output keeps to what
// each cycle carries, and every message arrives, in order.
TEST_F(MidiPorts, ABurstLargerThanOneCycleCarriesArrivesWholeAndInOrder) {
  SKIP_WITHOUT_PORTS();
  PeerIn peer;
  jacktest::CycleStaller staller(UniqueClientName("stall"));
  ASSERT_TRUE(staller.Activate());
  TestPlug plug;
  const int entry = EntryOf(plug.getExternalMIDIOutNames(), peer.PortName());
  ASSERT_GT(entry, 0);
  int index = 1;
  ASSERT_EQ(plug.setExternalMIDIOut(index, peer.PortName()), entry);
  ASSERT_TRUE(Handshake(peer, [&] {
    IMidiMsg probe = ProbeMsg();
    plug.SendMidiMsg(&probe);
  }));
  // 3000 notes and 400 dumps of 76 bytes, twice what one cycle carries,
  // while one cycle lasts a second.
  staller.StallNextCycle(std::chrono::seconds(1));
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
       !staller.Stalling() && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  ASSERT_TRUE(staller.Stalling());
  std::vector<Bytes> sent;
  for (int i = 0; i < 3400; ++i) {
    if (i % 8 == 7) {
      Bytes dump(76, static_cast<uint8_t>(i % 128));
      dump.front() = 0xF0;
      dump.back() = 0xF7;
      ASSERT_TRUE(plug.SendMidiSysex(dump.data(), static_cast<int>(dump.size())));
      sent.push_back(dump);
    } else {
      IMidiMsg note(0, static_cast<uint8_t>(0x90 | (i % 16)), static_cast<uint8_t>(i / 16 % 128),
                    static_cast<uint8_t>(i % 128));
      ASSERT_TRUE(plug.SendMidiMsg(&note));
      sent.push_back({note.mStatus, note.mData1, note.mData2});
    }
  }
  IMidiMsg marker(0, 0x80, 1, 2);  // no other message has these bytes
  ASSERT_TRUE(plug.SendMidiMsg(&marker));
  sent.push_back({0x80, 1, 2});
  std::vector<Bytes> got;
  EXPECT_TRUE(peer.WaitFor(sent.back(), &got, std::chrono::seconds(30)));
  EXPECT_EQ(got.size(), sent.size());
  EXPECT_TRUE(got == sent) << "the burst arrived changed";
}

// A plug-in whose handler waits (for a lock another thread holds, or for a
// host's notification) holds up no cycle of the server: another client on
// the same port gets every message meanwhile, and so does the plug-in, in
// order, once its handler goes on.
TEST_F(MidiPorts, AWaitingPlugInHoldsUpNoCycleOfTheServer) {
  SKIP_WITHOUT_PORTS();
  constexpr uint64_t kCount = 3000;
  const auto note = [](uint64_t i) {
    return std::vector<uint8_t>{0x90, static_cast<uint8_t>(i / 128 % 128), static_cast<uint8_t>(i % 128)};
  };
  jacktest::MidiFlood flood(UniqueClientName("flood"));
  jacktest::MidiCounter counter(UniqueClientName("count"), note);
  ASSERT_TRUE(flood.Activate() && counter.Activate());
  ASSERT_TRUE(counter.ConnectWith(flood.PortName()));
  TestPlug plug;
  const int entry = EntryOf(plug.getExternalMIDIInNames(), flood.PortName());
  ASSERT_GT(entry, 0);
  int index = 1;
  ASSERT_EQ(plug.setExternalMIDIIn(index, flood.PortName()), entry);
  // The connection carries once the server has taken it in.
  bool connected = false;
  for (int attempt = 0; attempt < 200 && !connected; ++attempt) {
    flood.Start(1, 1000, [](uint64_t) { return kProbe; });
    connected = plug.WaitFor(kProbe, nullptr, std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(connected);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  plug.ClearReceived();

  counter.Expect(kCount);
  {
    std::lock_guard<std::mutex> held(plug.handlerGate);  // the handler waits from the first message on
    flood.Start(kCount, 10000, note);
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         counter.Received() < kCount && std::chrono::steady_clock::now() < until;)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(flood.Lost(), 0u);
    EXPECT_EQ(counter.Received(), kCount) << "the other client missed messages while the plug-in waited";
    EXPECT_EQ(counter.OutOfOrder(), 0u);
  }
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
       plug.ReceivedSoFar().size() < kCount && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::vector<TestPlug::Received> got = plug.ReceivedSoFar();
  ASSERT_EQ(got.size(), kCount);
  for (uint64_t i = 0; i < kCount; ++i) ASSERT_EQ(got[i].bytes, note(i)) << "message " << i;
}
#endif

TEST_F(MidiPorts, APortThatWentAwayIsToldByItsName) {
  SKIP_WITHOUT_PORTS();
  auto in = std::make_unique<PeerIn>();
  auto out = std::make_unique<PeerOut>();
  const std::string inName = in->PortName(), outName = out->PortName();
  TestPlug plug;
  plug.getExternalMIDIInNames();
  plug.getExternalMIDIOutNames();
  int index = 1;
  ASSERT_GT(plug.setExternalMIDIOut(index, inName), 0);
  index = 1;
  ASSERT_GT(plug.setExternalMIDIIn(index, outName), 0);
  in.reset();
  EXPECT_EQ(plug.WaitForPortEvent(kMidiOutPortGone), inName);
  out.reset();
  EXPECT_EQ(plug.WaitForPortEvent(kMidiInPortGone), outName);
  EXPECT_EQ(plug.WaitForPortEvent(kMidiServerGone, std::chrono::milliseconds(200)), "(none)");
}

#ifndef MIDI_PORTS_ON_LOOPBACK
// A server of the test's own, stopped and started again under the plug-in.
TEST_F(MidiPorts, AfterTheServerRestartsPortsAreChosenAgainByName) {
  PrivateJackServer server(UniqueClientName("server"));
  const std::string log = "/tmp/" + server.Name() + ".log";
  if (!server.Start(log)) {
    const std::string said = server.Said();
    if (said.find("Too many servers") != std::string::npos)
      GTEST_SKIP() << "no JACK server of the test's own can start here: " << said;
    FAIL() << "no private JACK server came up: " << said;
  }
  ScopedEnv onIt("JACK_DEFAULT_SERVER", server.Name().c_str());
  const std::string inClient = UniqueClientName("in"), outClient = UniqueClientName("out");
  auto in = std::make_unique<PeerIn>(inClient);
  auto out = std::make_unique<PeerOut>(outClient);
  const std::string inName = in->PortName(), outName = out->PortName();
  TestPlug plug;
  const int outEntry = EntryOf(plug.getExternalMIDIOutNames(), inName);
  const int inEntry = EntryOf(plug.getExternalMIDIInNames(), outName);
  ASSERT_GT(outEntry, 0);
  ASSERT_GT(inEntry, 0);
  int index = 1;
  ASSERT_EQ(plug.setExternalMIDIOut(index, inName), outEntry);
  index = 1;
  ASSERT_EQ(plug.setExternalMIDIIn(index, outName), inEntry);

  server.Stop();
  EXPECT_NE(plug.WaitForPortEvent(kMidiServerGone), "(none)");
  EXPECT_EQ(plug.WaitForPortEvent(kMidiOutPortGone), inName);
  EXPECT_EQ(plug.WaitForPortEvent(kMidiInPortGone), outName);
  in.reset();  // clients of the server that went away: closed before a new one opens
  out.reset();

  ASSERT_TRUE(server.Start(log));
  in = std::make_unique<PeerIn>(inClient);
  out = std::make_unique<PeerOut>(outClient);
  index = 1;
  EXPECT_EQ(plug.setExternalMIDIOut(index, inName), outEntry);
  index = 1;
  EXPECT_EQ(plug.setExternalMIDIIn(index, outName), inEntry);
  EXPECT_TRUE(Handshake(*in, [&] {
    IMidiMsg probe = ProbeMsg();
    plug.SendMidiMsg(&probe);
  }));
  EXPECT_TRUE(Handshake(plug, *out));
  in.reset();
  out.reset();
  plug.Close();
  server.Stop();
  std::remove(log.c_str());
  std::remove((log + ".err").c_str());
}
#endif

}  // namespace
