// Resource files and images from the plug-in's bundle: found by base name
// at the top of the resource folder, whole below the size limit and refused
// at or above it; the paths the GUI answers; web pages and files handed to
// the opener.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FileEncrypt/resource_cipher.h"
#include "KIT/IModule/IGraphicsMac.h"
#include "KIT/pix/pix-bitmap.h"
#include "host/window_png.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "tests/support/pipe_watchdog.h"
#include "tests/support/temp_folder_fixture.h"

namespace {

std::vector<std::string> g_log;
void Collect(const char* line) { g_log.push_back(line); }

class BundleResourceTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    // A bundle of its own for every test: identifiers found earlier stay known.
    static int counter = 0;
    m_id = "com.Harrow Creek Sound.test.resources." + std::to_string(++counter);
    m_bundle = path("Res.bundle");
    std::filesystem::create_directories(m_bundle / "Resources");
    writeFile(m_bundle / "Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
              "<key>Identifier</key><string>" +
                  m_id +
                  "</string>\n"
                  "<key>Executable</key><string>Res.so</string>\n</dict>\n</plist>\n");
    writeFile(m_bundle / "Res.so", "");
    const std::string folder = m_bundle.string();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
    m_cfBundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    ASSERT_NE(m_cfBundle, nullptr);
    m_gui.reset(new IGraphicsMac(nullptr, 10, 10));
    m_gui->SetBundleID(m_id.c_str());
    g_log.clear();
    IGraphics::SetErrorLog(Collect);
  }
  void TearDown() override {
    IGraphics::SetErrorLog(nullptr);
    m_gui.reset();
    if (m_cfBundle) CFRelease(m_cfBundle);
    TempFolderTest::TearDown();
  }
  void Resource(const std::string& name, const std::string& bytes) {
    writeFile(m_bundle / "Resources" / name, bytes);
  }
  void Image(const std::string& name, uint32_t colour) {
    const uint32_t pixels[4] = {colour, colour, colour, colour};
    std::string error;
    ASSERT_TRUE(WriteWindowPng((m_bundle / "Resources" / name).string(), pixels, 2, 2, 2, &error)) << error;
  }
  bool Logged(const char* words) const {
    for (const std::string& line : g_log)
      if (line.find(words) != std::string::npos) return true;
    return false;
  }

  std::string m_id;
  std::filesystem::path m_bundle;
  CFBundleRef m_cfBundle = nullptr;
  std::unique_ptr<IGraphicsMac> m_gui;
};

TEST_F(BundleResourceTest, AFileIsFoundByItsBaseNameWhateverItsFolder) {
  Resource("uiconfig.tea", "enciphered");
  Resource("README", "plain");
  for (const char* name : {"resources/uiconfig.tea", "uiconfig.tea", "a/b/c/uiconfig.tea"}) {
    std::unique_ptr<char[]> bytes(m_gui->OSLoadFile(100, name));
    ASSERT_NE(bytes, nullptr) << name;
    EXPECT_EQ(std::string(bytes.get(), 10), "enciphered");
    EXPECT_EQ(m_gui->GetLastLoadedFileSize(), 10);
    EXPECT_EQ(bytes[10], 0);  // zeros after the content
    EXPECT_EQ(bytes[kResourceFileLimit - 1], 0);
  }
  std::unique_ptr<char[]> plain(m_gui->OSLoadFile(0, "docs/README"));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(std::string(plain.get()), "plain");
}

TEST_F(BundleResourceTest, FilesAtOrAboveTheLimitAreRefusedWholeWithALogLine) {
  const struct {
    size_t size;
    bool loads;
  } kCases[] = {{kResourceFileLimit - 1, true}, {kResourceFileLimit, false}, {kResourceFileLimit + 1, false}};
  for (const auto& c : kCases) {
    g_log.clear();
    Resource("sysex.tea", std::string(c.size, 'x'));
    std::unique_ptr<char[]> bytes(m_gui->OSLoadFile(101, "resources/sysex.tea"));
    EXPECT_EQ(bytes != nullptr, c.loads) << c.size;
    EXPECT_EQ(Logged("refused"), !c.loads) << c.size;
    EXPECT_EQ(m_gui->GetLastLoadFailure().rfind("refused: ", 0) == 0, !c.loads) << c.size;
    if (bytes) {
      EXPECT_EQ(m_gui->GetLastLoadedFileSize(), static_cast<int>(c.size));
      EXPECT_EQ(bytes[c.size - 1], 'x');
    }
  }
}

