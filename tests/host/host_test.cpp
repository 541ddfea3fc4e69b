// The host program run on the test plug-in's bundle, as a user runs it:
// command line, errors, the selectors and properties it reaches through the
// component layer, rendering, MIDI and saved states.
#include <signal.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/host/host_fixture.h"

namespace {

// ---- Command line and errors -------------------------------------------------------------------

TEST_F(HostTest, HelpPrintsTheUsage) {
  const Result r = Run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_HAS(r.out, "usage: vivivi-host [options] BUNDLE [action ...]");
  EXPECT_HAS(r.out, "save-state FILE");
}

TEST_F(HostTest, BadCommandLinesExplainThemselves) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } kCases[] = {
      {{}, "no plug-in bundle given"},
      {{"--volume", "3", TEST_BUNDLE}, "unknown option --volume"},
      {{"--block"}, "--block needs a value"},
      {{"--block", "0", TEST_BUNDLE}, "--block takes 1 to 65536 frames"},
      {{"--block", "1024", "--max-frames", "512", TEST_BUNDLE}, "--block must not exceed --max-frames"},
      {{"--time-signature", "7/6", TEST_BUNDLE}, "--time-signature takes N/D"},
      {{"--cycle", "8:4", TEST_BUNDLE}, "--cycle takes START:END"},
      {{"--tempo", "fast", TEST_BUNDLE}, "--tempo takes"},
      {{TEST_BUNDLE, "dance"}, "unknown action \"dance\""},
      {{TEST_BUNDLE, "version", "set-param", "1"}, "action set-param needs 2 value(s)"},
  };
  for (const auto& c : kCases) {
    const Result r = Run(c.arguments);
    EXPECT_EQ(r.exitCode, 2) << c.message;
    EXPECT_HAS(r.err, c.message);
    EXPECT_HAS(r.err, "usage:");
    EXPECT_EQ(r.out, "") << c.message;  // nothing was loaded
  }
}

