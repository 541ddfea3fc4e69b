#include "tools/imggen/image-table.h"

#include "KIT/pix/pix-blit.h"
#include "tools/imggen/pages.h"
#include "tools/imggen/widgets.h"

namespace imggen {

namespace {

void knobSmall(Canvas& c, int k, int n) { drawKnob(c, 36, k, n, false); }
void knobSmallBipolar(Canvas& c, int k, int n) { drawKnob(c, 36, k, n, true); }
void knobLarge(Canvas& c, int k, int n) { drawKnob(c, 48, k, n, false); }
void knobLargeBipolar(Canvas& c, int k, int n) { drawKnob(c, 48, k, n, true); }

void ledRed(Canvas& c, int k, int n) {
  drawLedColumn(c, 0, n == 2 ? 1 : n, n == 2 ? k - 1 : k, palette::kRed);
}
void ledGreen(Canvas& c, int k, int) { drawLedColumn(c, 0, 1, k - 1, palette::kGreen); }
void protector(Canvas& c, int, int) { drawLedProtector(c, c.height() / 16); }

void lockWhite(Canvas& c, int k, int) { drawPadlock(c, 0, rgb(150, 155, 162), palette::kAmber, k == 1); }
void lockBlack(Canvas& c, int k, int) { drawPadlock(c, 0, rgb(64, 67, 72), rgb(200, 44, 30), k == 1); }

void buttonPink(Canvas& c, int k, int) {
  drawLitButton(c, 0, float(c.width()), float(c.height()), palette::kPink, k == 1);
}
void buttonRed(Canvas& c, int k, int) {
  drawLitButton(c, 0, float(c.width()), float(c.height()), palette::kRed, k == 1);
}
void buttonGrey(Canvas& c, int k, int) {
  drawLitButton(c, 0, float(c.width()), float(c.height()), palette::kWhite, k == 1);
}
void buttonBlue(Canvas& c, int k, int) {
  drawLitButton(c, 0, float(c.width()), float(c.height()), palette::kBlue, k == 1);
}

void textKey(Canvas& c, const char* label, Rgba colour) {
  drawTextKey(c, 0, 0, float(c.width()), float(c.height()), label, colour);
}
void discardKey(Canvas& c, int, int) { textKey(c, "DISCARD EDIT", rgb(255, 120, 100)); }
void cancelKey(Canvas& c, int, int) { textKey(c, "CANCEL", palette::kWhite); }
void overwriteKey(Canvas& c, int, int) { textKey(c, "OVERWRITE SLOT", palette::kAmber); }
void gotItKey(Canvas& c, int, int) { textKey(c, "GOT IT", palette::kAmber); }
void plainKey(Canvas& c, int, int) { drawKey(c, 0, 0, float(c.width()), float(c.height()), false); }

void closeKey(Canvas& c, int, int) {
  const float s = float(c.width());
  c.fillCircle(s * 0.5f, s * 0.5f, s * 0.5f, rgb(10, 11, 12));
  c.fillCircleV(s * 0.5f, s * 0.5f, s * 0.5f - 1.5f, rgb(74, 78, 85), rgb(46, 48, 53));
  c.line(8, 8, s - 8, s - 8, 2.2f, palette::kWhite);
  c.line(s - 8, 8, 8, s - 8, 2.2f, palette::kWhite);
}

void categoriesKey(Canvas& c, int k, int) {
  drawKey(c, 0, 0, float(c.width()), float(c.height()), k == 1);
  if (k == 1) c.glow(12, c.height() * 0.5f, 7, withAlpha(palette::kAmber, 0.5f));
  c.fillCircle(12, c.height() * 0.5f, 3, k == 1 ? palette::kAmber : rgb(70, 60, 40));
  c.text("CATEGORIES", 20, 0, float(c.width()) - 24, float(c.height()), fonts::kButton,
         k == 1 ? palette::kAmber : palette::kLabelText, Align::Centre, 1);
}

void checkbox(Canvas& c, int k, int) { drawCheckbox(c, 0, k == 1); }
void searchKey(Canvas& c, int k, int) { drawSearchKey(c, 0, k == 1); }

void masterBadge(Canvas& c, int, int) { drawBadge(c, "SYNC MASTER", palette::kGreen); }
void slaveBadge(Canvas& c, int, int) { drawBadge(c, "SYNC SLAVE", palette::kBlue); }
void xmodBadge(Canvas& c, bool pointsRight) {
  const float w = float(c.width()), h = float(c.height());
  drawBadge(c, "", palette::kAmber);
  c.text("X-MOD SRC", pointsRight ? 6.0f : 20.0f, 0, w - 26, h, fonts::kButton, palette::kAmber,
         Align::Centre, 1);
  const float x = pointsRight ? w - 12.0f : 12.0f, d = pointsRight ? 1.0f : -1.0f;
  c.line(x - 2 * d, h * 0.5f - 4, x + 2 * d, h * 0.5f, 2, palette::kAmber);
  c.line(x + 2 * d, h * 0.5f, x - 2 * d, h * 0.5f + 4, 2, palette::kAmber);
}
void xmodSource1(Canvas& c, int, int) { xmodBadge(c, true); }
void xmodSource2(Canvas& c, int, int) { xmodBadge(c, false); }

template <void (*Draw)(Canvas&)>
void whole(Canvas& c, int, int) {
  Draw(c);
}

}  // namespace

// Sizes: backgrounds and overlays that cover the window are 1500 x 667 and
// the pages below the header 1500 x 579; knobs are 48 pixels (main
// parameters: semitones, and the 128-step unipolar knob) or 36 (tune and
// amounts, bipolar, and the coarse 21-step knob); LEDs sit 16 pixels apart.
const ImageEntry kImages[] = {
    {"MANAGER_BG_ID2", 117, "manager_bg_blank.png", 864, 560, 1, true, whole<drawPatchList>},
    {"BG_ID_PLAIN", 102, "main-frame-bg.png", kWindowWidth, kWindowHeight, 1, true,
     whole<drawWindowBackground>},
    {"BG_ID_DISPLAY", 104, "main-display.png", 400, 72, 1, true, whole<drawHeaderDisplay>},
    {"BG_ID_EDIT", 105, "layer-main.png", kWindowWidth, kPageHeight, 1, true, whole<drawEditorPage>},
    {"BG_ID_BROWSER", 106, "browser-layer.png", kWindowWidth, kPageHeight, 1, true, whole<drawLibrarianPage>},
    {"KNOB_ID21", 120, "knob-varnox-normal-21.png", 36, 36, 21, false, knobSmall},
    {"KNOB_ID97", 121, "knob-varnox-normal-97.png", 48, 48, 97, false, knobLargeBipolar},
    {"KNOB_ID127_FC", 122, "knob-varnox-normal-fc.png", 48, 48, 128, false, knobLarge},
    {"KNOB_ID127", 123, "knob-varnox-normal.png", 36, 36, 128, false, knobSmallBipolar},
    {"BUTTON_LIB_DISCARD_ID", 204, "btn-lib-discard-edit.png", 112, 24, 1, true, discardKey},
    {"BUTTON_LIB_CANCEL_ID", 205, "btn-cancel-request.png", 96, 24, 1, true, cancelKey},
    {"PROGRESS_INDICATOR_ID", 118, "overlayer.png", kWindowWidth, kWindowHeight, 1, true,
     whole<drawProgressOverlay>},
    {"BUTTON_LOCK_WHITE_ID", 200, "btn-lock-white.png", 20, 20, 2, false, lockWhite},
    {"BUTTON_LOCK_BLACK_ID", 199, "btn-lock-black.png", 20, 20, 2, false, lockBlack},
    {"BUTTON_PINK_ID", 300, "button-pink.png", 40, 20, 2, false, buttonPink},
    {"BUTTON_RED_ID", 301, "button-red.png", 40, 20, 2, false, buttonRed},
    {"BUTTON_GREY_ID", 302, "button-grey.png", 40, 20, 2, false, buttonGrey},
    {"BUTTON_BLUE_ID", 303, "button-blue.png", 40, 20, 2, false, buttonBlue},
    {"BG_RENAME_ID", 326, "newNameBG.png", 360, 128, 1, true, whole<drawRename>},
    {"BG_SLAVE_ID", 111, "slave-indicator.png", 96, 18, 1, true, slaveBadge},
    {"BG_MASTER_ID", 112, "master-indicator.png", 96, 18, 1, true, masterBadge},
    {"BG_XMOD_SOURCE_1_ID", 113, "crossmod-src-1.png", 96, 18, 1, true, xmodSource1},
    {"BG_XMOD_SOURCE_2_ID", 114, "crossmod-src-2.png", 96, 18, 1, true, xmodSource2},
    {"BTN_18x18_ID", 332, "btn-18x18.png", 18, 18, 1, true, plainKey},
    {"BTN_127x18_ID", 258, "btn-127x18.png", 127, 18, 1, true, plainKey},
    {"BG_ABOUT_ID", 400, "about-VivivI.png", 560, 300, 1, true, whole<drawAbout>},
    {"BTN_EXIT_ABOUT_ID", 401, "about-exit.png", 24, 24, 1, true, closeKey},
    {"BTN_SEE_ABOUT_ID", 402, "about-trigger.png", 148, 32, 1, true, whole<drawLogo>},
    {"BG_FIRST_RUN_ID", 403, "first-run-VivivI.png", 560, 260, 1, true, whole<drawFirstRun>},
    {"BTN_EXIT_FIRST_RUN_ID", 404, "first-run-exit.png", 96, 28, 1, true, gotItKey},
    {"BG_ID_MIDI_FILTERS", 418, "advanced-midi-filters.png", 460, 490, 1, true, whole<drawMidiFilters>},
    {"BTN_CHECKBOX_ID", 419, "checkbox-button.png", 18, 18, 2, false, checkbox},
    {"BUTTON_BANK_SEARCH_ID", 999, "btn-search.png", 24, 24, 2, false, searchKey},
    {"BG_SEARCH_FIELD_ID", 998, "bg-librarian-search-field.png", 240, 24, 1, true, whole<drawSearchField>},
    {"BG_ID_MAIN", 500, "main-bg-black.png", kWindowWidth, kWindowHeight, 1, true,
     whole<drawBlackBackground>},
    {"LED_SINGLE_ID", 129, "singleledred.png", 16, 16, 2, false, ledRed},
    {"LED_TRIPLE_ID", 130, "tripleledred.png", 16, 48, 3, false, ledRed},
    {"LED_QUAD_ID", 131, "quadledred.png", 16, 64, 4, false, ledRed},
    {"LED_7_ID", 132, "7ledred.png", 16, 112, 7, false, ledRed},
    {"LED_SINGLE_PROT_ID", 133, "single-led-protector.png", 16, 16, 1, true, protector},
    {"LED_TRIPLE_PROT_ID", 134, "triple-led-protector.png", 16, 48, 1, true, protector},
    {"LED_QUAD_PROT_ID", 135, "quad-led-protector.png", 16, 64, 1, true, protector},
    {"LED_7_PROT_ID", 139, "7-led-protector.png", 16, 112, 1, true, protector},
    {"LED_SINGLE_G_ID", 136, "singleledgreen.png", 16, 16, 2, false, ledGreen},
    {"LED_OCTO_ID", 137, "octoledred.png", 16, 128, 8, false, ledRed},
    {"LED_OCTO_PROT_ID", 138, "octo-led-protector.png", 16, 128, 1, true, protector},
    {"BG_ID_ENVELOPES", 103, "envelopes-layer-bg.png", kLowerAreaW, kLowerAreaH, 1, true,
     whole<drawEnvelopes>},
    {"BG_ID_ARPEGGIATOR", 107, "arpeggiator-layer-bg.png", kLowerAreaW, kLowerAreaH, 1, true,
     whole<drawArpeggiator>},
    {"BG_ARP_KNOB_ID", 115, "tempo-knob-layer.png", 112, 80, 1, true, whole<drawTempoKnobLayer>},
    {"BG_ARP_SYNC_ID", 116, "tempo-sync-layer.png", 112, 80, 1, true, whole<drawTempoSyncLayer>},
    {"BTN_OFFON_ID", 316, "btn-lib-display-categories.png", 112, 20, 2, false, categoriesKey},
    {"BG_ID_CATEGORY_FILTER", 317, "categoryFilterBG.png", 240, 24, 1, true, whole<drawCategoryFilter>},
    {"BUTTON_BANK_OVERWRITE_ID", 996, "btn-overwrite-slot.png", 128, 24, 1, true, overwriteKey},
    {"BG_ID_GLOBAL_SETTINGS", 420, "global-settings.png", kGlobalsCardW, kGlobalsCardH, 1, true,
     whole<drawGlobalSettings>},
};
const size_t kImageCount = sizeof(kImages) / sizeof(kImages[0]);

void renderImage(const ImageEntry& entry, Canvas& strip) {
  for (int k = 0; k < entry.frames; ++k) {
    Canvas frame(entry.width, entry.frameHeight);
    entry.draw(frame, k, entry.frames);
    PIX_Blit(&strip.bitmap(), &frame.bitmap(), 0, k * entry.frameHeight, nullptr, 1.0f, 0);
  }
}

}  // namespace imggen
