// Argument and environment vectors for posix_spawn: the program followed by
// its arguments, and extra "NAME=value" entries followed by this process's
// own environment without the names the extras set (so each name appears
// once: programs differ in which of two entries they take).
#pragma once

#include <string>
#include <vector>

extern char** environ;

class SpawnVectors {
 public:
  SpawnVectors(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment)
      : m_arguments{program}, m_environment(environment) {
    m_arguments.insert(m_arguments.end(), arguments.begin(), arguments.end());
    for (char** entry = environ; *entry; ++entry)
      if (!SetByExtra(*entry, environment)) m_environment.push_back(*entry);
    for (std::string& a : m_arguments) m_argv.push_back(&a[0]);
    m_argv.push_back(nullptr);
    for (std::string& e : m_environment) m_envp.push_back(&e[0]);
    m_envp.push_back(nullptr);
  }
  SpawnVectors(const SpawnVectors&) = delete;
  SpawnVectors& operator=(const SpawnVectors&) = delete;

  char* const* argv() const { return m_argv.data(); }
  char* const* envp() const { return m_envp.data(); }

 private:
  // Whether one of the extra entries sets the name of this entry.
  static bool SetByExtra(const std::string& entry, const std::vector<std::string>& extra) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos) return false;
    const std::string name = entry.substr(0, equals + 1);
    for (const std::string& e : extra)
      if (e.compare(0, name.size(), name) == 0) return true;
    return false;
  }

  std::vector<std::string> m_arguments, m_environment;
  std::vector<char*> m_argv, m_envp;
};
