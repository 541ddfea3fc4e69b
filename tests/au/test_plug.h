// A small instrument on the framework that stands in for the editor in the
// binding's tests: five parameters (four automated, one in the non-automated
// block), two factory presets, a GUI of the least form, a state chunk of its
// parameter values and a text, and a record of every MIDI message and SysEx
// that reaches its handlers. With AUTEST_ECHO set in the environment each
// handler call is also printed on standard output (for tests through the
// host program).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "KIT/IModule/IModuleAU.h"

// Component identity of the test plug-in.
constexpr const char* kTestPlugBundleID = "com.Harrow Creek Sound.audiounit.AUTest";
constexpr int32_t kTestPlugSubtype = static_cast<int32_t>(FourCharCode("tstp"));
constexpr int32_t kTestPlugManufacturer = static_cast<int32_t>(FourCharCode("HcS1"));
constexpr int32_t kTestPlugVersion = 0x10203;

enum ETestParams { kTestCutoff = 0, kTestWave, kTestSync, kTestVoices, kTestHidden, kNumTestParams };
constexpr int kNumTestAutomated = 4;

class AUTestPlug : public IModuleAU {
 public:
  explicit AUTestPlug(IModuleInstanceInfo info);

  // One handler call as received.
  struct Received {
    bool sysex;
    bool fromDevice;
    int32_t offset;
    std::vector<uint8_t> bytes;
  };
  std::vector<Received> TakeReceived();
  int ResetCount() const { return m_resets; }
  // Text kept in the state chunk after the parameters.
  std::string m_note = "note";
  // When false, SerializeState reports failure.
  bool m_serializeOk = true;

  void Reset() override;
  void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
  void ProcessSysEx(ISysEx* msg, bool fromDevice) override;
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(ByteChunk* chunk, int startPos) override;

 private:
  void Record(Received received);
  std::mutex m_lock;
  std::vector<Received> m_received;
  int m_resets = 0;
};
