// Windows of the Win32-style layer on the window model (platform/window):
// handles and message dispatch, the window view class, the window tree,
// visibility, focus and capture, geometry and coordinates, the default
// window procedure and painting.
//
// A handle (HWND) is a model view or a model window. A top-level window and
// its content view stand for each other; a view inside a scroll view's clip
// view is represented by the scroll view. Null handles, released handles
// and objects the layer does not know give 0, false or null and change
// nothing.
#pragma once

#include <cstdint>
#include <string>

#include "KIT/winl/winl-gdi.h"
#include "KIT/winl/winl-types.h"

class WmObject;
class WmView;
class WmWindow;
class WmMenu;
typedef WmObject* HWND;
typedef WmMenu* HMENU;
typedef long (*WNDPROC)(HWND, unsigned int, unsigned long, long);
typedef long (*DLGPROC)(HWND, unsigned int, unsigned long, long);

// ---- Messages, indices and styles ---------------------------------------------
enum {
  WM_CREATE = 0x1,
  WM_DESTROY = 0x2,
  WM_MOVE = 0x3,
  WM_SIZE = 0x5,
  WM_ACTIVATE = 0x6,
  WM_PAINT = 0xF,
  WM_CLOSE = 0x10,
  WM_ERASEBKGND = 0x14,
  WM_SHOWWINDOW = 0x18,
  WM_MOUSEACTIVATE = 0x21,
  WM_GETMINMAXINFO = 0x24,
  WM_GETOBJECT = 0x3D,
  WM_CONTEXTMENU = 0x7B,
  WM_DISPLAYCHANGE = 0x7E,
  WM_NCCALCSIZE = 0x83,
  WM_NCHITTEST = 0x84,
  WM_NCPAINT = 0x85,
  WM_NCRBUTTONUP = 0xA5,
  WM_KEYDOWN = 0x100,
  WM_KEYUP = 0x101,
  WM_CHAR = 0x102,
  WM_INITDIALOG = 0x110,
  WM_COMMAND = 0x111,
  WM_TIMER = 0x113,
  WM_GESTURE = 0x119,
  WM_INITMENUPOPUP = 0x117,
  WM_CTLCOLORBTN = 0x135,
  WM_CTLCOLORDLG = 0x136,
  WM_CTLCOLORSTATIC = 0x138,
  WM_MOUSEMOVE = 0x200,
  WM_LBUTTONDOWN = 0x201,
  WM_LBUTTONUP = 0x202,
  WM_RBUTTONDOWN = 0x204,
  WM_RBUTTONUP = 0x205,
  WM_MOUSEWHEEL = 0x20A,
  WM_MOUSEHWHEEL = 0x20E,
  WM_CAPTURECHANGED = 0x215,
};
enum { BM_GETCHECK = 0xF0, BM_SETCHECK = 0xF1, BM_GETIMAGE = 0xF6, BM_SETIMAGE = 0xF7 };
enum { TBM_GETPOS = 0x400, TBM_SETTIC = 0x404, TBM_SETPOS = 0x405, TBM_SETRANGE = 0x406 };
enum { EM_GETSEL = 0xF0B0, EM_SETSEL = 0xF0B1 };
enum {
  CB_ADDSTRING = 0x143,
  CB_DELETESTRING = 0x144,
  CB_GETCOUNT = 0x146,
  CB_GETCURSEL = 0x147,
  CB_GETLBTEXT = 0x148,
  CB_INSERTSTRING = 0x14A,
  CB_RESETCONTENT = 0x14B,
  CB_FINDSTRING = 0x14C,
  CB_SETCURSEL = 0x14E,
  CB_GETITEMDATA = 0x150,
  CB_SETITEMDATA = 0x151,
  CB_FINDSTRINGEXACT = 0x158,
};
enum {
  GWL_WNDPROC = -4,
  DWL_DLGPROC = -8,
  GWL_ID = -12,
  GWL_STYLE = -16,
  GWL_EXSTYLE = -20,
  GWL_USERDATA = -21
};
enum : long { WS_CHILD = 0x40000000, WS_CAPTION = 0xC00000, WS_THICKFRAME = 0x40000, WS_GROUP = 0x20000 };
enum { IDOK = 1, IDCANCEL = 2 };
// The layer's own values: 0x1 keeps the position, 0x2 the size.
enum { SWP_NOMOVE = 0x1, SWP_NOSIZE = 0x2, SWP_NOZORDER = 0x4 };

