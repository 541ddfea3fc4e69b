// Posting of the sender's jobs. A job goes to its thread only while that
// thread is idle; a post to a busy thread is dropped (there is no queue).
#include <mutex>

#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"

bool MIDIMessageManager::startJob(Poco::Thread& thread, bool& joinable) {
  // A finished run keeps its thread's resources until it is joined.
  if (joinable) thread.join();
  joinable = false;
  try {
    thread.start(*sender);
  } catch (...) {
    return false;  // the thread could not be started: the job is dropped
  }
  joinable = true;
  return true;
}

bool MIDIMessageManager::postPartRequest(int program) {
  std::lock_guard<std::mutex> lock(sender->recordMutex);
  if (dataThread.isRunning()) return false;
  soundDumpExpected = true;
  sender->jobCode = kJobPartRequest;
  sender->requestEnabled = true;
  sender->partProgram = program;
  return startJob(dataThread, dataThreadJoinable);
}
