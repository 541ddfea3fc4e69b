// The editor window seen from the inside: IGraphics owns every control, the
// control layers, the off-screen draw bitmap and the state of the mouse.
// The plug-in holds one; the platform view asks it on every timer tick
// what is dirty (IsDirty), has the dirty area drawn (Draw) and copied to the
// screen (DrawScreen), and hands it mouse, wheel and key events.
//
// Painting order: the background (control 0), then the control list in
// attachment order, then each layer's controls, sub-layers after their
// parent; later draws cover earlier ones. Hit tests run the other way.
//
// Threads. Events, the timer, IsDirty and Draw run on the GUI thread: the
// thread that created the object, or the one that last called
// SetGUIThread(). SetParameterFromPlug may be called from any thread (the
// MIDI input thread, the MIDI sender's workers, the render thread): on
// another thread it sets the parameter and leaves the 0..1 position in a
// slot of its own (one per parameter, written atomically); the GUI thread
// hands the positions to the controls at the start of its next IsDirty or
// Draw, so controls are only walked by the GUI thread. Other work on controls
// and layers (a page switched from the MIDI input thread) goes the same way
// through RunOnGUIThread.
//
// Platform operations (the window, screen copies, resources, menus, text
// entry, dialogs) are virtual: a platform subclass implements them. Here
// they act as a GUI without a window: nothing is shown, no file or image is
// found, no menu item is chosen.
//
// Contents, in reading order:
//   LIFECYCLE AND THREADS     IGraphics.cpp
//   PLATFORM OPERATIONS       (virtual; defaults in IGraphics.cpp)
//   ATTACHING, VALUES         IGraphics.cpp
//   DIRTY AREA AND DRAWING    IGraphics.cpp
//   MOUSE AND KEYS            IGraphicsDispatch.cpp
//   BITMAPS AND FONTS         IGraphicsCaches.cpp (the caches: IGraphicsCaches.h)
//   DRAWING OPERATIONS        IGraphicsDrawing.cpp
//   PROMPTS                   IGraphicsDrawing.cpp
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/kitstring.h"
#include "KIT/mutex.h"
#include "KIT/ptrlist.h"

class ControlLayer;
class IControl;
class IModuleBase;
class IParam;
class IPopupMenu;
class ITextControl;
class PIX_IFont;
class PIX_MemBitmap;
class PIX_SysBitmap;

class IGraphics {
 public:
  enum EFileAction { kFileOpen = 0, kFileSave = 1 };

  // ==== LIFECYCLE AND THREADS ===============================================

