// The sound page's controls as a musician uses them, end to end: the host
// program drives the editor's window with its editor commands, the simulated
// Varno on JACK ports records what reaches it, and PNGs of the window show
// what the window shows. Wheel notches, clicks on lights and on the names
// beside them, the arpeggiator's tempo under the host's tempo, the MIDI
// filter key, and a popup menu.
#include "tests/e2e/e2e_fixture.h"

namespace e2e {
namespace {

constexpr int kOscillator1Semitone = 0, kOscillator1Tune = 3, kOscillator1Shape = 6, kOscillator2Shape = 7;
constexpr int kFilterCutoffModSource = 43, kArpRange = 54, kArpTempo = 55, kOverrideTempo = 73;
constexpr int kOscillator2Keytrack = 37, kOscillator2Sync = 38;
constexpr int kViewMIDIFilterSettings = 161, kEditPage2Switch = 153, kMainTab = 194;

// Window rectangles (left, top, right, bottom) and points of the sound page.
struct Box {
  int l, t, r, b;
  int X() const { return (l + r) / 2; }
  int Y() const { return (t + b) / 2; }
};
constexpr Box kSemitoneKnob{28, 132, 76, 180};
constexpr Box kTuneKnob{106, 138, 142, 174};
constexpr Box kValueLine{656, 34, 1024, 52};
constexpr Box kOscillator1Section{8, 96, 240, 340};
constexpr Box kEnvArpKey{370, 350, 410, 370};
constexpr Box kHostTempoKey{196, 546, 236, 566};
constexpr Box kArpTempoKnob{88, 556, 136, 604};
constexpr Box kFiltersKey{330, 34, 348, 52};
constexpr Box kFiltersClose{944, 100, 968, 124};
constexpr Box kCrossModBadge{136, 310, 232, 328};
constexpr Box kKeytrackKey{400, 250, 440, 270};
constexpr Box kSyncKey{456, 250, 496, 270};
constexpr Box kSyncBadge{408, 310, 504, 328};
constexpr Box kRequestKey{1336, 6, 1376, 26};
constexpr Box kCancelKey{944, 340, 1040, 364};  // on the processing overlay's card
constexpr Box kLibrarianMenu{1016, 96, 1304, 118};
constexpr Box kModSourceMenu{1108, 263, 1180, 276};  // the filter's MOD SOURCE field
// Below that field, where its menu opens: the filter's lower row and the
// modulation units' top.
constexpr Box kUnderTheMenu{1090, 280, 1330, 620};

std::string At(const Box& box) { return std::to_string(box.X()) + " " + std::to_string(box.Y()); }

bool Lit(PIX_pixel p) { return PIX_Red(p) > 200 && PIX_Green(p) < 150; }  // a red light
bool Amber(PIX_pixel p) {
  return PIX_Red(p) > 200 && PIX_Green(p) > 120 && PIX_Green(p) < 210 && PIX_Blue(p) < 80;
}
int Brightness(PIX_pixel p) { return PIX_Red(p) + PIX_Green(p) + PIX_Blue(p); }

std::vector<std::vector<int>> ControlChanges(const std::vector<Record>& records, int controller) {
  std::vector<std::vector<int>> found;
  for (const Record& r : Received(records, "control-change"))
    if (r.bytes.size() == 3 && r.bytes[1] == controller) found.push_back(r.bytes);
  return found;
}

class ControlsEndToEnd : public EditorEndToEnd {
 protected:
  // Waits until the part of the window in box looks as in idle again (the
  // processing overlay of the port's enquiry lies over the whole window
  // while it shows, and takes the input).
  void WaitForIdleWindow(Host& host, const Picture& idle, const Box& box) {
    const auto deadline = steady_clock::now() + kDeadline;
    for (int i = 0; steady_clock::now() < deadline; ++i) {
      if (Snapshot(host, "waiting").Differences(idle, box.l, box.t, box.r, box.b) == 0) return;
      host.Command("wait 200");
    }
    ADD_FAILURE() << "the window never came back from the processing overlay";
  }
  // Chooses the simulator's ports and waits until the window is back from
  // the enquiry's processing overlay; the picture of the window before.
  Picture OpenPortsAndWait(Host& host, Simulator& sim) {
    Picture idle = Snapshot(host, "idle");
    OpenPorts(host, sim);
    WaitForIdleWindow(host, idle, kOscillator1Section);
    return idle;
  }
  // The simulator's control changes of a controller, once at least count arrived
  // and a little longer (so that a second message would be there too).
  std::vector<std::vector<int>> Sent(Simulator& sim, Host& host, int controller, size_t count) {
    sim.WaitFor([&](const std::vector<Record>& r) { return ControlChanges(r, controller).size() >= count; });
    host.Command("wait 300");
    return ControlChanges(sim.Records(), controller);
  }
};

// One notch is one step of a stepped parameter: a semitone, a tune step of
// two; the chart's bytes leave once and the window shows the new value as
// a direct setting of it does.
TEST_F(ControlsEndToEnd, OneWheelNotchOnSemitoneAndTuneSendsExactlyOneStep) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  const Picture idle = OpenPortsAndWait(host, sim);
  sim.Command("records clear");

