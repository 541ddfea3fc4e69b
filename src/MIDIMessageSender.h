// The job runner of the synthesizer link. A job is the whole of one hardware
// transaction (a request with its answer handshake, a dump, a bank store, the
// MIDI clock) and runs on one of the manager's three worker threads, so that
// the host's threads never wait on the synthesizer.
//
// Posters follow one rule: when the chosen thread is running, the job is
// dropped (no queue, no retry); otherwise the job's record is written and the
// thread started. Each thread has its own record (SenderThreadJob), so a post
// to one thread never changes a job another thread is about to run. A job
// the user clicked for may instead wait, one at a time, for the thread to
// end its job (MIDIMessageManager::postOrWait): the thread then runs it
// before it ends.
//
// Jobs never throw. They report only through the status displays, the
// progress overlay and the shared flags. Every pause goes through sleep(),
// which tests replace with a virtual clock and which shutdown() cuts short.
//
// Contents, in reading order:
//   JOB CODES AND RECORD
//   SENDER: running, time, jobs          MIDIMessageSender.cpp
//   REQUESTS AND THE ANSWER HANDSHAKE    MIDIMessageSenderRequests.cpp
//   SENDING SOUNDS, BANKS, GLOBALS       MIDIMessageSenderSends.cpp
//   MIDI CLOCK                           MIDIMessageSenderClock.cpp
#pragma once

#include <Poco/Runnable.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class LibrarianPatch;
class MIDIMessageManager;
class PatchManager;
class EditorServices;

// ==== JOB CODES AND RECORD ===================================================

// The job codes of the whole system, with the thread each runs on.
enum SenderJobCode {
  kJobSendArrangement = 0,           // data: send the current sound (or store it into the librarian)
  kJobSendGlobal = 1,                // never posted; the global send is called directly
  kJobSendLibrarianPatch = 2,        // data
  kJobStoreAllPatches = 3,           // data
  kJobActiveArrangementRequest = 4,  // data: request the current sound
  kJobPartRequest = 5,               // data: request one program
  kJobSinglePatchRequest = 6,        // data
  kJobAllPatchRequest = 7,           // data
  kJobInitClassicPatch = 8,          // data
  kJobDeviceIdEnquiry = 9,           // data
  kJobNothing = 10,                  // run returns at once
  kJobStartClock = 11,               // transport
  kJobContinuousClock = 12,          // clock
  kJobStopClock = 13,                // transport
};

// One job with its arguments. Only the fields of the job's code are read.
struct SenderJob {
  int jobCode = kJobNothing;
  const LibrarianPatch* librarianPatch = nullptr;  // job 2; not owned, must outlive the job
  int partProgram = 0;                             // job 5
  int storeColumn = 0;                             // job 3: 0 upper list, otherwise lower list
  int requestCount = 0;                            // job 7
  bool requestEnabled = false;                     // jobs 4 and 5; every poster sets it
  int globalDeviceId = 0;                          // job 1 (not used by the job)
  bool editBufferRequest = false;                  // job 6: edit buffer (true) or selected program
  bool storeToLibrarian = false;                   // job 0: into the librarian (true) or to the synthesizer
  bool initOnRequest = false;                      // job 8
  int clockArgument = 0;                           // job 12 (not used by the job)
};

// What a job does, in the words of the status display ("Sound send",
// "Request of program 5", ...); empty for codes that are never posted.
std::string jobActionText(const SenderJob& job);

// ==== SENDER =================================================================

class MIDIMessageSender : public Poco::Runnable {
 public:
  // The pauses of the jobs. sleep(milliseconds) must return after that time,
  // or earlier once the sender shuts down.
  using SleepFunction = std::function<void(int milliseconds)>;

  // manager and plug must outlive the sender; the manager deletes it.
  MIDIMessageSender(MIDIMessageManager* manager, PatchManager* patchManager, EditorServices* plug);
  ~MIDIMessageSender() override;

  // Runs the job of the sender's own record `job`, as it stands at the start.
  void run() override;
  // Runs one job. Codes outside 0 to 13, 1 and 10 return at once (job 1 is
  // only ever called directly).
  void runJob(const SenderJob& job);

  // Ends every running job at its next check: cancels requests, ends the
  // clock loop and the waits, and cuts every sleep short from now on. The
  // manager calls it before it joins the threads.
  void shutdown();
  bool isShuttingDown() const { return shuttingDown.load(); }

  // Replaces the pauses (tests: a virtual clock). Null restores the real one.
  // Set it only while no job runs.
  void setSleepFunction(SleepFunction function);
  void sleep(int milliseconds);

  // ---- Requests and the answer handshake ----------------------------------
  void sendActiveArrangementRequestSysex(bool requestEnabled);  // job 4
  void sendPartRequestSysex(bool requestEnabled, int program);  // job 5
  void sendSinglePatchRequestSysex(bool editBuffer);            // job 6
  void sendAllPatchRequestSysex(int count);                     // job 7
  void sendDeviceIdEnquiry();                                   // job 9

