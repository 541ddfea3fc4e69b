// The host program runs the editor's bundle as a workstation would: opens
// and initialises it, renders, saves its state, shows its editor headless on
// either road, restores the state into a fresh instance and closes it; the
// host ends cleanly (a leak or a fault in the plug-in fails its exit code
// under the sanitizers).
#include <memory>
#include <string>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-png.h"
#include "tests/host/host_fixture.h"

namespace {

class EditorHostTest : public HostTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::vector<std::string> Environment() const {
    return {"VIVIVI_VIEW=headless", "VIVIVI_DATA_DIR=" + m_dir + "/data"};
  }
  void SetUp() override {
    HostTest::SetUp();
    mkdir((m_dir + "/data").c_str(), 0755);
  }
};

INSTANTIATE_TEST_SUITE_P(Roads, EditorHostTest, ::testing::Values("window", "view"));

TEST_P(EditorHostTest, TheHostOpensRendersSavesShowsAndClosesTheEditor) {
  const std::string state = m_dir + "/state.plist", png = m_dir + "/editor.png";
  const Result r = Run({"--fast", m_bundle, "version", "render", "20", "save-state", state, "open-editor",
                        GetParam(), "editor-png", png, "close-editor"},
                       Environment());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "loaded Harrow Creek Sound: VivivI Editor (aumu kzrn HcS1)");
  EXPECT_HAS(r.out, "version 0x00010105");
  EXPECT_HAS(r.out, "output silent");
  EXPECT_HAS(r.out, "state saved to " + state);
  EXPECT_HAS(r.out, "1500x667, headless");
  EXPECT_HAS(r.out, "wrote " + png);
  // The class-info dictionary names the component.
  const std::string saved = ReadFile(state);
  EXPECT_HAS(saved, "<integer>1803186798</integer>");  // kzrn
  EXPECT_HAS(saved, "<integer>1214468913</integer>");  // HcS1
  EXPECT_HAS(saved, "<key>data</key>");

  std::unique_ptr<PIX_IBitmap> shown(PIX_LoadPNG(png.c_str(), nullptr));
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->getWidth(), 1500);
  EXPECT_EQ(shown->getHeight(), 667);
  // Painted: the window is not one flat colour.
  const uint32_t first = shown->getBits()[0];
  bool varied = false;
  for (int y = 0; y < shown->getHeight() && !varied; ++y)
    for (int x = 0; x < shown->getWidth() && !varied; ++x)
      varied = shown->getBits()[y * shown->getRowSpan() + x] != first;
  EXPECT_TRUE(varied);
}

TEST_F(EditorHostTest, TheSettingsFileSizesTheWindowTheHostShows) {
  WriteFile(m_dir + "/data/VivivI Editor UI.txt", "normal\nsmall\nyes\n");
  const std::string png = m_dir + "/editor.png";
  const Result r = Run({"--fast", m_bundle, "open-editor", "view", "editor-png", png}, Environment());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "1125x500, headless");
  std::unique_ptr<PIX_IBitmap> shown(PIX_LoadPNG(png.c_str(), nullptr));
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->getWidth(), 1125);
  EXPECT_EQ(shown->getHeight(), 500);
}

TEST_F(EditorHostTest, ASavedStateIsRestoredIntoAFreshInstance) {
  const std::string state = m_dir + "/state.plist";
  const Result saved = Run({"--fast", m_bundle, "save-state", state}, Environment());
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  if (ReadFile(state).find("<data></data>") != std::string::npos)
    GTEST_SKIP() << "the editor writes no state chunk yet: nothing to restore";
  const Result r = Run({"--fast", m_bundle, "reopen", "restore-state", state, "render", "4"}, Environment());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "state restored from " + state);
}

TEST_F(EditorHostTest, TwoInstancesOneAfterTheOtherLeaveTheLogOfTheLast) {
  WriteFile(m_dir + "/data/VivivI Editor LOG.txt", "");
  const Result r = Run({"--fast", m_bundle, "render", "2", "reopen", "render", "2"}, Environment());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string log = ReadFile(m_dir + "/data/VivivI Editor LOG.txt");
  EXPECT_HAS(log, "INITIALIZATION STARTED!");
  EXPECT_HAS(log, "Plug-in is ready to load!");
  // The second instance emptied the log when it started.
  EXPECT_EQ(log.find("INITIALIZATION STARTED!"), log.rfind("INITIALIZATION STARTED!"));
}

}  // namespace
