#include "KIT/IModule/IModuleStructs.h"

#include <cstring>

#include "KIT/IModule/Truncate.h"

// ---- IMidiMsg -----------------------------------------------------------------

namespace {
// A 0..1 value as a data byte: value * 127 truncated toward zero. Values
// outside 0..1 are the caller's; the conversion itself stays defined.
uint8_t ScaledByte(double value) { return static_cast<uint8_t>(TruncateToInt(value * 127.0)); }
}  // namespace

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
  mOffset = offset;
  mStatus = static_cast<uint8_t>(0x90 | channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mData2 = static_cast<uint8_t>(velocity);
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel, int velocity) {
  mOffset = offset;
  mStatus = static_cast<uint8_t>(0x80 | channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mData2 = static_cast<uint8_t>(velocity);
}

void IMidiMsg::MakeControlChangeMsg(int controller, double value, int channel) {
  mOffset = 0;
  mStatus = static_cast<uint8_t>(0xB0 | channel);
  mData1 = static_cast<uint8_t>(controller);
  mData2 = ScaledByte(value);
}

void IMidiMsg::MakeProgramChangeMsg(double value, int channel) {
  mOffset = 0;
  mStatus = static_cast<uint8_t>(0xC0 | channel);
  mData1 = ScaledByte(value);
  mData2 = 0;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
  mOffset = 0;
  mStatus = static_cast<uint8_t>(0xE0 | channel);
  const int i = TruncateToInt(value * 8192.0);
  int p = i < -8192 ? 0 : i + 8192;
  if (p > 16383) p = 16383;
  mData1 = static_cast<uint8_t>(p & 0x7F);
  mData2 = static_cast<uint8_t>(p >> 7);
}

void IMidiMsg::Clear() {
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
  if (mStatus < 0x80 || mStatus >= 0xF0) return kNone;
  return static_cast<EStatusMsg>(mStatus >> 4);
}

int IMidiMsg::NoteNumber() const {
  switch (StatusMsg()) {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch:
      return mData1;
    default:
      return -1;
  }
}

int IMidiMsg::Velocity() const {
  const EStatusMsg status = StatusMsg();
  return status == kNoteOff || status == kNoteOn ? mData2 : -1;
}

int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::ControlChange(int controller) const {
  if (StatusMsg() == kControlChange && mData1 == controller) return mData2 / 127.0;
  return -1.0;
}

double IMidiMsg::PitchWheel() const {
  if (StatusMsg() != kPitchWheel) return 0.0;
  return (mData2 * 128 + mData1 - 8192) / 8192.0;
}

void ISysEx::Clear() {
  mOffset = 0;
  mSize = 0;
  mData = nullptr;
}

char* SysExStr(char* buffer, int bufferLength, const uint8_t* data, int size) {
  if (!buffer || bufferLength < 1) return buffer;
  buffer[0] = 0;
  if (!data || size < 1) return buffer;
  int shown = bufferLength / 3;
  if (shown > size) shown = size;
  static const char kHex[] = "0123456789ABCDEF";
  for (int i = 0; i < shown; ++i) {
    // Three characters per byte: two digits and the separator, which after
    // the last byte is the terminating NUL.
    buffer[3 * i] = kHex[data[i] >> 4];
    buffer[3 * i + 1] = kHex[data[i] & 0x0F];
    buffer[3 * i + 2] = i + 1 < shown ? ' ' : 0;
  }
  return buffer;
}

const char* StatusMsgStr(int status) {
  switch (status) {
    case IMidiMsg::kNone:
      return "none";
    case IMidiMsg::kNoteOff:
      return "noteoff";
    case IMidiMsg::kNoteOn:
      return "noteon ";
    case IMidiMsg::kPolyAftertouch:
      return "aftertouch";
    case IMidiMsg::kControlChange:
      return "controlchange";
    case IMidiMsg::kProgramChange:
      return "programchange";
    case IMidiMsg::kChannelAftertouch:
      return "channelaftertouch";
    case IMidiMsg::kPitchWheel:
      return "pitchwheel";
    default:
      return "unknown";
  }
}

// ---- ByteChunk ----------------------------------------------------------------

int ByteChunk::PutBytes(const void* data, int size) {
  if (!data || size < 1) return Size();
  const int old = Size();
  if (static_cast<int64_t>(old) + size > INT32_MAX) return old;
  mBytes.Resize(old + size);
  if (Size() != old + size) return old;  // no memory: nothing appended
  memcpy(GetData() + old, data, static_cast<size_t>(size));
  return Size();
}

int ByteChunk::PutInt32(int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  return PutBytes(bytes, 4);
}

int ByteChunk::PutBool(bool value) {
  const uint8_t byte = value ? 1 : 0;
  return PutBytes(&byte, 1);
}

int ByteChunk::PutDouble(double value) {
  uint64_t bits;
  memcpy(&bits, &value, 8);
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  return PutBytes(bytes, 8);
}

int ByteChunk::PutStr(const char* text) {
  const size_t length = text ? strlen(text) : 0;
  if (length > static_cast<size_t>(INT32_MAX) - 4) return Size();
  const int old = Size();
  PutInt32(static_cast<int32_t>(length));
  if (Size() != old + 4) return old;
  if (length > 0 && PutBytes(text, static_cast<int>(length)) != old + 4 + static_cast<int>(length)) {
    mBytes.Resize(old);  // all or nothing
    return old;
  }
  return Size();
}

int ByteChunk::PutChunk(const ByteChunk* other) {
  if (!other || other == this) {
    if (other == this && Size() > 0) {
      ByteChunk copy;
      copy.PutBytes(GetData(), Size());
      return PutBytes(copy.GetData(), copy.Size());
    }
    return Size();
  }
  return PutBytes(other->GetData(), other->Size());
}

int ByteChunk::GetBytes(void* out, int size, int startPos) const {
  if (!out || size < 0 || startPos < 0) return -1;
  if (static_cast<int64_t>(startPos) + size > Size()) return -1;
  if (size > 0) memcpy(out, GetData() + startPos, static_cast<size_t>(size));
  return startPos + size;
}

int ByteChunk::GetInt32(int32_t* value, int startPos) const {
  uint8_t b[4];
  const int end = GetBytes(b, 4, startPos);
  if (end < 0 || !value) return -1;
  *value = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
  return end;
}

int ByteChunk::GetBool(bool* value, int startPos) const {
  uint8_t b;
  const int end = GetBytes(&b, 1, startPos);
  if (end < 0 || !value) return -1;
  *value = b != 0;
  return end;
}

int ByteChunk::GetDouble(double* value, int startPos) const {
  uint8_t b[8];
  const int end = GetBytes(b, 8, startPos);
  if (end < 0 || !value) return -1;
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(b[i]) << (8 * i);
  memcpy(value, &bits, 8);
  return end;
}

int ByteChunk::GetStr(KIT_String* text, int startPos) const {
  int32_t length = 0;
  const int start = GetInt32(&length, startPos);
  if (start < 0 || length < 0) return -1;
  const int64_t end = static_cast<int64_t>(start) + length;
  if (end > INT32_MAX) return -1;
  if (text && end <= Size()) {
    if (length == 0)
      text->Set("");
    else
      text->Set(reinterpret_cast<const char*>(GetData() + start), length);  // stops at a NUL
  }
  return static_cast<int>(end);
}

int ByteChunk::Resize(int newSize) {
  const int old = Size();
  mBytes.Resize(newSize);
  if (Size() > old) memset(GetData() + old, 0, static_cast<size_t>(Size() - old));
  return Size();
}

bool ByteChunk::IsEqual(const ByteChunk& other) const {
  return Size() == other.Size() &&
         (Size() == 0 || memcmp(GetData(), other.GetData(), static_cast<size_t>(Size())) == 0);
}
