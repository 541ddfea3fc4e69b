// Rendering, block size and latency, the host's time information, notices
// to the host and MIDI output to the external port.
#include <algorithm>
#include <cstring>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleAU.h"

// ---- Render --------------------------------------------------------------------------

namespace {

// Storage for a buffer list of the most buffers one input bus may need.
struct InputBufferList {
  alignas(AudioBufferList) unsigned char bytes[AudioBufferListSize(IModuleAU::kMaxInputBusChannels)];
  AudioBufferList* Get() { return reinterpret_cast<AudioBufferList*>(bytes); }
};

}  // namespace

ComponentResult IModuleAU::RenderProc(void* plugPtr, AudioUnitRenderActionFlags*,
                                      const AudioTimeStamp* timestamp, uint32_t outputBusIdx,
                                      uint32_t nFrames, AudioBufferList* bufferList) {
  IModuleAU* plug = static_cast<IModuleAU*>(plugPtr);
  if (!plug || !timestamp || !bufferList) return kAudioUnitErr_InvalidPropertyValue;
  if (!(timestamp->mFlags & kAudioTimeStampSampleTimeValid) ||
      outputBusIdx >= static_cast<uint32_t>(plug->NOutputBuses()) ||
      nFrames > static_cast<uint32_t>(plug->GetBlockSize()))
    return kAudioUnitErr_InvalidPropertyValue;
  // Every buffer the host gave must hold the block; nothing is written past one.
  for (uint32_t b = 0; b < bufferList->mNumberBuffers; ++b) {
    const AudioBuffer* buffer = AudioBufferListBuffer(bufferList, b);
    if (buffer->mData && buffer->mDataByteSize < nFrames * sizeof(float))
      return kAudioUnitErr_InvalidPropertyValue;
  }

  plug->CallRenderNotifications(kAudioUnitRenderAction_PreRender, timestamp, outputBusIdx, nFrames,
                                bufferList);

  if (timestamp->mSampleTime != plug->mLastRenderSampleTime) {
    AudioUnitRenderActionFlags pullFlags = 0;
    const ComponentResult status = plug->PullInputs(&pullFlags, timestamp, nFrames);
    if (status != noErr) return status;
    plug->mLastRenderSampleTime = timestamp->mSampleTime;
  }

  BusChannels* outBus = plug->mOutBuses.Get(static_cast<int>(outputBusIdx));
  const int first = outBus->mPlugChannelStartIdx;
  const int nBuffers = static_cast<int>(std::min<uint32_t>(bufferList->mNumberBuffers, INT32_MAX));
  if (!outBus->mConnected || outBus->mNHostChannels != nBuffers) {
    const int n = std::min(outBus->mNHostChannels, nBuffers);
    plug->SetOutputChannelConnections(first, n, true);
    plug->SetOutputChannelConnections(first + n, std::max(outBus->mNPlugChannels - n, 0), false);
    outBus->mConnected = true;
  }

  float* scratch = plug->mOutScratchBuf.Get();
  for (int b = 0; b < nBuffers; ++b) {
    AudioBuffer* buffer = AudioBufferListBuffer(bufferList, static_cast<uint32_t>(b));
    if (b >= outBus->mNPlugChannels) {
      // A buffer beyond the bus's channels gets silence, not another bus's scratch.
      if (buffer->mData) memset(buffer->mData, 0, nFrames * sizeof(float));
      continue;
    }
    if (!buffer->mData) {
      buffer->mData = scratch + static_cast<size_t>(first + b) * nFrames;
      buffer->mDataByteSize = nFrames * sizeof(float);
    }
    float* data = static_cast<float*>(buffer->mData);
    plug->AttachOutputBuffers(first + b, 1, &data);
  }

  int lastConnected = plug->NOutputBuses() - 1;
  for (int i = 0; i < plug->NOutputBuses(); ++i)
    if (!plug->mOutBuses.Get(i)->mConnected) {
      lastConnected = i - 1;
      break;
    }
  if (static_cast<int>(outputBusIdx) == lastConnected) {
    const int following = plug->NOutputBuses() - static_cast<int>(outputBusIdx) - 1;
    if (following > 0)
      plug->SetOutputChannelConnections(2 * (static_cast<int>(outputBusIdx) + 1), 2 * following, false);
    if (plug->IsBypassed())
      plug->PassThroughBuffers(0.0f, static_cast<int>(nFrames));
    else
      plug->ProcessBuffers(0.0f, static_cast<int>(nFrames));
  }

  plug->CallRenderNotifications(kAudioUnitRenderAction_PostRender, timestamp, outputBusIdx, nFrames,
                                bufferList);
  return noErr;
}

