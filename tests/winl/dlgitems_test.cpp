// Dialog items by identifier: lookup depth, text, numbers, EN_CHANGE,
// check states, the default button and control kinds.
#include "KIT/winl/winl-creators.h"
#include "KIT/winl/winl-dlg.h"
#include "KIT/winl/winl-wnd-view.h"
#include "wnd_fixture.h"

namespace {

class DlgItemsTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    m_dialog = MakeView(nullptr);
    m_edit = Add(new WmTextField(WmRect{10, 10, 100, 20}), 101);
    m_label = Add(new WmTextField(WmRect{10, 40, 100, 20}), 102);
    m_label->editable = false;
    m_check = Add(new WmButton(WmRect{10, 70, 20, 20}), 103);
    m_check->kind = WmButton::kSwitch;
    // A control two levels down, and one inside a scroll view.
    auto* group = new WmView(WmRect{0, 100, 200, 50});
    WINL_AsView(m_dialog)->AddSubview(group);
    auto* nested = new WmControl(WmRect{0, 0, 10, 10});
    nested->tag = 104;
    group->AddSubview(nested);
    auto* scroll = new WmScrollView(WmRect{0, 160, 200, 100});
    auto* list = new WmControl(WmRect{0, 0, 200, 300});
    list->tag = 105;
    scroll->SetDocumentView(list);
    WINL_AsView(m_dialog)->AddSubview(scroll);
    m_list = list;
  }
  template <class T>
  T* Add(T* control, int tag) {
    control->tag = tag;
    WINL_AsView(m_dialog)->AddSubview(control);
    return control;
  }
  HWND m_dialog = nullptr;
  WmTextField *m_edit = nullptr, *m_label = nullptr;
  WmButton* m_check = nullptr;
  WmControl* m_list = nullptr;
};

TEST_F(DlgItemsTest, ItemsAreFoundAmongTheDirectSubviews) {
  EXPECT_EQ(GetDlgItem(m_dialog, 0), m_dialog);
  EXPECT_EQ(GetDlgItem(m_dialog, 101), m_edit);
  EXPECT_EQ(GetDlgItem(m_dialog, 104), nullptr) << "two levels down";
  EXPECT_EQ(GetDlgItem(m_dialog, 105), m_list) << "inside a scroll view";
  EXPECT_EQ(GetDlgItem(m_dialog, 999), nullptr);
  EXPECT_EQ(GetDlgItem(nullptr, 101), nullptr);
}

TEST_F(DlgItemsTest, GetDlgItemInt) {
  const struct {
    const char* text;
    int isSigned;
    int value, ok;
  } kCases[] = {
      {" 0", 0, 0, 1}, {"\t 42abc", 1, 42, 1}, {"abc", 1, 0, 0}, {"", 1, 0, 0},
      {"-5", 0, 0, 0}, {"-5", 1, -5, 1},       {"-0", 1, 0, 0},  {"007", 0, 7, 1},
  };
  for (const auto& c : kCases) {
    m_edit->text = c.text;
    int ok = -1;
    EXPECT_EQ(GetDlgItemInt(m_dialog, 101, &ok, c.isSigned), c.value) << "'" << c.text << "'";
    EXPECT_EQ(ok, c.ok) << "'" << c.text << "'";
  }
  int ok = -1;
  EXPECT_EQ(GetDlgItemInt(m_dialog, 999, &ok, 1), 0);
  EXPECT_EQ(ok, 0) << "no item";
  EXPECT_EQ(GetDlgItemInt(m_dialog, 101, nullptr, 1), 7);
  SetDlgItemInt(m_dialog, 101, -3, 0);
  EXPECT_EQ(m_edit->text, "4294967293");
  SetDlgItemInt(m_dialog, 101, -3, 1);
  EXPECT_EQ(m_edit->text, "-3");
}

