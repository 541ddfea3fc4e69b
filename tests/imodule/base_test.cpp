// The plug-in base: two-phase construction, identity, the lock, channel
// layouts and connections, buffers and processing, the attached GUI.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "TestPlug.h"
#include "tests/support/hostless_plug.h"

namespace {

class FrameOnly : public HostlessPlug<IModuleBase> {
 public:
  FrameOnly()
      : HostlessPlug<IModuleBase>(72, "2-2", 0, "VivivI Editor", "", "Harrow Creek Sound", 0x10105,
                                  0x6B7A726E, 0x48635331, 128, true, true, true, kAPIAU) {}
};

TEST(PlugConstruction, TwoPhasesWithTheEditorsCounts) {
  FrameOnly plug;
  EXPECT_EQ(plug.NParams(), 0);  // the constructor creates nothing
  EXPECT_EQ(plug.NPresets(), 0);
  EXPECT_EQ(plug.NInChannels(), 0);
  EXPECT_STREQ(plug.GetEffectName(), "");
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetLatency(), 128);

  plug.initialize(0, 198, "2-2", 0, "VivivI Editor", "", "Harrow Creek Sound", 0x10105, 0x6B7A726E,
                  0x48635331, 128, true, true, true);
  plug.addNonAutomateParamCount(198);
  EXPECT_EQ(plug.NParams(), 198);
  EXPECT_EQ(plug.NNonAutomatedParams(), 198);
  EXPECT_EQ(plug.NAutomatedParams(), 0);
  EXPECT_EQ(plug.GetParam(197)->Type(), IParam::kTypeNone);
  EXPECT_EQ(plug.GetParam(198), nullptr);
  EXPECT_EQ(plug.GetParam(-1), nullptr);
  EXPECT_STREQ(plug.GetEffectName(), "VivivI Editor");
  EXPECT_STREQ(plug.GetMfrName(), "Harrow Creek Sound");

  ASSERT_EQ(plug.NChannelIO(), 1);
  EXPECT_EQ(plug.GetChannelIO(0)->mIn, 2);
  EXPECT_EQ(plug.GetChannelIO(0)->mOut, 2);
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(plug.IsInChannelConnected(i));
    EXPECT_FALSE(plug.IsOutChannelConnected(i));
  }
}

TEST(PlugIdentity, VersionsApiArchitectureAndHost) {
  FrameOnly plug;
  char text[kVersionStrSize];
  EXPECT_EQ(plug.GetEffectVersion(false), 0x10105);
  EXPECT_EQ(plug.GetEffectVersion(true), 10105);
  EXPECT_STREQ(plug.GetEffectVersionStr(text), "v1.1.5");
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_STREQ(plug.GetArchString(), "x86");

  plug.SetHost("Logic Pro X", 0x0A0402);
  EXPECT_EQ(plug.GetHost(), kHostLogic);
  EXPECT_EQ(plug.GetHostVersion(false), 0x0A0402);
  EXPECT_EQ(plug.GetHostVersion(true), 100402);
  EXPECT_STREQ(plug.GetHostVersionStr(text), "v10.4.2");
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 22050.0);
}

TEST(PlugIdentity, SamplesPerBeatNeedsATempo) {
  TestPlug plug;
  plug.SetSampleRate(48000.0);
  plug.tempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
  plug.tempo = 90.0;
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 32000.0);
}

TEST(PlugLock, HandlersRunUnderTheLockWhichReenters) {
  TestPlug plug;
  // The handler runs inside SetParameterFromGUI's hold and calls another
  // lock-taking operation on the same thread: it must not deadlock.
  ByteChunk chunk;
  plug.onChange = [&](int index) {
    if (index == TestPlug::kGain) {
      EXPECT_TRUE(plug.SerializeParams(&chunk));
      plug.SetParameterFromGUI(TestPlug::kMode, 1.0);
    }
  };
  plug.SetParameterFromGUI(TestPlug::kGain, 0.5);
  EXPECT_EQ(plug.lockDepthInHandler, 1);  // the inner change, one level down
  EXPECT_EQ(chunk.Size(), 24);
  EXPECT_EQ(plug.changed, (std::vector<int>{TestPlug::kGain, TestPlug::kMode}));
  EXPECT_EQ(plug.GetMutex()->GetDepth(), -1);  // released on the way out

  // Another thread waits for the hold to end: its handler never runs while
  // this thread holds the lock, and runs once it is released. The handler
  // signals that it ran; the first wait only gives the other thread time to
  // reach the lock, so a lock that does not hold shows as a handler that ran.
  std::mutex signalLock;
  std::condition_variable signal;
  bool handled = false;
  std::atomic<bool> held{true}, ranWhileHeld{false};
  plug.onChange = [&](int) {
    if (held.load()) ranWhileHeld = true;
    std::lock_guard<std::mutex> hold(signalLock);
    handled = true;
    signal.notify_all();
  };
  plug.GetMutex()->Enter();
  std::thread other([&] { plug.SetParameterFromGUI(TestPlug::kGain, 0.1); });
  {
    std::unique_lock<std::mutex> wait(signalLock);
    EXPECT_FALSE(signal.wait_for(wait, std::chrono::milliseconds(50), [&] { return handled; }))
        << "the handler ran while the lock was held";
  }
  held = false;
  plug.GetMutex()->Leave();
  {
    std::unique_lock<std::mutex> wait(signalLock);
    EXPECT_TRUE(signal.wait_for(wait, std::chrono::seconds(30), [&] { return handled; }));
  }
  other.join();
  EXPECT_FALSE(ranWhileHeld.load());
}