ComponentResult IModuleAU::PullInputs(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timestamp,
                                      uint32_t nFrames) {
  InputBufferList storage;
  AudioBufferList* list = storage.Get();
  float* scratch = mInScratchBuf.Get();
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* bus = mInBuses.Get(i);
    InputBusConnection* connection = mInBusConnections.Get(i);
    if (!bus->mConnected || !connection) continue;
    const int nChannels = std::min(std::max(bus->mNHostChannels, 0), kMaxInputBusChannels);
    list->mNumberBuffers = static_cast<uint32_t>(nChannels);
    for (int c = 0; c < nChannels; ++c)
      *AudioBufferListBuffer(list, static_cast<uint32_t>(c)) = {
          1, nFrames * static_cast<uint32_t>(sizeof(float)), nullptr};
    ComponentResult status = noErr;
    switch (connection->mInputType) {
      case eDirectFastProc:
        status = connection->mUpstreamRenderProc(connection->mUpstreamObj, flags, timestamp,
                                                 static_cast<uint32_t>(connection->mUpstreamBusIdx), nFrames,
                                                 list);
        break;
      case eDirectNoFastProc:
        status = AudioUnitRender(connection->mUpstreamUnit, flags, timestamp,
                                 static_cast<uint32_t>(connection->mUpstreamBusIdx), nFrames, list);
        break;
      case eRenderCallback:
        for (int c = 0; c < nChannels; ++c) {
          const int channel = bus->mPlugChannelStartIdx + c;
          // Only the plug's own input channels have scratch room.
          AudioBufferListBuffer(list, static_cast<uint32_t>(c))->mData =
              channel < NInChannels() ? scratch + static_cast<size_t>(channel) * nFrames : nullptr;
        }
        status = connection->mUpstreamRenderCallback.inputProc(
            connection->mUpstreamRenderCallback.inputProcRefCon, flags, timestamp, static_cast<uint32_t>(i),
            nFrames, list);
        break;
      default:
        break;
    }
    if (status != noErr) return status;
    for (int c = 0; c < nChannels; ++c) {
      float* data = static_cast<float*>(AudioBufferListBuffer(list, static_cast<uint32_t>(c))->mData);
      if (data) AttachInputBuffers(bus->mPlugChannelStartIdx + c, 1, &data, static_cast<int>(nFrames));
    }
  }
  return noErr;
}

void IModuleAU::CallRenderNotifications(AudioUnitRenderActionFlags flags, const AudioTimeStamp* timestamp,
                                        uint32_t outputBusIdx, uint32_t nFrames,
                                        AudioBufferList* bufferList) {
  for (int i = 0; i < mRenderNotify.GetSize(); ++i) {
    const AURenderCallbackStruct* notify = mRenderNotify.Get(i);
    AudioUnitRenderActionFlags actionFlags = flags;
    if (notify->inputProc)
      notify->inputProc(notify->inputProcRefCon, &actionFlags, timestamp, outputBusIdx, nFrames, bufferList);
  }
}

// ---- Block size and latency -------------------------------------------------------------

bool IModuleAU::SetBlockSizeChecked(int n) {
  if (n < 1 || n > kMaxBlockSize) return false;
  const int inSamples = NInChannels() * n, outSamples = NOutChannels() * n;
  mInScratchBuf.Resize(inSamples);
  mOutScratchBuf.Resize(outSamples);
  if (mInScratchBuf.GetSize() != inSamples || mOutScratchBuf.GetSize() != outSamples) {
    // Short of memory: keep buffers that match the old block size.
    mInScratchBuf.Resize(NInChannels() * GetBlockSize());
    mOutScratchBuf.Resize(NOutChannels() * GetBlockSize());
    return false;
  }
  if (inSamples > 0) memset(mInScratchBuf.Get(), 0, sizeof(float) * static_cast<size_t>(inSamples));
  if (outSamples > 0) memset(mOutScratchBuf.Get(), 0, sizeof(float) * static_cast<size_t>(outSamples));
  IModuleBase::SetBlockSize(n);
  return true;
}

void IModuleAU::SetBlockSize(int n) { SetBlockSizeChecked(n); }

void IModuleAU::SetLatency(int samples) {
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IModuleBase::SetLatency(samples);
}

// ---- Time information ----------------------------------------------------------------------

int IModuleAU::GetSamplePos() {
  if (!mHostCallbacks.transportStateProc) return 0;
  Boolean playing = false, changed = false, cycling = false;
  double sample = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
  mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &sample, &cycling,
                                    &cycleStart, &cycleEnd);
  const double position = sample + 0.5;
  // Held within int so a far position cannot overflow the conversion.
  if (!(position >= 0.0)) return 0;
  return position >= 2147483647.0 ? INT32_MAX : static_cast<int>(position);
}

double IModuleAU::GetTempo() {
  if (mHostCallbacks.beatAndTempoProc) {
    double beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) mTempo = tempo;
  }
  return mTempo;
}

