#include "tools/imggen/mockup.h"

#include <cstring>
#include <map>
#include <memory>

#include "KIT/pix/pix-blit.h"
#include "KIT/pix/pix-png.h"
#include "tools/imggen/pages.h"
#include "tools/imggen/png-write.h"
#include "tools/imggen/widgets.h"

namespace imggen {

namespace {

class Images {
 public:
  explicit Images(const std::string& dir) : m_dir(dir) {}
  // Frame k of the named file drawn over the window at (x, y); false when
  // the file cannot be read.
  bool place(Canvas& window, const char* file, int x, int y, int frame = 0, int frames = 1) {
    PIX_IBitmap* bm = get(file);
    if (!bm) return false;
    const int fh = bm->getHeight() / frames;
    Canvas tmp(bm->getWidth(), fh);
    PIX_Blit(&tmp.bitmap(), bm, 0, 0, 0, frame * fh, bm->getWidth(), fh, 1.0f, 0);
    window.draw(tmp, x, y);
    return true;
  }
  int width(const char* file) { return get(file) ? get(file)->getWidth() : 0; }

 private:
  PIX_IBitmap* get(const char* file) {
    auto& slot = m_cache[file];
    if (!slot) slot.reset(PIX_LoadPNG((m_dir + "/" + file).c_str(), nullptr));
    return slot.get();
  }
  std::string m_dir;
  std::map<std::string, std::unique_ptr<PIX_IBitmap>> m_cache;
};

const char* ledStrip(size_t count) {
  switch (count) {
    case 3:
      return "tripleledred.png";
    case 4:
      return "quadledred.png";
    case 7:
      return "7ledred.png";
    default:
      return "octoledred.png";
  }
}

const char* ledProtector(size_t count) {
  switch (count) {
    case 3:
      return "triple-led-protector.png";
    case 4:
      return "quad-led-protector.png";
    case 7:
      return "7-led-protector.png";
    default:
      return "octo-led-protector.png";
  }
}

// A plausible control for a cell, at a value that varies from cell to cell.
bool placeControl(Canvas& w, Images& img, const Cell& cell, int cx, int top, int seed) {
  switch (cell.kind) {
    case Kind::Semitone:
      return img.place(w, "knob-varnox-normal-97.png", cx - 24, top, 48 + seed % 30, 97);
    case Kind::Knob:
      return img.place(w, "knob-varnox-normal-fc.png", cx - 24, top, (seed * 53 + 20) % 128, 128);
    case Kind::SmallKnob:
      return img.place(w, "knob-varnox-normal.png", cx - 18, top + 6, (seed * 37) % 128, 128);
    case Kind::Menu: {
      const char* texts[] = {"LFO 1", "ENV 2", "CUTOFF", "VELOCITY", "LEGATO", "2 ST", "MOD WHEEL"};
      w.text(texts[seed % 7], cx - 38.0f, top + 22.0f, 76, 20, fonts::kMono, palette::kAmber, Align::Centre);
      return true;
    }
    case Kind::Switch:
      return img.place(w, "button-blue.png", cx - 20, top + 14, seed % 2, 2);
    case Kind::Choice:
      return img.place(w, "button-grey.png", cx - 20, top + 14, 0, 2) &&
             img.place(w, ledStrip(cell.choices.size()), cx + 28, top, seed % int(cell.choices.size()),
                       int(cell.choices.size())) &&
             img.place(w, ledProtector(cell.choices.size()), cx + 28, top);
    case Kind::Area:
      return img.place(w, "tempo-knob-layer.png", cx - 56, top) &&
             img.place(w, "knob-varnox-normal-fc.png", cx - 24, top + 24, 60, 128);
  }
  return false;
}

void placeSection(Canvas& w, Images& img, const Section& s, int dx, int dy, int& seed, bool& ok) {
  ok = ok && img.place(w, "btn-lock-white.png", dx + s.x + s.w - 26, dy + s.y + 2, seed % 4 == 0, 2);
  for (const Row& row : s.rows)
    for (const Cell& cell : row.cells)
      ok = ok && placeControl(w, img, cell, dx + s.x + cell.centre, dy + s.y + row.top, ++seed);
}

bool placeHeader(Canvas& w, Images& img) {
  bool ok = img.place(w, "main-frame-bg.png", 0, 0);
  ok = ok && img.place(w, "about-trigger.png", 16, 10);
  ok = ok && img.place(w, "main-display.png", 640, 8);
  ok = ok && img.place(w, "singleledgreen.png", 588, kHeaderFieldY[0] + 3, 1, 2);
  ok = ok && img.place(w, "singleledred.png", 588, kHeaderFieldY[1] + 3, 0, 2);
  w.text("OSC 2 TUNE", 656, 12, 360, 20, {"DejaVu Sans Mono", 15, false}, palette::kGreen);
  w.text("+3.5 SEMITONES", 656, 34, 360, 18, {"DejaVu Sans Mono", 13, false}, palette::kBlue);
  w.text("CC 37  VALUE 71", 656, 54, 360, 14, fonts::kMono, palette::kLabelText);
  for (int i = 0; i < 2; ++i) {
    w.text("Varno MIDI 1", 362, float(kHeaderFieldY[i]), 212, 22, fonts::kMono, palette::kAmber);
    w.text(i ? "KEYS" : "Glass Organ 12", 1122, float(kHeaderFieldY[i]), 188, 22, fonts::kMono,
           i ? palette::kAmber : palette::kWhite);
  }
  ok = ok && img.place(w, "button-grey.png", 16, 56, 0, 2) && img.place(w, "button-grey.png", 140, 56, 1, 2);
  ok =
      ok && img.place(w, "button-grey.png", 1336, 6, 0, 2) && img.place(w, "button-grey.png", 1336, 32, 1, 2);
  ok = ok && img.place(w, "button-red.png", 1336, 58, 0, 2);
  return ok;
}

}  // namespace

bool writeEditorMockup(const std::string& imageDir, const std::string& path) {
  Images img(imageDir);
  Canvas w(kWindowWidth, kWindowHeight);
  bool ok = placeHeader(w, img);
  ok = ok && img.place(w, "layer-main.png", 0, kHeaderHeight);
  ok = ok && img.place(w, "envelopes-layer-bg.png", kLowerAreaX, kHeaderHeight + kLowerAreaY);
  int seed = 0;
  for (const Section& s : editorSections()) placeSection(w, img, s, 0, kHeaderHeight, seed, ok);
  for (const Section& s : envelopeSections())
    placeSection(w, img, s, kLowerAreaX, kHeaderHeight + kLowerAreaY, seed, ok);
  ok = ok && img.place(w, "master-indicator.png", 248 + 264 - 104, kHeaderHeight + 8 + 214);
  return ok && writePng(&w.bitmap(), path);
}

bool writeLibrarianMockup(const std::string& imageDir, const std::string& path) {
  Images img(imageDir);
  Canvas w(kWindowWidth, kWindowHeight);
  bool ok = placeHeader(w, img);
  ok = ok && img.place(w, "browser-layer.png", 0, kHeaderHeight);
  ok = ok && img.place(w, "manager_bg_blank.png", 16, kHeaderHeight + 8);
  const char* names[] = {"Glass Organ", "Warm Pad", "Bass 303", "Sync Lead", "Brass Stab", "Noise Sweep"};
  for (int list = 0; list < 2; ++list)
    for (int i = 0; i < 100; ++i) {
      const int col = i / 16, row = i % 16;
      const float x = 16 + 2 + col * 127.0f, y = kHeaderHeight + 8 + (list ? 303 : 1) + row * 16.0f;
      const bool selected = (list == 0 && i == 3) || (list == 1 && i == 21);
      if (selected) w.fillRoundRect(x, y, 100, 16, 0, rgb(225, 225, 225));
      const std::string name = std::to_string(i + 1) + " " + names[(i * 7 + list) % 6];
      w.text(name, x + 3, y, 97, 16, {"DejaVu Sans Mono", 11, false},
             selected ? rgb(0, 0, 0) : rgb(255, 255, 255));
    }
  const int top = kHeaderHeight;
  ok = ok && img.place(w, "categoryFilterBG.png", kLibraryFieldX, top + kLibraryFindY[0]);
  ok = ok && img.place(w, "bg-librarian-search-field.png", kLibraryFieldX, top + kLibraryFindY[1]);
  ok = ok && img.place(w, "btn-search.png", kLibraryFieldX + 248, top + kLibraryFindY[1], 0, 2);
  ok = ok && img.place(w, "btn-lib-display-categories.png", 1322, top + kLibraryBankY[1], 1, 2);
  ok = ok && img.place(w, "btn-lib-discard-edit.png", kLibraryFieldX, top + 150);
  ok = ok && img.place(w, "btn-overwrite-slot.png", kLibraryFieldX + 124, top + 150);
  w.text("User Bank 1", kLibraryFieldX + 6.0f, float(top + kLibraryBankY[0]), 288, 22, fonts::kMono,
         palette::kAmber);
  w.text("Factory Sounds", kLibraryFieldX + 6.0f, float(top + kLibraryBankY[1]), 288, 22, fonts::kMono,
         palette::kAmber);
  w.text("LEADS", kLibraryFieldX + 8.0f, float(top + kLibraryFindY[0]), 200, 24, fonts::kMono,
         palette::kAmber);
  w.text("search...", kLibraryFieldX + 28.0f, float(top + kLibraryFindY[1]), 200, 24, fonts::kMono,
         palette::kLabelText);
  return ok && writePng(&w.bitmap(), path);
}

}  // namespace imggen
