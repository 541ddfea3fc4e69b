// The text field: what the filters and the length limit let through, the
// editing keys, and how an entry in a view ends (taken or dropped).
#include "platform/view/ViewText.h"
#include "tests/view/view_fixture.h"

namespace {

ViewTextEntryRequest Request(const char* text, const char* allowed, int maxLength, bool bytes = false) {
  ViewTextEntryRequest request;
  request.rect = ViewRect(10, 10, 90, 30);
  request.text = text;
  request.filtered = allowed != nullptr;
  request.allowed = allowed ? allowed : "";
  request.maxLength = maxLength;
  request.lengthInBytes = bytes;
  return request;
}

const char kDigits[] = "0123456789-+";
const char kDecimal[] = "0123456789.-+";

// Types each key of keys (one character each; "\b" Backspace, "<" Left,
// ">" Right, "^" Home, "$" End, "~" Delete) into an entry opened on request.
std::string TypeInto(const ViewTextEntryRequest& request, const std::string& keys,
                     std::vector<ViewTextEntry::KeyResult>* results = nullptr) {
  ViewTextEntry entry(request);
  for (size_t i = 0; i < keys.size();) {
    ViewSpecialKey special = kViewSpecialNone;
    switch (keys[i]) {
      case '\b':
        special = kViewSpecialBackspace;
        break;
      case '<':
        special = kViewSpecialLeft;
        break;
      case '>':
        special = kViewSpecialRight;
        break;
      case '^':
        special = kViewSpecialHome;
        break;
      case '$':
        special = kViewSpecialEnd;
        break;
      case '~':
        special = kViewSpecialDelete;
        break;
      default:
        break;
    }
    const int n = special ? 1 : ViewUtf8Length(static_cast<unsigned char>(keys[i]));
    const std::string one = keys.substr(i, static_cast<size_t>(n));
    const ViewTextEntry::KeyResult r = entry.Key(special, special ? nullptr : one.c_str());
    if (results) results->push_back(r);
    i += static_cast<size_t>(n);
  }
  return entry.Text();
}

TEST(TextEntryTest, FiltersAndLimitsDecideWhatIsTyped) {
  const struct {
    const char* why;
    const char* initial;
    const char* allowed;  // null: no filter
    int maxLength;
    bool bytes;
    const char* keys;
    const char* want;
  } kCases[] = {
      {"integer field takes a sign and digits", "", kDigits, 16, false, "-12", "-12"},
      {"integer field refuses the decimal point", "", kDigits, 16, false, "1.5", "15"},
      {"decimal field takes the point, refuses the comma", "", kDecimal, 16, false, "1,5.2", "15.2"},
      {"an empty set refuses everything", "", "", 16, false, "abc", ""},
      {"no filter takes anything printable", "", nullptr, 0, false, "a b!", "a b!"},
      {"the opening text is selected and replaced", "42", kDigits, 16, false, "7", "7"},
      {"a full field still takes a key that replaces its selection", "123", kDigits, 3, false, "9", "9"},
      {"a fourth character is refused at length 3", "", kDigits, 3, false, "1234", "123"},
      {"at the limit Backspace and arrows still work", "", kDigits, 3, false, "123\b4<\b", "14"},
      {"Home, End and Delete", "", nullptr, 0, false, "abc^~$d", "bcd"},
      {"the limit counts characters", "", nullptr, 2, false, "\xC3\xA9\xC3\xA9x", "\xC3\xA9\xC3\xA9"},
      {"or bytes", "", nullptr, 3, true, "\xC3\xA9\xC3\xA9x", "\xC3\xA9x"},
      {"Backspace removes a whole character", "", nullptr, 0, false, "a\xE2\x82\xAC\b", "a"},
      {"control characters are no text", "", nullptr, 0, false,
       "a\x01"
       "b",
       "ab"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(TypeInto(Request(c.initial, c.allowed, c.maxLength, c.bytes), c.keys), c.want) << c.why;
  }
}

TEST(TextEntryTest, RefusedKeysAreSwallowedEndingKeysCommitAndEscapeCancels) {
  std::vector<ViewTextEntry::KeyResult> results;
  TypeInto(Request("", kDigits, 2), "1a23", &results);
  EXPECT_EQ(results,
            (std::vector<ViewTextEntry::KeyResult>{ViewTextEntry::kEdited, ViewTextEntry::kRefused,
                                                   ViewTextEntry::kEdited, ViewTextEntry::kRefused}));
  for (ViewSpecialKey key : {kViewSpecialReturn, kViewSpecialEnter, kViewSpecialTab}) {
    ViewTextEntry entry(Request("5", kDigits, 2));
    EXPECT_EQ(entry.Key(key, nullptr), ViewTextEntry::kCommit) << key;
    EXPECT_EQ(entry.Text(), "5");
  }
  ViewTextEntry entry(Request("5", kDigits, 2));
  EXPECT_EQ(entry.Key(kViewSpecialEscape, nullptr), ViewTextEntry::kCancel);
}

TEST(TextEntryTest, AClickPutsTheCaretAtTheNearestBoundary) {
  ViewFont font("DejaVu Sans Mono", 12);
  ViewTextEntryRequest request = Request("abcd", nullptr, 0);
  ViewTextEntry entry(request);
  int w1 = 0, w2 = 0, h = 0;
  font.Measure("a", 1, &w1, &h);
  font.Measure("ab", 2, &w2, &h);
  entry.ClickAt(2 + w2 + 1, font);  // just right of "ab", left-aligned with a 2-pixel margin
  EXPECT_EQ(entry.Caret(), 2);
  EXPECT_EQ(entry.SelectionStart(), entry.SelectionEnd());
  entry.Key(kViewSpecialNone, "X");
  EXPECT_EQ(entry.Text(), "abXcd");
}

TEST(TextEntryTest, TheFieldIsPaintedInItsColours) {
  ViewFont font("DejaVu Sans Mono", 12);
  ViewTextEntryRequest request = Request("", nullptr, 0);
  request.background = PIX_MakePixel(10, 20, 30, 255);
  ViewTextEntry entry(request);
  PIX_MemBitmap bm(0, 0, 0);
  entry.Paint(&bm, font);
  ASSERT_EQ(bm.getWidth(), 80);
  ASSERT_EQ(bm.getHeight(), 20);
  EXPECT_EQ(bm.getBits()[bm.getRowSpan() * 10 + 40], request.background);

  // Selected text lies on the selection colour (a field opens with all of
  // its text selected).
  request.text = "    ";
  request.selection = PIX_MakePixel(90, 60, 30, 255);
  ViewTextEntry selected(request);
  selected.Paint(&bm, font);
  EXPECT_EQ(bm.getBits()[bm.getRowSpan() * 10 + 6], request.selection);
}

// ---- Entries in a view -------------------------------------------------------------

class EntryInViewTest : public ViewFixture {
 protected:
  void Open(const char* text = "12") {
    ASSERT_TRUE(m_view->OpenTextEntry(Request(text, kDigits, 16)));
    EXPECT_TRUE(m_backend->FieldShown());
    EXPECT_FALSE(m_view->OpenTextEntry(Request("", kDigits, 16)));  // one at a time
  }
  std::vector<std::string> Commits() const {
    std::vector<std::string> out;
    for (const ClientCall& c : m_client.calls)
      if (c.what == "commit") out.push_back(c.text);
    return out;
  }
};

TEST_F(EntryInViewTest, KeysWhileOpenNeverReachTheGui) {
  Open();
  m_backend->Type("5");
  m_backend->Key(kViewSpecialUp);
  m_backend->Type("q");
  Run();
  EXPECT_TRUE(m_client.calls.empty());
  EXPECT_TRUE(m_backend->ForwardedKeys().empty());
  EXPECT_EQ(m_view->TextEntry()->Text(), "5");
}

TEST_F(EntryInViewTest, AClickElsewhereTakesTheTextThenActsAsAClick) {
  Open();
  m_backend->Type("7");
  m_backend->Click(150, 100);
  Run();
  EXPECT_EQ(m_client.Names(), (std::vector<std::string>{"commit", "down", "up"}));
  EXPECT_EQ(m_client.calls[0].text, "7");
}

TEST_F(EntryInViewTest, AClickInTheFieldOnlyMovesTheCaret) {
  Open("1234");
  m_backend->ClickField(3, 5);
  Run();
  EXPECT_TRUE(m_client.calls.empty());
  ASSERT_NE(m_view->TextEntry(), nullptr);
  EXPECT_EQ(m_view->TextEntry()->Caret(), 0);
}

TEST_F(EntryInViewTest, TheWheelDropsTheEntry) {
  Open();
  m_backend->Type("9");
  m_backend->Wheel(20, 20, -1);
  Run();
  EXPECT_EQ(m_client.Names(), (std::vector<std::string>{"wheel"}));
  EXPECT_FALSE(m_backend->FieldShown());
}

// The keys and events that end an entry, under each way of opening the
// editor: a view the host asked for takes the text on Tab and when the
// focus goes; the host's window takes it only on Return or Enter and drops
// it when deactivated.
TEST_F(EntryInViewTest, EndingKeysAndFocusLossUnderEachRoadsRules) {
  ViewRules hostWindow;
  hostWindow.focusLossDropsEntry = true;
  hostWindow.onlyReturnEndsEntry = true;
  const struct {
    const char* why;
    ViewRules rules;
    bool focusLoss;  // else the key
    ViewSpecialKey key;
    bool taken;
    bool stillOpen;
  } kCases[] = {
      {"view: Return", ViewRules(), false, kViewSpecialReturn, true, false},
      {"view: Tab", ViewRules(), false, kViewSpecialTab, true, false},
      {"view: focus loss", ViewRules(), true, kViewSpecialNone, true, false},
      {"view: Escape", ViewRules(), false, kViewSpecialEscape, false, false},
      {"window: Escape", hostWindow, false, kViewSpecialEscape, false, false},
      {"window: Return", hostWindow, false, kViewSpecialReturn, true, false},
      {"window: Enter", hostWindow, false, kViewSpecialEnter, true, false},
      {"window: Tab", hostWindow, false, kViewSpecialTab, false, true},
      {"window: deactivated", hostWindow, true, kViewSpecialNone, false, false},
  };
  for (const auto& c : kCases) {
    m_view->EndTextEntry(false);
    m_client.calls.clear();
    m_view->SetRules(c.rules);
    Open();
    m_backend->Type("3x4");
    if (c.focusLoss)
      m_backend->FocusOut();
    else
      m_backend->Key(c.key);
    Run();
    EXPECT_EQ(Commits(), c.taken ? std::vector<std::string>{"34"} : std::vector<std::string>{}) << c.why;
    EXPECT_EQ(m_backend->FieldShown(), c.stillOpen) << c.why;
    EXPECT_EQ(m_view->TextEntry() != nullptr, c.stillOpen) << c.why;
    if (c.stillOpen) {
      EXPECT_EQ(m_view->TextEntry()->Text(), "34") << c.why << ": Tab typed nothing";
    }
  }
}

TEST_F(EntryInViewTest, TheWheelOverTheFieldActsAsOverTheView) {
  Open();
  ViewEvent wheel;
  wheel.kind = ViewEvent::kButtonPress;
  wheel.target = ViewEvent::kTextField;
  wheel.button = 5;
  wheel.x = 3, wheel.y = 4;
  m_backend->Queue(wheel);
  Run();
  ASSERT_EQ(m_client.Names(), (std::vector<std::string>{"wheel"}));
  EXPECT_EQ(m_client.calls[0].x, 13);  // the field starts at 10, 10
  EXPECT_EQ(m_client.calls[0].y, 14);
  EXPECT_EQ(m_client.calls[0].value, -1);
  EXPECT_FALSE(m_backend->FieldShown());
}

TEST_F(EntryInViewTest, DragsWaitUntilTheEntryIsClosed) {
  Open();
  m_backend->Move(30, 30, kViewButton1Held);
  Run();
  EXPECT_TRUE(m_client.calls.empty());
  m_view->EndTextEntry(false);
  m_backend->Move(31, 30, kViewButton1Held);
  Run();
  EXPECT_EQ(m_client.Names(), (std::vector<std::string>{"drag"}));
}

TEST_F(EntryInViewTest, ClosingRepaintsWhatTheFieldCovered) {
  Run();
  Open();
  m_view->EndTextEntry(false);
  EXPECT_EQ(m_view->InvalidArea(), ViewRect(0, 0, kWidth, kHeight));
  EXPECT_TRUE(Commits().empty());
  m_view->EndTextEntry(true);  // nothing open: nothing taken
  EXPECT_TRUE(Commits().empty());
}

}  // namespace