TEST_F(BundleResourceTest, MissingThingsGiveNothing) {
  Resource("here.tea", "x");
  EXPECT_EQ(m_gui->OSLoadFile(0, "resources/absent.tea"), nullptr);
  EXPECT_EQ(m_gui->OSLoadFile(0, "resources/"), nullptr);  // no base name
  EXPECT_EQ(m_gui->OSLoadFile(0, nullptr), nullptr);
  EXPECT_EQ(m_gui->OSLoadFile(0, "../Info.plist"), nullptr);
  m_gui->SetBundleID("com.Harrow Creek Sound.no.such.bundle");
  EXPECT_EQ(m_gui->OSLoadFile(0, "here.tea"), nullptr);
  m_gui->SetBundleID("");
  EXPECT_EQ(m_gui->OSLoadFile(0, "here.tea"), nullptr);
  EXPECT_TRUE(g_log.empty());
}

// A pipe under a resource's or an image's name is no resource: nothing, at
// once, never waited on (an open of it for reading waits for a writer).
TEST_F(BundleResourceTest, APipeUnderAResourcesNameIsRefusedWithoutWaiting) {
  const std::filesystem::path resources = m_bundle / "Resources";
  for (const char* name : {"sysex.tea", "knob.png"})
    ASSERT_EQ(mkfifo((resources / name).c_str(), 0600), 0) << name;
  PipeWatchdog textWatchdog((resources / "sysex.tea").string());
  PipeWatchdog imageWatchdog((resources / "knob.png").string());
  EXPECT_EQ(m_gui->OSLoadFile(101, "resources/sysex.tea"), nullptr);
  EXPECT_EQ(m_gui->OSLoadBitmap(0, "resources/img/knob.png"), nullptr);
  EXPECT_FALSE(textWatchdog.Fired());
  EXPECT_FALSE(imageWatchdog.Fired());
}

TEST_F(BundleResourceTest, AFileThatCannotBeOpenedIsLogged) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser opens any file";
  Resource("locked.tea", "x");
  chmod((m_bundle / "Resources" / "locked.tea").c_str(), 0);
  EXPECT_EQ(m_gui->OSLoadFile(0, "locked.tea"), nullptr);
  EXPECT_TRUE(Logged("failed to open file"));
}

TEST_F(BundleResourceTest, ImagesArePngByTheirLastExtensionInAnyCase) {
  Image("knob.png", PIX_MakePixel(10, 20, 30, 255));
  Image("a.b.png", PIX_MakePixel(1, 2, 3, 255));
  Resource("photo.jpg", "not looked at");
  const struct {
    const char* name;
    bool loads;
  } kCases[] = {{"resources/img/knob.png", true},
                {"knob.PNG", true},
                {"img/a.b.Png", true},
                {"photo.jpg", false},
                {"knob", false},
                {"absent.png", false}};
  for (const auto& c : kCases) {
    std::unique_ptr<PIX_IBitmap> bm(LoadImgFromResourceOSX(m_id.c_str(), c.name));
    EXPECT_EQ(bm != nullptr, c.loads) << c.name;
  }
  std::unique_ptr<PIX_IBitmap> knob(m_gui->OSLoadBitmap(7, "resources/img/knob.png"));
  ASSERT_NE(knob, nullptr);
  EXPECT_EQ(knob->getWidth(), 2);
  EXPECT_EQ(knob->getBits()[0], PIX_MakePixel(10, 20, 30, 255));
  EXPECT_EQ(LoadImgFromResourceOSX(m_id.c_str(), nullptr), nullptr);
}

