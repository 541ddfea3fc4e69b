#include "TestPlug.h"

#include <algorithm>

namespace {

TestPlugIdentity Identity(const TestPlug::Options& options) {
  TestPlugIdentity identity{"Test Plug", TestPlug::kUniqueID, TestPlug::kVersion, "Test Maker"};
  identity.channelIO = options.channelIO;
  identity.nPresets = options.nPresets;
  identity.nAutomated = TestPlug::kNumAutomated;  // the extra ones are not
  identity.latency = 128;
  identity.doesMidi = true;
  identity.doesChunks = options.doesChunks;
  return identity;
}

std::vector<TestParam> Params(const TestPlug::Options& options) {
  return {TestParam::Double("Gain", 1.0, 0.0, 10.0, 0.1, "dB"), TestParam::Enum("Mode", 0, 4),
          TestParam::Bool("Switch", false), TestParam::Int("Extra", 0, 0, 100).Times(options.nExtra)};
}

}  // namespace

TestPlug::TestPlug(const Options& options) : HostlessTestPlug(Identity(options), Params(options)) {
  if (!options.makePresets) return;
  if (!options.doesChunks) {
    MakePreset("Init", 1.0, 0, false);
    MakePreset("Bright", 7.5, 2, true);
    MakePresetFromNamedParams("Dark", 2, kGain, 2.5, kMode, 3);
    return;
  }
  // A plug-in with state chunks keeps its presets as state chunks.
  const struct {
    const char* name;
    double gain, mode, on;
  } presets[] = {{"Init", 1.0, 0, 0}, {"Bright", 7.5, 2, 1}, {"Dark", 2.5, 3, 0}};
  for (const auto& preset : presets) {
    GetParam(kGain)->Set(preset.gain);
    GetParam(kMode)->Set(preset.mode);
    GetParam(kSwitch)->Set(preset.on);
    ByteChunk state;
    SerializeState(&state);
    MakePresetFromChunk(preset.name, &state);
  }
  GetParam(kGain)->Set(1.0);
  GetParam(kMode)->Set(0);
  GetParam(kSwitch)->Set(0);
}

TestPlug::~TestPlug() {
  // The input thread calls the handlers below, which use members of this
  // class: stop it before they go.
  CloseExternalMIDIPorts();
}

bool TestPlug::SendMidiMsg(IMidiMsg* msg) {
  const uint8_t bytes[3] = {msg->mStatus, msg->mData1, msg->mData2};
  const int status = msg->StatusMsg();
  return SendToExternalMIDIOut(
      bytes, status == IMidiMsg::kProgramChange || status == IMidiMsg::kChannelAftertouch ? 2 : 3);
}

void TestPlug::OnParamChange(int index) {
  changed.push_back(index);
  lockDepthInHandler = GetMutex()->GetDepth();
  if (onChange) onChange(index);
}

void TestPlug::OnParamChange2(int index) {
  changed2.push_back(index);
  lockDepthInHandler = GetMutex()->GetDepth();
}

bool TestPlug::SerializeState(ByteChunk* chunk) {
  if (!DoesStateChunks()) return SerializeParams(chunk);
  chunk->PutInt32(0x54455354);
  SerializeParams(chunk);
  chunk->PutStr(stateText.c_str());
  return true;
}

int TestPlug::UnserializeState(ByteChunk* chunk, int startPos) {
  if (!DoesStateChunks()) return UnserializeParams(chunk, startPos);
  int32_t tag = 0;
  int pos = chunk->GetInt32(&tag, startPos);
  if (pos < 0 || tag != 0x54455354) return -1;
  pos = UnserializeParams(chunk, pos);
  KIT_String text;
  pos = pos < 0 ? -1 : chunk->GetStr(&text, pos);
  if (pos < 0 || pos > chunk->Size()) return -1;
  stateText = text.Get();
  return pos;
}

void TestPlug::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  { std::lock_guard<std::mutex> pass(handlerGate); }
  mReceived.Add(ReceivedMidi::Of(*msg, fromDevice));
}

void TestPlug::OnExternalMIDIPortEvent(EMidiPortEvent event, const std::string& detail) {
  std::lock_guard<std::mutex> lock(mPortEventMutex);
  mPortEvents.emplace_back(event, detail);
  mPortEventSignal.notify_all();
}

std::string TestPlug::WaitForPortEvent(EMidiPortEvent event, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mPortEventMutex);
  std::string detail = "(none)";
  mPortEventSignal.wait_for(lock, timeout, [&] {
    for (const auto& told : mPortEvents)
      if (told.first == event) {
        detail = told.second;
        return true;
      }
    return false;
  });
  return detail;
}

void TestPlug::ProcessSysEx(ISysEx* msg, bool fromDevice) {
  mReceived.Add(ReceivedMidi::Of(*msg, fromDevice));
}
