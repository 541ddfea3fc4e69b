// Construction, the component entry with its selector dispatch, buses,
// input connections and property listeners.
#include "KIT/IModule/IModuleAU.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "KIT/IModule/IGraphics.h"

// ---- Construction --------------------------------------------------------------

IModuleAU::IModuleAU(IModuleInstanceInfo, int nParams, const char* channelIOStr, int nPresets,
                     const char* effectName, const char* productName, const char* mfrName,
                     int32_t vendorVersion, int32_t uniqueID, int32_t mfrID, int latency, bool plugDoesMidi,
                     bool plugDoesChunks, bool plugIsInst, int)
    : IModuleBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID,
                  mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU) {}

IModuleAU::~IModuleAU() {
  mInBusConnections.Empty(true);
  mOutBuses.Empty(true);
  mInBuses.Empty(true);
  mRenderNotify.Empty(true);
  mPropertyListeners.Empty(true);
}

void IModuleAU::initialize(IModuleInstanceInfo instanceInfo, int first, int count, const char* channelIOStr,
                           int nPresets, const char* effectName, const char* productName, const char* mfrName,
                           int32_t vendorVersion, int32_t uniqueID, int32_t mfrID, int latency,
                           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nAuxInputChannels) {
  IModuleBase::initialize(first, count, channelIOStr, nPresets, effectName, productName, mfrName,
                          vendorVersion, uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst);
  mHostCallbacks = HostCallbackInfo{};
  mParamValueString[0] = 0;
  mBundleID.Set(instanceInfo.mBundleID.Get());
  mCocoaViewFactoryClassName.Set(instanceInfo.mViewFactoryClassName.Get());

  const int nIn = NInChannels(), nOut = NOutChannels();
  auto addBus = [](KIT_PtrList<BusChannels>* buses, int nChannels, int startIdx) {
    BusChannels* bus = new BusChannels;
    bus->mNHostChannels = -1;
    bus->mNPlugChannels = nChannels;
    bus->mPlugChannelStartIdx = startIdx;
    if (!buses->Add(bus)) delete bus;
  };
  auto addConnection = [this] {
    InputBusConnection* connection = new InputBusConnection;
    if (!mInBusConnections.Add(connection)) delete connection;
  };
  if (nAuxInputChannels > 0 && nIn > 0) {
    addBus(&mInBuses, nIn - nAuxInputChannels, 0);
    addBus(&mInBuses, nAuxInputChannels, nIn - nAuxInputChannels);
    addConnection();
    addConnection();
    SetInputBusLabel(0, "main input");
    SetInputBusLabel(1, "aux input");
  } else if (nIn > 0) {
    addBus(&mInBuses, nIn, 0);
    addConnection();
    SetInputBusLabel(0, "input");
    SetInputBusLabel(1, "aux input");
  }
  if (IsInst()) {
    const int nBuses = static_cast<int>(std::ceil(nOut * 0.5));
    for (int i = 0; i < nBuses; ++i) {
      addBus(&mOutBuses, std::min(nOut - 2 * i, 2), 2 * i);
      char label[32];
      snprintf(label, sizeof label, "output %i", i + 1);
      SetOutputBusLabel(i, label);
    }
  } else {
    addBus(&mOutBuses, nOut, 0);
    SetOutputBusLabel(0, "output");
  }
  AssessInputConnections();
  SetBlockSize(1024);
}

// ---- Entry and dispatch ----------------------------------------------------------

