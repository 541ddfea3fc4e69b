// A slider: a handle bitmap that moves along a track; the handle's centre
// follows the pointer.
#pragma once

#include "KIT/IModule/IControl.h"

class IFaderControl : public IControl {
 public:
  // The track runs len pixels from (x, y) down (vertical) or right
  // (horizontal); the rectangle is the track by the handle's full width
  // (vertical) or height (horizontal), and the handle's size along the track
  // is the headroom the handle needs. With onlyHandle only the handle takes
  // the mouse. A null bitmap is a missing image.
  IFaderControl(IModuleBase* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                EDirection direction = kVertical, bool onlyHandle = false);

  // Not grayed: right button opens the prompt; otherwise the value follows
  // the press point.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Not grayed: the value follows the current point (not the deltas).
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  // The handle at the current value, frame 1.
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;

  // The handle's rectangle at value (negative: the current value); value 1
  // puts a vertical handle at the top.
  IRECT GetHandleRECT(double value = -1.0) const;
  // Sets the value whose handle centre lies at the point and pushes it:
  // horizontal (x - L - hr / 2) / (len - hr), vertical 1 - (y - T - hr / 2)
  // / (len - hr), then clamped. Nothing when the track leaves the handle no
  // room to move.
  void SnapToMouse(int x, int y);

  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }

 protected:
  int mLen;
  int mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
