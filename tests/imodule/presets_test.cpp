// Presets, the preset list chunk, and program and bank files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TestPlug.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<double> Values(IModuleBase& plug) {
  std::vector<double> v;
  for (int i = 0; i < plug.NParams(); ++i) v.push_back(plug.GetParam(i)->Value());
  return v;
}

std::vector<std::string> Names(IModuleBase& plug) {
  std::vector<std::string> v;
  for (int i = 0; i < plug.NPresets(); ++i) v.push_back(plug.GetPresetName(i));
  return v;
}

TEST(Presets, EmptyListHasNothingToDo) {
  TestPlug plug(TestPlug::Options{true, 0, true, 0, "2-2"});
  plug.MakeDefaultPreset("-", 64);
  EXPECT_EQ(plug.NPresets(), 0);
  EXPECT_STREQ(plug.GetPresetName(0), "");
  EXPECT_FALSE(plug.RestorePreset(0));
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializePresets(&chunk));
  EXPECT_EQ(chunk.Size(), 0);
}

TEST(Presets, FilledPresetsRestoreTheirValues) {
  TestPlug plug;
  EXPECT_EQ(Names(plug), (std::vector<std::string>{"Init", "Bright", "Dark"}));
  plug.GetParam(TestPlug::kSwitch)->Set(1.0);
  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(Values(plug), (std::vector<double>{7.5, 2, 1}));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.presetsChanged, 1);
  ASSERT_TRUE(plug.RestorePreset("Dark"));  // named parameters; the switch kept its value then
  EXPECT_EQ(Values(plug), (std::vector<double>{2.5, 3, 0}));
  EXPECT_FALSE(plug.RestorePreset("dark"));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(3));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
}

TEST(Presets, UninitialisedPresetBecomesANumberedUserPreset) {
  TestPlug plug(TestPlug::Options{false, 3, false, 0, "2-2"});
  plug.MakePresetFromNamedParams("my user preset", 0);
  plug.MakePresetFromNamedParams("user preset 7", 0);
  plug.GetParam(TestPlug::kGain)->Set(4.0);
  ASSERT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 3");
  plug.GetParam(TestPlug::kGain)->Set(0.0);
  ASSERT_TRUE(plug.RestorePreset(2));  // it holds the state it was given
  EXPECT_EQ(plug.GetParam(TestPlug::kGain)->Value(), 4.0);
}

TEST(Presets, PruneKeepsInitialisedInOrderAndModifyRewritesTheCurrent) {
  TestPlug plug(TestPlug::Options{false, 4, false, 0, "2-2"});
  plug.MakePreset("A", 1.0, 1, false);
  plug.MakePreset("B", 2.0, 2, true);
  plug.PruneUninitializedPresets();
  EXPECT_EQ(Names(plug), (std::vector<std::string>{"A", "B"}));
  ASSERT_TRUE(plug.RestorePreset(1));
  plug.GetParam(TestPlug::kGain)->Set(9.0);
  plug.ModifyCurrentPreset("B2");
  plug.ModifyCurrentPreset("");  // keeps the name
  plug.RestorePreset(0);
  plug.RestorePreset("B2");
  EXPECT_EQ(plug.GetParam(TestPlug::kGain)->Value(), 9.0);
}

TEST(Presets, BlobDecodesToExactlyTheSizeGiven) {
  TestPlug plug(TestPlug::Options{false, 3, false, 0, "2-2"});
  plug.MakePresetFromBlob("long", "AQID", 5);  // 01 02 03, then zeros
  plug.MakePresetFromBlob("short", "AQID", 2);
  plug.MakePresetFromBlob("padded", "AQI=", 4);
  ByteChunk list;
  ASSERT_TRUE(plug.SerializePresets(&list));
  // Each record: length, name, flag, snapshot.
  const std::vector<uint8_t> bytes(list.GetData(), list.GetData() + list.Size());
  const std::vector<uint8_t> expected = {
      4,   0,   0, 0, 'l', 'o', 'n', 'g', 1, 1,   2,   3,   0,   0,   5,   0, 0, 0, 's', 'h', 'o',
      'r', 't', 1, 1, 2,   6,   0,   0,   0, 'p', 'a', 'd', 'd', 'e', 'd', 1, 1, 2, 0,   0,
  };
  EXPECT_EQ(bytes, expected);
}

