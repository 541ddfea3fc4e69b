// The editor's images as the build draws them: every file of the editor's
// image table exists, decodes with our own PNG loader and splits exactly into
// its frames; strips change from frame to frame; buttons have a lit frame;
// a second run of the generator writes the same bytes.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-png.h"
#include "tests/support/spawn_vectors.h"

namespace {

// The image table of the editor, written down here on its own so that a file
// name or frame count the generator gets wrong fails. width and height are 0
// where the editor leaves the size open.
struct ImageRow {
  const char* file;
  int frames;
  int width, height;
};

const ImageRow kImageTable[] = {
    {"manager_bg_blank.png", 1, 0, 0},
    {"main-frame-bg.png", 1, 1500, 667},
    {"main-display.png", 1, 0, 0},
    {"layer-main.png", 1, 0, 0},
    {"browser-layer.png", 1, 0, 0},
    {"knob-varnox-normal-21.png", 21, 0, 0},
    {"knob-varnox-normal-97.png", 97, 0, 0},
    {"knob-varnox-normal-fc.png", 128, 0, 0},
    {"knob-varnox-normal.png", 128, 0, 0},
    {"btn-lib-discard-edit.png", 1, 0, 0},
    {"btn-cancel-request.png", 1, 0, 0},
    {"overlayer.png", 1, 1500, 667},
    {"btn-lock-white.png", 2, 0, 0},
    {"btn-lock-black.png", 2, 0, 0},
    {"button-pink.png", 2, 0, 0},
    {"button-red.png", 2, 0, 0},
    {"button-grey.png", 2, 0, 0},
    {"button-blue.png", 2, 0, 0},
    {"newNameBG.png", 1, 0, 0},
    {"slave-indicator.png", 1, 0, 0},
    {"master-indicator.png", 1, 0, 0},
    {"crossmod-src-1.png", 1, 0, 0},
    {"crossmod-src-2.png", 1, 0, 0},
    {"btn-18x18.png", 1, 18, 18},
    {"btn-127x18.png", 1, 127, 18},
    {"about-VivivI.png", 1, 0, 0},
    {"about-exit.png", 1, 0, 0},
    {"about-trigger.png", 1, 0, 0},
    {"first-run-VivivI.png", 1, 0, 0},
    {"first-run-exit.png", 1, 0, 0},
    {"advanced-midi-filters.png", 1, 0, 0},
    {"checkbox-button.png", 2, 0, 0},
    {"btn-search.png", 2, 0, 0},
    {"bg-librarian-search-field.png", 1, 0, 0},
    {"main-bg-black.png", 1, 1500, 667},
    {"singleledred.png", 2, 0, 0},
    {"tripleledred.png", 3, 0, 0},
    {"quadledred.png", 4, 0, 0},
    {"7ledred.png", 7, 0, 0},
    {"single-led-protector.png", 1, 0, 0},
    {"triple-led-protector.png", 1, 0, 0},
    {"quad-led-protector.png", 1, 0, 0},
    {"7-led-protector.png", 1, 0, 0},
    {"singleledgreen.png", 2, 0, 0},
    {"octoledred.png", 8, 0, 0},
    {"octo-led-protector.png", 1, 0, 0},
    {"envelopes-layer-bg.png", 1, 0, 0},
    {"arpeggiator-layer-bg.png", 1, 0, 0},
    {"tempo-knob-layer.png", 1, 0, 0},
    {"tempo-sync-layer.png", 1, 0, 0},
    {"btn-lib-display-categories.png", 2, 0, 0},
    {"categoryFilterBG.png", 1, 0, 0},
    {"btn-overwrite-slot.png", 1, 0, 0},
    {"global-settings.png", 1, 0, 0},
};

const std::string kImageDir = IMGGEN_IMAGE_DIR;

std::unique_ptr<PIX_IBitmap> Load(const std::string& dir, const char* file) {
  return std::unique_ptr<PIX_IBitmap>(PIX_LoadPNG((dir + "/" + file).c_str(), nullptr));
}

// True when frame a and frame b of a vertical strip differ in any pixel.
bool FramesDiffer(PIX_IBitmap* strip, int frames, int a, int b) {
  const int w = strip->getWidth(), h = strip->getHeight() / frames;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (PIX_GetPixel(strip, x, a * h + y) != PIX_GetPixel(strip, x, b * h + y)) return true;
  return false;
}

// Sum over a frame of each pixel's brightest channel weighted by its alpha.
double Light(PIX_IBitmap* strip, int frames, int frame) {
  const int w = strip->getWidth(), h = strip->getHeight() / frames;
  double sum = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const PIX_pixel p = PIX_GetPixel(strip, x, frame * h + y);
      sum += std::max({PIX_Red(p), PIX_Green(p), PIX_Blue(p)}) * PIX_Alpha(p) / 255.0;
    }
  return sum;
}

// Pixels of a frame in the accent colour of value arcs (amber).
int AccentPixels(PIX_IBitmap* strip, int frames, int frame) {
  const int w = strip->getWidth(), h = strip->getHeight() / frames;
  int count = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const PIX_pixel p = PIX_GetPixel(strip, x, frame * h + y);
      if (PIX_Alpha(p) > 128 && PIX_Red(p) > 200 && PIX_Green(p) > 120 && PIX_Green(p) < 210 &&
          PIX_Blue(p) < 80)
        ++count;
    }
  return count;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the program with the arguments; its exit status, or -1.
