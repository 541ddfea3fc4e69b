// The plug-in's text log. Logging is switched on by the presence of the log
// file: the plug-in calls openDebugFile once at start-up and writes lines only
// when it returned true. The class holds no state; every operation takes the
// log file's path.
//
// Line format: local time as "%Y-%m-%d.%X" (2020-10-10.12:00:00), a tab and a
// blank, the message, a line feed. Messages begin with an upper-case topic
// ("CONFIG READER: ", "PATCH LIBRARIAN: ", "PROJECT RECALL: ", ...).
#pragma once

#include <string>
#include <vector>

class EditorServices;
struct IMidiMsg;

class DebuggerOutput {
 public:
  // True when path names an existing, readable regular file, which is then
  // emptied. False when it does not exist, cannot be read or emptied, or is
  // not a regular file (a folder, a pipe); nothing is created then.
  static bool openDebugFile(const std::string& path);

  // Appends one line with text to the file at path (created when missing;
  // anything but a regular file there is not written, nor waited on).
  // The whole line goes to the file in one write, so lines from the main,
  // render, MIDI input and worker threads never interleave. When the file
  // cannot be opened or written the line is lost silently.
  static void printDebugInfo(const std::string& path, const std::string& text);

  // Called for every outgoing SysEx message. Outgoing SysEx is not logged:
  // both write nothing and accept any pointer, vector and count.
  static void logSysExOutMessageByte(const unsigned char* bytes, int count);
  static void logSysExOutMessageByteInt(const std::vector<int>& bytes, int count);

  // True when msg's status, data 1 or data 2 differs from the last message
  // the plug-in remembers, which msg then replaces; false when all three are
  // the same or plug is null.
  static bool compareMIDIdata(EditorServices* plug, IMidiMsg msg);
};