namespace {

// Arguments each selector takes, the instance included; -1 for a selector
// this binding does not serve.
int ArgumentsOf(int16_t selector) {
  switch (selector) {
    case kComponentOpenSelect:
    case kComponentCloseSelect:
    case kComponentVersionSelect:
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
      return 1;
    case kComponentCanDoSelect:
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
      return 2;
    case kAudioUnitResetSelect:
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitAddRenderNotifySelect:
    case kAudioUnitRemoveRenderNotifySelect:
    case kAudioUnitScheduleParametersSelect:
    case kMusicDeviceSysExSelect:
      return 3;
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    case kMusicDeviceStopNoteSelect:
      return 4;
    case kAudioUnitGetParameterSelect:
    case kMusicDeviceMIDIEventSelect:
      return 5;
    case kAudioUnitGetPropertyInfoSelect:
    case kAudioUnitGetPropertySelect:
    case kAudioUnitSetPropertySelect:
    case kAudioUnitSetParameterSelect:
    case kAudioUnitRenderSelect:
    case kMusicDeviceStartNoteSelect:
      return 6;
    default:
      return -1;
  }
}

// A note number or velocity from the host's float: truncated, held in 0..127
// (NaN gives 0).
int NoteValue(float value) {
  if (!(value >= 0.0f)) return 0;
  return value > 127.0f ? 127 : static_cast<int>(value);
}

// The can-do answer: what a host may call. The instrument selectors and the
// listener removal with user data are served but not announced.
bool CanDo(int selector) {
  return (selector >= 1 && selector <= 7) || (selector >= 9 && selector <= 11) ||
         (selector >= 14 && selector <= 17);
}

ComponentResult Open(ComponentInstance ci) {
  IModuleBase* made = MakePlug();
  IModuleAU* plug = dynamic_cast<IModuleAU*>(made);
  if (!plug) {
    delete made;
    return badComponentSelector;
  }
  plug->HostSpecificInit();
  plug->PruneUninitializedPresets();
  SetComponentInstanceStorage(ci, plug);
  return noErr;
}

}  // namespace

ComponentResult IModuleAU::IModuleAUEntry(ComponentParameters* params, void* storage) {
  if (!params) return paramErr;
  const int nArgs = ComponentArgumentCount(params);
  const int needed = ArgumentsOf(params->what);
  if (needed < 0) return badComponentSelector;
  if (nArgs < needed) return paramErr;
  IModuleAU* plug = static_cast<IModuleAU*>(storage);
  try {
    switch (params->what) {
      case kComponentOpenSelect: {
        ComponentInstance ci = ComponentPointerArgument<ComponentInstance>(params, nArgs, 0);
        const ComponentResult status = Open(ci);
        plug = static_cast<IModuleAU*>(GetComponentInstanceStorage(ci));
        if (status == noErr && plug) plug->mCI = ci;
        return status;
      }
      case kComponentCloseSelect:
        if (plug) {
          plug->ClearConnections();
          delete plug;
          // No later call on this instance may find the deleted plug.
          SetComponentInstanceStorage(ComponentPointerArgument<ComponentInstance>(params, nArgs, 0), nullptr);
        }
        return noErr;
      case kComponentCanDoSelect:
        return CanDo(static_cast<int16_t>(ComponentArgument(params, nArgs, 1))) ? 1 : 0;
      default:
        break;
    }
    if (!plug) return badComponentSelector;  // nothing is open
    KIT_MutexLock lock(plug->GetMutex());
    return plug->Dispatch(params, nArgs);
  } catch (...) {
    return kAudioUnitErr_FailedInitialization;  // an exception stopped the call
  }
}

