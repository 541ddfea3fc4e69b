#include "KIT/IModule/IControl.h"

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
  const bool fine = mod && (mod->S || mod->C);
  mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
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