void IModuleAU::GetTimeSig(int* numerator, int* denominator) {
  if (!mHostCallbacks.musicalTimeLocationProc) return;
  uint32_t delta = 0, denom = 0;
  float numer = 0.0f;
  double downBeat = 0.0;
  mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &delta, &numer, &denom, &downBeat);
  if (numerator) *numerator = (numer >= 0.0f && numer < 65536.0f) ? static_cast<int>(numer) : 0;
  if (denominator) *denominator = static_cast<int>(std::min<uint32_t>(denom, INT32_MAX));
}

void IModuleAU::GetTime(ITimeInfo* info) {
  if (!info) return;
  if (mHostCallbacks.beatAndTempoProc) {
    double beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) info->mTempo = tempo;
    if (beat > 0.0) info->mPPQPos = beat;
  }
  if (mHostCallbacks.transportStateProc) {
    Boolean playing = false, changed = false, cycling = false;
    double sample = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &sample, &cycling,
                                      &cycleStart, &cycleEnd);
    if (sample > 0.0) info->mSamplePos = sample;
    if (cycleStart > 0.0) info->mCycleStart = cycleStart;
    if (cycleEnd > 0.0) info->mCycleEnd = cycleEnd;
    info->mTransportIsRunning = playing;
    info->mTransportLoopEnabled = cycling;
  }
  if (mHostCallbacks.musicalTimeLocationProc) {
    uint32_t delta = 0, denom = 0;
    float numer = 0.0f;
    double downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &delta, &numer, &denom, &downBeat);
    info->mNumerator = (numer >= 0.0f && numer < 65536.0f) ? static_cast<int>(numer) : 0;
    info->mDenominator = static_cast<int>(std::min<uint32_t>(denom, INT32_MAX));
    if (downBeat > 0.0) info->mLastBar = downBeat;
  }
}

// ---- Host --------------------------------------------------------------------------------

EHost IModuleAU::GetHost() {
  if (IModuleBase::GetHost() == kHostUninit) {
    CFBundleRef main = CFBundleGetMainBundle();
    const char* identifier = CFStringGetCStringPtr(CFBundleGetIdentifier(main), kCFStringEncodingUTF8);
    if (identifier) SetHost(identifier, 0);
    if (IModuleBase::GetHost() == kHostUninit) SetHost("", 0);
  }
  return IModuleBase::GetHost();
}

void IModuleAU::HostSpecificInit() {
  GetHost();
  OnHostIdentified();
}

void IModuleAU::ResizeGraphics(int, int) {
  if (GetGUI()) OnWindowResize();
}

void IModuleAU::SendAUEvent(AudioUnitEventType type, ComponentInstance ci, int paramIdx) {
  AudioUnitEvent event{};
  event.mEventType = type;
  event.mArgument.mParameter = {ci, static_cast<AudioUnitParameterID>(paramIdx), kAudioUnitScope_Global, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IModuleAU::BeginInformHostOfParamChange(int index) {
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, mCI, index);
}

void IModuleAU::InformHostOfParamChange(int index, double) {
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, mCI, index);
}

void IModuleAU::EndInformHostOfParamChange(int index) {
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, mCI, index);
}

void IModuleAU::InformHostOfProgramChange() {
  InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

// ---- MIDI output -------------------------------------------------------------------------

bool IModuleAU::SendMidiMsg(IMidiMsg* msg) {
  if (!msg) return true;
  const uint8_t bytes[3] = {msg->mStatus, msg->mData1, msg->mData2};
  const int type = msg->mStatus >> 4;
  // Program change and channel pressure carry one data byte.
  SendToExternalMIDIOut(bytes, (type == 0xC || type == 0xD) ? 2 : 3);
  return true;
}

bool IModuleAU::SendMidiSysex(unsigned char* bytes, int size) {
  if (!bytes || size < 1) return true;
  if (bytes[0] == 0xF0) {
    SendToExternalMIDIOut(bytes, size);
    return true;
  }
  std::vector<uint8_t> framed;
  framed.reserve(static_cast<size_t>(size) + 2);
  framed.push_back(0xF0);
  framed.insert(framed.end(), bytes, bytes + size);
  framed.push_back(0xF7);
  SendToExternalMIDIOut(framed.data(), static_cast<int>(framed.size()));
  return true;
}

bool IModuleAU::SendPatchSysex(unsigned char* bytes, int size) {
  if (bytes && size > 0) SendToExternalMIDIOut(bytes, size);
  return true;
}

bool IModuleAU::SendMidiSysex2(std::vector<unsigned char> bytes) {
  if (!bytes.empty()) SendToExternalMIDIOut(bytes.data(), static_cast<int>(bytes.size()));
  return true;
}
