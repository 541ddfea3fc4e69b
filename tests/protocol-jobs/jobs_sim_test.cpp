// The request jobs against the simulated Varno over MIDI ports: answers,
// a silent synthesizer, runs of programs with a silent one, cancel, and a
// synthesizer at another device ID found by the scan. Over JACK the program
// request alone runs.
#include <chrono>
#include <map>
#include <ostream>
#include <thread>

#include "sim_fixture.h"

namespace {

using namespace std::chrono_literals;

TEST_F(JobsOverPorts, programRequestIsAnsweredIntoTheEditor) {
  editor->set(kGlobalDeviceID, kSimDeviceId);
  ASSERT_TRUE(manager().postPartRequest(3));
  editor->joinAll();
  EXPECT_TRUE(shown("Data request completed!"));
  EXPECT_EQ(editor->value(kCurrentPatch), 3);
}

// The other jobs run on the in-process ports alone.
#ifndef SIM_OVER_JACK

// The slots of the librarian's first bank that hold a patch, with the
// program byte of their first message (-1 when it has none).
std::map<int, int> storedPrograms(JobEditor& editor) {
  std::map<int, int> programs;
  for (const auto& [slot, patch] : editor.storedPatches())
    programs[slot] = patch.messages.front().size() > 5 ? patch.messages.front()[5] : -1;
  return programs;
}

TEST_F(JobsOverPorts, enquiryAtTheRightIdIsAnswered) {
  editor->set(kGlobalDeviceID, kSimDeviceId);
  editor->flags.globalAnswerExpected = true;
  SenderJob job;
  job.jobCode = kJobDeviceIdEnquiry;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();
  EXPECT_EQ(statusTexts().back(), "Plug-in is ready to go!");
  EXPECT_FALSE(editor->sender().timedOut);
}

TEST_F(JobsOverPorts, runOfFortyFindsTheSynthesizerByScanAndFillsTheSlots) {
  manager().sendAllPatchRequestSysexFromLibrarian(40);
  editor->joinAll();
  const std::map<int, int> programs = storedPrograms(*editor);
  for (int slot = 0; slot < 40; ++slot) {
    ASSERT_TRUE(programs.count(slot)) << "slot " << slot;
    EXPECT_EQ(programs.at(slot), slot);
  }
  EXPECT_TRUE(shown("Please wait, checking DeviceID 6"));
  EXPECT_TRUE(shown("Data request completed!"));
  EXPECT_EQ(editor->value(kGlobalDeviceID), kSimDeviceId);
}

// A run of 99 where one program never answers (its requests never reach the
// synthesizer): that program waits, scans and times out, the run goes on,
// every other program lands in its own slot and the run does not claim to
// be complete.
TEST_F(JobsOverPorts, runOfNinetyNineSkipsTheSilentProgram) {
  constexpr int kSilent = 50;
  editor->set(kGlobalDeviceID, kSimDeviceId);
  editor->withheldProgram = kSilent;
  manager().sendAllPatchRequestSysexFromLibrarian(99);
  editor->joinAll();
  const std::map<int, int> programs = storedPrograms(*editor);
  for (int slot = 0; slot < 99; ++slot) {
    if (slot == kSilent) {
      EXPECT_FALSE(programs.count(slot)) << "the silent program's slot was filled";
      continue;
    }
    ASSERT_TRUE(programs.count(slot)) << "slot " << slot;
    EXPECT_EQ(programs.at(slot), slot);
  }
  EXPECT_TRUE(shown("Please wait, checking DeviceID 127"));
  EXPECT_TRUE(shown("CONNECTION TIMED OUT!"));
  EXPECT_FALSE(shown("Data request completed!"));
  EXPECT_TRUE(editor->sender().timedOut);
  // The run kept the synthesizer's ID after the silent program's scan.
  const std::vector<SimRecord> requests = received("program-request");
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().bytes[3], kSimDeviceId);
  EXPECT_EQ(requests.back().bytes[5], 98);
  EXPECT_EQ(manager().patchLibrarian->selectedUpperSlot, 0);
}

