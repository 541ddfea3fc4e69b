#include "KIT/IModule/IBitmapControls.h"

#include "KIT/IModule/IGraphics.h"

namespace {
IBitmap CopyOf(const IBitmap* bitmap) { return bitmap ? *bitmap : IBitmap(); }

// One frame of the bitmap at (x, y).
IRECT FrameRECT(int x, int y, const IBitmap& bitmap) {
  return IRECT(x, y, x + bitmap.FrameWidth(), y + bitmap.FrameHeight());
}
}  // namespace

// ---- IPanelControl -----------------------------------------------------------

IPanelControl::IPanelControl(IModuleBase* plug, IRECT rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_TRANSPARENT) {}

bool IPanelControl::Draw(IGraphics* graphics) {
  graphics->FillIRect(&mColor, &mRECT, &mBlend);
  return true;
}

// ---- IBitmapControl and the switches -------------------------------------------

IBitmapControl::IBitmapControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               int blendMethod)
    : IControl(plug, FrameRECT(x, y, CopyOf(bitmap)), paramIdx, blendMethod), mBitmap(CopyOf(bitmap)) {}

bool IBitmapControl::Draw(IGraphics* graphics) {
  return graphics->DrawBitmap(&mBitmap, &mRECT, mBitmap.FrameOfValue(mValue), &mBlend);
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*) {
  if (mGrayed) return;
  mValue += mBitmap.N >= 2 ? 1.0 / (mBitmap.N - 1) : 1.0;
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  if (!mGrayed) OnMouseDown(x, y, mod);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*) {
  PromptUserInput();
  SetDirty(true);
}

void IContactControl::OnMouseUp(int, int, IMouseMod*) {
  mValue = 0.0;
  SetDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IModuleBase* plug, int x, int y, int paramIdx,
                                             const IBitmap* bitmap, IRECT targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea) {}

bool IBitmapOverlayControl::Draw(IGraphics* graphics) {
  if (mValue < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}

// ---- IInvisibleSwitchControl ---------------------------------------------------

IInvisibleSwitchControl::IInvisibleSwitchControl(IModuleBase* plug, IRECT rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend::kBlendClobber) {}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*) {
  if (mGrayed) return;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

// ---- IRadioButtonsControl ------------------------------------------------------

IRadioButtonsControl::IRadioButtonsControl(IModuleBase* plug, IRECT rect, int paramIdx, int nButtons,
                                           const IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(CopyOf(bitmap)) {
  const int n = nButtons;
  if (n < 1) return;
  const int w = mBitmap.W;
  const int h = mBitmap.N > 1 ? static_cast<int>(static_cast<double>(mBitmap.H) / mBitmap.N) : mBitmap.H;
  const int free = direction == kHorizontal ? rect.W() - n * w : rect.H() - n * h;
  const int gap = n > 1 ? static_cast<int>(static_cast<double>(free) / (n - 1)) : 0;
  IRECT* buttons = mRECTs.Resize(n);
  if (!buttons) return;
  for (int i = 0; i < n; ++i) {
    if (direction == kHorizontal) {
      const int x = reverse ? rect.R - w - gap - i * (w + gap) : rect.L + i * (w + gap);
      buttons[i] = IRECT(x, rect.T, x + w, rect.T + h);
    } else if (!reverse) {
      const int y = rect.T + i * (h + gap);
      buttons[i] = IRECT(rect.L, y, rect.L + w, y + h);
    } else {
      const int b = rect.B - gap - i * (h + gap);
      buttons[i] = IRECT(rect.L, b - h, rect.L + w, b);
    }
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mGrayed) return;
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
  for (int i = 0; i < n; ++i) {
    if (mRECTs.Get()[i].Contains(x, y)) {
      mValue = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
      break;
    }
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics) {
  const int n = NButtons();
  if (n < 1) return true;
  // The button nearest the value, limited to the buttons (0 for a value
  // that is not a number).
  const double position = (n - 1) * mValue + 0.5;
  const int chosen = !(position >= 0.0) ? 0 : position >= n ? n - 1 : static_cast<int>(position);
  for (int i = 0; i < n; ++i) graphics->DrawBitmap(&mBitmap, mRECTs.Get() + i, i == chosen ? 2 : 1, &mBlend);
  return true;
}
