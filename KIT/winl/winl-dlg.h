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

// ---- Dialog items (winl-dlgitems.cpp) ----------------------------------------------------
// A control's identifier is its tag. GetDlgItem looks at the dialog's
// direct subviews only (a scroll view's document view, a clip view's view
// count as the subview); identifier 0 is the dialog itself; a window means
// its content view.
enum { EN_CHANGE = 0x300 };
HWND GetDlgItem(HWND dialog, int id);
// The item's text cut to size - 1 bytes (whole UTF-8 characters); false
// for no item or an item without text.
bool GetDlgItemText(HWND dialog, int id, char* buffer, int size);
// Sets the item's text (a content view also sets its window's title); an
// editable text field then tells its parent EN_CHANGE (WM_COMMAND with
// (EN_CHANGE << 16) | id, the field as lParam).
bool SetDlgItemText(HWND dialog, int id, const char* text);
// The item's text as a decimal number: ok false (and 0) for unreadable
// text, text that is not a number and a negative number read unsigned.
int GetDlgItemInt(HWND dialog, int id, int* ok, int isSigned);
void SetDlgItemInt(HWND dialog, int id, int value, int isSigned);
enum { BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2 };
void CheckDlgButton(HWND dialog, int id, int check);
int IsDlgButtonChecked(HWND dialog, int id);
// The tag of the default button of the view's window (0 without one, or
// when it is disabled and onlyIfEnabled).
int WINL_GetDefaultButtonID(HWND hwnd, bool onlyIfEnabled);
// r becomes (0, 0, width, height) of the size the control's content needs.
void WINL_GetDesiredControlSize(HWND control, RECT* r);
bool WINL_IsGroupBox(HWND hwnd);
bool WINL_IsButton(HWND hwnd);
bool WINL_IsStaticText(HWND hwnd);

// ---- Dialogs generated from lists of control rows (winl-dlggen.cpp) ---------------------
// One row of a compiled control list. kind is a marker ("__WINL_BUTTON",
// "__WINL_EDIT", "__WINL_COMBO", "__WINL_LISTBOX", "__WINL_GROUP",
// "__WINL_CHECKBOX", "__WINL_LABEL") or, for any other row, the control's
// text; then param (button: default; label: alignment; other: the id),
// text (caption; other: the class name), id (other: the style), the
// rectangle in dialog units and style (other: the extended style).
struct WINL_DialogControlRow {
  const char* kind;
  int32_t param;
  const char* text;
  int32_t id;
  int32_t x, y, width, height;
  int32_t style;
};
// Makes the controls of count rows, in order, with the control creators
// into their current parent (a dialog's create function sets it with
// WINL_MakeSetCurParms first). A row of another kind with an empty class
// name is skipped; a count of 0 or less does nothing.
void WINL_GenerateDialogFromList(const void* rows, int count);
