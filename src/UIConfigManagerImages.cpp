// IMAGE TABLE: every bitmap of the editor window by identifier. The bitmaps
// live in the GUI framework's shared cache (keyed by resource id and scale);
// the table keeps only each identifier's id, frame count and direction.
#include "KIT/IModule/IGraphics.h"
#include "src/UIConfigManager.h"

namespace {

struct ImageRow {
  const char* identifier;
  int resourceId;
  const char* file;
  int frames;
  bool framesSideBySide;
};

// In loading order. Multi-frame images are stacked strips; the two 127
// knobs have 128 frames.
const ImageRow kImages[] = {
    {"MANAGER_BG_ID2", 117, "resources/img/manager_bg_blank.png", 1, true},
    {"BG_ID_PLAIN", 102, "resources/img/main-frame-bg.png", 1, true},
    {"BG_ID_DISPLAY", 104, "resources/img/main-display.png", 1, true},
    {"BG_ID_EDIT", 105, "resources/img/layer-main.png", 1, true},
    {"BG_ID_BROWSER", 106, "resources/img/browser-layer.png", 1, true},
    {"KNOB_ID21", 120, "resources/img/knob-varnox-normal-21.png", 21, false},
    {"KNOB_ID97", 121, "resources/img/knob-varnox-normal-97.png", 97, false},
    {"KNOB_ID127_FC", 122, "resources/img/knob-varnox-normal-fc.png", 128, false},
    {"KNOB_ID127", 123, "resources/img/knob-varnox-normal.png", 128, false},
    {"BUTTON_LIB_DISCARD_ID", 204, "resources/img/btn-lib-discard-edit.png", 1, true},
    {"BUTTON_LIB_CANCEL_ID", 205, "resources/img/btn-cancel-request.png", 1, true},
    {"PROGRESS_INDICATOR_ID", 118, "resources/img/overlayer.png", 1, true},
    {"BUTTON_LOCK_WHITE_ID", 200, "resources/img/btn-lock-white.png", 2, false},
    {"BUTTON_LOCK_BLACK_ID", 199, "resources/img/btn-lock-black.png", 2, false},
    {"BUTTON_PINK_ID", 300, "resources/img/button-pink.png", 2, false},
    {"BUTTON_RED_ID", 301, "resources/img/button-red.png", 2, false},
    {"BUTTON_GREY_ID", 302, "resources/img/button-grey.png", 2, false},
    {"BUTTON_BLUE_ID", 303, "resources/img/button-blue.png", 2, false},
    {"BG_RENAME_ID", 326, "resources/img/newNameBG.png", 1, true},
    {"BG_SLAVE_ID", 111, "resources/img/slave-indicator.png", 1, true},
    {"BG_MASTER_ID", 112, "resources/img/master-indicator.png", 1, true},
    {"BG_XMOD_SOURCE_1_ID", 113, "resources/img/crossmod-src-1.png", 1, true},
    {"BG_XMOD_SOURCE_2_ID", 114, "resources/img/crossmod-src-2.png", 1, true},
    {"BTN_18x18_ID", 332, "resources/img/btn-18x18.png", 1, true},
    {"BTN_127x18_ID", 258, "resources/img/btn-127x18.png", 1, true},
    {"BG_ABOUT_ID", 400, "resources/img/about-VivivI.png", 1, true},
    {"BTN_EXIT_ABOUT_ID", 401, "resources/img/about-exit.png", 1, true},
    {"BTN_SEE_ABOUT_ID", 402, "resources/img/about-trigger.png", 1, true},
    {"BG_FIRST_RUN_ID", 403, "resources/img/first-run-VivivI.png", 1, true},
    {"BTN_EXIT_FIRST_RUN_ID", 404, "resources/img/first-run-exit.png", 1, true},
    {"BG_ID_MIDI_FILTERS", 418, "resources/img/advanced-midi-filters.png", 1, true},
    {"BTN_CHECKBOX_ID", 419, "resources/img/checkbox-button.png", 2, false},
    {"BUTTON_BANK_SEARCH_ID", 999, "resources/img/btn-search.png", 2, false},
    {"BG_SEARCH_FIELD_ID", 998, "resources/img/bg-librarian-search-field.png", 1, true},
    {"BG_ID_MAIN", 500, "resources/img/main-bg-black.png", 1, true},
    {"LED_SINGLE_ID", 129, "resources/img/singleledred.png", 2, false},
    {"LED_TRIPLE_ID", 130, "resources/img/tripleledred.png", 3, false},
    {"LED_QUAD_ID", 131, "resources/img/quadledred.png", 4, false},
    {"LED_7_ID", 132, "resources/img/7ledred.png", 7, false},
    {"LED_SINGLE_PROT_ID", 133, "resources/img/single-led-protector.png", 1, true},
    {"LED_TRIPLE_PROT_ID", 134, "resources/img/triple-led-protector.png", 1, true},
    {"LED_QUAD_PROT_ID", 135, "resources/img/quad-led-protector.png", 1, true},
    {"LED_7_PROT_ID", 139, "resources/img/7-led-protector.png", 1, true},
    {"LED_SINGLE_G_ID", 136, "resources/img/singleledgreen.png", 2, false},
    {"LED_OCTO_ID", 137, "resources/img/octoledred.png", 8, false},
    {"LED_OCTO_PROT_ID", 138, "resources/img/octo-led-protector.png", 1, true},
    {"BG_ID_ENVELOPES", 103, "resources/img/envelopes-layer-bg.png", 1, true},
    {"BG_ID_ARPEGGIATOR", 107, "resources/img/arpeggiator-layer-bg.png", 1, true},
    {"BG_ARP_KNOB_ID", 115, "resources/img/tempo-knob-layer.png", 1, true},
    {"BG_ARP_SYNC_ID", 116, "resources/img/tempo-sync-layer.png", 1, true},
    {"BTN_OFFON_ID", 316, "resources/img/btn-lib-display-categories.png", 2, false},
    {"BG_ID_CATEGORY_FILTER", 317, "resources/img/categoryFilterBG.png", 1, true},
    {"BUTTON_BANK_OVERWRITE_ID", 996, "resources/img/btn-overwrite-slot.png", 1, true},
    {"BG_ID_GLOBAL_SETTINGS", 420, "resources/img/global-settings.png", 1, true},
};

}  // namespace