  const struct {
    const char* what;
    Box knob;
    int param, controller, notches, value, data;
  } kCases[] = {
      {"a semitone up", kSemitoneKnob, kOscillator1Semitone, 32, 1, 49, 49 + 16},
      {"a tune step up", kTuneKnob, kOscillator1Tune, 33, 1, 66, 66},
      {"a tune step down", kTuneKnob, kOscillator1Tune, 33, -1, 64, 64},
  };
  size_t sent[128] = {};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const Picture before = Snapshot(host, "before");
    EXPECT_EQ(host.Command("wheel " + At(c.knob) + " " + std::to_string(c.notches)),
              "wheeled " + std::to_string(c.notches) + " at " + At(c.knob));
    EXPECT_EQ(host.Param(c.param), c.value);
    const auto changes = Sent(sim, host, c.controller, sent[c.controller] + 1);
    ASSERT_EQ(changes.size(), sent[c.controller] + 1) << "one notch, one message";
    EXPECT_EQ(changes.back(), (std::vector<int>{0xB0, c.controller, c.data}));
    sent[c.controller] = changes.size();

    // The knob turned, and the window shows what it shows for the value set
    // directly.
    const Picture wheeled = Snapshot(host, "wheeled");
    EXPECT_GT(wheeled.Differences(before, c.knob.l, c.knob.t, c.knob.r, c.knob.b), 0);
    host.Command("set-param " + std::to_string(c.param) + " " + std::to_string(c.value - c.notches));
    host.Command("set-param " + std::to_string(c.param) + " " + std::to_string(c.value));
    host.Command("wait 100");
    const Picture direct = Snapshot(host, "direct");
    EXPECT_EQ(wheeled.Differences(direct, c.knob.l, c.knob.t, c.knob.r, c.knob.b), 0);
    EXPECT_EQ(wheeled.Differences(direct, kValueLine.l, kValueLine.t, kValueLine.r, kValueLine.b), 0)
        << "the value line";
    sent[c.controller] = ControlChanges(sim.Records(), c.controller).size();
  }
  EXPECT_EQ(host.Quit(), 0);
}

