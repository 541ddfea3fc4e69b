// One parameter of the plug-in: a typed value with a range, a step, a curve
// (the shape) between the range and the 0..1 scale of the host and the GUI,
// texts for the host and the GUI, and an optional table of display texts per
// integer value. The plug-in base owns a flat list of them, addressed by index.
// No virtual operations and no lock of its own: the plug-in base takes its
// lock around changes that come from the GUI and from the hardware.
#pragma once

#include <cstdint>

#include "KIT/heapbuf.h"

// The product's MIDI mapping record of a parameter (src/ControlAction.h).
class ControlAction;

class IParam {
 public:
  enum EParamType {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4,
    kTypeText = 5
  };

  // Sizes of the fixed text fields, terminating NUL included.
  static constexpr int kNameSize = 55;         // name, label and group: at most 54 characters
  static constexpr int kDisplayTextSize = 56;  // one display text: at most 55 characters
  // Room that GetDisplayForHost needs in the caller's buffer; longer results are cut.
  static constexpr int kDisplayBufferSize = 128;

  // One entry of the display-text table: the integer value it names and its text.
  struct DisplayText {
    int32_t mValue;
    char mText[kDisplayTextSize];
  };

  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // ---- Initialisation ------------------------------------------------------
  // Each copies name, label and group (cut to 54 characters; null reads as "")
  // and keeps the two extra attributes a and b uninterpreted. Every initialiser
  // but InitText sets the kind only while it is still kTypeNone, so a text
  // parameter stays one through a later InitEnum. None changes the shape.

  // Range 0..1, step 1, display texts "off" and "on".
  void InitBool(const char* name, bool defaultValue, const char* label = "", const char* group = "",
                int a = -1, int b = -1);
  // Range 0..max(1, count - 1), step 1; adds no display texts.
  void InitEnum(const char* name, int defaultValue, int count, const char* label = "", const char* group = "",
                int a = -1, int b = -1);
  // Range min..max(min + 1, max), step 1.
  void InitInt(const char* name, int defaultValue, int minValue, int maxValue, const char* label = "",
               const char* group = "", int a = -1, int b = -1);
  // Range min..max(min + step, max); display precision from the step's decimals
  // (0 to 5, else 6).
  void InitDouble(const char* name, double defaultValue, double minValue, double maxValue, double step,
                  const char* label = "", const char* group = "", int a = -1, int b = -1);
  // Makes this a text parameter (its text is display-text entry 0); changes nothing else.
  void InitText();

  // ---- Values --------------------------------------------------------------
  void Set(double value) { mValue = value; }  // as given: no rounding, no limit
  double Value() const { return mValue; }
  int Int() const;  // truncated toward zero, held within int
  bool Bool() const { return mValue >= 0.5; }
  int Type() const { return mType; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  int GetExtraA() const { return mExtraA; }
  int GetExtraB() const { return mExtraB; }
  void GetBounds(double* minValue, double* maxValue) const;  // either pointer may be null

  // Sets the shape; 0.0 is ignored.
  void SetShape(double shape);

  // Sets the value from a 0..1 position: min + (max - min) * position^shape,
  // rounded to multiples of the step (counted from 0) for every kind but double,
  // then limited to the maximum. There is no lower limit. A step of 0 skips
  // the rounding.
  void SetNormalized(double position);
  // The 0..1 position of the current or a given value, clamped into the range
  // first. An empty range (min = max) gives 0.0, never NaN.
  double GetNormalized() const { return GetNormalized(mValue); }
  double GetNormalized(double value) const;

  // The value read as decibels turned into a linear gain.
  double DBToAmp() const;

  // ---- Texts ---------------------------------------------------------------
  const char* GetNameForHost() const { return mName; }
  const char* GetParamGroupForHost() const { return mGroup; }
  // The label, or "" when the table holds a non-empty text for the current value.
  const char* GetLabelForHost() const;

  // Writes the display text of value into out (kDisplayBufferSize bytes). With
  // normalized the value is mapped from a position first (no rounding, no
  // limit). With withDisplayText and a non-empty table the text of the entry
  // for the value (truncated toward zero) is used when it is not empty;
  // otherwise the number: negated with the negate-display flag, "%d" for
  // precision 0, else "%.*f" with the precision.
  void GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText = true) const;
  void GetDisplayForHost(char* out, bool withDisplayText = true) const {
    GetDisplayForHost(mValue, false, out, withDisplayText);
  }

  // Writes entry number value when the table has more than value entries;
  // otherwise appends one entry for value and raises the maximum to value.
  // Texts are cut to 55 characters. A negative value changes nothing; a value
  // beyond the count is appended as one entry at the end.
  void SetDisplayText(int value, const char* text);
  // The text of the first entry for value, or "".
  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // The text of entry number index (and its value through value when given);
  // "" (value untouched) for an index outside the table.
  const char* GetDisplayTextAtIdx(int index, int* value = nullptr) const;
  // Exact reverse lookup: the value of the first entry whose text equals text.
  // False (value untouched) when none does.
  bool MapDisplayText(const char* text, int* value) const;
  // Empties the table; the storage is kept by the buffer's growth rule.
  void ResetDisplayTexts() { mDisplayTexts.Resize(0); }

  bool GetNegateDisplay() const { return mNegateDisplay; }
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  bool GetCanAutomate() const { return mCanAutomate; }
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
  bool GetIsMeta() const { return mIsMeta; }
  void SetIsMeta(bool isMeta) { mIsMeta = isMeta; }

  // ---- Product field ---------------------------------------------------------
  // The MIDI mapping record that the editor's control factories attach to
  // the parameter: null until one does. The parameter does not own it; the
  // editor frees the records when it is torn down.
  ControlAction* GetControlAction() const { return mControlAction; }
  void SetControlAction(ControlAction* action) { mControlAction = action; }

 private:
  void SetTexts(const char* name, const char* label, const char* group);
  void SetTypeIfNone(EParamType type);

  int mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mExtraA = 0;
  int mExtraB = 0;
  int mDisplayPrecision = 0;
  char mName[kNameSize] = {};
  char mLabel[kNameSize] = {};
  char mGroup[kNameSize] = {};
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  bool mIsMeta = false;
  KIT_TypedBuf<DisplayText> mDisplayTexts{4096};
  ControlAction* mControlAction = nullptr;
};
