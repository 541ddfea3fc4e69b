#include "tools/imggen/pages.h"

#include <vector>

#include "tools/imggen/widgets.h"

namespace imggen {

namespace {

void drawSection(Canvas& c, const Section& s, int dx = 0, int dy = 0) {
  const float x = float(s.x + dx), y = float(s.y + dy);
  drawPanel(c, x, y, float(s.w), float(s.h), s.title);
  for (const Row& row : s.rows)
    for (const Cell& cell : row.cells) {
      const float cx = x + cell.centre, top = y + row.top;
      if (cell.kind == Kind::Area) continue;
      if (cell.kind == Kind::Menu) drawWell(c, cx - 40, top + 22, 80, 20);
      for (size_t i = 0; i < cell.choices.size(); ++i)
        c.text(cell.choices[i], cx + 50, top + 16.0f * i + 1, 80, 16, fonts::kLabel, palette::kLabelText,
               Align::Left);
      const float labelWidth = cell.kind == Kind::Choice ? 72.0f : 96.0f;
      drawLabel(c, cx - labelWidth * 0.5f, top + 52, labelWidth, cell.label);
    }
}

// The window-wide veil and centred card the overlays share.
void drawCard(Canvas& c, float x, float y, float w, float h, const char* title) {
  c.shadow(x, y + 4, w, h, 10, 14, rgb(0, 0, 0, 0.6f));
  c.fillRoundRect(x, y, w, h, 10, rgb(78, 82, 89));
  c.fillRoundRectV(x + 1.5f, y + 1.5f, w - 3, h - 3, 8.5f, rgb(46, 48, 53), rgb(36, 38, 42));
  if (title && title[0]) {
    c.text(title, x + 24, y + 16, w - 48, 24, fonts::kHeading, palette::kTitleText, Align::Left, 1);
    c.fillRoundRect(x + 24, y + 46, w - 48, 1.5f, 0, rgb(255, 255, 255, 0.1f));
  }
}

void paragraph(Canvas& c, float x, float y, const std::vector<const char*>& lines, Rgba colour,
               float lineHeight = 20) {
  for (size_t i = 0; i < lines.size(); ++i)
    c.text(lines[i], x, y + lineHeight * float(i), 800, lineHeight, fonts::kBody, colour, Align::Left);
}

}  // namespace

static Rgba windowColour(float t) { return mix(rgb(30, 31, 35), rgb(24, 25, 28), t); }
static Rgba headerColour(float t) { return mix(rgb(23, 24, 27), palette::kHeader, t); }

// The window's gradient, for a picture whose top row lies at window row top.
static void fillWindowGradient(Canvas& c, int top) {
  c.fillRows(0, c.height(), windowColour, float(top) / kWindowHeight,
             float(top + c.height()) / kWindowHeight);
}

void drawWindowBackground(Canvas& c) {
  fillWindowGradient(c, 0);
  // The header strip, with a lit edge below it.
  c.fillRows(0, kHeaderHeight, headerColour, 0.0f, 1.0f);
  c.fillRoundRect(0, kHeaderHeight - 2.0f, float(c.width()), 2.0f, 0, rgb(8, 8, 9));
  c.fillRoundRect(0, float(kHeaderHeight), float(c.width()), 1.5f, 0, rgb(255, 255, 255, 0.06f));

  // Header fields (see layout.h): port menus with their activity LEDs, the
  // patch name and category, and the three sound buttons.
  for (int i = 0; i < 2; ++i) {
    const float y = kHeaderFieldY[i];
    c.text(i == 0 ? "MIDI IN" : "MIDI OUT", 288, y, 60, 22, fonts::kLabel, palette::kLabelText, Align::Right);
    drawWell(c, 356, y, 224, 22);
    c.text(i == 0 ? "RX" : "TX", 608, y, 24, 22, fonts::kLabel, palette::kLabelText, Align::Left);
    c.text(i == 0 ? "PATCH" : "CATEGORY", 1048, y, 60, 22, fonts::kLabel, palette::kLabelText, Align::Right);
    drawWell(c, 1116, y, 200, 22);
  }
  c.text("LIBRARIAN", 62, 56, 72, 20, fonts::kLabel, palette::kLabelText, Align::Left);
  c.text("PAGE", 186, 56, 72, 20, fonts::kLabel, palette::kLabelText, Align::Left);
  // The program selector's bank and program numbers, labelled below.
  const char* numbers[2] = {"BANK", "PROG"};
  for (int i = 0; i < 2; ++i) {
    const float x = float(kHeaderNumberX[i]);
    drawWell(c, x, kHeaderFieldY[0], kHeaderNumberW, 22);
    drawLabel(c, x - 8, kHeaderFieldY[0] + 24.0f, kHeaderNumberW + 16.0f, numbers[i]);
  }
  // The MIDI filter key between the two port rows, right-aligned with them,
  // and the global settings key between the PATCH and CATEGORY rows.
  c.text("FILTERS", 240, 33, 84, 20, fonts::kLabel, palette::kLabelText, Align::Right);
  c.text("GLOBALS", kGlobalsKeyX - 90.0f, kGlobalsKeyY - 1.0f, 84, 20, fonts::kLabel, palette::kLabelText,
         Align::Right);
  const char* buttons[3] = {"REQUEST", "SEND", "RANDOMISE"};
  for (int i = 0; i < 3; ++i)
    c.text(buttons[i], 1384, 6 + 26.0f * i, 100, 20, fonts::kLabel, palette::kLabelText, Align::Left);
}

void drawBlackBackground(Canvas& c) { c.clear(rgb(8, 8, 9)); }

void drawHeaderDisplay(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  c.fillRoundRect(0, 0, w, h, 6, rgb(70, 73, 79));
  c.fillRoundRectV(1.5f, 1.5f, w - 3, h - 3, 4.5f, rgb(6, 9, 8), rgb(10, 14, 12));
  // Faint row guides of the three display lines and a glass highlight.
  for (int i = 1; i < 3; ++i) c.fillRoundRect(10, h * i / 3.0f, w - 20, 1.5f, 0, rgb(66, 240, 100, 0.06f));
  c.fillRoundRect(4, 4, w - 8, h * 0.35f, 3, rgb(255, 255, 255, 0.025f));
}

void drawEditorPage(Canvas& c) {
  fillWindowGradient(c, kHeaderHeight);
  for (const Section& s : editorSections()) drawSection(c, s);
  for (int i = 0; i < 2; ++i)
    c.text(kPitchLockNames[i], kPitchLockX[i] - 64.0f, kLowerAreaY + 1.0f, 60, 23, fonts::kLabel,
           palette::kLabelText, Align::Right);
  // The lower-left area stays a plain recess: the envelope and arpeggiator
  // layers draw their own panels over it.
  c.fillRoundRect(kLowerAreaX, kLowerAreaY, kLowerAreaW, kLowerAreaH, 6, rgb(0, 0, 0, 0.18f));
}

// The label of the key that flips the lower-left area between the envelopes
// and the arpeggiator, in the top title bar left of it (see layout.h).
static void drawHalfSwitchLabel(Canvas& c) {
  c.text("ENV / ARP", kHalfSwitchX - 84.0f, 2, 78, 20, fonts::kLabel, palette::kLabelText, Align::Right);
}

void drawEnvelopes(Canvas& c) {
  for (const Section& s : envelopeSections()) drawSection(c, s);
  drawHalfSwitchLabel(c);
}

void drawArpeggiator(Canvas& c) {
  drawSection(c, arpeggiatorSection());
  drawHalfSwitchLabel(c);
}

void drawTempoKnobLayer(Canvas& c) {
  c.fillRoundRect(0, 0, float(c.width()), float(c.height()), 6, rgb(0, 0, 0, 0.22f));
  drawLabel(c, 0, 4, float(c.width()), "TEMPO  BPM", palette::kTitleText);
}

void drawTempoSyncLayer(Canvas& c) {
  c.fillRoundRect(0, 0, float(c.width()), float(c.height()), 6, rgb(0, 0, 0, 0.22f));
  drawLabel(c, 0, 4, float(c.width()), "MIDI CLOCK", palette::kBlue);
  drawWell(c, 12, 40, float(c.width()) - 24, 22);
}

void drawLibrarianPage(Canvas& c) {
  fillWindowGradient(c, kHeaderHeight);
  drawPanel(c, 8, 4, 880, 571, "");
  // The BANKS title bar holds the librarian main menu's field.
  drawPanel(c, 896, kLibraryPanelTop, 596, 280 - kLibraryPanelTop, "BANKS",
            kLibraryMenuY + 26 - kLibraryPanelTop);
  drawPanel(c, 896, 288, 596, 283, "FIND");
  auto menuField = [&](float y) {
    drawWell(c, kLibraryFieldX, y, 300, 22);
    drawMenuArrow(c, kLibraryFieldX + 300 - 16.0f, y + 11);
  };
  menuField(kLibraryMenuY);
  auto field = [&](const char* label, float y, bool well) {
    c.text(label, 904, y, 96, 22, fonts::kLabel, palette::kLabelText, Align::Right);
    if (well) menuField(y);
  };
  field("EDITED BANK", kLibraryBankY[0], true);
  field("SOURCE", kLibraryBankY[1], true);
  field("CATEGORY", kLibraryFindY[0], false);
  field("SEARCH", kLibraryFindY[1], false);
  field("SLOT CATEGORY", kLibrarySlotCategoryY, false);
  c.text("LIBRARY MODE", kLibraryModeX + 48, kLibraryBankY[0], 110, 22, fonts::kLabel, palette::kLabelText,
         Align::Left);
  const float hintY = 208;
  paragraph(c, kLibraryFieldX, hintY,
            {"Drag a patch from the source list onto a slot", "of the edited bank to copy it there."},
            palette::kLabelText, 18);
  paragraph(c, kLibraryFieldX, 288 + 136,
            {"Pick a category to list its patches, or type", "a few letters of a name and search.", "",
             "Right-click a slot to rename its patch;", "double-click it to hear it on the Varno."},
            palette::kLabelText, 18);
}

void drawPatchList(Canvas& c) {
  c.clear(rgb(0, 0, 0, 0));
  // Two lists of seven sub-columns of 16 rows (the last of 4), 100 pixels
  // wide, 16 high, 27 apart; the lower list starts 303 rows down.
  const int tops[2] = {1, 303};
  for (int list = 0; list < 2; ++list) {
    const float top = float(tops[list]);
    c.fillRoundRect(0, top - 1, float(c.width()), 258, 5, rgb(62, 65, 71));
    c.fillRoundRect(1.5f, top + 0.5f, c.width() - 3.0f, 255, 4, rgb(14, 15, 17));
    for (int col = 0; col < 7; ++col) {
      const float left = 2.0f + col * 127.0f;
      const int rows = col < 6 ? 16 : 4;
      for (int r = 0; r < rows; ++r)
        c.fillRoundRect(left, top + r * 16.0f, 100, 16, 0, (r % 2) ? rgb(26, 28, 31) : rgb(34, 36, 40));
      if (col < 6) c.fillRoundRect(left + 111.5f, top + 6, 2, 244, 1, rgb(255, 255, 255, 0.05f));
    }
  }
  // Which list is which, beside each list's edge.
  c.text("EDITED BANK", 4, 262, 200, 16, fonts::kTitle, palette::kAmber, Align::Left, 1);
  c.text("SOURCE", 4, 285, 200, 16, fonts::kTitle, palette::kBlue, Align::Left, 1);
}

void drawProgressOverlay(Canvas& c) {
  c.clear(rgb(6, 7, 8, 0.68f));
  // The editor shows its cancel button 96 x 24 at (944, 340), the card's
  // lower right corner, whatever it is doing.
  const float x = 548, y = 104, w = 520, h = 284;
  drawCard(c, x, y, w, h, "");
  c.text("WORKING WITH THE VARNO", x + 28, y + 28, 360, 24, fonts::kHeading, palette::kAmber, Align::Left, 1);
  c.fillRoundRect(x + 28, y + 68, w - 56, 1.5f, 0, rgb(255, 255, 255, 0.1f));
  // A ring of dots, brightest at the top, as a sign of activity.
  const float cx = x + 84, cy = y + 150;
  for (int i = 0; i < 12; ++i) {
    const float a = degrees(30.0f * i);
    c.fillCircle(cx + 30 * std::sin(a), cy - 30 * std::cos(a), 4.5f,
                 withAlpha(palette::kAmber, 1.0f - i / 13.0f));
  }
  paragraph(c, x + 156, y + 110,
            {"Sounds are on their way between", "the editor and the Varno.", "", "This takes a few seconds;",
             "the window answers again when it is done."},
            palette::kBodyText, 20);
}

void drawAbout(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  drawCard(c, 0, 0, w, h, "");
  c.text("VARNO", 32, 28, 300, 36, {"DejaVu Sans Condensed", 30, true}, palette::kWhite, Align::Left, 5);
  c.text("EDITOR & LIBRARIAN", 34, 66, 300, 18, fonts::kTitle, palette::kAmber, Align::Left, 2);
  c.fillRoundRect(32, 96, w - 64, 1.5f, 0, rgb(255, 255, 255, 0.1f));
  paragraph(c, 32, 112,
            {"Tarnwel VivivI Editor, version " IMGGEN_VERSION,
             "Edit every sound parameter of the Varno, and keep your sounds",
             "in banks: browse, compare, rename and copy patches.", "", "Harrow Creek Sound"},
            palette::kBodyText, 22);
  c.text("Made for musicians who like to turn knobs.", 32, h - 48, w - 64, 20, fonts::kLabel,
         palette::kLabelText, Align::Left);
  // The window size, which the editor takes when it opens again.
  const float x = float(kAboutSizeX), y = float(kAboutSizeY);
  c.text("WINDOW SIZE", x, y - 22, float(kGlobalsWellW), 18, fonts::kTitle, palette::kTitleText, Align::Left,
         1);
  drawWell(c, x, y, float(kGlobalsWellW), 24);
  drawMenuArrow(c, x + kGlobalsWellW - 14.0f, y + 12);
  c.text("Used when the editor opens again.", x - 40, y + 30, float(kGlobalsWellW) + 40, 16, fonts::kLabel,
         palette::kLabelText, Align::Right);
}

void drawFirstRun(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  drawCard(c, 0, 0, w, h, "WELCOME");
  const std::vector<const char*> steps = {"Connect the Varno's MIDI in and out to your interface.",
                                          "Choose both ports in MIDI IN and MIDI OUT at the top.",
                                          "Press REQUEST to load the sound the Varno is playing.",
                                          "Turn any control: the Varno follows at once."};
  for (size_t i = 0; i < steps.size(); ++i) {
    const float y = 68 + 44.0f * i;
    c.fillCircle(44, y + 10, 11, palette::kAmber);
    c.text(std::to_string(i + 1), 33, y, 22, 20, fonts::kButton, rgb(24, 20, 12), Align::Centre);
    c.text(steps[i], 68, y, w - 92, 20, fonts::kBody, palette::kBodyText, Align::Left);
  }
  (void)h;
}

void drawMidiFilters(Canvas& c) {
  const float w = float(c.width());
  drawCard(c, 0, 0, w, float(c.height()), "MIDI FILTERS");
  c.text("Ticked messages pass; the others are held back.", 24, 52, w - 48, 18, fonts::kLabel,
         palette::kLabelText, Align::Left);
  drawLabel(c, kFilterCheckX[0] - 39.0f, 80, 96, "FROM HOST", palette::kBlue);
  drawLabel(c, kFilterCheckX[1] - 39.0f, 80, 96, "FROM VARNO", palette::kGreen);
  const char* kinds[7] = {"Control change", "Program change",   "Notes",           "Pitch bend",
                          "Poly pressure",  "Channel pressure", "System exclusive"};
  const char* options[5] = {"Activity LEDs show incoming MIDI", "Send straight to the Varno",
                            "Send in time with the host's audio", "Send MIDI clock at the host's tempo",
                            "Send start and stop with the transport"};
  for (int i = 0; i < 12; ++i) {
    const bool option = i >= 7;
    const float y =
        float(option ? kFilterOptionsY + kFilterRowStep * (i - 7) : kFilterRowY + kFilterRowStep * i);
    if (i % 2 == (option ? 1 : 0))
      c.fillRoundRect(16, y, w - 32, float(kFilterRowStep), 4, rgb(255, 255, 255, 0.03f));
    c.text(option ? options[i - 7] : kinds[i], 32, y, 240, float(kFilterRowStep), fonts::kBody,
           palette::kBodyText, Align::Left);
  }
  c.text("OPTIONS", 24, float(kFilterOptionsY - 24), 200, 20, fonts::kTitle, palette::kTitleText, Align::Left,
         1);
}

void drawGlobalSettings(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  drawCard(c, 0, 0, w, h, "GLOBAL SETTINGS");
  c.text("The Varno's own settings: a change goes to it at once.", 24, 52, w - 48, 18, fonts::kLabel,
         palette::kLabelText, Align::Left);
  const struct {
    const char* name;
    const char* hint;
  } kRows[kGlobalsMenuRows + 1] = {
      {"Start-up program", "Loaded when the Varno is switched on"},
      {"Master tune", "The pitch of A4"},
      {"Control X", "How the Varno sends its panel moves"},
      {"MIDI channel", "OMNI receives on every channel"},
      {"Device ID", "Where the editor's SysEx finds it"},
      {"Local control", "Off: the panel plays through the editor"},
  };
  for (int i = 0; i <= kGlobalsMenuRows; ++i) {
    const float y = float(kGlobalsRowY + kGlobalsRowStep * i);
    if (i % 2 == 0) c.fillRoundRect(16, y, w - 32, float(kGlobalsRowStep), 4, rgb(255, 255, 255, 0.03f));
    c.text(kRows[i].name, 32, y + 5, 240, 20, fonts::kBody, palette::kBodyText, Align::Left);
    c.text(kRows[i].hint, 32, y + 23, 248, 16, fonts::kLabel, palette::kLabelText, Align::Left);
    // The local control key is a control of its own, drawn over the card.
    if (i < kGlobalsMenuRows) drawWell(c, float(kGlobalsWellX), y + 10, float(kGlobalsWellW), 24);
  }
  c.text("Read from the Varno when MIDI OUT is chosen.", 24, h - 32, w - 48, 18, fonts::kLabel,
         palette::kLabelText, Align::Left);
}

void drawRename(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  drawCard(c, 0, 0, w, h, "RENAME PATCH");
  drawWell(c, 24, 60, w - 48, 26);
  c.text("Return keeps the name, Escape leaves it.", 24, h - 30, w - 48, 18, fonts::kLabel,
         palette::kLabelText, Align::Left);
}

void drawSearchField(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  drawWell(c, 0, 0, w, h);
  c.strokeCircle(13, h * 0.5f - 1.5f, 4.2f, 1.8f, palette::kLabelText);
  c.line(16, h * 0.5f + 1.5f, 19.5f, h * 0.5f + 5, 2.2f, palette::kLabelText);
}

void drawCategoryFilter(Canvas& c) {
  const float w = float(c.width()), h = float(c.height());
  drawWell(c, 0, 0, w, h);
  // The menu's arrow at the right.
  drawMenuArrow(c, w - 16, h * 0.5f);
}

void drawLogo(Canvas& c) {
  c.text("VARNO", 0, 0, 92, float(c.height()), {"DejaVu Sans Condensed", 20, true}, palette::kWhite,
         Align::Left, 3);
  c.fillRoundRect(90, 9, 1.5f, float(c.height()) - 18, 0, rgb(255, 255, 255, 0.25f));
  c.text("EDITOR", 97, 0, 48, float(c.height()), fonts::kTitle, palette::kAmber, Align::Left, 1);
}

void drawBadge(Canvas& c, const char* text, Rgba colour) {
  const float w = float(c.width()), h = float(c.height());
  c.fillRoundRect(0, 0, w, h, h * 0.5f, withAlpha(colour, 0.18f));
  c.strokeRoundRect(0, 0, w, h, h * 0.5f, 1.5f, colour);
  if (text[0]) c.text(text, 0, 0, w, h, fonts::kButton, colour, Align::Centre, 1);
}

}  // namespace imggen
