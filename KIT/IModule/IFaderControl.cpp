#include "KIT/IModule/IFaderControl.h"

#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix-combine.h"

namespace {
IRECT TrackRECT(int x, int y, int len, const IBitmap* bitmap, EDirection direction) {
  const int w = bitmap ? bitmap->W : 0, h = bitmap ? bitmap->H : 0;
  return direction == kVertical ? IRECT(x, y, x + w, y + len) : IRECT(x, y, x + len, y + h);
}
}  // namespace

IFaderControl::IFaderControl(IModuleBase* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                             EDirection direction, bool onlyHandle)
    : IControl(plug, TrackRECT(x, y, len, bitmap, direction), paramIdx),
      mLen(len),
      mHandleHeadroom(bitmap ? (direction == kVertical ? bitmap->H : bitmap->W) : 0),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mGrayed) return;
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
  if (!mGrayed) SnapToMouse(x, y);
}

void IFaderControl::SnapToMouse(int x, int y) {
  const int travel = mLen - mHandleHeadroom;
  if (travel <= 0) return;
  const int half = mHandleHeadroom / 2;
  if (mDirection == kHorizontal)
    mValue = static_cast<double>(x - mRECT.L - half) / travel;
  else
    mValue = 1.0 - static_cast<double>(y - mRECT.T - half) / travel;
  SetDirty(true);
}

IRECT IFaderControl::GetHandleRECT(double value) const {
  if (value < 0.0) value = mValue;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.W, mRECT.T + mBitmap.H);
  const int travel = mLen - mHandleHeadroom;
  if (mDirection == kHorizontal) {
    const int shift = PIX_TruncToInt(value * travel);
    r.L += shift;
    r.R += shift;
  } else {
    const int shift = PIX_TruncToInt(travel * (1.0 - value));
    r.T += shift;
    r.B += shift;
  }
  return r;
}

bool IFaderControl::Draw(IGraphics* graphics) {
  IRECT handle = GetHandleRECT();
  return graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) {
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}
