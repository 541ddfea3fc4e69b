// The tree view: insert positions, walking, expansion, item records, the
// lookup of item handles, selection notices, hit testing and the mouse.
#include <string>
#include <vector>

#include "KIT/winl/winl-controls-view.h"
#include "controls_fixture.h"

namespace {

class TreeViewTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    m_tree = WINL_AsTreeView(WINL_MakeControl("", 9, "SysTreeView32", 0, 0, 0, 200, 150, 0));
    ASSERT_NE(m_tree, nullptr);
  }
  HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const char* text, bool children = false) {
    TVINSERTSTRUCT s{};
    s.hParent = parent;
    s.hInsertAfter = after;
    s.item.mask = TVIF_TEXT | TVIF_PARAM | (children ? TVIF_CHILDREN : 0);
    s.item.pszText = const_cast<char*>(text);
    s.item.cChildren = 1;
    s.item.lParam = text[0];
    return TreeView_InsertItem(m_tree, &s);
  }
  std::vector<std::string> Children(HTREEITEM parent) {
    std::vector<std::string> out;
    for (HTREEITEM i = parent ? TreeView_GetChild(m_tree, parent) : TreeView_GetRoot(m_tree); i;
         i = TreeView_GetNextSibling(m_tree, i))
      out.push_back(i->text ? i->text : "");
    return out;
  }
  Winl_vVivivI_treeview* m_tree = nullptr;
};

TEST_F(TreeViewTest, InsertPositions) {
  HTREEITEM b = Insert(TVI_ROOT, TVI_LAST, "b");
  int foreign = 0;  // an address that is no item
  HTREEITEM stranger = reinterpret_cast<HTREEITEM>(&foreign);
  const struct {
    const char* why;
    const char* text;
    HTREEITEM after;
  } kCases[] = {
      {"TVI_LAST appends", "d", TVI_LAST},
      {"TVI_FIRST goes first", "a", TVI_FIRST},
      {"after a sibling", "c", b},
      {"null appends", "e", nullptr},
      {"TVI_SORT appends without sorting", "0", TVI_SORT},
      {"a handle that is no sibling puts it first", "_", stranger},
  };
  for (const auto& c : kCases) EXPECT_NE(Insert(nullptr, c.after, c.text), nullptr) << c.why;
  EXPECT_EQ(Children(nullptr), (std::vector<std::string>{"_", "a", "b", "c", "d", "e", "0"}));
  HTREEITEM child = Insert(b, TVI_LAST, "b1");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Children(b), std::vector<std::string>{"b1"});
  EXPECT_EQ(TreeView_GetNextSibling(m_tree, child), nullptr) << "the last child";
  EXPECT_EQ(TreeView_GetNextSibling(m_tree, b)->text, std::string("c")) << "next top-level item";
  EXPECT_EQ(TreeView_GetNextSibling(m_tree, nullptr), TreeView_GetRoot(m_tree));
  EXPECT_EQ(Insert(stranger, TVI_LAST, "x"), nullptr) << "unknown parent";
  EXPECT_EQ(TreeView_InsertItem(m_tree, nullptr), nullptr);
}

TEST_F(TreeViewTest, ChildrenFlagExpansionAndRows) {
  HTREEITEM plain = Insert(TVI_ROOT, TVI_LAST, "plain");
  HTREEITEM folder = Insert(TVI_ROOT, TVI_LAST, "folder", true);
  Insert(plain, TVI_LAST, "p1");
  Insert(folder, TVI_LAST, "f1");
  EXPECT_FALSE(m_tree->IsExpandable(plain)) << "a child does not set the flag";
  EXPECT_FALSE(TreeView_Expand(m_tree, plain, TVE_EXPAND));
  EXPECT_EQ(m_tree->numberOfRows(), 2);
  EXPECT_TRUE(TreeView_Expand(m_tree, folder, TVE_EXPAND));
  EXPECT_EQ(m_tree->numberOfRows(), 3);
  EXPECT_FALSE(TreeView_Expand(m_tree, folder, TVE_EXPAND)) << "already expanded";
  EXPECT_TRUE(TreeView_Expand(m_tree, folder, TVE_TOGGLE));
  EXPECT_EQ(m_tree->numberOfRows(), 2);
  EXPECT_FALSE(TreeView_Expand(m_tree, folder, TVE_COLLAPSE));
  EXPECT_FALSE(TreeView_Expand(m_tree, folder, 7));
  EXPECT_FALSE(TreeView_Expand(m_tree, nullptr, TVE_EXPAND));
}

