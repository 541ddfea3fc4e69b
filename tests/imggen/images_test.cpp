// The editor's images as the build draws them: every file of the editor's
// image table exists, decodes with our own PNG loader and splits exactly into
// its frames; strips change from frame to frame; buttons have a lit frame;
// a second run of the generator writes the same bytes.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
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

// FNV-1a over the size and every pixel word, row by row: a digest that no
// change of the files' encoding may move, only a change of the drawing.
uint64_t PixelDigest(PIX_IBitmap* image) {
  uint64_t digest = 1469598103934665603ull;
  const auto add = [&digest](uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8)
      digest = (digest ^ ((word >> shift) & 0xFF)) * 1099511628211ull;
  };
  add(static_cast<uint32_t>(image->getWidth()));
  add(static_cast<uint32_t>(image->getHeight()));
  for (int y = 0; y < image->getHeight(); ++y)
    for (int x = 0; x < image->getWidth(); ++x) add(PIX_GetPixel(image, x, y));
  return digest;
}

// The pixels each image decodes to, recorded from the generator's output.
// When the drawing changes on purpose, look at the images first, then run
// the test with IMGGEN_PRINT_DIGESTS=1 and paste the rows it prints.
const struct {
  const char* file;
  uint64_t digest;
} kPixelDigests[] = {
    {"manager_bg_blank.png", 0x1acee279687bec54ull},
    {"main-frame-bg.png", 0x67fb61d2b5ee6247ull},
    {"main-display.png", 0xf03d693f38b36b78ull},
    {"layer-main.png", 0x41770e622d22bdc8ull},
    {"browser-layer.png", 0x6803659da501f573ull},
    {"knob-varnox-normal-21.png", 0xfe432bde92cbd201ull},
    {"knob-varnox-normal-97.png", 0x43c8e6357cdd9b21ull},
    {"knob-varnox-normal-fc.png", 0xeaca0cd9c6cf3029ull},
    {"knob-varnox-normal.png", 0xb39afe61e9f7879eull},
    {"btn-lib-discard-edit.png", 0x218e58051bac1304ull},
    {"btn-cancel-request.png", 0xfa506e3d54d96136ull},
    {"overlayer.png", 0x038790e97db61aa9ull},
    {"btn-lock-white.png", 0x49f016870324ffbdull},
    {"btn-lock-black.png", 0xe8c63dd998e31acdull},
    {"button-pink.png", 0xb6522cc7b51ffdefull},
    {"button-red.png", 0xf24d0338e8f56a27ull},
    {"button-grey.png", 0xc026d0b71e0d104full},
    {"button-blue.png", 0x26079de8c0cda3a3ull},
    {"newNameBG.png", 0x7f7d80f882fe3458ull},
    {"slave-indicator.png", 0x3d435abae524eb51ull},
    {"master-indicator.png", 0x35cac99d70d33002ull},
    {"crossmod-src-1.png", 0x4de7b766fd7eb3a4ull},
    {"crossmod-src-2.png", 0x55a69f291e628de0ull},
    {"btn-18x18.png", 0x007a2e10333da88bull},
    {"btn-127x18.png", 0x36bd9b524f45e719ull},
    {"about-VivivI.png", 0x5f95e204785cde69ull},
    {"about-exit.png", 0x44576300ffff7b28ull},
    {"about-trigger.png", 0x232711525c29148aull},
    {"first-run-VivivI.png", 0x0530d408adeb9c24ull},
    {"first-run-exit.png", 0x8648b042c24ebe42ull},
    {"advanced-midi-filters.png", 0x101a82d9d64f24e3ull},
    {"checkbox-button.png", 0x7c0fbaf6357f0f41ull},
    {"btn-search.png", 0x5f4cd31f38614951ull},
    {"bg-librarian-search-field.png", 0xf410f383cfbbb420ull},
    {"main-bg-black.png", 0x55004e3a692901c9ull},
    {"singleledred.png", 0x3f1395c3c520f04dull},
    {"tripleledred.png", 0x1100020f07d898cbull},
    {"quadledred.png", 0x684cadb125725450ull},
    {"7ledred.png", 0x182c1cfa2d5dd5eaull},
    {"single-led-protector.png", 0x1d74304d8d9c3b13ull},
    {"triple-led-protector.png", 0xad3111f4751d87c3ull},
    {"quad-led-protector.png", 0xbbd6874dcd6acaebull},
    {"7-led-protector.png", 0x8401d45a765c3d63ull},
    {"singleledgreen.png", 0x2d652a3c177a1748ull},
    {"octoledred.png", 0x59d96448e709052full},
    {"octo-led-protector.png", 0x34f27c69ab21d00bull},
    {"envelopes-layer-bg.png", 0x5615897938b81e75ull},
    {"arpeggiator-layer-bg.png", 0x497d15fe8bcc502cull},
    {"tempo-knob-layer.png", 0x5022920a4d1e9336ull},
    {"tempo-sync-layer.png", 0x66e8a29e75cad993ull},
    {"btn-lib-display-categories.png", 0xcef64a058a485d69ull},
    {"categoryFilterBG.png", 0x13ce9958b35b04a3ull},
    {"btn-overwrite-slot.png", 0xaa7a2f919ae31f5aull},
    {"global-settings.png", 0x3a77d071e596f965ull},
};

TEST(EditorImages, PixelsMatchTheRecordedDigests) {
  const bool print = getenv("IMGGEN_PRINT_DIGESTS") != nullptr;
  for (const ImageRow& row : kImageTable) {
    std::unique_ptr<PIX_IBitmap> image = Load(kImageDir, row.file);
    ASSERT_TRUE(image) << row.file;
    const uint64_t digest = PixelDigest(image.get());
    if (print) printf("    {\"%s\", 0x%016llxull},\n", row.file, static_cast<unsigned long long>(digest));
    bool recorded = false;
    for (const auto& known : kPixelDigests) {
      if (std::string(known.file) != row.file) continue;
      recorded = true;
      EXPECT_EQ(digest, known.digest)
          << row.file << ": its pixels changed (IMGGEN_PRINT_DIGESTS=1 prints new rows)";
    }
    EXPECT_TRUE(recorded) << row.file << " has no recorded digest (IMGGEN_PRINT_DIGESTS=1 prints it)";
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
