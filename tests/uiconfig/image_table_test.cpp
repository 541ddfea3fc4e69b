// The image table: loading at the GUI scale through the shared cache,
// lookups by identifier, and clearing.
#include "KIT/IModule/IGraphicsCaches.h"
#include "tests/uiconfig/uiconfig_fixture.h"

namespace {

class ImageTable : public UIConfigTest {};

// Rows of the editor's image table (identifier, file, frames, side by side).
const struct {
  const char* identifier;
  const char* file;
  int frames;
  bool sideBySide;
} kRows[] = {
    {"KNOB_ID127", "knob-varnox-normal.png", 128, false},
    {"KNOB_ID127_FC", "knob-varnox-normal-fc.png", 128, false},
    {"KNOB_ID21", "knob-varnox-normal-21.png", 21, false},
    {"LED_7_ID", "7ledred.png", 7, false},
    {"BUTTON_LOCK_BLACK_ID", "btn-lock-black.png", 2, false},
    {"BG_ID_PLAIN", "main-frame-bg.png", 1, true},
    {"BUTTON_BANK_OVERWRITE_ID", "btn-overwrite-slot.png", 1, true},
    {"BG_ID_GLOBAL_SETTINGS", "global-settings.png", 1, true},
};

TEST_F(ImageTable, ImagesAreLoadedAtTheScaleAndLookedUpWithTheirFrames) {
  for (double scale : {0.75, 1.0, 1.25}) {
    SCOPED_TRACE(scale);
    // One GUI per scale in one process: the shared cache keeps each scale.
    gui = std::make_unique<DescriptionGraphics>(editor.get());
    manager = std::make_unique<RecordingManager>();
    read(scale);
    EXPECT_EQ(54u, manager->imageTable.size());
    for (const auto& row : kRows) {
      SCOPED_TRACE(row.identifier);
      const ImageSize size = imageSizeOf(row.file);
      const IBitmap image = manager->getImageByName(gui.get(), row.identifier);
      ASSERT_NE(nullptr, image.mData);
      const int height = static_cast<int>(size.frameHeight * size.frames * scale);
      EXPECT_EQ(static_cast<int>(size.width * scale), image.W);
      EXPECT_EQ(height, image.H);
      EXPECT_EQ(row.frames, image.N);
      EXPECT_EQ(row.sideBySide, image.mFramesAreHorizontal);
      EXPECT_EQ(row.frames > 1 ? height / row.frames : height, image.FrameHeight());
    }
  }
}

TEST_F(ImageTable, EveryRowHasItsOwnResourceId) {
  read();
  std::map<int, std::string> ids;
  for (const auto& entry : manager->imageTable) {
    EXPECT_TRUE(ids.emplace(entry.second.resourceId, entry.first).second)
        << entry.first << " shares " << entry.second.resourceId;
  }
  EXPECT_EQ(123, manager->imageTable["KNOB_ID127"].resourceId);
  EXPECT_EQ(996, manager->imageTable["BUTTON_BANK_OVERWRITE_ID"].resourceId);
}

TEST_F(ImageTable, AnUnknownIdentifierGivesAnEmptyBitmapAndTheMissingLine) {
  read();
  for (const char* identifier : {"knob_id127", "", "NO_SUCH_ID"}) {
    const IBitmap image = manager->getImageByName(gui.get(), identifier);
    EXPECT_EQ(nullptr, image.mData) << identifier;
    EXPECT_EQ(0, image.W);
    EXPECT_EQ(0, image.H);
    EXPECT_EQ(1, image.N);
    EXPECT_FALSE(image.mFramesAreHorizontal);
  }
  EXPECT_TRUE(logged("CONFIG READER: Image knob_id127 MISSING!"));
  EXPECT_TRUE(logged("CONFIG READER: Image NO_SUCH_ID MISSING!"));
}

TEST_F(ImageTable, ClearingReleasesTheBitmapsAndKeepsTheIdentifiers) {
  // A scale of its own: no other GUI of the process holds these bitmaps.
  read(0.5);
  const int cached = TheBitmapStorage().Count();
  const IBitmap before = manager->getImageByName(gui.get(), "LED_OCTO_ID");
  ASSERT_NE(nullptr, before.mData);
  manager->ClearImageCache();
  EXPECT_EQ(cached - 54, TheBitmapStorage().Count());
  EXPECT_EQ(54u, manager->imageTable.size());
  // Loading the table again brings them back at the same size.
  manager->initImages(gui.get());
  EXPECT_EQ(cached, TheBitmapStorage().Count());
  const IBitmap after = manager->getImageByName(gui.get(), "LED_OCTO_ID");
  ASSERT_NE(nullptr, after.mData);
  EXPECT_EQ(before.H, after.H);
}

}  // namespace
