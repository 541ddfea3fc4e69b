// Typing into the layer's text fields and combo boxes through the window
// model's field editor, headless: what the text becomes, which
// notifications the dialog hears, and how editing ends. Also the click
// count of a display's presses and the double-click code a plain control's
// command carries.
#include <string>
#include <vector>

#include "KIT/winl/winl-controls.h"
#include "KIT/winl/winl-dlg.h"
#include "controls_fixture.h"
#include "platform/window/WindowPresenter.h"

namespace {

// Key codes of the platform keyboard.
enum {
  kReturn = 36,
  kTab = 48,
  kBackspace = 51,
  kHome = 115,
  kDelete = 117,
  kEnd = 119,
  kLeft = 123,
  kRight = 124
};

class TypingTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ShowWindow(m_content, 2);
  }
  void Key(int code, std::u32string characters = U"", uint32_t modifiers = 0) {
    WmKeyEvent k;
    k.keyCode = code;
    k.characters = k.charactersIgnoringModifiers = characters;
    k.modifiers = modifiers;
    m_window->SendKeyEvent(k);
  }
  void Type(const std::u32string& text) {
    for (char32_t c : text) Key(0, std::u32string(1, c));
  }
  // A press (and its release) at p of view, through the window as a
  // presenter delivers it.
  void Click(WmView* view, WmPoint p, int clicks = 1) {
    WmApplication::Shared().DeliverMouseEvent(At(view, kWmLeftDown, p, 0, clicks));
    WmApplication::Shared().DeliverMouseEvent(At(view, kWmLeftUp, p, 0, clicks));
  }
  std::string Text(int id) {
    char buffer[256];
    return GetDlgItemText(m_content, id, buffer, sizeof buffer) ? buffer : "<none>";
  }
};

// ---- Keys in a field -------------------------------------------------------------------------

// Each row starts from "" in a freshly clicked field, types and presses
// keys in order (a key code 0 types its characters), and ends with the text.
struct KeyStep {
  int code;
  std::u32string characters;
  uint32_t modifiers;
};
struct TypingCase {
  const char* why;
  std::vector<KeyStep> steps;
  const char* text;
};

TEST_F(TypingTest, KeysEditTheText) {
  const TypingCase cases[] = {
      {"characters go in at the caret", {{0, U"ab", 0}, {0, U"c", 0}}, "abc"},
      {"Backspace takes the character before the caret", {{0, U"abc", 0}, {kBackspace, U"", 0}}, "ab"},
      {"Backspace takes a whole UTF-8 character", {{0, U"a\u00e9", 0}, {kBackspace, U"", 0}}, "a"},
      {"Delete takes the character after the caret",
       {{0, U"abc", 0}, {kLeft, U"", 0}, {kLeft, U"", 0}, {kDelete, U"", 0}},
       "ac"},
      {"Home and End move the caret",
       {{0, U"bc", 0}, {kHome, U"", 0}, {0, U"a", 0}, {kEnd, U"", 0}, {0, U"d", 0}},
       "abcd"},
      {"Shift extends the selection that typing replaces",
       {{0, U"abcd", 0}, {kLeft, U"", kWmShift}, {kLeft, U"", kWmShift}, {0, U"X", 0}},
       "abX"},
      {"a Left with a selection goes to its start",
       {{0, U"abcd", 0}, {kLeft, U"", kWmShift}, {kLeft, U"", 0}, {0, U"X", 0}},
       "abcXd"},
      {"Right at the end stays there", {{0, U"ab", 0}, {kRight, U"", 0}, {0, U"c", 0}}, "abc"},
      {"Backspace at the start does nothing", {{kBackspace, U"", 0}, {0, U"a", 0}}, "a"},
      {"control characters and Command keys type nothing", {{0, U"a\x01", 0}, {0, U"q", kWmCommand}}, "a"},
  };
  HWND field = WINL_MakeEditField(70, 10, 10, 150, 14, 0);
  auto* view = dynamic_cast<WmTextField*>(static_cast<WmObject*>(field));
  ASSERT_NE(view, nullptr);
  for (const TypingCase& c : cases) {
    view->text.clear();
    Click(view, WmPoint{5, 5});
    ASSERT_NE(view->CurrentEditor(), nullptr) << c.why;
    for (const KeyStep& step : c.steps) Key(step.code, step.characters, step.modifiers);
    EXPECT_EQ(view->text, c.text) << c.why;
    Key(kReturn);
  }
}

