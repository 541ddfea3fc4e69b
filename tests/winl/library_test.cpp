// Dynamic libraries: loading a shared object or a bundle folder, the attach
// and detach entries, reference counts, symbols and module file names.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KIT/winl/winl-library.h"
#include "tests/support/temp_folder.h"

namespace {
std::vector<std::string> g_calls;
}

// Called by the test library's entries.
extern "C" __attribute__((visibility("default"))) void WinlTestLibraryCalled(const char* entry, int reason) {
  g_calls.push_back(std::string(entry) + " " + std::to_string(reason));
}

namespace {

const char kAccepting[] = WINL_TEST_LIBRARY;
const char kRefusing[] = WINL_TEST_LIBRARY_REFUSING;

typedef int (*Answer)();

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { g_calls.clear(); }
};

TEST_F(LibraryTest, SameLibraryOneRecordUntilTheLastFree) {
  HINSTANCE first = LoadLibrary(kAccepting);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"WINL_dllMain 1", "DllMain 1"}));
  HINSTANCE second = LoadLibrary(kAccepting);
  EXPECT_EQ(second, first) << "the same record";
  EXPECT_EQ(g_calls.size(), 2u) << "attached once";

  auto answer = reinterpret_cast<Answer>(GetProcAddress(first, "WinlTestLibraryAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(first, "NoSuchFunction"), nullptr);
  EXPECT_EQ(GetProcAddress(first, nullptr), nullptr);

  EXPECT_EQ(FreeLibrary(first), 1);
  EXPECT_EQ(g_calls.size(), 2u) << "one reference remains";
  EXPECT_NE(GetProcAddress(first, "WinlTestLibraryAnswer"), nullptr);
  EXPECT_EQ(FreeLibrary(first), 1);
  EXPECT_EQ(g_calls,
            (std::vector<std::string>{"WINL_dllMain 1", "DllMain 1", "WINL_dllMain 0", "DllMain 0"}));
  EXPECT_EQ(FreeLibrary(first), 0) << "no longer loaded";
  EXPECT_EQ(GetProcAddress(first, "WinlTestLibraryAnswer"), nullptr);
}

TEST_F(LibraryTest, ARefusedLoadIsUndone) {
  EXPECT_EQ(LoadLibrary(kRefusing), nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"WINL_dllMain 1", "DllMain 1", "WINL_dllMain 0"}));
}

TEST_F(LibraryTest, PathsThatLoadNothing) {
  const char* kPaths[] = {"", "/nonexistent/library.so", "/etc/hostname", "/tmp"};
  for (const char* path : kPaths) EXPECT_EQ(LoadLibrary(path), nullptr) << path;
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
  HINSTANCE foreign = reinterpret_cast<HINSTANCE>(&g_calls);
  EXPECT_EQ(FreeLibrary(foreign), 0);
  EXPECT_EQ(GetProcAddress(foreign, "x"), nullptr);
  char name[16] = "x";
  EXPECT_EQ(GetModuleFileName(foreign, name, sizeof name), 0);
}

TEST_F(LibraryTest, ABundleFolderLoadsItsExecutable) {
  const TempFolder temp("winl-library-");
  ASSERT_TRUE(temp.Made());
  const std::string folder = temp.Name("Test.bundle");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(symlink(kAccepting, (folder + "/lib.so").c_str()), 0);
  FILE* plist = fopen((folder + "/Info.plist").c_str(), "w");
  ASSERT_NE(plist, nullptr);
  fputs(
      "<plist><dict><key>Identifier</key><string>com.example.winl-library</string>"
      "<key>Executable</key><string>lib.so</string></dict></plist>",
      plist);
  fclose(plist);

  HINSTANCE bundle = LoadLibraryGlobals(folder.c_str(), true);
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(LoadLibrary(folder.c_str()), bundle);
  auto answer = reinterpret_cast<Answer>(GetProcAddress(bundle, "WinlTestLibraryAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  char path[4096];
  EXPECT_EQ(GetModuleFileName(bundle, path, sizeof path), static_cast<int>(folder.size()));
  EXPECT_EQ(std::string(path), folder) << "a bundle's name is its folder";
  EXPECT_EQ(FreeLibrary(bundle), 1);
  EXPECT_EQ(FreeLibrary(bundle), 1);
  EXPECT_EQ(g_calls.back(), "DllMain 0");
}

TEST_F(LibraryTest, ModuleFileNames) {
  HINSTANCE library = LoadLibrary(kAccepting);
  ASSERT_NE(library, nullptr);
  char path[4096];
  const int length = GetModuleFileName(library, path, sizeof path);
  EXPECT_EQ(std::string(path), kAccepting) << "known before any symbol is looked up";
  EXPECT_EQ(length, static_cast<int>(sizeof kAccepting) - 1);
  char small[5] = "xxxx";
  EXPECT_EQ(GetModuleFileName(library, small, sizeof small), 4);
  EXPECT_EQ(std::string(small), std::string(kAccepting, 4)) << "cut with a NUL";
  EXPECT_EQ(GetModuleFileName(library, small, 0), 0);
  FreeLibrary(library);

  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = 0;
  const std::string program = self;
  ASSERT_GT(GetModuleFileName(nullptr, path, sizeof path), 0);
  EXPECT_EQ(std::string(path), program.substr(0, program.rfind('/'))) << "null: the program's folder";
}

}  // namespace
