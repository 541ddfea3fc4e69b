// Posting of the sender's jobs and the teardown of the worker threads. A job
// goes to its thread only while that thread is idle; a post to a busy thread
// is dropped, except one job the user clicked for, which waits for the data
// thread to end its job.
#include <mutex>

#include "KIT/IModule/IParam.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
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
  // A finished run keeps its thread's resources until it is joined; a run
  // that found no waiting job is about to end.
  if (worker.joinable) worker.thread.join();
  worker.joinable = false;
  worker.runnable.job = job;
  setFlagsOfJob(job);
  try {
    worker.thread.start(worker.runnable);
  } catch (...) {
    return false;  // the thread could not be started: the job is dropped
  }
  worker.joinable = true;
  worker.busy = true;
  return true;
}

bool MIDIMessageManager::postJob(const SenderJob& job) {
  std::lock_guard<std::mutex> lock(postMutex);
  Worker* worker = workerFor(job.jobCode);
  if (!worker || stopping || worker->busy || worker->thread.isRunning()) return false;
  return startJob(*worker, job);
}

MIDIMessageManager::JobPost MIDIMessageManager::postOrWait(const SenderJob& job) {
  std::string refused;
  {
    std::lock_guard<std::mutex> lock(postMutex);
    Worker* worker = workerFor(job.jobCode);
    if (!worker || stopping) return JobPost::kRefused;
    // A run that found nothing waiting has ended its work, even while its
    // thread is still on its way out; a thread running what no post of ours
    // started cannot be waited for.
    const bool foreign = !worker->busy && !worker->joinable && worker->thread.isRunning();
    if (!worker->busy && !foreign) return startJob(*worker, job) ? JobPost::kStarted : JobPost::kRefused;
    if (foreign || worker != &dataWorker || worker->hasWaiting) {
      refused = jobActionText(job);
    } else {
      worker->waiting = job;
      worker->hasWaiting = true;
    }
  }
  // The texts go out without the lock: they may wait for the GUI.
  if (!refused.empty()) {
    reportBusy(job);
    return JobPost::kRefused;
  }
  plug->setDisplayText(kControlDisplayName, "Varno busy - please wait");
  plug->setDisplayText(kControlDisplayValue, jobActionText(job) + " follows");
  plug->setDisplayText(kControlDisplayCC, "");
  return JobPost::kWaiting;
}

void MIDIMessageManager::reportBusy(const SenderJob& job) {
  plug->setDisplayText(kControlDisplayName, "Varno busy - try again");
  plug->setDisplayText(kControlDisplayValue, jobActionText(job) + " not started");
  plug->setDisplayText(kControlDisplayCC, "");
}

bool MIDIMessageManager::takeWaitingJob(Worker& worker, SenderJob* job) {
  std::lock_guard<std::mutex> lock(postMutex);
  if (stopping || !worker.hasWaiting) {
    worker.hasWaiting = false;
    worker.busy = false;
    workerIdle.notify_all();
    return false;
  }
  worker.hasWaiting = false;
  *job = worker.waiting;
  worker.runnable.job = worker.waiting;
  setFlagsOfJob(*job);
  return true;
}

void MIDIMessageManager::setFlagsOfJob(const SenderJob& job) {
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
}

SenderJob MIDIMessageManager::postedJob(const Poco::Thread& thread) const {
  for (const Worker* worker : {&dataWorker, &transportWorker, &clockWorker})
    if (&worker->thread == &thread) return worker->runnable.job;
  return SenderJob();
}

bool MIDIMessageManager::postPartRequest(int program, bool clicked) {
  SenderJob job;
  job.jobCode = kJobPartRequest;
  job.requestEnabled = true;
  job.partProgram = program;
  return clicked ? postOrWait(job) != JobPost::kRefused : postJob(job);
}

// The request is armed only for a job that starts now: armed while another
// job runs, it would take that job's answer into the librarian. A job that
// waits arms it itself when it starts.
void MIDIMessageManager::postLibrarianRequest(const SenderJob& job) {
  std::unique_lock<std::mutex> lock(postMutex);
  const bool idle = !dataWorker.busy && !stopping && (dataWorker.joinable || !dataThread.isRunning());
  lock.unlock();
  if (idle) {
    libraryPatchRequest.arm();
    slotStored = false;
  }
  postOrWait(job);
}

void MIDIMessageManager::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer) {
  SenderJob job;
  job.jobCode = kJobSinglePatchRequest;
  job.editBufferRequest = editBuffer;
  postLibrarianRequest(job);
}

void MIDIMessageManager::sendAllPatchRequestSysexFromLibrarian(int count) {
  SenderJob job;
  job.jobCode = kJobAllPatchRequest;
  job.requestCount = count;
  postLibrarianRequest(job);
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
  std::unique_lock<std::mutex> lock(postMutex);
  for (Worker* worker : {&dataWorker, &transportWorker, &clockWorker}) {
    // A thread takes the lock to look for a waiting job before it ends: the
    // join follows once it found none.
    workerIdle.wait(lock, [worker] { return !worker->busy; });
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
    if (worker->joinable) worker->thread.join();  // no post starts a thread meanwhile
    worker->joinable = false;
  }
}