TEST_F(JobsOverPorts, cancelInTheMiddleOfARunStopsRequesting) {
  editor->set(kGlobalDeviceID, kSimDeviceId);
  manager().sendAllPatchRequestSysexFromLibrarian(99);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (manager().patchLibrarian->selectedUpperSlot < 10 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(5ms);
  editor->sender().cancelRequested = true;
  editor->joinAll();
  // The cancel discards the bank's changes (kDiscardBankData): what was
  // stored is read as that happened; at most the program asked then follows
  // the last stored one.
  const auto stored = editor->storedBeforeDiscard();
  ASSERT_FALSE(stored.empty());
  const int lastStored = stored.back().first;
  EXPECT_GE(lastStored, 9);
  EXPECT_LT(lastStored, 98);
  const std::vector<SimRecord> requests = received("program-request");
  ASSERT_FALSE(requests.empty());
  EXPECT_LE(requests.back().bytes[5], lastStored + 1);
  EXPECT_LT(requests.back().bytes[5], 98);
  EXPECT_TRUE(shown("Data request CANCELLED!"));
  EXPECT_FALSE(shown("Data request completed!"));
  EXPECT_TRUE(editor->sender().timedOut);
  EXPECT_EQ(editor->value(kDiscardBankData), 1);
  EXPECT_EQ(manager().patchLibrarian->selectedUpperSlot, 0);
}

// ---- A silent synthesizer -------------------------------------------------

struct SilentCase {
  const char* name;
  int jobCode;
  const char* requestKind;  // as the simulator records it
  const char* timeoutText;
  const char* missingText;  // what a silent synthesizer must not produce
  bool scanTexts;           // the scan shows "Please wait, checking DeviceID n"
};

// Test listings show a case by its name, not as raw bytes.
void PrintTo(const SilentCase& silent, std::ostream* out) { *out << silent.name; }

class SilentSynthesizer : public JobsOverPorts, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentSynthesizer, waitsScansEveryIdOnceAndTimesOut) {
  const SilentCase& silent = GetParam();
  sim->command("answer never");
  editor->set(kGlobalDeviceID, kSimDeviceId);
  SenderJob job;
  job.jobCode = silent.jobCode;
  job.requestEnabled = true;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();

  EXPECT_TRUE(editor->sender().timedOut);
  EXPECT_TRUE(shown(silent.timeoutText));
  EXPECT_FALSE(shown(silent.missingText));
  EXPECT_EQ(editor->indicatorStates().back(), false);
  // One request at the editor's ID, then one for each ID 0 to 126 in order.
  const std::vector<SimRecord> requests = received(silent.requestKind, 128);
  ASSERT_EQ(requests.size(), 128u);
  EXPECT_EQ(requests.front().bytes[3], kSimDeviceId);
  for (int id = 0; id <= 126; ++id) EXPECT_EQ(requests[id + 1].bytes[3], id);
  const std::vector<std::string> texts = statusTexts();
  if (silent.scanTexts) {
    int next = 1;
    for (const std::string& text : texts)
      if (text == "Please wait, checking DeviceID " + std::to_string(next)) ++next;
    EXPECT_EQ(next, 128) << "the scan texts run from 1 to 127";
  } else {
    // The status line shows the same text through every wait of the enquiry
    // (the window shows it once, however often it is set).
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Processing, please wait..."), 1);
    EXPECT_EQ(texts.front(), "Connecting to Hardware");
  }
  EXPECT_EQ(texts.back(), silent.timeoutText);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SilentSynthesizer,
    ::testing::Values(SilentCase{"currentSound", kJobActiveArrangementRequest, "edit-buffer-request",
                                 "CONNECTION TIMED OUT!", "Data request completed!", true},
                      SilentCase{"enquiry", kJobDeviceIdEnquiry, "enquiry", "No response from Hardware",
                                 "Plug-in is ready to go!", false}),
    [](const ::testing::TestParamInfo<SilentCase>& info) { return std::string(info.param.name); });

// ---- Late answers ---------------------------------------------------------

// Every answer comes 250 ms late: during the scan the answer to ID 5 arrives
// while a later ID is being asked. The run keeps the ID the answer carries,
// so the next program is asked at 5 at once, without a second scan.
class LateAnswers : public JobsOverPorts {
 protected:
  std::vector<std::string> simOptions() const override { return {"--answer", "late:250"}; }
};

TEST_F(LateAnswers, scanCreditsTheIdInTheAnswer) {
  manager().sendAllPatchRequestSysexFromLibrarian(2);
  editor->joinAll();
  const std::map<int, int> programs = storedPrograms(*editor);
  ASSERT_TRUE(programs.count(0));
  ASSERT_TRUE(programs.count(1));
  EXPECT_EQ(programs.at(0), 0);
  EXPECT_EQ(programs.at(1), 1);
  EXPECT_EQ(editor->value(kGlobalDeviceID), kSimDeviceId);
  EXPECT_TRUE(shown("Data request completed!"));
  std::vector<SimRecord> second;
  for (const SimRecord& request : received("program-request"))
    if (request.bytes[5] == 1) second.push_back(request);
  ASSERT_EQ(second.size(), 1u) << "program 1 needed a scan";
  EXPECT_EQ(second.front().bytes[3], kSimDeviceId);
}

#endif

}  // namespace