int RunGenerator(const std::vector<std::string>& arguments) {
  SpawnVectors vectors(IMGGEN_PROGRAM, arguments, {});
  pid_t child = 0;
  if (posix_spawn(&child, IMGGEN_PROGRAM, nullptr, nullptr, vectors.argv(), vectors.envp()) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

void PrintTo(const ImageRow& row, std::ostream* out) { *out << row.file << " (" << row.frames << " frames)"; }

std::vector<ImageRow> Strips() {
  std::vector<ImageRow> strips;
  for (const ImageRow& row : kImageTable)
    if (row.frames > 1) strips.push_back(row);
  return strips;
}

class TableImage : public ::testing::TestWithParam<ImageRow> {};
class Strip : public ::testing::TestWithParam<ImageRow> {};

TEST_P(TableImage, DecodesAndSplitsIntoItsFrames) {
  const ImageRow& row = GetParam();
  std::unique_ptr<PIX_IBitmap> bm = Load(kImageDir, row.file);
  ASSERT_NE(bm, nullptr) << row.file << " is missing or does not decode";
  EXPECT_GT(bm->getWidth(), 0);
  ASSERT_GE(bm->getHeight(), row.frames);
  EXPECT_EQ(bm->getHeight() % row.frames, 0) << bm->getHeight() << " rows in " << row.frames << " frames";
  if (row.width) {
    EXPECT_EQ(bm->getWidth(), row.width);
  }
  if (row.height) {
    EXPECT_EQ(bm->getHeight(), row.height);
  }
}

TEST_P(Strip, EveryFrameDiffersFromTheNext) {
  const ImageRow& row = GetParam();
  std::unique_ptr<PIX_IBitmap> bm = Load(kImageDir, row.file);
  ASSERT_NE(bm, nullptr);
  EXPECT_TRUE(FramesDiffer(bm.get(), row.frames, 0, row.frames - 1)) << "first and last frame";
  for (int k = 0; k + 1 < row.frames; ++k)
    EXPECT_TRUE(FramesDiffer(bm.get(), row.frames, k, k + 1)) << "frames " << k << " and " << k + 1;
}

std::string RowName(const ::testing::TestParamInfo<ImageRow>& info) {
  std::string name = info.param.file;
  for (char& ch : name)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(EditorImages, TableImage, ::testing::ValuesIn(kImageTable), RowName);
INSTANTIATE_TEST_SUITE_P(EditorImages, Strip, ::testing::ValuesIn(Strips()), RowName);

TEST(EditorImages, FolderHoldsTheTableAndNothingElse) {
  size_t pngs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kImageDir))
    if (entry.path().extension() == ".png") ++pngs;
  EXPECT_EQ(pngs, sizeof(kImageTable) / sizeof(kImageTable[0]));
}

// The second frame of a two-frame button is its lit state: clearly brighter.
TEST(EditorImages, ButtonsLightUpInTheirSecondFrame) {
  const char* buttons[] = {"button-pink.png",    "button-red.png",     "button-grey.png",
                           "button-blue.png",    "btn-lock-white.png", "singleledred.png",
                           "singleledgreen.png", "btn-search.png",     "btn-lib-display-categories.png"};
  for (const char* file : buttons) {
    std::unique_ptr<PIX_IBitmap> bm = Load(kImageDir, file);
    ASSERT_NE(bm, nullptr) << file;
    EXPECT_GT(Light(bm.get(), 2, 1), Light(bm.get(), 2, 0) * 1.1) << file;
  }
}

// A unipolar knob shows no value arc at its first frame and a growing one
// after; a bipolar one (tune, amounts, semitones) shows none at its centre
// frame (64 of 128, 48 of 97) and arcs growing towards both ends.
TEST(EditorImages, KnobArcsFollowTheValue) {
  const struct {
    const char* file;
    int frames;
    bool bipolar;
  } knobs[] = {{"knob-varnox-normal-21.png", 21, false},
               {"knob-varnox-normal-fc.png", 128, false},
               {"knob-varnox-normal-97.png", 97, true},
               {"knob-varnox-normal.png", 128, true}};
  for (const auto& knob : knobs) {
    std::unique_ptr<PIX_IBitmap> bm = Load(kImageDir, knob.file);
    ASSERT_NE(bm, nullptr) << knob.file;
    const int last = knob.frames - 1, zero = knob.bipolar ? knob.frames / 2 : 0;
    EXPECT_EQ(AccentPixels(bm.get(), knob.frames, zero), 0) << knob.file << " frame " << zero;
    EXPECT_GT(AccentPixels(bm.get(), knob.frames, last), 0) << knob.file;
    for (int k = zero + 1; k < last; ++k)
      EXPECT_LE(AccentPixels(bm.get(), knob.frames, k), AccentPixels(bm.get(), knob.frames, k + 1) + 2)
          << knob.file << " frame " << k;
    if (knob.bipolar) {
      EXPECT_GT(AccentPixels(bm.get(), knob.frames, 0), 0) << knob.file;
      EXPECT_GT(AccentPixels(bm.get(), knob.frames, zero - 1), 0) << knob.file;
      EXPECT_GT(AccentPixels(bm.get(), knob.frames, zero + 1), 0) << knob.file;
    }
  }
}

TEST(EditorImages, SecondRunWritesTheSameBytes) {
  const std::string dir = testing::TempDir() + "imggen-second-run-" + std::to_string(getpid());
  ASSERT_EQ(RunGenerator({"--out", dir}), 0);
  for (const ImageRow& row : kImageTable) {
    const std::string first = FileBytes(kImageDir + "/" + row.file);
    ASSERT_FALSE(first.empty()) << row.file;
    EXPECT_TRUE(first == FileBytes(dir + "/" + row.file)) << row.file << " differs between runs";
  }
  std::filesystem::remove_all(dir);
}

TEST(EditorImages, GeneratorRefusesBadUsage) {
  EXPECT_EQ(RunGenerator({}), 2);
  EXPECT_EQ(RunGenerator({"--frobnicate"}), 2);
}

}  // namespace
