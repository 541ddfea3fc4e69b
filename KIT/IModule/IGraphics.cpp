#include "KIT/IModule/IGraphics.h"

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphicsCaches.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/ITextControls.h"
#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-sysbitmap.h"

// ==== LIFECYCLE AND THREADS =====================================================

IGraphics::IGraphics(IModuleBase* plug, int width, int height, int fps)
    : mPlug(plug),
      mWidth(width),
      mHeight(height),
      mFPS(fps < 1 ? 25 : fps),
      mGUIThread(std::this_thread::get_id()) {
  // A slot per parameter the plug-in has now: the plug-in creates its
  // parameters before its GUI.
  mNWaiting = plug ? plug->NParams() : 0;
  if (mNWaiting > 0) mWaiting.reset(new PendingValue[static_cast<size_t>(mNWaiting)]);
}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  mControls.Empty(true);
  mLayers.Empty(true);
  DeleteBitmaps();
  TheBitmapStorage().ForgetHolder(this);
}

void IGraphics::DeleteBitmaps() {
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

void IGraphics::PrepDraw() {
  DeleteBitmaps();
  mDrawBitmap = new PIX_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new PIX_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h) {
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::ReleaseMouseCapture() {
  mMouseCapture = nullptr;
  mMouseX = mMouseY = -1;
}

void IGraphics::SetGUIThread() { mGUIThread.store(std::this_thread::get_id()); }

bool IGraphics::IsGUIThread() const { return mGUIThread.load() == std::this_thread::get_id(); }

void* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }

// ==== PLATFORM OPERATIONS (a GUI without a window) ================================

void IGraphics::HostPath(KIT_String* path) {
  if (path) path->Set("");
}

void IGraphics::PluginPath(KIT_String* path) {
  if (path) path->Set("");
}

void IGraphics::DesktopPath(KIT_String* path) {
  if (path) path->Set("");
}

void IGraphics::PromptForFile(KIT_String* fileName, EFileAction, KIT_String*, const char*) {
  if (fileName) fileName->Set("");
}

// ==== ATTACHING =================================================================

int IGraphics::AttachControl(IControl* control) {
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

int IGraphics::AttachLayer(ControlLayer* layer) {
  mLayers.Add(layer);
  return mLayers.GetSize() - 1;
}

void IGraphics::AttachBackground(int id, const char* name, double scale) {
  IBitmap bitmap = LoadIBitmap(id, name, scale, 1, false);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bitmap, IChannelBlend::kBlendClobber));
}

void IGraphics::AttachPanelBackground(const IColor* color) {
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}

void IGraphics::AttachKeyCatcher(IControl* control) {
  if (mKeyCatcher != control) delete mKeyCatcher;
  mKeyCatcher = control;
}

// ==== VALUES ====================================================================

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    // The parameter is shared with the plug-in's other threads: its lock
    // (recursive, so callers already holding it pass) guards the change.
    KIT_MutexLock lock(mPlug->GetMutex());
    value = param->GetNormalized(value);
    param->SetNormalized(value);
  }
  if (IsGUIThread()) {
    // A value waiting from another thread is older than this one.
    if (paramIdx >= 0 && paramIdx < mNWaiting) mWaiting[paramIdx].waiting.store(false);
    FanOutParameter(paramIdx, value);
    return;
  }
  if (paramIdx < 0 || paramIdx >= mNWaiting) return;
  PendingValue& slot = mWaiting[paramIdx];
  slot.value.store(value);
  slot.waiting.store(true);
  mAnyWaiting.store(true);
}

void IGraphics::FanOutParameter(int paramIdx, double value) {
  SetControlsFromPlug(mControls, 0, paramIdx, value);
  for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->SetParameterFromPlug(paramIdx, value, true);
}

void IGraphics::ApplyWaitingValues() {
  ApplyWaitingTexts();
  if (!mAnyWaiting.exchange(false)) return;
  for (int i = 0; i < mNWaiting; ++i)
    if (mWaiting[i].waiting.exchange(false)) FanOutParameter(i, mWaiting[i].value.load());
}

void IGraphics::SetControlTextFromPlug(ITextControl* control, const std::string& text) {
  if (!control) return;
  if (IsGUIThread()) {
    ApplyWaitingTexts();  // older texts first, so the newest stays
    control->SetTextFromPlug(text.c_str());
    return;
  }
  std::lock_guard<std::mutex> hold(mWaitingTextsLock);
  for (auto& waiting : mWaitingTexts)
    if (waiting.first == control) {
      waiting.second = text;
      return;
    }
  mWaitingTexts.emplace_back(control, text);
  mAnyTextWaiting.store(true);
}

void IGraphics::ApplyWaitingTexts() {
  if (!mAnyTextWaiting.exchange(false)) return;
  std::vector<std::pair<ITextControl*, std::string>> texts;
  {
    std::lock_guard<std::mutex> hold(mWaitingTextsLock);
    texts.swap(mWaitingTexts);
  }
  for (const auto& waiting : texts) waiting.first->SetTextFromPlug(waiting.second.c_str());
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue) {
  if (IControl* control = mControls.Get(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetValueFromUserInput(normalizedValue);
}

void IGraphics::HideControl(int paramIdx, bool hide) {
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Hide(hide);
}

void IGraphics::GrayOutControl(int paramIdx, bool gray) {
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->GrayOut(gray);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized) {
  if (!normalized) {
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Clamp(lo, hi);
}

void IGraphics::SetAllControlsDirty() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict) {
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::OnGUIIdle() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

// ==== DIRTY AREA AND DRAWING ======================================================

bool IGraphics::IsDirty(IRECT* r) {
  ApplyWaitingValues();
  // Control 0, the background, is not asked: it is painted with every area.
  bool dirty = AddDirtyAreas(mControls, 1, r);
  for (int i = 0; i < mLayers.GetSize(); ++i)
    if (mLayers.Get(i)->isDirty(r)) dirty = true;
  return dirty;
}

bool IGraphics::Draw(IRECT* r) {
  const int n = mControls.GetSize();
  if (n == 0 && mLayers.GetSize() == 0) return true;
  ApplyWaitingValues();
  if (mStrict) {
    mDrawRECT = *r;
    // The background is drawn whole (its blit is clipped to the area) and
    // stays as it is; a GUI with layers but no controls has none.
    if (IControl* background = mControls.Get(0)) background->Draw(this);
    for (int i = 1; i < n; ++i) {
      IControl* control = mControls.Get(i);
      if (!control->IsHidden() && r->Meets(control->GetRECT())) control->Draw(this);
      control->SetClean();
    }
  } else if (IControl* background = mControls.Get(0); background && background->IsDirty()) {
    mDrawRECT = background->GetRECT();
    for (int i = 0; i < n; ++i) {
      IControl* control = mControls.Get(i);
      if (i > 0 && control->IsHidden()) continue;
      control->Draw(this);
      control->SetClean();
    }
  } else {
    for (int i = 1; i < n; ++i) {
      IControl* dirty = mControls.Get(i);
      if (!dirty->IsDirty()) continue;
      mDrawRECT = dirty->GetRECT();
      for (int j = 0; j < n; ++j) {
        IControl* control = mControls.Get(j);
        if (!control->IsHidden() && (j == i || mDrawRECT.Meets(control->GetRECT()))) control->Draw(this);
      }
      dirty->SetClean();
    }
  }
  for (int i = 0; i < mLayers.GetSize(); ++i) mLayers.Get(i)->Draw(this, &mDrawRECT);
  return DrawScreen(&mDrawRECT);
}
