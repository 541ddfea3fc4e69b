// Event translation of the portable view: buttons, modifiers, double clicks,
// drags, the wheel and keys, as the client receives them.
#include "tests/view/view_fixture.h"

namespace {

struct Mods {
  bool L, R, S, C, A;
};

void ExpectMod(const ViewMouseMod& m, const Mods& want, const std::string& why) {
  EXPECT_EQ(m.L, want.L) << why;
  EXPECT_EQ(m.R, want.R) << why;
  EXPECT_EQ(m.S, want.S) << why;
  EXPECT_EQ(m.C, want.C) << why;
  EXPECT_EQ(m.A, want.A) << why;
}

using InputTest = ViewFixture;

TEST_F(InputTest, PressesReportButtonsAndModifierKeys) {
  const struct {
    const char* why;
    int button;
    uint32_t modifiers;
    bool hostWindowRules;
    Mods want;
  } kCases[] = {
      {"left click", 1, 0, false, {true, false, false, false, false}},
      {"left click with Command counts as right too",
       1,
       kViewCommand,
       false,
       {true, true, false, false, false}},
      {"right click", 3, 0, false, {false, true, false, false, false}},
      {"right click inside the host's window also reports L", 3, 0, true, {true, true, false, false, false}},
      {"Shift", 1, kViewShift, false, {true, false, true, false, false}},
      {"Control", 1, kViewControl, false, {true, false, false, true, false}},
      {"Option", 3, kViewOption, false, {false, true, false, false, true}},
  };
  for (const auto& c : kCases) {
    ViewRules rules;
    rules.rightClickReportsLeft = c.hostWindowRules;
    m_view->SetRules(rules);
    m_client.calls.clear();
    m_backend->Click(30, 40, c.button, c.modifiers);
    Run();
    ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"down", "up"})) << c.why;
    EXPECT_EQ(m_client.calls[0].x, 30) << c.why;
    EXPECT_EQ(m_client.calls[0].y, 40) << c.why;
    ExpectMod(m_client.calls[0].mod, c.want, c.why);
    ExpectMod(m_client.calls[1].mod, c.want, c.why);
  }
}

TEST_F(InputTest, SecondPressCloseInTimeAndPlaceIsADoubleClick) {
  const struct {
    const char* why;
    int button;
    bool rightDoubleClicks;
    uint32_t gap;
    int dx;
    std::vector<std::string> want;
  } kCases[] = {
      {"left double click", 1, false, 100, 0, {"down", "up", "dbl", "up"}},
      {"at the time limit", 1, false, View::kDoubleClickMs, 0, {"down", "up", "dbl", "up"}},
      {"too late", 1, false, View::kDoubleClickMs + 1, 0, {"down", "up", "down", "up"}},
      {"at the distance limit", 1, false, 100, View::kDoubleClickDistance, {"down", "up", "dbl", "up"}},
      {"too far", 1, false, 100, View::kDoubleClickDistance + 1, {"down", "up", "down", "up"}},
      {"right presses never double", 3, false, 100, 0, {"down", "up", "down", "up"}},
      {"right presses double inside the host's window", 3, true, 100, 0, {"down", "up", "dbl", "up"}},
  };
  for (const auto& c : kCases) {
    ViewRules rules;
    rules.rightDoubleClicks = c.rightDoubleClicks;
    m_view->SetRules(rules);
    m_client.calls.clear();
    m_backend->Advance(5000);
    ViewEvent press;
    press.kind = ViewEvent::kButtonPress;
    press.button = c.button;
    press.x = 50, press.y = 50, press.time = 10000 + 20000 * static_cast<uint32_t>(&c - kCases);
    ViewEvent release = press;
    release.kind = ViewEvent::kButtonRelease;
    m_backend->Queue(press);
    m_backend->Queue(release);
    press.time += c.gap, press.x += c.dx;
    release.x += c.dx;
    m_backend->Queue(press);
    m_backend->Queue(release);
    Run();
    EXPECT_EQ(m_client.Names(), c.want) << c.why;
  }
}

