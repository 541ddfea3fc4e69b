// The host program shows the real editor on the test display (Xvfb in the
// test runs) on both roads, keeps it running, and closes it cleanly.
#include <cstdlib>
#include <string>

#include "tests/host/host_fixture.h"

// clang-format off
// After every other header: Xlib's macros clash with their names.
#include <X11/Xlib.h>
// clang-format on

namespace {

class EditorDisplayTest : public HostTest, public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Roads, EditorDisplayTest, ::testing::Values("window", "view"));

TEST_P(EditorDisplayTest, TheEditorRunsInAnXWindowAndClosesCleanly) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) GTEST_SKIP() << "no X display";
  XCloseDisplay(display);
  mkdir((m_dir + "/data").c_str(), 0755);
  const std::string png = m_dir + "/editor.png";
  const Result r = Run({"--fast", m_bundle, "open-editor", GetParam(), "run-editor", "0.3", "editor-png", png,
                        "close-editor", "render", "2"},
                       {"VIVIVI_DATA_DIR=" + m_dir + "/data"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_HAS(r.out, "1500x667, on the display");
  EXPECT_HAS(r.out, "wrote " + png);
}

}  // namespace
