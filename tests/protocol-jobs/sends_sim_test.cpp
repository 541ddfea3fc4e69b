// The send jobs against the simulated Varno over MIDI ports: what
// arrives, byte for byte, with checksums the simulator checks itself (it
// refuses a dump whose checksum is wrong), and posts to a busy thread.
#include <chrono>
#include <thread>

#include "sim_fixture.h"
#include "src/MIDIMessageSysEx.h"

namespace {

using namespace std::chrono_literals;

// The sum of bytes 5 to 73 in 7 bits: the checksum of a 76-byte dump.
unsigned char dumpChecksum(const Bytes& dump) {
  unsigned sum = 0;
  for (int i = 5; i <= 73; ++i) sum += dump[i];
  return static_cast<unsigned char>(sum % 128);
}

// The test runner knows tests by name: the JACK build's carry names of
// their own, so that the loop-back build's are free of the JACK lock.
#ifdef SIM_OVER_JACK
#define SendsOverPorts SendsOverJack
#endif

class SendsOverPorts : public JobsOverPorts {
 protected:
  std::vector<std::string> simOptions() const override { return {"--strict-checksum"}; }
  void SetUp() override {
    JobsOverPorts::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    editor->set(kGlobalDeviceID, kSimDeviceId);
  }
  // The jobs' pauses shortened to a millisecond: the bytes still go out one
  // message after another.
  void shortPauses() {
    editor->sender().setSleepFunction([](int) { std::this_thread::sleep_for(1ms); });
  }
  // The editor's sound parameters hold the plain-valued bytes of dump.
  void expectEditorHolds(const Bytes& dump) {
    for (const VarnoSysEx::SoundDumpByte& row : VarnoSysEx::kSoundDumpTable) {
      if (row.coding != VarnoSysEx::ByteCoding::kValue || row.parameter == kCurrentPatch) continue;
      const double expected =
          std::min<double>(dump[row.byteIndex], editor->GetParam(row.parameter)->GetMax());
      EXPECT_EQ(editor->value(row.parameter), expected) << "byte " << row.byteIndex;
    }
  }
  void expectTaken(const std::vector<SimRecord>& records) {
    for (const SimRecord& record : records) {
      EXPECT_EQ(record.outcome, "applied") << record.kind;
      EXPECT_EQ(record.fault, "none") << record.kind;
    }
  }
};

TEST_F(SendsOverPorts, currentSoundGoesOutAfterTheGlobalsWithItsChecksum) {
  shortPauses();
  editor->flags.suppressGlobalsDump = false;                           // as after a project recall
  editor->flags.knownGlobalSettings = VarnoSysEx::kAllGlobalSettings;  // and the Varno's global dump
  editor->set(kCurrentPatch, 7);
  SenderJob job;
  job.jobCode = kJobSendArrangement;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();

  received("sound-dump", 1);
  const std::vector<SimRecord> records = received();
  std::vector<SimRecord> dumps;
  for (const SimRecord& record : records)
    if (record.kind == "global-dump" || record.kind == "sound-dump") dumps.push_back(record);
  ASSERT_EQ(dumps.size(), 2u);
  expectTaken(dumps);
  EXPECT_EQ(dumps[0].kind, "global-dump");
  ASSERT_EQ(dumps[0].bytes.size(), 12u);
  EXPECT_EQ(dumps[0].bytes[3], kSimDeviceId);
  EXPECT_EQ(dumps[0].bytes[9], kSimDeviceId);
  EXPECT_EQ(dumps[1].kind, "sound-dump");
  const Bytes& dump = dumps[1].bytes;
  ASSERT_EQ(dump.size(), 76u);
  EXPECT_EQ(dump[3], kSimDeviceId);
  EXPECT_EQ(dump[5], 7);
  EXPECT_EQ(dump[74], dumpChecksum(dump));
  EXPECT_EQ(dump.back(), 0xF7);
}

// The other sends run on the in-process ports alone.
#ifndef SIM_OVER_JACK
Bytes soundBytes(const Bytes& dump) { return Bytes(dump.begin() + 6, dump.begin() + 74); }

LibrarianPatch patchOf(Bytes dump) {
  LibrarianPatch patch;
  patch.messages.push_back(std::move(dump));
  return patch;
}

TEST_F(SendsOverPorts, globalSettingsArriveAsTheEditorHoldsThem) {
  sim->command("records clear");
  editor->sender().setSleepFunction([](int) {});
  editor->flags.knownGlobalSettings = VarnoSysEx::kAllGlobalSettings;  // the Varno's global dump arrived
  editor->sender().sendGlobalToDevice(0);
  const std::vector<SimRecord> globals = received("global-dump", 1);
  ASSERT_EQ(globals.size(), 1u);
  expectTaken(globals);
  const Bytes expected = {0xF0, 0x3E, 0x0B, kSimDeviceId, 0x08};
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), globals[0].bytes.begin()));
  EXPECT_EQ(globals[0].bytes[9], kSimDeviceId);
  EXPECT_TRUE(editor->flags.suppressGlobalsDump);
}

