// Types, numbers and records of the Audio Unit component interface, as the
// plug-in binding and the host use them. Numeric values are the interface's
// own; records that carry pointers take the native sizes of this machine
// (64-bit pointers), so their sizes differ from 32-bit builds of the same
// interface: AUTypesTest prints them.
#pragma once

#include <cstdint>

#include "platform/corefoundation/CFBase.h"

typedef int32_t OSStatus;
typedef int16_t OSErr;
typedef int32_t ComponentResult;
typedef uint32_t OSType;  // a four-character code read as a big-endian number

typedef struct ComponentInstanceRecord* ComponentInstance;
typedef ComponentInstance Component;  // one record serves as both here
typedef ComponentInstance AudioUnit;
typedef ComponentInstance AudioUnitCarbonView;

typedef uint32_t AudioUnitPropertyID;
typedef uint32_t AudioUnitScope;
typedef uint32_t AudioUnitElement;
typedef uint32_t AudioUnitParameterID;
typedef float AudioUnitParameterValue;
typedef uint32_t AudioUnitRenderActionFlags;
typedef uint32_t MusicDeviceInstrumentID;
typedef uint32_t MusicDeviceGroupID;
typedef uint32_t NoteInstanceID;

// Four-character code from text such as "kzrn".
constexpr OSType FourCharCode(const char (&code)[5]) {
  return (OSType(uint8_t(code[0])) << 24) | (OSType(uint8_t(code[1])) << 16) |
         (OSType(uint8_t(code[2])) << 8) | OSType(uint8_t(code[3]));
}

// ---------------------------------------------------------------- STATUS CODES
enum : OSStatus {
  noErr = 0,
  paramErr = -50,  // a call's arguments are missing or malformed
  badComponentSelector = OSStatus(0x80008002u),
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_FailedInitialization = -10875,  // also: an exception stopped the call
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_PropertyNotInUse = -10850,
  coreFoundationUnknownErr = -4960,
};

// ---------------------------------------------------------------- SELECTORS
enum : int16_t {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,

  kAudioUnitInitializeSelect = 1,
  kAudioUnitUninitializeSelect = 2,
  kAudioUnitGetPropertyInfoSelect = 3,
  kAudioUnitGetPropertySelect = 4,
  kAudioUnitSetPropertySelect = 5,
  kAudioUnitGetParameterSelect = 6,
  kAudioUnitSetParameterSelect = 7,
  kAudioUnitResetSelect = 9,
  kAudioUnitAddPropertyListenerSelect = 10,
  kAudioUnitRemovePropertyListenerSelect = 11,
  kAudioUnitRenderSelect = 14,
  kAudioUnitAddRenderNotifySelect = 15,
  kAudioUnitRemoveRenderNotifySelect = 16,
  kAudioUnitScheduleParametersSelect = 17,
  kAudioUnitRemovePropertyListenerWithUserDataSelect = 18,

  kMusicDeviceMIDIEventSelect = 0x101,
  kMusicDeviceSysExSelect = 0x102,
  kMusicDevicePrepareInstrumentSelect = 0x103,
  kMusicDeviceReleaseInstrumentSelect = 0x104,
  kMusicDeviceStartNoteSelect = 0x105,
  kMusicDeviceStopNoteSelect = 0x106,

  kAudioUnitCarbonViewCreateSelect = 0x301,
};

// ---------------------------------------------------------------- SCOPES
enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
};

// ---------------------------------------------------------------- PROPERTY IDS
enum : AudioUnitPropertyID {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_GetUIComponentList = 18,
  kAudioUnitProperty_AudioChannelLayout = 19,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_ElementName = 30,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_SupportedChannelLayoutTags = 32,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_ParameterIDName = 34,
  kAudioUnitProperty_ParameterClumpName = 35,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kAudioUnitProperty_AUHostIdentifier = 46,
  kMusicDeviceProperty_InstrumentCount = 1000,
};

// ---------------------------------------------------------------- COMPONENTS
enum : OSType {
  kAudioUnitType_MusicDevice = FourCharCode("aumu"),  // instrument
  kAudioUnitCarbonViewComponentType = FourCharCode("auvw"),
};

