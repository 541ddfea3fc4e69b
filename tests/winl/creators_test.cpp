// Control creators: the coordinate conversion, negative sizes, the automatic
// right-shift, the push-button looks, edit fields, creation by class name
// and the custom creators, headless.
#include <string>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-creators.h"
#include "controls_fixture.h"

namespace {

class CreatorTest : public ControlTest {
 protected:
  void TearDown() override {
    g_winl_want_nice_style = 1;
    ControlTest::TearDown();
  }
  static WmRect Frame(HWND hwnd) { return WINL_AsView(hwnd)->frame(); }
};

TEST_F(CreatorTest, DialogUnitsToParentCoordinates) {
  const struct {
    const char* why;
    float scale;
    int x, y, w, h;
    bool unscaledHeight;
    RECT want;
  } kCases[] = {
      {"scale 1.8 in a flipped parent", 1.8f, 10, 20, 50, 14, false, RECT{18, 36, 108, 61}},
      {"scale 1", 1.0f, 10, 20, 50, 14, false, RECT{10, 20, 60, 34}},
      {"height kept unscaled", 1.8f, 10, 20, 50, 22, true, RECT{18, 36, 108, 58}},
      {"negative sizes: the negated rectangle, unscaled", 1.8f, 10, 20, -50, -14, false,
       RECT{-10, -20, 40, -6}},
      // -90 + 0.5 rounds toward zero: -89.
      {"one negative size is scaled", 1.8f, 10, 20, -50, 14, false, RECT{18, 36, -71, 61}},
  };
  for (const auto& c : kCases) {
    WINL_MakeSetCurParms(c.scale, c.scale, 0, 0, m_content, false, false);
    const RECT r = WINL_MakeCoords(c.x, c.y, c.w, c.h, true, c.unscaledHeight);
    EXPECT_EQ(r.left, c.want.left) << c.why;
    EXPECT_EQ(r.top, c.want.top) << c.why;
    EXPECT_EQ(r.right, c.want.right) << c.why;
    EXPECT_EQ(r.bottom, c.want.bottom) << c.why;
  }
  // The frame of a control made there.
  WINL_MakeSetCurParms(1.8f, 1.8f, 0, 0, m_window, false, false);
  HWND label = WINL_MakeLabel(-1, "Name", 5, 10, 20, 50, 14, 0);
  const WmRect f = Frame(label);
  EXPECT_EQ(f.x, 18);
  EXPECT_EQ(f.y, 36);
  EXPECT_EQ(f.width, 90);
  EXPECT_EQ(f.height, 25);
  EXPECT_EQ(WINL_AsView(label)->superview(), WINL_AsView(m_content)) << "a window means its content view";
  HWND raw = WINL_MakeLabel(-1, "Raw", 6, 10, 20, -50, -14, 0);
  EXPECT_EQ(Frame(raw).x, -10);
  EXPECT_EQ(Frame(raw).width, 50);
}

TEST_F(CreatorTest, AControlThatGrewShiftsTheNextOneInItsRow) {
  WINL_MakeSetCurParms(1, 1, 0, 0, m_content, true, true);
  HWND label = WINL_MakeLabel(-1, "A rather long label text", 1, 10, 10, 20, 12, 0);
  const double grown = Frame(label).width - 20;
  ASSERT_GT(grown, 0) << "sized to fit its text";
  HWND field = WINL_MakeEditField(2, 40, 10, 50, 12, 0);
  EXPECT_EQ(Frame(field).x, 40 + static_cast<int>(grown)) << "starts within 32 units of the label's edge";
  HWND farAway = WINL_MakeEditField(3, 200, 10, 50, 12, 0);
  EXPECT_EQ(Frame(farAway).x, 200) << "too far from the last edge";
  HWND nextRow = WINL_MakeEditField(4, 40, 60, 50, 12, 0);
  EXPECT_EQ(Frame(nextRow).x, 40) << "another row";

  WINL_MakeSetCurParms(1, 1, 0, 0, m_content, false, true);
  WINL_MakeLabel(-1, "A rather long label text", 5, 10, 80, 20, 12, 0);
  EXPECT_EQ(Frame(WINL_MakeEditField(6, 40, 80, 50, 12, 0)).x, 40) << "right-shift off";
}

TEST_F(CreatorTest, PushButtonLooks) {
  WINL_MakeSetCurParms(1, 1, 0, 0, m_content, false, false);
  const struct {
    int nice;
    int h;
    double height;
    int bezel;
  } kCases[] = {{1, 20, 20, 6}, {0, 20, 24, 1}, {0, 17, 17, 1}, {0, 30, 30, 1}};
  for (const auto& c : kCases) {
    g_winl_want_nice_style = c.nice;
    auto* button = dynamic_cast<Winl_vVivivI_button*>(WINL_MakeButton(0, "&Save", 1, 0, 0, 60, c.h, 0));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->frame().height, c.height) << c.nice << " " << c.h;
    EXPECT_EQ(button->bezelStyle, c.bezel);
    EXPECT_EQ(button->title, "Save") << "the ampersand goes";
  }
  auto* icon = dynamic_cast<Winl_vVivivI_button*>(
      WINL_MakeButton(1, reinterpret_cast<const char*>(0x80), 2, 0, 0, 20, 20, 0));
  EXPECT_EQ(icon->title, "ICONTEMP");
  EXPECT_TRUE(icon->isDefaultButton);
  auto* amp = dynamic_cast<Winl_vVivivI_button*>(
      WINL_MakeControl("R&&D &x", 3, "Button", 0x08000000, 0, 0, 60, 20, 0));
  EXPECT_EQ(amp->title, "R&D x");
  EXPECT_TRUE(WINL_AsView(WINL_MakeButton(0, "h", 4, 0, 0, 20, 20, 0x80000000L))->IsHidden());
}

