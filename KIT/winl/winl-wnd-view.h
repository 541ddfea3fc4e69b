// The layer's own window classes on the window model: the window view class
// behind every child window, dialog and top-level content, and the two
// top-level window classes (modeless windows and modal dialog boxes). Other
// parts of the layer use them through winl-wnd.h; this header is for the
// layer itself.
#pragma once

#include <memory>
#include <string>

#include "KIT/winl/winl-wnd.h"
#include "platform/window/WindowModel.h"

// A named property of a window view.
class WmGLContext;

struct WindowPropRec {
  char* name;  // a copy of a string name, or an atom value below 0x10000
  void* value;
  WindowPropRec* _next;
};

class Winl_vVivivI_hwnd : public WmView {
 public:
  Winl_vVivivI_hwnd(const WmRect& frame);
  ~Winl_vVivivI_hwnd() override;

  // Creation from a record (or none) into parent; see WINL_CreateWindowView.
  static Winl_vVivivI_hwnd* initChild(WINL_DialogResourceIndex* record, WmObject* parent, DLGPROC proc,
                                      long param);

  long onWinlMessage(unsigned int msg, unsigned long wParam, long lParam);

  // Window words.
  int tag() const { return m_tag; }
  void setTag(int tag) { m_tag = tag; }
  long getWinlUserData() const { return m_userdata; }
  void setWinlUserData(long value) { m_userdata = static_cast<int32_t>(value); }
  // Byte index 0..127 (slot index / 4); outside, reads 0 and writes nothing.
  long getWinlExtraData(int index) const;
  void setWinlExtraData(int index, long value);
  WNDPROC getWinlWindowProc() const { return m_wndproc; }
  void setWinlWindowProc(WNDPROC proc) { m_wndproc = proc; }
  DLGPROC getWinlDialogProc() const { return m_dlgproc; }
  void setWinlDialogProc(DLGPROC proc) { m_dlgproc = proc; }
  HMENU winlGetMenu() const { return m_menu; }
  void winlSetMenu(HMENU menu);
  long winlGetExtendedStyle() const { return m_supports_ddrop ? 0x10 : 0; }
  void winlSetExtendedStyle(long style) { m_supports_ddrop = (style & 0x10) != 0; }
  unsigned winlCreateWindowFlags() const { return m_create_windowflags; }
  void setCreateWindowFlags(unsigned flags) { m_create_windowflags = flags; }
  const char* onWinlGetText() const { return m_titlestr; }
  void onWinlSetText(const char* text);
  bool winlHasBeenDestroyed() const { return m_hashaddestroy != 0; }
  bool winlCanPostMessage() const { return m_hashaddestroy == 0; }
  bool winlCapChangeNotify() const { return true; }
  void SetEnabled(bool enabled) override;
  bool IsOpaque() const override { return m_isopaque != 0; }
  void setOpaque(bool opaque) { m_isopaque = opaque; }
  bool IsFlipped() const override { return m_flip != 0; }
  bool AcceptsFirstResponder() const override { return m_enabled != 0; }

  // Properties.
  int winlSetProp(const char* name, void* value);
  void* winlGetProp(const char* name, bool wantRemove);
  int winlEnumProps(int (*proc)(HWND, const char*, void*, long), long lParam);

  // Painting.
  bool getWinlPaintInfo(PAINTSTRUCT* ps);
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  // Paints rect (view coordinates) with a context: the non-client messages,
  // then WM_PAINT. A view with a GL context has it current meanwhile; what
  // GL drew then joins target's surface (when given).
  void PaintWithContext(HDC hdc, const WmRect& rect, const PaintTarget* target = nullptr);
  // The view's GL context (WINL_SetViewGL), null when GL is off.
  std::unique_ptr<WmGLContext> m_glctx;
  uint8_t m_isdirty = 3;

  // Timers of the layer deliver here.
  void WINL_Timer(uintptr_t id);

  // Input reaching the procedure (mouse buttons and keys).
  void MouseEvent(const WmMouseEvent& event) override;
  void KeyEvent(const WmKeyEvent& event) override;

  // Drop target: a view that accepts files (extended style 0x10) takes
  // drags through the layer's drop handling (winl-dragdrop.cpp).
  bool AcceptsDrops() const override { return m_supports_ddrop; }
  int DraggingEntered(const WmDragInfo& info) override;
  int DraggingUpdated(const WmDragInfo& info) override;
  void DraggingExited(const WmDragInfo& info) override;
  bool PerformDragOperation(const WmDragInfo& info) override;

  // Accessibility: the procedure may supply an element (WM_GETOBJECT with
  // 0x1001 and a pointer to an element slot) that answers the hit test and
  // the focus, and joins the children, the view's own children first; the
  // children lists are kept while element and own children stay the same.
  WmAccessibilityElement* AccessibilityHitTest(WmPoint screen) override;
  WmAccessibilityElement* AccessibilityFocusedElement() override;
  std::vector<WmAccessibilityElement*> AccessibilityChildren() override;
  std::vector<WmAccessibilityElement*> AccessibilityVisibleChildren() override;
  bool AccessibilityIsIgnored() override;
  // The procedure's element, or null.
  WmAccessibilityElement* AccessibilityObject();

