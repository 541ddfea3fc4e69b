// Save and open panels and alerts of the window model: windows of their own
// that run modally until the user answers. Headless they run only with the
// application's modal hook, which plays the user (a test script); without a
// hook and without a display they end at once as cancelled. On a display
// they are real windows (the application's presenter factory) taking mouse
// and keys.
//
// Contents:
//   WmFileEntry   a row of a panel's folder or file list
//   WmFilePanel   the save panel, the open panel and the folder chooser
//   WmAlert       a message with a row of buttons
#pragma once

#include <string>
#include <vector>

#include "platform/window/WindowModel.h"

struct WmFileEntry {
  std::string name;
  bool folder = false;
};

// A file panel. The folder list holds ".." (except at the root) and the
// subfolders of the current folder; the file list its files whose extension
// is one of the allowed types (all files when none are given; case
// ignored); hidden names are not listed. The name field holds a name in the
// current folder or a path (absolute, or relative to the current folder).
//
// Keys: Tab and Shift-Tab move between the folder list, the file list and
// the name field; Up, Down, Home and End move in a list (a file chosen in
// the list goes into the name field); Left goes to the parent folder and
// Right into the chosen folder; Return confirms (in the folder list with an
// empty name field it opens the chosen folder); Escape cancels; typed
// characters and Backspace edit the name field.
class WmFilePanel : public WmWindow {
 public:
  enum Mode { kSave, kOpen, kChooseFolder };
  explicit WmFilePanel(Mode mode);
  ~WmFilePanel() override;
  Mode mode() const { return m_mode; }

  // Settings, before the run.
  std::vector<std::string> allowedFileTypes;  // extensions without the dot
  bool allowsMultipleSelection = false;       // open panel
  bool canCreateDirectories = false;          // folder chooser
  std::string prompt;                         // the confirm button ("Save", "Open", "Choose")
  // A view shown below the lists (the panel owns it; null removes it).
  void SetAccessoryView(WmView* view);
  WmView* accessoryView() const { return m_accessory; }

  // Runs until the user answers, starting in directory (the current
  // folder when empty or missing) with name in the name field. True for OK.
  bool RunModal(const std::string& directory, const std::string& name);
  // The chosen paths after OK, in the order they were chosen.
  const std::vector<std::string>& paths() const { return m_paths; }

  // What the user sees and does; the input handlers and scripts use these.
  const std::string& directory() const { return m_directory; }
  const std::vector<WmFileEntry>& folders() const { return m_folders; }
  const std::vector<WmFileEntry>& files() const { return m_files; }
  int selectedFolder() const { return m_folderSelection; }
  const std::vector<int>& selectedFiles() const { return m_fileSelection; }
  std::string nameText;
  // A line that says why OK did nothing ("" when nothing to say).
  const std::string& status() const { return m_status; }
  enum Focus { kFolders, kFiles, kName };
  Focus focus() const { return m_focus; }

  // Goes to a folder (false when it cannot be listed; nothing changes).
  bool GoTo(const std::string& directory);
  void GoUp();
  void SelectFolder(int index);
  // With extend (multiple selection allowed), adds or removes the file.
  void SelectFile(int index, bool extend);
  void OpenFolder(int index);
  // OK: ends the run when the name field or the selection names an
  // acceptable choice; a folder named instead is opened. True when ended.
  bool Confirm();
  void Cancel();
  // Makes a folder in the current folder (the name field's name, else
  // "untitled folder", numbered when taken) and chooses it.
  bool NewFolder();
  bool IsDone() const { return m_done; }

  // Geometry of the content (flipped: y down), for drawing and tests.
  WmRect FolderListRect() const;
  WmRect FileListRect() const;
  WmRect NameFieldRect() const;
  WmRect OkButtonRect() const;
  WmRect CancelButtonRect() const;
  WmRect NewFolderButtonRect() const;
  static const int kRowHeight = 18;

  void KeyDown(const WmKeyEvent& event);
  void Click(WmPoint p, int clickCount, uint32_t modifiers);
  bool WindowShouldClose() override;
  int FolderTop() const { return m_folderTop; }
  int FileTop() const { return m_fileTop; }
  const char* ClassName() const override { return m_mode == kSave ? "NSSavePanel" : "NSOpenPanel"; }

 private:
  void Relist();
  void Finish(bool ok);
  void KeepVisible();
  bool Allowed(const std::string& name) const;
  std::string Resolve(const std::string& text) const;

  Mode m_mode;
  std::string m_directory;
  std::vector<WmFileEntry> m_folders, m_files;
  int m_folderSelection = -1;
  std::vector<int> m_fileSelection;
  int m_folderTop = 0, m_fileTop = 0;
  Focus m_focus = kFiles;
  std::string m_status;
  std::vector<std::string> m_paths;
  bool m_done = false, m_ok = false;
  WmView* m_accessory = nullptr;
  uint32_t m_lastClickTime = 0;
  WmPoint m_lastClick;
};

// An alert: a title, a message and buttons, the first the default. Return
// presses the highlighted button (first the default), Left and Right move
// the highlight, Escape presses "Cancel" (or "Stop") when there is one.
class WmAlert : public WmWindow {
 public:
  WmAlert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons);
  const std::string& message() const { return m_message; }
  const std::vector<std::string>& buttons() const { return m_buttons; }
  // The index of the button pressed, -1 when none was (cancelled headless,
  // or the window closed).
  int RunModal();
  void Press(int index);
  int answer() const { return m_answer; }
  int highlighted() const { return m_highlight; }
  WmRect ButtonRect(int index) const;
  const std::vector<std::string>& lines() const { return m_lines; }
  void KeyDown(const WmKeyEvent& event);
  void Click(WmPoint p);
  bool WindowShouldClose() override;
  const char* ClassName() const override { return "NSAlert"; }

 private:
  std::string m_message;
  std::vector<std::string> m_buttons;
  std::vector<std::string> m_lines;  // the message wrapped
  std::vector<int> m_buttonWidths;
  int m_highlight = 0;
  int m_answer = -1;
  bool m_done = false;
};

// Runs an alert and closes it: the index of the button pressed, -1 for none.
int WmRunAlert(const std::string& title, const std::string& message, const std::vector<std::string>& buttons);
