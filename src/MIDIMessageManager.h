// The plug-in's link to the synthesizer: everything received from the
// synthesizer and the host (SysEx dumps and parameter messages, library
// transfers, channel messages), the sound randomiser, and the worker thread on
// which the sender runs its hardware jobs.
//
// The receive side reports nothing: an unexpected, foreign or malformed
// message is ignored silently and changes nothing. It runs on the MIDI input
// thread (and on the host's threads for host MIDI) without a lock; the flags
// below are shared with the worker threads and the host's threads.
//
// Contents, in reading order:
//   CONSTRUCTION                          MIDIMessageManager.cpp
//   SYSEX RECEIVE                         MIDIMessageManagerSysEx.cpp
//   CHANNEL MESSAGES                      MIDIMessageManagerChannel.cpp
//   RANDOMISER                            MIDIMessageRandomizer.cpp
//   JOB POSTING                           MIDIMessageManagerJobs.cpp
#pragma once

#include <Poco/Thread.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "src/LibraryPatchRequest.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"

class IControl;
class IGraphics;
class PatchLibrarian;
class PatchManager;
class EditorServices;
struct IMidiMsg;
struct ISysEx;

class MIDIMessageManager {
 public:
  // ==== CONSTRUCTION =========================================================

  // Stores the four pointers (none owned), clears every flag and creates the
  // sender. Starts no thread and sends nothing.
  MIDIMessageManager(EditorServices* plug, PatchManager* patchManager, PatchLibrarian* patchLibrarian,
                     IGraphics* graphics);
  MIDIMessageManager(const MIDIMessageManager&) = delete;
  MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;
  // Ends running jobs and joins the three threads before the sender is
  // deleted.
  ~MIDIMessageManager();

  // ==== SYSEX RECEIVE ========================================================

  // The dispatcher. Accepts only a message from the synthesizer (fromDevice)
  // of 4 bytes or more, not of size 6, with byte 1 = 0x3E, byte 2 = 0x0B or
  // 0x16 and byte 3 below 0x80; anything else is ignored. Then, by the flags
  // and the size:
  // - a librarian transfer is active: the message goes to the library request;
  //   a completed patch is stored into the selected library slot;
  // - 71 bytes or more while a sound dump is expected: sysexPartPatchParse;
  // - 11 bytes or more once the start-up enquiry was sent: sysexSettingsParse
  //   (a message of 25 bytes or more goes no further otherwise);
  // - otherwise, while no sound dump is expected, a 10-byte parameter message
  //   F0 3E model 58 41 c d v x F7 moves the control filed under bytes 3 to 6.
  // The synthesizer's device ID is adopted from byte 3 of a sound or global
  // dump that its parser accepts; never from a parameter message, whose byte 3
  // is the constant 0x58.
  void ProcessSysEx(ISysEx* sysex, bool fromDevice);

  // Applies a sound dump: ignored unless 76 bytes or more, byte 1 = 0x3E,
  // byte 2 = 0x0B and byte 3 at most 15 (command and checksum are not tested).
  // Takes the name (bytes 76 to 89 without zero bytes, when present; else
  // "REQUESTED") and the category (byte 90, when present), then sets bytes 5
  // to 70 into their parameters, skipping every byte whose section lock is on
  // (the locks are read once, before anything is applied). Values reach the
  // controls without a change handler, so nothing is sent back; the value
  // each sound control last sent is forgotten (forgetSoundValuesSent). Sets
  // slotStored when done.
  void sysexPartPatchParse(ISysEx* sysex);

  // Applies a global dump: ignored unless exactly 12 bytes, byte 1 = 0x3E,
  // byte 2 = 0x0B and byte 4 = 0x08. Sets the five global settings of bytes 5
  // to 9 (master tune = byte - 54) and slotStored.
  void sysexSettingsParse(ISysEx* sysex);

  // The two steps of the parameter-message path as separate operations.
  // processSysExToUI: for a control (null: nothing, null returned) clears the
  // hardware-value and sound-dump flags and moves the control to value
  // (normalised with its parameter's range); with markHardware the hardware-
  // value flag is set around it; with refreshMainTab OnParamChange2(kMainTab)
  // follows. unused has no effect.
  IControl* processSysExToUI(IControl* control, int value, bool refreshMainTab, bool unused,
                             bool markHardware);
  // getNormalControl: finds the control filed under the four bytes (value
  // index 0) and applies value as above; none found sets controlMissing.
  // Returns the control, or null.
  IControl* getNormalControl(int byte3, int byte4, int byte5, int byte6, int value, bool markHardware);

  // ==== CHANNEL MESSAGES =====================================================

