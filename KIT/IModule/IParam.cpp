#include "KIT/IModule/IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "KIT/IModule/Truncate.h"

namespace {

// Copies at most size - 1 bytes of text (null reads as "") and terminates.
void CopyText(char* dest, int size, const char* text) {
  if (!text) text = "";
  const size_t n = strnlen(text, static_cast<size_t>(size - 1));
  memcpy(dest, text, n);
  dest[n] = 0;
}

// Digits after the decimal point that a step needs: the smallest k from 0 to
// 5 for which the step times 10 (k times over) is a whole number, else 6.
int DecimalsOfStep(double step) {
  double scaled = step;
  for (int k = 0; k <= 5; ++k) {
    if (scaled == std::floor(scaled)) return k;
    scaled *= 10.0;
  }
  return 6;
}

}  // namespace

IParam::IParam() = default;

void IParam::SetTexts(const char* name, const char* label, const char* group) {
  CopyText(mName, kNameSize, name);
  CopyText(mLabel, kNameSize, label);
  CopyText(mGroup, kNameSize, group);
}

void IParam::SetTypeIfNone(EParamType type) {
  if (mType == kTypeNone) mType = type;
}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, const char* group, int a,
                      int b) {
  SetTypeIfNone(kTypeBool);
  SetTexts(name, label, group);
  mValue = mDefault = defaultValue ? 1.0 : 0.0;
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
  mExtraA = a;
  mExtraB = b;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultValue, int count, const char* label, const char* group,
                      int a, int b) {
  SetTypeIfNone(kTypeEnum);
  SetTexts(name, label, group);
  mValue = mDefault = defaultValue;
  mMin = 0.0;
  mMax = std::max(1, count - 1);
  mStep = 1.0;
  mDisplayPrecision = 0;
  mExtraA = a;
  mExtraB = b;
}

void IParam::InitInt(const char* name, int defaultValue, int minValue, int maxValue, const char* label,
                     const char* group, int a, int b) {
  SetTypeIfNone(kTypeInt);
  SetTexts(name, label, group);
  mValue = mDefault = defaultValue;
  mMin = minValue;
  mMax = std::max(static_cast<double>(minValue) + 1.0, static_cast<double>(maxValue));
  mStep = 1.0;
  mDisplayPrecision = 0;
  mExtraA = a;
  mExtraB = b;
}

void IParam::InitDouble(const char* name, double defaultValue, double minValue, double maxValue, double step,
                        const char* label, const char* group, int a, int b) {
  SetTypeIfNone(kTypeDouble);
  SetTexts(name, label, group);
  mValue = mDefault = defaultValue;
  mMin = minValue;
  mMax = std::max(minValue + step, maxValue);
  mStep = step;
  mDisplayPrecision = DecimalsOfStep(step);
  mExtraA = a;
  mExtraB = b;
}

void IParam::InitText() { mType = kTypeText; }

int IParam::Int() const { return TruncateToInt(mValue); }

void IParam::GetBounds(double* minValue, double* maxValue) const {
  if (minValue) *minValue = mMin;
  if (maxValue) *maxValue = mMax;
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

void IParam::SetNormalized(double position) {
  double value = mMin + (mMax - mMin) * std::pow(position, mShape);
  if (mType != kTypeDouble && mStep != 0.0) value = mStep * std::floor(value / mStep + 0.5);
  mValue = std::min(value, mMax);
}

double IParam::GetNormalized(double value) const {
  // An empty (or inverted) range has no position but its start: 0.0, not the
  // NaN that 0 / 0 would give.
  if (!(mMax > mMin)) return 0.0;
  value = std::min(std::max(value, mMin), mMax);
  return std::pow((value - mMin) / (mMax - mMin), 1.0 / mShape);
}

double IParam::DBToAmp() const { return std::exp(mValue * 0.1151292546497); }

const char* IParam::GetLabelForHost() const {
  if (GetNDisplayTexts() > 0 && GetDisplayText(Int())[0] != 0) return "";
  return mLabel;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText) const {
  if (!out) return;
  if (normalized) value = mMin + (mMax - mMin) * std::pow(value, mShape);

  if (withDisplayText && GetNDisplayTexts() > 0) {
    const char* text = GetDisplayText(TruncateToInt(value));
    if (text[0] != 0) {
      CopyText(out, kDisplayBufferSize, text);
      return;
    }
  }
  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0)
    snprintf(out, kDisplayBufferSize, "%d", TruncateToInt(value));
  else
    snprintf(out, kDisplayBufferSize, "%.*f", mDisplayPrecision, value);
}

void IParam::SetDisplayText(int value, const char* text) {
  if (value < 0) return;
  const int count = GetNDisplayTexts();
  DisplayText* entry = nullptr;
  if (value < count) {
    entry = mDisplayTexts.Get() + value;
  } else {
    DisplayText fresh = {};
    entry = mDisplayTexts.Add(fresh);
    if (!entry) return;  // no memory: the table stays as it was
    mMax = value;
  }
  entry->mValue = value;
  CopyText(entry->mText, kDisplayTextSize, text);
}

const char* IParam::GetDisplayText(int value) const {
  const int count = GetNDisplayTexts();
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < count; ++i)
    if (entries[i].mValue == value) return entries[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int index, int* value) const {
  if (index < 0 || index >= GetNDisplayTexts()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[index];
  if (value) *value = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const {
  if (!text) return false;
  const int count = GetNDisplayTexts();
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0; i < count; ++i) {
    if (strcmp(entries[i].mText, text) == 0) {
      if (value) *value = entries[i].mValue;
      return true;
    }
  }
  return false;
}
