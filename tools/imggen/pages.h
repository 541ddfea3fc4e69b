// The large pictures: the window and page backgrounds with their section
// panels and labels, the overlays and the small badges. Each draws into a
// canvas of the size the image table gives it.
//
// Where the controls sit on the pages: layout.h.
#pragma once

#include "tools/imggen/canvas.h"
#include "tools/imggen/layout.h"

namespace imggen {

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
void drawGlobalSettings(Canvas& c);
void drawRename(Canvas& c);
void drawSearchField(Canvas& c);
void drawCategoryFilter(Canvas& c);
void drawLogo(Canvas& c);
// A small rounded badge with a text, in the colour given.
void drawBadge(Canvas& c, const char* text, Rgba colour);

}  // namespace imggen