// The paint record of BeginPaint (its first six words).
struct PAINTSTRUCT {
  HDC hdc;
  int fErase;
  RECT rcPaint;
  int fRestore, fIncUpdate;
  uint8_t rgbReserved[32];
};
// The record of WM_NCCALCSIZE: three rectangles and a pointer word.
struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  void* lppos;
};
struct MINMAXINFO {
  POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

// ---- Dialog resource records -------------------------------------------------------
// One per dialog template, linked; the identifier is matched by pointer.
struct WINL_DialogResourceIndex {
  const char* resid;
  const char* title;
  int flags;  // 0x1 child, 0x2 resizable, 0x4 flipped, 0x10 opaque, 0x20 accepts files
  void (*createFunc)(HWND, int);
  int width, height;
  WINL_DialogResourceIndex* _next;
};

// ---- Handles and dispatch ------------------------------------------------------------
long SendMessage(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam);
long GetWindowLong(HWND hwnd, int index);
// Returns the previous value.
long SetWindowLong(HWND hwnd, int index, long value);
void WINL_BroadcastMessage(unsigned int msg, unsigned long wParam, long lParam);
// The scroll view standing for a view inside its clip view, else the view;
// a window gives its content view; null for anything else.
HWND WINL_NavigateUpScrollClipViews(HWND hwnd);
// The view or window behind a handle; null when it is neither or released.
WmView* WINL_AsView(HWND hwnd);
WmWindow* WINL_AsWindow(HWND hwnd);

// ---- The window view class -------------------------------------------------------------
// Creates a window view in parent (a window: as content; a view: as
// subview; null: no parent) from a record or, without one, 300 x 200 with
// proc as window procedure (WM_CREATE). Runs WM_INITDIALOG when a dialog
// procedure results.
HWND WINL_CreateWindowView(WINL_DialogResourceIndex* record, HWND parent, DLGPROC proc, long param);
void WINL_DoDialogColorUpdates(HWND hwnd, DLGPROC proc, bool update);
// The window text (GetDlgItemText and SetDlgItemText of the window itself).
bool SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int size);
// Named properties: a name below 0x10000 is an atom.
bool SetProp(HWND hwnd, const char* name, void* value);
void* GetProp(HWND hwnd, const char* name);
void* RemoveProp(HWND hwnd, const char* name);
// Calls proc for each property of the window until it returns 0; proc's
// last answer, -1 for a window without properties or not of the layer.
int EnumPropsEx(HWND hwnd, int (*proc)(HWND, const char*, void*, long), long lParam);

// ---- Clipboard, dropped files and shell open (winl-clipboard.cpp) ------------------------
// Formats are registered type names ("WINL__CF_TEXT" is the text format,
// UTF-8); an identifier is the name's position + 1. Text goes to the
// general pasteboard (shared with other programs on a display), every other
// format to the private pasteboard "WINL_APP". Data set between
// OpenClipboard and CloseClipboard reaches the pasteboards at
// CloseClipboard; the layer then owns and frees the handles. Data read
// stays valid until the next CloseClipboard. Use on the main thread only.
typedef void* HDROP;
bool OpenClipboard(HWND hwnd);
void CloseClipboard();
void EmptyClipboard();
unsigned int RegisterClipboardFormat(const char* name);
// The formats on the private pasteboard when the clipboard was opened: 0
// gives the first, then each the next; 0 after the last.
unsigned int EnumClipboardFormats(unsigned int previous);
void* GetClipboardData(unsigned int format);
// Null when not stored.
void* SetClipboardData(unsigned int format, void* handle);
// The name at index of a dropped-files block (0xFFFFFFFF: the count),
// copied cut to size - 1 bytes; the length copied, or the full length
// without a buffer. Names reaching past the block's end are not read.
unsigned int DragQueryFile(HDROP drop, unsigned int index, char* buffer, unsigned int size);
bool DragQueryPoint(HDROP drop, POINT* point);
void DragFinish(HDROP drop);
// Opens a web address ("http://" or "https://"), a file with its default
// program or a program (see winl-clipboard.cpp for the mapping of
// "explorer.exe" and "notepad"). True when it was handed on.
bool ShellExecute(HWND hwnd, const char* verb, const char* file, const char* parameters,
                  const char* directory, int show);