TEST(PlugChannels, LegalIOMatchesTheLayoutList) {
  TestPlug::Options options;
  options.channelIO = "1-1 2-2";
  TestPlug plug(options);
  EXPECT_EQ(plug.NChannelIO(), 2);
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  const struct {
    int in, out;
    bool legal;
  } cases[] = {
      {1, 1, true},  {2, 2, true},   {1, 2, false},  {-1, 2, true}, {-1, -1, true},
      {2, -1, true}, {3, -1, false}, {-1, 3, false}, {0, 0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(plug.LegalIO(c.in, c.out), c.legal) << c.in << "-" << c.out;

  options.channelIO = nullptr;  // no layout: nothing is legal
  TestPlug none(options);
  EXPECT_EQ(none.NChannelIO(), 0);
  EXPECT_FALSE(none.LegalIO(-1, -1));

  options.channelIO = "2-2 x-y 0-4";  // a pair that does not parse counts as 0-0
  TestPlug odd(options);
  ASSERT_EQ(odd.NChannelIO(), 3);
  EXPECT_TRUE(odd.LegalIO(0, 0));
  EXPECT_EQ(odd.NOutChannels(), 4);
}

TEST(PlugChannels, ConnectionsClipToTheChannelsAndDisconnectedSlotsReadScratch) {
  TestPlug plug;
  plug.SetInputChannelConnections(1, 5, true);
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  plug.SetOutputChannelConnections(-3, 4, true);  // only index 0 lies in range
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));

  TestPlug::Options options;
  options.channelIO = "4-4";
  TestPlug quad(options);
  quad.SetInputChannelConnections(0, 4, true);
  quad.LimitToStereoIO();
  EXPECT_TRUE(quad.IsInChannelConnected(1));
  EXPECT_FALSE(quad.IsInChannelConnected(2));
  EXPECT_FALSE(quad.IsOutChannelConnected(1));
  EXPECT_TRUE(quad.IsOutChannelConnected(3));
}

// One block through the float path: host buffers in, the default processing
// (input to output), converted back into the host's output buffers.
class PlugBuffers : public ::testing::Test {
 protected:
  static constexpr int kBlock = 8;
  void SetUp() override {
    plug.SetBlockSize(kBlock);
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    for (int s = 0; s < kBlock; ++s) {
      in0[s] = static_cast<float>(s);
      in1[s] = static_cast<float>(-s);
    }
  }
  void Attach() {
    float* ins[2] = {in0, in1};
    float* outs[2] = {out0, out1};
    plug.AttachInputBuffers(0, 2, ins, kBlock);
    plug.AttachOutputBuffers(0, 2, outs);
  }
  TestPlug plug;
  float in0[kBlock], in1[kBlock];
  float out0[kBlock] = {}, out1[kBlock] = {};
};

TEST_F(PlugBuffers, ProcessCopiesInputsToOutputs) {
  Attach();
  plug.ProcessBuffers(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(out0[s], in0[s]);
    EXPECT_EQ(out1[s], in1[s]);
  }
  plug.ProcessBuffersAccumulating(0.0f, kBlock);
  EXPECT_EQ(out0[3], 6.0f);
  plug.PassThroughBuffers(0.0f, kBlock);
  EXPECT_EQ(out0[3], 3.0f);
}

TEST_F(PlugBuffers, FramesBeyondTheBlockAreNotProcessed) {
  // More frames than the scratch buffers hold would run past them.
  Attach();
  plug.ProcessBuffers(0.0f, 1000);
  EXPECT_EQ(out0[kBlock - 1], in0[kBlock - 1]);
}

TEST_F(PlugBuffers, DisconnectedInputReadsSilenceThatFollowsTheBlockSize) {
  plug.SetInputChannelConnections(1, 1, false);
  plug.SetBlockSize(2 * kBlock);  // the scratch buffer moves; the slot follows it
  Attach();
  plug.ProcessBuffers(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(out0[s], in0[s]);
    EXPECT_EQ(out1[s], 0.0f);
  }
}

