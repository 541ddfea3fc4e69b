#include "KIT/IModule/IGraphics.h"

#include "KIT/IModule/IModuleBase.h"

IGraphics::IGraphics(IModuleBase* plug, int width, int height, int fps)
    : mPlug(plug), mWidth(width), mHeight(height), mFPS(fps > 0 ? fps : 25) {}

IGraphics::~IGraphics() = default;

void IGraphics::SetParameterFromPlug(int index, double value, bool normalized) {
  IParam* param = mPlug ? mPlug->GetParam(index) : nullptr;
  if (!param) return;
  if (!normalized) value = param->GetNormalized(value);
  param->SetNormalized(value);
}

void IGraphics::PromptForFile(KIT_String* fileName, EFileAction, KIT_String*, const char*) {
  if (fileName) fileName->Set("");
}