  // ---- Sending sounds, banks and global settings --------------------------
  // Job 0. Sent to the synthesizer, the sound follows the global dump when
  // the flags ask for it and every global setting is known
  // (EditorFlags::knownGlobalSettings); otherwise the sound goes alone.
  void sendArrangementToDevice(bool storeToLibrarian);
  // Job 1: the global dump of the editor's global settings. Sends nothing,
  // and changes no flag, while a setting is not known: the dump would write
  // a value the Varno did not have.
  void sendGlobalToDevice(int unused);
  // Every global setting holds the Varno's value or one the user gave it.
  bool globalSettingsKnown() const;
  // Job 2: the patch's first message to the edit buffer (a whole sound dump
  // with a fresh checksum; a shorter framed message with only its device,
  // command and program bytes written), then every message of the patch, as
  // stored, to the editor's receive side. Without a MIDI output nothing is
  // sent ("Set MIDI I/O First!") but the editor still takes the patch. A
  // null patch does nothing.
  void sendPatchToDeviceFromLibrarian(const LibrarianPatch* patch);
  // Job 3: the first 40 patches of the column's bank into programs 0 to 39;
  // ends at the first slot without a patch or message; a patch without a
  // whole first message is skipped; no MIDI output sends nothing.
  void storeAllPatchesToDeviceFromLibrarian(int column);
  void initClassicPatch(bool initOnRequest);  // job 8

  // The 7-bit running sum of bytes 5 to size - 3; 0 for a message too short
  // to have that range.
  static unsigned calculateCheckSum(const std::vector<unsigned char>& message);

  // ---- MIDI clock ----------------------------------------------------------
  void startMIDIClockOutput();  // job 11
  void stopMIDIClockOutput();   // job 13
  // Job 12: F8 at 24 per quarter note on an absolute grid of due times, slept
  // to with the monotonic clock, until resetContinuousClock(true), shutdown
  // or a closed output. A tempo below 2 BPM counts as no tempo.
  void sendContinuousMIDIClock(int unused);
  // stop false lets the clock loop run, true ends it.
  void resetContinuousClock(bool stop);
  // The tempo the clock would use now: the host's when kOverrideTempo is 1,
  // else the "tempoValues" entry at kArpTempo; 0 when none.
  int readClockTempo();
  // Nanoseconds between two timing clocks at tempo (2 or more) BPM.
  static int32_t clockIntervalFor(int tempo);

  // ---- Fields -------------------------------------------------------------
  SenderJob job;  // the record of run()

  std::atomic<bool> timedOut{false};         // the last request got no answer or was cancelled
  std::atomic<bool> cancelRequested{false};  // "Cancel Data Request"; cleared when a request starts
  std::atomic<bool> clockRunning{false};     // the clock loop runs while set
  std::atomic<int32_t> clockInterval{0};     // nanoseconds between two timing clocks

  MIDIMessageManager* manager;
  PatchManager* patchManager;
  EditorServices* plug;

 private:
  // The device byte of requests: kGlobalDeviceID truncated, 0 when not above 0.
  int deviceIdForRequest() const;
  // The answer wait of jobs 4 to 7. request(id) sends the job's request with
  // id as device byte; scanSleep is the pause after each scan send. Returns
  // the ID whose scan send was answered, or -1 (no scan answer).
  enum class WaitEnd { Answered, TimedOut, Cancelled };
  WaitEnd waitForAnswer(int wait, int scanSleep, const std::function<void(int)>& request, int* foundId);
  // Sends a request through the plug-in's checksumCheckAndSend.
  void sendRequest(std::vector<unsigned char> request);
  // Jobs 4 and 5: a request whose answer goes to the editor. shortWait is the
  // pause after each scan send and before the end texts.
  void requestForEditor(bool requestEnabled, unsigned char command, int program, int wait, int shortWait);
  // The ending of jobs 6 and 7 after the last wait, received of requested
  // patches having arrived. A time-out that let some arrive marks the bank
  // unsaved, as a whole answer does.
  void endLibrarianRequest(int received, int requested);
  // Jobs 6 and 7 without an edited bank (the library is empty) would
  // request patches that have nowhere to go: they say so, disarm the
  // library request and end (true).
  bool refuseWithoutEditedBank();
  // The value line of a request that starts; the CC line cleared.
  void showRequestLines(const std::string& value);
  // Adopts an ID found by a scan for the rest of a run and, when it fits the
  // parameter, into kGlobalDeviceID.
  void adoptScannedDeviceId(int id);
  // Writes a value, limited to the parameter's range, into it.
  void setParameter(int index, double value);
  double parameter(int index) const;
  // Sends through SendMidiSysex2 when an output is open; otherwise shows
  // "Set MIDI I/O First!" and returns false.
  bool sendRaw(const std::vector<unsigned char>& bytes);
  // Sends control change 123 (all notes off) on MIDI channel 1.
  void sendAllNotesOff();
  // Starts a librarian send: with no output port chosen shows "Set MIDI I/O
  // First!" and returns false; otherwise shows the processing indicator,
  // silences the synthesizer and gives it 50 ms.
  bool beginLibrarianSend();

  int scannedDeviceId = -1;  // the ID a scan found for the current job; -1 none

  std::atomic<bool> shuttingDown{false};
  std::mutex sleepMutex;
  std::condition_variable sleepWake;
  SleepFunction sleepFunction;
};

// The runnable of one worker thread: its own job record, run on the sender.
// After each job it asks next for a job that waited for the thread and runs
// that too; it ends when next has none (or is not set).
class SenderThreadJob : public Poco::Runnable {
 public:
  // Fills the record with the job that waited and returns true, or returns
  // false: the thread then counts as idle and ends.
  using NextJob = std::function<bool(SenderJob* job)>;

  explicit SenderThreadJob(const std::unique_ptr<MIDIMessageSender>& sender, NextJob next = nullptr)
      : sender(sender), next(std::move(next)) {}
  void run() override;

  SenderJob job;  // written by a poster only while the thread is idle

 private:
  const std::unique_ptr<MIDIMessageSender>& sender;  // the manager's, read at each run
  NextJob next;
};
