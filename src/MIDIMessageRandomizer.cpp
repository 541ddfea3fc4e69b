// The sound randomiser: one random byte per sound-dump byte, folded into the
// range of that byte's parameter, applied to every section whose lock is off.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "src/EditorServices.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"

using namespace VarnoSysEx;

namespace {

// Entries of the random array that randomGenerator fills (one per dump byte).
constexpr int kRandomBytes = kSoundDumpSize;

// The fold of a random byte r into a parameter whose maximum is max and whose
// range (maximum - minimum) is range, both as integers. For a maximum of 1 it
// is the parity of r; otherwise max is taken off r as often as r lies above
// the range, which for a maximum of 0 or below would never end: such a
// parameter gets no fold (false).
bool fold(int r, int max, int range, int* folded) {
  if (max == 1) {
    const int m = std::min(r, range);
    *folded = r - ((r - m + 1) & ~1);
    return true;
  }
  if (r <= range) {
    *folded = r;
    return true;
  }
  if (max <= 0) return false;
  // The same as subtracting max until r is not above range, in one step.
  const int times = (r - range + max - 1) / max;
  *folded = r - times * max;
  return true;
}

}  // namespace

void MIDIMessageManager::randomGenerator() {
  srand(static_cast<unsigned>(time(nullptr)));
  for (int i = 0; i < kRandomBytes; ++i) plug->randomValues[i] = rand() % 256;
}

int MIDIMessageManager::randomizer(int parameter, int randomIndex) {
  const IParam* param = plug->GetParam(parameter);
  if (!param) return 0;
  const double minimum = param->GetMin();
  const double maximum = param->GetMax();
  const bool inArray = randomIndex >= 0 && randomIndex < static_cast<int>(plug->randomValues.size());
  const int r = inArray ? plug->randomValues[randomIndex] : 0;
  int folded;
  if (!fold(r, static_cast<int>(maximum), static_cast<int>(maximum - minimum), &folded))
    return static_cast<int>(param->Value());
  // A fold lies within 0..range; for a minimum below 0 that can pass the
  // maximum, and the value is kept within the parameter's range.
  return static_cast<int>(
      std::min(std::max(static_cast<double>(folded), std::ceil(minimum)), std::floor(maximum)));
}

void MIDIMessageManager::randomizePatchSettings(int) {
  const std::array<bool, kNumSectionLocks> locked = readSectionLocks();
  for (int i = kFirstSoundByte; i <= kLastSoundByte; ++i) {
    const SoundDumpByte* row = soundDumpByte(i);
    if (locked[row->lock - kSectionLockOsc1]) continue;
    setParameterFromPlug(row->parameter, randomizer(row->parameter, i));
  }
  forgetSoundValuesSent();
}