TEST_F(DlgItemsTest, EnChangeOnlyForAnEditableField) {
  Log().clear();
  EXPECT_TRUE(SetDlgItemText(m_dialog, 101, "typed"));
  ASSERT_EQ(Count(m_dialog, WM_COMMAND), 1);
  EXPECT_EQ(Log().back().wParam, (static_cast<unsigned long>(EN_CHANGE) << 16) | 101);
  EXPECT_EQ(Log().back().lParam, reinterpret_cast<long>(static_cast<HWND>(m_edit)));
  EXPECT_TRUE(SetDlgItemText(m_dialog, 102, "label"));
  EXPECT_EQ(Count(m_dialog, WM_COMMAND), 1) << "a label tells nobody";
  char text[4];
  EXPECT_TRUE(GetDlgItemText(m_dialog, 101, text, sizeof text));
  EXPECT_STREQ(text, "typ");
  EXPECT_FALSE(SetDlgItemText(m_dialog, 105, "x")) << "a control without text";
  EXPECT_FALSE(GetDlgItemText(m_dialog, 999, text, sizeof text));
  EXPECT_STREQ(text, "");
}

TEST_F(DlgItemsTest, TheContentViewsTextIsItsWindowsTitle) {
  auto* window = new WmWindow(WmRect{0, 0, 200, 100}, kWmTitled);
  HWND content = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(LoggingProc), 0);
  EXPECT_TRUE(SetDlgItemText(content, 0, "Enter Bank Name"));
  EXPECT_EQ(window->title, "Enter Bank Name");
  char text[64];
  EXPECT_TRUE(GetDlgItemText(content, 0, text, sizeof text));
  EXPECT_STREQ(text, "Enter Bank Name");
}

TEST_F(DlgItemsTest, CheckStatesAndTheDefaultButton) {
  const struct {
    int check, state, reads;
  } kCases[] = {{0, 0, 0}, {1, 1, 1}, {2, -1, 2}, {3, -1, 2}, {5, 1, 1}};
  for (const auto& c : kCases) {
    CheckDlgButton(m_dialog, 103, c.check);
    EXPECT_EQ(m_check->state, c.state) << c.check;
    EXPECT_EQ(IsDlgButtonChecked(m_dialog, 103), c.reads) << c.check;
  }
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, 101), 0) << "not a button";

  auto* window = new WmWindow(WmRect{0, 0, 200, 100}, kWmTitled);
  HWND content = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(LoggingProc), 0);
  EXPECT_EQ(WINL_GetDefaultButtonID(content, false), 0);
  auto* ok = new WmButton(WmRect{0, 0, 60, 20});
  ok->tag = 10006;
  WINL_AsView(content)->AddSubview(ok);
  window->defaultButton = ok;
  EXPECT_EQ(WINL_GetDefaultButtonID(content, true), 10006);
  ok->SetEnabled(false);
  EXPECT_EQ(WINL_GetDefaultButtonID(content, true), 0);
  EXPECT_EQ(WINL_GetDefaultButtonID(content, false), 10006);
}