// A click on a light, or on the name written beside it, chooses that value:
// it is sent and the light is lit.
TEST_F(ControlsEndToEnd, AClickOnALightOrOnItsNameSetsAndSendsThatValue) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  const Picture idle = OpenPortsAndWait(host, sim);

  const struct {
    const char* what;
    int x, y;          // where the click goes
    int lightX, topY;  // the column's first light
    bool arpeggiator;  // on the arpeggiator's half of the page
    int param, controller, value;
  } kCases[] = {
      {"Osc 1 PULSE, the name", 115, 260, 84, 244, false, kOscillator1Shape, 34, 1},
      {"Osc 2 TRIANGLE, the light", 324, 276, 324, 244, false, kOscillator2Shape, 38, 2},
      {"Osc 2 X-MOD, the name", 350, 292, 324, 244, false, kOscillator2Shape, 38, 3},
      {"Arp RANGE 3 OCT, the light", 220, 420, 220, 388, true, kArpRange, 103, 2},
      {"Arp RANGE 2 OCT, the name", 250, 404, 220, 388, true, kArpRange, 103, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    if (c.arpeggiator && host.Param(kEditPage2Switch) != 1) {
      host.Command("click " + At(kEnvArpKey));
      ASSERT_EQ(host.Param(kEditPage2Switch), 1);
    }
    const size_t before = ControlChanges(sim.Records(), c.controller).size();
    EXPECT_EQ(host.Command("click " + std::to_string(c.x) + " " + std::to_string(c.y)),
              "clicked " + std::to_string(c.x) + " " + std::to_string(c.y));
    EXPECT_EQ(host.Param(c.param), c.value);
    const auto changes = Sent(sim, host, c.controller, before + 1);
    ASSERT_EQ(changes.size(), before + 1);
    EXPECT_EQ(changes.back(), (std::vector<int>{0xB0, c.controller, c.value}));

    const Picture shown = Snapshot(host, "chosen");
    for (int light = 0; light <= 3; ++light) {
      const PIX_pixel p = shown.At(c.lightX, c.topY + 16 * light);
      if (light == c.value) {
        EXPECT_TRUE(Lit(p)) << "light " << light << " " << Rgb(p);
      } else if (light < c.value) {
        EXPECT_FALSE(Lit(p)) << "light " << light << " " << Rgb(p);
      }
    }
  }
  // The cross-modulation source shows with the fourth shape of Osc 2.
  host.Command("set-param " + std::to_string(kEditPage2Switch) + " 0");
  const Picture crossMod = Snapshot(host, "cross-mod");
  EXPECT_GT(
      crossMod.Differences(idle, kCrossModBadge.l, kCrossModBadge.t, kCrossModBadge.r, kCrossModBadge.b), 0);
  EXPECT_EQ(host.Quit(), 0);
}

// The KEYTRACK and SYNC keys of Osc 2 are switches that light while on:
// a click toggles, sends the controller's value and shows it (SYNC also the
// sync badge).
TEST_F(ControlsEndToEnd, TheKeytrackAndSyncKeysLightWhileOn) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  CloseWelcomeNote(host);  // it covers oscillator 2's SYNC key
  const Picture idle = OpenPortsAndWait(host, sim);
  const struct {
    const char* what;
    Box key;
    int param, controller, value;
  } kCases[] = {
      {"keytrack off", kKeytrackKey, kOscillator2Keytrack, 40, 0},
      {"keytrack on", kKeytrackKey, kOscillator2Keytrack, 40, 1},
      {"sync on", kSyncKey, kOscillator2Sync, 41, 1},
      {"sync off", kSyncKey, kOscillator2Sync, 41, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const size_t before = ControlChanges(sim.Records(), c.controller).size();
    host.Command("click " + At(c.key));
    EXPECT_EQ(host.Param(c.param), c.value);
    const auto changes = Sent(sim, host, c.controller, before + 1);
    ASSERT_EQ(changes.size(), before + 1);
    EXPECT_EQ(changes.back(), (std::vector<int>{0xB0, c.controller, c.value}));
    const Picture shown = Snapshot(host, "key");
    const PIX_pixel bar = shown.At(c.key.X(), c.key.Y());
    if (c.value) {
      EXPECT_GT(PIX_Blue(bar), 200) << "not lit " << Rgb(bar);
    } else {
      EXPECT_LT(PIX_Blue(bar), 150) << "still lit " << Rgb(bar);
    }
    if (c.param == kOscillator2Sync) {
      EXPECT_EQ(shown.Differences(idle, kSyncBadge.l, kSyncBadge.t, kSyncBadge.r, kSyncBadge.b) > 0,
                c.value == 1)
          << "the sync badge";
    }
  }
  EXPECT_EQ(host.Quit(), 0);
}