TEST_F(TypingTest, TypedChangesReachTheDialogAsTextChanges) {
  HWND field = WINL_MakeEditField(71, 10, 10, 150, 14, 0);
  auto* view = dynamic_cast<WmTextField*>(static_cast<WmObject*>(field));
  Click(view, WmPoint{5, 5});
  EXPECT_EQ(GetFocus(), field) << "the field editor stands for its field";
  Type(U"Pad");
  EXPECT_EQ(CountNotices(WM_COMMAND, 0x300), 3) << "one text change for each key";
  EXPECT_EQ(Notices().back().id, 71);
  EXPECT_EQ(Notices().back().lParam, reinterpret_cast<long>(field));
  EXPECT_EQ(Text(71), "Pad") << "the dialog reads what was typed";
  Key(kLeft);
  EXPECT_EQ(CountNotices(WM_COMMAND, 0x300), 3) << "moving the caret changes nothing";
  Key(kReturn);
  EXPECT_EQ(CountNotices(WM_COMMAND, 0), 1) << "Return runs the field's command";
  EXPECT_EQ(view->CurrentEditor(), nullptr) << "and ends the editing";
  Type(U"x");
  EXPECT_EQ(Text(71), "Pad") << "keys after the end do not edit";
}

TEST_F(TypingTest, EditingEndsWhenSomethingElseTakesTheKeyboard) {
  auto* first =
      dynamic_cast<WmTextField*>(static_cast<WmObject*>(WINL_MakeEditField(72, 10, 10, 150, 14, 0)));
  auto* label =
      dynamic_cast<WmTextField*>(static_cast<WmObject*>(WINL_MakeLabel(-1, "Name", 73, 10, 40, 60, 12, 0)));
  auto* second =
      dynamic_cast<WmTextField*>(static_cast<WmObject*>(WINL_MakeEditField(74, 10, 70, 150, 14, 0)));
  Click(first, WmPoint{5, 5});
  Type(U"a");
  Key(kTab);
  EXPECT_EQ(first->CurrentEditor(), nullptr);
  ASSERT_NE(second->CurrentEditor(), nullptr) << "Tab goes on to the next field";
  Key(kTab, U"", kWmShift);
  EXPECT_NE(first->CurrentEditor(), nullptr) << "Shift-Tab back";
  EXPECT_EQ(CountNotices(WM_COMMAND, 0), 0) << "Tab runs no command";
  // A press on the label beneath ends the editing, keeping the text.
  Click(label, WmPoint{2, 2});
  EXPECT_EQ(first->CurrentEditor(), nullptr);
  EXPECT_EQ(first->text, "a");
  // The program moving the focus ends it too.
  Click(second, WmPoint{5, 5});
  SetFocus(m_content);
  EXPECT_EQ(second->CurrentEditor(), nullptr);
  // A field being typed into takes new text from the program.
  Click(first, WmPoint{5, 5});
  SetDlgItemText(m_content, 72, "new");
  Type(U"er");
  EXPECT_EQ(first->text, "newer");
  // Destroying the dialog while typing leaves nothing behind.
  DestroyWindow(m_content);
  Type(U"z");
}

