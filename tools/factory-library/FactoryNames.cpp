#include "tools/factory-library/FactoryNames.h"

#include <cctype>

#include "tools/factory-library/FactorySound.h"

namespace factory {
namespace {

const char* const kFirstWords[] = {
    "Amber", "Arctic", "Ashen", "Basalt", "Bronze", "Cinder", "Cobalt",  "Copper", "Coral",  "Crimson",
    "Dusky", "Ember",  "Feral", "Flint",  "Frost",  "Gilded", "Granite", "Hollow", "Indigo", "Iron",
    "Ivory", "Jade",   "Lunar", "Marble", "Misty",  "Neon",   "Nimbus",  "Ochre",  "Onyx",   "Opal",
    "Pale",  "Pewter", "Polar", "Quartz", "Rusty",  "Sable",  "Scarlet", "Silver", "Slate",  "Solar",
    "Stone", "Tawny",  "Teal",  "Umber",  "Violet", "Wild",   "Winter",  "Zinc",
};
constexpr int kFirstWordCount = static_cast<int>(sizeof kFirstWords / sizeof kFirstWords[0]);

// Names are kept as the library shows them: upper case.
std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string NameComposer::next(const Recipe& recipe) {
  const int nouns = static_cast<int>(recipe.nouns.size());
  // Far more pairs than any category has sounds: a free one is found long
  // before the tries run out.
  for (int attempt = 0; nouns > 0 && attempt < 1000; ++attempt) {
    const std::string first = kFirstWords[m_dice.draw(0, kFirstWordCount - 1)];
    const std::string second = recipe.nouns[static_cast<size_t>(m_dice.draw(0, nouns - 1))];
    const std::string name = upper(first + " " + second);
    if (first == second || name.size() > static_cast<size_t>(kNameSize) || m_given.count(name)) continue;
    m_given.insert(name);
    return name;
  }
  // Numbered names as the last way out.
  for (int n = 1;; ++n) {
    const std::string name =
        upper(std::string(nouns > 0 ? recipe.nouns[0] : "Sound") + " " + std::to_string(n));
    if (m_given.insert(name).second) return name;
  }
}

}  // namespace factory
