// The sender's jobs on a virtual clock: the posting rule and per-thread
// records, the answer handshake with its waits, scan, time-out and cancel,
// the bytes of every send, the clock's tempo rules, and teardown.
#include <Poco/Event.h>
#include <Poco/Runnable.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "job_editor.h"
#include "src/InitSound.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"
#include "src/UIConfigManager.h"

namespace {

class Blocking : public Poco::Runnable {
 public:
  void run() override { release.wait(); }
  Poco::Event release;
};

SenderJob jobOf(int code) {
  SenderJob job;
  job.jobCode = code;
  return job;
}

// A synthesizer that answers every request addressed to its device ID at
// once (the answer is seen after the job's next sleep), except programs
// listed as silent.
void answerAt(JobEditor& editor, int deviceId, std::vector<int> silentPrograms = {}) {
  editor.onRequest = [&editor, deviceId, silentPrograms](const Bytes& request) {
    if (request.size() < 4 || request[2] != deviceId) return;
    if (request.size() == 5 &&
        std::find(silentPrograms.begin(), silentPrograms.end(), request[4]) != silentPrograms.end())
      return;
    editor.flags.responseReceived = true;
  };
}

// What the jobs sent and showed.
struct SenderCalls {
  std::vector<Bytes> sent;  // SysEx, framed
  std::vector<std::string> statusTexts;
};
SenderCalls callsOf(JobEditor& editor) { return {editor.sent(), editor.statusTexts()}; }

// The requests sent, unframed bytes 2 to 4 (device, command, program).
std::vector<std::vector<int>> requestsOf(const SenderCalls& calls) {
  std::vector<std::vector<int>> requests;
  for (const Bytes& sent : calls.sent)
    if (sent.size() <= 7) requests.push_back({sent[3], sent[4], sent.size() == 7 ? sent[5] : -1});
  return requests;
}

bool shown(const SenderCalls& calls, const std::string& text) {
  return std::find(calls.statusTexts.begin(), calls.statusTexts.end(), text) != calls.statusTexts.end();
}

class SenderJobs : public ::testing::Test {
 protected:
  MIDIMessageManager& manager() { return *editor.midiManager; }
  void run(const SenderJob& job) { ASSERT_TRUE(editor.postAndJoin(job)); }
  JobEditor editor;
};

// ---- Posting ----

TEST_F(SenderJobs, postToABusyThreadIsDroppedAndOtherThreadsKeepTheirRecords) {
  Blocking block;
  manager().dataThread.start(block);
  SenderJob request = jobOf(kJobPartRequest);
  request.partProgram = 7;
  EXPECT_FALSE(manager().postJob(request));
  EXPECT_EQ(manager().postedJob(manager().dataThread).jobCode, kJobNothing) << "a dropped job writes nothing";
  EXPECT_FALSE(manager().soundDumpExpected) << "nor sets the flags of the post";
  EXPECT_TRUE(manager().postJob(jobOf(kJobStartClock))) << "the transport thread is free";
  block.release.set();
  manager().dataThread.join();
  editor.joinAll();
  EXPECT_TRUE(manager().postJob(request));
  editor.joinAll();
  EXPECT_EQ(manager().postedJob(manager().transportThread).jobCode, kJobStartClock);
  EXPECT_EQ(manager().postedJob(manager().dataThread).partProgram, 7);
}

TEST_F(SenderJobs, codesThatAreNeverPostedAreRefused) {
  for (int code : {static_cast<int>(kJobSendGlobal), static_cast<int>(kJobNothing), -1, 14})
    EXPECT_FALSE(manager().postJob(jobOf(code))) << code;
}

TEST_F(SenderJobs, stopPostedWhileTheTransportThreadRunsIsDropped) {
  Blocking block;
  manager().transportThread.start(block);
  EXPECT_FALSE(manager().postJob(jobOf(kJobStopClock)));
  block.release.set();
  manager().transportThread.join();
}

// A librarian request the user chose while the data thread runs something
// else is not armed (it would take that job's answer) and says why.
TEST_F(SenderJobs, librarianRequestToABusyThreadIsNotArmedAndSaysSo) {
  Blocking block;
  manager().dataThread.start(block);
  manager().slotStored = true;
  manager().sendAllPatchRequestSysexFromLibrarian(40);
  EXPECT_FALSE(manager().libraryPatchRequest.requestActive);
  EXPECT_TRUE(manager().slotStored);
  EXPECT_EQ(manager().postedJob(manager().dataThread).jobCode, kJobNothing);
  editor.watch();
  EXPECT_TRUE(shown(callsOf(editor), "Varno busy - try again"));
  block.release.set();
  manager().dataThread.join();
}

// A click's job for a busy data thread waits and runs when the running job
// ends, with its own flags; a second click while one waits is refused.
TEST_F(SenderJobs, clickedJobWaitsForTheRunningJobAndASecondIsRefused) {
  Poco::Event gate(false);  // stays open once set
  editor.sender().setSleepFunction([&gate](int) { gate.wait(); });
  answerAt(editor, 0);
  SenderJob sound = jobOf(kJobActiveArrangementRequest);
  sound.requestEnabled = true;
  SenderJob program = jobOf(kJobPartRequest);
  program.requestEnabled = true;
  program.partProgram = 7;
  EXPECT_EQ(manager().postOrWait(sound), MIDIMessageManager::JobPost::kStarted);
  EXPECT_EQ(manager().postOrWait(program), MIDIMessageManager::JobPost::kWaiting);
  EXPECT_EQ(manager().postOrWait(jobOf(kJobSendArrangement)), MIDIMessageManager::JobPost::kRefused);
  EXPECT_FALSE(manager().postJob(jobOf(kJobSendArrangement))) << "other posts are still dropped";
  gate.set();
  manager().waitForJobs();
  const auto requests = requestsOf(callsOf(editor));
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], (std::vector<int>{0, 0x40, 0}));
  EXPECT_EQ(requests[1], (std::vector<int>{0, 0x41, 7})) << "the waiting request ran after the first";
  EXPECT_EQ(manager().postedJob(manager().dataThread).partProgram, 7);
  EXPECT_EQ(manager().postOrWait(program), MIDIMessageManager::JobPost::kStarted)
      << "the thread is free again";
  manager().waitForJobs();
}

