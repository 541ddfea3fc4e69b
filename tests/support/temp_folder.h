// A fresh folder for a test or benchmark that touches files, removed with
// all it holds when the object goes (TempFolderTest in temp_folder_fixture.h
// is the tests' fixture around it).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

// Made under the system's temporary folder as <prefix>XXXXXX (the X filled
// in by mkdtemp); the folder and everything below it go with the object.
// Path() is empty when the folder could not be made.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "vivivi-test-") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~TempFolder() { Remove(); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Made() const { return !m_path.empty(); }
  const std::filesystem::path& Path() const { return m_path; }
  // The folder's name as text, and the name of an entry in it.
  std::string Name() const { return m_path.string(); }
  std::string Name(const std::string& entry) const { return (m_path / entry).string(); }
  // Removes the folder now; true when it is gone (or was never made).
  bool Remove() {
    std::error_code error;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
    return !error;
  }
  // Leaves the folder in place when the object goes (to look into after a
  // failure); Path() is empty from then on.
  void Keep() { m_path.clear(); }

 private:
  std::filesystem::path m_path;
};
