#include "src/ValueDisplays.h"

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "KIT/IModule/Truncate.h"
#include "KIT/mutex.h"
#include "src/ControlAction.h"
#include "src/EditorParams.h"

namespace {

// Refuses what the builders cannot bind or place.
IParam* ParamToBind(IModuleBase* plug, IGraphics* gui, int paramIdx, ControlLayer* layer, const char* what,
                    const UIConfigLog& log) {
  IParam* param = plug ? plug->GetParam(paramIdx) : nullptr;
  if (!param) {
    reportConfigProblem(log, std::string("CONFIG READER: ") + what + " for parameter " +
                                 std::to_string(paramIdx) + " NOT BUILT: no such parameter!");
    return nullptr;
  }
  if (!layer && !gui) {
    reportConfigProblem(log, std::string("CONFIG READER: ") + what + " for parameter " +
                                 std::to_string(paramIdx) + " NOT BUILT: no layer and no GUI!");
    return nullptr;
  }
  return param;
}

void Place(IControl* control, ControlLayer* layer, IGraphics* gui) {
  if (layer)
    layer->controls.Add(control);
  else
    gui->AttachControl(control);
}

}  // namespace

IText displayTextStyle(int h, double scale, const IColor& colour) {
  IText style(TruncateToInt(h * scale), &colour, kDisplayFont, IText::kStyleNormal, IText::kAlignCenter, 0,
              IText::kQualityClearType);
  style.mVAlign = IText::kVAlignMiddle;
  return style;
}

IRECT scaledDisplayRect(int x, int y, int w, int h, double scale) {
  const int l = TruncateToInt(x * scale), t = TruncateToInt(y * scale);
  // The sums are taken in double: an edge beyond the int range stops at its
  // end instead of overflowing.
  return IRECT(l, t, TruncateToInt(static_cast<double>(l) + TruncateToInt(w * scale)),
               TruncateToInt(static_cast<double>(t) + TruncateToInt(h * scale)));
}

IColor controlDisplayColour(int variant) { return variant == 2 ? kDisplayBlue : kDisplayGreen; }

ITextControl* buildControlDisplay(IModuleBase* plug, IGraphics* gui, double scale, int paramIdx, int x, int y,
                                  int w, int h, ControlLayer* layer, int variant, const UIConfigLog& log) {
  IParam* param = ParamToBind(plug, gui, paramIdx, layer, "Display", log);
  if (!param) return nullptr;
  const IText style = displayTextStyle(h, scale, controlDisplayColour(variant));
  // Long texts (port names, counts) are cut to the display, never drawn
  // over its neighbours.
  auto* display = new FittedCaptionControl(plug, scaledDisplayRect(x, y, w, h, scale), -1, &style, false);
  display->SetPromptDisabled(true);
  Place(display, layer, gui);
  bindControlAction(param, display, kActionNone);
  return display;
}

ICaptionControl* buildNameDisplay(IModuleBase* plug, IGraphics* gui, double scale, const std::string& name,
                                  int paramIdx, int x, int y, int w, int h, int nameLength,
                                  ControlLayer* layer, const char* group, const UIConfigLog& log) {
  IParam* param = ParamToBind(plug, gui, paramIdx, layer, "Name field", log);
  if (!param) return nullptr;
  IText style = displayTextStyle(h, scale, kDisplayGreen);
  param->InitEnum(name.c_str(), 0, 1, "", group ? group : "", -1, -1);
  param->InitText();
  switch (paramIdx) {
    case kPatchName:
      param->SetDisplayText(0, "-- INIT --");
      break;
    case kPatchSearchString:
      param->SetDisplayText(0, "search...");
      style.mColor = kDisplayLightGrey;
      break;
    case kPatchRename:
      param->SetDisplayText(0, "New Name");
      style.mColor = kDisplayLightGrey;
      break;
    default:
      break;
  }
  // The field a click opens looks like the display it covers: the display's
  // text colour on the dark of its well, not the system's black on white.
  style.mTextEntryFGColor = style.mColor;
  style.mTextEntryBGColor = kDisplayWell;
  auto* field = new ICaptionControl(plug, scaledDisplayRect(x, y, w, h, scale), paramIdx, &style, true);
  field->SetPromptDisabled(false);
  field->SetTextEntryLength(nameLength > 0 ? nameLength : 0);
  Place(field, layer, gui);
  bindControlAction(param, field, kActionNone);
  return field;
}

// ==== Fields that fit their text ===============================================

namespace {

constexpr const char* kEllipsis = "...";
constexpr int kFieldMargin = 4;  // pixels kept free on each side

}  // namespace

std::string fitTextToWidth(const std::string& text, int width,
                           const std::function<int(const std::string&)>& measure) {
  if (text.empty() || measure(text) <= width) return text;
  // Fewer and fewer characters kept: two fifths of them from the start.
  for (size_t kept = text.size() - 1; kept > 0; --kept) {
    const size_t head = kept * 2 / 5;
    const std::string candidate = text.substr(0, head) + kEllipsis + text.substr(text.size() - (kept - head));
    if (measure(candidate) <= width) return candidate;
  }
  return kEllipsis;
}

std::string FittedCaptionControl::ShownText() {
  IParam* param = BoundParam();
  if (!param) {
    KIT_String text;
    GetTextCopy(&text);
    return text.Get() ? text.Get() : "";
  }
  char display[IParam::kDisplayBufferSize] = {};
  KIT_MutexLock lock(mPlug->GetMutex());
  param->GetDisplayForHost(display, true);
  return display;
}

bool FittedCaptionControl::Draw(IGraphics* graphics) {
  const std::string full = ShownText();
  {
    std::lock_guard<std::mutex> hold(mTextLock);
    mStr.Set(full.c_str());
  }
  if (full.empty()) return true;
  const std::string shown = fitTextToWidth(full, mRECT.W() - 2 * kFieldMargin, [&](const std::string& text) {
    IRECT box = mRECT;
    graphics->MeasureIText(&mText, const_cast<char*>(text.c_str()), &box);
    return box.W();
  });
  IRECT area = mRECT;
  return graphics->DrawIText(&mText, const_cast<char*>(shown.c_str()), &area, false);
}

bool BankNumberField::IsDirty() { return LibraryBank() != mDrawnBank || FittedCaptionControl::IsDirty(); }

std::string BankNumberField::ShownText() {
  mDrawnBank = LibraryBank();
  if (mDrawnBank < 0) return FittedCaptionControl::ShownText();
  const int number = mDrawnBank + 1;
  return (number < 10 ? " " : "") + std::to_string(number);
}
