// A test fixture with a fresh folder of its own (TempFolder), removed with
// all it holds when the test is done, and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/temp_folder.h"

class TempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_folder.Made());
    m_dir = m_folder.Path();
  }

  std::filesystem::path path(const std::string& name) const { return m_dir / name; }

  static void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }

  static std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path m_dir;

 private:
  TempFolder m_folder;
};
