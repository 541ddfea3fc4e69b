// Construction and identity, the default hooks, channels and buffers.
#include "KIT/IModule/IModuleBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "KIT/IModule/IGraphics.h"

namespace {

void CopyName(char* dest, const char* text) { snprintf(dest, 128, "%s", text ? text : ""); }

}  // namespace

// Copies input i to output i for i below both counts and zeroes the other
// outputs (and those whose input is missing); null outputs are skipped.
template <class Sample>
void IModuleBase::PassThrough(Sample** inputs, Sample** outputs, int nIn, int nOut, int nFrames) {
  if (!outputs || nFrames < 1) return;
  for (int i = 0; i < nOut; ++i) {
    if (!outputs[i]) continue;
    const Sample* in = i < nIn && inputs ? inputs[i] : nullptr;
    if (in)
      memmove(outputs[i], in, sizeof(Sample) * static_cast<size_t>(nFrames));
    else
      memset(outputs[i], 0, sizeof(Sample) * static_cast<size_t>(nFrames));
  }
}

template void IModuleBase::PassThrough<float>(float**, float**, int, int, int);
template void IModuleBase::PassThrough<double>(double**, double**, int, int, int);

namespace {}  // namespace

void IPreset::SetName(const char* name) { snprintf(mName, kNameSize, "%s", name ? name : ""); }

// ---- Construction and identity -------------------------------------------------

