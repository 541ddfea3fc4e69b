// The test plug-in the suites build on: who it is and the parameters it has
// are data (TestPlugIdentity, a table of TestParam), handed to the
// framework's two construction steps. HostlessTestPlug stands on the
// framework base with no host behind it (tests/support/hostless_plug.h);
// AUHostedTestPlug on the Audio Unit binding, for plug-ins a host opens
// through their entry. Each suite derives what it watches or draws.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "KIT/IModule/IModuleAU.h"
#include "KIT/IModule/IModuleBase.h"
#include "tests/support/hostless_plug.h"

// ---- Identity ----------------------------------------------------------------

struct TestPlugIdentity {
  const char* name;
  int32_t uniqueID;  // an Audio Unit's subtype
  int32_t version = 0x10000;
  const char* maker = "Harrow Creek Sound";
  int32_t manufacturer = 0x48635331;  // 'HcS1'
  const char* channelIO = "2-2";
  int nPresets = 0;
  // The parameters before this index are automated, the rest not.
  int nAutomated = 0;
  int latency = 0;
  bool doesMidi = false;
  bool doesChunks = false;
  bool isInstrument = true;
};

// ---- Parameters --------------------------------------------------------------

// One row of a parameter table: a parameter of one kind, copies times in a
// row (0: none).
struct TestParam {
  enum Kind { kDouble, kInt, kEnum, kBool, kText };
  Kind kind = kDouble;
  const char* name = "";
  double defaultValue = 0.0;
  double minValue = 0.0, maxValue = 1.0;  // an enum's count is maxValue
  double step = 1.0;
  const char* label = "";
  const char* group = "";
  std::vector<const char*> texts;  // display texts from value 0; a text parameter's text
  bool meta = false;
  int copies = 1;

  static TestParam Double(const char* name, double defaultValue, double minValue, double maxValue,
                          double step, const char* label = "", const char* group = "");
  static TestParam Int(const char* name, int defaultValue, int minValue, int maxValue, const char* label = "",
                       const char* group = "");
  // count values; texts, when given, name them from 0.
  static TestParam Enum(const char* name, int defaultValue, int count, std::vector<const char*> texts = {},
                        const char* group = "");
  static TestParam Bool(const char* name, bool defaultValue, const char* group = "");
  static TestParam Text(const char* text);
  TestParam& Meta() { return meta = true, *this; }
  TestParam& Times(int n) { return copies = n, *this; }

 private:
  static TestParam Row(Kind kind, const char* name, double defaultValue, double minValue, double maxValue,
                       double step, const char* label, const char* group);
};

// The rows most test plug-ins begin with: "Cutoff" 0..100 Hz (50), "Wave"
// of Saw, Square and Noise, "Sync" off; the groups given to the first and
// to the other two.
std::vector<TestParam> CutoffWaveSync(const char* filterGroup = "", const char* oscillatorGroup = "");
// How many parameters the table makes.
int CountTestParams(const std::vector<TestParam>& table);
// Initialises the plug-in's parameters from the table, from index 0.
void DefineTestParams(IModuleBase* plug, const std::vector<TestParam>& table);

// ---- Plug-ins ----------------------------------------------------------------

class HostlessTestPlug : public HostlessPlug<IModuleBase> {
 public:
  HostlessTestPlug(const TestPlugIdentity& identity, const std::vector<TestParam>& params);
};

class AUHostedTestPlug : public IModuleAU {
 public:
  AUHostedTestPlug(IModuleInstanceInfo info, const TestPlugIdentity& identity,
                   const std::vector<TestParam>& params);
};

// ---------------------------------------------------------------------------

inline TestParam TestParam::Row(Kind kind, const char* name, double defaultValue, double minValue,
                                double maxValue, double step, const char* label, const char* group) {
  TestParam p;
  p.kind = kind;
  p.name = name;
  p.defaultValue = defaultValue;
  p.minValue = minValue;
  p.maxValue = maxValue;
  p.step = step;
  p.label = label;
  p.group = group;
  return p;
}

inline TestParam TestParam::Double(const char* name, double defaultValue, double minValue, double maxValue,
                                   double step, const char* label, const char* group) {
  return Row(kDouble, name, defaultValue, minValue, maxValue, step, label, group);
}

