#include "tools/varno-sim/TransmitSchedule.h"

namespace varno {

int64_t TransmitSchedule::schedule(size_t byteCount, int64_t readyAt, Pace pace) {
  const int64_t start = readyAt > m_lineFreeAt ? readyAt : m_lineFreeAt;
  const int64_t duration =
      pace == Pace::Cable ? static_cast<int64_t>(byteCount) * kCableMicrosecondsPerByte : 0;
  m_lineFreeAt = start + duration;
  return m_lineFreeAt;
}

int64_t TransmitSchedule::answerDelay(const OutputPolicy& policy) {
  if (policy.answerMode != AnswerMode::Late || policy.lateMicroseconds < 0) return 0;
  return policy.lateMicroseconds;
}

}  // namespace varno
