// The tree view: items, insertion and deletion, expansion, selection with
// its notification, item records, walking, hit testing, colours and the
// mouse.
#include <string.h>

#include <algorithm>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-kb.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-input.h"

namespace {

// One guard each for the notifications of TreeView_SelectItem and
// TreeView_SetItem, process-wide.
bool g_selectItemSending = false;
bool g_setItemSending = false;

bool IsSpecial(HTREEITEM item) {
  return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT;
}

char* CopyText(const char* text) {
  if (!text) return nullptr;
  const size_t n = strlen(text);
  char* copy = new char[n + 1];
  memcpy(copy, text, n + 1);
  return copy;
}

void NotifySelChanged(Winl_vVivivI_treeview* tv, HWND to) {
  NMTREEVIEW record{};
  record.hdr.hwndFrom = tv;
  record.hdr.idFrom = static_cast<uintptr_t>(tv->tag);
  record.hdr.code = TVN_SELCHANGED;
  SendMessage(to, WM_NOTIFY, static_cast<unsigned long>(tv->tag), reinterpret_cast<long>(&record));
}

long Pack(int x, int y) { return (static_cast<long>(y) << 16) | (static_cast<long>(x) & 0xFFFF); }

}  // namespace

HTREEITEM__::~HTREEITEM__() {
  delete[] text;
  for (HTREEITEM__* child : children) delete child;
}

// ---- The class --------------------------------------------------------------------------------------

Winl_vVivivI_treeview::Winl_vVivivI_treeview(const WmRect& frame) : WmOutlineView(frame) {}

Winl_vVivivI_treeview::~Winl_vVivivI_treeview() {
  for (HTREEITEM__* item : m_items) delete item;
}

Winl_vVivivI_treeview* WINL_AsTreeView(HWND hwnd) {
  WmView* view = WINL_AsView(hwnd);
  if (auto* scroll = dynamic_cast<WmScrollView*>(view)) view = scroll->documentView();
  return dynamic_cast<Winl_vVivivI_treeview*>(view);
}

HWND Winl_vVivivI_treeview::Target() const {
  if (WmIsLive(target)) return target;
  return GetParent(const_cast<Winl_vVivivI_treeview*>(this));
}

bool Winl_vVivivI_treeview::findItem(HTREEITEM item, HTREEITEM* parent, int* index) const {
  if (!item) return false;
  // The root list first, then each top-level subtree: an item's own
  // children before their subtrees.
  struct Finder {
    HTREEITEM item;
    HTREEITEM* parent;
    int* index;
    bool In(HTREEITEM owner, const std::vector<HTREEITEM__*>& list) const {
      for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == item) {
          if (parent) *parent = owner;
          if (index) *index = static_cast<int>(i);
          return true;
        }
      return false;
    }
    bool Below(HTREEITEM node) const {
      if (In(node, node->children)) return true;
      for (HTREEITEM__* child : node->children)
        if (Below(child)) return true;
      return false;
    }
  } finder{item, parent, index};
  if (finder.In(nullptr, m_items)) return true;
  for (HTREEITEM__* top : m_items)
    if (finder.Below(top)) return true;
  return false;
}

int Winl_vVivivI_treeview::NumberOfChildren(void* item) {
  return static_cast<int>(item ? static_cast<HTREEITEM>(item)->children.size() : m_items.size());
}

void* Winl_vVivivI_treeview::Child(int index, void* item) {
  const std::vector<HTREEITEM__*>& list = item ? static_cast<HTREEITEM>(item)->children : m_items;
  return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)] : nullptr;
}

bool Winl_vVivivI_treeview::IsExpandable(void* item) {
  return !item || static_cast<HTREEITEM>(item)->hasChildren;
}

std::string Winl_vVivivI_treeview::ItemValue(WmTableColumn*, void* item) {
  const char* text = item ? static_cast<HTREEITEM>(item)->text : nullptr;
  return text ? text : "";
}

void Winl_vVivivI_treeview::WillDisplayCell(WmCell* cell, WmTableColumn*, int row) {
  WINL_ApplyCellColours(this, cell, row == SelectedRow() && row >= 0, m_hasFgColor, m_fgColor, m_selColors);
}

void Winl_vVivivI_treeview::SelectionDidChange() { WINL_OutlineSelectionDidChange(Target(), this); }

void Winl_vVivivI_treeview::HighlightSelectionInClipRect(const PaintTarget& t, const WmRect& clip) {
  std::vector<int> rows;
  if (SelectedRow() >= 0) rows.push_back(SelectedRow());
  if (!WINL_FillSelection(this, t, clip, m_selColors, rows))
    WmOutlineView::HighlightSelectionInClipRect(t, clip);
}

