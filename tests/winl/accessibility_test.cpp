// Accessibility answers of the layer's window views: an element that the
// window procedure supplies (WM_GETOBJECT) takes part in the hit test, the
// focus, the children and the visible children, and those lists are kept
// while nothing they were made from changes. Headless.
#include <string>
#include <vector>

#include "KIT/winl/winl-wnd-view.h"
#include "wnd_fixture.h"

namespace {

// An element of a program's own, as its window procedure hands it out.
struct ProgramElement : WmAccessibilityElement {
  WmAccessibilityElement* hit = nullptr;  // null: itself
  WmAccessibilityElement* focused = nullptr;
  bool ignored = false;
  int ignoredAsked = 0;
  WmAccessibilityElement* AccessibilityHitTest(WmPoint) override { return hit ? hit : this; }
  WmAccessibilityElement* AccessibilityFocusedElement() override { return focused; }
  std::vector<WmAccessibilityElement*> AccessibilityChildren() override { return {}; }
  std::vector<WmAccessibilityElement*> AccessibilityVisibleChildren() override { return {}; }
  bool AccessibilityIsIgnored() override {
    ++ignoredAsked;
    return ignored;
  }
};

ProgramElement* g_element = nullptr;
int g_asked = 0;

long ElementProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_GETOBJECT && wParam == 0x1001 && lParam) {
    ++g_asked;
    *reinterpret_cast<WmAccessibilityElement**>(lParam) = g_element;
    return 0;
  }
  return LoggingProc(hwnd, msg, wParam, lParam);
}

class AccessibilityTest : public WndTest {
 protected:
  void SetUp() override {
    WndTest::SetUp();
    g_element = nullptr;
    g_asked = 0;
    m_window = new WmWindow(WmRect{100, 100, 300, 200}, kWmTitled);
    m_dialog = MakeView(m_window, ElementProc);
    ShowWindow(m_dialog, 2);
    m_button = new WmButton(WmRect{10, 10, 80, 20});
    m_hidden = new WmButton(WmRect{10, 40, 80, 20});
    m_hidden->SetHidden(true);
    WINL_AsView(m_dialog)->AddSubview(m_button);
    WINL_AsView(m_dialog)->AddSubview(m_hidden);
  }
  // The screen point of p in the dialog's (flipped) coordinates.
  WmPoint Screen(WmPoint p) { return m_window->BaseToScreen(WINL_AsView(m_dialog)->ConvertTo(p, nullptr)); }
  WmView* Dialog() { return WINL_AsView(m_dialog); }

  WmWindow* m_window = nullptr;
  HWND m_dialog = nullptr;
  WmButton *m_button = nullptr, *m_hidden = nullptr;
  ProgramElement m_element, m_other;
};

TEST_F(AccessibilityTest, HitTestAndFocusAskTheProceduresElementFirst) {
  const WmPoint onButton = Screen(WmPoint{20, 20});
  EXPECT_EQ(Dialog()->AccessibilityHitTest(onButton), m_button) << "no element: the view beneath";
  g_element = &m_element;
  const struct {
    const char* why;
    WmAccessibilityElement* hit;
    bool ignored;
    WmAccessibilityElement* expected;
  } hits[] = {
      {"the element points at another", &m_other, false, &m_other},
      {"the element answers itself", nullptr, false, &m_element},
      {"an ignored element leaves it to the view", nullptr, true, m_button},
  };
  for (const auto& c : hits) {
    m_element.hit = c.hit;
    m_element.ignored = c.ignored;
    EXPECT_EQ(Dialog()->AccessibilityHitTest(onButton), c.expected) << c.why;
  }

  m_window->MakeFirstResponder(m_button);
  const struct {
    const char* why;
    WmAccessibilityElement* focused;
    WmAccessibilityElement* expected;
  } focus[] = {
      {"the element's focused element", &m_other, &m_other},
      {"none: the window's first responder", nullptr, m_button},
      {"the element itself: the window's first responder", &m_element, m_button},
  };
  for (const auto& c : focus) {
    m_element.focused = c.focused;
    EXPECT_EQ(Dialog()->AccessibilityFocusedElement(), c.expected) << c.why;
  }
}

TEST_F(AccessibilityTest, ChildrenJoinTheElementAndAreKeptWhileUnchanged) {
  using List = std::vector<WmAccessibilityElement*>;
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden})) << "no element";
  EXPECT_EQ(Dialog()->AccessibilityVisibleChildren(), (List{m_button}));

  g_element = &m_element;
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden, &m_element}));
  EXPECT_EQ(Dialog()->AccessibilityVisibleChildren(), (List{m_button, &m_element}));
  const int asked = m_element.ignoredAsked;
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden, &m_element}));
  EXPECT_EQ(m_element.ignoredAsked, asked) << "kept: the list is not made again";

  // A new child, or another element, makes it again.
  auto* added = new WmButton(WmRect{10, 70, 80, 20});
  Dialog()->AddSubview(added);
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden, added, &m_element}));
  g_element = &m_other;
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden, added, &m_other}));
  // An ignored element gives way to its own children (none here).
  m_other.ignored = true;
  added->RemoveFromSuperview();
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden}));
  g_element = nullptr;
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden}));
}

TEST_F(AccessibilityTest, AViewWithoutChildrenIsIgnoredBesideItsElement) {
  HWND empty = MakeView(m_dialog, ElementProc);
  auto* view = WINL_AsView(empty);
  view->SetFrame(WmRect{100, 10, 50, 50});
  ShowWindow(empty, 1);
  g_element = &m_element;
  EXPECT_TRUE(view->AccessibilityIsIgnored());
  // The dialog lists the element in place of the empty view beside its own.
  using List = std::vector<WmAccessibilityElement*>;
  EXPECT_EQ(Dialog()->AccessibilityChildren(), (List{m_button, m_hidden, &m_element, &m_element}));
  // A destroyed view asks its procedure nothing.
  DestroyWindow(empty);
  g_asked = 0;
  EXPECT_EQ(static_cast<Winl_vVivivI_hwnd*>(view)->AccessibilityObject(), nullptr);
  EXPECT_EQ(g_asked, 0);
}

}  // namespace
