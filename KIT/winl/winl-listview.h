// The list view: a report-style list of rows with texts in columns,
// selection, sorting, a status image in the first column, owner data and
// owner drawing; the same control serves as the list box (one column, the
// list-box messages through SendMessage, list-box notifications).
//
// Every operation first checks that the handle is a list view (the view
// itself or the scroll view holding it) and returns 0 (or does nothing)
// when it is not; indices are checked against the counts. Notifications go
// to the parent window as WM_NOTIFY (wParam = the control's id).
#pragma once

#include <cstdint>

#include "KIT/winl/winl-image.h"
#include "KIT/winl/winl-wnd.h"

// ---- Records (Win32 field order) ---------------------------------------------------------
struct LVITEM {
  unsigned int mask;
  int iItem;
  int iSubItem;
  unsigned int state;
  unsigned int stateMask;
  char* pszText;
  int cchTextMax;
  int iImage;
  long lParam;
};
struct LVCOLUMN {
  unsigned int mask;
  int fmt;
  int cx;
  char* pszText;
  int cchTextMax;
  int iSubItem;
};
struct NMHDR {
  HWND hwndFrom;
  uintptr_t idFrom;
  int code;
};
struct NMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  unsigned int uNewState;
  unsigned int uOldState;
  unsigned int uChanged;
  POINT ptAction;
  long lParam;
};
struct NMLVDISPINFO {
  NMHDR hdr;
  LVITEM item;
};
struct HDITEM {
  unsigned int mask;
  int cxy;
  char* pszText;
  HBITMAP hbm;
  int cchTextMax;
  int fmt;
  long lParam;
};
struct LVHITTESTINFO {
  POINT pt;
  unsigned int flags;
  int iItem;
  int iSubItem;
};
// The record of WM_DRAWITEM (owner-drawn buttons and list-box rows).
struct DRAWITEMSTRUCT {
  unsigned int CtlType;
  unsigned int CtlID;
  unsigned int itemID;
  unsigned int itemAction;
  unsigned int itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  uintptr_t itemData;
};

// ---- Constants ------------------------------------------------------------------------------
enum { WM_NOTIFY = 0x4E, WM_DRAWITEM = 0x2B, ODT_LISTBOX = 2, ODT_BUTTON = 4 };
enum { LVIF_TEXT = 1, LVIF_IMAGE = 2, LVIF_PARAM = 4, LVIF_STATE = 8 };
enum { LVIS_SELECTED = 1, LVIS_FOCUSED = 2 };
// Next-item flags: the next selected item, the focused item.
enum { LVNI_SELECTED = 1, LVNI_FOCUSED = 2 };
enum { LVCF_FMT = 1, LVCF_WIDTH = 2, LVCF_TEXT = 4 };
enum { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };
enum { HDI_FORMAT = 4, HDF_SORTUP = 0x400, HDF_SORTDOWN = 0x200 };
enum { LVS_EX_GRIDLINES = 1, LVS_EX_HEADERDRAGDROP = 0x10 };
enum : long {
  LVS_REPORT = 0x1,
  LVS_SINGLESEL = 0x4,
  LVS_SORTASCENDING = 0x10,
  LVS_SORTDESCENDING = 0x20,
  LVS_OWNERDATA = 0x1000,
  LVS_NOCOLUMNHEADER = 0x4000
};
enum : long { LBS_SORT = 0x2, LBS_OWNERDRAWFIXED = 0x10, LBS_EXTENDEDSEL = 0x800 };
enum {
  NM_CLICK = -2,
  NM_DBLCLK = -3,
  NM_RCLICK = -5,
  LVN_ITEMCHANGED = -101,
  LVN_COLUMNCLICK = -108,
  LVN_BEGINDRAG = -109,
  LVN_GETDISPINFO = -150
};
// Hit-test flags.
enum {
  LVHT_NOWHERE = 1,
  LVHT_ONITEMLABEL = 4,
  LVHT_ONITEMSTATEICON = 8,
  LVHT_ABOVE = 0x10,
  LVHT_BELOW = 0x20,
  LVHT_TORIGHT = 0x40,
  LVHT_TOLEFT = 0x80
};
// List-box messages (SendMessage on a list box or list view).
enum {
  LB_ADDSTRING = 0x180,
  LB_INSERTSTRING = 0x181,
  LB_DELETESTRING = 0x182,
  LB_GETTEXT = 0x183,
  LB_RESETCONTENT = 0x184,
  LB_SETSEL = 0x185,
  LB_SETCURSEL = 0x186,
  LB_GETSEL = 0x187,
  LB_GETCURSEL = 0x188,
  LB_GETCOUNT = 0x18B,
  LB_GETSELCOUNT = 0x190,
  LB_GETITEMDATA = 0x199,
  LB_SETITEMDATA = 0x19A
};
// The image-list kinds of ListView_SetImageList.
enum { LVSIL_STATE = 1, LVSIL_SMALL = 2 };

