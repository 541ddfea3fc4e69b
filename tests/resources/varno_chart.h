// The sound parameters of the Varno's MIDI implementation chart
// (docs/midi-implementation.md), typed in here on their own so that the
// shipped UI description is checked against the chart, not against itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a value travels in its control change.
enum class CCCoding {
  kValue,      // the data byte is the value
  kPlus16,     // the semitones: value + 16
  kClockCode,  // the arpeggiator clock: value + 1 (0 is the own tempo)
  kEvenOnly,   // the tunes: the value, sent for even values only
  kSwitch127,  // the sustain switch: 0 off, 127 on
};

struct ChartRow {
  int param;
  const char* name;
  int lo, hi;
  int controller;
  CCCoding coding;
  int addressC, addressD;  // the single-parameter address; -1 when none
  const char* valueList;   // the list its menu or value display reads; null for none
};

// The 72 sound parameters, in parameter order.
const std::vector<ChartRow>& chartRows();

// Minimum, middle and maximum of a row's range as the editor sends them
// (the tunes only take even values).
std::vector<int> probeValues(const ChartRow& row);

// The control change data byte the chart gives for the value.
int chartControllerData(const ChartRow& row, int value);

// The single-parameter message the chart gives (without F0 and F7, the
// device ID in byte 2).
std::vector<uint8_t> chartSysEx(const ChartRow& row, int value, int deviceId);

// The global settings of the chart, sent as parameter numbers: controller
// 99 with 1, controller 98 with the setting's byte in the global dump, then
// controller 6 with the value plus the offset.
struct GlobalChartRow {
  int param;
  const char* name;
  int lo, hi;
  int lsb;                // the parameter number's LSB: the global-dump byte
  int offset;             // added to the value in the data byte
  const char* valueList;  // the list its field shows; null: numbers from first
  int first;              // the number shown for the lowest value when there is no list
};
const std::vector<GlobalChartRow>& globalChartRows();

// The value lists of the UI description with the number of texts the chart
// asks for.
struct ChartList {
  const char* name;
  size_t count;
};
const std::vector<ChartList>& chartLists();