// The size limit of resource text files is no limit for images: a PNG of
// more than 4,096,000 bytes loads whole through the bitmap cache.
TEST_F(BundleResourceTest, AnImageFileAboveTheTextLimitLoads) {
  const int width = 1300, height = 1100;
  std::vector<uint32_t> noise(static_cast<size_t>(width) * height);
  uint32_t state = 12345;
  for (uint32_t& pixel : noise) {
    state = state * 1664525u + 1013904223u;  // noise, so that the file stays large
    pixel = PIX_MakePixel(static_cast<int>(state >> 24), static_cast<int>(state >> 16) & 0xFF,
                          static_cast<int>(state >> 8) & 0xFF, 255);
  }
  const std::filesystem::path file = m_bundle / "Resources" / "huge.png";
  std::string error;
  ASSERT_TRUE(WriteWindowPng(file.string(), noise.data(), width, width, height, &error)) << error;
  ASSERT_GT(std::filesystem::file_size(file), kResourceFileLimit);

  const IBitmap bitmap = m_gui->LoadIBitmap(9120, "resources/img/huge.png");
  ASSERT_NE(bitmap.mData, nullptr) << (g_log.empty() ? "" : g_log.front());
  EXPECT_EQ(bitmap.W, width);
  EXPECT_EQ(bitmap.H, height);
  EXPECT_EQ(bitmap.mData->getBits()[0], noise.front());
  EXPECT_TRUE(g_log.empty());
}

TEST_F(BundleResourceTest, PathsOfTheBundleAndTheDesktop) {
  KIT_String host, plugin, desktop;
  m_gui->HostPath(&host);
  EXPECT_EQ(std::string(host.Get()), (m_bundle / "Res.so").string());
  m_gui->PluginPath(&plugin);
  EXPECT_EQ(std::string(plugin.Get()), m_dir.string() + "/");
  const char* home = getenv("HOME");
  const std::string saved = home ? home : "";
  setenv("HOME", "/home/someone", 1);
  m_gui->DesktopPath(&desktop);
  EXPECT_STREQ(desktop.Get(), "/home/someone/Desktop/");
  unsetenv("HOME");
  m_gui->DesktopPath(&desktop);
  EXPECT_NE(std::string(desktop.Get()).find("/Desktop/"), std::string::npos);  // the account's home
  if (home) setenv("HOME", saved.c_str(), 1);
}

TEST_F(BundleResourceTest, AddressesAndFilesGoToTheOpenerAsOneArgument) {
  // A stand-in opener on the PATH writes down its arguments, as one line in
  // one write: the openers run side by side.
  const std::filesystem::path bin = path("bin"), record = path("opened");
  std::filesystem::create_directories(bin);
  writeFile(bin / "xdg-open", "#!/bin/sh\nline=$(printf '%s|' \"$@\")\nprintf '%s\\n' \"$line\" >> '" +
                                  record.string() + "'\n");
  chmod((bin / "xdg-open").c_str(), 0755);
  const std::string savedPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);
  char folder[4096];
  ASSERT_NE(getcwd(folder, sizeof folder), nullptr);
  EXPECT_TRUE(m_gui->OpenURL("https://example.com/a b"));
  EXPECT_TRUE(m_gui->OpenURL("docs/manual.pdf"));
  EXPECT_TRUE(m_gui->OpenURL("/data/Patches; rm -rf x"));
  EXPECT_TRUE(m_gui->OpenURL(""));  // nothing to open
  EXPECT_FALSE(m_gui->OpenURL("-http-option"));
  setenv("PATH", savedPath.c_str(), 1);
  // The openers run on their own; wait until all three wrote their line.
  std::string lines;
  for (int i = 0; i < 1000; ++i) {
    lines = readFile(record);
    if (std::count(lines.begin(), lines.end(), '\n') >= 3) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(lines.find("https://example.com/a b|\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find(std::string(folder) + "/docs/manual.pdf|\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("/data/Patches; rm -rf x|\n"), std::string::npos) << lines;
}

}  // namespace
