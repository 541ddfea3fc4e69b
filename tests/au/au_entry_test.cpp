// The component entry: selectors, can-do and version, initialisation,
// parameters, listeners, MIDI selectors and rendering.
#include <cmath>

#include "tests/au/au_fixture.h"

namespace {

using EntryTest = AUFixture;

TEST_F(EntryTest, CanDoAnnouncesTheServedAudioUnitSelectorsOnly) {
  for (int selector = -6; selector <= 0x110; ++selector) {
    const bool announced = (selector >= 1 && selector <= 7) || (selector >= 9 && selector <= 11) ||
                           (selector >= 14 && selector <= 17);
    EXPECT_EQ(CallComponentCanDo(m_unit, static_cast<int16_t>(selector)), announced ? 1 : 0) << selector;
  }
}

TEST_F(EntryTest, VersionIsTheEffectVersionWord) {
  EXPECT_EQ(CallComponentVersion(m_unit), kTestPlugVersion);
}

TEST_F(EntryTest, ResetSelectorResetsThePlugIn) {
  const int before = m_plug->ResetCount();
  EXPECT_EQ(AudioUnitReset(m_unit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(m_plug->ResetCount(), before + 1);
}

TEST_F(EntryTest, UnlistedSelectorsAreRefused) {
  for (int16_t selector : {0, 8, 12, 13, 19, 0x100, 0x107, 0x301, -5}) {
    ComponentCall call(selector);
    call.Pointer(m_unit);
    EXPECT_EQ(call.Call(m_unit), badComponentSelector) << selector;
  }
}

TEST_F(EntryTest, BlocksWithTooFewArgumentsAreRefused) {
  ComponentCall call(kAudioUnitGetPropertySelect);
  call.Pointer(m_unit).Integer(kAudioUnitProperty_SampleRate).Integer(0).Integer(0);  // no data, no size
  EXPECT_EQ(call.Call(m_unit), paramErr);
  ComponentCall sysex(kMusicDeviceSysExSelect);
  sysex.Pointer(m_unit);
  EXPECT_EQ(sysex.Call(m_unit), paramErr);
  EXPECT_TRUE(m_plug->TakeReceived().empty());
}

TEST_F(EntryTest, InitializeChecksTheHostChannelCounts) {
  // No counts reported at all: the layout list decides (-1, -1 matches).
  EXPECT_EQ(AudioUnitInitialize(m_unit), noErr);
  EXPECT_TRUE(m_plug->IsActive());
  EXPECT_EQ(AudioUnitUninitialize(m_unit), noErr);
  EXPECT_FALSE(m_plug->IsActive());
  // Three output channels are refused when proposed; stereo is accepted.
  EXPECT_EQ(SetOutputChannels(m_unit, 3), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetOutputChannels(m_unit, 2), noErr);
  EXPECT_EQ(AudioUnitInitialize(m_unit), noErr);
  // While active, a mono output no longer fits the 2-2 layout.
  EXPECT_EQ(SetOutputChannels(m_unit, 1), kAudioUnitErr_InvalidProperty);
}

TEST_F(EntryTest, InitializeWithEveryBusAtZeroChannelsSkipsTheLayoutCheck) {
  AudioStreamBasicDescription none{};  // refused format: the bus keeps 0 host channels
  AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &none,
                       sizeof none);
  AudioUnitSetProperty(m_unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &none, sizeof none);
  EXPECT_EQ(AudioUnitInitialize(m_unit), noErr);
}

TEST_F(EntryTest, ParametersAreReadAndWrittenInTheirOwnUnits) {
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(AudioUnitGetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_FLOAT_EQ(value, 50.0f);
  EXPECT_EQ(AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, 120.0f, 0), noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 100.0);  // held at the maximum
  EXPECT_EQ(AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, -5.0f, 0), noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 0.0);
  EXPECT_EQ(AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, NAN, 0), noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 0.0);
  EXPECT_EQ(AudioUnitSetParameter(m_unit, kTestHidden, kAudioUnitScope_Global, 0, 0.5f, 0), noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestHidden)->Value(), 0.5);
}

TEST_F(EntryTest, ParameterCallsRefuseOtherScopesAndUnknownIDs) {
  AudioUnitParameterValue value = 7;
  EXPECT_EQ(AudioUnitGetParameter(m_unit, kTestCutoff, kAudioUnitScope_Input, 0, &value),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Output, 0, 1, 0),
            kAudioUnitErr_InvalidProperty);
  for (AudioUnitParameterID id : {static_cast<AudioUnitParameterID>(kNumTestParams), 1000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(AudioUnitGetParameter(m_unit, id, kAudioUnitScope_Global, 0, &value),
              kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitSetParameter(m_unit, id, kAudioUnitScope_Global, 0, 1, 0),
              kAudioUnitErr_InvalidParameter);
  }
  EXPECT_EQ(value, 7);
}

