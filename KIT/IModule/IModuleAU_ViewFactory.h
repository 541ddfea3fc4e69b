// The editor view entry points. A host shows the editor in one of two ways:
// it reads the Cocoa UI property and asks the view factory class named
// there for a view, or it opens the editor view component through the
// plug-in's second exported entry and hands it a window and a parent
// control. Both find the plug-in object from the Audio Unit's instance
// storage and let the attached GUI open its window; neither makes a GUI.
//
// Opening and closing go through IGraphics's window operations (a GUI
// without a platform binding opens no window); the system version is the
// platform binding's, IGraphicsMac::GetUserOSVersion.
#pragma once

#include "KIT/IModule/IModuleAU.h"

class IGraphics;

// The system version from which the view factory is offered (BCD, 10.5).
constexpr int kCocoaViewMinOSVersion = 0x1050;

// The running system's version as the platform binding reports it (BCD);
// 0 without a GUI.
int GetEditorOSVersion(IGraphics* gui);
// Opens the GUI as a view without a parent (the host places it); null when
// the GUI offers no window.
void* OpenEditorView(IGraphics* gui);
// Opens the GUI inside the host's window under parentControl; true and the
// control that holds it in *control, or false when the GUI offers no window.
bool OpenEditorInWindow(IGraphics* gui, void* window, void* parentControl, void** control);
// Closes whatever window the GUI has open.
void CloseEditor(IGraphics* gui);

// One open view component (the view entry's instance storage). The host
// closes a view before the unit it shows.
struct IModuleAUCarbonViewRecord {
  ComponentInstance mViewInstance = nullptr;
  IModuleAU* mPlug = nullptr;  // null until a view was created
};

// The view factory class the Cocoa UI property names.
class VivivI_View {
 public:
  VivivI_View() { init(); }
  // Forgets the plug-in object.
  VivivI_View* init();
  // The plug-in object of the unit, kept; its GUI's view without a parent,
  // or null when the unit has no plug-in object or no GUI. The size is not used.
  void* uiViewForAudioUnit(AudioUnit unit, float preferredWidth, float preferredHeight);
  unsigned interfaceVersion() const { return 0; }
  // A new string "VivivI Editor View".
  CFStringRef description() const;
  IModuleAU* GetPlug() const { return mPlug; }

 private:
  IModuleAU* mPlug = nullptr;
};