  // A channel message from the synthesizer. Drops kinds whose device filter is
  // set; moves the control of a control change; follows a program change
  // (selects the program in the librarian and sends its patch in librarian
  // mode, else requests its sound); lights the activity indicator; passes the
  // message on to the output while local control is clear. Program changes
  // are not passed on.
  void ProcessMidiMsgFromDevice(IMidiMsg* msg);
  // A channel message from the host; ignored while no MIDI output is open. The
  // same with the host filters; a program change also goes to the synthesizer
  // (SendProgramChangeCommand with argument); every message that passes the
  // filters is passed on to the output.
  void ProcessMidiMsgFromDAW(IMidiMsg* msg, int argument);
  // Moves the control of one incoming control change: looked up under (0,
  // controller, table 0), then (channelKey, controller, table 1), then table
  // 2; none found does nothing. From the synthesizer the value is decoded:
  // controller 105 value - 1; 32, 36, 42 value - 16 with the octave indicators;
  // the control of kGlobalLocalControl follows local control; 38 and 41
  // refresh the main tab. The value is normalised with the parameter's range.
  void getLegacyCCparam(int controller, int channelKey, int value, bool refreshMainTab, bool fromDevice);

  // ==== RANDOMISER ===========================================================
  // Runs on the host's main thread inside the parameter-change handler.

  // Seeds the process's generator with the time in seconds and stores
  // rand() % 256 into entries 0 to 75 of the plug-in's random array.
  void randomGenerator();
  // Folds random entry randomIndex into the range of parameter: for a maximum
  // of 1 the parity of the byte, else the byte less the maximum as often as it
  // lies above the range. Always returns a value within the parameter's range;
  // a parameter whose maximum is 0 or below keeps its value; an unknown
  // parameter gives 0.
  int randomizer(int parameter, int randomIndex);
  // Gives every sound byte 6 to 70 whose section lock is off a folded random
  // value (no change handler runs, nothing is sent; the values last sent are
  // forgotten). unused has no effect.
  void randomizePatchSettings(int unused);

  // ==== JOB POSTING ==========================================================

  // The posting rule: the job goes to its thread (data: 0 and 2 to 9;
  // transport: 11 and 13; clock: 12) only while that thread is idle. The
  // manager's flags of the job are set (sound dump expected before 4, 5 and
  // 8; slot-stored cleared before 6, 7 and 9), the thread's own record is
  // written and the thread started. Returns false, having changed nothing,
  // when the thread is running, for codes that are never posted (1, 10,
  // outside 0 to 13), after teardown began, or when the thread cannot start.
  bool postJob(const SenderJob& job);
  // What became of a job posted with postOrWait.
  enum class JobPost {
    kStarted,  // the thread was idle and runs it now
    kWaiting,  // the thread is busy: the job runs as soon as it ends
    kRefused,  // another job waits already, teardown began, or no thread
  };
  // The posting of a job the user clicked for: as postJob, but a job for a
  // busy data thread waits (one at a time) and the thread runs it when its
  // job ends, with the job's flags set then. The status and value lines say
  // that the job waits or, when another one waits already, that it was not
  // started, so that no click is lost without a word. Jobs of the transport
  // and clock threads are never kept.
  JobPost postOrWait(const SenderJob& job);
  // The lines of a click whose job could not start: the Varno is busy, the
  // job's action was not started.
  void reportBusy(const SenderJob& job);
  // Waits until the jobs running on the three threads have ended, and joins
  // them. Posts from other threads wait meanwhile.
  void waitForJobs();
  // The job record last posted to thread (one of the three), or an empty
  // record (kJobNothing). Read it only while the thread is idle.
  SenderJob postedJob(const Poco::Thread& thread) const;
  // Posts job 5 (request the sound of program) on the data thread; for a
  // click (clicked) as postOrWait does. True when it runs or waits.
  bool postPartRequest(int program, bool clicked = false);
  // Librarian requests: empty and arm the library request and clear the
  // slot-stored flag, then post job 6 (one sound: the edit buffer when
  // editBuffer, else the program of the selected upper slot) or job 7 (count
  // programs from program 0). They are the user's clicks: for a busy data
  // thread the job waits (postOrWait) and the request is not armed until
  // the job arms it.
  void sendSinglePatchRequestSysexFromLibrarian(bool editBuffer);
  void sendAllPatchRequestSysexFromLibrarian(int count);
  // Sends a SysEx-type control's message: without an output port chosen
  // (kDeviceOutSelection 0) shows "Set MIDI I/O First!"; an empty message
  // does nothing; otherwise each int's low 8 bits go out through
  // SendMidiSysex (framed when the first byte is not F0) and are logged.
  void sendSysexMessage(std::vector<int> message);

  // ==== FIELDS ===============================================================

  std::unique_ptr<MIDIMessageSender> sender;
  EditorServices* plug;
  PatchManager* patchManager;
  IGraphics* graphics;
  PatchLibrarian* patchLibrarian;
  LibraryPatchRequest libraryPatchRequest;