// ---- The answer handshake ----

TEST_F(SenderJobs, silentSynthesizerTimesOutAfterTheWaitsAndOneScan) {
  editor.set(kLibSyncTimer, 4);  // W = 100 ms
  SenderJob job = jobOf(kJobSinglePatchRequest);
  run(job);
  const SenderCalls calls = callsOf(editor);
  // The request, then 127 scan sends with IDs 0 to 126.
  ASSERT_EQ(requestsOf(calls).size(), 128u);
  EXPECT_EQ(requestsOf(calls)[1][0], 0);
  EXPECT_EQ(requestsOf(calls)[127][0], 126);
  EXPECT_TRUE(shown(calls, "Please wait, checking DeviceID 127"));
  EXPECT_TRUE(shown(calls, "CONNECTION TIMED OUT!"));
  EXPECT_FALSE(shown(calls, "Data request completed!"));
  EXPECT_TRUE(editor.sender().timedOut);
  // 21 waits, 127 scan sleeps and the closing wait.
  EXPECT_EQ(editor.virtualTime, (21 + 127 + 1) * 100);
}

TEST_F(SenderJobs, scanFindsTheSynthesizerAndTheRunKeepsItsDeviceId) {
  answerAt(editor, 5);
  run([] {
    SenderJob job = jobOf(kJobAllPatchRequest);
    job.requestCount = 3;
    return job;
  }());
  const SenderCalls calls = callsOf(editor);
  const std::vector<std::vector<int>> requests = requestsOf(calls);
  EXPECT_EQ(calls.statusTexts.front(), "Receiving patch 1 of 3...");
  EXPECT_TRUE(shown(calls, "Please wait, checking DeviceID 1"));
  EXPECT_TRUE(shown(calls, "Please wait, checking DeviceID 6"));
  EXPECT_FALSE(shown(calls, "Please wait, checking DeviceID 7")) << "the scan stops at the answer";
  // Program 0: the request at ID 0 and the scan 0..5; programs 1 and 2 go to
  // ID 5 at once, without another scan.
  ASSERT_EQ(requests.size(), 1u + 6u + 2u);
  EXPECT_EQ(requests[7], (std::vector<int>{5, 0x41, 1}));
  EXPECT_EQ(requests[8], (std::vector<int>{5, 0x41, 2}));
  EXPECT_EQ(editor.value(kGlobalDeviceID), 5);
  EXPECT_TRUE(shown(calls, "Data request completed!"));
}

