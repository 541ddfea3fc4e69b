// What the GUI tests share: a plug-in whose host side records what the GUI
// tells it, a headless GUI (no window: it records screen copies, answers
// menus and text entries as the test scripts them, and draws its images in
// code), and a fixture that builds the two.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IPopupMenu.h"
#include "KIT/pix/pix.h"
#include "gtest/gtest.h"
#include "tests/support/test_plug.h"

// ---- The plug-in -----------------------------------------------------------

class GuiTestPlug : public HostlessTestPlug {
 public:
  // Parameters: a double 0..100, an enum of three named waves, an on/off
  // switch, a text parameter, then plain doubles 0..1 up to kNumParams.
  enum { kCutoff = 0, kWave, kSync, kName, kFirstPlain, kNumParams = 400 };

  GuiTestPlug();

  struct Change {
    int index;
    double value;
    bool fromHardware;
  };
  // What the GUI handed on, in order; each list under the record lock (the
  // hardware road runs on other threads in some tests).
  std::vector<Change> Changes();
  std::vector<std::string> Gestures();  // "begin 3", "end 3"
  void ClearRecords();

  void SetParameterFromGUI(int index, double normalizedValue) override;
  void SetParameterFromGUI2(int index, double normalizedValue) override;
  void BeginInformHostOfParamChange(int index) override;
  void EndInformHostOfParamChange(int index) override;
  void ResizeGraphics(int width, int height) override { resized = {width, height}; }

  std::pair<int, int> resized{0, 0};

 private:
  std::mutex mRecordLock;
  std::vector<Change> mChanges;
  std::vector<std::string> mGestures;
};

// ---- The headless GUI --------------------------------------------------------

// Images by name, drawn in code so that every run sees the same pixels:
//   "knob.png"       32 frames of 40 x 40, stacked: a disc with a pointer
//   "switch.png"     2 frames of 30 x 20, stacked: dark, lit
//   "radio.png"      2 frames of 16 x 16, stacked: ring, filled ring
//   "handle.png"     one 20 x 10 slider handle
//   "background.png" a 320 x 200 panel with a gradient and a grid
//   "font.png"       95 frames of 6 x 10: frame f filled with the colour
//                    PIX_MakePixel(f, 0, 0, 255), so tests can read which
//                    frame landed in a cell
//   "tall.png"       4 frames of 10 x 25, stacked, each frame one colour
//   "wide.png"       3 frames side by side, 100 x 10 in all; column x has red x
//   "odd.png"        101 x 11, one colour
// Any other name is a missing image.
PIX_IBitmap* MakeTestImage(const std::string& name);

class HeadlessGraphics : public IGraphics {
 public:
  using IGraphics::OpenWindow;
  HeadlessGraphics(IModuleBase* plug, int width, int height, int fps = 25);

  bool DrawScreen(IRECT* r) override;
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param) override;
  bool OpenURL(const char* url, const char*, const char*, const char*) override;

  // What the screen received: one rectangle per DrawScreen.
  std::vector<IRECT> screenCopies;
  // Images loaded through OSLoadBitmap, by name.
  std::map<std::string, int> loads;
  // Menus shown: the item texts and the checked item (-1 none), and for
  // each item that opens a submenu, that submenu's item texts and checked
  // item. The menu answers with choice (-1: nothing chosen); when that item
  // opens a submenu and subChoice is not -1, with subChoice in the submenu.
  struct ShownMenu {
    std::vector<std::string> items;
    int checked;
    IRECT where;
    std::vector<std::vector<std::string>> submenus;
    std::vector<int> submenuChecked;
  };
  std::vector<ShownMenu> menus;
  int choice = -1;
  int subChoice = -1;
  // Text entries opened.
  struct Entry {
    IControl* control;
    std::string text;
    IRECT where;
    IParam* param;
  };
  std::vector<Entry> entries;
  // Addresses asked for, and whether opening them works.
  std::vector<std::string> urls;
  bool urlsOpen = true;
};

// ---- Fixture -----------------------------------------------------------------

class GuiTest : public ::testing::Test {
 protected:
  // A 320 x 200 GUI attached to the plug-in (every value pushed, drawing
  // prepared), with no controls yet.
  void SetUp() override;

  // Attaches a control and returns it typed.
  template <class C>
  C* Attach(C* control) {
    gui->AttachControl(control);
    return control;
  }
  // Pushes every parameter's position to the controls, as attaching the GUI
  // does once the controls are built: the first value a control receives
  // becomes its default and marks nothing.
  void PushAllValues();
  // Runs one timer tick: IsDirty, and Draw of the dirty area when there is
  // one. Returns the area (empty when nothing was dirty).
  IRECT Tick();
  // Draws the whole window and marks everything clean.
  void DrawAll();
  // The draw bitmap's pixel.
  PIX_pixel Pixel(int x, int y);
  // A copy of the draw bitmap.
  std::vector<PIX_pixel> Snapshot();

  IBitmap Image(const char* name, int frames = 1, bool horizontal = false, double scale = 1.0);

  GuiTestPlug plug;
  HeadlessGraphics* gui = nullptr;  // owned by the plug-in
};

// The names of rectangles and pixels in failure messages.
std::ostream& operator<<(std::ostream& out, const IRECT& r);

// Collects the GUI's error lines for the life of the object.
class ErrorLines {
 public:
  ErrorLines();
  ~ErrorLines();
  std::vector<std::string> Take();

 private:
  static void Sink(const char* line);
};
