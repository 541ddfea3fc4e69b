// Keyboard and cursor services: platform key events to Win32 virtual keys
// with accelerator flags, the asynchronous key state, cursor objects
// (standard ones, cursor and image files, a resource list), the cursor show
// counter with its relative mouse mode, and the cursor position.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KIT/winl/winl-types.h"

struct WmKeyEvent;
struct WmCursor;
typedef WmCursor* HCURSOR;

enum { FVIRTKEY = 0x01, FSHIFT = 0x04, FCONTROL = 0x08, FALT = 0x10, FLWIN = 0x20 };

// ---- Keys ------------------------------------------------------------------------------
// The virtual key of a key event and its flags (0 for a null event). Mode 1
// prefers the typed characters over those without modifiers.
int WINL_MacKeyToWindowsKey(const WmKeyEvent* event, int* flags);
int WINL_MacKeyToWindowsKeyEx(const WmKeyEvent* event, int* flags, int mode);
// The shifted digit of a US keyboard for a digit key with exactly
// FSHIFT | FVIRTKEY (flags cleared); else 0.
int WINL_KeyToASCII(int wParam, int lParam, int* newflags);
// 0x8000 when down: 1, 2, 4 the mouse buttons; 0x10 Shift, 0x11 Command,
// 0x12 Option, 0x5B Control (only without right-click emulation).
int GetAsyncKeyState(int vk);

// ---- Cursors ----------------------------------------------------------------------------
// A cursor resource of the application: identifier, file name, hot spot and
// the cached cursor.
struct WINL_CursorResourceIndex {
  int id;
  const char* resname;
  int hsx, hsy;
  HCURSOR cachedCursor;
  WINL_CursorResourceIndex* _next;
};
extern WINL_CursorResourceIndex* WINL_curmodule_cursorresource_head;

// id is an integer identifier in a pointer: -1007, -1006, -1002 built-in
// images, -1005 I-beam, -1004 resize up, -1001 resize up-down, -1000 resize
// left-right, -999 arrow, 32649 open hand; others from the resource list.
HCURSOR WINL_LoadCursor(const char* id);
// A cursor from a .cur file (one cursor, decoded in memory) or an image
// file; null when neither can be read.
HCURSOR WINL_LoadCursorFromFile(const char* path);
// Decodes a one-cursor .cur file held in memory into pixel words (alpha,
// red, green, blue bytes in memory) and its hot spot. False for anything
// malformed or truncated.
bool WINL_DecodeCursorFile(const uint8_t* data, size_t size, WmCursor* out);
void WINL_SetCursor(HCURSOR cursor);
HCURSOR WINL_GetCursor();
HCURSOR WINL_GetLastSetCursor();
// Up 1 for show, down 1 for hide; returns the counter (0 visible). Hiding to
// -1 starts the relative mode; showing back to 0 ends it.
int WINL_ShowCursor(bool show);
bool WINL_IsCursorVisible();
bool WINL_SetCursorPos(int x, int y);
void GetCursorPos(POINT* point);
long GetMessagePos();
// Relative mode: a mouse movement by (dx, dy) moves the virtual position.
void WINL_RelativeMouseMoved(double dx, double dy);
