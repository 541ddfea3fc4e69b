#include "tools/imggen/widgets.h"

namespace imggen {

namespace {

// Angle of the knob's value 0..1: a 270-degree sweep centred on the top.
float knobAngle(float value) { return degrees(-135.0f + 270.0f * value); }

Rgba scaled(Rgba c, float f) { return Rgba{c.r * f, c.g * f, c.b * f, c.a}; }

}  // namespace

void drawKnob(Canvas& c, float size, int frame, int frames, bool bipolar) {
  const float mid = size * 0.5f;
  const bool large = size >= 44;
  const float arcRadius = mid - (large ? 3.5f : 3.0f);
  const float arcWidth = large ? 3.5f : 3.0f;
  const float capRadius = arcRadius - (large ? 6.0f : 5.0f);
  const float start = knobAngle(0), end = knobAngle(1);

  // A bipolar knob's centre frame (64 of 128, 48 of 97) points straight up,
  // so the value that means "no change" draws no arc; the frames on either
  // side share the half sweeps.
  float a = knobAngle(frames > 1 ? float(frame) / float(frames - 1) : 0.0f);
  if (bipolar) {
    const int centre = frames / 2;
    a = frame <= centre ? start * float(centre - frame) / float(centre)
                        : end * float(frame - centre) / float(frames - 1 - centre);
  }

  // The track of the whole range, then the value arc over it.
  c.arc(mid, mid, arcRadius, arcWidth, start, end, rgb(55, 58, 64));
  const float from = bipolar ? 0.0f : start;
  if (std::fabs(a - from) > 0.001f) c.arc(mid, mid, arcRadius, arcWidth, from, a, palette::kAmber);

  // The cap: a soft shadow, a lit top edge and a dark rim.
  c.glow(mid, mid + 1.5f, capRadius + 3.0f, rgb(0, 0, 0, 0.55f));
  c.fillCircleV(mid, mid, capRadius, rgb(84, 88, 95), rgb(38, 40, 44));
  c.fillCircleV(mid, mid, capRadius - 2.0f, rgb(64, 67, 73), rgb(44, 46, 51));
  c.strokeCircle(mid, mid, capRadius - 0.5f, 1.0f, rgb(12, 13, 15, 0.8f));

  // The pointer line from near the centre to the cap's edge.
  const float r0 = capRadius * 0.30f, r1 = capRadius - 2.5f;
  c.line(mid + r0 * std::sin(a), mid - r0 * std::cos(a), mid + r1 * std::sin(a), mid - r1 * std::cos(a),
         large ? 3.0f : 2.5f, palette::kWhite);
}

void drawLed(Canvas& c, float cx, float cy, Rgba colour, bool lit) {
  c.fillCircle(cx, cy, 6.0f, rgb(8, 8, 9, 0.9f));
  if (lit) {
    c.glow(cx, cy, 8.0f, withAlpha(colour, 0.8f));
    c.fillCircleV(cx, cy, 4.5f, mix(colour, rgb(255, 255, 255), 0.4f), colour);
    c.fillCircle(cx - 1.2f, cy - 1.4f, 1.6f, rgb(255, 255, 255, 0.7f));
  } else {
    c.fillCircleV(cx, cy, 4.5f, scaled(colour, 0.36f), scaled(colour, 0.16f));
    c.fillCircle(cx - 1.2f, cy - 1.4f, 1.4f, rgb(255, 255, 255, 0.16f));
  }
}

void drawLedColumn(Canvas& c, float y, int count, int lit, Rgba colour) {
  for (int i = 0; i < count; ++i) drawLed(c, 8.0f, y + 8.0f + 16.0f * i, colour, i == lit);
}

void drawLedProtector(Canvas& c, int count) {
  const float h = 16.0f * count;
  c.shade(
      0, 0, 16, h,
      [&](float px, float py) {
        float hole = 1e9f;
        for (int i = 0; i < count; ++i)
          hole = std::min(hole, std::hypot(px - 8.0f, py - (8.0f + 16.0f * i)) - 6.5f);
        return std::max(roundRectDistance(px, py, 0, 0, 16, h, 8), -hole);
      },
      [&](float, float) { return rgb(10, 11, 12, 0.45f); });
  for (int i = 0; i < count; ++i) c.strokeCircle(8.0f, 8.0f + 16.0f * i, 6.75f, 1.5f, rgb(84, 88, 95));
}

void drawKey(Canvas& c, float x, float y, float w, float h, bool pressed) {
  const float r = std::min(4.0f, h * 0.25f);
  c.fillRoundRect(x, y, w, h, r, rgb(10, 11, 12));
  if (pressed)
    c.fillRoundRectV(x + 1, y + 1, w - 2, h - 2, r - 1, rgb(70, 74, 80), rgb(60, 63, 69));
  else
    c.fillRoundRectV(x + 1, y + 1, w - 2, h - 2, r - 1, rgb(74, 78, 85), rgb(46, 48, 53));
  c.fillRoundRect(x + 2, y + 1.5f, w - 4, 1.5f, 0.5f, rgb(255, 255, 255, pressed ? 0.05f : 0.12f));
}

void drawLitButton(Canvas& c, float y, float w, float h, Rgba colour, bool lit) {
  drawKey(c, 0, y, w, h, lit);
  const float barW = std::min(20.0f, w - 12.0f), barH = 4.0f;
  const float bx = (w - barW) * 0.5f, by = y + (h - barH) * 0.5f;
  if (lit) {
    c.glow(w * 0.5f, by + barH * 0.5f, barW * 0.75f, withAlpha(colour, 0.35f));
    c.fillRoundRect(bx, by, barW, barH, 2.0f, mix(colour, rgb(255, 255, 255), 0.25f));
  } else {
    c.fillRoundRect(bx, by, barW, barH, 2.0f, mix(scaled(colour, 0.3f), rgb(20, 21, 23), 0.45f));
  }
}

void drawTextKey(Canvas& c, float x, float y, float w, float h, const std::string& label, Rgba textColour) {
  drawKey(c, x, y, w, h, false);
  c.text(label, x, y, w, h, fonts::kButton, textColour, Align::Centre, 1);
}

void drawPadlock(Canvas& c, float y, Rgba open, Rgba locked, bool isLocked) {
  const Rgba colour = isLocked ? locked : open;
  if (isLocked) c.glow(10.0f, y + 12.0f, 10.0f, withAlpha(locked, 0.25f));
  // Shackle: closed it sits in the body; open it is lifted and swung free
  // on the left.
  const float lift = isLocked ? 0.0f : 3.0f;
  const float sy = y + 8.5f - lift;
  c.arc(10.0f, sy, 3.6f, 2.0f, degrees(-90), degrees(90), colour);
  c.line(13.6f, sy, 13.6f, y + 11.0f, 2.0f, colour);
  c.line(6.4f, sy, 6.4f, isLocked ? y + 11.0f : sy + 1.5f, 2.0f, colour);
  // Body with a keyhole.
  c.fillRoundRect(4.5f, y + 9.5f, 11.0f, 8.5f, 2.0f, colour);
  c.fillCircle(10.0f, y + 13.2f, 1.5f, rgb(15, 16, 18, 0.85f));
}

void drawCheckbox(Canvas& c, float y, bool checked) {
  if (checked) {
    c.fillRoundRect(1.5f, y + 1.5f, 15.0f, 15.0f, 3.0f, palette::kAmber);
    c.line(5.0f, y + 9.2f, 7.8f, y + 12.2f, 2.4f, rgb(24, 20, 12));
    c.line(7.8f, y + 12.2f, 13.2f, y + 5.8f, 2.4f, rgb(24, 20, 12));
  } else {
    c.fillRoundRect(1.5f, y + 1.5f, 15.0f, 15.0f, 3.0f, rgb(122, 127, 135));
    c.fillRoundRectV(3.0f, y + 3.0f, 12.0f, 12.0f, 2.0f, rgb(14, 15, 17), rgb(30, 32, 35));
  }
}

void drawSearchKey(Canvas& c, float y, bool on) {
  drawKey(c, 0, y, 24, 24, on);
  if (on) c.glow(12.0f, y + 12.0f, 12.0f, withAlpha(palette::kAmber, 0.3f));
  const Rgba colour = on ? palette::kAmber : rgb(178, 183, 190);
  c.strokeCircle(10.5f, y + 10.5f, 4.6f, 2.0f, colour);
  c.line(14.0f, y + 14.0f, 18.0f, y + 18.0f, 2.6f, colour);
}

void drawPanel(Canvas& c, float x, float y, float w, float h, const std::string& title, float bar) {
  const float r = 6.0f;
  c.shadow(x, y + 1, w, h, r, 4.0f, rgb(0, 0, 0, 0.35f));
  c.fillRoundRect(x, y, w, h, r, palette::kPanelBorder);
  c.fillRoundRectV(x + 1.5f, y + 1.5f, w - 3, h - 3, r - 1.5f, palette::kPanelTop, palette::kPanelBottom);
  if (title.empty()) return;
  const float barBottom = y + bar;
  c.shade(
      x, y, x + w, barBottom,
      [&](float px, float py) {
        return std::max(roundRectDistance(px, py, x + 1.5f, y + 1.5f, w - 3, h - 3, r - 1.5f),
                        py - barBottom);
      },
      [&](float, float) { return palette::kTitleBar; });
  c.fillRoundRect(x + 1.5f, barBottom, w - 3, 1.5f, 0, rgb(24, 25, 28));
  c.text(title, x + 12, y + 1, w - 24, bar - 1, fonts::kTitle, palette::kTitleText, Align::Left, 1);
}

void drawWell(Canvas& c, float x, float y, float w, float h) {
  c.fillRoundRect(x, y, w, h, 3.0f, rgb(70, 73, 79));
  c.fillRoundRectV(x + 1.5f, y + 1.5f, w - 3, h - 3, 2.0f, rgb(11, 12, 13), palette::kWell);
}

void drawMenuArrow(Canvas& c, float x, float y) {
  c.line(x - 4, y - 2, x, y + 2, 2, palette::kAmber);
  c.line(x, y + 2, x + 4, y - 2, 2, palette::kAmber);
}

void drawLabel(Canvas& c, float x, float y, float w, const std::string& text, Rgba colour) {
  c.text(text, x, y, w, 14, fonts::kLabel, colour, Align::Centre, 0);
}

}  // namespace imggen
