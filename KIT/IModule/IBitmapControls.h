// Controls that show a colour or frames of a bitmap: the panel, the
// bitmap, the stepping and momentary switches, the overlay, the invisible
// switch and the radio-button group.
//
// A bitmap with N frames shows, at value v, frame 1 + (int)((N - 1) x v +
// 0.5) limited to 1..N. Controls built at (x, y) from a bitmap take one
// frame's size as their rectangle. A bitmap without pixels (a missing
// image) gives a control that draws nothing and, having no area, is never hit.
#pragma once

#include "KIT/IModule/IControl.h"

// A rectangle filled with a colour.
class IPanelControl : public IControl {
 public:
  // A null colour gives transparent black.
  IPanelControl(IModuleBase* plug, IRECT rect, const IColor* color);
  bool Draw(IGraphics* graphics) override;

 protected:
  IColor mColor;
};

// The frame of a multi-frame bitmap that the value chooses.
class IBitmapControl : public IControl {
 public:
  // At (x, y), one frame in size; a null bitmap is a missing image.
  IBitmapControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone);
  IBitmapControl(IModuleBase* plug, int x, int y, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendNone)
      : IBitmapControl(plug, x, y, -1, bitmap, blendMethod) {}
  bool Draw(IGraphics* graphics) override;
  const IBitmap& GetBitmap() const { return mBitmap; }

 protected:
  IBitmap mBitmap;
};

// Each press steps to the next frame: value += 1 / (N - 1) (1 with fewer
// than 2 frames), back to 0 past 1; the change is pushed. A double click is
// one more press. Grayed: no steps.
class ISwitchControl : public IBitmapControl {
 public:
  using IBitmapControl::IBitmapControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

// A press opens the parameter's prompt, then pushes the value.
class ISwitchPopUpControl : public ISwitchControl {
 public:
  using ISwitchControl::ISwitchControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// A momentary button: the press steps as a switch, the release sets 0 and
// pushes it, also while grayed.
class IContactControl : public ISwitchControl {
 public:
  using ISwitchControl::ISwitchControl;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// A switch drawn only from value 0.5 on; below that it draws nothing and
// takes the mouse only over its target area.
class IBitmapOverlayControl : public ISwitchControl {
 public:
  IBitmapOverlayControl(IModuleBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        IRECT targetArea);
  IBitmapOverlayControl(IModuleBase* plug, int x, int y, const IBitmap* bitmap, IRECT targetArea)
      : IBitmapOverlayControl(plug, x, y, -1, bitmap, targetArea) {}
  bool Draw(IGraphics* graphics) override;

 protected:
  IRECT mTargetArea;
};

// A press toggles between 0 and 1 and pushes; draws nothing.
class IInvisibleSwitchControl : public IControl {
 public:
  IInvisibleSwitchControl(IModuleBase* plug, IRECT rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override { return true; }
};

// A group of buttons of one two-frame bitmap (frame 2 marks the chosen
// one), laid out evenly across the rectangle; button i stands for value
// i / (n - 1).
class IRadioButtonsControl : public IControl {
 public:
  // Buttons one frame in size, the gaps between them equal (truncated);
  // button 0 at the left or top, or with reverse at the right or bottom.
  // Fewer than 1 button gives none; a single button stands for value 0.
  IRadioButtonsControl(IModuleBase* plug, IRECT rect, int paramIdx, int nButtons, const IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);
  // Right button: the prompt only. Otherwise the first button holding the
  // point sets its value; the value is pushed whether a button was hit or not.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* GetButtonRECT(int i) const { return i >= 0 && i < NButtons() ? mRECTs.Get() + i : nullptr; }

 protected:
  KIT_TypedBuf<IRECT> mRECTs{4096};
  IBitmap mBitmap;
};
