// The Audio Unit binding of the plug-in base: the component entry that the
// host calls for every operation, the selector dispatch and its statuses,
// the plug's buses and input connections, property listeners and render
// notifications, properties, the render procedure, the host's time
// information, notices to the host, MIDI output to the external port, and
// the class-info state dictionary. The plug-in class derives from it.
//
// Contents, in reading order:
//   CONSTRUCTION                          IModuleAU.cpp
//   ENTRY AND DISPATCH                    IModuleAU.cpp
//   BUSES, CONNECTIONS AND LISTENERS      IModuleAU.cpp
//   PROPERTIES                            IModuleAUProperties.cpp
//   RENDER, TIME, HOST NOTICES, MIDI OUT  IModuleAURender.cpp
//   STATE DICTIONARY                      IModuleAUState.cpp
//   EDITOR VIEW ENTRY                     IModuleAU_ViewFactory.cpp
//
// Every entry call runs inside a guard: no exception leaves the plug-in.
// Statuses are the interface's (AUTypes.h). Where a call's data is shorter
// than its property needs, a parameter ID lies beyond the parameter list or
// an element beyond the buses or labels, the call is refused and nothing is
// read or written past what the host gave.
#pragma once

#include <cstdint>
#include <vector>

#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/heapbuf.h"
#include "KIT/kitstring.h"
#include "KIT/ptrlist.h"
#include "platform/audiounit/AudioUnit.h"
#include "platform/corefoundation/CoreFoundation.h"

// The product's factory: a new plug-in object, made when the host opens the
// component. The product defines it.
IModuleBase* MakePlug();

class IModuleAU : public IModuleBase {
 public:
  // How an input bus gets its audio.
  enum EAUInputType { eNotConnected = 0, eDirectFastProc = 1, eDirectNoFastProc = 2, eRenderCallback = 3 };

  // One audio bus. A new record is all zero.
  struct BusChannels {
    bool mConnected = false;
    int mNHostChannels = 0;  // -1: none reported
    int mNPlugChannels = 0;
    int mPlugChannelStartIdx = 0;
  };

  // Where an input bus pulls its audio from. A new or cleared record is all zero.
  struct InputBusConnection {
    void* mUpstreamObj = nullptr;  // the upstream unit's instance storage
    AudioUnit mUpstreamUnit = nullptr;
    int mUpstreamBusIdx = 0;
    AudioUnitRenderProc mUpstreamRenderProc = nullptr;
    AURenderCallbackStruct mUpstreamRenderCallback = {nullptr, nullptr};
    EAUInputType mInputType = eNotConnected;
  };

  struct PropertyListener {
    AudioUnitPropertyID mPropID = 0;
    AudioUnitPropertyListenerProc mListenerProc = nullptr;
    void* mProcArgs = nullptr;
  };

  // ==== CONSTRUCTION ========================================================

  // Runs the base constructor with the Audio Unit API and sets every member
  // to its start value; the instance info and the last integer are not used.
  IModuleAU(IModuleInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
            const char* effectName, const char* productName, const char* mfrName, int32_t vendorVersion,
            int32_t uniqueID, int32_t mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
            bool plugIsInst, int unused);
  ~IModuleAU() override;

  // Runs the base's initialize, keeps the bundle identifier and view factory
  // class name, builds the buses (two input buses when auxiliary inputs are
  // asked for, one otherwise; stereo output buses for an instrument, one for
  // an effect), assesses the input connections and sets the block size 1024.
  void initialize(IModuleInstanceInfo instanceInfo, int first, int count, const char* channelIOStr,
                  int nPresets, const char* effectName, const char* productName, const char* mfrName,
                  int32_t vendorVersion, int32_t uniqueID, int32_t mfrID, int latency, bool plugDoesMidi,
                  bool plugDoesChunks, bool plugIsInst, int nAuxInputChannels);

