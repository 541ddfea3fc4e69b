// The factory library: the banks of the bank plans, each of 99 named and
// categorised sounds made from the category recipes, as the editor's own
// bank files (raw images of 99 library records of 92 bytes). The same bytes
// come out on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/factory-library/FactorySound.h"

namespace factory {

constexpr int kSlots = 99;
// The folder under the library root that holds the factory banks.
constexpr const char* kFactoryFolder = "Factory";

struct FactoryBank {
  std::string fileName;
  std::vector<Record> records;  // slot 0..98
};

// Every factory bank in plan order.
std::vector<FactoryBank> buildFactoryLibrary();

// The bank's file image: its records in slot order, nothing between them.
std::vector<uint8_t> bankImage(const FactoryBank& bank);

// Writes every bank into folder/Factory/ (folders made as needed), each file
// through a temporary file renamed into place. False with a message when a
// folder or file cannot be made or written.
bool writeFactoryLibrary(const std::string& folder, std::string* error);

}  // namespace factory
