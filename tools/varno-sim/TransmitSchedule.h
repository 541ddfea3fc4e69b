// When the Varno's answers leave its output: at once, late, never, and either
// instantly or at the pace of a MIDI cable (31 250 baud, ten bits a byte,
// 320 microseconds a byte). The output is one line: messages leave in the
// order they were handed over, each after the one before has finished.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varno {

constexpr int64_t kCableMicrosecondsPerByte = 320;

enum class AnswerMode : uint8_t { Now, Late, Never };
enum class Pace : uint8_t { Instant, Cable };

struct OutputPolicy {
  AnswerMode answerMode = AnswerMode::Now;
  int64_t lateMicroseconds = 0;  // extra delay of answers in AnswerMode::Late
  Pace pace = Pace::Instant;
};

class TransmitSchedule {
 public:
  // The time at which a message of byteCount bytes handed over at readyAt is
  // complete at the receiver: it starts when the line is free and not before
  // readyAt, and at cable pace it takes byteCount x 320 microseconds. Times
  // only grow: a message never completes before one handed over earlier.
  int64_t schedule(size_t byteCount, int64_t readyAt, Pace pace);

  // The delay an answer waits before it is handed over under the policy
  // (0, or lateMicroseconds in AnswerMode::Late; never negative).
  static int64_t answerDelay(const OutputPolicy& policy);

 private:
  int64_t m_lineFreeAt = 0;
};

}  // namespace varno
