// A fresh folder for each test that touches files, removed again after it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vivivi-test-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::filesystem::path path(const std::string& name) const { return m_dir / name; }

  static void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }

  static std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path m_dir;
};