TEST_F(SenderJobs, runOfProgramsSkipsASilentProgramAndAdvancesTheSlots) {
  answerAt(editor, 0, {3});
  std::vector<int> slotsAtRequest;
  auto answer = editor.onRequest;
  editor.onRequest = [&](const Bytes& request) {
    if (request.size() == 5 && request[2] == 0)
      slotsAtRequest.push_back(editor.patchLibrarian->selectedUpperSlot);
    answer(request);
  };
  run([] {
    SenderJob job = jobOf(kJobAllPatchRequest);
    job.requestCount = 40;
    return job;
  }());
  const SenderCalls calls = callsOf(editor);
  std::vector<int> programs;
  for (const std::vector<int>& request : requestsOf(calls))
    if (request[0] == 0 && (programs.empty() || programs.back() != request[2]))
      programs.push_back(request[2]);
  ASSERT_EQ(programs.size(), 40u);
  for (int program = 0; program < 40; ++program) EXPECT_EQ(programs[program], program);
  EXPECT_EQ(slotsAtRequest.front(), 0);
  EXPECT_EQ(slotsAtRequest.back(), 39);
  EXPECT_TRUE(shown(calls, "CONNECTION TIMED OUT!"));
  EXPECT_FALSE(shown(calls, "Data request completed!")) << "one program timed out";
  EXPECT_EQ(editor.patchLibrarian->selectedUpperSlot, 0);
}

TEST_F(SenderJobs, cancelInTheMiddleOfARunStopsIt) {
  answerAt(editor, 0);
  auto answer = editor.onRequest;
  editor.onRequest = [&](const Bytes& request) {
    if (request[4] == 10) editor.sender().cancelRequested = true;
    answer(request);
  };
  run([] {
    SenderJob job = jobOf(kJobAllPatchRequest);
    job.requestCount = 99;
    return job;
  }());
  const SenderCalls calls = callsOf(editor);
  EXPECT_EQ(requestsOf(calls).size(), 11u) << "no program after the cancel";
  EXPECT_TRUE(shown(calls, "Data request CANCELLED!"));
  EXPECT_EQ(editor.value(kDiscardBankData), 1);
  const std::vector<int> changes = editor.calls().paramChanges;
  EXPECT_NE(std::find(changes.begin(), changes.end(), kDiscardBankData), changes.end());
  EXPECT_EQ(editor.patchLibrarian->selectedUpperSlot, 0);
}

TEST_F(SenderJobs, cancelGivenBeforeTheJobHasNoEffect) {
  answerAt(editor, 0);
  editor.sender().cancelRequested = true;
  run(jobOf(kJobActiveArrangementRequest));
  EXPECT_TRUE(shown(callsOf(editor), "Data request completed!"));
}

