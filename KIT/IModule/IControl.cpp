#include "KIT/IModule/IControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/ITextControls.h"

IControl::IControl(IModuleBase* plug, IRECT rect, int paramIdx, int blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blendMethod, 1.0f) {}

IControl::~IControl() = default;

// ---- Mouse -------------------------------------------------------------------

void IControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (!mGrayed && mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (mGrayed || mDefaultValue < 0.0) return;
  mValue = mDefaultValue.Load();
  SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
  if (mGrayed || d == 0) return;
  const bool fine = mod && (mod->S || mod->C);
  const IParam* param = BoundParam();
  double position = 0.0;
  if (param && SteppedWheelPosition(*param, mValue, d, fine, &position))
    mValue = position;
  else
    mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

bool IControl::SteppedWheelPosition(const IParam& param, double value, int notches, bool fine,
                                    double* position) {
  const double lo = param.GetMin(), hi = param.GetMax(), step = param.GetStep(), shape = param.GetShape();
  if (!(step > 0.0) || !(hi > lo) || !(shape > 0.0) || !(value == value)) return false;
  const double share = (hi - lo) * (fine ? 0.001 : 0.01);
  const double stepsPerNotch = std::max(1.0, std::floor(share / step + 0.5));
  // The value as the parameter holds it, and the grid steps on either side
  // of it (a value a hair off the grid counts as on it).
  const double real = lo + (hi - lo) * std::pow(std::min(std::max(value, 0.0), 1.0), shape);
  const double index = real / step;
  const double nearest = std::floor(index + 0.5);
  const bool onGrid = std::fabs(index - nearest) < 1e-6;
  const double from = onGrid ? nearest : notches > 0 ? std::floor(index) : std::ceil(index);
  double target = (from + notches * stepsPerNotch) * step;
  // Kept on the grid inside the range.
  const double first = std::ceil(lo / step - 1e-6) * step, last = std::floor(hi / step + 1e-6) * step;
  target = std::min(std::max(target, first), last);
  // The position whose value does not fall short of the target: a value
  // read back truncated must give the target, not the step below it.
  double n = std::pow((target - lo) / (hi - lo), 1.0 / shape);
  n = std::min(std::max(n, 0.0), 1.0);
  for (int i = 0; i < 8 && n < 1.0 && lo + (hi - lo) * std::pow(n, shape) < target; ++i)
    n = std::nextafter(n, 2.0);
  *position = n;
  return true;
}

// ---- Drawing and paint state -------------------------------------------------

void IControl::Hide(bool hide) {
  mHide = hide;
  SetRedraw();
  SetDirty(false);
}

void IControl::GrayOut(bool gray) {
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.5f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

void IControl::ClampAndMark() {
  // A value that is not a number takes the low end of the range.
  const double v = mValue;
  if (!(v >= mClampLo))
    mValue = mClampLo;
  else if (v > mClampHi)
    mValue = mClampHi;
  mPaintState.fetch_or(kPaintDirty);
}

IParam* IControl::BoundParam() const {
  return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::PushToPlug(bool fromHardware) {
  if (!mPlug || mParamIdx < 0) return;
  if (fromHardware)
    mPlug->SetParameterFromGUI2(mParamIdx, mValue);
  else
    mPlug->SetParameterFromGUI(mParamIdx, mValue);
  IParam* param = BoundParam();
  if (!param) return;
  // The parameter is read under the plug-in's lock: another thread may be
  // setting it. The displays' own locks are taken after it is released.
  char display[IParam::kDisplayBufferSize] = {};
  char name[IParam::kNameSize] = {};
  {
    KIT_MutexLock lock(mPlug->GetMutex());
    param->GetDisplayForHost(display, true);
    snprintf(name, sizeof name, "%s", param->GetNameForHost());
  }
  if (auto* valueDisplay = dynamic_cast<ITextControl*>(mValDisplayControl))
    valueDisplay->SetTextFromPlug(display);
  if (auto* nameDisplay = dynamic_cast<ITextControl*>(mNameDisplayControl))
    nameDisplay->SetTextFromPlug(name);
}

void IControl::SetDirty(bool pushParamToPlug) {
  ClampAndMark();
  if (pushParamToPlug) PushToPlug(false);
}

void IControl::SetDirty2(bool pushParamToPlug) {
  ClampAndMark();
  if (pushParamToPlug) PushToPlug(true);
}

void IControl::SetRedraw() { mPaintState.fetch_or(kPaintRedraw); }

void IControl::SetClean() {
  uint8_t state = mPaintState.load();
  while (!mPaintState.compare_exchange_weak(state, (state & kPaintRedraw) ? kPaintDirty : 0)) {
  }
}

bool IControl::IsDirty() { return mPaintState.load() & kPaintDirty; }

// ---- Values ------------------------------------------------------------------

void IControl::SetValueFromPlug(double value) { TakeOutsideValue(value, false); }

void IControl::SetValueFromHardware(double value) { TakeOutsideValue(value, true); }

void IControl::TakeOutsideValue(double value, bool fromHardware) {
  // The first value ever becomes value and default, and goes no further.
  if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
  if (mValue == value) return;
  mValue = value;
  if (fromHardware)
    SetDirty2(true);
  else
    SetDirty(false);
  SetRedraw();
}

void IControl::SetValueFromUserInput(double value) {
  if (mValue == value) return;
  mValue = value;
  SetDirty(true);
  SetRedraw();
}

// ---- Prompt ------------------------------------------------------------------

void IControl::PromptUserInput() {
  IParam* param = BoundParam();
  if (param && param->GetNDisplayTexts() > 0) {
    PromptUserInput(&mRECT);
    return;
  }
  // A text field of 30 x 16 pixels centred on the control.
  const int cx = static_cast<int>(static_cast<float>(mRECT.L + mRECT.R) * 0.5f);
  const int cy = static_cast<int>(static_cast<float>(mRECT.T + mRECT.B) * 0.5f);
  IRECT box(cx - 15, cy - 8, cx + 15, cy + 8);
  PromptUserInput(&box);
}

void IControl::PromptUserInput(IRECT* r) {
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* param = BoundParam();
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!param || !graphics || !r) return;
  graphics->PromptUserInput(this, param, r);
  SetRedraw();
}

// ---- Aux parameters ----------------------------------------------------------

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
  AuxParam* aux = GetAuxParam(auxParamIdx);
  if (!aux || aux->mValue == value) return;
  aux->mValue = value;
  SetDirty(false);
  SetRedraw();
}

IControl::AuxParam* IControl::GetAuxParam(int i) {
  return i >= 0 && i < mAuxParams.GetSize() ? mAuxParams.Get() + i : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) {
  const int n = mAuxParams.GetSize();
  for (int i = 0; i < n; ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx) { mAuxParams.Add(AuxParam{0.0, paramIdx}); }

void IControl::SetAllAuxParamsFromGUI() {
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i) {
    const AuxParam aux = mAuxParams.Get()[i];
    mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}