  // fps below 1 selects 25 frames a second. The calling thread becomes the
  // GUI thread. Nothing is drawn before PrepDraw.
  IGraphics(IModuleBase* plug, int width, int height, int fps = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;
  // Deletes the key catcher, the controls (last first), the layers (last
  // first) and the bitmaps; the shared caches keep their images.
  virtual ~IGraphics();

  // Creates the window-sized draw bitmap and the empty scratch bitmap. The
  // plug-in calls it once when it attaches the GUI.
  virtual void PrepDraw();
  // Stores the size, releases the mouse capture, makes new bitmaps and tells
  // the plug-in (ResizeGraphics).
  virtual void Resize(int w, int h);
  // Capture none, mouse position -1, -1.
  void ReleaseMouseCapture();

  // The calling thread becomes the GUI thread (the platform view calls it
  // when its timer runs on another thread than the one that built the GUI).
  void SetGUIThread();
  bool IsGUIThread() const;
  // Any thread. On the GUI thread the tasks handed over before run first,
  // then task; on another thread task waits, in order, for the GUI thread's
  // next IsDirty or Draw. Tasks still waiting when the GUI is deleted are
  // dropped unrun.
  void RunOnGUIThread(std::function<void()> task);

  IModuleBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  // The draw bitmap (null before PrepDraw) and its pixels.
  PIX_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  void* GetBits();
  // The area the current or last Draw painted.
  const IRECT& GetDrawRECT() const { return mDrawRECT; }
  // Bytes read by the last OSLoadFile.
  int GetLastLoadedFileSize() const { return mLastLoadedFileSize; }

  // ==== PLATFORM OPERATIONS =================================================

  // Copies the draw bitmap's area r to the window; false without a window.
  virtual bool DrawScreen(IRECT* r) { return false; }
  // Sets r to the text's box, aligned in r as DrawIText would (see there).
  virtual bool MeasureIText(IText* text, char* str, IRECT* r) { return DrawIText(text, str, r, true); }
  // Ends an open text entry without taking its text.
  virtual void ForceEndUserEdit() {}
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  // A modal message box; the pressed button's code, 0 without a window.
  virtual int ShowMessageBox(const char* text, const char* caption, int type) { return 0; }
  // Shows the menu at r and returns the menu (or submenu) that holds the
  // chosen item, its chosen index set; null when nothing was chosen.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) { return nullptr; }
  // Opens a text field over r holding text; when editing ends the field
  // calls SetFromStringAfterPrompt (with a parameter) or the control's
  // TextFromTextEntry.
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param) {}
  // Paths of the host program, the plug-in's folder (ending in "/"), the
  // desktop (ending in "/"); empty when unknown.
  virtual void HostPath(KIT_String* path);
  virtual void PluginPath(KIT_String* path);
  virtual void DesktopPath(KIT_String* path);
  // Asks the user for a file. On return fileName holds the chosen path, or
  // is empty when nothing was chosen; dir is the folder to start in and
  // receives the chosen file's folder. Without a window, fileName is emptied.
  virtual void PromptForFile(KIT_String* fileName, EFileAction action = kFileOpen, KIT_String* dir = nullptr,
                             const char* extensions = "");
  virtual bool PromptForColor(IColor* color, const char* prompt) { return false; }
  // Opens a web address or a file; true when it was opened.
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr,
                       const char* confirmMessage = nullptr, const char* errorMessage = nullptr) {
    return false;
  }
  // Opens the editor as a view inside parentView (may be null); returns it.
  virtual void* OpenWindow(void* parentView) { return nullptr; }
  // Opens the editor inside a host window under parentControl; returns the
  // control that holds it, or null when the GUI has no such window.
  virtual void* OpenWindow(void* window, void* parentControl, short leftOffset, short topOffset) {
    return nullptr;
  }
  virtual void AttachSubWindow(void* hostWindow) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() {}
  // The open view, or null.
  virtual void* GetWindow() { return nullptr; }
  // A new buffer (array delete) with the named resource file's bytes, their
  // count in GetLastLoadedFileSize(); null when missing.
  virtual char* OSLoadFile(int id, const char* name) { return nullptr; }
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  // A new bitmap with the named image resource; null when missing.
  virtual PIX_IBitmap* OSLoadBitmap(int id, const char* name) { return nullptr; }

  // ==== ATTACHING ===========================================================
  // The GUI owns what is attached; a control built for a layer goes into
  // that layer's list instead, never into both.

  // Appends; returns the control's index.
  int AttachControl(IControl* control);
  // Appends; returns the layer's index.
  int AttachLayer(ControlLayer* layer);
  // Puts a bitmap control of the image (loaded through the cache at the
  // scale, plain copy, no parameter) at index 0, moving the others up.
  void AttachBackground(int id, const char* name, double scale);
  // The same with a panel of the window's size in the colour.
  void AttachPanelBackground(const IColor* color);
  // The control that takes keys no other control takes (owned).
  void AttachKeyCatcher(IControl* control);

  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int index) const { return mControls.Get(index); }  // null outside
  int NLayers() const { return mLayers.GetSize(); }
  ControlLayer* GetLayer(int index) const { return mLayers.Get(index); }  // null outside

  // ==== VALUES ==============================================================

  // Any thread. Without normalized the plug-in's parameter converts value to
  // its 0..1 position and is set from it (rounded to its step); with it,
  // value is the position. Every control bound to paramIdx (in the control
  // list and, whether visible or not, in the layers) takes the position
  // through SetValueFromPlug, every control holding it as an aux parameter
  // through SetAuxParamValueFromPlug. On another thread than the GUI's the
  // controls take it at the GUI's next tick (a newer value for the same
  // parameter replaces one still waiting). No change handler runs and the
  // host is not told. An index that names no parameter is ignored without
  // normalized, and from another thread.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Any thread: the text control (attached to this GUI) shows text. On the
  // GUI thread at once, after the texts still waiting; on another thread it
  // waits for the GUI's next tick, in the order given, a newer text for the
  // same control replacing one still waiting. Null control does nothing.
  void SetControlTextFromPlug(ITextControl* control, const std::string& text);
  // That control (when the index names one) takes the value from the plug-in.
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  // The controls of the control list bound to paramIdx take the value as
  // the user's (SetValueFromUserInput).
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // The controls of the control list (not of layers) bound to paramIdx.
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  // Without normalized, lo and hi are first turned into positions.
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  // Marks every control of the control list dirty, no push.
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  void OnGUIIdle();
  // The platform's OSLoadFile.
  char* LoadFile(int id, const char* name) { return OSLoadFile(id, name); }

  // ==== DIRTY AREA AND DRAWING (GUI thread) =================================

  // Hands waiting values to the controls, then adds to r (a union) the
  // rectangles of the dirty controls: the control list from index 1 (the
  // background is not asked), skipping hidden ones without their
  // ignore-hidden flag, then the layers. True when any was dirty.
  bool IsDirty(IRECT* r);
  // Paints r: the background whole, every other control of the list that is
  // not hidden and meets r, then the layers; marks them clean and returns
  // DrawScreen(r). With nothing attached it draws nothing and returns true.
  bool Draw(IRECT* r);

  // ==== MOUSE AND KEYS (GUI thread) =========================================
  // The target is the control holding the mouse capture, else the hit: the
  // layers last to first (hidden controls skipped, grayed ones not), then
  // the control list last to first, background included, hidden and grayed
  // controls skipped.

  // Releases the capture; the hit control takes the capture and the press;
  // then the host hears that a gesture on its parameter begins.
  void OnMouseDown(int x, int y, IMouseMod* mod);
  // The capture (or hit) takes the release, the capture ends, and the host
  // hears that the gesture ends.
  void OnMouseUp(int x, int y, IMouseMod* mod);
  // Only with a capture, and only when the position moved.
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // The hit control's double click; a control that treats double clicks as
  // presses takes a press and the capture instead (then true).
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // Hover tracking, off unless SetHandleMouseOver(true).
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // The capture, else the hit control, else the key catcher.
  bool OnKeyDown(int x, int y, int key);
  void SetHandleMouseOver(bool on) { mHandleMouseOver = on; }

  IControl* GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  IControl* GetMouseCapture() const { return mMouseCapture; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }

  // ==== BITMAPS AND FONTS ===================================================
  // Images and fonts live in process-wide caches shared by every GUI.

  // The image id at the scale: from the cache, or loaded through
  // OSLoadBitmap, resampled to (int)(width x scale) by (int)(height x scale)
  // (at its own size, as loaded, without a copy) and cached under (id,
  // scale), so GUIs at different scales each get their own size. A missing image is reported through the
  // error log and gives an IBitmap without pixels (0 x 0); nothing is cached then.
  IBitmap LoadIBitmap(int id, const char* name, double scale = 1.0, int nStates = 1,
                      bool framesAreHoriz = false);
  // The cached image id, without loading: at the scale this GUI loaded it
  // at, else the first cached one of that id. Not cached: an IBitmap without
  // pixels, reported through the error log.
  IBitmap getImageById(int id, int nStates, bool framesAreHoriz);
  // Registers the bitmap with the cache (id -1), held by this GUI.
  void RetainBitmap(IBitmap* bitmap);
  // This GUI lets go of the cached bitmap; once no GUI holds it, it is
  // removed from the cache and deleted. A bitmap the cache does not hold is
  // left alone.
  void ReleaseBitmap(IBitmap* bitmap);
  // The text style's font from the font cache, created natively on first use
  // (sized so that its line height matches the style's size); null when no
  // native font can be made.
  PIX_IFont* CacheFont(IText* text);

  // Where the GUI reports what it recovers from (a missing image): one line
  // each. Null restores the default, standard error. Any thread.
  static void SetErrorLog(void (*sink)(const char* line));
  static void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));

  // ==== DRAWING OPERATIONS ==================================================
  // Into the draw bitmap, in window pixels; true unless said otherwise.
  // Blends become a weight and a mode word: null 1.0 and copy over; method
  // 0 copy over, 1 plain copy, 2 additive, 3 colour dodge, others copy over,
  // each with the blend's weight. Bitmap blits, rectangle fills and text are
  // clipped to the area being drawn, so a control that only overlaps it
  // leaves the rest of the window untouched.

  // Blits r's size from (srcX, srcY) of the bitmap to r.
  bool DrawBitmap(IBitmap* bitmap, IRECT* r, int srcX, int srcY, const IChannelBlend* blend);
  // Frame i (1-based; below 2, or fewer than 2 frames: the first) from
  // (srcX, srcY), the frame's offset replacing the coordinate along the frames.
  bool DrawBitmap(IBitmap* bitmap, IRECT* r, int i, int srcX, int srcY, const IChannelBlend* blend);
  bool DrawBitmap(IBitmap* bitmap, IRECT* r, int i, const IChannelBlend* blend);
  // The bitmap rotated by angle (radians) about (cx, cy), filtered; not clipped.
  bool DrawRotatedBitmap(IBitmap* bitmap, int cx, int cy, double angle, int yOffsetZeroDeg,
                         const IChannelBlend* blend);
  // The base with the mask (added) and the top (over it) rotated by angle
  // (degrees), at (x, y).
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend);
  // New cached bitmaps: the whole bitmap resampled to w x h, or the area r.
  IBitmap ScaleBitmap(IBitmap* bitmap, int w, int h);
  IBitmap CropBitmap(IBitmap* bitmap, IRECT* r);

  bool FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend = nullptr);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Writes the pixel directly; nothing outside the draw bitmap.
  bool ForcePixel(const IColor* color, int x, int y);
  // The pixel's colour; transparent black outside the draw bitmap.
  IColor GetPoint(int x, int y);
  // Angles in radians, 0 up, growing clockwise.
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
  bool FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                     bool antiAlias);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints,
                          const IChannelBlend* blend = nullptr);
  // Outline through the four corners (L, T), (R, T), (R, B), (L, B).
  bool DrawRect(const IColor* color, IRECT* r);
  bool DrawVerticalLine(const IColor* color, int x, int y1, int y2);
  bool DrawHorizontalLine(const IColor* color, int y, int x1, int x2);
  // At the fraction x (0..1) of r's width; y (0..1) of its height from the bottom.
  bool DrawVerticalLine(const IColor* color, IRECT* r, float x);
  bool DrawHorizontalLine(const IColor* color, IRECT* r, float y);
  // From radius rMin to rMax along angle (radians, 0 up, clockwise).
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);

  // Draws str in the style aligned in r (not clipped to r), or with measure
  // sets r to the text's box aligned in r: centred, left or right by the
  // style, r.B = r.T + the text height. An empty or null text does nothing
  // (true); false when no font can be made.
  bool DrawIText(IText* text, char* str, IRECT* r, bool measure = false);

  // ==== PROMPTS =============================================================

  // Asks the user for param's value over r: a popup menu of the display
  // texts for an on/off or enumerated parameter that has them (the chosen
  // entry's index is the value), else a text field holding the current
  // display text. Nothing when an argument is null. A list longer than
  // kPromptListLimit opens as submenus of kPromptGroupSize texts each,
  // titled by their first and last texts, so that every entry fits on the
  // screen.
  void PromptUserInput(IControl* control, IParam* param, IRECT* r);
  static constexpr int kPromptListLimit = 24;
  static constexpr int kPromptGroupSize = 10;
  // The text a text field ended with: on/off and enumerated parameters take
  // the value of the matching display text (0 when none); a text parameter
  // takes the text as its display text and toggles the control's value; any
  // other kind reads a decimal number (0 when there is none or it is not
  // finite), negated with the negate-display flag. The control takes the
  // value's position as the user's. Nothing when control or param is null.
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

 protected:
  int mLastLoadedFileSize = 0;
  KIT_Mutex mMutex;  // never taken by the GUI's own operations
  KIT_PtrList<IControl> mControls;
  KIT_PtrList<ControlLayer> mLayers;
  IModuleBase* mPlug;
  IRECT mDrawRECT;
  bool mCursorHidden = false;
  int mHiddenCursorX = -1, mHiddenCursorY = -1;
  PIX_SysBitmap* mDrawBitmap = nullptr;
  PIX_MemBitmap* mTmpBitmap = nullptr;
  int mWidth, mHeight, mFPS;
  int mIdleTicks = 0;
  IControl* mMouseOver = nullptr;
  IControl* mMouseCapture = nullptr;
  int mMouseX = 0, mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  IControl* mKeyCatcher = nullptr;

 private:
  // One waiting position per parameter of the plug-in.
  struct PendingValue {
    std::atomic<bool> waiting{false};
    std::atomic<double> value{0.0};
  };

  // The position to the controls of the list and the layers.
  void FanOutParameter(int paramIdx, double value);
  // Hands every waiting position and text to the controls, then runs the
  // waiting tasks (GUI thread).
  void ApplyWaitingValues();
  void ApplyWaitingTexts();
  void RunWaitingTasks();
  // The hit target of the dispatchers: layers, then the control list.
  IControl* HitTarget(int x, int y, bool mouseOver);
  void DeleteBitmaps();
  // The scale this GUI loaded image id at, or a negative value.
  double LoadedScaleOf(int id) const;

  std::atomic<std::thread::id> mGUIThread;
  std::unique_ptr<PendingValue[]> mWaiting;
  int mNWaiting = 0;
  std::atomic<bool> mAnyWaiting{false};
  // Texts from other threads, oldest first; one entry per control.
  std::mutex mWaitingTextsLock;
  std::vector<std::pair<ITextControl*, std::string>> mWaitingTexts;
  std::atomic<bool> mAnyTextWaiting{false};
  // Work from other threads, oldest first.
  std::mutex mTaskLock;  // guards mTasks
  std::vector<std::function<void()>> mTasks;
  std::atomic<bool> mAnyTask{false};
  // Image ids this GUI loaded, with their scales.
  struct LoadedImage {
    int id;
    double scale;
  };
  KIT_TypedBuf<LoadedImage> mLoadedImages{4096};
};