TEST_F(SenderJobs, enquiryWithoutAnswerReportsNoResponse) {
  run(jobOf(kJobDeviceIdEnquiry));
  const SenderCalls calls = callsOf(editor);
  EXPECT_EQ(calls.statusTexts.front(), "Connecting to Hardware");
  EXPECT_EQ(calls.statusTexts.back(), "No response from Hardware");
  EXPECT_EQ(calls.sent.size(), 128u);
  EXPECT_EQ(calls.sent.front(), (Bytes{0xF0, 0x3E, 0x0B, 0x00, 0x48, 0xF7}));
}

TEST_F(SenderJobs, answeredEnquiryIsReady) {
  answerAt(editor, 0);
  run(jobOf(kJobDeviceIdEnquiry));
  EXPECT_EQ(editor.statusTexts().back(), "Plug-in is ready to go!");
}

// ---- Sends ----

TEST_F(SenderJobs, currentSoundGoesOutWithItsChecksumAfterTheGlobals) {
  editor.flags.suppressGlobalsDump = false;
  editor.flags.knownGlobalSettings = VarnoSysEx::kAllGlobalSettings;  // the Varno's global dump arrived
  editor.set(kOscillator1Semitone, 0);
  editor.set(kGlobalMasterTune, 10);
  editor.set(kGlobalDeviceID, 3);
  editor.GetParam(kPatchName)->SetDisplayText(0, "");  // a sound without a name
  run(jobOf(kJobSendArrangement));
  const SenderCalls calls = callsOf(editor);
  ASSERT_EQ(calls.sent.size(), 2u);
  EXPECT_EQ(calls.sent[0].size(), 12u);
  EXPECT_EQ(calls.sent[0][6], 64) << "master tune 10 travels as 64";
  const Bytes& dump = calls.sent[1];
  ASSERT_EQ(dump.size(), 76u);
  EXPECT_EQ(dump[3], 3);
  EXPECT_EQ(dump[6], 16) << "a semitone of 0 travels as 16";
  EXPECT_EQ(dump[74], VarnoSysEx::soundDumpChecksum(dump.data(), 76));
  // The controller values the dump leaves out follow it: the three shapes,
  // sync and keytrack of the description, on channel 1.
  std::vector<int> controllers;
  for (const Bytes& raw : editor.rawSends())
    if (raw.size() == 3 && raw[0] == 0xB0) controllers.push_back(raw[1]);
  EXPECT_EQ(controllers, (std::vector<int>{34, 38, 44, 41, 40}));
  EXPECT_TRUE(editor.flags.suppressGlobalsDump);
  EXPECT_EQ(editor.patchManager->names[1], "Set Name");
  EXPECT_EQ(editor.virtualTime, 1000 + 400 + 200);
}