// A host seen ending by a poll, as the MIDI test polls it while it sends,
// must still report how it ended: a failure or a crash never reads as 0.
TEST_F(HostTest, HowTheHostEndedIsKeptWhenAPollSawItEnd) {
  const std::unique_ptr<ChildProcess> refused = Start({"--volume", "3", TEST_BUNDLE});
  ASSERT_TRUE(refused->Started());
  while (refused->Running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(Finish(*refused).exitCode, 2);

  // Killed while it renders (the program this test started, by its id).
  const std::unique_ptr<ChildProcess> killed = Start({m_bundle, "render", "100000"});
  ASSERT_TRUE(killed->Started());
  ASSERT_TRUE(killed->Running());
  kill(killed->Pid(), SIGKILL);
  while (killed->Running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(Finish(*killed).exitCode, 128 + SIGKILL);
}

TEST_F(HostTest, BundlesThatCannotBeLoadedNameTheFault) {
  const struct {
    const char* why;
    std::string bundle;
    const char* message;
  } kCases[] = {
      {"missing folder", m_dir + "/Nowhere.bundle", "no plug-in bundle folder at"},
      {"no Info.plist", MakeBundle("NoInfo", ""), "is missing, unreadable or has no \"Identifier\""},
      {"damaged Info.plist", MakeBundle("Damaged", "<plist><dict><key>Identifier</key>"),
       "is missing, unreadable or has no \"Identifier\""},
      {"missing entry", MakeBundle("NoEntry", Info("Nope_Entry")), "exports no entry \"Nope_Entry\""},
      {"missing shared object", MakeBundle("NoObject", Info("VivivI_Entry"), false), "cannot load"},
      {"executable outside", MakeBundle("Outside", Info("VivivI_Entry", "tstp", "../AUTest.so")),
       "names no shared object"},
      {"bad code", MakeBundle("BadCode", Info("VivivI_Entry", "toolong")), "four characters"},
  };
  for (const auto& c : kCases) {
    const Result r = Run({c.bundle, "version"});
    EXPECT_EQ(r.exitCode, 3) << c.why;
    EXPECT_HAS(r.err, c.message);
  }
}

TEST_F(HostTest, RefusedCallsEndTheRunWithTheirStatus) {
  const struct {
    std::vector<std::string> actions;
    const char* message;
  } kCases[] = {
      {{"get-param", "99"}, "refused reading parameter 99 with status -10878 (invalid parameter)"},
      {{"property", "1000", "output", "0"}, "with status -10879 (invalid property)"},
      {{"property", "4", "global", "4"}, "with status -10877 (invalid element)"},
      {{"can-do", "70000"}, "can-do takes a 16-bit selector"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> arguments = {m_bundle};
    arguments.insert(arguments.end(), c.actions.begin(), c.actions.end());
    arguments.push_back("version");  // never reached
    const Result r = Run(arguments);
    EXPECT_NE(r.exitCode, 0) << c.message;
    EXPECT_HAS(r.err, c.message);
    EXPECT_EQ(r.out.find("version 0x"), std::string::npos) << c.message;
  }
}

// ---- What the host shows through the component layer -------------------------------------------

TEST_F(HostTest, CanDoAndVersionSelectors) {
  const Result r = Run({m_bundle, "version", "can-do", "1", "can-do", "14", "can-do", "18", "can-do", "0x101",
                        "can-do", "-3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "loaded AU Test (aumu tstp HcS1)");
  EXPECT_HAS(r.out, "version 0x00010203\n");
  EXPECT_HAS(r.out, "can-do 1: 1\n");
  EXPECT_HAS(r.out, "can-do 14: 1\n");
  EXPECT_HAS(r.out, "can-do 18: 0\n");
  EXPECT_HAS(r.out, "can-do 257: 0\n");
  EXPECT_HAS(r.out, "can-do -3: 0\n");
}

TEST_F(HostTest, EveryPropertyIsListedWithSizeAndValue) {
  const Result r = Run({m_bundle, "properties"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const char* kLines[] = {
      "property 0 ClassInfo global 0: size 8, writable, status 0: dictionary version=66051 type=aumu "
      "subtype=tstp "
      "manufacturer=HcS1 name=\"Bright\" data=48 bytes",
      "property 2 SampleRate global 0: size 8, writable, status 0: 48000 Hz",
      "property 3 ParameterList global 0: size 16, read-only, status 0: IDs 0 1 2 3",
      "property 4 ParameterInfo global 0: size 104, read-only, status 0: \"Cutoff\" unit 26 min 0 max 100 "
      "default 50",
      "property 5 FastDispatch global 14: size 8, read-only, status 0: a procedure",
      "property 8 StreamFormat output 0: size 40, writable, status 0: 2 channels, 48000 Hz, lpcm, flags 0x29",
      "property 11 ElementCount output 0: size 4, read-only, status 0: 1",
      "property 12 Latency global 0: size 8, read-only, status 0: 0.001333 s",
      "property 13 SupportedNumChannels global 0: size 4, read-only, status 0: 2-2",
      "property 14 MaximumFramesPerSlice global 0: size 4, writable, status 0: 512",
      "property 16 ParameterValueStrings global 1: size 8, read-only, status 0: \"Saw\", \"Square\", "
      "\"Noise\"",
      "property 18 GetUIComponentList global 0: size 20, read-only, status 0: auvw tstp HcS1",
      "property 19 AudioChannelLayout global 0: size 0, read-only, status -10851",
      "property 20 TailTime global 0: size 8",
      "property 21 BypassEffect global 0: size 4, writable, status 0: 0",
      "property 22 LastRenderError global 0: size 4, read-only, status 0: 0",
      "property 23 SetRenderCallback input 0: size 16, writable, status 0",
      "property 24 FactoryPresets global 0: size 8, read-only, status 0: 2 presets: 0 \"Bright\", 1 \"Dark\"",
      "property 27 HostCallbacks global 0: size 32, writable, status 0",
      "property 28 CurrentPreset global 0: size 16, writable, status 0: 0 \"Bright\"",
      "property 30 ElementName output 0: size 8, read-only, status 0: \"output 1\"",
      "property 31 CocoaUI global 0: size 16, read-only, status 0: bundle " TEST_BUNDLE
      " class \"VivivI_View\"",
      "property 32 SupportedChannelLayoutTags output 0: size 0, read-only, status -10879",
      "property 33 ParameterStringFromValue global 0: size 24, read-only, status 0: parameter 0 at 0: "
      "\"0.0\"",
      "property 34 ParameterIDName global 0: size 16, read-only, status 0: parameter 0: \"Cutoff\"",
      "property 35 ParameterClumpName global 0: size 16, read-only, status 0: clump 1: \"Filter\"",
      "property 36 PresentPreset global 0: size 16, writable, status 0: 0 \"Bright\"",
      "property 38 ParameterValueFromString global 0: size 24, read-only, status 0: parameter 0 from \"0\": "
      "0",
      "property 1000 InstrumentCount global 0: size 4, read-only, status 0: 1",
  };
  for (const char* line : kLines) EXPECT_HAS(r.out, line);
}

TEST_F(HostTest, StreamFormatsTheUnitCannotTakeAreRefused) {
  const struct {
    std::vector<std::string> format;
    bool accepted;
  } kCases[] = {
      {{"output", "0", "2", "lpcm", "41"}, true},  {{"output", "0", "0", "lpcm", "41"}, false},
      {{"output", "0", "2", "aac ", "41"}, false}, {{"output", "0", "2", "lpcm", "0"}, false},
      {{"output", "0", "6", "lpcm", "41"}, false}, {{"output", "1", "2", "lpcm", "41"}, false},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> arguments = {m_bundle, "stream-format"};
    arguments.insert(arguments.end(), c.format.begin(), c.format.end());
    const Result r = Run(arguments);
    EXPECT_EQ(r.exitCode, c.accepted ? 0 : 1) << c.format[2] << " " << c.format[3];
    if (c.accepted)
      EXPECT_HAS(r.out, "stream format accepted: 2 channels");
    else
      EXPECT_HAS(r.err, "refused the stream format with status -10879 (invalid property)");
  }
}

TEST_F(HostTest, RendersZeroTheBuffersAndBadRendersAreRefused) {
  Result r = Run({"--fast", "--block", "256", m_bundle, "render", "8", "render-once", "256", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "rendered 8 blocks of 256 frames at 48000 Hz: output silent");
  EXPECT_HAS(r.out, "rendered 256 frames: output silent");
  r = Run({"--block", "256", m_bundle, "render-once", "257", "1"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_HAS(r.err, "refused render with status -10851 (invalid property value)");
  r = Run({"--block", "256", m_bundle, "render-once", "256", "2"});  // host time only, no sample time
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_HAS(r.err, "refused render with status -10851 (invalid property value)");
}

TEST_F(HostTest, RenderingFollowsTheSteadyClockWithTheTransportSettings) {
  const Result r = Run({"--block", "480", "--tempo", "140", "--play", "--cycle", "0:8", "--time-signature",
                        "3/4", m_bundle, "render", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "rendered 4 blocks of 480 frames at 48000 Hz: output silent");
}

TEST_F(HostTest, HostMidiReachesThePlugInsHandlers) {
  const Result r =
      Run({m_bundle, "midi", "90,3C,64", "midi", "C0 05", "midi", "F0,3E,0B,01,F7", "note", "60.7", "100.9"},
          {"AUTEST_ECHO=1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "plug-in midi from host at 0: 90 3C 64\n");
  EXPECT_HAS(r.out, "plug-in midi from host at 0: C0 05 00\n");
  EXPECT_HAS(r.out, "plug-in sysex from host at 0: F0 3E 0B 01 F7\n");
  EXPECT_HAS(r.out, "plug-in midi from host at 0: 90 3C 64\nplug-in midi from host at 0: 80 3C 40\n");
  EXPECT_HAS(r.out, "note 60 started and stopped");
  const Result bad = Run({m_bundle, "midi", "9G,3C"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_HAS(bad.err, "midi takes hex bytes");
}

TEST_F(HostTest, AMissingMidiPortIsNamed) {
  const Result r = Run({"--midi-in", "no such port here", m_bundle, "version"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_HAS(r.err, "no such port here");
}

TEST_F(HostTest, ParametersAreSetAndRead) {
  const Result r =
      Run({m_bundle, "set-param", "0", "12.5", "get-param", "0", "set-param", "3", "20", "get-param", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "parameter 0: 12.5\n");
  EXPECT_HAS(r.out, "parameter 3: 8\n");  // held at the maximum
}

// ---- Saved states --------------------------------------------------------------------------------

TEST_F(HostTest, StateSavedByOneInstanceIsRestoredIntoAnotherByteForByte) {
  const std::string first = m_dir + "/first.plist", second = m_dir + "/second.plist",
                    third = m_dir + "/third.plist";
  Result r = Run({m_bundle, "set-param", "0", "12.5", "set-param", "1", "2", "set-param", "4", "0.75",
                  "save-state", first});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Another run, another instance.
  r = Run({m_bundle, "restore-state", first, "get-param", "0", "get-param", "4", "save-state", second});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "parameter 0: 12.5\n");
  EXPECT_HAS(r.out, "parameter 4: 0.75\n");
  EXPECT_EQ(ReadFile(second), ReadFile(first));
  // Within one run: a new instance after the save.
  r = Run({m_bundle, "restore-state", first, "reopen", "get-param", "0", "restore-state", first, "save-state",
           third});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "reopened a new instance\nparameter 0: 50\n");
  EXPECT_EQ(ReadFile(third), ReadFile(first));
  EXPECT_HAS(ReadFile(first), "<key>data</key>");
}

TEST_F(HostTest, DamagedOrForeignStatesAreRefused) {
  const std::string saved = m_dir + "/saved.plist";
  ASSERT_EQ(Run({m_bundle, "save-state", saved}).exitCode, 0);
  const std::string text = ReadFile(saved);
  const auto replaced = [&text](const std::string& from, const std::string& to) {
    std::string changed = text;
    const size_t at = changed.find(from);
    if (at != std::string::npos) changed.replace(at, from.size(), to);
    return changed;
  };
  const std::string data =
      text.substr(text.find("<data>") + 6, text.find("</data>") - text.find("<data>") - 6);
  const struct {
    const char* why;
    std::string file;
    const char* message;
  } kCases[] = {
      {"not a property list", "hello", "is not a saved state: not XML"},
      {"bad Base64", replaced("<data>", "<data>*"), "data is not Base64"},
      {"foreign subtype", replaced("<integer>1953723504</integer>", "<integer>1</integer>"),
       "status -10851 (invalid property value)"},
      {"truncated chunk", replaced(data, data.substr(0, 8)), "status -10851 (invalid property value)"},
  };
  for (const auto& c : kCases) {
    WriteFile(m_dir + "/bad.plist", c.file);
    const Result r = Run({m_bundle, "restore-state", m_dir + "/bad.plist"});
    EXPECT_EQ(r.exitCode, 1) << c.why;
    EXPECT_HAS(r.err, c.message);
  }
  const Result missing = Run({m_bundle, "restore-state", m_dir + "/none.plist"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_HAS(missing.err, "cannot read");
  const Result unwritable = Run({m_bundle, "save-state", m_dir + "/no/such/folder/state.plist"});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_HAS(unwritable.err, "cannot write");
}

}  // namespace
