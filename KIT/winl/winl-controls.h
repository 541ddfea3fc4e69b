// The smaller common controls: the tab control, combo boxes and drop-down
// lists, trackbars and progress bars. The combo and trackbar operations
// take a dialog and an item id (0: the handle itself) and find the control
// among the dialog's views; a missing control or a control of another kind
// gives 0, -1 or no effect.
#pragma once

#include "KIT/winl/winl-wnd.h"

// ---- Tab control --------------------------------------------------------------------------
struct TCITEM {
  unsigned int mask;
  unsigned int dwState;
  unsigned int dwStateMask;
  char* pszText;
  int cchTextMax;
  int iImage;
  long lParam;
};
enum { TCIF_TEXT = 1, TCN_SELCHANGE = -551 };

int TabCtrl_GetItemCount(HWND hwnd);
// Needs TCIF_TEXT and a text (else -1); index clamped to 0..count. The
// first tab's automatic selection sends no TCN_SELCHANGE.
int TabCtrl_InsertItem(HWND hwnd, int index, const TCITEM* item);
bool TabCtrl_DeleteItem(HWND hwnd, int index);
int TabCtrl_GetCurSel(HWND hwnd);
// The previously selected tab (-1 for a wrong handle); selecting another
// tab sends TCN_SELCHANGE to the notification window.
int TabCtrl_SetCurSel(HWND hwnd, int index);
// Display rectangle from window rectangle (larger false) or back.
bool TabCtrl_AdjustRect(HWND hwnd, bool larger, RECT* rect);

// ---- Combo boxes and drop-down lists ---------------------------------------------------------
enum : long { CBS_DROPDOWNLIST = 3, CBS_SORT = 0x100 };
// pos -1000 adds (sorted with CBS_SORT); the position used.
int WINL_CB_AddString(HWND hwnd, int idx, const char* str);
int WINL_CB_InsertString(HWND hwnd, int idx, int pos, const char* str);
void WINL_CB_DeleteString(HWND hwnd, int idx, int i);
int WINL_CB_GetNumItems(HWND hwnd, int idx);
int WINL_CB_GetCurSel(HWND hwnd, int idx);
void WINL_CB_SetCurSel(HWND hwnd, int idx, int i);
bool WINL_CB_GetItemText(HWND hwnd, int idx, int i, char* buf, int size);
void WINL_CB_Empty(HWND hwnd, int idx);
long WINL_CB_GetItemData(HWND hwnd, int idx, int i);
void WINL_CB_SetItemData(HWND hwnd, int idx, int i, long value);
// The first item after `after` (from 0 when negative) whose text starts
// with str (exact: equals it), ignoring case; -1 when none.
int WINL_CB_FindString(HWND hwnd, int idx, int after, const char* str, bool exact);

// ---- Trackbars ----------------------------------------------------------------------------------
int WINL_TB_GetPos(HWND hwnd, int idx);
void WINL_TB_SetPos(HWND hwnd, int idx, int pos);
void WINL_TB_SetRange(HWND hwnd, int idx, int low, int high);
void WINL_TB_SetTic(HWND hwnd, int idx, int pos);

// ---- Progress bars (messages of the progress control) ----------------------------------------------
enum { PBM_SETRANGE = 0x401, PBM_SETPOS = 0x402, PBM_DELTAPOS = 0x403 };
