// Posting of the sender's jobs and the teardown of the worker threads. A job
// goes to its thread only while that thread is idle; a post to a busy thread
// is dropped (there is no queue).
#include <mutex>

#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/VivivI.h"
#include "src/debugger.h"

MIDIMessageManager::Worker* MIDIMessageManager::workerFor(int jobCode) {
  switch (jobCode) {
    case kJobSendArrangement:
    case kJobSendLibrarianPatch:
    case kJobStoreAllPatches:
    case kJobActiveArrangementRequest:
    case kJobPartRequest:
    case kJobSinglePatchRequest:
    case kJobAllPatchRequest:
    case kJobInitClassicPatch:
    case kJobDeviceIdEnquiry:
      return &dataWorker;
    case kJobStartClock:
    case kJobStopClock:
      return &transportWorker;
    case kJobContinuousClock:
      return &clockWorker;
    default:
      return nullptr;
  }
}

bool MIDIMessageManager::startJob(Worker& worker, const SenderJob& job) {
  // A finished run keeps its thread's resources until it is joined.
  if (worker.joinable) worker.thread.join();
  worker.joinable = false;
  worker.runnable.job = job;
  try {
    worker.thread.start(worker.runnable);
  } catch (...) {
    return false;  // the thread could not be started: the job is dropped
  }
  worker.joinable = true;
  return true;
}

bool MIDIMessageManager::postJob(const SenderJob& job) {
  std::lock_guard<std::mutex> lock(postMutex);
  Worker* worker = workerFor(job.jobCode);
  if (!worker || stopping || worker->thread.isRunning()) return false;
  switch (job.jobCode) {
    case kJobActiveArrangementRequest:
    case kJobPartRequest:
    case kJobInitClassicPatch:
      soundDumpExpected = true;
      break;
    case kJobSinglePatchRequest:
    case kJobAllPatchRequest:
    case kJobDeviceIdEnquiry:
      slotStored = false;
      break;
    default:
      break;
  }
  return startJob(*worker, job);
}

SenderJob MIDIMessageManager::postedJob(const Poco::Thread& thread) const {
  for (const Worker* worker : {&dataWorker, &transportWorker, &clockWorker})
    if (&worker->thread == &thread) return worker->runnable.job;
  return SenderJob();
}

bool MIDIMessageManager::postPartRequest(int program) {
  SenderJob job;
  job.jobCode = kJobPartRequest;
  job.requestEnabled = true;
  job.partProgram = program;
  return postJob(job);
}

void MIDIMessageManager::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer) {
  libraryPatchRequest.arm();
  slotStored = false;
  SenderJob job;
  job.jobCode = kJobSinglePatchRequest;
  job.editBufferRequest = editBuffer;
  postJob(job);
}

void MIDIMessageManager::sendAllPatchRequestSysexFromLibrarian(int count) {
  libraryPatchRequest.arm();
  slotStored = false;
  SenderJob job;
  job.jobCode = kJobAllPatchRequest;
  job.requestCount = count;
  postJob(job);
}

void MIDIMessageManager::sendSysexMessage(std::vector<int> message) {
  const IParam* output = plug->GetParam(kDeviceOutSelection);
  if (!output || static_cast<int>(output->Value()) == 0) {
    plug->setStatusText("Set MIDI I/O First!");
    return;
  }
  if (message.empty()) return;
  std::vector<unsigned char> bytes;
  bytes.reserve(message.size());
  for (int value : message) bytes.push_back(static_cast<unsigned char>(value & 0xFF));
  plug->SendMidiSysex(bytes.data(), static_cast<int>(bytes.size()));
  DebuggerOutput::logSysExOutMessageByteInt(message, static_cast<int>(message.size()));
}

void MIDIMessageManager::waitForJobs() {
  std::lock_guard<std::mutex> lock(postMutex);
  for (Worker* worker : {&dataWorker, &transportWorker, &clockWorker}) {
    if (worker->joinable) worker->thread.join();
    worker->joinable = false;
  }
}

void MIDIMessageManager::stopWorkers() {
  {
    std::lock_guard<std::mutex> lock(postMutex);
    stopping = true;  // no post starts a thread from here on
  }
  sender->shutdown();
  for (Worker* worker : {&dataWorker, &transportWorker, &clockWorker}) {
    if (worker->joinable) worker->thread.join();
    worker->joinable = false;
  }
}
