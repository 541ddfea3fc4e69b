#include "KIT/IModule/ILinkControls.h"

#include <cstdio>

// ---- IURLControl -------------------------------------------------------------

IURLControl::IURLControl(IModuleBase* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errorMessage)
    : IControl(plug, rect) {
  snprintf(mURL, sizeof mURL, "%s", url ? url : "");
  snprintf(mBackupURL, sizeof mBackupURL, "%s", backupURL ? backupURL : "");
  snprintf(mErrorMessage, sizeof mErrorMessage, "%s", errorMessage ? errorMessage : "");
}

void IURLControl::OnMouseDown(int, int, IMouseMod*) {
  if (mGrayed) return;
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  if (*mURL && graphics->OpenURL(mURL, mErrorMessage, nullptr, nullptr)) return;
  if (*mBackupURL) graphics->OpenURL(mBackupURL, mErrorMessage, nullptr, nullptr);
}

// ---- IFileSelectorControl ----------------------------------------------------

IFileSelectorControl::IFileSelectorControl(IModuleBase* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                                           IGraphics::EFileAction action, const char* dir,
                                           const char* extensions, bool drawBitmap)
    : IControl(plug, rect, paramIdx),
      mDrawBitmap(drawBitmap),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDir(dir),
      mExtensions(extensions),
      mFileAction(action) {}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (mGrayed || !graphics) return;
  mState = kStateSelecting;
  SetDirty(false);
  graphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kStateDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics) {
  if (mDrawBitmap) graphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, &mBlend);
  return true;
}

bool IFileSelectorControl::IsDirty() {
  if (IControl::IsDirty()) return true;
  if (mState != kStateDone) return false;
  mState = kStateNone;
  return true;
}

void IFileSelectorControl::GetLastSelectedFileForPlug(KIT_String* out) const {
  if (out) out->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
