#include "src/MIDIMessageSender.h"

void MIDIMessageSender::run() {
  int code;
  {
    std::lock_guard<std::mutex> lock(recordMutex);
    code = jobCode;
  }
  // A code without a job of its own ends the thread at once.
  static_cast<void>(code);
}