// The global dump goes out only while the editor knows every global
// setting (from the Varno's own dump or the user): otherwise the sound goes
// alone, at once, and the flags wait for a later send.
TEST_F(SenderJobs, theGlobalDumpGoesWithTheSoundOnlyWhileEverySettingIsKnown) {
  const struct {
    const char* why;
    unsigned known;
    bool globalsSent;
  } kCases[] = {
      {"none known (after a recall or a new port)", 0, false},
      {"the device ID unknown",
       VarnoSysEx::kAllGlobalSettings & ~VarnoSysEx::globalSettingBit(kGlobalDeviceID), false},
      {"every one known", VarnoSysEx::kAllGlobalSettings, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    const size_t sentBefore = editor.sent().size();
    const long long timeBefore = editor.virtualTime;
    editor.flags.knownGlobalSettings = c.known;
    editor.flags.sendGlobalsWithSound = true;
    editor.flags.suppressGlobalsDump = false;
    run(jobOf(kJobSendArrangement));
    const std::vector<Bytes> all = editor.sent();
    const std::vector<Bytes> sent(all.begin() + static_cast<long>(sentBefore), all.end());
    ASSERT_EQ(sent.size(), c.globalsSent ? 2u : 1u);
    EXPECT_EQ(sent.back().size(), 76u);
    EXPECT_EQ(sent.front().size(), c.globalsSent ? 12u : 76u);
    EXPECT_EQ(editor.virtualTime - timeBefore, c.globalsSent ? 1000 + 400 + 200 : 200);
    EXPECT_EQ(editor.flags.suppressGlobalsDump, c.globalsSent);
  }
}

TEST_F(SenderJobs, theGlobalDumpOnItsOwnFollowsTheSameRule) {
  editor.sender().setSleepFunction([](int) {});
  for (const unsigned known : {0u, VarnoSysEx::kAllGlobalSettings}) {
    SCOPED_TRACE(known);
    const size_t sentBefore = editor.sent().size();
    editor.flags.knownGlobalSettings = known;
    editor.flags.suppressGlobalsDump = false;
    editor.sender().sendGlobalToDevice(0);
    const bool sent = known == VarnoSysEx::kAllGlobalSettings;
    EXPECT_EQ(editor.sent().size() - sentBefore, sent ? 1u : 0u);
    EXPECT_EQ(editor.flags.suppressGlobalsDump, sent);
  }
}

LibrarianPatch patchWithDump(unsigned char fill) {
  LibrarianPatch patch;
  PatchSysexMessage message(VarnoSysEx::kSoundDumpTemplate.begin(), VarnoSysEx::kSoundDumpTemplate.end());
  message[20] = fill;
  message.resize(92, 0x20);
  message[91] = 0xF7;
  patch.messages.push_back(message);
  return patch;
}

TEST_F(SenderJobs, librarianPatchCarriesItsChecksumAndDeviceId) {
  editor.set(kGlobalDeviceID, 2);
  editor.set(kCurrentPatch, 9);
  const LibrarianPatch patch = patchWithDump(0x11);
  SenderJob job = jobOf(kJobSendLibrarianPatch);
  job.librarianPatch = &patch;
  run(job);
  const std::vector<Bytes> raw = editor.rawSends();
  ASSERT_EQ(raw.size(), 2u);
  EXPECT_EQ(raw[0], (Bytes{0xB0, 123, 0})) << "all notes off first";
  ASSERT_EQ(raw[1].size(), 76u);
  EXPECT_EQ(raw[1][3], 2);
  EXPECT_EQ(raw[1][4], 0);
  EXPECT_EQ(raw[1][5], 9);
  EXPECT_EQ(raw[1][74], VarnoSysEx::soundDumpChecksum(raw[1].data(), 76));
  EXPECT_EQ(raw[1][75], 0xF7);
}

// A first message shorter than a whole dump goes out as stored apart from
// the device byte, command and program (those it has before its F7); one
// that is no whole SysEx message does not go out at all.
TEST_F(SenderJobs, shortFirstMessagesGoOutWithTheirHeaderBytesWhenFramed) {
  Bytes shortDump(VarnoSysEx::kSoundDumpTemplate.begin(), VarnoSysEx::kSoundDumpTemplate.begin() + 40);
  shortDump.back() = 0xF7;
  Bytes shortSent = shortDump;
  shortSent[3] = 2, shortSent[4] = 0, shortSent[5] = 9;
  Bytes unended = shortDump;
  unended.back() = 0x10;
  Bytes statusInside = shortDump;
  statusInside[20] = 0x90;
  const struct {
    const char* why;
    Bytes stored;
    std::vector<Bytes> sent;  // after all notes off
  } kCases[] = {
      {"40 bytes", shortDump, {shortSent}},
      {"five bytes: only the device byte lies before the F7",
       {0xF0, 0x3E, 0x0B, 0x00, 0xF7},
       {{0xF0, 0x3E, 0x0B, 2, 0xF7}}},
      {"no F7", unended, {}},
      {"a status byte inside", statusInside, {}},
  };
  editor.set(kGlobalDeviceID, 2);
  editor.set(kCurrentPatch, 9);
  for (const auto& c : kCases) {
    LibrarianPatch patch;
    patch.messages.push_back(c.stored);
    const size_t before = editor.rawSends().size();
    SenderJob job = jobOf(kJobSendLibrarianPatch);
    job.librarianPatch = &patch;
    run(job);
    const std::vector<Bytes> raw = editor.rawSends();
    ASSERT_GE(raw.size(), before + 1) << c.why;
    EXPECT_EQ(raw[before], (Bytes{0xB0, 123, 0})) << c.why;
    EXPECT_EQ(std::vector<Bytes>(raw.begin() + static_cast<long>(before) + 1, raw.end()), c.sent) << c.why;
  }
}

// The init job stores the library's own init sound into the selected slot
// through the receive path, under the editor's device ID, as a store into
// that program; nothing goes out to the synthesizer.
TEST_F(SenderJobs, initSoundIsStoredIntoTheSelectedSlot) {
  editor.set(kGlobalDeviceID, 2);
  manager().patchLibrarian->selectedUpperSlot = 7;
  run(jobOf(kJobInitClassicPatch));
  EXPECT_TRUE(editor.rawSends().empty());
  EXPECT_EQ(editor.value(kBankEditUnsaved), 1) << "the edited bank is marked unsaved";
  const auto stored = editor.storedPatches();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].first, 7);
  ASSERT_EQ(stored[0].second.messages.size(), 1u);
  const Bytes& record = stored[0].second.messages[0];
  ASSERT_GE(record.size(), 75u);
  Bytes expected(initSinglePatch, initSinglePatch + 75);
  expected[3] = 2;  // device ID
  expected[4] = 1;  // store into program
  expected[5] = 7;  // the slot
  EXPECT_EQ(Bytes(record.begin(), record.begin() + 75), expected);
}