TEST_F(PlugBuffers, BlockSizeOnlyZeroesWhenItChanges) {
  double* scratch = plug.InputScratch(0);
  ASSERT_NE(scratch, nullptr);
  scratch[3] = 7.0;
  plug.SetBlockSize(kBlock);  // the same size: untouched
  EXPECT_EQ(plug.InputScratch(0)[3], 7.0);
  plug.SetBlockSize(kBlock / 2);  // a new size: zeroed
  EXPECT_EQ(plug.InputScratch(0)[3], 0.0);
}

TEST(PlugProcessing, SinglePrecisionPassThroughStaysWithinTheChannels) {
  TestPlug::Options options;
  options.channelIO = "2-1";  // more inputs than outputs
  TestPlug narrow(options);
  float a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8}, o[4] = {};
  float* ins[2] = {a, b};
  float* outs[1] = {o};
  narrow.ProcessSingleReplacing(ins, outs, 4);
  EXPECT_EQ(o[3], 4.0f);

  options.channelIO = "1-2";  // more outputs: the rest is zeroed
  TestPlug wide(options);
  float o0[4] = {9, 9, 9, 9}, o1[4] = {9, 9, 9, 9};
  float* outs2[2] = {o0, o1};
  wide.ProcessSingleReplacing(ins, outs2, 4);
  EXPECT_EQ(o0[2], 3.0f);
  EXPECT_EQ(o1[2], 0.0f);
}

TEST(PlugGraphics, AttachPushesEveryParameterBeforeDrawingIsPrepared) {
  TestPlug::Options options;
  options.nExtra = 2;
  TestPlug plug(options);
  plug.AttachGraphics(nullptr);
  EXPECT_EQ(plug.GetGUI(), nullptr);

  plug.GetParam(TestPlug::kGain)->Set(5.0);
  bool deleted = false;
  TestGraphics* gui = new TestGraphics(&plug, &deleted);
  plug.AttachGraphics(gui);
  ASSERT_EQ(plug.GetGUI(), gui);
  ASSERT_EQ(gui->calls.size(), 6u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(gui->calls[i].what, "set");
    EXPECT_EQ(gui->calls[i].index, i);
    EXPECT_TRUE(gui->calls[i].normalized);
  }
  EXPECT_DOUBLE_EQ(gui->calls[0].value, 0.5);
  EXPECT_EQ(gui->calls[5].what, "prep");

  plug.AttachGraphics(new TestGraphics(&plug));  // the plug-in owns its GUI: the first goes
  EXPECT_TRUE(deleted);
}

TEST(PlugGraphics, DestructorDeletesTheGui) {
  bool deleted = false;
  {
    TestPlug plug;
    plug.AttachGraphics(new TestGraphics(&plug, &deleted));
  }
  EXPECT_TRUE(deleted);
}

TEST(PlugLabels, ChannelAndBusLabels) {
  TestPlug plug;
  plug.SetInputBusLabel(2, "no");
  plug.SetInputBusLabel(-1, "no");
  EXPECT_EQ(plug.NInputBusLabels(), 0);
  plug.SetInputBusLabel(1, "aux input");  // an empty list takes it at position 0
  ASSERT_EQ(plug.NInputBusLabels(), 1);
  EXPECT_STREQ(plug.GetInputBusLabel(0), "aux input");
  plug.SetInputBusLabel(0, "input");  // replaces position 0
  EXPECT_STREQ(plug.GetInputBusLabel(0), "input");
  EXPECT_EQ(plug.NInputBusLabels(), 1);
  plug.SetInputBusLabel(1, "aux input");
  EXPECT_STREQ(plug.GetInputBusLabel(1), "aux input");
  EXPECT_EQ(plug.GetInputBusLabel(2), nullptr);

  plug.SetOutputBusLabel(5, "output 1");
  plug.SetOutputBusLabel(5, "output 2");
  EXPECT_EQ(plug.NOutputBusLabels(), 2);
  EXPECT_STREQ(plug.GetOutputBusLabel(1), "output 2");
  plug.SetOutputBusLabel(-1, "no");
  EXPECT_EQ(plug.NOutputBusLabels(), 2);

  plug.SetInputLabel(5, "ignored");
  plug.SetOutputLabel(-1, "ignored");  // outside the channels: nothing happens
}

TEST(PlugHooks, DefaultsOfTheBase) {
  FrameOnly plug;
  char name[8] = "x";
  EXPECT_FALSE(plug.MidiNoteName(60, name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(plug.HostRequestingAboutBox());
  EXPECT_FALSE(plug.IsRenderingOffline());
  EXPECT_FALSE(plug.SendMidiSysex(nullptr, 0));
  EXPECT_FALSE(plug.SendSysEx(nullptr));
  plug.SetLatency(64);
  EXPECT_EQ(plug.GetLatency(), 64);
  plug.Reset();
  plug.OnActivate(true);
  EXPECT_EQ(plug.GetMutex()->GetDepth(), -1);
}

}  // namespace