IModuleBase::IModuleBase(int, const char*, int, const char*, const char*, const char*, int32_t vendorVersion,
                         int32_t uniqueID, int32_t mfrID, int latency, bool, bool plugDoesChunks,
                         bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mDoesChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mLatency(latency) {}

IModuleBase::~IModuleBase() {
  // The input thread calls into this object; stop it before anything it may
  // reach is destroyed.
  CloseExternalMIDIIn();

  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  CloseExternalMIDIOut();
  mParamGroups.Empty(false);
}

void IModuleBase::initialize(int first, int count, const char* channelIOStr, int nPresets,
                             const char* effectName, const char* productName, const char* mfrName, int32_t,
                             int32_t, int32_t, int, bool, bool, bool) {
  mNonAutomated = std::max(0, count - first);
  if (mPreviousPath.GetLength() > 0) mPreviousPath.Set("");

  for (int i = 0; i < count; ++i) mParams.Add(new IParam);
  mNonAutomated = std::min(mNonAutomated, NParams());
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  CopyName(mEffectName, effectName);
  CopyName(mProductName, productName);
  CopyName(mMfrName, mfrName);

  // Channel layouts: "%d-%d" pairs separated by single blanks.
  int maxIn = 0, maxOut = 0;
  for (const char* p = channelIOStr; p;) {
    ChannelIO* io = new ChannelIO;
    if (sscanf(p, "%d-%d", &io->mIn, &io->mOut) != 2) io->mIn = io->mOut = 0;
    maxIn = std::max(maxIn, io->mIn);
    maxOut = std::max(maxOut, io->mOut);
    if (!mChannelIO.Add(io)) delete io;
    p = strchr(p, ' ');
    if (p) ++p;
  }

  mInData.Resize(maxIn);
  mOutData.Resize(maxOut);
  double** inSlots = mInData.Get();
  double** outSlots = mOutData.Get();
  for (int i = 0; i < mInData.GetSize(); ++i) {
    inSlots[i] = nullptr;
    InChannel* channel = new InChannel;
    channel->mSrc = inSlots + i;
    if (!mInChannels.Add(channel)) delete channel;
  }
  for (int i = 0; i < mOutData.GetSize(); ++i) {
    outSlots[i] = nullptr;
    OutChannel* channel = new OutChannel;
    channel->mDest = outSlots + i;
    if (!mOutChannels.Add(channel)) delete channel;
  }
}

void IModuleBase::addNonAutomateParamCount(int n) { mNonAutomated = std::min(std::max(n, 0), NParams()); }

int32_t IModuleBase::GetEffectVersion(bool decimal) const {
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

char* IModuleBase::GetEffectVersionStr(char* buffer) const { return GetVersionStr(mVersion, buffer); }

const char* IModuleBase::GetAPIString() const {
  switch (mAPI) {
    case kAPIVST2:
      return "VST2";
    case kAPIVST3:
      return "VST3";
    case kAPIAU:
      return "AU";
    case kAPIRTAS:
      return "RTAS";
    case kAPIAAX:
      return "AAX";
    case kAPISA:
      return "Standalone";
  }
  return "";
}

int IModuleBase::AddParamGroup(const char* name) {
  mParamGroups.Add(name);
  return mParamGroups.GetSize();
}

void IModuleBase::SetHost(const char* host, int32_t version) {
  mHost = LookUpHost(host);
  mHostVersion = version;
}

int32_t IModuleBase::GetHostVersion(bool decimal) {
  GetHost();  // the host binding identifies the host here while it is unknown
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

char* IModuleBase::GetHostVersionStr(char* buffer) {
  GetHost();
  return GetVersionStr(mHostVersion, buffer);
}

double IModuleBase::GetSamplesPerBeat() {
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

// ---- Default hooks -------------------------------------------------------------

void IModuleBase::Reset() { KIT_MutexLock lock(&mMutex); }
void IModuleBase::OnParamChange(int) { KIT_MutexLock lock(&mMutex); }
void IModuleBase::OnParamChange2(int) { KIT_MutexLock lock(&mMutex); }
void IModuleBase::OnActivate(bool) { KIT_MutexLock lock(&mMutex); }

void IModuleBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  PassThrough(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

bool IModuleBase::MidiNoteName(int, char* noteName) {
  if (noteName) noteName[0] = 0;
  return false;
}

void IModuleBase::AttachGraphics(IGraphics* graphics) {
  if (!graphics) return;
  KIT_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  if (mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

namespace {

// Resizes a channel's scratch buffer to n zeroed samples. The channel's slot
// follows the buffer when it pointed at it or the channel is disconnected,
// or processing would use freed memory.
template <class Channel>
void ResizeScratch(Channel* channel, double** slot, int n) {
  double* old = channel->mScratchBuf.Get();
  double* fresh = channel->mScratchBuf.Resize(n);
  if (fresh) std::fill(fresh, fresh + channel->mScratchBuf.GetSize(), 0.0);
  if (*slot == old || !channel->mConnected) *slot = fresh;
}

}  // namespace

void IModuleBase::SetBlockSize(int n) {
  if (n < 0 || n == mBlockSize) return;
  for (int i = 0; i < NInChannels(); ++i) ResizeScratch(mInChannels.Get(i), mInChannels.Get(i)->mSrc, n);
  for (int i = 0; i < NOutChannels(); ++i) ResizeScratch(mOutChannels.Get(i), mOutChannels.Get(i)->mDest, n);
  mBlockSize = n;
}

// ---- Channels and buffers --------------------------------------------------------

bool IModuleBase::LegalIO(int nIn, int nOut) const {
  for (int i = 0; i < NChannelIO(); ++i) {
    const ChannelIO* io = mChannelIO.Get(i);
    if ((nIn < 0 || io->mIn == nIn) && (nOut < 0 || io->mOut == nOut)) return true;
  }
  return false;
}

void IModuleBase::LimitToStereoIO() {
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

void IModuleBase::SetInputChannelConnections(int index, int n, bool connected) {
  const int end = std::min(static_cast<int64_t>(index) + n, static_cast<int64_t>(NInChannels()));
  for (int i = std::max(index, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mSrc = channel->mScratchBuf.Get();
  }
}

void IModuleBase::SetOutputChannelConnections(int index, int n, bool connected) {
  const int end = std::min(static_cast<int64_t>(index) + n, static_cast<int64_t>(NOutChannels()));
  for (int i = std::max(index, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mDest = channel->mScratchBuf.Get();
  }
}

bool IModuleBase::IsInChannelConnected(int index) const {
  const InChannel* channel = mInChannels.Get(index);
  return channel && channel->mConnected;
}

bool IModuleBase::IsOutChannelConnected(int index) const {
  const OutChannel* channel = mOutChannels.Get(index);
  return channel && channel->mConnected;
}

int IModuleBase::FramesInBlock(int nFrames) const { return std::min(std::max(nFrames, 0), mBlockSize); }

void IModuleBase::AttachInputBuffers(int index, int n, double** data, int) {
  if (!data) return;
  const int end = std::min(static_cast<int64_t>(index) + n, static_cast<int64_t>(NInChannels()));
  for (int i = std::max(index, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) *channel->mSrc = *data++;
  }
}

void IModuleBase::AttachInputBuffers(int index, int n, float** data, int nFrames) {
  if (!data) return;
  const int frames = FramesInBlock(nFrames);
  const int end = std::min(static_cast<int64_t>(index) + n, static_cast<int64_t>(NInChannels()));
  for (int i = std::max(index, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    double* scratch = channel->mScratchBuf.Get();
    const float* source = *data++;
    if (source && scratch)
      for (int s = 0; s < frames; ++s) scratch[s] = source[s];
    *channel->mSrc = scratch;
  }
}

void IModuleBase::AttachOutputBuffers(int index, int n, double** data) {
  if (!data) return;
  const int end = std::min(static_cast<int64_t>(index) + n, static_cast<int64_t>(NOutChannels()));
  for (int i = std::max(index, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected) *channel->mDest = *data++;
  }
}

void IModuleBase::AttachOutputBuffers(int index, int n, float** data) {
  if (!data) return;
  const int end = std::min(static_cast<int64_t>(index) + n, static_cast<int64_t>(NOutChannels()));
  for (int i = std::max(index, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    *channel->mDest = channel->mScratchBuf.Get();
    channel->mFDest = *data++;
  }
}

namespace {

// Copies each connected output's scratch samples into its single-precision
// destination, or adds them to what is there.
void ConvertOutputs(KIT_PtrList<IModuleBase::OutChannel>& outputs, int frames, bool accumulate) {
  for (int i = 0; i < outputs.GetSize(); ++i) {
    IModuleBase::OutChannel* channel = outputs.Get(i);
    const double* scratch = channel->mScratchBuf.Get();
    float* dest = channel->mFDest;
    if (!channel->mConnected || !dest || !scratch) continue;
    for (int s = 0; s < frames; ++s) {
      const float sample = static_cast<float>(scratch[s]);
      dest[s] = accumulate ? dest[s] + sample : sample;
    }
  }
}

}  // namespace

void IModuleBase::PassThroughBuffers(double, int nFrames) {
  PassThrough(mInData.Get(), mOutData.Get(), mInData.GetSize(), mOutData.GetSize(), FramesInBlock(nFrames));
}

void IModuleBase::PassThroughBuffers(float, int nFrames) {
  PassThroughBuffers(0.0, nFrames);
  ConvertOutputs(mOutChannels, FramesInBlock(nFrames), false);
}

void IModuleBase::ProcessBuffers(double, int nFrames) {
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), FramesInBlock(nFrames));
}

void IModuleBase::ProcessBuffers(float, int nFrames) {
  ProcessBuffers(0.0, nFrames);
  ConvertOutputs(mOutChannels, FramesInBlock(nFrames), false);
}

void IModuleBase::ProcessBuffersAccumulating(float, int nFrames) {
  ProcessBuffers(0.0, nFrames);
  ConvertOutputs(mOutChannels, FramesInBlock(nFrames), true);
}

void IModuleBase::ZeroScratchBuffers() {
  for (int i = 0; i < NInChannels(); ++i) {
    KIT_TypedBuf<double>& buffer = mInChannels.Get(i)->mScratchBuf;
    if (buffer.Get()) std::fill(buffer.Get(), buffer.Get() + buffer.GetSize(), 0.0);
  }
  for (int i = 0; i < NOutChannels(); ++i) {
    KIT_TypedBuf<double>& buffer = mOutChannels.Get(i)->mScratchBuf;
    if (buffer.Get()) std::fill(buffer.Get(), buffer.Get() + buffer.GetSize(), 0.0);
  }
}
