#include "src/debugger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <mutex>

#include "KIT/regularfile.h"
#include "src/EditorServices.h"

namespace {

// Lines of one process also stay whole when a write comes back short.
std::mutex& logWriteMutex() {
  static std::mutex mutex;
  return mutex;
}

// Writes all bytes, resuming after a signal or a short write.
void writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (written == 0) return;
    data += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace

bool DebuggerOutput::openDebugFile(const std::string& path) {
  // Both opens refuse anything but a regular file without waiting, so that
  // a pipe under the log's name cannot hang start-up.
  const int reader = KIT_OpenRegularFile(path.c_str(), O_RDONLY);
  if (reader < 0) return false;
  ::close(reader);
  const int writer = KIT_OpenRegularFile(path.c_str(), O_WRONLY | O_TRUNC);
  if (writer < 0) return false;
  ::close(writer);
  return true;
}

void DebuggerOutput::printDebugInfo(const std::string& path, const std::string& text) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char stamp[81];
  size_t stampLength = 0;
  if (::localtime_r(&now, &local)) stampLength = std::strftime(stamp, sizeof stamp, "%Y-%m-%d.%X", &local);

  // The line is formed whole first: one write puts it at the end of the file
  // (O_APPEND), so no other writer's bytes can land inside it.
  std::string line;
  line.reserve(stampLength + 2 + text.size() + 1);
  line.append(stamp, stampLength).append("\t ").append(text).push_back('\n');

  std::lock_guard<std::mutex> hold(logWriteMutex());
  // A pipe put in the log's place later is not written: the line is lost.
  const int fd = KIT_OpenRegularFile(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
  if (fd < 0) return;
  writeAll(fd, line.data(), line.size());
  ::close(fd);
}

void DebuggerOutput::logSysExOutMessageByte(const unsigned char*, int) {}

void DebuggerOutput::logSysExOutMessageByteInt(const std::vector<int>&, int) {}

bool DebuggerOutput::compareMIDIdata(EditorServices* plug, IMidiMsg msg) {
  if (!plug) return false;
  IMidiMsg& last = plug->lastComparedMidiMsg;
  if (msg.mStatus == last.mStatus && msg.mData1 == last.mData1 && msg.mData2 == last.mData2) return false;
  last.mStatus = msg.mStatus;
  last.mData1 = msg.mData1;
  last.mData2 = msg.mData2;
  return true;
}
