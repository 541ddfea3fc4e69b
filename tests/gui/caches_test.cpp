// The bitmap and font caches: one image per id and scale shared by every
// GUI, releases that respect other windows, missing images, and fonts
// shared by text styles that differ only in what is not their key.
#include <memory>
#include <thread>

#include "KIT/IModule/IGraphicsCaches.h"
#include "KIT/IModule/IKnobControls.h"
#include "tests/gui/gui_fixture.h"

// Two GUIs of two plug-in instances. Each test takes ids never used before
// in the process, so the process-wide cache holds nothing of them from
// other tests or earlier runs.
class CacheTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    other = new HeadlessGraphics(&otherPlug, 160, 100);
    otherPlug.AttachGraphics(other);
  }
  static int NewId() {
    static int next = 100000;
    return next++;
  }
  GuiTestPlug otherPlug;
  HeadlessGraphics* other = nullptr;
};

TEST_F(CacheTest, EachScaleGetsItsOwnImageAndEachGuiFindsItsOwn) {
  const int id = NewId();
  IBitmap full = gui->LoadIBitmap(id, "odd.png", 1.0);
  IBitmap half = other->LoadIBitmap(id, "odd.png", 0.5);
  ASSERT_NE(full.mData, nullptr);
  ASSERT_NE(half.mData, nullptr);
  EXPECT_NE(full.mData, half.mData);
  EXPECT_EQ(full.W, 101) << "scale 1.0 keeps the image's size";
  EXPECT_EQ(half.W, 50) << "101 x 0.5, truncated";
  EXPECT_EQ(half.H, 5);
  EXPECT_EQ(gui->getImageById(id, 1, false).mData, full.mData);
  EXPECT_EQ(other->getImageById(id, 1, false).mData, half.mData);
}

// Every pixel of the cached image against the image as loaded, row 0 of the
// cached one matching row sourceRow(0) of the loaded one.
static bool SamePixels(PIX_IBitmap* cached, PIX_IBitmap* loaded, bool upsideDown) {
  if (!cached || !loaded || cached->getWidth() != loaded->getWidth() ||
      cached->getHeight() != loaded->getHeight())
    return false;
  const int h = loaded->getHeight();
  for (int y = 0; y < h; ++y) {
    const PIX_pixel* a = cached->getBits() + static_cast<ptrdiff_t>(y) * cached->getRowSpan();
    const PIX_pixel* b =
        loaded->getBits() + static_cast<ptrdiff_t>(upsideDown ? h - 1 - y : y) * loaded->getRowSpan();
    for (int x = 0; x < loaded->getWidth(); ++x)
      if (a[x] != b[x]) return false;
  }
  return true;
}

// At scale 1.0 the cache keeps the decoded image itself: the same pixels,
// top-down, loaded once.
TEST_F(CacheTest, AtItsOwnSizeTheImageKeepsItsPixels) {
  for (const char* name : {"knob.png", "wide.png", "odd.png"}) {
    const int id = NewId();
    IBitmap cached = gui->LoadIBitmap(id, name, 1.0);
    std::unique_ptr<PIX_IBitmap> loaded(MakeTestImage(name));
    EXPECT_TRUE(SamePixels(cached.mData, loaded.get(), false)) << name;
    EXPECT_FALSE(cached.mData->isFlipped()) << name;
  }
}

// A loader that hands out bottom-up bitmaps (rows stored last first).
class BottomUpBitmap : public PIX_MemBitmap {
 public:
  using PIX_MemBitmap::PIX_MemBitmap;
  bool isFlipped() override { return true; }
};
class BottomUpGraphics : public HeadlessGraphics {
 public:
  using HeadlessGraphics::HeadlessGraphics;
  PIX_IBitmap* OSLoadBitmap(int, const char*) override {
    auto* bm = new BottomUpBitmap(7, 5, 4);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) bm->getBits()[y * bm->getRowSpan() + x] = PIX_MakePixel(x, y, 9, 255);
    return bm;
  }
};

TEST_F(CacheTest, ABottomUpImageIsCopiedTopDownAtItsOwnSize) {
  GuiTestPlug plug;
  auto* bottomUp = new BottomUpGraphics(&plug, 50, 50);
  plug.AttachGraphics(bottomUp);
  std::unique_ptr<PIX_IBitmap> loaded(bottomUp->OSLoadBitmap(0, ""));
  IBitmap cached = bottomUp->LoadIBitmap(NewId(), "bottom-up.png", 1.0);
  EXPECT_FALSE(cached.mData->isFlipped());
  EXPECT_TRUE(SamePixels(cached.mData, loaded.get(), true)) << "the memory's last row is the image's first";
}

TEST_F(CacheTest, AnImageIsLoadedOncePerIdAndScale) {
  const int id = NewId();
  const int before = TheBitmapStorage().Count();
  IBitmap first = gui->LoadIBitmap(id, "knob.png", 1.0, 32);
  IBitmap again = gui->LoadIBitmap(id, "other name is not looked at", 1.0, 2, true);
  IBitmap shared = other->LoadIBitmap(id, "knob.png", 1.0, 32);
  EXPECT_EQ(again.mData, first.mData);
  EXPECT_EQ(shared.mData, first.mData);
  EXPECT_EQ(again.N, 2) << "the frame layout is the caller's";
  EXPECT_TRUE(again.mFramesAreHorizontal);
  EXPECT_EQ(gui->loads["knob.png"] + other->loads["knob.png"], 1);
  EXPECT_EQ(TheBitmapStorage().Count(), before + 1);
}

