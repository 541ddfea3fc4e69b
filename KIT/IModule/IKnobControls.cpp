#include "KIT/IModule/IKnobControls.h"

#include <cmath>

#include "KIT/IModule/IGraphics.h"

namespace {
IBitmap CopyOf(const IBitmap* bitmap) { return bitmap ? *bitmap : IBitmap(); }
}  // namespace

// ---- IKnobControl ------------------------------------------------------------

IKnobControl::IKnobControl(IModuleBase* plug, IRECT rect, int paramIdx, EDirection direction, double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing) {}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod) {
  if (mGrayed) return;
  double gearing = mGearing;
  if (mod && (mod->C || mod->S)) gearing *= 10.0;
  const int span = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  if (span == 0 || gearing == 0.0) return;
  mValue += (mDirection == kVertical ? dY : dX) / static_cast<double>(span) / gearing;
  SetDirty(true);
}

// ---- IKnobLineControl --------------------------------------------------------

IKnobLineControl::IKnobLineControl(IModuleBase* plug, IRECT rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing),
      mColor(color ? *color : COLOR_BLACK),
      mMinAngle(static_cast<float>(minAngle)),
      mMaxAngle(static_cast<float>(maxAngle)),
      mInnerRadius(static_cast<float>(innerRadius)),
      mOuterRadius(static_cast<float>(outerRadius == 0.0 ? 0.5 * rect.W() : outerRadius)) {
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber, 1.0f);
}

bool IKnobLineControl::Draw(IGraphics* graphics) {
  const float angle = mMinAngle + static_cast<float>(mValue) * (mMaxAngle - mMinAngle);
  const float cx = static_cast<float>(mRECT.L + mRECT.R) * 0.5f;
  const float cy = static_cast<float>(mRECT.T + mRECT.B) * 0.5f;
  const float s = sinf(angle), c = cosf(angle);
  return graphics->DrawLine(&mColor, cx + mInnerRadius * s, cy - mInnerRadius * c, cx + mOuterRadius * s,
                            cy - mOuterRadius * c, &mBlend, true);
}

// ---- IKnobRotaterControl -----------------------------------------------------

IKnobRotaterControl::IKnobRotaterControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffset, EDirection direction,
                                         double gearing)
    : IKnobControl(plug, IRECT(x, y, x + CopyOf(bitmap).W, y + CopyOf(bitmap).H), paramIdx, direction,
                   gearing),
      mBitmap(CopyOf(bitmap)),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mYOffset(yOffset) {}

bool IKnobRotaterControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedBitmap(&mBitmap, (mRECT.L + mRECT.R) / 2, (mRECT.T + mRECT.B) / 2, angle,
                                     mYOffset, &mBlend);
}

// ---- IKnobMultiControl -------------------------------------------------------

IKnobMultiControl::IKnobMultiControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + CopyOf(bitmap).FrameWidth(), y + CopyOf(bitmap).FrameHeight()),
                   paramIdx, direction, gearing),
      mBitmap(CopyOf(bitmap)) {}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
  return graphics->DrawBitmap(&mBitmap, &mRECT, mBitmap.FrameOfValue(mValue), &mBlend);
}

// ---- IKnobRotatingMaskControl ------------------------------------------------

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IModuleBase* plug, int x, int y, int paramIdx,
                                                   const IBitmap* base, const IBitmap* mask,
                                                   const IBitmap* top, double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + CopyOf(base).W, y + CopyOf(base).H), paramIdx, direction, gearing),
      mBase(CopyOf(base)),
      mMask(CopyOf(mask)),
      mTop(CopyOf(top)),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle) {}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
