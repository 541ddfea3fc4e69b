#include "tools/factory-library/FactoryLibrary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/factory-library/FactoryNames.h"
#include "tools/factory-library/FactoryRecipes.h"

namespace factory {
namespace {

// Fixed seeds: one for the names of the whole library, one per slot for the
// sounds, so that changing one recipe leaves every other sound as it was.
constexpr uint64_t kNameSeed = 0x5641524E4F4E414DULL;
constexpr uint64_t kSoundSeed = 0x5641524E4F534E44ULL;

FactorySound soundFor(const Recipe& recipe, int bank, int slot) {
  Dice dice(kSoundSeed ^ (static_cast<uint64_t>(bank) << 16) ^ static_cast<uint64_t>(slot));
  FactorySound sound;
  for (const Setting& setting : recipe.settings)
    sound.set(setting.dumpByte, dice.draw(setting.low, setting.high, setting.step));
  return sound;
}

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
  const std::filesystem::path temporary = path.string() + ".part";
  FILE* file = fopen(temporary.c_str(), "wb");
  if (!file) {
    *error = "cannot write " + temporary.string() + ": " + strerror(errno);
    return false;
  }
  const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = fclose(file) == 0;
  std::error_code code;
  if (!written || !closed) {
    *error = "cannot write " + temporary.string();
    std::filesystem::remove(temporary, code);
    return false;
  }
  std::filesystem::rename(temporary, path, code);
  if (code) {
    *error = "cannot rename " + temporary.string() + ": " + code.message();
    std::filesystem::remove(temporary, code);
    return false;
  }
  return true;
}

}  // namespace

std::vector<FactoryBank> buildFactoryLibrary() {
  std::vector<FactoryBank> banks;
  Dice nameDice(kNameSeed);
  NameComposer names(nameDice);
  const std::vector<BankPlan>& plans = factoryBankPlans();
  for (size_t b = 0; b < plans.size(); ++b) {
    FactoryBank bank;
    bank.fileName = plans[b].fileName;
    for (const BankPlan::Block& block : plans[b].blocks) {
      const Recipe* recipe = recipeFor(block.category);
      for (int i = 0; recipe && i < block.slots && bank.records.size() < static_cast<size_t>(kSlots); ++i) {
        const int slot = static_cast<int>(bank.records.size());
        const FactorySound sound = soundFor(*recipe, static_cast<int>(b), slot);
        bank.records.push_back(sound.record(slot, names.next(*recipe), recipe->category));
      }
    }
    banks.push_back(bank);
  }
  return banks;
}

std::vector<uint8_t> bankImage(const FactoryBank& bank) {
  std::vector<uint8_t> image;
  image.reserve(bank.records.size() * kRecordSize);
  for (const Record& record : bank.records) image.insert(image.end(), record.begin(), record.end());
  return image;
}

bool writeFactoryLibrary(const std::string& folder, std::string* error) {
  const std::filesystem::path target = std::filesystem::path(folder) / kFactoryFolder;
  std::error_code code;
  std::filesystem::create_directories(target, code);
  if (code) {
    *error = "cannot make " + target.string() + ": " + code.message();
    return false;
  }
  for (const FactoryBank& bank : buildFactoryLibrary())
    if (!writeFile(target / bank.fileName, bankImage(bank), error)) return false;
  return true;
}

}  // namespace factory
