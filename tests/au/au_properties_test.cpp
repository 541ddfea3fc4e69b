// Properties: every ID of the read table with its status and size, values,
// short data, elements beyond the lists, writes and stream formats.
#include <cmath>
#include <cstring>
#include <string>

#include "KIT/IModule/auutil/au-preset-utilities.h"
#include "tests/au/au_fixture.h"

namespace {

using PropertiesTest = AUFixture;

std::string TextOf(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "(null)";
}

constexpr uint32_t kPointer = sizeof(void*);

// Status and size of every property of the read table, in the scope and
// element the host asks, for the test plug-in (2-2 instrument, four
// automated parameters, two presets, a GUI attached).
const struct Row {
  AudioUnitPropertyID id;
  AudioUnitScope scope;
  AudioUnitElement element;
  OSStatus status;
  uint32_t size;
  bool writable;
} kReadTable[] = {
    {kAudioUnitProperty_ClassInfo, 0, 0, noErr, kPointer, true},
    {kAudioUnitProperty_MakeConnection, 1, 0, noErr, sizeof(AudioUnitConnection), true},
    {kAudioUnitProperty_MakeConnection, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SampleRate, 2, 0, noErr, 8, true},
    {kAudioUnitProperty_ParameterList, 0, 0, noErr, 4 * kNumTestAutomated, false},
    {kAudioUnitProperty_ParameterList, 1, 0, noErr, 0, false},
    {kAudioUnitProperty_ParameterInfo, 0, 3, noErr, sizeof(AudioUnitParameterInfo), false},
    {kAudioUnitProperty_ParameterInfo, 0, 4, kAudioUnitErr_InvalidElement, 0, false},  // non-automated
    {kAudioUnitProperty_ParameterInfo, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_FastDispatch, 0, 14, noErr, kPointer, false},
    {kAudioUnitProperty_FastDispatch, 0, 9, kAudioUnitErr_InvalidElement, 0, false},
    {kAudioUnitProperty_StreamFormat, 1, 0, noErr, 40, true},
    {kAudioUnitProperty_StreamFormat, 2, 0, noErr, 40, true},
    {kAudioUnitProperty_StreamFormat, 0, 0, noErr, 40, true},
    {kAudioUnitProperty_StreamFormat, 1, 1, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_StreamFormat, 2, 1, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ElementCount, 3, 0, noErr, 4, false},
    {kAudioUnitProperty_Latency, 0, 0, noErr, 8, false},
    {kAudioUnitProperty_Latency, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SupportedNumChannels, 0, 0, noErr, 4, false},
    {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, noErr, 4, true},
    {kAudioUnitProperty_ParameterValueStrings, 0, 1, noErr, kPointer, false},
    {kAudioUnitProperty_ParameterValueStrings, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},  // no texts
    {kAudioUnitProperty_ParameterValueStrings, 0, 4, kAudioUnitErr_InvalidElement, 0, false},
    {kAudioUnitProperty_GetUIComponentList, 1, 0, noErr, 20, false},
    {kAudioUnitProperty_AudioChannelLayout, 0, 0, kAudioUnitErr_InvalidPropertyValue, 0, false},
    {kAudioUnitProperty_TailTime, 0, 0, noErr, 8, false},
    {kAudioUnitProperty_BypassEffect, 0, 0, noErr, 4, true},
    {kAudioUnitProperty_LastRenderError, 0, 0, noErr, 4, false},
    {kAudioUnitProperty_SetRenderCallback, 1, 0, noErr, sizeof(AURenderCallbackStruct), true},
    {kAudioUnitProperty_SetRenderCallback, 1, 1, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_FactoryPresets, 0, 0, noErr, kPointer, false},
    {kAudioUnitProperty_HostCallbacks, 0, 0, noErr, sizeof(HostCallbackInfo), true},
    {kAudioUnitProperty_HostCallbacks, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_CurrentPreset, 0, 0, noErr, sizeof(AUPreset), true},
    {kAudioUnitProperty_PresentPreset, 0, 0, noErr, sizeof(AUPreset), true},
    {kAudioUnitProperty_ElementName, 2, 0, noErr, kPointer, false},
    {kAudioUnitProperty_ElementName, 1, 1, noErr, kPointer, false},
    {kAudioUnitProperty_ElementName, 1, 2, kAudioUnitErr_InvalidElement, kPointer, false},
    {kAudioUnitProperty_ElementName, 2, 1, kAudioUnitErr_InvalidElement, kPointer, false},
    {kAudioUnitProperty_ElementName, 0, 0, kAudioUnitErr_InvalidScope, kPointer, false},
    {kAudioUnitProperty_CocoaUI, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},  // bundle not made here
    {kAudioUnitProperty_SupportedChannelLayoutTags, 2, 0, kAudioUnitErr_InvalidProperty, 0,
     false},  // one bus
    {kAudioUnitProperty_ParameterStringFromValue, 0, 0, noErr, sizeof(AudioUnitParameterStringFromValue),
     false},
    {kAudioUnitProperty_ParameterIDName, 0, 0, noErr, sizeof(AudioUnitParameterIDName), false},
    {kAudioUnitProperty_ParameterClumpName, 0, 0, noErr, sizeof(AudioUnitParameterNameInfo), false},
    {kAudioUnitProperty_ParameterValueFromString, 0, 0, noErr, sizeof(AudioUnitParameterValueFromString),
     false},
    {kMusicDeviceProperty_InstrumentCount, 0, 0, noErr, 4, false},
    {kMusicDeviceProperty_InstrumentCount, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {6, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {25, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {39, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {1001, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
};

// A read of a row with room for anything; the request records of the
// parameter-text properties are filled so they name parameter 1.
OSStatus Read(AudioUnit unit, const Row& row, unsigned char* data, uint32_t* size) {
  memset(data, 0, 256);
  static const float value = 1.0f;
  switch (row.id) {
    case kAudioUnitProperty_ParameterStringFromValue:
      reinterpret_cast<AudioUnitParameterStringFromValue*>(data)->inParamID = 1;
      reinterpret_cast<AudioUnitParameterStringFromValue*>(data)->inValue = &value;
      break;
    case kAudioUnitProperty_ParameterIDName:
      reinterpret_cast<AudioUnitParameterIDName*>(data)->inID = 1;
      reinterpret_cast<AudioUnitParameterIDName*>(data)->inDesiredLength = -1;
      break;
    case kAudioUnitProperty_ParameterClumpName:
      reinterpret_cast<AudioUnitParameterNameInfo*>(data)->inID = 1;
      break;
    case kAudioUnitProperty_ParameterValueFromString:
      reinterpret_cast<AudioUnitParameterValueFromString*>(data)->inString = CFSTR("Square");
      break;
    default:
      break;
  }
  *size = 256;
  return AudioUnitGetProperty(unit, row.id, row.scope, row.element, data, size);
}

// Frees what a successful read handed out.
void Release(const Row& row, unsigned char* data) {
  switch (row.id) {
    case kAudioUnitProperty_ClassInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kAudioUnitProperty_FactoryPresets:
    case kAudioUnitProperty_ElementName:
      CFRelease(*reinterpret_cast<CFTypeRef*>(data));
      break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      CFRelease(reinterpret_cast<AUPreset*>(data)->presetName);
      break;
    case kAudioUnitProperty_ParameterInfo:
      CFRelease(reinterpret_cast<AudioUnitParameterInfo*>(data)->cfNameString);
      CFRelease(reinterpret_cast<AudioUnitParameterInfo*>(data)->unitName);
      break;
    case kAudioUnitProperty_ParameterStringFromValue:
      CFRelease(reinterpret_cast<AudioUnitParameterStringFromValue*>(data)->outString);
      break;
    case kAudioUnitProperty_ParameterIDName:
      CFRelease(reinterpret_cast<AudioUnitParameterIDName*>(data)->outName);
      break;
    case kAudioUnitProperty_ParameterClumpName:
      CFRelease(reinterpret_cast<AudioUnitParameterNameInfo*>(data)->outName);
      break;
    default:
      break;
  }
}

TEST_F(PropertiesTest, EveryPropertyAnswersWithItsStatusAndSize) {
  for (const Row& row : kReadTable) {
    SCOPED_TRACE(::testing::Message()
                 << "property " << row.id << " scope " << row.scope << " element " << row.element);
    // The size query answers as the read does.
    uint32_t querySize = 0;
    Boolean writable = false;
    const OSStatus queryStatus =
        AudioUnitGetPropertyInfo(m_unit, row.id, row.scope, row.element, &querySize, &writable);
    if (row.id == kAudioUnitProperty_ElementName)
      EXPECT_EQ(queryStatus, kAudioUnitErr_InvalidProperty);  // names are only read
    else
      EXPECT_EQ(queryStatus, row.status);
    EXPECT_EQ(querySize, row.size);
    EXPECT_EQ(writable != 0, row.writable);
    alignas(16) unsigned char data[256];
    uint32_t size = 0;
    const OSStatus status = Read(m_unit, row, data, &size);
    EXPECT_EQ(status, row.status);
    if (row.status != noErr) continue;
    EXPECT_EQ(size, row.size);
    Release(row, data);
  }
}

TEST_F(PropertiesTest, DataShorterThanThePropertyIsRefusedAndUntouched) {
  for (const Row& row : kReadTable) {
    if (row.status != noErr || row.size == 0) continue;
    if (row.id == kAudioUnitProperty_MakeConnection || row.id == kAudioUnitProperty_SetRenderCallback ||
        row.id == kAudioUnitProperty_HostCallbacks)
      continue;  // these are written, never read: no data leaves the unit
    SCOPED_TRACE(::testing::Message() << "property " << row.id);
    alignas(16) unsigned char data[256];
    memset(data, 0xAB, sizeof data);
    uint32_t size = row.size - 1;
    EXPECT_EQ(AudioUnitGetProperty(m_unit, row.id, row.scope, row.element, data, &size),
              kAudioUnitErr_InvalidPropertyValue);
    EXPECT_EQ(size, row.size);  // the size the property needs
    EXPECT_EQ(data[0], 0xAB);
    EXPECT_EQ(data[row.size - 1], 0xAB);
  }
  // No size given at all: only a size query can be served.
  double rate = 0;
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_SampleRate, 0, 0, &rate, nullptr),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(PropertiesTest, WritesShorterThanThePropertyAreRefused) {
  const struct {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    uint32_t size;
  } kWrites[] = {
      {kAudioUnitProperty_ClassInfo, 0, kPointer},
      {kAudioUnitProperty_MakeConnection, 1, sizeof(AudioUnitConnection)},
      {kAudioUnitProperty_SampleRate, 0, 8},
      {kAudioUnitProperty_StreamFormat, 2, 40},
      {kAudioUnitProperty_MaximumFramesPerSlice, 0, 4},
      {kAudioUnitProperty_BypassEffect, 0, 4},
      {kAudioUnitProperty_SetRenderCallback, 1, sizeof(AURenderCallbackStruct)},
      {kAudioUnitProperty_HostCallbacks, 0, sizeof(HostCallbackInfo)},
      {kAudioUnitProperty_CurrentPreset, 0, sizeof(AUPreset)},
      {kAudioUnitProperty_PresentPreset, 0, sizeof(AUPreset)},
      {kAudioUnitProperty_OfflineRender, 0, 4},
      {kAudioUnitProperty_AUHostIdentifier, 0, sizeof(AUHostIdentifier)},
  };
  alignas(16) unsigned char data[256] = {};
  for (const auto& w : kWrites) {
    EXPECT_EQ(AudioUnitSetProperty(m_unit, w.id, w.scope, 0, data, w.size - 1),
              kAudioUnitErr_InvalidPropertyValue)
        << w.id;
    EXPECT_EQ(AudioUnitSetProperty(m_unit, w.id, w.scope, 0, nullptr, w.size),
              kAudioUnitErr_InvalidPropertyValue)
        << w.id;
  }
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_Latency, 0, 0, data, 8),
            kAudioUnitErr_InvalidProperty);
}

TEST_F(PropertiesTest, ValuesOfTheSimpleProperties) {
  auto read = [this](AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                     uint32_t size) { return AudioUnitGetProperty(m_unit, id, scope, element, data, &size); };
  uint32_t count = 0;
  ASSERT_EQ(read(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &count, 4), noErr);
  EXPECT_EQ(count, 1u);
  ASSERT_EQ(read(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &count, 4), noErr);
  EXPECT_EQ(count, 1u);
  ASSERT_EQ(read(kAudioUnitProperty_ElementCount, 3, 0, &count, 4), noErr);
  EXPECT_EQ(count, 0u);
  AudioUnitParameterID ids[kNumTestAutomated];
  ASSERT_EQ(read(kAudioUnitProperty_ParameterList, 0, 0, ids, sizeof ids), noErr);
  EXPECT_EQ(ids[3], 3u);
  AUChannelInfo pairs[1];
  ASSERT_EQ(read(kAudioUnitProperty_SupportedNumChannels, 0, 0, pairs, sizeof pairs), noErr);
  EXPECT_EQ(pairs[0].inChannels, 2);
  EXPECT_EQ(pairs[0].outChannels, 2);
  uint32_t frames = 0;
  ASSERT_EQ(read(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, 4), noErr);
  EXPECT_EQ(frames, 1024u);
  double seconds = 0;
  ASSERT_EQ(read(kAudioUnitProperty_Latency, 0, 0, &seconds, 8), noErr);
  EXPECT_DOUBLE_EQ(seconds, 64 / 44100.0);
  AudioStreamBasicDescription format{};
  ASSERT_EQ(read(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, 40), noErr);
  EXPECT_EQ(format.mFormatID, kAudioFormatLinearPCM);
  EXPECT_EQ(format.mFormatFlags, 41u);
  EXPECT_EQ(format.mChannelsPerFrame, 2u);
  EXPECT_EQ(format.mBytesPerFrame, 4u);
  EXPECT_EQ(format.mBitsPerChannel, 32u);
  ComponentDescription view{};
  ASSERT_EQ(read(kAudioUnitProperty_GetUIComponentList, 0, 0, &view, 20), noErr);
  EXPECT_EQ(view.componentType, FourCharCode("auvw"));
  EXPECT_EQ(view.componentSubType, static_cast<OSType>(kTestPlugSubtype));
  void* proc = nullptr;
  ASSERT_EQ(read(kAudioUnitProperty_FastDispatch, 0, kAudioUnitGetParameterSelect, &proc, kPointer), noErr);
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(reinterpret_cast<AudioUnitGetParameterProc>(proc)(m_plug, kTestVoices, 0, 0, &value), noErr);
  EXPECT_EQ(value, 4.0f);
  CFStringRef name = nullptr;
  ASSERT_EQ(read(kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, &name, kPointer), noErr);
  EXPECT_EQ(TextOf(name), "output 1");
  CFRelease(name);
  ASSERT_EQ(read(kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name, kPointer), noErr);
  EXPECT_EQ(TextOf(name), "input");
  CFRelease(name);
}

TEST_F(PropertiesTest, ParameterInfoDescribesEachAutomatedParameter) {
  const struct {
    int index;
    uint32_t unit;
    float minValue, maxValue;
    uint32_t flags;
    const char* name;
    const char* unitName;
  } kCases[] = {
      {kTestCutoff, kAudioUnitParameterUnit_CustomUnit, 0, 100, 0xC8100010, "Cutoff", "Hz"},
      {kTestWave, kAudioUnitParameterUnit_Indexed, 0, 2, 0xC8100010, "Wave", nullptr},
      {kTestSync, kAudioUnitParameterUnit_Boolean, 0, 1, 0xC8100010, "Sync", nullptr},
      {kTestVoices, kAudioUnitParameterUnit_Indexed, 1, 8, 0xE8000010, "Voices of the unison section",
       nullptr},
  };
  for (const auto& c : kCases) {
    AudioUnitParameterInfo info{};
    uint32_t size = sizeof info;
    ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, 0, c.index, &info, &size),
              noErr);
    EXPECT_EQ(info.unit, c.unit) << c.name;
    EXPECT_EQ(info.minValue, c.minValue) << c.name;
    EXPECT_EQ(info.maxValue, c.maxValue) << c.name;
    EXPECT_EQ(info.flags, c.flags) << c.name;
    EXPECT_STREQ(info.name, c.name);
    EXPECT_EQ(TextOf(info.cfNameString), c.name);
    EXPECT_EQ(info.unitName ? TextOf(info.unitName) : std::string(), c.unitName ? c.unitName : "");
    CFRelease(info.cfNameString);
    CFRelease(info.unitName);
  }
  // Groups become clumps in order of first mention; the same group keeps its clump.
  AudioUnitParameterInfo wave{}, sync{};
  uint32_t size = sizeof wave;
  AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, 0, kTestWave, &wave, &size);
  AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterInfo, 0, kTestSync, &sync, &size);
  EXPECT_EQ(wave.clumpID, 2u);  // "Filter" was 1
  EXPECT_EQ(sync.clumpID, 2u);
  CFRelease(wave.cfNameString);
  CFRelease(sync.cfNameString);
  AudioUnitParameterNameInfo clump{2, -1, nullptr};
  size = sizeof clump;
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump, &size), noErr);
  EXPECT_EQ(TextOf(clump.outName), "Oscillator");
  CFRelease(clump.outName);
  clump = {0, -1, nullptr};
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump, &size),
            kAudioUnitErr_PropertyNotInUse);
  clump = {9, -1, nullptr};
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump, &size), noErr);
  EXPECT_EQ(clump.outName, nullptr);
}

