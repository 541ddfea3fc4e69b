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
    if (slot.destination == kPitchDestination && slot.amount != kEmptyAmount && !pitch) pitch = &slot;
    else if (slot.destination == kCutoffDestination && slot.amount != kEmptyAmount && !cutoff) cutoff = &slot;
    else units.push_back(&slot);
  }

  PatchSysexMessage r(92, 0x00);
  r[0] = 0xF0;
  r[1] = 0x3E;
  r[2] = 0x0B;
  r[3] = 0x00;
  r[4] = 0x01;
  r[5] = static_cast<unsigned char>(program & 0xFF);
  r[6] = s[9];
  r[7] = s[10];
  r[8] = limitShape(s[7], 2, 0);
  r[9] = s[8];
  r[10] = s[15];
  r[11] = s[16];
  r[12] = limitShape(s[13], 3, 3);
  r[13] = s[14];
  r[14] = s[23];
  r[15] = s[17];
  r[16] = s[21];
  r[17] = s[22];
  r[18] = limitShape(s[19], 2, 0);
  r[19] = s[12];
  r[20] = s[18];
  r[21] = s[24];
  r[22] = s[58];
  r[23] = s[25];
  r[24] = s[26];
  r[25] = s[27];
  r[26] = s[28];
  r[27] = s[31];
  r[28] = s[32];
  r[29] = s[33];
  r[30] = s[34];
  r[31] = 64;
  r[32] = std::min<unsigned char>(s[36], 3);
  r[33] = s[37];
  r[34] = s[38];
  r[35] = s[39];
  r[36] = s[40];
  r[37] = 64;
  r[38] = std::min<unsigned char>(s[42], 3);
  const bool pitchOn = pitch && pitch->source < kFirstUnknownCode;
  r[39] = static_cast<unsigned char>(pitchOn ? pitch->amount : kEmptyAmount);
  r[40] = static_cast<unsigned char>(pitchOn ? pitch->source : 0);
  r[41] = s[29];
  r[42] = s[30] <= 1 ? 1 : 2;
  r[43] = 2;
  for (int u = 0; u < kUnitCount; ++u) {
    const ModulationSlot& unit = *units[static_cast<size_t>(u)];
    const bool on = unit.destination < kFirstUnknownCode;
    r[44 + 3 * u] = static_cast<unsigned char>(on ? std::min(unit.source, 15) : 0);
    r[45 + 3 * u] = static_cast<unsigned char>(on ? unit.amount : kEmptyAmount);
    r[46 + 3 * u] = static_cast<unsigned char>(on ? unit.destination : 0);
  }
  r[56] = s[43];
  r[57] = s[44];
  r[58] = s[45];
  r[59] = s[46];
  r[60] = s[48];
  r[61] = s[49];
  r[62] = s[53];
  r[63] = s[51];
  r[64] = s[54];
  const bool cutoffOn = cutoff && cutoff->source < kFirstUnknownCode;
  r[65] = static_cast<unsigned char>(cutoffOn ? cutoff->amount : kEmptyAmount);
  r[66] = static_cast<unsigned char>(cutoffOn ? cutoff->source : 0);
  r[67] = s[50];
  r[68] = s[59];
  r[69] = s[60];
  r[70] = s[57];
  // Bytes 71 to 75 stay 0: no checksum until the sound is sent.
  std::copy(s.begin() + 120, s.begin() + 134, r.begin() + 76);
  r[90] = s[134];
  r[91] = 0xF7;
  return r;
}
