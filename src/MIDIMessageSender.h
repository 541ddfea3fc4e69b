// The job runner of the synthesizer link: one record of the job to run and its
// arguments, started on one of the manager's worker threads. Posters follow
// one rule: when the chosen thread is running the job is dropped; otherwise
// they write the record and start the thread on the sender.
//
// This file holds the job codes and the job record. The record is read once,
// at the start of run, so a post to another thread cannot change a job that
// has begun.
#pragma once

#include <atomic>
#include <mutex>

#include <Poco/Runnable.h>

class LibrarianPatch;
class PatchManager;
class VivivI;

// The job codes of the whole system, with the thread each runs on.
enum SenderJobCode {
  kJobSendArrangement = 0,        // data: send the current sound (or store it into the librarian)
  kJobSendGlobal = 1,             // never posted; the global send is called directly
  kJobSendLibrarianPatch = 2,     // data
  kJobStoreAllPatches = 3,        // data
  kJobActiveArrangementRequest = 4,  // data: request the current sound
  kJobPartRequest = 5,            // data: request one program
  kJobSinglePatchRequest = 6,     // data
  kJobAllPatchRequest = 7,        // data
  kJobInitClassicPatch = 8,       // data
  kJobDeviceIdEnquiry = 9,        // data
  kJobNothing = 10,               // run returns at once
  kJobStartClock = 11,            // transport
  kJobContinuousClock = 12,       // clock
  kJobStopClock = 13,             // transport
};

class MIDIMessageSender : public Poco::Runnable {
public:
  MIDIMessageSender(PatchManager* patchManager, VivivI* plug) : patchManager(patchManager), plug(plug) {}
  ~MIDIMessageSender() override = default;

  // Carries out the job of the record as it stands when run starts. Codes
  // outside 0 to 13, and codes whose job this build does not carry, return at
  // once.
  void run() override;

  // The job record, written by posters under recordMutex before they start a
  // thread; run copies it under the same lock.
  std::mutex recordMutex;
  int jobCode = kJobNothing;
  LibrarianPatch* librarianPatch = nullptr;
  int partProgram = 0;
  int storeColumn = 0;
  int requestCount = 0;
  bool requestEnabled = false;
  int globalDeviceId = 0;
  bool editBufferRequest = false;
  bool storeToLibrarian = false;
  bool initOnRequest = false;
  int clockArgument = 0;

  // Set by a request job that ended without an answer or was cancelled.
  std::atomic<bool> timedOut{false};
  // Set when the user presses "Cancel Data Request"; cleared by a request job
  // when it starts.
  std::atomic<bool> cancelRequested{false};

  PatchManager* patchManager;
  VivivI* plug;
};