// The processing overlay's CANCEL stands at one place whatever the editor
// is doing (a sound requested from the sound page, or from the librarian's
// menu), and a click there ends the request: the overlay goes and the
// editor does not go on to look for the Varno at every device ID.
TEST_F(ControlsEndToEnd, CancelStandsAtOnePlaceAndEndsTheRequest) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  const Picture idle = OpenPortsAndWait(host, sim);
  ASSERT_EQ(sim.Command("answer never").back(), "ok");

  // The region of CANCEL while the overlay shows, after the request began.
  auto overlayShown = [&](const Picture& without) {
    const auto deadline = steady_clock::now() + kDeadline;
    while (steady_clock::now() < deadline) {
      Picture now = Snapshot(host, "overlay");
      if (now.Differences(without, kCancelKey.l, kCancelKey.t, kCancelKey.r, kCancelKey.b) > 0) return now;
      host.Command("wait 50");
    }
    ADD_FAILURE() << "no processing overlay showed";
    return Snapshot(host, "overlay");
  };
  auto cancel = [&](const Picture& page) {
    EXPECT_EQ(host.Command("click " + At(kCancelKey)), "clicked " + At(kCancelKey));
    WaitForIdleWindow(host, page, kCancelKey);
  };

  sim.Command("records clear");
  host.Command("click " + At(kRequestKey));
  const Picture fromSoundPage = overlayShown(idle);
  cancel(idle);

  host.Command("set-param " + std::to_string(kMainTab) + " 1");
  host.Command("wait 300");
  const Picture librarian = Snapshot(host, "librarian");
  EXPECT_EQ(host.Command("click " + At(kLibrarianMenu)),
            "clicked " + At(kLibrarianMenu) + ": a menu is open");
  const std::string item = "Request Patch Data>from Active Slot to Plug-in GUI";
  EXPECT_EQ(host.Command("menu " + item), "chose " + item);
  const Picture fromLibrarian = overlayShown(librarian);
  EXPECT_EQ(fromLibrarian.Differences(fromSoundPage, kCancelKey.l, kCancelKey.t, kCancelKey.r, kCancelKey.b),
            0)
      << "CANCEL moved";
  cancel(librarian);

  host.Command("wait 500");
  int scanned = 0;
  for (const Record& r : Received(sim.Records(), "edit-buffer-request"))
    scanned += r.bytes.size() > 3 && r.bytes[3] != 0;
  EXPECT_EQ(scanned, 0) << "requests went on to other device IDs after CANCEL";
  EXPECT_EQ(host.Quit(), 0);
}

// While the host's tempo rules the arpeggiator, the HOST TEMPO key is lit
// and the tempo knob grayed: it takes no turn and sends nothing. With the
// key off the knob is the user's again.
TEST_F(ControlsEndToEnd, TheArpTempoShowsWhileTheHostsTempoRulesIt) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  const Picture idle = OpenPortsAndWait(host, sim);
  host.Command("click " + At(kEnvArpKey));
  ASSERT_EQ(host.Param(kEditPage2Switch), 1);

  EXPECT_EQ(host.Param(kOverrideTempo), 1);
  const Picture ruled = Snapshot(host, "host-rules");
  const PIX_pixel key = ruled.At(kHostTempoKey.X(), kHostTempoKey.Y());
  EXPECT_GT(PIX_Blue(key), 200) << "HOST TEMPO lit " << Rgb(key);
  const double tempo = host.Param(kArpTempo);
  const std::string turn = "drag " + At(kArpTempoKnob) + " " + std::to_string(kArpTempoKnob.X()) + " " +
                           std::to_string(kArpTempoKnob.Y() - 40) + " 8";
  host.Command(turn);
  host.Command("wait 300");
  EXPECT_EQ(host.Param(kArpTempo), tempo) << "the grayed knob turned";
  EXPECT_TRUE(ControlChanges(sim.Records(), 104).empty());

  EXPECT_EQ(host.Command("click " + At(kHostTempoKey)), "clicked " + At(kHostTempoKey));
  EXPECT_EQ(host.Param(kOverrideTempo), 0);
  const Picture own = Snapshot(host, "own-tempo");
  EXPECT_LT(PIX_Blue(own.At(kHostTempoKey.X(), kHostTempoKey.Y())), 150) << "HOST TEMPO off";
  EXPECT_GT(own.Differences(ruled, kArpTempoKnob.l, kArpTempoKnob.t, kArpTempoKnob.r, kArpTempoKnob.b), 0)
      << "the knob looks the same grayed and not";
  host.Command(turn);
  const double turned = host.Param(kArpTempo);
  EXPECT_GT(turned, tempo);
  const auto changes = Sent(sim, host, 104, 1);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), (std::vector<int>{0xB0, 104, static_cast<int>(turned)}));
  EXPECT_EQ(host.Quit(), 0);
}

