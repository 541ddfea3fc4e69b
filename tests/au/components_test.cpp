#include <gtest/gtest.h>

#include <vector>

#include "platform/audiounit/AudioUnit.h"

namespace {

// A component that records what reaches its entry.
struct Recorder {
  int16_t selector = 0;
  int count = -1;
  std::vector<uintptr_t> arguments;  // natural order
  void* storage = nullptr;
};
Recorder* gRecorder = nullptr;
ComponentResult gOpenStatus = noErr;

ComponentResult recordingEntry(ComponentParameters* params, void* storage) {
  Recorder& r = *gRecorder;
  r.selector = params->what;
  r.count = ComponentArgumentCount(params);
  r.arguments.clear();
  for (int i = 0; i < r.count; ++i) r.arguments.push_back(ComponentArgument(params, r.count, i));
  r.storage = storage;
  if (params->what == kComponentOpenSelect) {
    if (gOpenStatus != noErr) return gOpenStatus;
    SetComponentInstanceStorage(ComponentPointerArgument<ComponentInstance>(params, r.count, 0), &r);
  }
  return noErr;
}

class ComponentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gRecorder = &m_recorder;
    gOpenStatus = noErr;
  }
  Recorder m_recorder;
  ComponentDescription m_description{kAudioUnitType_MusicDevice, FourCharCode("kzrn"), FourCharCode("HcS1"),
                                     0, 0};
};

TEST_F(ComponentsTest, OpenPassesTheInstanceAndKeepsTheStorage) {
  ComponentInstance instance = nullptr;
  ASSERT_EQ(OpenComponentInstance(recordingEntry, &m_description, nullptr, &instance), noErr);
  EXPECT_EQ(m_recorder.selector, kComponentOpenSelect);
  ASSERT_EQ(m_recorder.count, 1);
  EXPECT_EQ(m_recorder.arguments[0], reinterpret_cast<uintptr_t>(instance));
  EXPECT_EQ(GetComponentInstanceStorage(instance), &m_recorder);
  ComponentDescription info{};
  EXPECT_EQ(GetComponentInfo(instance, &info), noErr);
  EXPECT_EQ(info.componentSubType, FourCharCode("kzrn"));
  EXPECT_EQ(info.componentManufacturer, 0x48635331u);  // "HcS1" read big-endian
  EXPECT_EQ(CloseComponentInstance(instance), noErr);
  EXPECT_EQ(m_recorder.selector, kComponentCloseSelect);
  EXPECT_EQ(m_recorder.storage, &m_recorder);
}

TEST_F(ComponentsTest, FailedOpenReturnsItsStatusAndNoInstance) {
  gOpenStatus = badComponentSelector;
  ComponentInstance instance = reinterpret_cast<ComponentInstance>(&m_recorder);
  EXPECT_EQ(OpenComponentInstance(recordingEntry, &m_description, nullptr, &instance), badComponentSelector);
  EXPECT_EQ(instance, nullptr);
}

TEST_F(ComponentsTest, ArgumentsTravelLastFirstAndComeBackInOrder) {
  ComponentInstance instance = nullptr;
  ASSERT_EQ(OpenComponentInstance(recordingEntry, &m_description, nullptr, &instance), noErr);
  float value = 0;
  AudioUnitSetParameter(instance, 7, kAudioUnitScope_Global, 3, -2.5f, 99);
  ASSERT_EQ(m_recorder.count, 6);
  ComponentCall call(kAudioUnitSetParameterSelect);
  call.Pointer(instance).Integer(7).Integer(0).Integer(3).Float32(-2.5f).Integer(99);
  const ComponentParameters* params = call.Params();
  EXPECT_EQ(params->params[0], 99u);  // the last argument in the first slot
  EXPECT_EQ(ComponentUInt32Argument(params, 6, 1), 7u);
  EXPECT_EQ(ComponentFloat32Argument(params, 6, 4), -2.5f);
  EXPECT_EQ(m_recorder.arguments[0], reinterpret_cast<uintptr_t>(instance));
  EXPECT_EQ(m_recorder.arguments[5], 99u);
  AudioUnitGetParameter(instance, 1, 2, 3, &value);
  EXPECT_EQ(m_recorder.selector, kAudioUnitGetParameterSelect);
  EXPECT_EQ(m_recorder.arguments[4], reinterpret_cast<uintptr_t>(&value));
  CloseComponentInstance(instance);
}

TEST_F(ComponentsTest, BlocksOfBrokenSizeCountNoArguments) {
  ComponentParameters params{};
  params.paramSize = 5;
  EXPECT_EQ(ComponentArgumentCount(&params), -1);
  params.paramSize = (kComponentMaxArguments + 1) * sizeof(uintptr_t);
  EXPECT_EQ(ComponentArgumentCount(&params), -1);
  params.paramSize = 0;
  EXPECT_EQ(ComponentArgumentCount(&params), 0);
  EXPECT_EQ(ComponentArgumentCount(nullptr), -1);
}

TEST_F(ComponentsTest, ForeignPointersAreNotInstances) {
  alignas(16) unsigned char foreign[128] = {};
  auto* fake = reinterpret_cast<ComponentInstance>(foreign);
  ComponentDescription info{};
  EXPECT_EQ(GetComponentInfo(fake, &info), paramErr);
  EXPECT_EQ(GetComponentInstanceStorage(fake), nullptr);
  EXPECT_EQ(AudioUnitInitialize(fake), paramErr);
  EXPECT_EQ(AudioUnitInitialize(nullptr), paramErr);
  EXPECT_EQ(CloseComponentInstance(nullptr), paramErr);
}

TEST_F(ComponentsTest, EventsReachTheHostOfTheirUnit) {
  struct Seen {
    int count = 0;
    AudioUnitEvent last{};
  } seen;
  ComponentHostServices services{&seen, [](void* data, const AudioUnitEvent* e) {
                                   auto* s = static_cast<Seen*>(data);
                                   ++s->count;
                                   s->last = *e;
                                 }};
  ComponentInstance instance = nullptr;
  ASSERT_EQ(OpenComponentInstance(recordingEntry, &m_description, &services, &instance), noErr);
  AudioUnitEvent event{};
  event.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
  event.mArgument.mParameter = {instance, 12, kAudioUnitScope_Global, 0};
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &event), noErr);
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.last.mArgument.mParameter.mParameterID, 12u);
  event.mArgument.mParameter.mAudioUnit = nullptr;
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &event), paramErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), paramErr);
  EXPECT_EQ(seen.count, 1);
  CloseComponentInstance(instance);
}

}  // namespace