void UIConfigManager::initImages(IGraphics* graphics) {
  log("CONFIG READER: Started to read image resources...");
  for (const ImageRow& row : kImages)
    preloadImage(graphics, row.resourceId, row.identifier, row.file, row.frames, row.framesSideBySide);
  log("CONFIG READER: Completed!");
}

void UIConfigManager::preloadImage(IGraphics* graphics, int resourceId, const char* identifier,
                                   const char* file, int frames, bool framesSideBySide) {
  if (!graphics || !identifier) return;
  // The loader always stacks the frames; the table's direction applies at
  // lookup.
  IBitmap bitmap = graphics->LoadIBitmap(resourceId, file, scale, frames, false);
  if (clearingImageCache) {
    graphics->ReleaseBitmap(&bitmap);
    return;
  }
  ImageInfo& info = imageTable[identifier];
  info.resourceId = resourceId;
  info.frames = frames;
  info.framesSideBySide = framesSideBySide;
}

void UIConfigManager::ClearImageCache() {
  clearingImageCache = true;
  initImages(gui);
  clearingImageCache = false;
}

IBitmap UIConfigManager::getImageByName(IGraphics* graphics, std::string identifier) {
  const auto found = imageTable.find(identifier);
  if (found == imageTable.end() || !graphics) {
    if (found == imageTable.end()) log("CONFIG READER: Image " + identifier + " MISSING!");
    return IBitmap(nullptr, 0, 0, 1, false);
  }
  return graphics->getImageById(found->second.resourceId, found->second.frames,
                                found->second.framesSideBySide);
}
