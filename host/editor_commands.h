// The editor commands: what a script sends the host, one a line, to drive
// the plug-in's editor as a user would. Input goes to the editor's view as
// posted input events at window coordinates (ViewPane::PostInput), so it
// takes the road of a user's mouse and keys through the view layer; a popup
// menu that a click opens is walked by pointer events on the entries it
// shows. Every command answers with one line: what it did, or
// "error: <why>".
//
// Commands (numbers are decimal; MODS is any of shift, control, option,
// command, separated by blanks):
//   click X Y [MODS]          press and release the left button
//   right-click X Y [MODS]    the same with the right button
//   double-click X Y [MODS]   two left clicks close together
//   drag X1 Y1 X2 Y2 [STEPS] [MODS]  press at the first point, move in
//                             STEPS even steps (default 10) to the second
//                             and release there
//   press X Y [MODS], move X Y [MODS], release X Y [MODS]
//                             a drag by hand: the left button goes down,
//                             the pointer moves (with the button held while
//                             it is down) and the button comes up; the
//                             window can be looked at in between
//   wheel X Y STEPS [MODS]    wheel steps, up when positive, down when negative
//   key NAME [MODS]           one key: up, down, left, right, space, return,
//                             enter, tab, backspace, delete, escape, home,
//                             end, or a single character
//   type TEXT                 each character of TEXT as one key
//   menu PATH                 choose an entry of the open popup menu by the
//                             titles along its path: "Bank A>Program 3"
//   set-param ID VALUE        set a parameter's value, as the host does
//   set-param-text ID TEXT    set a parameter to the value it shows as TEXT
//                             (a MIDI port by its name)
//   get-param ID              a parameter's value
//   get-param-text ID         the text the parameter shows for its value
//   wait MS                   run the editor's events and timer this long
//   play, stop                start and stop the host's transport
//   sync                      handle what was sent, fire the timer, paint
//   png FILE, bitmap-png FILE write the window, or the GUI's draw bitmap
//   quit                      end the commands
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/audiounit/AudioUnit.h"

class EditorWindow;
class ViewPane;
struct ViewEvent;

// What the commands need of the host beyond the editor.
class EditorCommandHost {
 public:
  // Starts or stops the transport; false when the host cannot.
  virtual bool SetPlaying(bool playing) = 0;

 protected:
  ~EditorCommandHost() = default;
};

class EditorCommands {
 public:
  EditorCommands(EditorWindow* window, AudioUnit unit, EditorCommandHost* host, FILE* out);
  ~EditorCommands();
  EditorCommands(const EditorCommands&) = delete;
  EditorCommands& operator=(const EditorCommands&) = delete;

  // Reads commands until "quit" or the end of input. False when any failed.
  bool Run(FILE* in);
  // Runs one command line (without its line end); false when it failed.
  bool Execute(const std::string& line);

  // The list printed by the host's --help.
  static const char kUsage[];

 private:
  struct Words;
  static bool MenuWaiting(void* self);
  bool OnMenuWaiting();
  bool ContinueMenuWalk();
  void EndMenuWalk();
  bool ReadLine(std::string* line);

  bool Input(const std::string& command, const Words& words, std::string* reply, std::string* error);
  bool ChooseMenu(const std::string& path, std::string* reply, std::string* error);
  bool Parameter(const std::string& command, const Words& words, std::string* reply, std::string* error);
  bool FindValueByText(AudioUnitParameterID id, const std::string& text, float* value, std::string* error);
  bool TextOfValue(AudioUnitParameterID id, const float* value, std::string* text);

  void Post(ViewEvent event);
  void Pointer(int kind, int x, int y, int button, uint32_t modifiers);
  void Deliver();
  void Reply(const std::string& text);

  EditorWindow* m_window;
  ViewPane* m_pane;
  AudioUnit m_unit;
  EditorCommandHost* m_host;
  FILE* m_out;
  FILE* m_in = nullptr;
  uint32_t m_eventTime = 1000;  // the script's clock for event times, in ms
  bool m_buttonDown = false;    // the left button is held (press without release)
  bool m_quit = false;
  bool m_allOk = true;
  int m_depth = 0;                      // commands running inside an open menu
  std::string m_pendingReply;           // of the command whose input opened a menu
  std::vector<std::string> m_menuPath;  // a menu choice under way
  size_t m_menuStep = 0;
};