// ---- Items -------------------------------------------------------------------------------------
int ListView_GetItemCount(HWND hwnd);
// Owner-data mode only.
void ListView_SetItemCount(HWND hwnd, int count);
// The new row's index (sorted position with LVS_SORTASCENDING or
// LVS_SORTDESCENDING); -1 for a null record, a sub-item other than 0, owner
// data or a wrong handle. No notification.
int ListView_InsertItem(HWND hwnd, const LVITEM* item);
// Selected rows above i move down by one.
void ListView_DeleteItem(HWND hwnd, int i);
void ListView_DeleteAllItems(HWND hwnd);
// 1 on success; the text is copied into pszText (at most cchTextMax - 1
// bytes and a NUL); state gets the selected and focused bits asked for.
bool ListView_GetItem(HWND hwnd, LVITEM* item);
bool ListView_SetItem(HWND hwnd, LVITEM* item);
void ListView_GetItemText(HWND hwnd, int item, int subItem, char* text, int size);
// subItem 0..31; a null text sets the empty text; nothing in owner-data mode.
void ListView_SetItemText(HWND hwnd, int item, int subItem, const char* text);
int ListView_GetItemState(HWND hwnd, int i, unsigned int mask);
// i = -1 sets every row and sends no notification for them; otherwise a
// change sends LVN_ITEMCHANGED once (not again from inside its handler).
bool ListView_SetItemState(HWND hwnd, int i, unsigned int state, unsigned int mask);
// flags 1: the first selected row after start; 2: the focused row; other
// flags -1.
int ListView_GetNextItem(HWND hwnd, int start, int flags);
int ListView_GetSelectedCount(HWND hwnd);
int ListView_GetSelectionMark(HWND hwnd);
void ListView_RedrawItems(HWND hwnd, int first, int last);
// A stable sort by compare(param1, param2, lParamSort); the selection stays
// on its rows. Not in list-box or owner-data mode.
typedef int (*PFNLVCOMPARE)(long, long, long);
void ListView_SortItems(HWND hwnd, PFNLVCOMPARE compare, long lParamSort);

// ---- Columns and header -----------------------------------------------------------------------
// Appends a column (pos chooses only the cell kind); its creation index is
// its place among the inserted columns.
int ListView_InsertColumn(HWND hwnd, int pos, const LVCOLUMN* column);
bool ListView_SetColumn(HWND hwnd, int col, const LVCOLUMN* column);
bool ListView_DeleteColumn(HWND hwnd, int col);
int ListView_GetColumnWidth(HWND hwnd, int col);
void ListView_SetColumnWidth(HWND hwnd, int col, int width);
bool ListView_GetColumnOrderArray(HWND hwnd, int n, int* order);
bool ListView_SetColumnOrderArray(HWND hwnd, int n, const int* order);
void ListView_SetExtendedListViewStyleEx(HWND hwnd, int mask, int style);
// Bit n: a press on column n is reported (NM_CLICK) at once.
void WINL_SetListViewFastClickMask(HWND hwnd, int mask);
// type LVSIL_STATE (check boxes) or LVSIL_SMALL.
void ListView_SetImageList(HWND hwnd, HIMAGELIST list, int type);
// The list view itself: header operations take the list view.
HWND ListView_GetHeader(HWND hwnd);
int Header_GetItemCount(HWND hwnd);
bool Header_GetItem(HWND hwnd, int col, HDITEM* item);
bool Header_SetItem(HWND hwnd, int col, const HDITEM* item);

// ---- Colours (0x00RRGGBB) -----------------------------------------------------------------------
void ListView_SetBkColor(HWND hwnd, int colour);
void ListView_SetGridColor(HWND hwnd, int colour);
void ListView_SetTextColor(HWND hwnd, int colour);
void ListView_SetTextBkColor(HWND hwnd, int colour);
// n colours: [0] background and [1] text with the focus, [2] and [3]
// without; a null pointer gives n black entries. List and tree views.
void ListView_SetSelColors(HWND hwnd, const int* colours, int n);

// ---- Geometry -----------------------------------------------------------------------------------
// The row at info->pt (-1 none) with hit flags; iSubItem too for the sub-item
// form.
int ListView_HitTest(HWND hwnd, LVHITTESTINFO* info);
int ListView_SubItemHitTest(HWND hwnd, LVHITTESTINFO* info);
bool ListView_GetItemRect(HWND hwnd, int i, RECT* rect, int code);
bool ListView_GetSubItemRect(HWND hwnd, int i, int sub, int code, RECT* rect);
int ListView_GetTopIndex(HWND hwnd);
int ListView_GetCountPerPage(HWND hwnd);
void ListView_EnsureVisible(HWND hwnd, int i, bool partial);
bool ListView_Scroll(HWND hwnd, int dx, int dy);
bool ListView_GetScroll(HWND hwnd, POINT* origin);
int WINL_GetListViewHeaderHeight(HWND hwnd);