// A librarian patch goes to the edit buffer with the editor's device ID,
// program and a fresh checksum, whatever the stored bytes held there.
TEST_F(SendsOverPorts, librarianPatchLandsInTheEditBuffer) {
  shortPauses();
  Bytes stored = simDump("12");
  ASSERT_EQ(stored.size(), 76u);
  stored[3] = 0;
  stored[74] = 0;  // a stale checksum
  const LibrarianPatch patch = patchOf(stored);
  editor->set(kCurrentPatch, 4);
  SenderJob job;
  job.jobCode = kJobSendLibrarianPatch;
  job.librarianPatch = &patch;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();

  const std::vector<SimRecord> dumps = received("sound-dump", 1);
  ASSERT_EQ(dumps.size(), 1u);
  expectTaken(dumps);
  const Bytes& sent = dumps[0].bytes;
  EXPECT_EQ(sent[3], kSimDeviceId);
  EXPECT_EQ(sent[4], 0);
  EXPECT_EQ(sent[5], 4);
  EXPECT_EQ(soundBytes(sent), soundBytes(stored));
  EXPECT_EQ(soundBytes(simDump("edit")), soundBytes(stored));
  expectEditorHolds(stored);
}

// Choosing a patch in the librarian with no output port: the synthesizer
// hears nothing, the status says why, and the editor's controls still take
// the patch's sound.
TEST_F(SendsOverPorts, withoutAnOutputOnlyTheEditorTakesTheLibrarianPatch) {
  shortPauses();
  int off = 0;
  editor->setExternalMIDIOut(off, "OFF");
  editor->flags.midiOutputOpen = false;
  sim->command("records clear");
  const Bytes stored = simDump("12");
  const LibrarianPatch patch = patchOf(stored);
  SenderJob job;
  job.jobCode = kJobSendLibrarianPatch;
  job.librarianPatch = &patch;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();

  EXPECT_TRUE(received().empty());
  EXPECT_TRUE(shown("Set MIDI I/O First!"));
  expectEditorHolds(stored);
}

// A patch whose first message is shorter than a whole dump goes out as it
// is stored apart from the device byte, command and program; every message
// of the patch still reaches the editor->
TEST_F(SendsOverPorts, shortFirstMessageGoesOutWithItsHeaderBytesAndTheEditorTakesThePatch) {
  shortPauses();
  const Bytes whole = simDump("30");
  ASSERT_EQ(whole.size(), 76u);
  Bytes shortened(whole.begin(), whole.begin() + 40);
  shortened.back() = 0xF7;
  shortened[3] = 0x0A;
  shortened[4] = 0x01;
  shortened[5] = 0x33;
  LibrarianPatch patch = patchOf(shortened);
  patch.messages.push_back(whole);
  editor->set(kCurrentPatch, 6);
  sim->command("records clear");
  SenderJob job;
  job.jobCode = kJobSendLibrarianPatch;
  job.librarianPatch = &patch;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();

  const std::vector<SimRecord> dumps = received("sound-dump", 1);
  ASSERT_EQ(dumps.size(), 1u);
  Bytes expected = shortened;
  expected[3] = kSimDeviceId;
  expected[4] = 0x00;
  expected[5] = 6;
  EXPECT_EQ(dumps[0].bytes, expected);
  expectEditorHolds(whole);
}

