// Value records of the plug-in framework:
//   IMidiMsg      one short MIDI message with its sample offset
//   ISysEx        one system-exclusive message (pointer and length, not owned)
//   ByteChunk     the growing byte buffer that carries state, parameters, presets
//   ITimeInfo     the host's transport as the host binding reports it
//   IModuleInstanceInfo  what the host binding needs to publish the editor view
// plus the text helpers SysExStr and StatusMsgStr for logs.
#pragma once

#include <cstdint>

#include "KIT/heapbuf.h"
#include "KIT/kitstring.h"

// ---- Short MIDI messages ----------------------------------------------------

struct IMidiMsg {
  // The message type: the high nibble of a channel message's status byte.
  enum EStatusMsg {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,      // one data byte
    kChannelAftertouch = 13,  // one data byte
    kPitchWheel = 14
  };

  // Controller numbers with a fixed meaning; any 0..127 may be passed.
  enum EControlChangeMsg {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kNRPNLSB = 98,
    kNRPNMSB = 99,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kLocalControl = 122,
    kAllNotesOff = 123
  };

  int32_t mOffset = 0;  // sample offset within the current block (0 = at once)
  uint8_t mStatus = 0;  // type in the high nibble, channel 0..15 in the low nibble
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  // Builders: each fills the whole record. The channel (0..15) is or-ed into
  // the status byte; values are 0..1 and become value * 127 truncated toward
  // zero. Nothing is range-checked: the caller keeps channels and values in range.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0, int velocity = 0);
  void MakeControlChangeMsg(int controller, double value, int channel = 0);
  void MakeProgramChangeMsg(double value, int channel = 0);  // data 2 is not part of it
  // value -1..+1 as a 14-bit position 0..16383 (clamped), centre 8192.
  void MakePitchWheelMsg(double value, int channel = 0);
  void Clear();

  // Readers.
  EStatusMsg StatusMsg() const;  // kNone for status below 0x80 or 0xF0..0xFF
  int Channel() const { return mStatus & 0x0F; }
  int MidiChannelIdx() const { return mStatus; }
  int NoteNumber() const;  // data 1 for note off/on and poly aftertouch, else -1
  int Velocity() const;    // data 2 for note off/on, else -1
  int Program() const;     // data 1 for a program change, else -1
  int ControlChangeIdx() const { return mData1; }
  double ControlChange(int controller) const;  // data 2 / 127 for that controller, else -1.0
  double PitchWheel() const;                   // -1 .. 8191/8192 for a pitch wheel, else 0.0

  void LogMsg() const {}  // logging of single messages is switched off
};

struct ISysEx {
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;  // F0 .. F7 when the source gave them; not owned

  ISysEx() = default;
  ISysEx(int32_t offset, const uint8_t* data, int32_t size) : mOffset(offset), mSize(size), mData(data) {}
  void Clear();
  void LogMsg() const {}  // switched off
};

// Writes up to bufferLength / 3 bytes as upper-case hex pairs separated by
// blanks into buffer and returns it. A null or empty message, or a buffer
// shorter than 3 bytes, gives "" (when there is room for the NUL at all).
char* SysExStr(char* buffer, int bufferLength, const uint8_t* data, int size);

// Name of an EStatusMsg value for logs ("noteon " keeps its trailing blank);
// "unknown" for values outside the table.
const char* StatusMsgStr(int status);

// ---- Byte chunks --------------------------------------------------------------

// A byte buffer (granularity 4096) to which values are appended in host byte
// order (little-endian), without padding or tags: int32 4 bytes, bool 1 byte,
// double 8 bytes; a string is its int32 length then its bytes without a NUL.
// Every Put returns the new size. Every Get reads at a start position and
// returns the position behind the value, or -1 with the target unchanged when
// the start is negative or the value would run past the end.
class ByteChunk {
 public:
  ByteChunk() : mBytes(4096) {}

  int PutBytes(const void* data, int size);  // a null pointer or size below 1 appends nothing
  int PutInt32(int32_t value);
  int PutBool(bool value);
  int PutDouble(double value);
  int PutStr(const char* text);  // null appends an empty string
  int PutChunk(const ByteChunk* other);

  int GetBytes(void* out, int size, int startPos) const;
  int GetInt32(int32_t* value, int startPos) const;
  int GetBool(bool* value, int startPos) const;
  int GetDouble(double* value, int startPos) const;
  // Reads the length; a negative length gives -1. Otherwise returns
  // start + 4 + length even when that lies past the end (the next read then
  // fails); the text takes the bytes (up to a NUL among them) only when they
  // lie within the chunk, and becomes empty for length 0.
  int GetStr(KIT_String* text, int startPos) const;

  int Size() const { return mBytes.GetSize(); }
  // New size in bytes; bytes beyond the old size are zero. Returns the size reached.
  int Resize(int newSize);
  void Clear() { mBytes.Resize(0); }
  uint8_t* GetData() { return static_cast<uint8_t*>(mBytes.Get()); }
  const uint8_t* GetData() const { return static_cast<const uint8_t*>(mBytes.Get()); }
  bool IsEqual(const ByteChunk& other) const;

 private:
  KIT_HeapBuf mBytes;
};

// ---- Host transport -----------------------------------------------------------

// The host's transport; GetTime overwrites only the fields the host reports.
struct ITimeInfo {
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// Bundle identifier and view-factory class name of the editor view.
struct IModuleInstanceInfo {
  KIT_String mBundleID;
  KIT_String mViewFactoryClassName;
};