TEST_F(EntryTest, ScheduleAppliesImmediateEventsUntilTheFirstFailure) {
  AudioUnitParameterEvent events[4] = {};
  events[0] = {kAudioUnitScope_Global, 0, kTestCutoff, kParameterEvent_Ramped, {}};
  events[0].eventValues.ramp = {0, 64, 1.0f, 2.0f};
  events[1] = {kAudioUnitScope_Global, 0, kTestVoices, kParameterEvent_Immediate, {}};
  events[1].eventValues.immediate = {0, 6.0f};
  events[2] = {kAudioUnitScope_Input, 0, kTestSync, kParameterEvent_Immediate, {}};
  events[2].eventValues.immediate = {0, 1.0f};
  events[3] = {kAudioUnitScope_Global, 0, kTestSync, kParameterEvent_Immediate, {}};
  events[3].eventValues.immediate = {0, 1.0f};
  EXPECT_EQ(AudioUnitScheduleParameters(m_unit, events, 4), kAudioUnitErr_InvalidProperty);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 50.0);  // ramp skipped
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestVoices)->Value(), 6.0);
  EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestSync)->Value(), 0.0);  // after the failure: not applied
  events[1].parameter = 99;
  EXPECT_EQ(AudioUnitScheduleParameters(m_unit, events, 2), kAudioUnitErr_InvalidParameter);
}

// ---- Listeners ------------------------------------------------------------------------

struct Heard {
  int count = 0;
  AudioUnitPropertyID id = 0;
  AudioUnitScope scope = 99;
  AudioUnitElement element = 99;
};

void Listener(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope,
              AudioUnitElement element) {
  Heard* heard = static_cast<Heard*>(refCon);
  ++heard->count;
  heard->id = id, heard->scope = scope, heard->element = element;
}

TEST_F(EntryTest, ListenersHearEverySetOfTheirPropertyRefusedOrNot) {
  Heard first, second;
  EXPECT_EQ(AudioUnitAddPropertyListener(m_unit, kAudioUnitProperty_StreamFormat, Listener, &first), noErr);
  // Same ID and procedure: the first user data stays, no second entry.
  EXPECT_EQ(AudioUnitAddPropertyListener(m_unit, kAudioUnitProperty_StreamFormat, Listener, &second), noErr);
  EXPECT_EQ(SetOutputChannels(m_unit, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(first.count, 1);
  EXPECT_EQ(first.scope, kAudioUnitScope_Output);
  EXPECT_EQ(first.element, 0u);
  EXPECT_EQ(second.count, 0);
  uint32_t frames = 512;
  AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                       4);
  EXPECT_EQ(first.count, 1);  // another property
  // Removal with other user data finds nothing; plain removal does.
  EXPECT_EQ(
      AudioUnitRemovePropertyListenerWithUserData(m_unit, kAudioUnitProperty_StreamFormat, Listener, &second),
      noErr);
  SetOutputChannels(m_unit, 2);
  EXPECT_EQ(first.count, 2);
  EXPECT_EQ(AudioUnitRemovePropertyListener(m_unit, kAudioUnitProperty_StreamFormat, Listener), noErr);
  SetOutputChannels(m_unit, 2);
  EXPECT_EQ(first.count, 2);
}

TEST_F(EntryTest, LatencyListenersHearBeforeTheValueChanges) {
  struct Seen {
    AudioUnit unit;
    double latency = -1;
  } seen{m_unit};
  AudioUnitAddPropertyListener(
      m_unit, kAudioUnitProperty_Latency,
      [](void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
        Seen* s = static_cast<Seen*>(refCon);
        uint32_t size = sizeof s->latency;
        AudioUnitGetProperty(s->unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &s->latency,
                             &size);
      },
      &seen);
  m_plug->SetLatency(4800);
  EXPECT_DOUBLE_EQ(seen.latency, 64 / 44100.0);  // the old latency at the start rate
}

// ---- Host notices ------------------------------------------------------------------------

TEST_F(EntryTest, ParameterGesturesReachTheHostAsEvents) {
  m_plug->BeginInformHostOfParamChange(kTestWave);
  m_plug->SetParameterFromGUI(kTestWave, 1.0);
  m_plug->EndInformHostOfParamChange(kTestWave);
  ASSERT_EQ(m_events.size(), 3u);
  const AudioUnitEventType kinds[] = {kAudioUnitEvent_BeginParameterChangeGesture,
                                      kAudioUnitEvent_ParameterValueChange,
                                      kAudioUnitEvent_EndParameterChangeGesture};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m_events[i].mEventType, kinds[i]);
    EXPECT_EQ(m_events[i].mArgument.mParameter.mAudioUnit, m_unit);
    EXPECT_EQ(m_events[i].mArgument.mParameter.mParameterID, static_cast<AudioUnitParameterID>(kTestWave));
  }
}

