// Named pasteboards and the workspace opener of the window model.
//
// A pasteboard holds data by type name, declared as a whole and then
// filled; its change count grows with each declaration. The general
// pasteboard also carries text to and from other programs: on a display its
// plain-text type is the X CLIPBOARD selection (WindowClipboardX.cpp); in
// memory only otherwise.
//
// The workspace opens web addresses and files with their default programs
// and starts programs (xdg-open and the program itself, with an argument
// vector, never a shell).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class WmPasteboard {
 public:
  // The plain-string type (UTF-8 text).
  static const char kStringType[];
  static WmPasteboard& General();
  // The pasteboard of that name, made at first use (General for "general").
  static WmPasteboard& Named(const std::string& name);

  // Empties the pasteboard and declares the types it will hold, in order.
  // Returns the new change count.
  int DeclareTypes(const std::vector<std::string>& types);
  // Data of a declared type; false for a type not declared.
  bool SetData(const std::string& type, const std::vector<uint8_t>& data);
  bool SetString(const std::string& type, const std::string& text);
  // The types declared, in order (on the general pasteboard, the text of
  // another program appears as the plain-string type).
  std::vector<std::string> Types() const;
  // False when the type holds no data.
  bool DataForType(const std::string& type, std::vector<uint8_t>* data) const;
  bool StringForType(const std::string& type, std::string* text) const;
  int changeCount() const { return m_changeCount; }
  const std::string& name() const { return m_name; }

  // The link to other programs' text (the general pasteboard only): told
  // of each change, asked for their text when the pasteboard did not set
  // the last one. Set by the X selection bridge.
  struct Bridge {
    virtual ~Bridge() = default;
    virtual void Changed(const std::string* text) = 0;  // null: no text now
    // True with the text another program holds.
    virtual bool ForeignText(std::string* text) = 0;
  };
  void SetBridge(Bridge* bridge) { m_bridge = bridge; }
  // Empties every pasteboard (the end of a test).
  static void ResetAll();

 private:
  explicit WmPasteboard(const std::string& name) : m_name(name) {}
  void Told();
  std::string m_name;
  std::vector<std::string> m_types;
  std::map<std::string, std::vector<uint8_t>> m_data;
  int m_changeCount = 0;
  Bridge* m_bridge = nullptr;
};

// The X selection bridge for the general pasteboard's text: started when a
// display can be opened (false otherwise); its own connection and thread,
// stopped and joined at process exit or by WmStopClipboardBridge.
bool WmStartClipboardBridge();
void WmStopClipboardBridge();

namespace WmWorkspace {
// Each starts a program with an argument vector (never a shell) and does
// not wait for it; true when it started. A test may replace the starter.
bool OpenURL(const std::string& url);
bool OpenFile(const std::string& path);
// Opens path with the named program ("TextEdit.app" and other names ending
// in ".app" stand for the default program of the file).
bool OpenFileWithApplication(const std::string& path, const std::string& application);
bool LaunchApplication(const std::string& application);
// Starts argv[0] with argv; replaced in tests.
extern std::function<bool(const std::vector<std::string>& argv)> starter;
}  // namespace WmWorkspace
