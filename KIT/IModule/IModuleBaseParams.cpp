// Parameter changes and parameter chunks: the user and hardware change
// paths, the reset pass, parameter values in state chunks, the pushes to the
// GUI and the host, channel and bus labels, single-precision processing.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleBase.h"

// ---- Change paths --------------------------------------------------------------

// Both paths hold the lock from before the value is set until the handler
// returns. The host hears of every call (with the position as given, not the
// rounded value); the handler runs only when the stored value changed (a NaN
// on either side counts as a change) or for a text parameter, whose text may
// have changed while its value did not.
void IModuleBase::ChangeParameter(int index, double normalizedValue, bool fromHardware) {
  KIT_MutexLock lock(&mMutex);
  IParam* param = GetParam(index);
  if (!param) return;
  const double before = param->Value();
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(index, normalizedValue);
  if (param->Value() != before || param->Type() == IParam::kTypeText) {
    if (fromHardware)
      OnParamChange2(index);
    else
      OnParamChange(index);
  }
}

void IModuleBase::SetParameterFromGUI(int index, double normalizedValue) {
  ChangeParameter(index, normalizedValue, false);
}

void IModuleBase::SetParameterFromGUI2(int index, double normalizedValue) {
  ChangeParameter(index, normalizedValue, true);
}

void IModuleBase::OnParamReset() {
  for (int i = 0; i < NAutomatedParams(); ++i) OnParamChange(i);
  Reset();
}

// ---- Parameter chunks ------------------------------------------------------------

namespace {

bool AppendValues(KIT_PtrList<IParam>& params, int first, int count, ByteChunk* chunk) {
  bool ok = true;
  for (int i = first; i < first + count && ok; ++i) {
    chunk->PutDouble(params.Get(i)->Value());
    ok = chunk->Size() > 0;
  }
  return ok;
}

// Reads count values from position into the parameters from first on, each
// limited to its range (a NaN is skipped). A value that does not lie wholly in the chunk ends
// the walk with -1 and leaves its parameter as it was: a short chunk must
// not invent a value for the first parameter it lacks.
int ReadValues(KIT_PtrList<IParam>& params, int first, int count, const ByteChunk* chunk, int position) {
  for (int i = first; i < first + count; ++i) {
    double value = 0.0;
    position = chunk->GetDouble(&value, position);
    if (position < 0) return -1;
    IParam* param = params.Get(i);
    if (std::isnan(value)) continue;  // not a value of any range: the parameter keeps its own
    param->Set(value < param->GetMin() ? param->GetMin() : std::min(value, param->GetMax()));
  }
  return position;
}

}  // namespace

bool IModuleBase::SerializeParams(ByteChunk* chunk) {
  if (!chunk) return false;
  KIT_MutexLock lock(&mMutex);
  return AppendValues(mParams, 0, NAutomatedParams(), chunk);
}

int IModuleBase::UnserializeParams(ByteChunk* chunk, int startPos) {
  if (!chunk || startPos < 0) return startPos;
  KIT_MutexLock lock(&mMutex);
  return ReadValues(mParams, 0, NAutomatedParams(), chunk, startPos);
}

bool IModuleBase::SerializeNonAutomatedParams(ByteChunk* chunk, int count) {
  if (!chunk) return false;
  count = std::min(count, mNonAutomated);
  if (count < 1) return true;
  KIT_MutexLock lock(&mMutex);
  return AppendValues(mParams, NAutomatedParams(), count, chunk);
}

int IModuleBase::UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int count) {
  count = std::min(count, mNonAutomated);
  if (!chunk || startPos < 0 || count < 1) return startPos;
  KIT_MutexLock lock(&mMutex);
  return ReadValues(mParams, NAutomatedParams(), count, chunk, startPos);
}

bool IModuleBase::CompareState(const uint8_t* data, int startIndex, int dataSize) {
  const int n = NAutomatedParams();
  if (n == 0) return true;
  if (!data || startIndex < 0 || dataSize < 0 || (static_cast<int64_t>(startIndex) + n) * 8 > dataSize)
    return false;
  bool equal = true;
  for (int i = 0; i < n; ++i) {
    double stored;
    memcpy(&stored, data + 8 * (static_cast<size_t>(startIndex) + i), 8);
    const float difference = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(stored);
    if (!(std::fabs(static_cast<double>(difference)) < 1e-5)) equal = false;  // every pair is examined
  }
  return equal;
}

void IModuleBase::RedrawParamControls() {
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IModuleBase::DirtyParameters() {
  KIT_MutexLock lock(&mMutex);
  for (int i = 0; i < NAutomatedParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

// ---- Labels ------------------------------------------------------------------------

void IModuleBase::SetInputLabel(int index, const char* label) {
  if (InChannel* channel = mInChannels.Get(index)) channel->mLabel.Set(label);
}

void IModuleBase::SetOutputLabel(int index, const char* label) {
  if (OutChannel* channel = mOutChannels.Get(index)) channel->mLabel.Set(label);
}

namespace {

void SetBusLabel(KIT_PtrList<KIT_String>& labels, int index, const char* label) {
  if (index < labels.GetSize()) labels.Delete(index, true);
  KIT_String* text = new KIT_String(label);
  if (!labels.Insert(std::min(index, labels.GetSize()), text)) delete text;
}

}  // namespace

void IModuleBase::SetInputBusLabel(int index, const char* label) {
  if (index == 0 || index == 1) SetBusLabel(mInputBusLabels, index, label);
}

void IModuleBase::SetOutputBusLabel(int index, const char* label) {
  if (index >= 0) SetBusLabel(mOutputBusLabels, index, label);
}

const char* IModuleBase::GetInputBusLabel(int index) const {
  const KIT_String* label = mInputBusLabels.Get(index);
  return label ? label->Get() : nullptr;
}

const char* IModuleBase::GetOutputBusLabel(int index) const {
  const KIT_String* label = mOutputBusLabels.Get(index);
  return label ? label->Get() : nullptr;
}

// ---- Single precision ----------------------------------------------------------------

// Passes audio through, input i to output i and zeros on the outputs that
// have no input. Only channels present on both sides are copied, so more
// inputs than outputs never write past the outputs.
void IModuleBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames) {
  PassThrough(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}