ComponentResult IModuleAU::Dispatch(ComponentParameters* p, int n) {
  switch (p->what) {
    case kComponentVersionSelect:
      return GetEffectVersion(false);
    case kAudioUnitInitializeSelect:
      return Initialize();
    case kAudioUnitUninitializeSelect:
      mActive = false;
      OnActivate(false);
      return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
      uint32_t localSize = 0;
      Boolean localWritable = false;
      uint32_t* dataSize = ComponentPointerArgument<uint32_t*>(p, n, 4);
      Boolean* writable = ComponentPointerArgument<Boolean*>(p, n, 5);
      if (!dataSize) dataSize = &localSize;
      if (!writable) writable = &localWritable;
      *writable = false;
      return GetProperty(ComponentUInt32Argument(p, n, 1), ComponentUInt32Argument(p, n, 2),
                         ComponentUInt32Argument(p, n, 3), dataSize, writable, nullptr);
    }
    case kAudioUnitGetPropertySelect: {
      uint32_t localSize = 0;
      Boolean writable = false;
      uint32_t* dataSize = ComponentPointerArgument<uint32_t*>(p, n, 5);
      if (!dataSize) dataSize = &localSize;  // no room given: only a size query can succeed
      return GetProperty(ComponentUInt32Argument(p, n, 1), ComponentUInt32Argument(p, n, 2),
                         ComponentUInt32Argument(p, n, 3), dataSize, &writable,
                         ComponentPointerArgument<void*>(p, n, 4));
    }
    case kAudioUnitSetPropertySelect:
      return SetProperty(ComponentUInt32Argument(p, n, 1), ComponentUInt32Argument(p, n, 2),
                         ComponentUInt32Argument(p, n, 3), ComponentUInt32Argument(p, n, 5),
                         ComponentPointerArgument<const void*>(p, n, 4));
    case kAudioUnitGetParameterSelect:
      return GetParamProc(this, ComponentUInt32Argument(p, n, 1), ComponentUInt32Argument(p, n, 2),
                          ComponentUInt32Argument(p, n, 3),
                          ComponentPointerArgument<AudioUnitParameterValue*>(p, n, 4));
    case kAudioUnitSetParameterSelect:
      return SetParamProc(this, ComponentUInt32Argument(p, n, 1), ComponentUInt32Argument(p, n, 2),
                          ComponentUInt32Argument(p, n, 3), ComponentFloat32Argument(p, n, 4),
                          ComponentUInt32Argument(p, n, 5));
    case kAudioUnitResetSelect:
      Reset();
      return noErr;
    case kAudioUnitAddPropertyListenerSelect:
      AddPropertyListener(ComponentUInt32Argument(p, n, 1),
                          ComponentPointerArgument<AudioUnitPropertyListenerProc>(p, n, 2),
                          ComponentPointerArgument<void*>(p, n, 3));
      return noErr;
    case kAudioUnitRemovePropertyListenerSelect:
      RemovePropertyListener(ComponentUInt32Argument(p, n, 1),
                             ComponentPointerArgument<AudioUnitPropertyListenerProc>(p, n, 2), false,
                             nullptr);
      return noErr;
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      RemovePropertyListener(ComponentUInt32Argument(p, n, 1),
                             ComponentPointerArgument<AudioUnitPropertyListenerProc>(p, n, 2), true,
                             ComponentPointerArgument<void*>(p, n, 3));
      return noErr;
    case kAudioUnitRenderSelect:
      return RenderProc(this, ComponentPointerArgument<AudioUnitRenderActionFlags*>(p, n, 1),
                        ComponentPointerArgument<const AudioTimeStamp*>(p, n, 2),
                        ComponentUInt32Argument(p, n, 3), ComponentUInt32Argument(p, n, 4),
                        ComponentPointerArgument<AudioBufferList*>(p, n, 5));
    case kAudioUnitAddRenderNotifySelect: {
      AURenderCallbackStruct* notify = new AURenderCallbackStruct{
          ComponentPointerArgument<AURenderCallback>(p, n, 1), ComponentPointerArgument<void*>(p, n, 2)};
      if (!mRenderNotify.Add(notify)) delete notify;
      return noErr;
    }
    case kAudioUnitRemoveRenderNotifySelect: {
      const AURenderCallback proc = ComponentPointerArgument<AURenderCallback>(p, n, 1);
      for (int i = 0; i < mRenderNotify.GetSize(); ++i)
        if (mRenderNotify.Get(i)->inputProc == proc) {
          mRenderNotify.Delete(i, true);
          break;
        }
      return noErr;
    }
    case kAudioUnitScheduleParametersSelect: {
      const auto* events = ComponentPointerArgument<const AudioUnitParameterEvent*>(p, n, 1);
      const uint32_t count = ComponentUInt32Argument(p, n, 2);
      if (!events && count > 0) return paramErr;
      for (uint32_t i = 0; i < count; ++i) {
        const AudioUnitParameterEvent& e = events[i];
        if (e.eventType != kParameterEvent_Immediate) continue;  // ramps are not served
        const ComponentResult status =
            SetParamProc(this, e.parameter, e.scope, e.element, e.eventValues.immediate.value, 0);
        if (status != noErr) return status;
      }
      return noErr;
    }
    case kMusicDeviceMIDIEventSelect: {
      IMidiMsg msg(ComponentInt32Argument(p, n, 4), static_cast<uint8_t>(ComponentUInt32Argument(p, n, 1)),
                   static_cast<uint8_t>(ComponentUInt32Argument(p, n, 2)),
                   static_cast<uint8_t>(ComponentUInt32Argument(p, n, 3)));
      ProcessMidiMsg(&msg, false);
      return noErr;
    }
    case kMusicDeviceSysExSelect: {
      const auto* data = ComponentPointerArgument<const uint8_t*>(p, n, 1);
      const uint32_t length = ComponentUInt32Argument(p, n, 2);
      if ((!data && length > 0) || length > INT32_MAX) return paramErr;
      ISysEx sysex(0, data, static_cast<int32_t>(length));
      ProcessSysEx(&sysex, false);
      return noErr;
    }
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
      return noErr;
    case kMusicDeviceStartNoteSelect: {
      auto* noteInstance = ComponentPointerArgument<NoteInstanceID*>(p, n, 3);
      const auto* note = ComponentPointerArgument<const MusicDeviceNoteParams*>(p, n, 5);
      if (!note) return paramErr;
      // Held in the MIDI range so a wild pitch cannot wrap into another note.
      const int pitch = NoteValue(note->mPitch);
      const int velocity = NoteValue(note->mVelocity);
      if (noteInstance) *noteInstance = static_cast<NoteInstanceID>(pitch);
      IMidiMsg msg;
      msg.MakeNoteOnMsg(pitch, velocity, ComponentInt32Argument(p, n, 4), 0);
      ProcessMidiMsg(&msg, false);
      return noErr;
    }
    case kMusicDeviceStopNoteSelect: {
      IMidiMsg msg;
      msg.MakeNoteOffMsg(static_cast<int>(ComponentUInt32Argument(p, n, 2) & 0x7F),
                         ComponentInt32Argument(p, n, 3), 0, 64);
      ProcessMidiMsg(&msg, false);
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

ComponentResult IModuleAU::Initialize() {
  const int nIn = NHostChannelsConnected(&mInBuses);
  const int nOut = NHostChannelsConnected(&mOutBuses);
  if (!(nIn == 0 && nOut == 0) && !LegalIO(nIn, nOut)) return badComponentSelector;
  mActive = true;
  OnParamReset();
  OnActivate(true);
  return noErr;
}

// ---- Parameter procedures --------------------------------------------------------

ComponentResult IModuleAU::GetParamProc(void* plugPtr, AudioUnitParameterID paramID, AudioUnitScope scope,
                                        AudioUnitElement, AudioUnitParameterValue* value) {
  IModuleAU* plug = static_cast<IModuleAU*>(plugPtr);
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  if (!plug || !value) return paramErr;
  KIT_MutexLock lock(plug->GetMutex());
  IParam* param = plug->GetParamByID(paramID);
  if (!param) return kAudioUnitErr_InvalidParameter;
  *value = static_cast<AudioUnitParameterValue>(param->Value());
  return noErr;
}

ComponentResult IModuleAU::SetParamProc(void* plugPtr, AudioUnitParameterID paramID, AudioUnitScope scope,
                                        AudioUnitElement, AudioUnitParameterValue value, uint32_t) {
  IModuleAU* plug = static_cast<IModuleAU*>(plugPtr);
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  if (!plug) return paramErr;
  KIT_MutexLock lock(plug->GetMutex());
  IParam* param = plug->GetParamByID(paramID);
  if (!param) return kAudioUnitErr_InvalidParameter;
  const int index = static_cast<int>(paramID);
  double minValue = 0.0, maxValue = 1.0;
  param->GetBounds(&minValue, &maxValue);
  // Below the minimum (or not a number) gives the minimum.
  param->Set(!(value >= minValue) ? minValue : std::min(static_cast<double>(value), maxValue));
  // The GUI limits a value to the range itself; it is given the limited one
  // so that a value that is not a number cannot reach it.
  if (plug->GetGUI()) plug->GetGUI()->SetParameterFromPlug(index, param->Value(), false);
  plug->OnParamChange(index);
  return noErr;
}

// ---- Buses, connections and listeners ----------------------------------------------

IModuleAU::BusChannels* IModuleAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx) {
  if (busIdx > INT32_MAX) return nullptr;
  if (scope == kAudioUnitScope_Input) return mInBuses.Get(static_cast<int>(busIdx));
  if (scope == kAudioUnitScope_Output || scope == kAudioUnitScope_Global)
    return mOutBuses.Get(static_cast<int>(busIdx));
  return nullptr;
}

int IModuleAU::NHostChannelsConnected(const KIT_PtrList<BusChannels>* buses, int excludeIdx) const {
  bool any = false;
  int sum = 0;
  for (int i = 0; i < buses->GetSize(); ++i) {
    const BusChannels* bus = buses->Get(i);
    if (i == excludeIdx || bus->mNHostChannels < 0) continue;
    sum += bus->mNHostChannels;
    any = true;
  }
  return any ? sum : -1;
}

bool IModuleAU::CheckLegalIO() {
  const int nIn = NHostChannelsConnected(&mInBuses), nOut = NHostChannelsConnected(&mOutBuses);
  return (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut);
}

bool IModuleAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) {
  int nIn, nOut;
  if (scope == kAudioUnitScope_Input) {
    nIn = nChannels + std::max(NHostChannelsConnected(&mInBuses, busIdx), 0);
    nOut = mActive ? NHostChannelsConnected(&mOutBuses) : -1;
  } else {
    nIn = mActive ? NHostChannelsConnected(&mInBuses) : -1;
    nOut = nChannels + std::max(NHostChannelsConnected(&mOutBuses, busIdx), 0);
  }
  return LegalIO(nIn, nOut);
}

