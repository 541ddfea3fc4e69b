// Input and notification translation of the window view class: mouse
// buttons, moves and wheels with hit testing, non-client twins and cursor
// requests; trackpad gestures; and the notifications that the controls
// inside a window view send to it (commands, combo and text changes, list
// and outline selections, double clicks and column clicks).
#pragma once

#include <cstdint>

#include "KIT/winl/winl-wnd.h"

struct WmMouseEvent;
class WmTableView;
class WmTableColumn;
class WmOutlineView;
class WmCell;

// ---- Mouse ----------------------------------------------------------------------------------
// Sends a mouse message for event to view's procedure (or to the layer view
// holding the capture in the same window) with hit testing: a hit-test
// result other than HTCLIENT turns 0x200..0x209 into its non-client twin.
// 0 for a null view, -1 for a destroyed view or one without a procedure.
long WINL_SendMouseMessage(WmView* view, int msg, const WmMouseEvent& event);
// The event methods of the window view class, by event kind.
void WINL_ViewMouseEvent(WmView* view, const WmMouseEvent& event);
enum { HTCLIENT = 1, HTCAPTION = 2 };
enum {
  WM_SETCURSOR = 0x20,
  WM_NCMOUSEMOVE = 0xA0,
  WM_NCLBUTTONDOWN = 0xA1,
  WM_LBUTTONDBLCLK = 0x203,
  WM_RBUTTONDBLCLK = 0x206,
  WM_MBUTTONDOWN = 0x207,
  WM_MBUTTONUP = 0x208,
  WM_MBUTTONDBLCLK = 0x209
};

// ---- Gestures -------------------------------------------------------------------------------
// The gesture record of WM_GESTURE (40 bytes, in a GESTUREINFO): the target
// is the window receiving the message.
struct WINL_GestureRecord {
  uint32_t cbSize;
  uint32_t dwFlags;  // GF_BEGIN 1, GF_END 4
  uint32_t dwID;     // 3 zoom, 4 pan, 5 rotate
  int16_t x, y;      // screen coordinates
  uint32_t dwInstanceID;
  uint32_t dwSequenceID;
  uint64_t ullArguments;
  uint32_t cbExtraArgs;
  uint32_t reserved2;
};
static_assert(sizeof(WINL_GestureRecord) == 40, "gesture record");
enum { GF_BEGIN = 1, GF_END = 4, GID_ZOOM = 3, GID_PAN = 4, GID_ROTATE = 5 };

// ---- Control notifications ------------------------------------------------------------------
// owner is the window view the control reports to; each sends only while
// the owner is alive and has a procedure.
void WINL_OnWinlCommand(HWND owner, WmObject* sender);
void WINL_OnControlDoubleClick(HWND owner, WmObject* sender);
void WINL_ComboWillPopUp(HWND owner, WmObject* combo);
void WINL_ComboSelectionDidChange(HWND owner, WmObject* combo);
void WINL_TextDidEndEditing(HWND owner, WmObject* field);
void WINL_ControlTextDidChange(HWND owner, WmObject* field);
void WINL_MenuNeedsUpdate(HWND owner, HMENU menu);
void WINL_TableSelectionDidChange(HWND owner, WmTableView* table);
void WINL_OutlineSelectionDidChange(HWND owner, WmOutlineView* outline);
void WINL_TableDidClickColumn(HWND owner, WmTableView* table, WmTableColumn* column);
