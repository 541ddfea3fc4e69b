// Second-generation sound messages (model 0x16) rewritten into the first
// generation's 92-byte library record. Only source bytes 7 to 84 and 120 to
// 134 are read; the source must hold at least 135 bytes.
#include <algorithm>

#include "src/PatchLibrarian.h"

namespace {

constexpr size_t kSourceSize = 135;
constexpr int kSlotCount = 8;
constexpr int kUnitCount = 4;
constexpr int kEmptyAmount = 64;
constexpr int kPitchDestination = 0;
constexpr int kCutoffDestination = 10;
constexpr int kFirstUnknownCode = 16;  // sources and destinations from here on have no equivalent

struct ModulationSlot {
  int source;
  int amount;
  int destination;
};

// Target bytes that take a source byte unchanged: no offset, scaling or
// masking (the semitones keep the source's coding, the arpeggiator clock too).
struct CopiedByte {
  int target;
  int source;
};
const CopiedByte kCopiedBytes[] = {
    {6, 9},   {7, 10},  {9, 8},   {10, 15}, {11, 16}, {13, 14}, {14, 23}, {15, 17}, {16, 21}, {17, 22},
    {19, 12}, {20, 18}, {21, 24}, {22, 58}, {23, 25}, {24, 26}, {25, 27}, {26, 28}, {27, 31}, {28, 32},
    {29, 33}, {30, 34}, {33, 37}, {34, 38}, {35, 39}, {36, 40}, {41, 29}, {56, 43}, {57, 44}, {58, 45},
    {59, 46}, {60, 48}, {61, 49}, {62, 53}, {63, 51}, {64, 54}, {67, 50}, {68, 59}, {69, 60}, {70, 57},
};

// Shapes 0..limit stay; others become fallback.
unsigned char limitShape(unsigned char value, unsigned char limit, unsigned char fallback) {
  return value <= limit ? value : fallback;
}

}  // namespace

PatchSysexMessage PatchLibrarian::convertPatchToVarno1Format(PatchSysexMessage* source, int program) {
  if (!source || source->size() < kSourceSize) return PatchSysexMessage();
  const PatchSysexMessage& s = *source;

  // Sort the eight slots: the first active slot aimed at pitch and the first
  // aimed at the cutoff feed those modulations; the others become units.
  const ModulationSlot* pitch = nullptr;
  const ModulationSlot* cutoff = nullptr;
  ModulationSlot slots[kSlotCount];
  std::vector<const ModulationSlot*> units;
  for (int n = 1; n <= kSlotCount; ++n) {
    ModulationSlot& slot = slots[n - 1];
    slot = {s[58 + 3 * n], s[59 + 3 * n], s[60 + 3 * n]};
    if (slot.destination == kPitchDestination && slot.amount != kEmptyAmount && !pitch)
      pitch = &slot;
    else if (slot.destination == kCutoffDestination && slot.amount != kEmptyAmount && !cutoff)
      cutoff = &slot;
    else
      units.push_back(&slot);
  }

  PatchSysexMessage r(92, 0x00);
  r[0] = 0xF0;
  r[1] = 0x3E;
  r[2] = 0x0B;
  r[3] = 0x00;
  r[4] = 0x01;
  r[5] = static_cast<unsigned char>(program & 0xFF);
  for (const CopiedByte& copied : kCopiedBytes) r[copied.target] = s[copied.source];
  r[8] = limitShape(s[7], 2, 0);
  r[12] = limitShape(s[13], 3, 3);
  r[18] = limitShape(s[19], 2, 0);
  r[31] = 64;  // envelope 1 keytrack: no source
  r[32] = std::min<unsigned char>(s[36], 3);
  r[37] = 64;  // envelope 2 keytrack: no source
  r[38] = std::min<unsigned char>(s[42], 3);
  const bool pitchOn = pitch && pitch->source < kFirstUnknownCode;
  r[39] = static_cast<unsigned char>(pitchOn ? pitch->amount : kEmptyAmount);
  r[40] = static_cast<unsigned char>(pitchOn ? pitch->source : 0);
  r[42] = s[30] <= 1 ? 1 : 2;
  r[43] = 2;  // pitch-bend scale: no source
  for (int u = 0; u < kUnitCount; ++u) {
    const ModulationSlot& unit = *units[static_cast<size_t>(u)];
    const bool on = unit.destination < kFirstUnknownCode;
    r[44 + 3 * u] = static_cast<unsigned char>(on ? std::min(unit.source, 15) : 0);
    r[45 + 3 * u] = static_cast<unsigned char>(on ? unit.amount : kEmptyAmount);
    r[46 + 3 * u] = static_cast<unsigned char>(on ? unit.destination : 0);
  }
  const bool cutoffOn = cutoff && cutoff->source < kFirstUnknownCode;
  r[65] = static_cast<unsigned char>(cutoffOn ? cutoff->amount : kEmptyAmount);
  r[66] = static_cast<unsigned char>(cutoffOn ? cutoff->source : 0);
  // Bytes 71 to 75 stay 0: no checksum until the sound is sent.
  std::copy(s.begin() + 120, s.begin() + 134, r.begin() + 76);
  r[90] = s[134];
  r[91] = 0xF7;
  return r;
}