TEST(Presets, DumpsWriteCodeThatRebuildsThePreset) {
  TestPlug plug;
  plug.RestorePreset(1);
  char path[] = "/tmp/h1-dumpXXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const char* names[] = {"kGain", "kMode", "kSwitch"};
  plug.DumpPresetSrcCode(path, names);
  std::ifstream source(path);
  const std::string code((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
  EXPECT_EQ(
      code,
      "  MakePresetFromNamedParams(\"name\", 3,\n    kGain, 7.500000,\n    kMode, 2,\n    kSwitch, true);\n");

  plug.DumpPresetBlob(path);
  std::ifstream blobFile(path);
  const std::string blob((std::istreambuf_iterator<char>(blobFile)), std::istreambuf_iterator<char>());
  unlink(path);
  // The text between the quotes round-trips through MakePresetFromBlob.
  const size_t start = blob.find("\", \"") + 4, end = blob.find('"', start);
  ASSERT_EQ(blob.substr(0, 28), "MakePresetFromBlob(\"name\", \"");
  TestPlug other(TestPlug::Options{true, 1, false, 0, "2-2"});
  other.MakePresetFromBlob("copy", blob.substr(start, end - start).c_str(), std::stoi(blob.substr(end + 3)));
  ASSERT_TRUE(other.RestorePreset(0));
  EXPECT_EQ(Values(other), (std::vector<double>{7.5, 2, 1}));
}

TEST(PresetChunks, ListRoundTripsThroughAChunk) {
  TestPlug source;
  source.stateText = "from source";
  source.ModifyCurrentPreset("Renamed");
  ByteChunk chunk;
  ASSERT_TRUE(source.SerializePresets(&chunk));

  TestPlug target(TestPlug::Options{true, 3, false, 0, "2-2"});
  EXPECT_EQ(target.UnserializePresets(&chunk, 0), chunk.Size());
  EXPECT_EQ(Names(target), (std::vector<std::string>{"Renamed", "Bright", "Dark"}));
  EXPECT_EQ(Values(target), (std::vector<double>{1.0, 0, 0}));  // the current preset is restored
  EXPECT_EQ(target.stateText, "from source");
}

TEST(PresetChunks, EmptyNamesAndShortChunks) {
  TestPlug plug(TestPlug::Options{true, 2, false, 0, "2-2"});
  plug.RestorePreset(1);  // the preset restored at the end of the read
  ByteChunk chunk;
  chunk.PutStr("");
  chunk.PutBool(false);
  chunk.PutStr("second");
  chunk.PutBool(true);
  plug.SerializeState(&chunk);
  EXPECT_EQ(plug.UnserializePresets(&chunk, 0), chunk.Size());
  EXPECT_EQ(Names(plug), (std::vector<std::string>{"", "second"}));

  ByteChunk cut;  // the second record's name runs past the end: it takes the first's
  cut.PutStr("first");
  cut.PutBool(true);
  plug.SerializeState(&cut);
  cut.PutInt32(50);
  cut.PutBytes("sec", 3);
  TestPlug other(TestPlug::Options{true, 2, false, 0, "2-2"});
  EXPECT_EQ(other.UnserializePresets(&cut, 0), -1);
  EXPECT_EQ(Names(other), (std::vector<std::string>{"first", "first"}));
}

TEST(PresetChunks, VersionHeader) {
  ByteChunk chunk;
  chunk.PutInt32(5);
  IModuleBase::InitChunkWithIModuleVer(&chunk);
  ASSERT_EQ(chunk.Size(), 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.GetData()), 4), "tffp");
  EXPECT_EQ(std::vector<uint8_t>(chunk.GetData() + 4, chunk.GetData() + 8),
            (std::vector<uint8_t>{0, 0, 1, 0}));
  int pos = 0;
  EXPECT_EQ(IModuleBase::GetIModuleVerFromChunk(&chunk, pos), 0x10000);
  EXPECT_EQ(pos, 8);

  ByteChunk other;
  other.PutInt32(1234);
  pos = 0;
  EXPECT_EQ(IModuleBase::GetIModuleVerFromChunk(&other, pos), 0);
  EXPECT_EQ(pos, 0);

  ByteChunk cut;
  cut.PutBytes(chunk.GetData(), 6);
  pos = 0;
  EXPECT_EQ(IModuleBase::GetIModuleVerFromChunk(&cut, pos), 0);
  EXPECT_EQ(pos, -1);
}

// ---- Program and bank files -----------------------------------------------------------

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
         static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

// A plug-in with a GUI that answers the file prompt with a path in a fresh
// folder of its own.
class PresetFiles : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_temp.Made());
    folder = m_temp.Name();
  }
  std::unique_ptr<TestPlug> MakePlug(bool presets) {
    auto plug = std::make_unique<TestPlug>(TestPlug::Options{GetParam(), 3, presets, 0, "2-2"});
    gui = new TestGraphics(plug.get());
    plug->AttachGraphics(gui);
    return plug;
  }
  bool Save(TestPlug& plug, const std::string& name, bool bank) {
    static_cast<TestGraphics*>(plug.GetGUI())->answer = name.empty() ? "" : folder + "/" + name;
    return bank ? plug.SaveBankAsFXB("default") : plug.SaveProgramAsFXP("default");
  }
  bool Load(TestPlug& plug, const std::string& name, bool bank) {
    static_cast<TestGraphics*>(plug.GetGUI())->answer = name.empty() ? "" : folder + "/" + name;
    return bank ? plug.LoadBankFromFXB() : plug.LoadProgramFromFXP();
  }
  TempFolder m_temp{"h1-presets"};
  std::string folder;
  TestGraphics* gui = nullptr;
};

