// The editor's radio-button group: one control, one enumerated parameter,
// N buttons of which exactly one is lit, all cut from ONE bitmap that holds
// every button's own picture in an unlit and a lit state:
//   normal bitmap (frames stacked): the N buttons side by side, unlit row
//     above lit row: a button is W / N wide and H / 2 high;
//   frames side by side: the N buttons stacked, unlit column left of lit
//     column: a button is W / 2 wide and H / N high;
//   a column of lights (more than two frames stacked, one per button, frame
//     k showing the column with light k lit): the group draws the frame of
//     its value, and button i is row i of a frame (frame height / N high),
//     reaching from the lights across the whole rectangle, so that the
//     names written beside the lights take clicks as well.
// A left click selects the button whose rectangle holds the point (value
// i / (N - 1)); hover and double clicks do nothing, a right click only
// repaints and pushes the value unchanged.
//
// A group needs at least kMinButtons buttons: fewer would divide by zero,
// so such a group is refused: it gets no buttons, draws nothing, selects
// nothing, and the refusal goes to the GUI's error log.
#pragma once

#include "KIT/IModule/IBitmapControls.h"

class ICustomRadioButtonsControl : public IRadioButtonsControl {
 public:
  static constexpr int kMinButtons = 2;

  // direction: vertical stacks the buttons down from the rectangle's top
  // left, horizontal lines them up to the right. A column of lights (see
  // above) is always vertical and spans rect's width; its rect is one frame
  // high.
  ICustomRadioButtonsControl(IModuleBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                             EDirection direction);
  ~ICustomRadioButtonsControl() override = default;

  // Right button: SetDirty(true) only. Left: OnMouseDownCustom, then SetDirty(true).
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // The first button from 0 up whose rectangle holds the point takes the
  // value i / (N - 1); a point in no button leaves the value. Marks the
  // control dirty and pushes (not for the right button, which does nothing).
  void OnMouseDownCustom(int x, int y, IMouseMod* mod);
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override {}
  void OnMouseOver(int x, int y, IMouseMod* mod) override {}
  // Repaints without sending the value.
  void OnMouseOut() override { SetDirty(false); }
  // At full weight (a grayed group still draws at full strength): every
  // button in its unlit state, the one the value selects
  // ((int)((N - 1) x value + 0.5), limited to the buttons) lit.
  bool Draw(IGraphics* graphics) override;

  int ButtonWidth() const { return mButtonWidth; }
  int ButtonHeight() const { return mButtonHeight; }
  bool IsLightColumn() const { return mLightColumn; }

 private:
  bool mRightClickAsLeft = false;  // false: a right press never selects
  bool mDrawLitState = true;       // the selected button drawn lit
  int mButtonWidth = 0;
  int mButtonHeight = 0;
  int mFixedIndex = -1;  // -1: every button can be hit
  bool mLightColumn = false;
};
