#include "KIT/IModule/ITextControls.h"

#include <cstring>

#include "KIT/IModule/IGraphics.h"

// ---- ITextControl ------------------------------------------------------------

ITextControl::ITextControl(IModuleBase* plug, IRECT rect, const IText* style, const char* text)
    : IControl(plug, rect) {
  SetText(style);
  if (text && *text) mStr.Set(text);
}

void ITextControl::SetTextFromPlug(const char* text) {
  if (!text) text = "";
  std::lock_guard<std::mutex> hold(mTextLock);
  if (strcmp(mStr.Get(), text) == 0) return;
  SetDirty(false);
  mStr.Set(text);
}

void ITextControl::GetTextCopy(KIT_String* out) {
  if (!out) return;
  std::lock_guard<std::mutex> hold(mTextLock);
  out->Set(mStr.Get());
}

bool ITextControl::TextEquals(const char* text) {
  std::lock_guard<std::mutex> hold(mTextLock);
  return strcmp(mStr.Get(), text ? text : "") == 0;
}

bool ITextControl::Draw(IGraphics* graphics) {
  std::lock_guard<std::mutex> hold(mTextLock);
  if (!*mStr.Get()) return true;
  return graphics->DrawIText(&mText, const_cast<char*>(mStr.Get()), &mRECT, false);
}

// ---- ICaptionControl ---------------------------------------------------------

ICaptionControl::ICaptionControl(IModuleBase* plug, IRECT rect, int paramIdx, const IText* style,
                                 bool showParamLabel)
    : ITextControl(plug, rect, style, ""), mShowParamLabel(showParamLabel) {
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (!mGrayed && mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (!mGrayed) PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics) {
  if (IParam* param = BoundParam()) {
    KIT_String caption;
    {
      KIT_MutexLock lock(mPlug->GetMutex());
      char display[IParam::kDisplayBufferSize] = {};
      param->GetDisplayForHost(display, true);
      caption.Set(display);
      if (mShowParamLabel) {
        caption.Append(" ");
        caption.Append(param->GetLabelForHost());
      }
    }
    std::lock_guard<std::mutex> hold(mTextLock);
    mStr.Set(caption.Get());
  }
  return ITextControl::Draw(graphics);
}
