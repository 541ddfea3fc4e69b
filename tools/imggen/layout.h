// Where the controls of the sound editor page sit, as the page pictures draw
// their panels, labels and menu fields. The UI description places its
// controls on these cells (window pixels at scale 1.0):
//
// - The header strip is the top kHeaderHeight rows of the window background;
//   the page pictures are placed at (0, kHeaderHeight).
// - In the header: the logo at (16, 10), the librarian key 40 x 20 at
//   (16, 56) and the page menu 40 x 16 at (140, 58), labelled at their
//   right; the bank and program number fields at (kHeaderNumberX[0 or 1],
//   kHeaderFieldY[0]), labelled below; the MIDI IN and MIDI OUT menu fields 224 x 22 at (356,
//   kHeaderFieldY[0 or 1]) with their activity LEDs at (588, field y + 3)
//   and the MIDI filter key 18 x 18 at (330, 34) between them; the display
//   at (640, 8); the PATCH and CATEGORY fields 200 x 22 at (1116,
//   kHeaderFieldY[...]); the REQUEST, SEND and RANDOMISE buttons 40 x 20 at
//   (1336, 6 + 26 * i).
// - On the librarian page (page coordinates): the list picture at (16, 8);
//   the librarian main menu's field 300 x 22 at (kLibraryFieldX,
//   kLibraryMenuY) in the BANKS title bar; the edited and source bank menus 300 x 22 at (kLibraryFieldX,
//   kLibraryBankY[0 or 1]), the library mode switch at (kLibraryModeX,
//   kLibraryBankY[0] + 1) and the categories switch at (kLibraryModeX,
//   kLibraryBankY[1] + 1), the selected slot's category display 300 x 20
//   at (kLibraryFieldX, kLibrarySlotCategoryY + 1), the discard and
//   overwrite buttons at (kLibraryFieldX, 150) and (kLibraryFieldX + 124,
//   150); the category menu and the search field pictures at
//   (kLibraryFieldX, kLibraryFindY[0 or 1]) with the search button at
//   (kLibraryFieldX + 248, kLibraryFindY[1]).
// - On the about and first-run cards, the exit buttons at (524, 12) and at
//   (440, 216).
// - In the MIDI filter picture: the check boxes of row i at
//   (kFilterCheckX[0 or 1], y + 5), where y = kFilterRowY + kFilterRowStep * i
//   for the seven message kinds (i = 0..6), and y = kFilterOptionsY +
//   kFilterRowStep * j for the five options below them (j = 0..4, one box
//   at kFilterCheckX[1]); the MIDI out delay display 120 x 16 at
//   (kFilterCheckX[0] - 28, y + 6) in the row of the third option.
// - In the header, right of the display, the global settings key 18 x 18 at
//   (kGlobalsKeyX, kGlobalsKeyY) between the PATCH and CATEGORY rows, its
//   right edge on the fields' left edge, labelled at its left like the MIDI
//   filter key.
// - The global settings card at (kGlobalsCardX, kGlobalsCardY) of the
//   window, kGlobalsCardW x kGlobalsCardH: its exit button at (card width -
//   36, 12); setting i in the row from kGlobalsRowY + kGlobalsRowStep * i
//   (card coordinates), named at the left, its menu well kGlobalsWellW x 24
//   at (kGlobalsWellX, row + 10) for a caption (kGlobalsWellW - 12) x 13 at
//   (kGlobalsWellX + 6, row + 15); the last row (i = kGlobalsMenuRows), local
//   control, has a key 40 x 20 at (kGlobalsWellX + (kGlobalsWellW - 40) / 2,
//   row + 12) in place of the well.
// - The about card at (kAboutCardX, kAboutCardY) of the window: the window
//   size menu well kGlobalsWellW x 24 at (kAboutSizeX, kAboutSizeY) (card
//   coordinates), named above it, for a caption as in the global settings.
// - The envelope and arpeggiator pictures are placed at the page's lower-left
//   area (kLowerArea..., page coordinates); their sections are given in
//   their own picture's coordinates.
// - A cell is centred at (section x + centre) and its row starts at
//   (section y + top). By kind:
//     Knob, Semitone  a 48-pixel knob from the row's top;
//     SmallKnob       a 36-pixel knob 6 rows below the row's top;
//     Menu            a menu field 80 x 20 at (centre - 40, top + 22), for
//                     a caption 72 x 13 at (centre - 36, top + 27);
//     Switch          a 40 x 20 button at (centre - 20, top + 14);
//     Choice          a 40 x 20 button as Switch, an LED column 16 wide from
//                     (centre + 28, top) and the choices written beside it
//                     from centre + 50, one per LED, 16 rows apart;
//     Area            a picture of its own, 112 x 80 at (centre - 56, top).
//   Every label is the 14 rows from top + 52 (Area: none), centred.
#pragma once

#include <vector>

namespace imggen {

const int kWindowWidth = 1500;
const int kWindowHeight = 667;
const int kHeaderHeight = 88;
const int kPageHeight = kWindowHeight - kHeaderHeight;
const int kHeaderFieldY[2] = {12, 52};
// The program selector's bank and program number fields, kHeaderNumberW x 22
// in the MIDI IN row.
const int kHeaderNumberX[2] = {180, 228};
const int kHeaderNumberW = 36;
const int kLibraryFieldX = 1010;
// The BANKS panel's top and, in its title bar, the librarian main menu's
// field (page coordinates).
const int kLibraryPanelTop = 4, kLibraryMenuY = 8;
const int kLibraryBankY[2] = {44, 84};
const int kLibraryFindY[2] = {324, 364};
const int kLibraryModeX = 1322, kLibrarySlotCategoryY = 251;
const int kFilterCheckX[2] = {272, 376};
const int kFilterRowY = 96, kFilterRowStep = 28, kFilterOptionsY = 324;
const int kGlobalsKeyX = 1098, kGlobalsKeyY = 34;
const int kGlobalsCardX = 1044, kGlobalsCardY = 88, kGlobalsCardW = 440, kGlobalsCardH = 384;
const int kGlobalsRowY = 84, kGlobalsRowStep = 44, kGlobalsWellX = 284, kGlobalsWellW = 128;
const int kGlobalsMenuRows = 5;
const int kAboutCardX = 470, kAboutCardY = 183, kAboutSizeX = 400, kAboutSizeY = 204;
const int kLowerAreaX = 8, kLowerAreaY = 260, kLowerAreaW = 440, kLowerAreaH = 311;
// The two padlocks in the PITCH & GLIDE title bar, 20 x 20 at (x, 262):
// pitch modulation, then glide; each is named at its left.
const int kPitchLockX[2] = {864, 926};
const char* const kPitchLockNames[2] = {"MOD", "GLIDE"};
// The envelopes / arpeggiator key in the lower-left area's top title bar
// (the area's own coordinates), 40 x 20, labelled at its left.
const int kHalfSwitchX = 362, kHalfSwitchY = 2;

enum class Kind { Knob, Semitone, SmallKnob, Menu, Switch, Choice, Area };

struct Cell {
  Kind kind;
  const char* label;
  int centre;  // from the section's left edge
  std::vector<const char*> choices = {};
};

struct Row {
  int top;  // from the section's top edge
  std::vector<Cell> cells;
};

struct Section {
  const char* title;
  int x, y, w, h;
  std::vector<Row> rows;
};

// The sections of the sound editor page (page coordinates).
const std::vector<Section>& editorSections();
// The two envelope panels and the arpeggiator panel of the lower-left area.
const std::vector<Section>& envelopeSections();
const Section& arpeggiatorSection();

}  // namespace imggen