void Winl_vVivivI_treeview::SetNeedsDisplay(bool needs) {
  WmOutlineView::SetNeedsDisplay(needs);
  if (needs) WINL_PropagateRedraw(this);
}
void Winl_vVivivI_treeview::SetNeedsDisplayInRect(const WmRect& rect) {
  WmOutlineView::SetNeedsDisplayInRect(rect);
  WINL_PropagateRedraw(this);
}

void Winl_vVivivI_treeview::MouseEvent(const WmMouseEvent& event) {
  const bool control = (event.modifiers & kWmControl) != 0;
  switch (event.kind) {
    case kWmLeftDown: {
      if (control && IsRightClickEmulateEnabled()) {
        m_fakerightmouse = true;
        return;
      }
      NMHDR hdr{this, static_cast<uintptr_t>(tag), NM_CLICK};
      SendMessage(Target(), WM_NOTIFY, static_cast<unsigned long>(tag), reinterpret_cast<long>(&hdr));
      if (!WmIsLive(this)) return;
      m_fakerightmouse = false;
      WmOutlineView::MouseEvent(event);
      return;
    }
    case kWmLeftUp:
      if (m_fakerightmouse || control) break;
      WmOutlineView::MouseEvent(event);
      return;
    case kWmRightUp:
      break;
    default:
      return;
  }
  // The right release.
  NMHDR hdr{this, static_cast<uintptr_t>(tag), NM_RCLICK};
  HWND to = Target();
  const long result =
      SendMessage(to, WM_NOTIFY, static_cast<unsigned long>(tag), reinterpret_cast<long>(&hdr));
  if (result == 0 && WmIsLive(this)) {
    POINT p;
    GetCursorPos(&p);
    SendMessage(Target(), WM_CONTEXTMENU, reinterpret_cast<unsigned long>(static_cast<HWND>(this)),
                Pack(p.x, p.y));
  }
  if (WmIsLive(this)) m_fakerightmouse = false;
}

// ---- Operations ------------------------------------------------------------------------------------------

HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCT* s) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv || !s) return nullptr;
  HTREEITEM parent = nullptr;
  if (s->hParent && !IsSpecial(s->hParent)) {
    if (!tv->findItem(s->hParent, nullptr, nullptr)) return nullptr;
    parent = s->hParent;
  }
  std::vector<HTREEITEM__*>& list = tv->ListOf(parent);
  size_t position = list.size();
  const HTREEITEM after = s->hInsertAfter;
  if (after == TVI_FIRST) {
    position = 0;
  } else if (after && after != TVI_LAST && after != TVI_SORT) {
    auto it = std::find(list.begin(), list.end(), after);
    position = it == list.end() ? 0 : static_cast<size_t>(it - list.begin()) + 1;
  }
  auto* item = new HTREEITEM__;
  if (s->item.mask & TVIF_CHILDREN) item->hasChildren = s->item.cChildren != 0;
  if (s->item.mask & TVIF_PARAM) item->param = s->item.lParam;
  if (s->item.mask & TVIF_TEXT) item->text = CopyText(s->item.pszText);
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(position, list.size())), item);
  tv->ReloadData();
  return item;
}

void TreeView_DeleteItem(HWND hwnd, HTREEITEM item) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  HTREEITEM parent = nullptr;
  int index = -1;
  if (!tv || !tv->findItem(item, &parent, &index)) return;
  // The selection stays on the items that remain.
  void* selected = tv->ItemAtRow(tv->SelectedRow());
  std::vector<HTREEITEM__*>& list = tv->ListOf(parent);
  list.erase(list.begin() + index);
  delete item;
  tv->DeselectAll();
  tv->ReloadData();
  if (selected && selected != item && tv->findItem(static_cast<HTREEITEM>(selected), nullptr, nullptr))
    tv->SelectRows({tv->RowForItem(selected)}, false);
}

bool TreeView_Expand(HWND hwnd, HTREEITEM item, int flag) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv || !item || !tv->findItem(item, nullptr, nullptr)) return false;
  const bool expanded = tv->IsItemExpanded(item);
  const bool expand = flag == TVE_EXPAND || (flag == TVE_TOGGLE && !expanded);
  const bool collapse = flag == TVE_COLLAPSE || (flag == TVE_TOGGLE && expanded);
  if (expand && !expanded && tv->IsExpandable(item)) {
    tv->ExpandItem(item);
    return tv->IsItemExpanded(item);
  }
  if (collapse && expanded) {
    tv->CollapseItem(item);
    return true;
  }
  return false;
}

HTREEITEM TreeView_GetSelection(HWND hwnd) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  return tv ? static_cast<HTREEITEM>(tv->ItemAtRow(tv->SelectedRow())) : nullptr;
}

