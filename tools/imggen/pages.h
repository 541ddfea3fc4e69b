// The large pictures: the window and page backgrounds with their section
// panels and labels, the overlays and the small badges. Each draws into a
// canvas of the size the image table gives it.
//
// Geometry the UI description follows (window pixels at scale 1.0):
// - the header strip is the top kHeaderHeight rows of the window background;
// - the page backgrounds (editor, librarian) are placed at (0, kHeaderHeight)
//   and fill the rest of the 1500 x 667 window;
// - the envelope and arpeggiator backgrounds are placed at the editor's
//   lower-left area, kLowerArea below (page coordinates);
// - in every section a row of controls has cells of equal width centred in
//   the section: cell i of n with width cw is centred at
//   x + w / 2 + (i - (n - 1) / 2) * cw; a knob's slot is 48 pixels high from
//   the row's top, its label the 14 rows starting 52 below the row's top.
#pragma once

#include "tools/imggen/canvas.h"

namespace imggen {

const int kWindowWidth = 1500;
const int kWindowHeight = 667;
const int kHeaderHeight = 88;
const int kPageHeight = kWindowHeight - kHeaderHeight;
// The editor's lower-left area that the envelope and arpeggiator layers
// cover (page coordinates).
const int kLowerAreaX = 8, kLowerAreaY = 288, kLowerAreaW = 440, kLowerAreaH = 283;

void drawWindowBackground(Canvas& c);
void drawBlackBackground(Canvas& c);
void drawHeaderDisplay(Canvas& c);
void drawEditorPage(Canvas& c);
void drawEnvelopes(Canvas& c);
void drawArpeggiator(Canvas& c);
void drawTempoKnobLayer(Canvas& c);
void drawTempoSyncLayer(Canvas& c);
void drawLibrarianPage(Canvas& c);
void drawPatchList(Canvas& c);
void drawProgressOverlay(Canvas& c);
void drawAbout(Canvas& c);
void drawFirstRun(Canvas& c);
void drawMidiFilters(Canvas& c);
void drawRename(Canvas& c);
void drawSearchField(Canvas& c);
void drawCategoryFilter(Canvas& c);
void drawLogo(Canvas& c);
// A small rounded badge with a text, in the colour given.
void drawBadge(Canvas& c, const char* text, Rgba colour);

}  // namespace imggen