void IModuleAU::ClearConnections() {
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    mInBuses.Get(i)->mConnected = false;
    mInBuses.Get(i)->mNHostChannels = -1;
    if (InputBusConnection* connection = mInBusConnections.Get(i)) *connection = InputBusConnection();
  }
  for (int i = 0; i < mOutBuses.GetSize(); ++i) {
    mOutBuses.Get(i)->mConnected = false;
    mOutBuses.Get(i)->mNHostChannels = -1;
  }
}

void IModuleAU::AssessInputConnections() {
  KIT_MutexLock lock(GetMutex());
  SetInputChannelConnections(0, NInChannels(), false);
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    InputBusConnection* connection = mInBusConnections.Get(i);
    if (!connection) continue;
    if (connection->mUpstreamRenderProc && connection->mUpstreamObj)
      connection->mInputType = eDirectFastProc;
    else if (connection->mUpstreamUnit)
      connection->mInputType = eDirectNoFastProc;
    else if (connection->mUpstreamRenderCallback.inputProc)
      connection->mInputType = eRenderCallback;
    else
      connection->mInputType = eNotConnected;
    bus->mConnected = connection->mInputType != eNotConnected;
    if (!bus->mConnected) continue;
    if (bus->mNHostChannels < 0) bus->mNHostChannels = bus->mNPlugChannels;
    const int start = bus->mPlugChannelStartIdx;
    SetInputChannelConnections(start, bus->mNHostChannels, true);
    SetInputChannelConnections(start + bus->mNHostChannels,
                               std::max(bus->mNPlugChannels - bus->mNHostChannels, 0), false);
  }
}