// ---- MIDI selectors ------------------------------------------------------------------------

TEST_F(EntryTest, MidiSelectorsReachTheHandlersMarkedAsHostMidi) {
  EXPECT_EQ(MusicDeviceMIDIEvent(m_unit, 0xB2, 74, 127, 17), noErr);
  const uint8_t sysex[] = {0xF0, 0x3E, 0x0B, 0x01, 0xF7};
  EXPECT_EQ(MusicDeviceSysEx(m_unit, sysex, sizeof sysex), noErr);
  NoteInstanceID note = 0;
  const MusicDeviceNoteParams params{2, 60.7f, 100.9f};
  EXPECT_EQ(MusicDeviceStartNote(m_unit, 0, 0, &note, 5, &params), noErr);
  EXPECT_EQ(note, 60u);
  EXPECT_EQ(MusicDeviceStopNote(m_unit, 0, note, 9), noErr);
  EXPECT_EQ(MusicDevicePrepareInstrument(m_unit, 1), noErr);
  EXPECT_EQ(MusicDeviceReleaseInstrument(m_unit, 1), noErr);
  const auto received = m_plug->TakeReceived();
  const struct {
    bool sysex;
    int32_t offset;
    std::vector<uint8_t> bytes;
  } kExpected[] = {
      {false, 17, {0xB2, 74, 127}},
      {true, 0, {0xF0, 0x3E, 0x0B, 0x01, 0xF7}},
      {false, 5, {0x90, 60, 100}},
      {false, 9, {0x80, 60, 64}},
  };
  ASSERT_EQ(received.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(received[i].isSysEx, kExpected[i].sysex) << i;
    EXPECT_FALSE(received[i].fromDevice) << i;
    EXPECT_EQ(received[i].offset, kExpected[i].offset) << i;
    EXPECT_EQ(received[i].bytes, kExpected[i].bytes) << i;
  }
}

TEST_F(EntryTest, StartNoteKeepsWildPitchesInTheMidiRange) {
  NoteInstanceID note = 0;
  const MusicDeviceNoteParams params[] = {{2, 300.0f, 500.0f}, {2, -4.0f, NAN}};
  EXPECT_EQ(MusicDeviceStartNote(m_unit, 0, 0, &note, 0, &params[0]), noErr);
  EXPECT_EQ(note, 127u);
  EXPECT_EQ(MusicDeviceStartNote(m_unit, 0, 0, &note, 0, &params[1]), noErr);
  EXPECT_EQ(note, 0u);
  EXPECT_EQ(MusicDeviceStartNote(m_unit, 0, 0, &note, 0, nullptr), paramErr);
  const auto received = m_plug->TakeReceived();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].bytes, (std::vector<uint8_t>{0x90, 127, 127}));
  EXPECT_EQ(received[1].bytes, (std::vector<uint8_t>{0x90, 0, 0}));
}

// ---- Render ---------------------------------------------------------------------------------

struct Notices {
  std::vector<AudioUnitRenderActionFlags> flags;
};

OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, uint32_t, uint32_t,
                AudioBufferList*) {
  static_cast<Notices*>(refCon)->flags.push_back(*flags);
  return noErr;
}

TEST_F(EntryTest, RenderZeroesTheOutputAndNotifiesBeforeAndAfter) {
  ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
  ASSERT_EQ(AudioUnitInitialize(m_unit), noErr);
  Notices notices;
  AudioUnitAddRenderNotify(m_unit, Notify, &notices);
  ASSERT_EQ(Render(512, 0.0), noErr);
  for (uint32_t i = 0; i < 512; ++i) {
    ASSERT_EQ(m_left[i], 0.0f) << i;
    ASSERT_EQ(m_right[i], 0.0f) << i;
  }
  EXPECT_EQ(notices.flags, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender,
                                                                    kAudioUnitRenderAction_PostRender}));
  AudioUnitRemoveRenderNotify(m_unit, Notify, nullptr);  // the reference is not compared
  Render(512, 512.0);
  EXPECT_EQ(notices.flags.size(), 2u);
}

