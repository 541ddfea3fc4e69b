// Control creators: the layout state of the dialog being built (scale,
// offset, parent, automatic right-shift, size-to-fit), the conversion of
// dialog units to the parent's coordinates, one creator per common control,
// the general creator by Win32 class name and the registered custom
// creators. Every control is a child of the current parent, carries its id
// and sends its commands to the parent.
#pragma once

#include "KIT/winl/winl-wnd.h"

// A custom creator: (parent, text, id, class name, style, x, y, width,
// height) in parent coordinates; the new window or null.
typedef HWND (*WINL_CustomControlCreator)(HWND parent, const char* text, int id, const char* classname,
                                          long style, int x, int y, int w, int h);

// Sets the layout state; a positive y scale turns negative in a flipped
// parent. parent may be a top-level window (its content view is used).
void WINL_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent, bool doauto,
                          bool dosizetofit);
// The rectangle of dialog units (x, y, w, h) in the parent's coordinates
// (negative w and h: (-x, -y, -w, -h) unscaled); with autoadjust, the
// automatic right-shift applies and is recorded.
RECT WINL_MakeCoords(int x, int y, int w, int h, bool autoadjust, bool unscaledheight);

// 1 (the start value) selects the newer push-button look.
extern int g_winl_want_nice_style;

HWND WINL_MakeButton(int def, const char* text, int id, int x, int y, int w, int h, long style);
// A text field; with 0x100000 only a multi-line text view; with 0x200000 a
// scrolling text view (the scroll view is returned).
HWND WINL_MakeEditField(int id, int x, int y, int w, int h, long style);
// align below 0 left, 0 centred, above 0 right.
HWND WINL_MakeLabel(int align, const char* text, int id, int x, int y, int w, int h, long style);
HWND WINL_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, long style);
HWND WINL_MakeListBox(int id, int x, int y, int w, int h, long style);
HWND WINL_MakeGroupBox(const char* text, int id, int x, int y, int w, int h, long style);
// A combo box (flags & 3 below 3) or a drop-down list (3).
HWND WINL_MakeCombo(int id, int x, int y, int w, int h, long flags);
// By class name, case ignored: "SysTabControl32", "SysListView32",
// "SysListView32_LB", "SysTreeView32", "msctls_progress32", "Edit",
// "static", "Button", "msctls_trackbar32", "ZIDEDIhfader"; null for
// another name (registered custom creators are asked first).
HWND WINL_MakeControl(const char* text, int id, const char* classname, long style, int x, int y, int w, int h,
                      long exstyle);
// Registering twice needs two unregistrations.
void WINL_RegisterCustomControlCreator(WINL_CustomControlCreator creator);
void WINL_UnregisterCustomControlCreator(WINL_CustomControlCreator creator);