TEST_P(PresetFiles, ProgramRoundTripsByteForByte) {
  auto source = MakePlug(true);
  source->RestorePreset(1);
  source->stateText = "bright state";
  ASSERT_TRUE(Save(*source, "a.fxp", false));
  EXPECT_EQ(gui->prompts.back(), "save fxp default");
  const std::vector<uint8_t> a = ReadFile(folder + "/a.fxp");

  ASSERT_GE(a.size(), 56u);
  EXPECT_EQ(std::string(a.begin(), a.begin() + 4), "CcnK");
  EXPECT_EQ(std::string(a.begin() + 8, a.begin() + 12), GetParam() ? "FPCh" : "FxCk");
  EXPECT_EQ(U32(a, 12), 1u);
  EXPECT_EQ(U32(a, 16), static_cast<uint32_t>(TestPlug::kUniqueID));
  EXPECT_EQ(U32(a, 20), 10105u);
  EXPECT_EQ(U32(a, 24), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&a[28])), "Bright");
  if (GetParam()) {
    EXPECT_EQ(U32(a, 4), U32(a, 56) + 60);
    EXPECT_EQ(a.size(), 60 + U32(a, 56));
    EXPECT_EQ(std::string(a.begin() + 60, a.begin() + 64), "tffp");
  } else {
    EXPECT_EQ(a.size(), 56u + 3 * 4);
    EXPECT_EQ(U32(a, 56), 0x3F400000u);  // 7.5 of 0..10 is 0.75
  }

  auto target = MakePlug(true);
  ASSERT_TRUE(Load(*target, "a.fxp", false));
  EXPECT_EQ(gui->prompts.back(), "open fxp ");
  EXPECT_EQ(Values(*target), (std::vector<double>{7.5, 2, 1}));
  EXPECT_STREQ(target->GetPresetName(0), "Bright");  // the current preset takes it
  EXPECT_EQ(target->programChanges, 1);
  if (GetParam()) {
    EXPECT_EQ(target->stateText, "bright state");
  }
  ASSERT_TRUE(Save(*target, "b.fxp", false));
  EXPECT_EQ(ReadFile(folder + "/b.fxp"), a);
}

TEST_P(PresetFiles, BankRoundTripsByteForByte) {
  // A bank in the state form carries the current program but does not
  // restore it (the list's own current preset is restored); in the
  // parameter form it is restored.
  const bool stateForm = GetParam();
  auto source = MakePlug(true);
  source->RestorePreset(stateForm ? 0 : 2);
  ASSERT_TRUE(Save(*source, "a.fxb", true));
  const std::vector<uint8_t> a = ReadFile(folder + "/a.fxb");
  ASSERT_GE(a.size(), 156u);
  EXPECT_EQ(std::string(a.begin() + 8, a.begin() + 12), GetParam() ? "FBCh" : "FxBk");
  EXPECT_EQ(U32(a, 12), 2u);
  EXPECT_EQ(U32(a, 24), 3u);                   // programs
  EXPECT_EQ(U32(a, 28), stateForm ? 0u : 2u);  // current program
  EXPECT_EQ(std::vector<uint8_t>(a.begin() + 32, a.begin() + 156), std::vector<uint8_t>(124, 0));
  if (!GetParam()) {
    EXPECT_EQ(a.size(), 156u + 3 * (56 + 12));
  }

  auto target = MakePlug(false);
  ASSERT_TRUE(Load(*target, "a.fxb", true));
  EXPECT_EQ(Names(*target), (std::vector<std::string>{"Init", "Bright", "Dark"}));
  EXPECT_EQ(Values(*target), stateForm ? (std::vector<double>{1.0, 0, 0}) : (std::vector<double>{2.5, 3, 0}));
  EXPECT_EQ(target->GetCurrentPresetIdx(), stateForm ? 0 : 2);
  ASSERT_TRUE(Save(*target, "b.fxb", true));
  EXPECT_EQ(ReadFile(folder + "/b.fxb"), a);
}

TEST_P(PresetFiles, LongProgramNamesAreCutToTheField) {
  auto plug = MakePlug(true);
  plug->ModifyCurrentPreset("A program name far longer than its field");
  ASSERT_TRUE(Save(*plug, "a.fxp", false));
  const std::vector<uint8_t> a = ReadFile(folder + "/a.fxp");
  EXPECT_EQ(std::string(a.begin() + 28, a.begin() + 56), std::string("A program name far longer t") + '\0');
}

