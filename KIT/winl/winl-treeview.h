// The tree view: items with a text, a parameter word and children, shown as
// an outline with expand and collapse and a single selection, notifying the
// parent window (WM_NOTIFY, wParam = the control's id).
//
// Every operation first checks that the handle is a tree view (the view or
// the scroll view holding it); item handles are looked up in the tree
// before use, so a deleted or foreign handle gives null or 0 and changes
// nothing.
#pragma once

#include <cstdint>

#include "KIT/winl/winl-listview.h"

struct HTREEITEM__;
typedef HTREEITEM__* HTREEITEM;

// ---- Records (Win32 field order) -----------------------------------------------------------
struct TVITEM {
  unsigned int mask;
  HTREEITEM hItem;
  unsigned int state;
  unsigned int stateMask;
  char* pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  long lParam;
};
struct TVINSERTSTRUCT {
  HTREEITEM hParent;
  HTREEITEM hInsertAfter;
  TVITEM item;
};
struct TVHITTESTINFO {
  POINT pt;
  unsigned int flags;
  HTREEITEM hItem;
};
struct NMTREEVIEW {
  NMHDR hdr;
  unsigned int action;
  TVITEM itemOld;
  TVITEM itemNew;
  POINT ptDrag;
};

// ---- Constants -------------------------------------------------------------------------------
enum { TVIF_TEXT = 1, TVIF_PARAM = 4, TVIF_HANDLE = 0x10, TVIF_CHILDREN = 0x40 };
enum { TVIS_SELECTED = 2, TVIS_EXPANDED = 0x20 };
enum { TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3 };
#define TVI_ROOT (reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(0xFFFF0000u)))
#define TVI_FIRST (reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(0xFFFF0001u)))
#define TVI_LAST (reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(0xFFFF0002u)))
#define TVI_SORT (reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(0xFFFF0003u)))
enum { TVN_SELCHANGED = -402 };

// ---- Operations --------------------------------------------------------------------------------
// The new item, or null (no record, a parent not in the tree). hInsertAfter:
// null, TVI_LAST or TVI_SORT the end (no sorting), TVI_FIRST the start, a
// sibling after it, anything else the start. No notification.
HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCT* insert);
// Removes the item with its subtree; no notification.
void TreeView_DeleteItem(HWND hwnd, HTREEITEM item);
// 1 when the expansion changed.
bool TreeView_Expand(HWND hwnd, HTREEITEM item, int flag);
HTREEITEM TreeView_GetSelection(HWND hwnd);
// Selects the item's row and sends TVN_SELCHANGED (not again from inside
// its handler).
bool TreeView_SelectItem(HWND hwnd, HTREEITEM item);
// Needs TVIF_HANDLE and an item of the tree; cChildren and lParam always,
// the text with TVIF_TEXT, the selected and expanded state bits.
bool TreeView_GetItem(HWND hwnd, TVITEM* item);
bool TreeView_SetItem(HWND hwnd, TVITEM* item);
HTREEITEM TreeView_HitTest(HWND hwnd, TVHITTESTINFO* info);
HTREEITEM TreeView_GetRoot(HWND hwnd);
HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item);
HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item);
bool TreeView_SetIndent(HWND hwnd, int indent);
void TreeView_SetBkColor(HWND hwnd, int colour);
void TreeView_SetTextColor(HWND hwnd, int colour);
