// The control base: every element of the editor window (knobs, switches,
// sliders, displays, the background, the librarian's list and menus) is an
// IControl. It holds where the control sits, its value as a 0..1 position of
// the parameter it is bound to, and the state the drawing loop asks about.
//
// A value reaches a control, or leaves it, on one of three roads:
//   from the plug-in      SetValueFromPlug: the control repaints, nothing goes back;
//   from the user         a mouse handler changes the value and calls SetDirty(true),
//                         which hands it to IModuleBase::SetParameterFromGUI
//                         (ending in OnParamChange);
//   from the synthesizer  SetValueFromHardware -> SetDirty2(true) ->
//                         IModuleBase::SetParameterFromGUI2 (ending in OnParamChange2).
//
// Threads: mouse handlers, Draw, IsDirty and SetClean run on the GUI thread.
// SetValueFromHardware runs on the MIDI input thread and SetDirty(false) may
// come from any thread (a layer marked dirty after a dump). The value, the
// default, the hidden and grayed flags and the paint state are therefore
// shared values: each read sees a whole value, and a change made by another
// thread is never lost to a repaint running at the same moment (the paint
// state changes in single atomic steps). Values pushed through
// IGraphics::SetParameterFromPlug from other threads reach controls on the
// GUI's next timer tick (IGraphics.h).
//
// Contents: MOUSE AND KEYS, DRAWING AND PAINT STATE, VALUES, PROMPT, AUX
// PARAMETERS, ACCESSORS; definitions in IControl.cpp.
#pragma once

#include <atomic>
#include <cstdint>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/heapbuf.h"

class IGraphics;

class IControl {
 public:
  // One aux parameter: a further parameter whose pushed values the control
  // keeps.
  struct AuxParam {
    double mValue;
    int mParamIdx;
  };

  // rect is where the control draws and takes the mouse; paramIdx -1 binds
  // it to no parameter. Value 0, default -1 (unknown), clamp 0..1, dirty.
  IControl(IModuleBase* plug, IRECT rect, int paramIdx = -1, int blendMethod = IChannelBlend::kBlendNone);
  // A control without a place on the window (value and parameter binding
  // only): its rectangle is empty, so it draws nothing and is never hit.
  IControl(IModuleBase* plug, int paramIdx) : IControl(plug, IRECT(), paramIdx) {}
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;
  virtual ~IControl();

  // ==== MOUSE AND KEYS (GUI thread) =========================================
  // mod may be null: it then counts as no button and no modifier.

