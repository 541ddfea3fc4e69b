#include "TestPlug.h"

#include <algorithm>

TestPlug::TestPlug(const Options& options)
    : HostlessPlug(kNumAutomated + options.nExtra, options.channelIO, options.nPresets, "Test Plug", "",
                   "Test Maker", kVersion, kUniqueID, 0x48635331, 128, true, options.doesChunks, true,
                   kAPIAU) {
  initialize(0, kNumAutomated + options.nExtra, options.channelIO, options.nPresets, "Test Plug", "",
             "Test Maker", kVersion, kUniqueID, 0x48635331, 128, true, options.doesChunks, true);
  addNonAutomateParamCount(options.nExtra);
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 10.0, 0.1, "dB");
  GetParam(kMode)->InitEnum("Mode", 0, 4);
  GetParam(kSwitch)->InitBool("Switch", false);
  for (int i = 0; i < options.nExtra; ++i) GetParam(kNumAutomated + i)->InitInt("Extra", 0, 0, 100);
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

void TestPlug::Record(Received received) {
  std::lock_guard<std::mutex> lock(mReceivedMutex);
  mReceived.push_back(std::move(received));
  mReceivedSignal.notify_all();
}

void TestPlug::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  { std::lock_guard<std::mutex> pass(handlerGate); }
  Record({{msg->mStatus, msg->mData1, msg->mData2}, false, fromDevice, msg->mOffset});
}

void TestPlug::OnExternalMIDIPortEvent(EMidiPortEvent event, const std::string& detail) {
  std::lock_guard<std::mutex> lock(mReceivedMutex);
  mPortEvents.emplace_back(event, detail);
  mReceivedSignal.notify_all();
}

std::string TestPlug::WaitForPortEvent(EMidiPortEvent event, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mReceivedMutex);
  std::string detail = "(none)";
  mReceivedSignal.wait_for(lock, timeout, [&] {
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
  Record({std::vector<uint8_t>(msg->mData, msg->mData + msg->mSize), true, fromDevice, msg->mOffset});
}

bool TestPlug::WaitFor(const std::vector<uint8_t>& bytes, std::vector<Received>* upToThen,
                       std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mReceivedMutex);
  const auto arrived = [&] {
    return std::any_of(mReceived.begin(), mReceived.end(),
                       [&](const Received& r) { return r.bytes == bytes; });
  };
  const bool ok = mReceivedSignal.wait_for(lock, timeout, arrived);
  if (upToThen) *upToThen = mReceived;
  return ok;
}