TEST_F(PropertiesTest, ParameterTextsBothWays) {
  uint32_t size = 0;
  CFArrayRef texts = nullptr;
  size = sizeof texts;
  ASSERT_EQ(
      AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterValueStrings, 0, kTestWave, &texts, &size),
      noErr);
  ASSERT_EQ(CFArrayGetCount(texts), 3);
  EXPECT_EQ(TextOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 2))), "Noise");
  CFRelease(texts);

  const float two = 2.0f, cutoff = 12.34f;
  const struct {
    AudioUnitParameterID id;
    const float* value;
    const char* text;
  } kFromValue[] = {
      {kTestWave, &two, "Noise"}, {kTestCutoff, &cutoff, "12.3"}, {kTestCutoff, nullptr, "50.0"}};
  for (const auto& c : kFromValue) {
    AudioUnitParameterStringFromValue request{c.id, c.value, nullptr};
    size = sizeof request;
    ASSERT_EQ(
        AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &request, &size),
        noErr);
    EXPECT_EQ(TextOf(request.outString), c.text);
    CFRelease(request.outString);
  }

  const struct {
    AudioUnitParameterID id;
    CFStringRef text;
    float expected;
  } kFromString[] = {{kTestWave, CFSTR("Square"), 1.0f},
                     {kTestWave, CFSTR("Sine"), -7.0f},
                     {kTestCutoff, CFSTR("33.5"), 33.5f}};
  for (const auto& c : kFromString) {
    AudioUnitParameterValueFromString request{c.id, c.text, -7.0f};
    size = sizeof request;
    ASSERT_EQ(
        AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterValueFromString, 0, 0, &request, &size),
        noErr);
    EXPECT_EQ(request.outValue, c.expected) << TextOf(c.text);  // no match leaves the output as it was
  }

  const struct {
    int32_t length;
    OSStatus status;
    const char* name;
  } kNames[] = {{10, noErr, "Voices of "},
                {-1, noErr, "Voices of the unison section"},
                {0, noErr, ""},
                {-2, kAudioUnitErr_InvalidPropertyValue, nullptr}};
  for (const auto& c : kNames) {
    AudioUnitParameterIDName request{kTestVoices, c.length, nullptr};
    size = sizeof request;
    EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterIDName, 0, 0, &request, &size),
              c.status);
    if (c.name) {
      EXPECT_EQ(TextOf(request.outName), c.name);
    }
    CFRelease(request.outName);
  }
}

