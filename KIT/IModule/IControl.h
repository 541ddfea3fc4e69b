// The least form of the control base: the value and parameter binding of a
// control and the two value roads into it that the synthesizer protocol uses
// (from the plug-in, from the hardware). It draws nothing and takes no mouse
// input; the GUI framework's control base replaces it with the same names.
// Header only.
//
// A control holds its value as a 0..1 position. Its default value starts at
// -1.0, meaning "not known yet": the first value pushed to it becomes value
// and default and goes no further.
#pragma once

#include "KIT/IModule/IModuleBase.h"

class IControl {
public:
  // paramIdx -1 binds the control to no parameter.
  IControl(IModuleBase* plug, int paramIdx) : mPlug(plug), mParamIdx(paramIdx) {}
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;
  virtual ~IControl() = default;

  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue; }
  double GetDefaultValue() const { return mDefaultValue; }
  bool IsDirty() const { return mDirty; }

  // From the plug-in: stores the position and redraws; nothing goes back.
  virtual void SetValueFromPlug(double value) {
    if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
    if (mValue != value) {
      mValue = value;
      SetDirty(false);
    }
  }

  // From the synthesizer: stores the position and hands it to the plug-in's
  // hardware path (SetParameterFromGUI2, which ends in OnParamChange2). An
  // equal value, or the first value ever (default unknown), goes no further.
  virtual void SetValueFromHardware(double value) {
    if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
    if (mValue != value) {
      mValue = value;
      SetDirty2(true);
    }
  }

  // Limit the value to 0..1 and mark the control dirty; with push the value
  // goes to the bound parameter: SetDirty through the user's path,
  // SetDirty2 through the hardware path.
  virtual void SetDirty(bool push) {
    Clamp();
    if (push && mPlug && mParamIdx >= 0) mPlug->SetParameterFromGUI(mParamIdx, mValue);
  }
  virtual void SetDirty2(bool push) {
    Clamp();
    if (push && mPlug && mParamIdx >= 0) mPlug->SetParameterFromGUI2(mParamIdx, mValue);
  }

private:
  void Clamp() {
    if (mClampLo > mValue)
      mValue = mClampLo;
    else if (mValue > mClampHi)
      mValue = mClampHi;
    mDirty = true;
  }

  IModuleBase* mPlug;
  int mParamIdx;
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  bool mDirty = true;
};