TEST_F(CreatorTest, EditFieldKinds) {
  auto* single = dynamic_cast<Winl_vVivivI_textfield*>(WINL_MakeEditField(1, 0, 0, 50, 12, 0x800 | 0x2));
  ASSERT_NE(single, nullptr);
  EXPECT_FALSE(single->wraps) << "height 12: no wrapping";
  EXPECT_FALSE(single->editable);
  EXPECT_TRUE(single->selectable);
  EXPECT_EQ(single->alignment, 1);
  auto* password =
      dynamic_cast<Winl_vVivivI_textfield*>(WINL_MakeEditField(2, 0, 0, 50, 24, 0x20 | 0x1 | 0x2));
  EXPECT_TRUE(password->secure);
  EXPECT_TRUE(password->wraps);
  EXPECT_EQ(password->alignment, 2) << "centred when both";
  HWND multi = WINL_MakeEditField(3, 0, 0, 50, 40, 0x100000);
  EXPECT_NE(dynamic_cast<Winl_vVivivI_textview*>(multi), nullptr);
  HWND scrolling = WINL_MakeEditField(4, 0, 0, 50, 40, 0x200000);
  auto* scroll = dynamic_cast<WmScrollView*>(scrolling);
  ASSERT_NE(scroll, nullptr) << "returned as its scroll view";
  EXPECT_NE(dynamic_cast<Winl_vVivivI_textview*>(scroll->documentView()), nullptr);
  EXPECT_EQ(GetWindowLong(scroll->documentView(), GWL_ID), 4);
}

