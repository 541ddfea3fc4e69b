#include "src/ICustomRadioButtonsControl.h"

#include "KIT/IModule/IGraphics.h"

ICustomRadioButtonsControl::ICustomRadioButtonsControl(IModuleBase* plug, IRECT rect, int paramIdx,
                                                       int nButtons, IBitmap* bitmap, EDirection direction)
    : IRadioButtonsControl(plug, rect, paramIdx, nButtons, bitmap, direction, false) {
  if (nButtons < kMinButtons) {
    IGraphics::LogError("Radio group of parameter %d refused: %d buttons, at least %d needed", paramIdx,
                        nButtons, kMinButtons);
    mRECTs.Resize(0);
    return;
  }
  const int w = mBitmap.W, h = mBitmap.H;
  // A strip of buttons holds two states (unlit, lit); more frames than that,
  // one per button, can only be a column of lights.
  mLightColumn = !mBitmap.mFramesAreHorizontal && mBitmap.N > 2 && mBitmap.N == nButtons;
  if (mLightColumn) {
    mButtonWidth = rect.W();
    mButtonHeight = mBitmap.FrameHeight() / nButtons;
  } else if (mBitmap.mFramesAreHorizontal) {
    mButtonWidth = w / 2;
    mButtonHeight = h / nButtons;
  } else {
    mButtonWidth = w / nButtons;
    mButtonHeight = h / 2;
  }
  IRECT* buttons = mRECTs.Resize(nButtons);
  if (!buttons || mRECTs.GetSize() != nButtons) {
    mRECTs.Resize(0);
    return;
  }
  const int frameHeight = static_cast<int>(static_cast<double>(h) / (mBitmap.N > 0 ? mBitmap.N : 1));
  for (int i = 0; i < nButtons; ++i) {
    if (mLightColumn || direction == kVertical)
      buttons[i] =
          IRECT(rect.L, rect.T + i * mButtonHeight, rect.L + mButtonWidth, rect.T + (i + 1) * mButtonHeight);
    else
      buttons[i] =
          IRECT(rect.L + i * mButtonWidth, rect.T, rect.L + (i + 1) * mButtonWidth, rect.T + frameHeight);
  }
}

void ICustomRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    SetDirty(true);
    return;
  }
  OnMouseDownCustom(x, y, mod);
  SetDirty(true);
}

void ICustomRadioButtonsControl::OnMouseDownCustom(int x, int y, IMouseMod* mod) {
  if (mod && mod->R && !mRightClickAsLeft) return;
  const int n = NButtons();
  if (n < kMinButtons) {
    SetDirty(true);
    return;
  }
  for (int i = 0; i < n; ++i) {
    if (mFixedIndex >= 0 && i != mFixedIndex) continue;
    if (mRECTs.Get()[i].Contains(x, y)) {
      mValue = static_cast<double>(i) / (n - 1);
      break;
    }
  }
  SetDirty(true);
}

bool ICustomRadioButtonsControl::Draw(IGraphics* graphics) {
  const int n = NButtons();
  if (n < kMinButtons) return true;
  const double position = (n - 1) * mValue + 0.5;
  // Limited to the buttons; a value that is not a number selects button 0.
  const int selected = !(position >= 0.0) ? 0 : position >= n ? n - 1 : static_cast<int>(position);
  mBlend.mWeight = 1.0f;
  if (mLightColumn) {
    IRECT frame(mRECT.L, mRECT.T, mRECT.L + mBitmap.FrameWidth(), mRECT.T + mBitmap.FrameHeight());
    return graphics->DrawBitmap(&mBitmap, &frame, mDrawLitState ? selected + 1 : 1, &mBlend);
  }
  for (int i = 0; i < n; ++i) {
    const int srcX = mBitmap.mFramesAreHorizontal ? 0 : i * mButtonWidth;
    const int srcY = mBitmap.mFramesAreHorizontal ? i * mButtonHeight : 0;
    const int state = mDrawLitState && i == selected ? 2 : 1;
    graphics->DrawBitmap(&mBitmap, mRECTs.Get() + i, state, srcX, srcY, &mBlend);
  }
  return true;
}
