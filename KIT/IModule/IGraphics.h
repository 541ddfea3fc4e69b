// The least of the GUI that the plug-in base calls: a stand-in that the GUI
// framework proper replaces. It holds no controls and draws nothing; it
// keeps the plug-in's parameters in step when values are pushed to it, and
// it offers the file prompt (answering "no file", as a GUI with no window
// open does).
#pragma once

#include "KIT/kitstring.h"

class IModuleBase;

class IGraphics {
public:
  enum EFileAction { kFileOpen = 0, kFileSave = 1 };

  // fps 0 or less selects 25 frames a second.
  IGraphics(IModuleBase* plug, int width, int height, int fps = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;
  // The plug-in base deletes its attached GUI through this destructor.
  virtual ~IGraphics();

  IModuleBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }

  // Sets parameter index from a value (its own units, converted to a 0..1
  // position first, which limits it to the range) or, with normalized, from
  // a position; the parameter is then set from that position, so non-double
  // kinds are rounded to their step. No change handler runs and the host is
  // not told. An index outside the plug-in's list is ignored.
  virtual void SetParameterFromPlug(int index, double value, bool normalized);
  // Prepares the drawing surfaces; called once when the GUI is attached,
  // after every parameter value has been pushed.
  virtual void PrepDraw() {}
  // Asks the user for a file. On return fileName holds the chosen path, or
  // is empty when nothing was chosen; dir is the folder to start in and
  // receives the chosen file's folder. Without a window, fileName is emptied.
  virtual void PromptForFile(KIT_String* fileName, EFileAction action = kFileOpen, KIT_String* dir = nullptr,
                             const char* extensions = "");

private:
  IModuleBase* mPlug;
  int mWidth;
  int mHeight;
  int mFPS;
};
