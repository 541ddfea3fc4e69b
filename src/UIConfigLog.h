// Where the UI configuration's building blocks report input they refuse:
// one line each, beginning "CONFIG READER: ". The UI configuration manager
// passes a sink that writes to the editor's log while logging is on; an
// empty sink drops the lines.
#pragma once

#include <functional>
#include <string>

using UIConfigLog = std::function<void(const std::string& line)>;

// Hands line to log when log is set.
inline void reportConfigProblem(const UIConfigLog& log, const std::string& line) {
  if (log) log(line);
}