TEST_F(EntryTest, RenderRefusalsTouchNothing) {
  ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
  uint32_t frames = 256;
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                 &frames, sizeof frames),
            noErr);
  Notices notices;
  AudioUnitAddRenderNotify(m_unit, Notify, &notices);
  EXPECT_EQ(Render(256, 0.0, 0), kAudioUnitErr_InvalidPropertyValue);  // no sample time
  EXPECT_EQ(Render(257, 0.0), kAudioUnitErr_InvalidPropertyValue);     // above the block size
  EXPECT_EQ(m_left[0], 0.5f);
  EXPECT_TRUE(notices.flags.empty());
  // A buffer that cannot hold the frames is refused, not overrun.
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(m_list.data());
  AudioBufferListBuffer(list, 1)->mDataByteSize = 4;
  AudioTimeStamp stamp{};
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  EXPECT_EQ(AudioUnitRender(m_unit, nullptr, &stamp, 0, 257, list), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitRender(m_unit, nullptr, &stamp, 1, 16, list),
            kAudioUnitErr_InvalidPropertyValue);  // no bus 1
  EXPECT_EQ(AudioUnitRender(m_unit, nullptr, nullptr, 0, 16, list), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Render(256, 0.0), noErr);  // exactly the block size renders
  EXPECT_EQ(notices.flags.size(), 2u);
}

TEST_F(EntryTest, BuffersWithoutDataGetTheUnitsOwnAndExtraBuffersSilence) {
  ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
  std::vector<float> extra(64, 0.25f);
  std::vector<uint8_t> bytes(AudioBufferListSize(3));
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(bytes.data());
  list->mNumberBuffers = 3;
  *AudioBufferListBuffer(list, 0) = {1, 0, nullptr};
  *AudioBufferListBuffer(list, 1) = {1, 0, nullptr};
  *AudioBufferListBuffer(list, 2) = {1, 64 * 4, extra.data()};
  AudioTimeStamp stamp{};
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  ASSERT_EQ(AudioUnitRender(m_unit, nullptr, &stamp, 0, 64, list), noErr);
  ASSERT_NE(AudioBufferListBuffer(list, 0)->mData, nullptr);
  EXPECT_EQ(AudioBufferListBuffer(list, 0)->mDataByteSize, 64u * 4);
  EXPECT_EQ(static_cast<float*>(AudioBufferListBuffer(list, 1)->mData)[63], 0.0f);
  EXPECT_EQ(extra[0], 0.0f);
  EXPECT_EQ(extra[63], 0.0f);
}

// An upstream source on the input bus: counts its calls and fills 1.0.
struct Source {
  int calls = 0;
};

OSStatus Pull(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t bus, uint32_t frames,
              AudioBufferList* data) {
  ++static_cast<Source*>(refCon)->calls;
  for (uint32_t b = 0; b < data->mNumberBuffers; ++b) {
    float* samples = static_cast<float*>(AudioBufferListBuffer(data, b)->mData);
    for (uint32_t i = 0; i < frames; ++i) samples[i] = 1.0f;
  }
  return bus == 0 ? noErr : -1;
}

TEST_F(EntryTest, InputsArePulledOncePerSampleTimeAndPassToTheOutputs) {
  ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
  Source source;
  AURenderCallbackStruct callback{Pull, &source};
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                 &callback, sizeof callback),
            noErr);
  ASSERT_EQ(Render(128, 0.0), noErr);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(m_left[100], 1.0f);  // the base passes input through to output
  ASSERT_EQ(Render(128, 0.0), noErr);
  EXPECT_EQ(source.calls, 1);  // same sample time: not pulled again
  ASSERT_EQ(Render(128, 128.0), noErr);
  EXPECT_EQ(source.calls, 2);
  // Clearing the callback disconnects the input: it is not called again.
  AURenderCallbackStruct none{nullptr, nullptr};
  AudioUnitSetProperty(m_unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &none,
                       sizeof none);
  ASSERT_EQ(Render(128, 256.0), noErr);
  EXPECT_EQ(source.calls, 2);
}

TEST_F(EntryTest, AnUpstreamFailureEndsTheRenderWithItsStatus) {
  ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
  Notices notices;
  AudioUnitAddRenderNotify(m_unit, Notify, &notices);
  AURenderCallbackStruct failing{[](void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, uint32_t,
                                    uint32_t, AudioBufferList*) -> OSStatus { return -1234; },
                                 nullptr};
  AudioUnitSetProperty(m_unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &failing,
                       sizeof failing);
  EXPECT_EQ(Render(64, 0.0), -1234);
  EXPECT_EQ(notices.flags, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender}));
  EXPECT_EQ(m_left[0], 0.5f);
}