TEST_F(CreatorTest, ControlsByClassName) {
  const struct {
    const char* classname;
    long style;
    const char* made;  // class of the view itself (the document for scroll views)
  } kCases[] = {
      {"SysTabControl32", 0, "Winl_vVivivI_tabview"},
      {"syslistview32", LVS_REPORT, "Winl_vVivivI_listview"},
      {"SysListView32_LB", 0, "Winl_vVivivI_listview"},
      {"SysTreeView32", 0, "Winl_vVivivI_treeview"},
      {"msctls_progress32", 0, "Winl_vVivivI_progind"},
      {"Edit", 0, "Winl_vVivivI_textfield"},
      {"STATIC", 1, "Winl_vVivivI_textfield"},
      {"Button", 3, "Winl_vVivivI_button"},
      {"Button", 0x20000000, "Winl_vVivivI_box"},
      {"msctls_trackbar32", 0, "NSSlider"},
  };
  for (const auto& c : kCases) {
    HWND made = WINL_MakeControl("Text", 8, c.classname, c.style, 0, 0, 50, 20, 0);
    WmView* view = WINL_AsView(made);
    ASSERT_NE(view, nullptr) << c.classname;
    if (auto* scroll = dynamic_cast<WmScrollView*>(view)) view = scroll->documentView();
    EXPECT_STREQ(view->ClassName(), c.made) << c.classname;
    EXPECT_EQ(view->superview() == WINL_AsView(m_content) || view->window() == m_window, true) << c.classname;
  }
  EXPECT_EQ(WINL_MakeControl("x", 1, "NoSuchClass", 0, 0, 0, 10, 10, 0), nullptr);
  EXPECT_EQ(WINL_MakeControl("x", 1, nullptr, 0, 0, 0, 10, 10, 0), nullptr);
  auto* check = dynamic_cast<Winl_vVivivI_button*>(WINL_MakeCheckBox("c", 9, 0, 0, 20, 10, 0));
  EXPECT_EQ(check->kind, WmButton::kSwitch);
  auto* lb = WINL_AsListView(WINL_MakeListBox(10, 0, 0, 100, 50, LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL));
  ASSERT_NE(lb, nullptr);
  EXPECT_TRUE(lb->m_lbMode);
  EXPECT_TRUE(lb->allowsMultipleSelection);
  EXPECT_FALSE(lb->hasHeader);
  ASSERT_EQ(lb->m_cols.size(), 1u);
  EXPECT_EQ(lb->m_cols[0]->width, 300) << "at least 300 wide";
  EXPECT_NE(dynamic_cast<Winl_vVivivI_ODlistviewcell*>(lb->m_cols[0]->dataCell()), nullptr);
  HWND hiddenStatic = WINL_MakeControl("s", 11, "static", 4, 0, 0, 10, 10, 0);
  EXPECT_TRUE(WINL_AsView(hiddenStatic)->IsHidden()) << "type 4 is hidden";
}

namespace {
int g_calls = 0;
HWND CustomCreator(HWND parent, const char*, int id, const char* classname, long, int, int, int w, int) {
  ++g_calls;
  if (std::string(classname) != "Custom") return nullptr;
  auto* view = new WmControl(WmRect{0, 0, static_cast<double>(w), 10});
  view->tag = id;
  WINL_AsView(parent)->AddSubview(view);
  return view;
}
}  // namespace

TEST_F(CreatorTest, CustomCreatorsComeFirstAndCountTheirRegistrations) {
  g_calls = 0;
  WINL_RegisterCustomControlCreator(CustomCreator);
  WINL_RegisterCustomControlCreator(CustomCreator);
  WINL_RegisterCustomControlCreator(nullptr);
  HWND custom = WINL_MakeControl("", 5, "Custom", 0, 0, 0, 40, 10, 0);
  ASSERT_NE(custom, nullptr);
  EXPECT_EQ(Frame(custom).width, 40);
  EXPECT_EQ(g_calls, 1) << "one node for two registrations";
  EXPECT_NE(WINL_MakeControl("", 6, "Edit", 0, 0, 0, 40, 10, 0), nullptr) << "declined: made by class";
  WINL_UnregisterCustomControlCreator(CustomCreator);
  EXPECT_NE(WINL_MakeControl("", 7, "Custom", 0, 0, 0, 40, 10, 0), nullptr) << "still registered once";
  WINL_UnregisterCustomControlCreator(CustomCreator);
  EXPECT_EQ(WINL_MakeControl("", 8, "Custom", 0, 0, 0, 40, 10, 0), nullptr) << "gone";
}

}  // namespace
