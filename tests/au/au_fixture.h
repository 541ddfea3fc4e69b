// An instance of the test plug-in opened through its exported entry and the
// component layer, as a host opens it: sample rate, stereo output format,
// host callbacks; events the unit sends are collected.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/audiounit/AudioUnit.h"
#include "tests/au/test_plug.h"

extern "C" ComponentResult VivivI_Entry(ComponentParameters* params, void* storage);
extern "C" ComponentResult VivivI_ViewEntry(ComponentParameters* params, void* storage);

inline ComponentDescription TestPlugDescription() {
  return {kAudioUnitType_MusicDevice, static_cast<OSType>(kTestPlugSubtype),
          static_cast<OSType>(kTestPlugManufacturer), 0, 0};
}

class AUFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    m_unit = Open();
    ASSERT_NE(m_unit, nullptr);
    m_plug = Plug(m_unit);
  }
  void TearDown() override {
    for (AudioUnit unit : m_opened) CloseComponentInstance(unit);
  }

  AudioUnit Open() {
    const ComponentDescription description = TestPlugDescription();
    ComponentHostServices services{this, [](void* self, const AudioUnitEvent* e) {
                                     static_cast<AUFixture*>(self)->m_events.push_back(*e);
                                   }};
    AudioUnit unit = nullptr;
    if (OpenComponentInstance(VivivI_Entry, &description, &services, &unit) != noErr) return nullptr;
    m_opened.push_back(unit);
    return unit;
  }
  static AUTestPlug* Plug(AudioUnit unit) {
    return static_cast<AUTestPlug*>(GetComponentInstanceStorage(unit));
  }

  OSStatus SetOutputChannels(AudioUnit unit, uint32_t channels, uint32_t formatID = kAudioFormatLinearPCM,
                             uint32_t flags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked |
                                              kAudioFormatFlagIsNonInterleaved) {
    AudioStreamBasicDescription format{};
    IModuleAU::MakeDefaultASBD(&format, 48000.0, static_cast<int>(channels), false);
    format.mFormatID = formatID;
    format.mFormatFlags = flags;
    return AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                sizeof format);
  }

  // One render of frames on output bus 0 into two buffers first filled with
  // filler; returns the status.
  OSStatus Render(uint32_t frames, double sampleTime, uint32_t flags = kAudioTimeStampSampleTimeValid,
                  float filler = 0.5f) {
    m_left.assign(frames, filler);
    m_right.assign(frames, filler);
    m_list.assign(AudioBufferListSize(2), 0);
    AudioBufferList* list = reinterpret_cast<AudioBufferList*>(m_list.data());
    list->mNumberBuffers = 2;
    *AudioBufferListBuffer(list, 0) = {1, frames * 4, m_left.data()};
    *AudioBufferListBuffer(list, 1) = {1, frames * 4, m_right.data()};
    AudioTimeStamp stamp{};
    stamp.mSampleTime = sampleTime;
    stamp.mFlags = flags;
    AudioUnitRenderActionFlags actionFlags = 0;
    return AudioUnitRender(m_unit, &actionFlags, &stamp, 0, frames, list);
  }

  AudioUnit m_unit = nullptr;
  AUTestPlug* m_plug = nullptr;
  std::vector<AudioUnit> m_opened;
  std::vector<AudioUnitEvent> m_events;
  std::vector<float> m_left, m_right;
  std::vector<uint8_t> m_list;
};