TEST_F(PropertiesTest, ParameterIDsBeyondTheListAreRefused) {
  const AudioUnitParameterID beyond = kNumTestParams;
  uint32_t size = 64;
  AudioUnitParameterStringFromValue fromValue{beyond, nullptr, nullptr};
  EXPECT_EQ(
      AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &fromValue, &size),
      kAudioUnitErr_InvalidParameter);
  AudioUnitParameterIDName name{beyond, -1, nullptr};
  size = 64;
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterIDName, 0, 0, &name, &size),
            kAudioUnitErr_InvalidParameter);
  AudioUnitParameterValueFromString fromString{0xFFFFFFFF, CFSTR("1"), 0};
  size = 64;
  EXPECT_EQ(
      AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterValueFromString, 0, 0, &fromString, &size),
      kAudioUnitErr_InvalidParameter);
  // Other scopes are answered with nothing done.
  size = 64;
  EXPECT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterIDName, 1, 0, &name, &size), noErr);
  EXPECT_EQ(name.outName, nullptr);
}

TEST_F(PropertiesTest, RefusedStreamFormatsLeaveTheBusAtZeroChannels) {
  const struct {
    const char* why;
    uint32_t channels, formatID, flags;
  } kRefused[] = {
      {"no channels", 0, kAudioFormatLinearPCM, 41},
      {"not linear PCM", 2, FourCharCode("aac "), 41},
      {"neither float nor packed", 2, kAudioFormatLinearPCM, 0},
      {"a layout the plug-in lacks", 3, kAudioFormatLinearPCM, 41},
      {"a count beyond any bus", 0x10000, kAudioFormatLinearPCM, 41},
  };
  for (const auto& c : kRefused) {
    ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
    EXPECT_EQ(SetOutputChannels(m_unit, c.channels, c.formatID, c.flags), kAudioUnitErr_InvalidProperty)
        << c.why;
    AudioStreamBasicDescription format{};
    uint32_t size = sizeof format;
    ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                   &format, &size),
              noErr);
    EXPECT_EQ(format.mChannelsPerFrame, 0u) << c.why;
  }
  // An accepted format brings its sample rate along.
  EXPECT_EQ(SetOutputChannels(m_unit, 2), noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetSampleRate(), 48000.0);
}