void IModuleAU::AddPropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                                    void* procArgs) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const PropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->mPropID == propID && listener->mListenerProc == proc) return;
  }
  PropertyListener* listener = new PropertyListener{propID, proc, procArgs};
  if (!mPropertyListeners.Add(listener)) delete listener;
}

void IModuleAU::RemovePropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                                       bool matchArgs, void* procArgs) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const PropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->mPropID == propID && listener->mListenerProc == proc &&
        (!matchArgs || listener->mProcArgs == procArgs)) {
      mPropertyListeners.Delete(i, true);
      return;
    }
  }
}

void IModuleAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const PropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->mPropID == propID && listener->mListenerProc)
      listener->mListenerProc(listener->mProcArgs, mCI, propID, scope, 0);
  }
}

void IModuleAU::MakeDefaultASBD(AudioStreamBasicDescription* desc, double sampleRate, int nChannels,
                                bool interleaved) {
  *desc = AudioStreamBasicDescription{};
  desc->mSampleRate = sampleRate;
  desc->mFormatID = kAudioFormatLinearPCM;
  desc->mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  if (!interleaved) desc->mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  const uint32_t bytesPerFrame = interleaved ? 4u * static_cast<uint32_t>(nChannels) : 4u;
  desc->mBytesPerPacket = bytesPerFrame;
  desc->mBytesPerFrame = bytesPerFrame;
  desc->mFramesPerPacket = 1;
  desc->mChannelsPerFrame = static_cast<uint32_t>(nChannels);
  desc->mBitsPerChannel = 32;
}

const char* IModuleAU::AUInputTypeStr(int type) {
  switch (type) {
    case eDirectFastProc:
      return "DirectFastProc";
    case eDirectNoFastProc:
      return "DirectNoFastProc";
    case eRenderCallback:
      return "RenderCallback";
    default:
      return "NotConnected";
  }
}
