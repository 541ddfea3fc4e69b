#include "tests/au/test_plug.h"

#include <cstdio>
#include <cstdlib>

#include "KIT/IModule/IGraphics.h"

namespace {

TestPlugIdentity Identity() {
  TestPlugIdentity identity{"AU Test", kTestPlugSubtype, kTestPlugVersion};
  identity.manufacturer = kTestPlugManufacturer;
  identity.nPresets = 3;
  identity.nAutomated = kNumTestAutomated;
  identity.latency = 64;
  identity.doesMidi = true;
  identity.doesChunks = true;
  return identity;
}

// Grouped, with a long name and a meta parameter, for the property tests.
std::vector<TestParam> Params() {
  std::vector<TestParam> params = CutoffWaveSync("Filter", "Oscillator");
  params.push_back(TestParam::Int("Voices of the unison section", 4, 1, 8).Meta());
  params.push_back(TestParam::Double("Hidden", 0.25, 0.0, 1.0, 0.01));
  return params;
}

}  // namespace

AUTestPlug::AUTestPlug(IModuleInstanceInfo info) : AUHostedTestPlug(info, Identity(), Params()) {
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
    printf("plug-in %s from %s at %d:", received.isSysEx ? "sysex" : "midi",
           received.fromDevice ? "device" : "host", received.offset);
    for (uint8_t b : received.bytes) printf(" %02X", b);
    printf("\n");
    fflush(stdout);
  }
  m_received.Add(std::move(received));
}

void AUTestPlug::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  Record(ReceivedMidi::Of(*msg, fromDevice));
}

void AUTestPlug::ProcessSysEx(ISysEx* msg, bool fromDevice) { Record(ReceivedMidi::Of(*msg, fromDevice)); }

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