// The FILTERS key is lit exactly while its panel is open, opened by the key
// and closed by the panel's own close button, each with one click (before
// any port is chosen, when no parameter change reaches the synthesizer).
TEST_F(ControlsEndToEnd, TheFiltersKeyIsLitWhileItsPanelIsOpen) {
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  const Picture closed = Snapshot(host, "closed");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    host.Command("click " + At(kFiltersKey));
    EXPECT_EQ(host.Param(kViewMIDIFilterSettings), 1);
    const Picture open = Snapshot(host, "open");
    const PIX_pixel key = open.At(kFiltersKey.l + 4, kFiltersKey.t + 4);
    EXPECT_TRUE(Amber(key)) << "the key is not lit: " << Rgb(key);
    host.Command("click " + At(kFiltersClose));
    EXPECT_EQ(host.Param(kViewMIDIFilterSettings), 0);
    const Picture shut = Snapshot(host, "shut");
    EXPECT_EQ(shut.Differences(closed, kFiltersKey.l, kFiltersKey.t, kFiltersKey.r, kFiltersKey.b), 0)
        << "the key stayed lit";
  }
  EXPECT_EQ(host.Quit(), 0);
}

// A popup menu wears the face's colours: a dark panel, the entry under the
// pointer in amber. Chosen, its value is sent, and the window under the
// menu shows the page again, every label intact (on the X display when the
// test has one).
TEST_F(ControlsEndToEnd, APopupMenuInTheFacesColoursLeavesTheWindowIntact) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands, true);
  ASSERT_TRUE(host.Open());
  const Picture idle = Snapshot(host, "idle");
  OpenPorts(host, sim);
  WaitForIdleWindow(host, idle, kUnderTheMenu);
  const Picture before = Snapshot(host, "before");

  EXPECT_EQ(host.Command("click " + At(kModSourceMenu)),
            "clicked " + At(kModSourceMenu) + ": a menu is open");
  EXPECT_EQ(host.Command("key down"), "pressed down");
  const Picture open = Snapshot(host, "menu-open");
  int dark = 0, amber = 0, light = 0;
  for (int y = kUnderTheMenu.t; y < kUnderTheMenu.t + 120; ++y) {
    const PIX_pixel p = open.At(kModSourceMenu.X(), y);
    dark += Brightness(p) < 3 * 50;
    amber += Amber(p);
    for (int x = kModSourceMenu.l; x < kModSourceMenu.r; ++x) light += Brightness(open.At(x, y)) > 3 * 180;
  }
  EXPECT_GT(dark, 20) << "the menu's panel is not dark";
  EXPECT_GT(amber, 8) << "no amber highlight";
  EXPECT_GT(light, 20) << "no light text";
  EXPECT_GT(open.Differences(before, kUnderTheMenu.l, kUnderTheMenu.t, kUnderTheMenu.r, kUnderTheMenu.b), 0)
      << "the picture shows no menu";

  EXPECT_EQ(host.Command("menu ENV 1"), "chose ENV 1");
  EXPECT_EQ(host.Param(kFilterCutoffModSource), 2);
  const auto changes = Sent(sim, host, 79, 1);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), (std::vector<int>{0xB0, 79, 2}));
  const Picture after = Snapshot(host, "menu-closed");
  EXPECT_EQ(after.Differences(before, kUnderTheMenu.l, kUnderTheMenu.t, kUnderTheMenu.r, kUnderTheMenu.b), 0)
      << "the window under the menu is not the page's";
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
