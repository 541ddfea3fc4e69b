#include "tests/au/test_plug.h"

#include <cstdio>
#include <cstdlib>

#include "KIT/IModule/IGraphics.h"

AUTestPlug::AUTestPlug(IModuleInstanceInfo info)
    : IModuleAU(info, kNumTestParams, "2-2", 3, "AU Test", "", "Harrow Creek Sound", kTestPlugVersion,
                kTestPlugSubtype, kTestPlugManufacturer, 64, true, true, true, 0) {
  initialize(info, kNumTestAutomated, kNumTestParams, "2-2", 3, "AU Test", "", "Harrow Creek Sound",
             kTestPlugVersion, kTestPlugSubtype, kTestPlugManufacturer, 64, true, true, true, 0);
  GetParam(kTestCutoff)->InitDouble("Cutoff", 50.0, 0.0, 100.0, 0.1, "Hz", "Filter");
  GetParam(kTestWave)->InitEnum("Wave", 0, 3, "", "Oscillator");
  GetParam(kTestWave)->SetDisplayText(0, "Saw");
  GetParam(kTestWave)->SetDisplayText(1, "Square");
  GetParam(kTestWave)->SetDisplayText(2, "Noise");
  GetParam(kTestSync)->InitBool("Sync", false, "", "Oscillator");
  GetParam(kTestVoices)->InitInt("Voices of the unison section", 4, 1, 8);
  GetParam(kTestVoices)->SetIsMeta(true);
  GetParam(kTestHidden)->InitDouble("Hidden", 0.25, 0.0, 1.0, 0.01);
  // Presets are snapshots of the whole state, made from chosen values.
  const double bright[] = {90.0, 1, 1, 8}, dark[] = {10.0, 0, 0, 2};
  for (int i = 0; i < kNumTestAutomated; ++i) GetParam(i)->Set(bright[i]);
  MakeDefaultPreset("Bright", 1);
  for (int i = 0; i < kNumTestAutomated; ++i) GetParam(i)->Set(dark[i]);
  MakeDefaultPreset("Dark", 1);
  for (int i = 0; i < kNumTestParams; ++i) GetParam(i)->Set(GetParam(i)->GetDefault());
  AttachGraphics(new IGraphics(this, 300, 200));
}

void AUTestPlug::Reset() {
  IModuleAU::Reset();
  ++m_resets;
}

void AUTestPlug::Record(Received received) {
  if (getenv("AUTEST_ECHO")) {
    printf("plug-in %s from %s at %d:", received.sysex ? "sysex" : "midi",
           received.fromDevice ? "device" : "host", received.offset);
    for (uint8_t b : received.bytes) printf(" %02X", b);
    printf("\n");
    fflush(stdout);
  }
  std::lock_guard<std::mutex> hold(m_lock);
  m_received.push_back(std::move(received));
}

std::vector<AUTestPlug::Received> AUTestPlug::TakeReceived() {
  std::lock_guard<std::mutex> hold(m_lock);
  return std::move(m_received);
}

void AUTestPlug::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  Record({false, fromDevice, msg->mOffset, {msg->mStatus, msg->mData1, msg->mData2}});
}

void AUTestPlug::ProcessSysEx(ISysEx* msg, bool fromDevice) {
  Record({true, fromDevice, msg->mOffset,
          msg->mData ? std::vector<uint8_t>(msg->mData, msg->mData + msg->mSize) : std::vector<uint8_t>()});
}

// The chunk: every automated value, the non-automated block, then the note.
bool AUTestPlug::SerializeState(ByteChunk* chunk) {
  if (!m_serializeOk) return false;
  SerializeParams(chunk);
  SerializeNonAutomatedParams(chunk, NNonAutomatedParams());
  chunk->PutStr(m_note.c_str());
  return true;
}

int AUTestPlug::UnserializeState(ByteChunk* chunk, int startPos) {
  int pos = UnserializeParams(chunk, startPos);
  pos = UnserializeNonAutomatedParams(chunk, pos, NNonAutomatedParams());
  KIT_String note;
  pos = chunk->GetStr(&note, pos);
  if (pos < 0 || pos > chunk->Size()) return -1;
  m_note = note.Get();
  return pos;
}

// ---- Factory (the exported entries are in KIT/IModule/IModuleAU_Exports.cpp) ----

IModuleBase* MakePlug() {
  IModuleInstanceInfo info;
  info.mBundleID.Set(kTestPlugBundleID);
  info.mViewFactoryClassName.Set("VivivI_View");
  return new AUTestPlug(info);
}