TEST_F(PropertiesTest, WritesChangeTheUnit) {
  double rate = 96000;
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_SampleRate, 0, 0, &rate, 8), noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetSampleRate(), 96000);
  for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) {
    EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_SampleRate, 0, 0, &bad, 8),
              kAudioUnitErr_InvalidPropertyValue);
  }
  EXPECT_DOUBLE_EQ(m_plug->GetSampleRate(), 96000);
  for (uint32_t bad : {0u, 0x10001u, 0xFFFFFFFFu}) {
    EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &bad, 4),
              kAudioUnitErr_InvalidPropertyValue);
  }
  EXPECT_EQ(m_plug->GetBlockSize(), 1024);
  uint32_t on = 1;
  const int resets = m_plug->ResetCount();
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_BypassEffect, 0, 0, &on, 4), noErr);
  EXPECT_TRUE(m_plug->IsBypassed());
  EXPECT_EQ(m_plug->ResetCount(), resets + 1);
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_OfflineRender, 0, 0, &on, 4), noErr);
  EXPECT_TRUE(m_plug->IsRenderingOffline());
  AUPreset preset{1, nullptr};
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_PresentPreset, 0, 0, &preset, sizeof preset),
            noErr);
  EXPECT_EQ(m_plug->GetCurrentPresetIdx(), 1);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 10.0);
  AUPreset current{};
  uint32_t size = sizeof current;
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_CurrentPreset, 0, 0, &current, &size), noErr);
  EXPECT_EQ(current.presetNumber, 1);
  EXPECT_EQ(TextOf(current.presetName), "Dark");
  CFRelease(current.presetName);
}

