// The simulated Varno without ports: edit buffer, 99 programs, global settings
// and performance settings; it takes every message the chart lists, answers
// requests at its own device ID, builds what its panel would send, and keeps a
// time-stamped record of everything received and sent. Not thread-safe: the
// program around it serialises calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tools/varno-sim/VarnoGlobals.h"
#include "tools/varno-sim/VarnoMessages.h"
#include "tools/varno-sim/VarnoSound.h"

namespace varno {

struct SynthSettings {
  int deviceId = 0;              // limited to 0..15
  bool strictChecksum = false;   // refuse sound dumps whose checksum is wrong
  size_t recordBudget = 100000;  // records kept; the oldest go first
};

enum class Direction : uint8_t { Received, Sent };

enum class Outcome : uint8_t {
  Applied,   // taken (values changed, or a message that changes nothing by design)
  Answered,  // a request that was answered
  Ignored,   // not taken; the fault says why
  Sent,      // a message the Varno sent
};
const char* outcomeName(Outcome outcome);

// One received or sent message. fault is None, or why it was ignored, or
// ChecksumMismatch for a dump taken in spite of its checksum.
struct Record {
  int64_t timeMicroseconds = 0;
  Direction direction = Direction::Received;
  std::string kind;  // "sound-dump", "control-change", "clock", ...
  Outcome outcome = Outcome::Applied;
  Fault fault = Fault::None;
  Bytes bytes;
};

// The factory content of program 0..98: program 0 is the initial sound; program
// p >= 1 gives parameter i (with a dump byte) the value minimum + (7p + 5i)
// mod (maximum - minimum + 1), and its clock code is p mod 11.
Sound factoryProgram(int program);

class Synth {
 public:
  explicit Synth(const SynthSettings& settings = SynthSettings());

  // Handles one complete message from the input port at the given time and
  // returns what the Varno sends in answer (a dump for a request), in order.
  // Any bytes are accepted: a short, malformed or foreign message is recorded
  // as ignored and changes nothing.
  std::vector<Bytes> receive(const uint8_t* data, size_t size, int64_t timeMicroseconds);

  // Panel use. turn sets a sound, performance or global setting (limited to its
  // range) and returns the messages the Varno transmits for it by Control X;
  // an unknown index returns nothing and changes nothing. selectProgram loads
  // program 0..98 and returns its program change (none for Control X 3 or a
  // program outside 0..98).
  std::vector<Bytes> turn(int index, int value);
  std::vector<Bytes> selectProgram(int program);

  // Messages for the current state, for the caller to send. Empty when the
  // index has no such message or an argument is outside its range.
  Bytes parameterMessage(int index) const;
  Bytes controlChange(int controller, int data) const;  // on the transmit channel
  Bytes programChange(int program) const;
  Bytes editBufferDump() const;
  Bytes programDump(int program) const;
  Bytes globalDump() const { return buildGlobalDump(m_globals); }

  // While false, requests are recorded as ignored (NotAnswering) and get no answer.
  void setAnswering(bool answering) { m_answering = answering; }
  bool answering() const { return m_answering; }

  // The value of a sound parameter (0..71), performance setting or global
  // setting; -1 for an unknown index. setValue changes it without any message.
  int value(int index) const;
  bool setValue(int index, int value);

  const Sound& editBuffer() const { return m_editBuffer; }
  const Sound& program(int program) const;  // program limited to 0..98
  int currentProgram() const { return m_currentProgram; }
  const GlobalValues& globals() const { return m_globals; }
  // MIDI channel 0..15 the Varno transmits on (channel 1 when OMNI).
  int transmitChannel() const;

  // Adds a record of a message the program has just sent.
  void noteSent(const Bytes& bytes, int64_t timeMicroseconds);
  const std::deque<Record>& records() const { return m_records; }
  size_t droppedRecords() const { return m_droppedRecords; }
  void clearRecords();

 private:
  std::vector<Bytes> receiveSysEx(const uint8_t* data, size_t size, Record& record);
  void receiveChannelMessage(const uint8_t* data, size_t size, Record& record);
  void receiveControlChange(int channel, int controller, int data, Record& record);
  void applySoundDump(const uint8_t* dump);
  void applyGlobalDump(const uint8_t* dump);
  bool hearsChannel(int channel) const;
  int controllerData(const SoundParameter& parameter) const;
  void addRecord(Record record);

  SynthSettings m_settings;
  Sound m_editBuffer;
  std::array<Sound, kProgramCount> m_programs;
  std::array<int, kSoundParameterCount> m_performance{};  // parameters no dump carries
  GlobalValues m_globals;
  int m_currentProgram = 0;
  bool m_answering = true;
  std::array<int, 16> m_numberMsb{};  // selected parameter number per channel, -1 none
  std::array<int, 16> m_numberLsb{};
  std::deque<Record> m_records;
  size_t m_droppedRecords = 0;
};

}  // namespace varno