TEST_F(InputTest, DragsFollowTheHeldButtonAndPlainMovesAreMouseOver) {
  m_backend->Press(10, 10);
  m_backend->Move(15, 12, kViewButton1Held);
  m_backend->Release(15, 12);
  m_backend->Press(20, 20, 3);
  m_backend->Move(25, 26, kViewButton3Held);
  m_backend->Release(25, 26, 3);
  m_backend->Move(70, 80, kViewCommand);
  Run();
  ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"down", "drag", "up", "down", "drag", "up", "over"}));
  ExpectMod(m_client.calls[1].mod, {true, false, false, false, false}, "left drag");
  ExpectMod(m_client.calls[4].mod, {false, true, false, false, false}, "right drag");
  EXPECT_EQ(m_client.calls[4].x, 25);
  ExpectMod(m_client.calls[6].mod, {true, true, false, false, false}, "move with Command");
}

TEST_F(InputTest, VerticalWheelStepsAreOnePerNotchAndTheHorizontalWheelIsNotUsed) {
  m_backend->Wheel(40, 50, +1);
  m_backend->Wheel(40, 50, -1, false, kViewShift);
  m_backend->Wheel(40, 50, +1, true);
  Run();
  ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"wheel", "wheel"}));
  EXPECT_EQ(m_client.calls[0].value, 1);
  EXPECT_EQ(m_client.calls[1].value, -1);
  ExpectMod(m_client.calls[0].mod, {true, false, false, false, false}, "wheel");
  ExpectMod(m_client.calls[1].mod, {true, false, true, false, false}, "wheel with Shift");
}

TEST_F(InputTest, KeysBecomeTheGuiCodesAtThePointer) {
  const struct {
    const char* typed;
    ViewSpecialKey special;
    int code;
  } kCases[] = {
      {"", kViewSpecialSpace, kViewKeySpace},
      {"", kViewSpecialUp, kViewKeyUp},
      {"", kViewSpecialDown, kViewKeyDown},
      {"", kViewSpecialLeft, kViewKeyLeft},
      {"", kViewSpecialRight, kViewKeyRight},
      {"0", kViewSpecialNone, 5},
      {"9", kViewSpecialNone, 14},
      {"a", kViewSpecialNone, 15},
      {"A", kViewSpecialNone, 15},
      {"z", kViewSpecialNone, 40},
      {"Z", kViewSpecialNone, 40},
  };
  m_backend->Click(33, 44);
  for (const auto& c : kCases) {
    if (c.special != kViewSpecialNone)
      m_backend->Key(c.special);
    else
      m_backend->Type(c.typed);
  }
  Run();
  ASSERT_EQ(m_client.calls.size(), 2 + sizeof kCases / sizeof kCases[0]);
  for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
    const ClientCall& call = m_client.calls[i + 2];
    EXPECT_EQ(call.what, "key") << i;
    EXPECT_EQ(call.value, kCases[i].code) << kCases[i].typed << " " << i;
    EXPECT_EQ(call.x, 33);
    EXPECT_EQ(call.y, 44);
  }
  EXPECT_TRUE(m_backend->ForwardedKeys().empty());
}

TEST_F(InputTest, KeysTheGuiDoesNotTakeGoToTheHostWindow) {
  m_backend->Type("-");  // one character the GUI has no code for
  m_backend->Key(kViewSpecialReturn);
  m_client.keysUsed = false;
  Run();
  EXPECT_TRUE(m_client.calls.empty());
  EXPECT_EQ(m_backend->ForwardedKeys().size(), 2u);
  m_backend->Type("q");         // a code the GUI refuses
  m_backend->TypeAtOnce("ab");  // several characters at once: dropped entirely
  Run();
  ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"key"}));
  EXPECT_EQ(m_backend->ForwardedKeys().size(), 3u);
}

TEST_F(InputTest, InsideTheHostsWindowKeysAreReportedWhereThePointerLastMoved) {
  ViewRules rules;
  rules.keysAtLastMove = true;
  m_view->SetRules(rules);
  m_backend->Move(5, 6);
  m_backend->Click(70, 80);
  m_backend->Type("b");
  Run();
  ASSERT_EQ(m_client.calls.back().what, "key");
  EXPECT_EQ(m_client.calls.back().x, 5);
  EXPECT_EQ(m_client.calls.back().y, 6);
}

TEST_F(InputTest, ADetachedViewIgnoresInput) {
  m_view->SetClient(nullptr);
  m_backend->Click(1, 1);
  m_backend->Type("a");
  m_backend->Wheel(1, 1, 1);
  Run();
  EXPECT_TRUE(m_client.calls.empty());
  EXPECT_TRUE(m_client.draws.empty());
}

}  // namespace