  // The parameter a host's parameter ID names; null beyond the list.
  IParam* GetParamByID(AudioUnitParameterID paramID) const {
    return paramID <= INT32_MAX ? GetParam(static_cast<int>(paramID)) : nullptr;
  }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetViewFactoryClassName() const { return mCocoaViewFactoryClassName.Get(); }
  ComponentInstance GetComponentInstance() const { return mCI; }
  bool IsActive() const { return mActive; }

  // ==== ENTRY AND DISPATCH ==================================================

  // The component entry: storage is the plug (null until open). Open and
  // close run without the lock, every other selector under it. A block with
  // fewer arguments than its selector takes gives paramErr; a selector other
  // than open, can-do and close before open gives badComponentSelector.
  static ComponentResult IModuleAUEntry(ComponentParameters* params, void* storage);
  // The editor view component's entry (IModuleAU_ViewFactory.cpp).
  static ComponentResult IModuleAUCarbonViewEntry(ComponentParameters* params, void* storage);

  // Fast-dispatch procedures. A scope other than global gives
  // kAudioUnitErr_InvalidProperty, a parameter ID beyond the list
  // kAudioUnitErr_InvalidParameter. Set limits the value to the parameter's
  // range, hands it (as given) to the GUI, and calls OnParamChange.
  static ComponentResult GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                      AudioUnitElement element, AudioUnitParameterValue* value);
  static ComponentResult SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                      AudioUnitElement element, AudioUnitParameterValue value,
                                      uint32_t bufferOffset);
  // The render procedure (also the render selector's action); takes no lock.
  static ComponentResult RenderProc(void* plug, AudioUnitRenderActionFlags* flags,
                                    const AudioTimeStamp* timestamp, uint32_t outputBusIdx, uint32_t nFrames,
                                    AudioBufferList* bufferList);

  // ==== BUSES, CONNECTIONS AND LISTENERS ====================================

  // The input bus for scope input, the output bus for output or global; null
  // for another scope or an element beyond the buses.
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  int NInputBuses() const { return mInBuses.GetSize(); }
  int NOutputBuses() const { return mOutBuses.GetSize(); }
  // Sum of the host channel counts of the buses (all but excludeIdx) that
  // have one; -1 when none has.
  int NHostChannelsConnected(const KIT_PtrList<BusChannels>* buses, int excludeIdx = -1) const;
  bool CheckLegalIO();
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  void ClearConnections();
  void AssessInputConnections();
  // Calls each listener registered for propID with element 0.
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
  // Fills a 32-bit float linear PCM description.
  static void MakeDefaultASBD(AudioStreamBasicDescription* desc, double sampleRate, int nChannels,
                              bool interleaved);
  static const char* AUInputTypeStr(int type);

  // ==== PROPERTIES (IModuleAUProperties.cpp) ================================

  // dataSize is in and out: the room the host gave at data (in) and the
  // property's size (out, also when refused). A null data asks only size
  // and writability. Data smaller than the property gives
  // kAudioUnitErr_InvalidPropertyValue and nothing is written.
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              uint32_t* dataSize, Boolean* writable, void* data);
  // Tells the ID's listeners first, whatever follows. dataSize is the
  // number of bytes at data; fewer than the property needs (or null data)
  // gives kAudioUnitErr_InvalidPropertyValue.
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              uint32_t dataSize, const void* data);
  // The fast-dispatch procedure for selector 6, 7 or 14.
  ComponentResult GetProc(AudioUnitElement selector, uint32_t* dataSize, void* data);
  // Writes the one layout tag of the bus into tags (when not null); returns
  // the number of tags, 0 or 1.
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* tags);
  static AudioChannelLayoutTag GetTagForNumChannels(int nChannels);

  // ==== RENDER, TIME, HOST NOTICES, MIDI OUT (IModuleAURender.cpp) ==========

  // Sizes and zeroes the scratch buffers for n frames per block. n must be
  // 1 .. kMaxBlockSize; false (nothing changed) otherwise or when memory is short.
  bool SetBlockSizeChecked(int n);
  static constexpr int kMaxBlockSize = 1 << 16;
  // A render call serves at most this many host channels per input bus.
  static constexpr int kMaxInputBusChannels = 128;

  void SetBlockSize(int n) override;
  void SetLatency(int samples) override;
  bool IsRenderingOffline() override { return mOffline; }
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo* timeInfo) override;
  EHost GetHost() override;
  void HostSpecificInit() override;
  void ResizeGraphics(int width, int height) override;
  void BeginInformHostOfParamChange(int index) override;
  void InformHostOfParamChange(int index, double normalizedValue) override;
  void EndInformHostOfParamChange(int index) override;
  void InformHostOfProgramChange() override;
  void SendAUEvent(AudioUnitEventType type, ComponentInstance ci, int paramIdx);
  // To the external MIDI output only; each returns true but SendMidiVST.
  bool SendMidiVST(IMidiMsg* msg) override { return false; }
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendMidiSysex(unsigned char* bytes, int size) override;
  bool SendPatchSysex(unsigned char* bytes, int size) override;
  bool SendMidiSysex2(std::vector<unsigned char> bytes) override;

  // ==== STATE DICTIONARY (IModuleAUState.cpp) ===============================

  // A new class-info dictionary in *plist (the caller owns it).
  ComponentResult GetState(CFPropertyListRef* plist);
  // Checks the identity and applies the dictionary; a missing or mistyped
  // key, a foreign identity or a state chunk the plug-in cannot read in full
  // gives kAudioUnitErr_InvalidPropertyValue.
  ComponentResult SetState(CFPropertyListRef plist);

 protected:
  // Host callbacks as the host gave them.
  HostCallbackInfo mHostCallbacks = {};

 private:
  ComponentResult Dispatch(ComponentParameters* params, int nArgs);
  ComponentResult Initialize();
  ComponentResult GetParameterInfo(AudioUnitElement element, AudioUnitParameterInfo* info);
  ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                  const AudioStreamBasicDescription* format);
  ComponentResult MakeConnection(AudioUnitScope scope, const AudioUnitConnection* connection);
  void AddPropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc, void* procArgs);
  void RemovePropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc, bool matchArgs,
                              void* procArgs);
  ComponentResult PullInputs(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timestamp,
                             uint32_t nFrames);
  void CallRenderNotifications(AudioUnitRenderActionFlags flags, const AudioTimeStamp* timestamp,
                               uint32_t outputBusIdx, uint32_t nFrames, AudioBufferList* bufferList);

  KIT_String mBundleID;
  KIT_String mCocoaViewFactoryClassName;
  char mParamValueString[IParam::kDisplayBufferSize] = {};
  ComponentInstance mCI = nullptr;
  bool mActive = false;
  bool mOffline = false;
  double mLastRenderSampleTime = -1.0;
  double mTempo = 138.0;
  KIT_TypedBuf<float> mInScratchBuf{4096};
  KIT_TypedBuf<float> mOutScratchBuf{4096};
  KIT_PtrList<AURenderCallbackStruct> mRenderNotify;
  KIT_PtrList<BusChannels> mInBuses;
  KIT_PtrList<BusChannels> mOutBuses;
  KIT_PtrList<InputBusConnection> mInBusConnections;
  KIT_PtrList<PropertyListener> mPropertyListeners;
};

// Class-info dictionary helpers: keys and values are UTF-8 texts.
void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, int32_t value);
void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value);
// True and the 32-bit value when the key holds a number that fits.
bool GetNumberFromDict(CFDictionaryRef dict, const char* key, int32_t* value);
// True and the text (cut to outSize - 1 bytes) when the key holds a string;
// false and an empty text otherwise.
bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* out, int outSize);
// True and a copy of the bytes in chunk (resized to their length) when the
// key holds data; false and the chunk unchanged otherwise.
bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* chunk);