struct ComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  uint32_t componentFlags;
  uint32_t componentFlagsMask;
};

// ---------------------------------------------------------------- STREAMS
enum : uint32_t {
  kAudioFormatLinearPCM = FourCharCode("lpcm"),
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
};

struct AudioStreamBasicDescription {  // 40 bytes
  double mSampleRate;
  uint32_t mFormatID;
  uint32_t mFormatFlags;
  uint32_t mBytesPerPacket;
  uint32_t mFramesPerPacket;
  uint32_t mBytesPerFrame;
  uint32_t mChannelsPerFrame;
  uint32_t mBitsPerChannel;
  uint32_t mReserved;
};

enum : uint32_t {
  kAudioChannelLayoutTag_Mono = 0x640001,
  kAudioChannelLayoutTag_Stereo = 0x650002,
  kAudioChannelLayoutTag_Unknown = 0xFFFF0000,
};
typedef uint32_t AudioChannelLayoutTag;

// Input and output channel counts of one legal layout (-1: any).
struct AUChannelInfo {
  int16_t inChannels;
  int16_t outChannels;
};

// ---------------------------------------------------------------- RENDERING
enum : uint32_t {
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
};

struct AudioTimeStamp {
  double mSampleTime;
  uint64_t mHostTime;
  double mRateScalar;
  uint64_t mWordClockTime;
  uint32_t mFlags;
  uint32_t mReserved;
};

enum : AudioUnitRenderActionFlags {
  kAudioUnitRenderAction_PreRender = 1u << 2,
  kAudioUnitRenderAction_PostRender = 1u << 3,
};

struct AudioBuffer {
  uint32_t mNumberChannels;
  uint32_t mDataByteSize;
  void* mData;
};

// A list of mNumberBuffers buffers laid out one after the other; make one of
// any length with AudioBufferListSize.
struct AudioBufferList {
  uint32_t mNumberBuffers;
  AudioBuffer mBuffers[1];
};

// Bytes of a list of count buffers.
constexpr size_t AudioBufferListSize(uint32_t count) {
  return sizeof(AudioBufferList) + (count > 1 ? (count - 1) * sizeof(AudioBuffer) : 0);
}
// Buffer number index of a list (no bound check: index < mNumberBuffers).
inline AudioBuffer* AudioBufferListBuffer(AudioBufferList* list, uint32_t index) {
  return list->mBuffers + index;
}

typedef OSStatus (*AURenderCallback)(void* refCon, AudioUnitRenderActionFlags* actionFlags,
                                     const AudioTimeStamp* timeStamp, uint32_t busNumber, uint32_t frames,
                                     AudioBufferList* data);

struct AURenderCallbackStruct {
  AURenderCallback inputProc;
  void* inputProcRefCon;
};

// Fast-dispatch procedures handed out through the fast-dispatch property.
typedef ComponentResult (*AudioUnitGetParameterProc)(void* unitStorage, AudioUnitParameterID id,
                                                     AudioUnitScope scope, AudioUnitElement element,
                                                     AudioUnitParameterValue* value);
typedef ComponentResult (*AudioUnitSetParameterProc)(void* unitStorage, AudioUnitParameterID id,
                                                     AudioUnitScope scope, AudioUnitElement element,
                                                     AudioUnitParameterValue value, uint32_t bufferOffset);
typedef ComponentResult (*AudioUnitRenderProc)(void* unitStorage, AudioUnitRenderActionFlags* actionFlags,
                                               const AudioTimeStamp* timeStamp, uint32_t outputBus,
                                               uint32_t frames, AudioBufferList* data);

struct AudioUnitConnection {
  AudioUnit sourceAudioUnit;
  uint32_t sourceOutputNumber;
  uint32_t destInputNumber;
};

// ---------------------------------------------------------------- PARAMETERS
enum : uint32_t {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_CustomUnit = 26,
};
typedef uint32_t AudioUnitParameterUnit;

