// Top-level windows and dialogs: modeless windows and dialogs, modal dialog
// boxes, EndDialog, frames for existing views, owned windows and the menu
// bars of windows without a menu of their own.
#pragma once

#include "KIT/winl/winl-wnd.h"

// A dialog from the record named resid (pointer identity) in the list at
// head. resid 0x400000 | bits asks for a top-level window without a record:
// bit 0 resizable, bit 1 no minimise button, bit 2 no close button (any bit
// forces a top-level window). A child record, or no record and no forced
// window, with a host parent makes a child view. Returns the dialog's view;
// null when a named record is missing.
HWND WINL_CreateDialog(WINL_DialogResourceIndex* head, const char* resid, HWND parent, DLGPROC proc,
                       long param);
// Runs a dialog modally; the value given to EndDialog, or -1 when the
// record is missing or a child record.
long WINL_DialogBox(WINL_DialogResourceIndex* head, const char* resid, HWND parent, DLGPROC proc, long param);
void EndDialog(HWND hwnd, int result);
// A new top-level frame (style mask: 1 titled, 2 closable, 4 minimisable,
// 8 resizable) holding an existing view as its content.
WmWindow* WINL_CreateModelessFrameForWindow(HWND childview, HWND owner, unsigned int styleMask);

HMENU WINL_GetDefaultWindowMenu();
void WINL_SetDefaultWindowMenu(HMENU menu);
HMENU WINL_GetDefaultModalWindowMenu();
void WINL_SetDefaultModalWindowMenu(HMENU menu);
// Non-zero: owned windows float one level above their owner.
extern int WINL_owned_windows_levelincrease;
