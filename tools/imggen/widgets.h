// The editor's controls and panels, each drawn into a canvas at a given
// place: knob frames, LEDs, buttons, padlocks, check boxes, key faces and
// section panels, all in the one palette below.
#pragma once

#include <string>

#include "tools/imggen/canvas.h"

namespace imggen {

namespace palette {
const Rgba kWindow = rgb(27, 28, 31);
const Rgba kHeader = rgb(19, 20, 22);
const Rgba kPanelTop = rgb(41, 43, 47);
const Rgba kPanelBottom = rgb(35, 37, 41);
const Rgba kPanelBorder = rgb(62, 65, 71);
const Rgba kTitleBar = rgb(49, 52, 57);
const Rgba kWell = rgb(16, 17, 19);
const Rgba kTitleText = rgb(214, 218, 224);
const Rgba kLabelText = rgb(158, 163, 171);
const Rgba kBodyText = rgb(196, 200, 206);
const Rgba kGreen = rgb(66, 240, 100);
const Rgba kBlue = rgb(0, 174, 255);
const Rgba kAmber = rgb(255, 173, 0);
const Rgba kRed = rgb(255, 58, 40);
const Rgba kPink = rgb(255, 92, 170);
const Rgba kWhite = rgb(236, 238, 241);
}  // namespace palette

namespace fonts {
const FontStyle kLabel = {"DejaVu Sans Condensed", 11, false};
const FontStyle kTitle = {"DejaVu Sans Condensed", 11, true};
const FontStyle kButton = {"DejaVu Sans Condensed", 11, true};
const FontStyle kHeading = {"DejaVu Sans Condensed", 16, true};
const FontStyle kBody = {"DejaVu Sans Condensed", 13, false};
const FontStyle kMono = {"DejaVu Sans Mono", 12, false};
}  // namespace fonts

// Frame k of n of a knob size x size pixels: the pointer sweeps 270 degrees
// from frame 0 to frame n - 1. A unipolar knob's value arc grows from the
// start; a bipolar knob's grows from the top centre, where frame n / 2 points.
void drawKnob(Canvas& c, float size, int frame, int frames, bool bipolar);

// One LED of radius 5 around (cx, cy), lit or dark, in the colour given.
void drawLed(Canvas& c, float cx, float cy, Rgba colour, bool lit);
// A column of count LEDs 16 pixels apart in a 16-pixel-wide frame whose top
// is y; the LED lit (-1: none) glows.
void drawLedColumn(Canvas& c, float y, int count, int lit, Rgba colour);
// The bezel for such a column: a dark slot with a ring around each LED and
// open centres, so that it frames the LEDs drawn above or below it.
void drawLedProtector(Canvas& c, int count);

// A raised key face filling (x, y, w, h).
void drawKey(Canvas& c, float x, float y, float w, float h, bool pressed);
// A key with an indicator bar that glows in the colour when lit.
void drawLitButton(Canvas& c, float y, float w, float h, Rgba colour, bool lit);
// A key with a text label; accent colours the text.
void drawTextKey(Canvas& c, float x, float y, float w, float h, const std::string& label, Rgba textColour);
// A padlock in a 20 x 20 frame whose top is y: open when unlocked, closed
// and in the lit colour when locked.
void drawPadlock(Canvas& c, float y, Rgba open, Rgba locked, bool isLocked);
// A check box in an 18 x 18 frame whose top is y.
void drawCheckbox(Canvas& c, float y, bool checked);
// A magnifier key in a 24 x 24 frame whose top is y.
void drawSearchKey(Canvas& c, float y, bool on);

// A section panel with a thin border, a small corner radius and, when the
// title is not empty, a title bar bar pixels high.
void drawPanel(Canvas& c, float x, float y, float w, float h, const std::string& title, float bar = 24.0f);
// A recessed field (menus, text fields, displays).
void drawWell(Canvas& c, float x, float y, float w, float h);
// The amber arrow that marks a field as a menu, centred at (x, y).
void drawMenuArrow(Canvas& c, float x, float y);
// A small label, centred in the box (x, y, w, 14), in capitals.
void drawLabel(Canvas& c, float x, float y, float w, const std::string& text,
               Rgba colour = palette::kLabelText);

}  // namespace imggen
