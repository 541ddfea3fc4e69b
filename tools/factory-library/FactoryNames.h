// Names for the factory sounds: a word of colour or matter from a shared
// list, then a word of the sound's category ("COPPER GROWL"), at most 14
// characters (the record's name field), never the same name twice in the
// whole library.
#pragma once

#include <set>
#include <string>

#include "tools/factory-library/FactoryRecipes.h"

namespace factory {

class NameComposer {
 public:
  // dice decides the words; the composer keeps every name it gave.
  explicit NameComposer(Dice& dice) : m_dice(dice) {}

  // A new name for a sound of the recipe's category.
  std::string next(const Recipe& recipe);

 private:
  Dice& m_dice;
  std::set<std::string> m_given;
};

}  // namespace factory
