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
#include "tests/support/midi_record.h"
#include "tests/support/test_plug.h"

// Component identity of the test plug-in.
constexpr const char* kTestPlugBundleID = "com.Harrow Creek Sound.audiounit.AUTest";
constexpr int32_t kTestPlugSubtype = static_cast<int32_t>(FourCharCode("tstp"));
constexpr int32_t kTestPlugManufacturer = static_cast<int32_t>(FourCharCode("HcS1"));
constexpr int32_t kTestPlugVersion = 0x10203;

enum ETestParams { kTestCutoff = 0, kTestWave, kTestSync, kTestVoices, kTestHidden, kNumTestParams };
constexpr int kNumTestAutomated = 4;

class AUTestPlug : public AUHostedTestPlug {
 public:
  explicit AUTestPlug(IModuleInstanceInfo info);

  // The handler calls as received.
  using Received = ReceivedMidi;
  std::vector<Received> TakeReceived() { return m_received.Take(); }
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
  MidiRecord m_received;
  int m_resets = 0;
};
