// The platform subclass of IGraphics: it puts the finished draw bitmap on
// the screen, loads image and data files from the plug-in's bundle, opens
// and closes the editor on one of its two roads, answers path queries,
// opens web pages and files, and hands popup menus and text entry to the
// binding that is open.
//
// The two roads (the host decides; both are live):
// - the view factory (IGraphicsCocoa.h): OpenWindow(parentView) makes a view
//   of the view layer without a parent and hands it out; the host places it
//   in its window;
// - the host's window (IGraphicsCarbon.h): OpenWindow(window, control, 0, 0)
//   puts a view into the window the host gives (an X window id) and returns
//   the pane (a ViewPane, platform/view/ViewPane.h) as the control.
// At most one binding is open: each OpenWindow closes the other first.
//
// Resources are looked up in the bundle with the GUI's bundle identifier
// (set by the creator), at the top of its resource folder, by base name and
// extension: any folder part of a name is dropped. A resource file (not an
// image) of kResourceFileLimit (FileEncrypt/resource_cipher.h) bytes or more
// is refused whole, with a line in the GUI's error log: never cut. Images
// have no file-size limit; the PNG loader bounds their sides.
#pragma once

#include "KIT/IModule/IGraphics.h"
#include "KIT/kitstring.h"

class IGraphicsCarbon;
class IGraphicsCocoa_vVivivI_au;
class PIX_IBitmap;
class View;

class IGraphicsMac : public IGraphics {
 public:
  IGraphicsMac(IModuleBase* plug, int width, int height, int fps = 0);
  // Closes what is open, as CloseWindow does.
  ~IGraphicsMac() override;

  // The identifier of the plug-in's bundle, for every resource lookup.
  void SetBundleID(const char* id) { mBundleID.Set(id ? id : ""); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  // ---- Platform operations of IGraphics ----------------------------------
  // During the open view's paint: the draw bitmap goes on the window (the
  // area being painted); false when nothing is being painted.
  bool DrawScreen(IRECT* r) override;
  bool MeasureIText(IText* text, char* str, IRECT* r) override;
  // Ends an open text entry without taking its text.
  void ForceEndUserEdit() override;
  // Nothing when the size is the current one; else the GUI's bitmaps and
  // the open view take the new size.
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mGraphicsCarbon || mGraphicsCocoa; }
  // "Cocoa gui" without a host-window binding, else "Carbon Composited gui"
  // (views in a host's window are always composited here).
  const char* GetGUIAPI() override;
  // The windowing layer's message box (winl-miscdlg.h): caption as title,
  // the buttons of type; the Win32 code of the button pressed (IDOK,
  // IDCANCEL, IDYES, IDNO, IDRETRY), 0 when nothing was shown.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  // Releases the mouse capture, then shows the menu 5 pixels below r's
  // bottom at its left edge and runs it; the menu model that holds the
  // chosen entry (its chosen index set), or null.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param) override;
  // The bundle's shared object; the folder holding the bundle ("/" at the
  // end); "$HOME/Desktop/". Empty when unknown.
  void HostPath(KIT_String* path) override;
  void PluginPath(KIT_String* path) override;
  void DesktopPath(KIT_String* path) override;
  // Without a window the file name is emptied. With one: an empty dir
  // becomes "~/Desktop", the file name is offered and emptied, and the
  // windowing layer's save panel (kFileSave) or open panel runs, allowing
  // only the blank-separated extensions (all files when there are none).
  // On OK the file name is the chosen path and dir its folder with "/".
  // The panels and the message box open on the display of the open view;
  // a headless view keeps them headless.
  void PromptForFile(KIT_String* fileName, EFileAction action = kFileOpen, KIT_String* dir = nullptr,
                     const char* extensions = "") override;
  bool PromptForColor(IColor* color, const char* prompt) override { return false; }
  // A text holding "http" anywhere is a web address as written, any other a
  // file path; opened with xdg-open (an argument vector, never a shell).
  // True when it was handed on, or when the text is empty (nothing to open).
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMessage = nullptr,
               const char* errorMessage = nullptr) override;
  void* OpenWindow(void* parentView) override;
  void* OpenWindow(void* window, void* parentControl, short leftOffset, short topOffset) override;
  void CloseWindow() override;
  // The view of the factory road; null on the host-window road.
  void* GetWindow() override;
  // The named resource file's bytes in a new buffer of kResourceFileLimit
  // bytes (zeros after the content; array delete); null when the bundle,
  // the file or a base name is missing, or when the file is not a regular
  // file (never waited on), cannot be read or is at or above the limit
  // (GetLastLoadFailure says which).
  char* OSLoadFile(int id, const char* name) override;
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;

  // Slots 15 and 16 under their own names.
  void* OpenCocoaWindow(void* parentView) { return OpenWindow(parentView); }
  void* OpenCarbonWindow(void* window, void* parentControl, short left, short top) {
    return OpenWindow(window, parentControl, left, top);
  }
  // The system version as the view factory checks it (BCD): this system has
  // the factory road, so the version it was introduced with, 0x1050.
  static int GetUserOSVersion() { return 0x1050; }

  // The view of the open binding, or null (tests drive it).
  View* GetView() const;

 private:
  void CloseBindings();

  IGraphicsCarbon* mGraphicsCarbon = nullptr;
  IGraphicsCocoa_vVivivI_au* mGraphicsCocoa = nullptr;
  KIT_String mBundleID;
};

// Loads a PNG image (a name whose last extension is "png" in any letter
// case) from the top of the resource folder of the bundle with the
// identifier, whatever the file's size; a new bitmap the caller owns, or
// null.
PIX_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* fileName);