// Without an output nothing goes out and each job says so; the librarian
// patch still reaches the editor's controls, the bank store ends at once.
TEST_F(SenderJobs, sendsWithoutAnOutputOnlySaySo) {
  editor.flags.midiOutputOpen = false;
  const LibrarianPatch patch = patchWithDump(0x11);
  SenderJob job = jobOf(kJobSendLibrarianPatch);
  job.librarianPatch = &patch;
  run(job);
  EXPECT_EQ(editor.value(kOscillator2Level), patch.messages[0][20]) << "the editor took the patch";
  EXPECT_EQ(editor.statusTexts(), std::vector<std::string>{"Set MIDI I/O First!"});
  editor.clearStatus();
  const long long afterPatch = editor.virtualTime;
  editor.bank(0) = {patch};
  SenderJob store = jobOf(kJobStoreAllPatches);
  run(store);
  EXPECT_TRUE(editor.rawSends().empty());
  EXPECT_EQ(editor.statusTexts(), std::vector<std::string>{"Set MIDI I/O First!"});
  EXPECT_EQ(editor.virtualTime, afterPatch) << "the store does not wait";
}

TEST_F(SenderJobs, bankStoreCarriesDeviceIdSkipsBrokenPatchesAndStopsAtAnEmptySlot) {
  editor.set(kGlobalDeviceID, 4);
  std::vector<LibrarianPatch> bank;
  for (int i = 0; i < 14; ++i) bank.push_back(patchWithDump(static_cast<unsigned char>(i)));
  bank[5].messages.front().resize(40);  // not a whole sound dump: skipped
  bank[12].messages.clear();            // the store ends here
  editor.bank(0) = bank;
  run(jobOf(kJobStoreAllPatches));
  std::vector<Bytes> stores = editor.rawSends();
  stores.erase(stores.begin());  // all notes off
  ASSERT_EQ(stores.size(), 11u);
  std::vector<int> programs;
  for (const Bytes& store : stores) {
    EXPECT_EQ(store[3], 4);
    EXPECT_EQ(store[4], 1);
    EXPECT_EQ(store[74], VarnoSysEx::soundDumpChecksum(store.data(), 76));
    programs.push_back(store[5]);
  }
  EXPECT_EQ(programs, (std::vector<int>{0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11}));
}