TEST_F(TreeViewTest, ItemRecordsAndLookedUpHandles) {
  HTREEITEM a = Insert(TVI_ROOT, TVI_LAST, "alpha", true);
  HTREEITEM gone = Insert(a, TVI_LAST, "gone");
  char text[4];
  TVITEM it{};
  it.mask = TVIF_HANDLE | TVIF_TEXT;
  it.hItem = a;
  it.pszText = text;
  it.cchTextMax = sizeof text;
  ASSERT_TRUE(TreeView_GetItem(m_tree, &it));
  EXPECT_STREQ(text, "alp");
  EXPECT_EQ(it.cChildren, 1);
  EXPECT_EQ(it.lParam, 'a');
  it.mask = TVIF_TEXT;
  EXPECT_FALSE(TreeView_GetItem(m_tree, &it)) << "TVIF_HANDLE is needed";

  TreeView_DeleteItem(m_tree, gone);
  EXPECT_TRUE(Children(a).empty());
  TVITEM stale{};
  stale.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM;
  stale.hItem = gone;
  stale.pszText = const_cast<char*>("new");
  stale.lParam = 5;
  EXPECT_FALSE(TreeView_SetItem(m_tree, &stale)) << "a deleted handle";
  stale.pszText = text;
  stale.cchTextMax = sizeof text;
  EXPECT_FALSE(TreeView_GetItem(m_tree, &stale)) << "a deleted handle is looked up, not read";
  EXPECT_EQ(TreeView_GetChild(m_tree, gone), nullptr);

  TVITEM set{};
  set.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM;
  set.hItem = a;
  set.pszText = const_cast<char*>("beta");
  set.lParam = 42;
  set.stateMask = TVIS_EXPANDED;
  set.state = TVIS_EXPANDED;
  EXPECT_TRUE(TreeView_SetItem(m_tree, &set));
  EXPECT_STREQ(a->text, "beta");
  EXPECT_EQ(a->param, 42);
  EXPECT_TRUE(m_tree->IsItemExpanded(a));
}

namespace {
Winl_vVivivI_treeview* g_tree = nullptr;
HTREEITEM g_other = nullptr;
long ReselectProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam) {
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == TVN_SELCHANGED) {
    Notices().push_back(Notice{msg, TVN_SELCHANGED, 0, 0, 0, 0, 0, POINT{0, 0}});
    TreeView_SelectItem(g_tree, g_other);
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}
}  // namespace

TEST_F(TreeViewTest, SelectingFromTheHandlerSendsNoSecondNotice) {
  HTREEITEM a = Insert(TVI_ROOT, TVI_LAST, "a");
  g_other = Insert(TVI_ROOT, TVI_LAST, "b");
  g_tree = m_tree;
  SetWindowLong(m_content, GWL_WNDPROC, reinterpret_cast<long>(ReselectProc));
  EXPECT_TRUE(TreeView_SelectItem(m_tree, a));
  EXPECT_EQ(CountNotices(WM_NOTIFY, TVN_SELCHANGED), 1);
  EXPECT_EQ(TreeView_GetSelection(m_tree), g_other) << "the handler's selection is made";
  EXPECT_FALSE(TreeView_SelectItem(m_tree, reinterpret_cast<HTREEITEM>(&g_tree)))
      << "not an item of the tree";
}

TEST_F(TreeViewTest, HitTestAndMouse) {
  TVHITTESTINFO hit{};
  hit.pt = POINT{5, 5};
  EXPECT_EQ(TreeView_HitTest(m_tree, &hit), nullptr) << "an empty tree";
  HTREEITEM a = Insert(TVI_ROOT, TVI_LAST, "a");
  HTREEITEM b = Insert(TVI_ROOT, TVI_LAST, "b");
  const WmRect row1 = m_tree->RectOfRow(1);
  hit.pt = POINT{5, static_cast<int32_t>(row1.y)};
  EXPECT_EQ(TreeView_HitTest(m_tree, &hit), b) << "the top edge is inside";
  hit.pt = POINT{5, static_cast<int32_t>(row1.y) - 1};
  EXPECT_EQ(TreeView_HitTest(m_tree, &hit), a);

  const WmPoint p{40, row1.y + row1.height / 2};
  m_tree->MouseEvent(At(m_tree, kWmLeftDown, p));
  m_tree->MouseEvent(At(m_tree, kWmLeftUp, p));
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_CLICK), 1);
  EXPECT_EQ(CountNotices(WM_NOTIFY, TVN_SELCHANGED), 1) << "the user's selection";
  EXPECT_EQ(TreeView_GetSelection(m_tree), b);
  m_tree->MouseEvent(At(m_tree, kWmRightUp, p));
  EXPECT_EQ(CountNotices(WM_NOTIFY, NM_RCLICK), 1);
  EXPECT_EQ(CountNotices(WM_CONTEXTMENU, 0), 1) << "the parent answered 0";
}

}  // namespace