TEST_F(DlgItemsTest, KindsAndFittedSizes) {
  EXPECT_TRUE(WINL_IsStaticText(m_label));
  EXPECT_TRUE(WINL_IsStaticText(m_edit));
  EXPECT_FALSE(WINL_IsStaticText(m_check));
  EXPECT_FALSE(WINL_IsButton(nullptr));
  EXPECT_FALSE(WINL_IsGroupBox(m_dialog));
  RECT r{1, 2, 3, 4};
  m_check->kind = WmButton::kPush;
  m_check->title = "A longer title";
  WINL_GetDesiredControlSize(m_check, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_GT(r.right, 60);
  EXPECT_GT(r.bottom, 10);
  const WmRect before = m_check->frame();
  EXPECT_EQ(before.width, 20) << "the frame stays";
  RECT unchanged{1, 2, 3, 4};
  WINL_GetDesiredControlSize(m_dialog, &unchanged);
  EXPECT_EQ(unchanged.right, 3) << "not a control";
}

// ---- Dialogs generated from rows (with the control creators) ------------------------------

// The bank-name dialog's compiled list: a zero row, four controls, a zero row.
const WINL_DialogControlRow kBankNameRows[] = {
    {nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
    {"__WINL_LABEL", -1, "Bank Name", 0, 10, 10, 200, 8, 0},
    {"__WINL_EDIT", 0, nullptr, 10013, 10, 20, 200, 12, 0x10000},
    {"__WINL_BUTTON", 0, "&Cancel", 2, 160, 60, 50, 14, 0},
    {"__WINL_BUTTON", 0, "&OK    ", 10006, 100, 60, 50, 14, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};
void BankNameCreate(HWND hwnd, int flags) {
  WINL_MakeSetCurParms(1.8f, 1.8f, 0, 0, hwnd, false, !(flags & 0x8));
  WINL_GenerateDialogFromList(&kBankNameRows[1], 4);
}
char kBankName[] = "bank name";
WINL_DialogResourceIndex g_bankName{kBankName, "Enter Bank Name", 0x4, BankNameCreate, 380, 150, nullptr};

TEST_F(DlgItemsTest, TheBankNameDialogIsGeneratedFromItsRows) {
  HWND dialog = WINL_CreateDialog(&g_bankName, kBankName, nullptr, reinterpret_cast<DLGPROC>(LoggingProc), 0);
  ASSERT_NE(dialog, nullptr);
  const std::vector<WmView*>& controls = WINL_AsView(dialog)->subviews();
  ASSERT_EQ(controls.size(), 4u);
  EXPECT_TRUE(WINL_IsStaticText(controls[0]));
  auto* edit = dynamic_cast<WmTextField*>(GetDlgItem(dialog, 10013));
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->editable);
  EXPECT_EQ(edit->frame().x, 18) << "dialog units at 1.8";
  EXPECT_EQ(edit->frame().width, 360);
  EXPECT_TRUE(WINL_IsButton(GetDlgItem(dialog, 2)));
  EXPECT_TRUE(WINL_IsButton(GetDlgItem(dialog, 10006)));
  Log().clear();
  EXPECT_TRUE(SetDlgItemText(dialog, 10013, "Pads"));
  EXPECT_EQ(Count(dialog, WM_COMMAND), 1) << "EN_CHANGE from the generated field";
  char name[16];
  EXPECT_TRUE(GetDlgItemText(dialog, 10013, name, sizeof name));
  EXPECT_STREQ(name, "Pads");
}

TEST_F(DlgItemsTest, RowsOfOtherKinds) {
  const WINL_DialogControlRow rows[] = {
      {"__WINL_CHECKBOX", 0, "Send", 301, 10, 10, 80, 12, 0},
      {"Caption", 302, "", 0, 10, 30, 80, 12, 0},  // no class name: nothing
      {"Text", 303, "static", 0, 10, 50, 80, 12, 0},
  };
  WINL_MakeSetCurParms(1, 1, 0, 0, m_dialog, false, false);
  const size_t before = WINL_AsView(m_dialog)->subviews().size();
  WINL_GenerateDialogFromList(rows, 0);
  EXPECT_EQ(WINL_AsView(m_dialog)->subviews().size(), before) << "a count of 0";
  WINL_GenerateDialogFromList(rows, 3);
  EXPECT_EQ(WINL_AsView(m_dialog)->subviews().size(), before + 2);
  auto* check = dynamic_cast<WmButton*>(GetDlgItem(m_dialog, 301));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->kind, WmButton::kSwitch) << "style 0 | 3: an automatic check box";
  CheckDlgButton(m_dialog, 301, 1);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog, 301), 1);
  EXPECT_EQ(GetDlgItem(m_dialog, 302), nullptr);
  EXPECT_TRUE(WINL_IsStaticText(GetDlgItem(m_dialog, 303)));
}

TEST_F(DlgItemsTest, AButtonMadeAsTheDefaultOneIsItsWindowsDefault) {
  auto* window = new WmWindow(WmRect{0, 0, 200, 100}, kWmTitled);
  HWND content = WINL_CreateWindowView(nullptr, window, reinterpret_cast<DLGPROC>(LoggingProc), 0);
  WINL_MakeSetCurParms(1, 1, 0, 0, content, false, false);
  WINL_MakeButton(0, "Cancel", 2, 10, 70, 50, 14, 0);
  EXPECT_EQ(WINL_GetDefaultButtonID(content, false), 0);
  WINL_MakeButton(1, "OK", 304, 70, 70, 50, 14, 0);
  EXPECT_EQ(WINL_GetDefaultButtonID(content, false), 304);
}

}  // namespace