TEST_F(PropertiesTest, FactoryPresetsAreCountedRecords) {
  CFArrayRef presets = nullptr;
  uint32_t size = sizeof presets;
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_FactoryPresets, 0, 0, &presets, &size), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);  // the third, never filled, was pruned at open
  const auto* dark = static_cast<const CFAUPreset*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(dark->auPreset.presetNumber, 1);
  EXPECT_EQ(TextOf(dark->auPreset.presetName), "Dark");
  EXPECT_EQ(dark->retainCount, 1);
  CFStringRef description = CFAUPresetArrayCopyDescriptionCallBack(dark);
  EXPECT_EQ(TextOf(description), "AUPreset:\npreset number = 1\npreset name = Dark");
  CFRelease(description);
  CFRelease(presets);
}

TEST(CFAUPresetRecord, RetainReleaseAndEquality) {
  CFStringRef name = CFStringCreateWithCString(nullptr, "Init", kCFStringEncodingUTF8);
  CFAUPresetRef a = CFAUPresetCreate(kCFAllocatorDefault, 3, name);
  CFAUPresetRef b = CFAUPresetCreate(kCFAllocatorDefault, 3, name);
  CFAUPresetRef c = CFAUPresetCreate(kCFAllocatorDefault, 4, name);
  EXPECT_EQ(CFGetRetainCount(name), 4);
  EXPECT_TRUE(CFAUPresetArrayEqualCallBack(a, b));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, c));
  EXPECT_EQ(CFAUPresetRetain(a), a);
  EXPECT_EQ(a->retainCount, 2);
  EXPECT_EQ(CFGetRetainCount(name), 5);
  CFAUPresetRelease(a);
  CFAUPresetRelease(a);
  CFAUPresetRelease(b);
  CFAUPresetRelease(c);
  EXPECT_EQ(CFGetRetainCount(name), 1);
  EXPECT_EQ(CFAUPresetRetain(nullptr), nullptr);
  CFAUPresetRelease(nullptr);
  CFArrayCallBacks callBacks{};
  CFAUPresetArrayCallBacks_Init(&callBacks);
  EXPECT_EQ(callBacks.release, kCFAUPresetArrayCallBacks.release);
  CFAUPresetArrayCallBacks_Init(nullptr);
  CFAUPresetRef unnamed = CFAUPresetCreate(kCFAllocatorDefault, 0, nullptr);
  EXPECT_EQ(unnamed->auPreset.presetName, nullptr);
  CFAUPresetRelease(unnamed);
  CFRelease(name);
}

}  // namespace