TEST_P(PresetFiles, ShortDamagedAndForeignFilesAreRefusedUntouched) {
  auto source = MakePlug(true);
  source->RestorePreset(1);
  ASSERT_TRUE(Save(*source, "a.fxp", false));
  ASSERT_TRUE(Save(*source, "a.fxb", true));
  const std::vector<uint8_t> program = ReadFile(folder + "/a.fxp");
  const std::vector<uint8_t> bank = ReadFile(folder + "/a.fxb");

  struct Damage {
    const char* why;
    bool bank;
    std::vector<uint8_t> bytes;
  };
  std::vector<Damage> cases = {
      {"empty program", false, {}},
      {"program cut in its header", false, {program.begin(), program.begin() + 40}},
      {"program cut before its values", false, {program.begin(), program.end() - 1}},
      {"empty bank", true, {}},
      {"bank cut in its header", true, {bank.begin(), bank.begin() + 100}},
      {"bank cut in its data", true, {bank.begin(), bank.end() - 1}},
  };
  auto with = [](std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes[at] = value;
    return bytes;
  };
  cases.push_back({"program of another plug-in", false, with(program, 19, 0)});
  cases.push_back({"program with another parameter count", false, with(program, 27, 4)});
  cases.push_back({"program with a wrong magic", false, with(program, 0, 'X')});
  cases.push_back({"program of an unknown form", false, with(program, 8, 'X')});
  cases.push_back({"program with a wrong format version", false, with(program, 15, 2)});
  cases.push_back({"bank of another plug-in", true, with(bank, 19, 0)});
  cases.push_back({"bank of an unknown form", true, with(bank, 8, 'X')});
  if (GetParam()) {
    cases.push_back({"program whose state size passes the end", false, with(program, 58, 0x7F)});
    cases.push_back({"program whose state is damaged", false, with(program, 68, 0)});
    cases.push_back({"bank whose size passes the end", true, with(bank, 158, 0x7F)});
    // header 160 + version 8 + name length 4 + "Init" 4 + flag 1: the first state's tag
    cases.push_back({"bank whose first preset is damaged", true, with(bank, 177, 0)});
  } else {
    cases.push_back({"bank claiming more programs than it holds", true, with(bank, 27, 4)});
    cases.push_back({"bank with a damaged second block", true, with(bank, 156 + 68 + 8, 'X')});
  }

  for (const Damage& d : cases) {
    auto target = MakePlug(true);
    target->GetParam(TestPlug::kGain)->Set(3.0);
    const std::vector<double> before = Values(*target);
    WriteFile(folder + "/bad", d.bytes);
    EXPECT_FALSE(Load(*target, "bad", d.bank)) << d.why;
    EXPECT_EQ(Values(*target), before) << d.why;
    EXPECT_EQ(Names(*target), (std::vector<std::string>{"Init", "Bright", "Dark"})) << d.why;
    target->RestorePreset(1);
    EXPECT_EQ(Values(*target), (std::vector<double>{7.5, 2, 1})) << d.why;  // presets intact
  }
}

TEST_P(PresetFiles, NoGuiNoAnswerOrNoFileGiveFalse) {
  TestPlug bare(TestPlug::Options{GetParam(), 3, true, 0, "2-2"});
  EXPECT_FALSE(bare.SaveProgramAsFXP("x"));
  EXPECT_FALSE(bare.LoadBankFromFXB());

  auto plug = MakePlug(true);
  EXPECT_FALSE(Save(*plug, "", false));  // the user cancelled
  EXPECT_FALSE(Load(*plug, "missing.fxp", false));
}

TEST_P(PresetFiles, FailedWriteReportsFailureAndKeepsTheOldFile) {
  auto plug = MakePlug(true);
  EXPECT_FALSE(Save(*plug, "no-such-folder/a.fxp", false));
  // A folder in the way of the file: nothing is written, nothing left behind.
  const std::string blocked = folder + "/bad";
  ASSERT_EQ(mkdir(blocked.c_str(), 0700), 0);
  EXPECT_FALSE(Save(*plug, "bad", true));
  rmdir(blocked.c_str());
  ASSERT_TRUE(Save(*plug, "a.fxb", true));
  const std::vector<uint8_t> saved = ReadFile(folder + "/a.fxb");
  chmod(folder.c_str(), 0500);  // the folder can no longer take the new file
  plug->ModifyCurrentPreset("changed");
  const bool ok = Save(*plug, "a.fxb", true);
  chmod(folder.c_str(), 0700);
  if (geteuid() != 0) {  // root writes anyway
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFile(folder + "/a.fxb"), saved);
  }
}

INSTANTIATE_TEST_SUITE_P(StateAndParameterForms, PresetFiles, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "StateChunks" : "Parameters";
                         });

}  // namespace
