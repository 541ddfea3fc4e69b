// The plug-in's editor as the host shows it. Two ways in, as a workstation
// offers them:
// - through the host's window: the host makes a window of its own and hands
//   its id to the view component's create call (the plug-in's second export),
//   which puts the editor into it; closing the view component closes it;
// - through the view factory: the host reads the unit's Cocoa UI property
//   and calls the factory class named there (the bundle's shared object
//   exports its view call as "<class>_uiViewForAudioUnit"), then places the
//   view it gets into its window, and takes it out again to close it.
//
// With a display (DISPLAY names one that opens) the window is a real X
// window; without one, or with headless asked for, the editor runs headless
// and the host only reads its frames. Either way the host drives the
// editor's events and redraw timer from its own loop.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/bundle_loader.h"

class EditorCommandHost;
class ViewPane;

class EditorWindow {
 public:
  enum Road { kHostWindow, kViewFactory };

  explicit EditorWindow(FILE* out) : m_out(out) {}
  ~EditorWindow() { Close(); }
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Opens the editor of unit; false with a message when the plug-in offers
  // none (no view entry, no GUI, no factory) or the window cannot be made.
  bool Open(const LoadedComponent& component, AudioUnit unit, Road road, bool headless, std::string* error);
  // Closes the editor (the view component, or the placed view); the host's
  // window goes with it.
  void Close();
  bool IsOpen() const { return m_pane != nullptr; }
  bool IsHeadless() const;

  // Runs the editor's events and timer for seconds (0: until the user
  // closes the window; a headless editor has no user and returns at once).
  void Run(double seconds);
  // Handles every event sent so far, fires the timer once and paints.
  void Sync();
  // Writes what the window shows, or the GUI's draw bitmap, as a PNG.
  bool WritePng(const std::string& path, bool drawBitmap, std::string* error);
  // Runs the editor's events and timer for milliseconds, headless too (a
  // headless editor's timer then fires at its frame rate).
  void Pump(int milliseconds);
  // Waits for milliseconds, handling only the host window's own events.
  void Pause(int milliseconds);
  // The editor's view while it is open; else null.
  ViewPane* Pane() const { return m_pane; }

 private:
  bool OpenHostWindow(std::string* error);
  bool OpenThroughHostWindow(const LoadedComponent& component, AudioUnit unit, std::string* error);
  bool OpenThroughFactory(const LoadedComponent& component, AudioUnit unit, std::string* error);
  void FitHostWindow();
  bool HandleHostEvents();

  FILE* m_out;
  Road m_road = kHostWindow;
  void* m_display = nullptr;   // the host's own connection, when there is a display
  unsigned long m_window = 0;  // the host's window
  unsigned long m_deleteAtom = 0;
  bool m_closedByUser = false;
  ComponentInstance m_viewComponent = nullptr;
  ViewPane* m_pane = nullptr;
};

// The host's editor actions, beside its others:
//   open-editor ROAD   opens the editor: ROAD "window" hands the host's window
//                      to the view component, "view" asks the view factory
//   run-editor SECONDS runs the editor's window (0: until the user closes it)
//   editor-png FILE    writes what the editor's window shows as a PNG
//   editor-bitmap-png FILE  writes the GUI's draw bitmap as a PNG
//   editor-commands    takes editor commands from standard input
//                      (EditorCommands, host/editor_commands.h)
//   close-editor       closes the editor
// Without a display, or with VIVIVI_VIEW=headless in the environment, the
// editor is headless.
extern const char kEditorUsage[];
// The number of values the action takes; -1 when it is none of these.
int EditorActionArity(const std::string& action);
// Carries out one editor action; false with a message when it fails. host
// serves the commands' transport (may be null).
bool DoEditorAction(EditorWindow* editor, const std::string& action, const std::vector<std::string>& values,
                    const LoadedComponent& component, AudioUnit unit, EditorCommandHost* host,
                    std::string* error);