TEST_F(EntryTest, AnotherUnitsOutputFeedsTheInputBus) {
  AudioUnit upstream = Open();
  ASSERT_NE(upstream, nullptr);
  ASSERT_EQ(SetOutputChannels(m_unit, 2), noErr);
  AudioUnitConnection connection{upstream, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                 &connection, sizeof connection),
            noErr);
  EXPECT_EQ(Render(64, 0.0), noErr);
  EXPECT_EQ(m_left[10], 0.0f);
  AudioUnitConnection self{m_unit, 0, 0};
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &self,
                                 sizeof self),
            kAudioUnitErr_InvalidProperty);
  AudioUnitConnection noBus{upstream, 0, 3};
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &noBus,
                                 sizeof noBus),
            kAudioUnitErr_InvalidProperty);
}

// ---- Host time ------------------------------------------------------------------------------------

struct Transport {
  double beat = 0, tempo = 0, sample = 0, cycleStart = 0, cycleEnd = 0, downBeat = 0;
  float numerator = 0;
  uint32_t denominator = 0;
  bool playing = false, cycling = false;
};

HostCallbackInfo CallbacksFor(Transport* t) {
  HostCallbackInfo info{};
  info.hostUserData = t;
  info.beatAndTempoProc = [](void* data, double* beat, double* tempo) -> OSStatus {
    const Transport* t = static_cast<Transport*>(data);
    if (beat) *beat = t->beat;
    if (tempo) *tempo = t->tempo;
    return noErr;
  };
  info.musicalTimeLocationProc = [](void* data, uint32_t*, float* numerator, uint32_t* denominator,
                                    double* downBeat) -> OSStatus {
    const Transport* t = static_cast<Transport*>(data);
    *numerator = t->numerator;
    *denominator = t->denominator;
    *downBeat = t->downBeat;
    return noErr;
  };
  info.transportStateProc = [](void* data, Boolean* playing, Boolean*, double* sample, Boolean* cycling,
                               double* start, double* end) -> OSStatus {
    const Transport* t = static_cast<Transport*>(data);
    *playing = t->playing;
    *sample = t->sample;
    *cycling = t->cycling;
    *start = t->cycleStart;
    *end = t->cycleEnd;
    return noErr;
  };
  return info;
}

TEST_F(EntryTest, TimeInformationComesFromTheHostCallbacks) {
  EXPECT_DOUBLE_EQ(m_plug->GetTempo(), 138.0);  // no host procedure yet
  EXPECT_EQ(m_plug->GetSamplePos(), 0);
  Transport transport{8.0, 120.0, 44100.4, 4.0, 12.0, 8.0, 3.0f, 4, true, true};
  const HostCallbackInfo callbacks = CallbacksFor(&transport);
  ASSERT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                 &callbacks, sizeof callbacks),
            noErr);
  EXPECT_DOUBLE_EQ(m_plug->GetTempo(), 120.0);
  transport.tempo = 0;
  EXPECT_DOUBLE_EQ(m_plug->GetTempo(), 120.0);  // a tempo of 0 keeps the last one
  EXPECT_EQ(m_plug->GetSamplePos(), 44100);
  int numerator = 0, denominator = 0;
  m_plug->GetTimeSig(&numerator, &denominator);
  EXPECT_EQ(numerator, 3);
  EXPECT_EQ(denominator, 4);
  ITimeInfo info;
  transport.sample = 0;  // not reported: the caller's value stays
  info.mSamplePos = 77;
  m_plug->GetTime(&info);
  EXPECT_DOUBLE_EQ(info.mSamplePos, 77);
  EXPECT_DOUBLE_EQ(info.mPPQPos, 8.0);
  EXPECT_DOUBLE_EQ(info.mCycleEnd, 12.0);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoopEnabled);
  EXPECT_EQ(info.mNumerator, 3);
  EXPECT_DOUBLE_EQ(info.mLastBar, 8.0);
  // A short record is refused; the callbacks stay.
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                 &callbacks, 16),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(m_plug->GetSamplePos(), 0);
}

TEST_F(EntryTest, TheHostIsNamedByItsIdentifierProperty) {
  AUHostIdentifier host{CFSTR("Logic Pro X"), {3, 0x52, 0, 0}};
  EXPECT_EQ(AudioUnitSetProperty(m_unit, kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0,
                                 &host, sizeof host),
            noErr);
  EXPECT_EQ(m_plug->GetHost(), kHostLogic);
  EXPECT_EQ(m_plug->GetHostVersion(false), 0x30502);
}

}  // namespace