  // Right button, not grayed: PromptUserInput().
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod) {}
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {}
  // Not grayed and a default known: back to the default, pushed to the plug-in.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // d notches, each a hundredth of the range (a thousandth with Shift or
  // Control), then pushed. Bound to a parameter with a step, a notch moves
  // whole steps: that share of the range rounded to steps, at least one, so
  // the value lands on the step grid (counted from 0) and one notch on a
  // semitone or tune knob is exactly one of its steps. Nothing while grayed.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // A key code of EGUIKey; true when the control used the key.
  virtual bool OnKeyDown(int x, int y, int key) { return false; }
  virtual void OnMouseOver(int x, int y, IMouseMod* mod) {}
  virtual void OnMouseOut() {}

  // ==== DRAWING AND PAINT STATE =============================================

  // Draws the control into the GUI's draw bitmap; the base draws nothing.
  virtual bool Draw(IGraphics* graphics) { return true; }
  // Hidden controls are neither drawn nor hit (the layer and GUI walks say
  // where exceptions lie). Hiding or showing marks the control for two frames.
  virtual void Hide(bool hide);
  // Grayed controls ignore the user's gestures and draw at half weight.
  virtual void GrayOut(bool gray);
  // The target rectangle holds the point.
  virtual bool IsHit(int x, int y);
  // Limits the value to the clamp range and marks the control dirty. With
  // push, a plug-in and a parameter: the value goes to the plug-in's
  // SetParameterFromGUI (SetDirty) or SetParameterFromGUI2 (SetDirty2), and
  // the value and name displays take the parameter's texts.
  virtual void SetDirty(bool pushParamToPlug);
  virtual void SetDirty2(bool pushParamToPlug);
  // After a paint: dirty becomes the redraw mark, the redraw mark clears (a
  // change from outside keeps the control dirty one more frame).
  virtual void SetClean();
  virtual bool IsDirty();
  virtual void OnGUIIdle() {}
  // Sets the redraw mark: the control stays dirty for one more frame.
  void SetRedraw();

  // ==== VALUES ==============================================================

  // From the plug-in: the first value ever becomes value and default; a
  // different value is stored and marks the control, with no push.
  virtual void SetValueFromPlug(double value);
  // From the synthesizer: as SetValueFromPlug, but a changed value is pushed
  // through SetDirty2(true). The first value ever only becomes value and
  // default.
  virtual void SetValueFromHardware(double value);
  // A text typed into a free text entry (no parameter); the base ignores it.
  virtual void TextFromTextEntry(const char* text) {}
  // A value the user chose as a whole (a popup entry, a typed text): when it
  // differs from the current value it is stored and pushed; an equal value
  // does nothing.
  void SetValueFromUserInput(double value);

  // ==== PROMPT ==============================================================
  // Nothing without a parameter, while prompting is disabled (the default),
  // or without the plug-in's parameter or GUI. With display texts the GUI's
  // prompt opens over the control's rectangle, else a 30 x 16 box centred
  // on the control (or over r).
  void PromptUserInput();
  void PromptUserInput(IRECT* r);

  // ==== AUX PARAMETERS ======================================================

  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // The i-th entry, or null outside the entries.
  AuxParam* GetAuxParam(int i);
  // Position of the first entry bound to paramIdx, or -1.
  int AuxParamIdx(int paramIdx);
  int NAuxParams() const { return mAuxParams.GetSize(); }
  // Appends an entry (value 0) bound to paramIdx; nothing when the array
  // cannot grow.
  void AddAuxParam(int paramIdx);
  // Every entry's value to the plug-in's SetParameterFromGUI, in order.
  void SetAllAuxParamsFromGUI();

  // ==== ACCESSORS ===========================================================

  IModuleBase* GetPlug() const { return mPlug; }
  const IRECT& GetRECT() const { return mRECT; }
  void SetRECT(const IRECT& r) { mRECT = r; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetArea(const IRECT& r) { mTargetRECT = r; }
  int ParamIdx() const { return mParamIdx; }
  void SetParamIdx(int paramIdx) { mParamIdx = paramIdx; }
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double value) { mDefaultValue = value; }
  // The clamp range SetDirty applies.
  void Clamp(double lo, double hi) {
    mClampLo = lo;
    mClampHi = hi;
  }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetIgnoreHidden() const { return mIgnoreHidden; }
  void SetIgnoreHidden(bool ignore) { mIgnoreHidden = ignore; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool on) { mMOWhenGrayed = on; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  bool GetPromptDisabled() const { return mDisablePrompt; }
  void SetPromptDisabled(bool disabled) { mDisablePrompt = disabled; }
  // Greatest number of characters a text entry for this control accepts.
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }
  IText* GetText() { return &mText; }
  void SetText(const IText* text) {
    if (text) mText = *text;
  }
  IChannelBlend* GetBlend() { return &mBlend; }
  // The display that shows the bound parameter's value text, and the one
  // that shows its name; each must be an ITextControl (anything else is
  // ignored). Not owned.
  void SetValDisplayControl(IControl* control) { mValDisplayControl = control; }
  void SetNameDisplayControl(IControl* control) { mNameDisplayControl = control; }

 protected:
  // Clamps the value and sets the dirty mark.
  void ClampAndMark();
  // The push and display refresh of SetDirty and SetDirty2.
  void PushToPlug(bool fromHardware);
  // SetValueFromPlug and SetValueFromHardware.
  void TakeOutsideValue(double value, bool fromHardware);
  // The parameter bound to the control, or null.
  IParam* BoundParam() const;
  // The 0..1 position of value moved by notches whole steps of param (see
  // OnMouseWheel); false when param has no step or no range.
  static bool SteppedWheelPosition(const IParam& param, double value, int notches, bool fine,
                                   double* position);

  ISharedValue<bool> mHide{false};
  int mTextEntryLength = 16;
  ISharedValue<bool> mIgnoreHidden{false};
  IText mText;
  IModuleBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  KIT_TypedBuf<AuxParam> mAuxParams{4096};
  ISharedValue<double> mValue{0.0};
  ISharedValue<double> mDefaultValue{-1.0};
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  ISharedValue<bool> mGrayed{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;
  IControl* mNameDisplayControl = nullptr;

 private:
  // Dirty and redraw marks in one word, so that SetClean's "dirty = redraw,
  // redraw = false" is a single step that a mark set by another thread
  // cannot slip between.
  enum : uint8_t { kPaintDirty = 1, kPaintRedraw = 2 };
  std::atomic<uint8_t> mPaintState{kPaintDirty};
};
