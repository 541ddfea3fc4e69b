// How each category of the factory library sounds, and which categories
// fill the slots of each factory bank. A recipe is a list of settings, each
// drawn from a range of values; what a recipe does not set keeps the Varno's
// initial value. The draws come from a small generator of our own, so the
// library is the same on every machine and every run.
#pragma once

#include <cstdint>
#include <vector>

namespace factory {

// Category codes of the library record (0 NONE and 20 INIT are not used).
enum Category : int {
  kArp = 1,
  kAtmo,
  kBass,
  kDrum,
  kFx,
  kKeys,
  kLead,
  kMono,
  kPad,
  kPerc,
  kPoly,
  kSeq,
  kDub,
  kLush,
  kStrings,
  kPluck,
  kWind,
  kNoise,
  kExternalFx,
};

// One parameter drawn from low, low + step, ... up to high (low == high: fixed).
struct Setting {
  int dumpByte;
  int low;
  int high;
  int step = 1;
};

struct Recipe {
  int category;
  std::vector<Setting> settings;
  std::vector<const char*> nouns;  // the second word of the category's names
};

// The recipe of a category 1..19; null for any other code.
const Recipe* recipeFor(int category);

// A factory bank: its file name and its slots, block by block.
struct BankPlan {
  const char* fileName;
  struct Block {
    int category;
    int slots;
  };
  std::vector<Block> blocks;  // the slots add up to 99
};
const std::vector<BankPlan>& factoryBankPlans();

// A deterministic source of draws (splitmix64).
class Dice {
 public:
  explicit Dice(uint64_t seed) : m_state(seed) {}
  uint64_t next();
  // A value of low, low + step, ... not above high.
  int draw(int low, int high, int step = 1);

 private:
  uint64_t m_state;
};

}  // namespace factory
