// Mouse and key dispatch: which control receives each event, the mouse
// capture from a press to its release, and the host's gesture notices.
#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleBase.h"

IControl* IGraphics::HitTarget(int x, int y, bool mouseOver) {
  for (int i = mLayers.GetSize() - 1; i >= 0; --i)
    if (IControl* hit = mLayers.Get(i)->isHit(x, y)) return hit;
  for (int i = mControls.GetSize() - 1; i >= 0; --i) {
    IControl* control = mControls.Get(i);
    if (control->IsHidden()) continue;
    if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
    if (control->IsHit(x, y)) return control;
  }
  return nullptr;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  IControl* target = HitTarget(x, y, false);
  if (!target) return;
  mMouseCapture = target;
  mMouseX = x;
  mMouseY = y;
  target->OnMouseDown(x, y, mod);
  const int paramIdx = target->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod) {
  IControl* target = mMouseCapture ? mMouseCapture : HitTarget(x, y, false);
  ReleaseMouseCapture();
  if (!target) return;
  target->OnMouseUp(x, y, mod);
  const int paramIdx = target->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod) {
  if (!mMouseCapture) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (dX == 0 && dY == 0) return;
  mMouseX = x;
  mMouseY = y;
  mMouseCapture->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  ReleaseMouseCapture();
  IControl* target = HitTarget(x, y, false);
  if (!target) return false;
  if (!target->GetDblAsSingleClick()) {
    target->OnMouseDblClick(x, y, mod);
    return false;
  }
  // The second click is a new press; the host heard of the first one's
  // gesture already.
  mMouseCapture = target;
  mMouseX = x;
  mMouseY = y;
  target->OnMouseDown(x, y, mod);
  return true;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d) {
  IControl* target = mMouseCapture ? mMouseCapture : HitTarget(x, y, false);
  if (target) target->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod) {
  if (!mHandleMouseOver) return false;
  IControl* target = mMouseCapture ? mMouseCapture : HitTarget(x, y, true);
  if (!target) return true;
  mMouseX = x;
  mMouseY = y;
  target->OnMouseOver(x, y, mod);
  if (mMouseOver && mMouseOver != target) mMouseOver->OnMouseOut();
  mMouseOver = target;
  return true;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = nullptr;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  if (mMouseCapture) return mMouseCapture->OnKeyDown(x, y, key);
  if (IControl* target = HitTarget(x, y, false)) return target->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

IControl* IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver) {
  return mMouseCapture ? mMouseCapture : HitTarget(x, y, mouseOver);
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y) {
  IControl* control = GetMouseControlIdx(x, y, false);
  mLastClickedParam = control ? control->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation() {
  const int last = mLastClickedParam;
  mLastClickedParam = -1;
  return last;
}
