// The overlay the editor lays over the whole window while it exchanges data
// with the synthesizer: one picture over a fixed rectangle, in a layer of
// its own above every other, that swallows every click and double click
// reaching it. Controls added to the same layer after it (the "Cancel Data
// Request" buttons) lie above it and keep taking clicks inside their own
// rectangles. The editor core creates it once at start-up and shows or
// hides it together with its layer.
#pragma once

#include <functional>

#include "KIT/IModule/IBitmapControls.h"

class ControlLayer;

class ProgressIndicator : public IBitmapOverlayControl {
 public:
  // Control and hit rectangle (x, y, x + bitmap width, y + one frame's
  // height); the picture is drawn into (x, y, x + w, y + h). targetArea is
  // kept as the overlay's target area. Appends itself to layer's controls
  // and sets the layer's ignore-hidden flag, so that hiding the overlay
  // repaints the window under it. The layer (not owned) then owns the
  // indicator; without a layer the caller owns it (reported as an error).
  ProgressIndicator(ControlLayer* layer, IModuleBase* plug, int x, int y, int w, int h, int paramIdx,
                    IBitmap* bitmap, IRECT targetArea);
  ~ProgressIndicator() override = default;

  // A click or double click it takes runs the taken-click action (none at
  // first): the editor core says there that it is busy, so that no click is
  // lost without a word.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void SetTakenClickAction(std::function<void()> action) { mTakenClick = std::move(action); }
  // The picture's first frame, unscaled from its top left corner, into drawRect.
  bool Draw(IGraphics* graphics) override;

  ControlLayer* GetLayer() const { return mLayer; }
  const IRECT& GetDrawRECT() const { return mDrawRect; }

 private:
  ControlLayer* mLayer;
  IBitmap mPicture;
  IRECT mDrawRect;  // (x, y, x + w, y + h)
  std::function<void()> mTakenClick;
};
