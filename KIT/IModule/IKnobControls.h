// Knobs: a drag changes the value in proportion to the distance moved, in
// knob heights (vertical) or widths (horizontal) divided by the gearing;
// upward or rightward raises it. Shift or Control make the drag ten times
// finer. Knobs take a press, a double click (back to the default) and the
// wheel from IControl. The knob family differs only in how it draws.
#pragma once

#include "KIT/IModule/IControl.h"

class IKnobControl : public IControl {
 public:
  IKnobControl(IModuleBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0);
  // Not grayed: vertical value += dY / (top - bottom) / gearing, horizontal
  // value += dX / (right - left) / gearing, then pushed. A knob without
  // height (or width) ignores the drag.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

 protected:
  EDirection mDirection;
  double mGearing;
};

// A line from an inner to an outer radius at the angle of the value.
class IKnobLineControl : public IKnobControl {
 public:
  // Angles in radians (0 up, clockwise); an outer radius of 0 becomes half
  // the rectangle's width. A null colour draws black.
  IKnobLineControl(IModuleBase* plug, IRECT rect, int paramIdx, const IColor* color, double innerRadius,
                   double outerRadius, double minAngle, double maxAngle, EDirection direction = kVertical,
                   double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

 protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A bitmap turned to the angle of the value (radians) about the rectangle's
// centre.
class IKnobRotaterControl : public IKnobControl {
 public:
  IKnobRotaterControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, double minAngle,
                      double maxAngle, int yOffset = 0, EDirection direction = kVertical,
                      double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

 protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// The frame of a multi-frame strip that the value chooses: every knob of
// the editor. One frame in size at (x, y).
class IKnobMultiControl : public IKnobControl {
 public:
  IKnobMultiControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }

 protected:
  IBitmap mBitmap;
};

// A base bitmap with a mask and a top bitmap turned to the angle of the
// value (degrees).
class IKnobRotatingMaskControl : public IKnobControl {
 public:
  IKnobRotatingMaskControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                           const IBitmap* mask, const IBitmap* top, double minAngle, double maxAngle,
                           EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

 protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};