// The first 40 patches of a bank go into programs 0 to 39; a patch without a
// whole sound dump (slot 12) is skipped and its program stays as it was.
TEST_F(SendsOverPorts, bankOfFortyIsStoredIntoTheProgramsSkippingAPartialPatch) {
  shortPauses();
  std::vector<LibrarianPatch>& bank = editor->bank(0);
  bank.clear();
  std::vector<Bytes> sounds;
  for (int slot = 0; slot < 40; ++slot) {
    sounds.push_back(simDump(std::to_string(50 + slot)));
    ASSERT_EQ(sounds.back().size(), 76u);
    bank.push_back(patchOf(sounds.back()));
  }
  bank[12].messages.front().resize(40);
  const Bytes program12 = simDump("12");
  SenderJob job;
  job.jobCode = kJobStoreAllPatches;
  job.storeColumn = 0;
  ASSERT_TRUE(manager().postJob(job));
  editor->joinAll();

  const std::vector<SimRecord> stores = received("sound-store", 39);
  ASSERT_EQ(stores.size(), 39u);
  expectTaken(stores);
  for (size_t i = 0; i < stores.size(); ++i) {
    const int program = static_cast<int>(i < 12 ? i : i + 1);
    EXPECT_EQ(stores[i].bytes[3], kSimDeviceId);
    EXPECT_EQ(stores[i].bytes[4], 1);
    EXPECT_EQ(stores[i].bytes[5], program);
    EXPECT_EQ(stores[i].bytes[74], dumpChecksum(stores[i].bytes));
  }
  for (int program : {0, 11, 13, 39})
    EXPECT_EQ(soundBytes(simDump(std::to_string(program))), soundBytes(sounds[program]))
        << "program " << program;
  EXPECT_EQ(simDump("12"), program12);
}

// While the data thread stores a bank, every other data job posted (not
// clicked for: postJob) is dropped: nothing of it reaches the synthesizer,
// and the store finishes.
TEST_F(SendsOverPorts, postsToTheBusyDataThreadAreDropped) {
  std::vector<LibrarianPatch>& bank = editor->bank(0);
  bank.clear();
  for (int slot = 0; slot < 3; ++slot) bank.push_back(patchOf(simDump(std::to_string(slot + 20))));
  sim->command("records clear");
  SenderJob store;
  store.jobCode = kJobStoreAllPatches;
  ASSERT_TRUE(manager().postJob(store));  // three stores with 500 ms pauses

  EXPECT_FALSE(manager().postPartRequest(5));
  SenderJob enquiry;
  enquiry.jobCode = kJobDeviceIdEnquiry;
  EXPECT_FALSE(manager().postJob(enquiry));
  SenderJob programs;
  programs.jobCode = kJobAllPatchRequest;
  programs.requestCount = 40;
  EXPECT_FALSE(manager().postJob(programs));
  editor->joinAll();

  received("sound-store", 3);
  const std::vector<SimRecord> records = received();
  int stores = 0;
  for (const SimRecord& record : records) {
    EXPECT_NE(record.kind, "program-request");
    EXPECT_NE(record.kind, "enquiry");
    stores += record.kind == "sound-store";
  }
  EXPECT_EQ(stores, 3);
}

#endif

}  // namespace
