#include "src/ProgressIndicator.h"

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"

ProgressIndicator::ProgressIndicator(ControlLayer* layer, IModuleBase* plug, int x, int y, int w, int h,
                                     int paramIdx, IBitmap* bitmap, IRECT targetArea)
    : IBitmapOverlayControl(plug, x, y, paramIdx, bitmap, targetArea),
      mLayer(layer),
      mPicture(bitmap ? *bitmap : IBitmap()),
      mDrawRect(x, y, x + w, y + h) {
  // The whole picture's height over its frames, as one frame of a strip.
  const int frames = mPicture.N > 0 ? mPicture.N : 1;
  mRECT = IRECT(x, y, x + mPicture.W, y + mPicture.H / frames);
  mTargetRECT = mRECT;
  if (mLayer) {
    mLayer->controls.Add(this);
    mLayer->setIgnoreHiddenWhenUpdatingScreen(true);
  } else {
    IGraphics::LogError("Progress indicator made without a layer");
  }
}

bool ProgressIndicator::Draw(IGraphics* graphics) {
  return graphics->DrawBitmap(&mPicture, &mDrawRect, 0, &mBlend);
}

void ProgressIndicator::OnMouseDown(int, int, IMouseMod*) {
  if (mTakenClick) mTakenClick();
}

void ProgressIndicator::OnMouseDblClick(int x, int y, IMouseMod* mod) { OnMouseDown(x, y, mod); }