TEST_F(CacheTest, AReleasedImageIsLoadedAgain) {
  const int id = NewId();
  IBitmap first = gui->LoadIBitmap(id, "switch.png", 1.0, 2);
  gui->ReleaseBitmap(&first);
  IBitmap second = gui->LoadIBitmap(id, "switch.png", 1.0, 2);
  EXPECT_EQ(gui->loads["switch.png"], 2);
  EXPECT_EQ(second.W, 30);
}

TEST_F(CacheTest, AnImageAnotherWindowShowsSurvivesARelease) {
  const int id = NewId();
  const int before = TheBitmapStorage().Count();
  IBitmap mine = gui->LoadIBitmap(id, "tall.png", 1.0, 4);
  IBitmap theirs = other->LoadIBitmap(id, "tall.png", 1.0, 4);
  ASSERT_EQ(mine.mData, theirs.mData);
  gui->ReleaseBitmap(&mine);
  EXPECT_EQ(TheBitmapStorage().Count(), before + 1);
  EXPECT_EQ(PIX_Red(PIX_GetPixel(theirs.mData, 0, 30)), 80) << "still readable";
  other->ReleaseBitmap(&theirs);
  EXPECT_EQ(TheBitmapStorage().Count(), before);
}

TEST_F(CacheTest, ReleasingWhatTheCacheDoesNotHoldLeavesItAlone) {
  PIX_MemBitmap own(4, 4, 4);
  IBitmap foreign(&own, 4, 4);
  gui->ReleaseBitmap(&foreign);
  IBitmap none;
  gui->ReleaseBitmap(&none);
  gui->ReleaseBitmap(nullptr);

  // A retained bitmap belongs to the cache, which deletes it on release.
  auto* retained = new PIX_MemBitmap(2, 2, 4);
  IBitmap wrapped(retained, 2, 2);
  const int before = TheBitmapStorage().Count();
  gui->RetainBitmap(&wrapped);
  EXPECT_EQ(TheBitmapStorage().Count(), before + 1);
  gui->ReleaseBitmap(&wrapped);
  EXPECT_EQ(TheBitmapStorage().Count(), before);
}

TEST_F(CacheTest, TwoThreadsLoadingOneNewImageCacheItOnce) {
  const int id = NewId();
  const int before = TheBitmapStorage().Count();
  IBitmap a, b;
  std::thread first([&] { a = gui->LoadIBitmap(id, "background.png", 1.0); });
  std::thread second([&] { b = other->LoadIBitmap(id, "background.png", 1.0); });
  first.join();
  second.join();
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(TheBitmapStorage().Count(), before + 1);
}

TEST_F(CacheTest, AMissingImageIsReportedAndGivesAnEmptyControl) {
  const int imageId = NewId();
  const int backgroundId = NewId();
  const int unloadedId = NewId();
  ErrorLines errors;
  IBitmap missing = gui->LoadIBitmap(imageId, "no-such-image.png", 1.0, 32);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.W, 0);
  EXPECT_EQ(missing.N, 32);
  std::vector<std::string> lines = errors.Take();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("no-such-image.png"), std::string::npos) << lines[0];

  auto* knob = Attach(new IKnobMultiControl(&plug, 30, 40, GuiTestPlug::kFirstPlain, &missing));
  EXPECT_EQ(knob->GetRECT(), IRECT(30, 40, 30, 40));
  gui->AttachBackground(backgroundId, "missing-background.png", 1.0);
  DrawAll();  // draws nothing of theirs, and does not fail
  EXPECT_EQ(gui->GetMouseControlIdx(30, 40), nullptr);
  IMouseMod left(true);
  gui->OnMouseDown(30, 40, &left);
  gui->OnMouseDrag(30, 10, &left);
  EXPECT_EQ(knob->GetValue(), 0.0);

  EXPECT_EQ(gui->getImageById(unloadedId, 1, false).mData, nullptr);
  lines = errors.Take();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[1].find(std::to_string(unloadedId)), std::string::npos) << lines[1];
}

TEST(FontCache, StylesThatDifferOnlyOutsideTheKeyShareAFont) {
  GuiTestPlug plug;
  IGraphics gui(&plug, 10, 10);
  IText a(13, &COLOR_RED, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear, 0, IText::kQualityDefault);
  IText b(13, &COLOR_BLUE, "DejaVu Sans", IText::kStyleNormal, IText::kAlignFar, 0,
          IText::kQualityAntiAliased);
  IText bold(13, &COLOR_RED, "DejaVu Sans", IText::kStyleBold);
  IText bigger(14, &COLOR_RED, "DejaVu Sans");
  IText otherCase(13, &COLOR_RED, "dejavu sans");
  PIX_IFont* shared = gui.CacheFont(&a);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(a.mCached, shared);
  EXPECT_EQ(gui.CacheFont(&b), shared);
  EXPECT_NE(gui.CacheFont(&bold), shared);
  EXPECT_NE(gui.CacheFont(&bigger), shared);
  EXPECT_NE(gui.CacheFont(&otherCase), shared) << "face names are compared exactly";
}

TEST(FontCache, TheLineHeightFollowsTheAskedSize) {
  GuiTestPlug plug;
  IGraphics gui(&plug, 10, 10);
  for (int size : {0, 1, 9, 12, 20}) {
    IText style(size, nullptr, "DejaVu Sans");
    PIX_IFont* font = gui.CacheFont(&style);
    ASSERT_NE(font, nullptr) << "size " << size;
    if (size >= 9) {
      EXPECT_NEAR(font->GetLineHeight(), size, 1) << "size " << size;
    }
  }
}