  // Shared flags: each is written by one thread and polled by another.
  std::atomic<bool> soundDumpExpected{false};      // a message of 71 bytes or more is a sound dump
  std::atomic<bool> refreshMainTab{false};         // switch to the main tab after the message
  std::atomic<bool> controlMissing{false};         // a parameter message found no control
  std::atomic<bool> receiveBusy{false};            // a record or a dump is being handled
  std::atomic<bool> valueFromHardware{false};      // a value from the synthesizer is being applied
  std::atomic<bool> slotStored{false};             // a dump was parsed or a librarian record completed
  std::atomic<bool> messageFromHost{false};        // the last channel message came from the host
  std::atomic<bool> keepPatchName{false};          // the next nameless dump (a read-back) keeps the name
  std::atomic<uint32_t> lastProgramChangeTime{0};  // GetTickCount() of the last program change
  // The device byte (header byte 3) of the last answer handled: a dump, a
  // global dump or a completed librarian record; -1 before the first. A
  // device-ID scan credits this ID, not the one it was asking when the
  // answer came, so a late answer cannot make a run adopt the wrong ID.
  std::atomic<int> answerDeviceId{-1};

  // Constructed in this order; each has its own job record below.
  Poco::Thread dataThread;
  Poco::Thread transportThread;
  Poco::Thread clockThread;

 private:
  // One worker thread: the thread, its job record, whether a finished run
  // still waits to be joined, and the job that waits for the thread.
  struct Worker {
    Worker(Poco::Thread& thread, SenderThreadJob runnable) : thread(thread), runnable(std::move(runnable)) {}
    Poco::Thread& thread;
    SenderThreadJob runnable;
    bool joinable = false;    // guarded by postMutex
    bool busy = false;        // a job was started and the thread has not yet found none waiting
    bool hasWaiting = false;  // guarded by postMutex, as waiting
    SenderJob waiting;
  };
  // The worker of a job code; null for codes that are never posted.
  Worker* workerFor(int jobCode);
  // Starts the worker on job after joining its last run. False when the
  // thread cannot start.
  bool startJob(Worker& worker, const SenderJob& job);
  // Arms the library request when the data thread is idle, then postOrWait.
  void postLibrarianRequest(const SenderJob& job);
  // Sets the manager's flags of a job as it starts.
  void setFlagsOfJob(const SenderJob& job);
  // On the worker's own thread when its job ended: the waiting job into job
  // (true), or false, marking the worker idle. None after teardown began.
  bool takeWaitingJob(Worker& worker, SenderJob* job);
  // Ends running jobs and joins the threads (teardown).
  void stopWorkers();
  // The fourteen section locks, read once: entry i is on for lock
  // kSectionLockOsc1 + i.
  std::array<bool, VarnoSysEx::kNumSectionLocks> readSectionLocks() const;

  // Writes the device byte into kGlobalDeviceID (limited to its range, no
  // handler, its controls following) and into the plug-in's device ID when
  // it differs.
  void adoptDeviceId(int deviceByte);
  // Moves a control to value through the hardware path (SetValueFromHardware
  // with the value normalised to the control's parameter); nothing for a
  // control without a parameter or with an empty range.
  void applyHardwareValue(IControl* control, double value);
  // Sets a parameter from a value in its own units without any change
  // handler: through the GUI when one is attached, else on the parameter.
  void setParameterFromPlug(int index, double value);
  // After a whole sound reached the sound parameters without their change
  // handlers: the value each sound control last sent is no longer what the
  // synthesizer holds, so the next change of any of them is sent whatever
  // its value.
  void forgetSoundValuesSent();
  // Writes value, limited to the parameter's range, straight into it.
  void writeParameterValue(int index, double value);
  // Writes the text as the parameter's display text 0 (the name or category
  // a main-tab switch shows), under the plug-in's lock.
  void setDisplayTextZero(int index, const std::string& text);
  // The path of a channel message from either source (see the two entries).
  void processChannelMessage(IMidiMsg& msg, bool fromHost, int argument);
  // Selects program in the librarian: both rows of the list and the library's
  // selected upper slot.
  void selectLibrarianProgram(int program);
  // Lights the activity indicator for a message on channel.
  void lightActivityIndicator(int channel);

  std::mutex postMutex;                // posters of every thread take turns
  bool stopping = false;               // teardown began; guarded by postMutex
  std::condition_variable workerIdle;  // a worker found no waiting job
  Worker dataWorker{dataThread, SenderThreadJob(sender, [this](SenderJob* job) {
                      return takeWaitingJob(dataWorker, job);
                    })};
  Worker transportWorker{transportThread, SenderThreadJob(sender, [this](SenderJob* job) {
                           return takeWaitingJob(transportWorker, job);
                         })};
  Worker clockWorker{clockThread, SenderThreadJob(sender, [this](SenderJob* job) {
                       return takeWaitingJob(clockWorker, job);
                     })};
  // The first steps of a program change from either source: writes program
  // into kCurrentPatch and records the time; false (time not recorded) when
  // the kind is filtered or the part lock is on.
  bool takeProgramChange(int program, bool filtered);
  // In librarian mode: selects program, pauses 200 ms and sends the patch of
  // that slot of the librarian's active column to the synthesizer.
  void sendLibrarianProgram(int program);
  // Otherwise: expects a sound dump, ends a librarian request, posts the
  // request of program (dropped when the data thread is busy) and selects it
  // in the librarian.
  void requestProgramSound(int program);
};