// ---- Drag and drop (winl-dragdrop.cpp), hosted views and GL views ------------------------
// Drop hooks of the application (null unless set); screen coordinates.
// A promised drop needs the folder hook (a null or empty answer: "/tmp/").
typedef void* HGLOBAL;
extern void (*WINL_DDrop_onDragEnter)(HGLOBAL drop, int x, int y);
extern void (*WINL_DDrop_onDragOver)(int x, int y);
extern void (*WINL_DDrop_onDragLeave)();
extern const char* (*WINL_DDrop_getDroppedFileTargetPath)(const char* name);
enum { WM_DROPFILES = 0x233 };
// The drop target side of a view that accepts files (extended style 0x10):
// the model's drag entering, moving over, leaving and dropped. A view that
// does not accept files refuses (0 / false). Entered and updated answer the
// generic operation (4).
struct WmDragInfo;
int WINL_DragEntered(HWND hwnd, const WmDragInfo& drag);
int WINL_DragUpdated(HWND hwnd, const WmDragInfo& drag);
void WINL_DragExited(HWND hwnd);
bool WINL_PerformDragOperation(HWND hwnd, const WmDragInfo& drag);
// The dropped-files block of a drag at a view: with retGlob the block is
// returned (the caller frees it, GlobalFree); without, the view gets
// WM_DROPFILES with it and the result is non-zero. Null without files.
HGLOBAL WINL_ExtendedDragOp(HWND hwnd, const WmDragInfo& drag, bool retGlob);
// A drag source offering one promised file: the name (its type the text
// after the last "."), written by callback into a path when it is dropped.
void WINL_InitiateDragDrop(HWND hwnd, RECT* srcrect, const char* srcfn, void (*callback)(const char*));
void WINL_InitiateDragDropOfFileList(HWND hwnd, RECT* srcrect, const char** files, int count, void* icon);
void WINL_FinishDragDrop();
// The promised file lands in folder: written there (an existing file is
// replaced, kept beside under a free numbered name, or left as the user
// answers the "Copy" alert). True with the written file's name.
bool WINL_DoDragDrop(const char* folder, std::string* writtenName);
// The free name for a copy of path: the base name's trailing number (1 to 3
// digits after a blank, "_" or "-") counted on, or " 001" added, with three
// digits: "take 7.wav" gives "take 008.wav". False when none up to 999 is
// free.
bool WINL_FreeCopyName(const std::string& path, std::string* freePath);
// Not buildable on this platform: Carbon windows in views. They answer null
// or do nothing.
HWND WINL_CreateCarbonWindowView(HWND parent, void** carbonWindow, RECT* r, bool composited);
void* WINL_GetWindowFromCarbonWindowView(HWND hwnd);
void WINL_AddCarbonPaneToView(HWND hwnd, void* control);
void WINL_CarbonWndHost_SetWantAllKeys(void* host, bool want);
// A plug-in's editor view in parent (winl-auview.cpp): info is the unit's
// AudioUnitCocoaViewInfo; the bundle at its location is loaded and its view
// factory (the shared object's export "<class>_uiViewForAudioUnit") asked
// for a view of r's size; the view goes into parent at (0, 0) and r becomes
// (0, 0, its width, its height). Null (r unchanged) without a class name,
// a bundle, its shared object or that export, or when the factory makes no
// view. The bundle stays loaded while the view lives.
HWND WINL_GetAudioUnitCocoaView(HWND parent, void* unit, void* info, RECT* r);
// GL views (winl-viewgl.cpp): a window view of the layer gets (on) or
// loses (off) a GL context of its own; without a display offering GLX it
// stays without one. While the view paints its context is current; what GL
// drew joins the window's pixels. SetGLContextToView makes the view's
// context current (true) or, for null, none (false, as for a view without
// a context).
void WINL_SetViewGL(HWND hwnd, bool on);
bool WINL_GetViewGL(HWND hwnd);
bool WINL_SetGLContextToView(HWND hwnd);

