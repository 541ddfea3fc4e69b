// The simulator's parameter table against the chart it was written from
// (docs/midi-implementation.md, read at test time): every row of the sound and
// global tables must agree field by field, so the two cannot drift apart.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/varno-sim/VarnoParameterTable.h"

namespace varno {
namespace {

std::string trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" `");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" `");
  return text.substr(first, last - first + 1);
}

// The cells of the table rows in the section whose heading starts with
// heading, for rows whose first cell is a number.
std::vector<std::vector<std::string>> tableRows(const std::string& heading) {
  std::ifstream file(VARNO_CHART_PATH);
  std::vector<std::vector<std::string>> rows;
  bool inSection = false;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("## ", 0) == 0) inSection = line.rfind(heading, 0) == 0;
    if (!inSection || line.rfind("| ", 0) != 0) continue;
    std::vector<std::string> cells;
    std::stringstream stream(line.substr(1));
    for (std::string cell; std::getline(stream, cell, '|');) cells.push_back(trim(cell));
    if (!cells.empty() && !cells[0].empty() && std::isdigit(static_cast<unsigned char>(cells[0][0])))
      rows.push_back(cells);
  }
  return rows;
}

int leadingNumber(const std::string& cell) {
  return cell.empty() || !std::isdigit(static_cast<unsigned char>(cell[0])) ? -1 : std::atoi(cell.c_str());
}

void readRange(const std::string& cell, int& minimum, int& maximum) {
  const size_t dots = cell.find("..");
  minimum = std::atoi(cell.substr(0, dots).c_str());
  maximum = dots == std::string::npos ? -1 : std::atoi(cell.substr(dots + 2).c_str());
}

TEST(VarnoSimChartTable, EverySoundParameterRowMatchesTheSimulatorTable) {
  const auto rows = tableRows("## 4.");
  ASSERT_EQ(rows.size(), static_cast<size_t>(kSoundParameterCount)) << "chart not found or table changed";
  for (const auto& cells : rows) {
    ASSERT_GE(cells.size(), 7u);
    const int index = leadingNumber(cells[0]);
    const SoundParameter* parameter = soundParameter(index);
    ASSERT_NE(parameter, nullptr) << cells[0];
    const std::string where = "row " + cells[0] + " " + cells[1];
    EXPECT_EQ(cells[1], parameter->name) << where;
    EXPECT_EQ(leadingNumber(cells[2]), parameter->dumpByte) << where;
    const Coding dumpCoding = cells[2].find("value + 16") != std::string::npos   ? Coding::PlusSixteen
                              : cells[2].find("clock code") != std::string::npos ? Coding::ClockCode
                                                                                 : Coding::Plain;
    if (parameter->dumpByte >= 0) {
      EXPECT_EQ(dumpCoding, parameter->coding) << where;
    }
    int minimum = 0;
    int maximum = 0;
    readRange(cells[3], minimum, maximum);
    EXPECT_EQ(minimum, parameter->minimum) << where;
    EXPECT_EQ(maximum, parameter->maximum) << where;
    EXPECT_EQ(leadingNumber(cells[4]), parameter->initial) << where;
    EXPECT_EQ(leadingNumber(cells[5]), parameter->controller) << where;
    int low = -1;
    int high = -1;
    if (cells[6] != "—") {
      std::istringstream address(cells[6]);
      address >> std::hex >> low >> high;
    }
    EXPECT_EQ(low, parameter->addressLow) << where;
    EXPECT_EQ(high, parameter->addressHigh) << where;
  }
}