TEST_F(TypingTest, ReadOnlyFieldsAndLabelsTakeNoTyping) {
  auto* readOnly =
      dynamic_cast<WmTextField*>(static_cast<WmObject*>(WINL_MakeEditField(75, 10, 10, 150, 14, 0x800)));
  Click(readOnly, WmPoint{5, 5});
  EXPECT_EQ(readOnly->CurrentEditor(), nullptr);
  // A label that notifies reports its clicks; a double click as such.
  auto* label = dynamic_cast<WmTextField*>(
      static_cast<WmObject*>(WINL_MakeLabel(-1, "Bank", 76, 10, 40, 60, 12, 0x100)));
  Click(label, WmPoint{2, 2});
  Click(label, WmPoint{2, 2}, 2);
  ASSERT_EQ(CountNotices(WM_COMMAND, 0) + CountNotices(WM_COMMAND, 1), 2);
  EXPECT_EQ(CountNotices(WM_COMMAND, 0), 1) << "a single click";
  EXPECT_EQ(CountNotices(WM_COMMAND, 1), 1) << "the double click's code from the current event";
  EXPECT_EQ(Notices().back().id, 76);
  // The action run outside any mouse event carries no double-click code.
  label->action(label);
  EXPECT_EQ(CountNotices(WM_COMMAND, 0), 2);
}

TEST_F(TypingTest, ComboBoxesAreTypedIntoAndChosenFrom) {
  auto* combo = dynamic_cast<WmPopup*>(WINL_MakeCombo(77, 10, 10, 150, 12, 0));
  ASSERT_NE(combo, nullptr);
  WINL_CB_AddString(m_content, 77, "Saw");
  WINL_CB_AddString(m_content, 77, "Square");
  Click(combo, WmPoint{5, 5});
  Type(U"Tri");
  EXPECT_EQ(CountNotices(WM_COMMAND, 5), 3) << "an edit change for each key";
  EXPECT_EQ(CountNotices(WM_COMMAND, 0x300), 0);
  EXPECT_EQ(Text(77), "Tri");
  // Choosing from the list ends the typing and shows the choice.
  WmApplication::Shared().popupMenuHook = [](WmMenu* menu, WmView*, WmPoint, WmMenu** chosen, int* index) {
    *chosen = menu;
    *index = 1;
    return true;
  };
  Click(combo, WmPoint{combo->frame().width - 4, 5});
  EXPECT_EQ(combo->CurrentEditor(), nullptr);
  EXPECT_EQ(Text(77), "Square");
  EXPECT_EQ(CountNotices(WM_COMMAND, 1), 1) << "the selection changed";
  // A drop-down list is never typed into.
  auto* list = dynamic_cast<WmPopup*>(WINL_MakeCombo(78, 10, 40, 150, 12, CBS_DROPDOWNLIST));
  WmApplication::Shared().popupMenuHook = nullptr;
  Click(list, WmPoint{5, 5});
  EXPECT_EQ(WmCurrentFieldEditor(m_window), nullptr);
}

// ---- Click counts ------------------------------------------------------------------------------

TEST(ClickCounter, CountsPressesOfOneButtonCloseInTimeAndPlace) {
  const struct {
    const char* why;
    int button;
    uint32_t time;
    int x, y;
    int count;
  } presses[] = {
      {"a first press", 1, 1000, 10, 10, 1},
      {"again within the time", 1, 1400, 11, 12, 2},
      {"a third", 1, 1800, 10, 10, 3},
      {"too late", 1, 2301, 10, 10, 1},
      {"in time but too far", 1, 2400, 15, 10, 1},
      {"another button", 3, 2500, 15, 10, 1},
      {"that button again", 3, 3000, 15, 10, 2},
      {"across the wrap of the clock", 3, 0xFFFFFF00u, 15, 10, 1},
      {"", 3, 0x00000010u, 15, 10, 2},
  };
  WmClickCounter counter;
  for (const auto& p : presses) {
    EXPECT_EQ(counter.Press(p.button, p.time, p.x, p.y), p.count) << p.why;
    EXPECT_EQ(counter.Count(), p.count) << "the release carries the press's count";
  }
}

}  // namespace