// ---- Tree, visibility, focus and capture -------------------------------------------------
HWND GetParent(HWND hwnd);
bool IsChild(HWND parent, HWND child);
// Relations: 0 first, 1 last, 2 next, 3 previous sibling, 4 owner, 5 first child.
HWND GetWindow(HWND hwnd, int relation);
HWND SetParent(HWND hwnd, HWND newParent);
bool EnumChildWindows(HWND hwnd, bool (*proc)(HWND, long), long lParam);
HWND FindWindowEx(HWND parent, HWND childAfter, const char* className, const char* windowName);
bool IsWindow(HWND hwnd);
bool IsWindowVisible(HWND hwnd);
// Commands: 0 hide, 1 show, 2 show and activate, 3 minimise.
void ShowWindow(HWND hwnd, int cmd);
void DestroyWindow(HWND hwnd);
void WINL_CloseWindow(HWND hwnd);
void CenterWindow(HWND hwnd);
void EnableWindow(HWND hwnd, int enable);
void WINL_HideApp();
void SetFocus(HWND hwnd);
HWND GetFocus();
HWND GetForegroundWindow();
void SetForegroundWindow(HWND hwnd);
bool IsEquivalentTextView(HWND a, HWND b);
HWND SetCapture(HWND hwnd);
HWND GetCapture();
void ReleaseCapture();

// ---- Geometry -------------------------------------------------------------------------------
// Screen coordinates have their origin at the lower left, y up; client
// coordinates are the view's own (flipped or not).
void ClientToScreen(HWND hwnd, POINT* point);
void ScreenToClient(HWND hwnd, POINT* point);
bool GetWindowRect(HWND hwnd, RECT* rect);
void GetClientRect(HWND hwnd, RECT* rect);
void GetWindowContentViewRect(HWND hwnd, RECT* rect);
// Flags: 0x1 keep position, 0x2 keep size, 0x4 keep stacking order.
// insertAfter: 0 top, 1 bottom, -1/-2 nothing, else a sibling.
void SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, int flags);
bool ScrollWindow(HWND hwnd, int dx, int dy, const RECT* unused1, const RECT* unused2);
HWND WindowFromPoint(POINT point);
int GetSystemMetrics(int index);
void WINL_GetViewPort(RECT* result, const RECT* source, bool wantWorkArea);

// ---- Default window procedure, painting, appearance ---------------------------------------
long DefWindowProc(HWND hwnd, unsigned int msg, unsigned long wParam, long lParam);
void InvalidateRect(HWND hwnd, const RECT* rect, int erase);
void UpdateWindow(HWND hwnd);
void WINL_FlushWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
bool EndPaint(HWND hwnd, PAINTSTRUCT* ps);
// A modal session for hwnd's window; a run step returns true while it
// goes on; end stops it (within a bounded number of steps) and ends it.
void* WINL_ModalWindowStart(HWND hwnd);
bool WINL_ModalWindowRun(void* session, int* result);
void WINL_ModalWindowEnd(void* session);
// Redirects a mouse event to the outermost view that claims the point as
// non-client area (WM_NCHITTEST above 1); true when it did.
struct WmMouseEvent;
bool WINL_HandleMouseEvent(const WmMouseEvent& event);
int WINL_SetWindowLevel(HWND hwnd, int level);
int WINL_GetWindowWantRaiseAmt(HWND hwnd);
void WINL_SetWindowWantRaiseAmt(HWND hwnd, int amount);
void SetOpaque(HWND hwnd, bool opaque);
void SetTransparent(HWND hwnd);
void WINL_SetWindowShadow(HWND hwnd, bool shadow);
void WINL_SetWindowRepre(HWND hwnd, const char* filename, bool edited);
// The drag outline: a half-transparent grey overlay over rect (client
// coordinates of hwnd) kept in *overlay; a null rect removes it.
void WINL_DrawFocusRect(HWND hwnd, const RECT* rect, void** overlay);
// Presentation of the menu bar and Dock: below 1 the options found at the
// first call, 1 both hidden automatically (5), above 1 Dock hidden and menu
// bar hidden automatically (6).
bool WINL_SetAppAutoHideMenuAndDock(int mode);
// The application's presentation options (see above).
int WINL_GetAppPresentationOptions();
struct GESTUREINFO {
  uint64_t words[5];
};
// Copies the gesture record at lParam; false for a null record or info.
bool WINL_GetGestureInfo(long lParam, GESTUREINFO* info);