inline TestParam TestParam::Int(const char* name, int defaultValue, int minValue, int maxValue,
                                const char* label, const char* group) {
  return Row(kInt, name, defaultValue, minValue, maxValue, 1.0, label, group);
}

inline TestParam TestParam::Enum(const char* name, int defaultValue, int count,
                                 std::vector<const char*> texts, const char* group) {
  TestParam p = Row(kEnum, name, defaultValue, 0.0, count, 1.0, "", group);
  p.texts = std::move(texts);
  return p;
}

inline TestParam TestParam::Bool(const char* name, bool defaultValue, const char* group) {
  return Row(kBool, name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, "", group);
}

inline TestParam TestParam::Text(const char* text) {
  TestParam p = Row(kText, "", 0.0, 0.0, 1.0, 1.0, "", "");
  p.texts = {text};
  return p;
}

inline std::vector<TestParam> CutoffWaveSync(const char* filterGroup, const char* oscillatorGroup) {
  return {TestParam::Double("Cutoff", 50.0, 0.0, 100.0, 0.1, "Hz", filterGroup),
          TestParam::Enum("Wave", 0, 3, {"Saw", "Square", "Noise"}, oscillatorGroup),
          TestParam::Bool("Sync", false, oscillatorGroup)};
}

inline int CountTestParams(const std::vector<TestParam>& table) {
  int n = 0;
  for (const TestParam& row : table) n += row.copies;
  return n;
}

inline void DefineTestParams(IModuleBase* plug, const std::vector<TestParam>& table) {
  int index = 0;
  for (const TestParam& row : table) {
    for (int copy = 0; copy < row.copies; ++copy) {
      IParam* param = plug->GetParam(index++);
      switch (row.kind) {
        case TestParam::kDouble:
          param->InitDouble(row.name, row.defaultValue, row.minValue, row.maxValue, row.step, row.label,
                            row.group);
          break;
        case TestParam::kInt:
          param->InitInt(row.name, static_cast<int>(row.defaultValue), static_cast<int>(row.minValue),
                         static_cast<int>(row.maxValue), row.label, row.group);
          break;
        case TestParam::kEnum:
          param->InitEnum(row.name, static_cast<int>(row.defaultValue), static_cast<int>(row.maxValue),
                          row.label, row.group);
          break;
        case TestParam::kBool:
          param->InitBool(row.name, row.defaultValue >= 0.5, row.label, row.group);
          break;
        case TestParam::kText:
          param->InitText();
          break;
      }
      for (size_t i = 0; i < row.texts.size(); ++i) param->SetDisplayText(static_cast<int>(i), row.texts[i]);
      if (row.meta) param->SetIsMeta(true);
    }
  }
}

inline HostlessTestPlug::HostlessTestPlug(const TestPlugIdentity& id, const std::vector<TestParam>& params)
    : HostlessPlug<IModuleBase>(CountTestParams(params), id.channelIO, id.nPresets, id.name, "", id.maker,
                                id.version, id.uniqueID, id.manufacturer, id.latency, id.doesMidi,
                                id.doesChunks, id.isInstrument, kAPIAU) {
  initialize(id.nAutomated, CountTestParams(params), id.channelIO, id.nPresets, id.name, "", id.maker,
             id.version, id.uniqueID, id.manufacturer, id.latency, id.doesMidi, id.doesChunks,
             id.isInstrument);
  DefineTestParams(this, params);
}

inline AUHostedTestPlug::AUHostedTestPlug(IModuleInstanceInfo info, const TestPlugIdentity& id,
                                          const std::vector<TestParam>& params)
    : IModuleAU(info, CountTestParams(params), id.channelIO, id.nPresets, id.name, "", id.maker, id.version,
                id.uniqueID, id.manufacturer, id.latency, id.doesMidi, id.doesChunks, id.isInstrument, 0) {
  initialize(info, id.nAutomated, CountTestParams(params), id.channelIO, id.nPresets, id.name, "", id.maker,
             id.version, id.uniqueID, id.manufacturer, id.latency, id.doesMidi, id.doesChunks,
             id.isInstrument, 0);
  DefineTestParams(this, params);
}
