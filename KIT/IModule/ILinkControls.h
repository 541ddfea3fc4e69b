// Controls that reach outside the window: a link that opens a web address
// (or its backup) and a file selector that asks the user for a file.
#pragma once

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/kitstring.h"

// Invisible; a press (not grayed) opens the address, or the backup address
// when there is none or it could not be opened.
class IURLControl : public IControl {
 public:
  static constexpr int kURLSize = 256;       // terminating NUL included
  static constexpr int kMessageSize = 1024;  // terminating NUL included

  // Bound to no parameter. Null texts read as ""; longer texts are cut to
  // their buffers.
  IURLControl(IModuleBase* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
              const char* errorMessage = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override { return true; }

 protected:
  char mURL[kURLSize] = {};
  char mBackupURL[kURLSize] = {};
  char mErrorMessage[kMessageSize] = {};
};

// A press (not grayed, with a GUI) asks the user for a file; the value then
// steps by 1 (back to 0 past 1) so that the plug-in hears of the choice.
class IFileSelectorControl : public IControl {
 public:
  enum EState { kStateNone = 0, kStateSelecting = 1, kStateDone = 2 };

  // Extensions are separated by blanks. With drawBitmap the bitmap's whole
  // rectangle is drawn.
  IFileSelectorControl(IModuleBase* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                       IGraphics::EFileAction action, const char* dir = "", const char* extensions = "",
                       bool drawBitmap = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Dirty; or, once after a choice ended, dirty one more time.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(KIT_String* out) const;
  void SetLastSelectedFileFromPlug(const char* file);
  int GetState() const { return mState; }

 protected:
  bool mDrawBitmap;
  IBitmap mBitmap;
  KIT_String mDir, mFile, mExtensions;
  IGraphics::EFileAction mFileAction;
  int mState = kStateNone;
};