enum : uint32_t {
  kAudioUnitParameterFlag_HasClump = 1u << 20,
  kAudioUnitParameterFlag_IsElementMeta = 1u << 29,
  kAudioUnitParameterFlag_HasCFNameString = 1u << 27,
  kAudioUnitParameterFlag_CFNameRelease = 1u << 4,
  kAudioUnitParameterFlag_IsReadable = 1u << 30,
  kAudioUnitParameterFlag_IsWritable = 1u << 31,
};

struct AudioUnitParameterInfo {
  char name[52];
  CFStringRef unitName;
  uint32_t clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  uint32_t flags;
};

enum : uint32_t { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };

struct AudioUnitParameterEvent {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  uint32_t eventType;
  union {
    struct {
      int32_t startBufferOffset;
      uint32_t durationInFrames;
      AudioUnitParameterValue startValue;
      AudioUnitParameterValue endValue;
    } ramp;
    struct {
      uint32_t bufferOffset;
      AudioUnitParameterValue value;
    } immediate;
  } eventValues;
};

struct AudioUnitParameterStringFromValue {
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
};

struct AudioUnitParameterIDName {
  AudioUnitParameterID inID;
  int32_t inDesiredLength;  // -1: the whole name
  CFStringRef outName;
};

struct AudioUnitParameterNameInfo {  // the clump-name property
  uint32_t inID;                     // clump ID, 1-based
  int32_t inDesiredLength;
  CFStringRef outName;
};

struct AudioUnitParameterValueFromString {
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  AudioUnitParameterValue outValue;
};

// ---------------------------------------------------------------- PRESETS, VIEWS, HOST
struct AUPreset {
  int32_t presetNumber;
  CFStringRef presetName;
};

struct AudioUnitCocoaViewInfo {
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
};

// Version in four bytes: major, minor (high nibble) and fix level (low nibble),
// stage, non-release revision.
struct NumVersion {
  uint8_t majorRev;
  uint8_t minorAndBugRev;
  uint8_t stage;
  uint8_t nonRelRev;
};

struct AUHostIdentifier {
  CFStringRef hostName;
  NumVersion hostVersion;
};

// What the host tells a unit about its musical time. Each procedure returns
// noErr when it filled the outputs; any output pointer may be null.
typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* hostUserData, double* currentBeat,
                                                 double* currentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* hostUserData,
                                                        uint32_t* deltaSampleOffsetToNextBeat,
                                                        float* timeSigNumerator, uint32_t* timeSigDenominator,
                                                        double* currentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* hostUserData, Boolean* isPlaying,
                                                   Boolean* transportStateChanged,
                                                   double* currentSampleInTimeLine, Boolean* isCycling,
                                                   double* cycleStartBeat, double* cycleEndBeat);

struct HostCallbackInfo {
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
};

// ---------------------------------------------------------------- MUSIC DEVICE
struct MusicDeviceNoteParams {
  uint32_t argCount;
  float mPitch;
  float mVelocity;
};

// ---------------------------------------------------------------- LISTENERS AND EVENTS
typedef void (*AudioUnitPropertyListenerProc)(void* refCon, AudioUnit unit, AudioUnitPropertyID id,
                                              AudioUnitScope scope, AudioUnitElement element);

enum : uint32_t {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};
typedef uint32_t AudioUnitEventType;

struct AudioUnitParameter {
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitProperty {
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitEvent {
  AudioUnitEventType mEventType;
  union {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument;
};

typedef struct AUEventListenerRecord* AUEventListenerRef;

// ---------------------------------------------------------------- CARBON VIEW
typedef void* WindowRef;   // the host's window (an X window id on this system)
typedef void* ControlRef;  // a control inside it

struct Float32Point {
  float x;
  float y;
};

// Records without pointers keep the interface's sizes.
static_assert(sizeof(AudioStreamBasicDescription) == 40, "stream description is 40 bytes");
static_assert(sizeof(ComponentDescription) == 20, "component description is 20 bytes");
static_assert(sizeof(NumVersion) == 4, "version is 4 bytes");
static_assert(sizeof(AUChannelInfo) == 4, "channel pair is 4 bytes");