  void SetFrame(const WmRect& frame) override;
  void DidHide() override;
  void DidUnhide() override;
  void DidAddSubview(WmView* view) override;
  void WillRemoveSubview(WmView* view) override;
  const char* ClassName() const override { return "Winl_vVivivI_hwnd"; }

  WmObject* m_lastTopLevelOwner = nullptr;
  // The current left press is delivered as a right press (emulation).
  uint8_t m_isfakerightmouse = 0;

 private:
  uint8_t m_enabled = 1;
  DLGPROC m_dlgproc = nullptr;
  WNDPROC m_wndproc = nullptr;
  int32_t m_userdata = 0;
  int32_t m_extradata[32] = {};
  int32_t m_tag = 0;
  uint8_t m_hashaddestroy = 0;
  HMENU m_menu = nullptr;
  uint8_t m_flip = 1;
  bool m_supports_ddrop = false;
  bool m_paintctx_used = false;
  HDC m_paintctx_hdc = nullptr;
  WindowPropRec* m_props = nullptr;
  WmRect m_paintctx_rect;
  uint8_t m_isopaque = 1;
  char m_titlestr[1024] = {};
  unsigned m_create_windowflags = 0;
  // The accessibility caches of the children and the visible children:
  // the answer, the view's own list it was made from and the element.
  struct AccessCache {
    std::vector<WmAccessibilityElement*> result, base;
    WmAccessibilityElement* object = nullptr;
  };
  AccessCache m_access_cacheptrs[2];
  std::vector<WmAccessibilityElement*> CachedChildren(int which, std::vector<WmAccessibilityElement*> base);
};

// A record of the list of windows a top-level window owns.
struct OwnedWindowListRec {
  WmWindow* hwnd;
  OwnedWindowListRec* _next;
};

// What the two top-level classes share: owner, owned windows, enabled flag
// and the Win32 messages of frame changes, activation and closing.
class Winl_TopLevel : public WmWindow {
 public:
  Winl_TopLevel(const WmRect& frame, unsigned style) : WmWindow(frame, style) {}
  ~Winl_TopLevel() override;

  void winlAddOwnedWindow(WmWindow* window);
  void winlRemoveOwnedWindow(WmWindow* window);
  void winlDestroyAllOwnedWindows();
  void winlResetOwnedWindowLevels();
  OwnedWindowListRec* winlGetOwnerWindowHead() const { return m_ownedwnds; }
  void winlSetOwner(WmWindow* owner) { m_owner = owner; }
  WmWindow* winlGetOwner() const { return m_owner; }
  void winlDoDestroyStuff();

  bool WindowShouldClose() override;
  void SetFrame(const WmRect& frame, bool display) override;
  void WindowDidMove() override;
  void ResignKeyWindow() override;
  void BecomeKeyWindow() override;
  WmSize MinSize() override;
  WmSize MaxSize() override;
  bool CanBecomeKeyWindow() override;
  virtual bool IsDialogBox() const { return false; }

  WmSize lastFrameSize;
  WmWindow* m_owner = nullptr;
  OwnedWindowListRec* m_ownedwnds = nullptr;
  uint8_t m_enabled = 1;
};

class Winl_vVivivI_modelesswindow : public Winl_TopLevel {
 public:
  Winl_vVivivI_modelesswindow(const WmRect& frame, unsigned style) : Winl_TopLevel(frame, style) {}
  // The window with its content view; *outputHwnd gets the content view.
  static Winl_vVivivI_modelesswindow* initModeless(WINL_DialogResourceIndex* record, HWND parent,
                                                   DLGPROC proc, long param, HWND* outputHwnd,
                                                   unsigned forceStyles);
  static Winl_vVivivI_modelesswindow* initModelessForChild(WmView* child, HWND owner, unsigned styleMask);
  int m_wantraiseamt = 0;
  bool m_wantInitialKeyWindowOnShow = false;
  const char* ClassName() const override { return "Winl_vVivivI_modelesswindow"; }
};

class Winl_vVivivI_dialogbox : public Winl_TopLevel {
 public:
  Winl_vVivivI_dialogbox(const WmRect& frame, unsigned style) : Winl_TopLevel(frame, style) {}
  static Winl_vVivivI_dialogbox* initDialogBox(WINL_DialogResourceIndex* record, HWND parent, DLGPROC proc,
                                               long param);
  void winlSetModalRetVal(int value) {
    m_rv = value;
    m_hasrv = true;
  }
  int winlGetModalRetVal() const { return m_rv; }
  bool winlHasModalRetVal() const { return m_hasrv; }
  bool IsDialogBox() const override { return true; }
  const char* ClassName() const override { return "Winl_vVivivI_dialogbox"; }
  int m_rv = 0;
  bool m_hasrv = false;
};

// ---- Shared helpers of the layer ---------------------------------------------------------
Winl_vVivivI_hwnd* WINL_AsLayerView(HWND hwnd);
Winl_TopLevel* WINL_AsTopLevel(WmObject* object);
// A view's procedure (the layer view's message entry), 0 when it has none.
long WINL_Deliver(WmView* view, unsigned int msg, unsigned long wParam, long lParam);
// The top-level window whose content view this is, or null.
WmWindow* WINL_WindowOfContent(WmView* view);
// The capture record (winl-wnd-tree.cpp).
HWND WINL_CaptureHolder();
// Terminating flag (set by WINL_PostQuitMessage).
extern bool g_winl_terminating;
extern WmWindow* g_winl_last_key_window;