TEST(VarnoSimChartTable, EveryGlobalSettingRowMatchesTheSimulatorTable) {
  const auto rows = tableRows("## 5.");
  int matched = 0;
  for (const auto& cells : rows) {
    ASSERT_GE(cells.size(), 7u);
    const GlobalSetting* setting = globalSetting(leadingNumber(cells[0]));
    if (setting == nullptr) continue;  // kCurrentPatch: a program number, not a setting
    ++matched;
    const std::string where = "row " + cells[0] + " " + cells[1];
    EXPECT_EQ(cells[1], setting->name) << where;
    EXPECT_EQ(leadingNumber(cells[2]), setting->dumpByte) << where;
    int minimum = 0;
    int maximum = 0;
    readRange(cells[3], minimum, maximum);
    EXPECT_EQ(minimum, setting->minimum) << where;
    EXPECT_EQ(maximum, setting->maximum) << where;
    EXPECT_EQ(leadingNumber(cells[4]), setting->initial) << where;
    int msb = -1;
    int lsb = -1;
    int offset = 0;
    if (cells[5] != "—") std::istringstream(cells[5]) >> msb >> lsb >> offset;
    EXPECT_EQ(msb, setting->numberMsb) << where;
    EXPECT_EQ(lsb, setting->numberLsb) << where;
    EXPECT_EQ(offset, setting->offset) << where;
    EXPECT_EQ(leadingNumber(cells[6]), setting->controller) << where;
  }
  EXPECT_EQ(matched, kGlobalSettingCount);
}

TEST(VarnoSimChartTable, DumpBytesControllersAndAddressesAreEachUsedOnce) {
  std::set<int> dumpBytes;
  std::set<int> controllers;
  std::set<std::pair<int, int>> addresses;
  for (int index = 0; index < kSoundParameterCount; ++index) {
    const SoundParameter* parameter = soundParameter(index);
    ASSERT_EQ(parameter->index, index);
    EXPECT_LE(parameter->minimum, parameter->initial) << parameter->name;
    EXPECT_LE(parameter->initial, parameter->maximum) << parameter->name;
    if (parameter->dumpByte >= 0) {
      EXPECT_TRUE(dumpBytes.insert(parameter->dumpByte).second) << parameter->name;
      EXPECT_EQ(soundParameterByDumpByte(parameter->dumpByte), parameter);
      EXPECT_GE(parameter->addressLow, 0) << parameter->name << ": every dump parameter has an address";
    }
    EXPECT_TRUE(controllers.insert(parameter->controller).second) << parameter->name;
    EXPECT_EQ(soundParameterByController(parameter->controller), parameter);
    // Controllers that mean something else to the Varno carry no parameter.
    for (int reserved : {0, 6, 96, 97, 98, 99, 100, 101, 120, 121, 122, 123, 124, 125, 126, 127})
      EXPECT_NE(parameter->controller, reserved) << parameter->name;
    // The largest code must stay a data byte.
    EXPECT_LE(parameter->coding == Coding::PlusSixteen ? parameter->maximum + 16 : parameter->maximum, 127);
    if (parameter->addressLow >= 0) {
      EXPECT_TRUE(addresses.insert({parameter->addressLow, parameter->addressHigh}).second)
          << parameter->name;
      EXPECT_EQ(soundParameterByAddress(parameter->addressLow, parameter->addressHigh), parameter);
    }
  }
  EXPECT_EQ(dumpBytes.size(), static_cast<size_t>(kLastSoundByte - kFirstSoundByte + 1));
  EXPECT_EQ(soundParameterByAddress(0x43, 0x00), nullptr);
  EXPECT_EQ(soundParameterByAddress(0x53, 0x01), nullptr);
}

TEST(VarnoSimChartTable, AddressesTheEditorTreatsSpeciallyNameTheChartParameters) {
  const std::map<std::pair<int, int>, int> kSpecial = {
      {{0x29, 0x00}, 0}, {{0x6B, 0x00}, 1},  {{0x70, 0x00}, 2},
      {{0x7B, 0x01}, 7}, {{0x00, 0x02}, 38}, {{0x10, 0x00}, 50},
  };
  for (const auto& entry : kSpecial) {
    const SoundParameter* parameter = soundParameterByAddress(entry.first.first, entry.first.second);
    ASSERT_NE(parameter, nullptr);
    EXPECT_EQ(parameter->index, entry.second);
  }
  EXPECT_EQ(soundParameterByController(105)->index, kIndexArpClock);
  EXPECT_EQ(soundParameterByController(104)->index, kIndexArpTempo);
  EXPECT_EQ(soundParameterByController(38)->index, 7);
  EXPECT_EQ(soundParameterByController(41)->index, 38);
}

}  // namespace
}  // namespace varno
