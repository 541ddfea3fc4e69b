// Argument and environment vectors for posix_spawn: the program followed by
// its arguments, and extra "NAME=value" entries in front of this process's
// own environment (the first entry of a name wins).
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
    for (char** entry = environ; *entry; ++entry) m_environment.push_back(*entry);
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
  std::vector<std::string> m_arguments, m_environment;
  std::vector<char*> m_argv, m_envp;
};