bool TreeView_SelectItem(HWND hwnd, HTREEITEM item) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv || !tv->findItem(item, nullptr, nullptr)) return false;
  const int row = tv->RowForItem(item);
  if (row >= 0) tv->SelectRows({row}, false);
  if (!g_selectItemSending) {
    g_selectItemSending = true;
    NotifySelChanged(tv, GetParent(tv));
    g_selectItemSending = false;
  }
  return true;
}

bool TreeView_GetItem(HWND hwnd, TVITEM* it) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  // The handle is looked up: a deleted or foreign item is refused.
  if (!tv || !it || !(it->mask & TVIF_HANDLE) || !tv->findItem(it->hItem, nullptr, nullptr)) return false;
  const HTREEITEM item = it->hItem;
  it->cChildren = item->hasChildren ? 1 : 0;
  it->lParam = item->param;
  if ((it->mask & TVIF_TEXT) && it->pszText && it->cchTextMax > 0) {
    const char* text = item->text ? item->text : "";
    const size_t n = std::min(strlen(text), static_cast<size_t>(it->cchTextMax - 1));
    memcpy(it->pszText, text, n);
    it->pszText[n] = 0;
  }
  const int row = tv->RowForItem(item);
  it->state = 0;
  if (row >= 0 && tv->IsRowSelected(row)) it->state |= TVIS_SELECTED;
  if (tv->IsItemExpanded(item)) it->state |= TVIS_EXPANDED;
  return true;
}

bool TreeView_SetItem(HWND hwnd, TVITEM* it) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv || !it || !(it->mask & TVIF_HANDLE) || !tv->findItem(it->hItem, nullptr, nullptr)) return false;
  const HTREEITEM item = it->hItem;
  if (it->mask & TVIF_CHILDREN) item->hasChildren = it->cChildren != 0;
  if (it->mask & TVIF_PARAM) item->param = it->lParam;
  if ((it->mask & TVIF_TEXT) && it->pszText) {
    char* copy = CopyText(it->pszText);
    delete[] item->text;
    item->text = copy;
    InvalidateRect(tv, nullptr, 0);
  }
  if (it->mask & TVIF_CHILDREN) tv->ReloadData();
  if (it->stateMask & TVIS_SELECTED) {
    const int row = tv->RowForItem(item);
    if (row >= 0 && (it->state & TVIS_SELECTED)) {
      tv->SelectRows({row}, false);
      if (!g_setItemSending) {
        g_setItemSending = true;
        NotifySelChanged(tv, GetParent(tv));
        g_setItemSending = false;
      }
    }
  }
  if (WmIsLive(tv) && (it->stateMask & TVIS_EXPANDED) && tv->findItem(item, nullptr, nullptr)) {
    if ((it->state & TVIS_EXPANDED) && !tv->IsItemExpanded(item))
      tv->ExpandItem(item);
    else if (!(it->state & TVIS_EXPANDED) && tv->IsItemExpanded(item))
      tv->CollapseItem(item);
  }
  return true;
}

HTREEITEM TreeView_HitTest(HWND hwnd, TVHITTESTINFO* info) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv || !info) return nullptr;
  const double x = info->pt.x, y = info->pt.y;
  for (int row = 0; row < tv->numberOfRows(); ++row) {
    const WmRect r = tv->RectOfRow(row);
    if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
      return static_cast<HTREEITEM>(tv->ItemAtRow(row));
  }
  return nullptr;
}

HTREEITEM TreeView_GetRoot(HWND hwnd) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  return tv && !tv->m_items.empty() ? tv->m_items[0] : nullptr;
}

HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv) return nullptr;
  if (!item) return TreeView_GetRoot(hwnd);
  if (!tv->findItem(item, nullptr, nullptr)) return nullptr;
  return item->children.empty() ? nullptr : item->children[0];
}

HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv) return nullptr;
  if (!item) return TreeView_GetRoot(hwnd);
  HTREEITEM parent = nullptr;
  int index = -1;
  if (!tv->findItem(item, &parent, &index)) return nullptr;
  const std::vector<HTREEITEM__*>& list = tv->ListOf(parent);
  return static_cast<size_t>(index) + 1 < list.size() ? list[static_cast<size_t>(index) + 1] : nullptr;
}

bool TreeView_SetIndent(HWND hwnd, int indent) {
  Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd);
  if (!tv) return false;
  tv->indentationPerLevel = indent;
  tv->SetNeedsDisplay(true);
  return true;
}

void TreeView_SetBkColor(HWND hwnd, int colour) {
  if (Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd)) {
    tv->backgroundColor = WmColorFromRGB(colour);
    tv->SetNeedsDisplay(true);
  }
}

void TreeView_SetTextColor(HWND hwnd, int colour) {
  if (Winl_vVivivI_treeview* tv = WINL_AsTreeView(hwnd)) {
    tv->m_hasFgColor = true;
    tv->m_fgColor = WmColorFromRGB(colour);
    tv->SetNeedsDisplay(true);
  }
}