TEST_F(SenderJobs, sysexMessageOfAControlIsFramedAndNeedsAnOutput) {
  manager().sendSysexMessage({62, 11, 0});
  EXPECT_EQ(editor.statusTexts(), std::vector<std::string>{"Set MIDI I/O First!"});
}

// ---- MIDI clock ----

TEST(ClockInterval, tempoToInterval) {
  const struct {
    int tempo;
    int32_t interval;
  } kCases[] = {{120, 20833333}, {90, 27777777}, {300, 8333333}, {2, 1250000000}, {1, 0}, {0, 0}, {-5, 0}};
  for (const auto& c : kCases) EXPECT_EQ(MIDIMessageSender::clockIntervalFor(c.tempo), c.interval) << c.tempo;
}

TEST_F(SenderJobs, clockWithoutTempoGivesUpAfterElevenSleeps) {
  for (const char* text : {"0", "1", "fast"}) {
    editor.uiConfig->valueLists["tempoValues"] = Values(128, text);
    editor.flags.continuousClock = true;
    editor.virtualTime = 0;
    run(jobOf(kJobContinuousClock));
    EXPECT_EQ(editor.virtualTime, 11000) << text;
    EXPECT_FALSE(editor.flags.continuousClock);
    EXPECT_EQ(editor.statusTexts().back(), "Unable to get DAW Tempo");
  }
  EXPECT_TRUE(editor.rawSends().empty());
}

TEST_F(SenderJobs, startAndStopFollowTheClockOutputFlag) {
  editor.flags.sendClockPointer = false;
  run(jobOf(kJobStartClock));
  run(jobOf(kJobStopClock));
  EXPECT_TRUE(editor.rawSends().empty());
  editor.flags.sendClockPointer = true;
  run(jobOf(kJobStartClock));
  run(jobOf(kJobStopClock));
  EXPECT_EQ(editor.rawSends(), (std::vector<Bytes>{{0xFA}, {0xFC}}));
}

TEST_F(SenderJobs, runningClockTicksUntilStoppedAndNeverAfter) {
  editor.flags.continuousClock = true;
  editor.set(kOverrideTempo, 1);
  editor.flags.hostTempo = 300;
  editor.sender().resetContinuousClock(false);
  ASSERT_TRUE(manager().postJob(jobOf(kJobContinuousClock)));
  while (editor.rawSends().size() < 5) Poco::Thread::yield();
  editor.sender().resetContinuousClock(true);
  editor.joinAll();
  const size_t ticks = editor.rawSends().size();
  for (const Bytes& tick : editor.rawSends()) EXPECT_EQ(tick, Bytes{0xF8});
  EXPECT_EQ(editor.sender().clockInterval, 8333333);
  Poco::Thread::sleep(30);
  EXPECT_EQ(editor.rawSends().size(), ticks) << "no tick after the stop";
}

// ---- Teardown ----

TEST(SenderTeardown, runningJobsEndWhenTheEditorGoes) {
  auto editor = std::make_unique<JobEditor>(false);  // real, long sleeps
  editor->set(kLibSyncTimer, 3);
  SenderJob run = jobOf(kJobAllPatchRequest);
  run.requestCount = 99;
  ASSERT_TRUE(editor->midiManager->postJob(run));
  editor->flags.continuousClock = true;
  editor->set(kOverrideTempo, 1);
  editor->flags.hostTempo = 120;
  editor->midiManager->sender->resetContinuousClock(false);
  ASSERT_TRUE(editor->midiManager->postJob(jobOf(kJobContinuousClock)));
  editor.reset();  // would take minutes if the jobs ran on
}

}  // namespace
