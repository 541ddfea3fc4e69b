// The window model under the Win32-style windowing layer: views in a tree,
// top-level windows with styles, levels and a first responder, the
// application with its key and main windows, modal sessions, menus,
// repeating timers and cursors. It lives in memory and runs headless; a
// presenter (WindowPresenter.h) may show a window on a display.
//
// Contents, in reading order:
//   WmObject       base of every handle the layer gives out; a live registry
//   WmAccessibilityElement  an element of the tree assistive programs walk
//   WmView         a view: frame in its superview, flipped or not, hidden,
//                  subviews (owned), mouse and key entry points
//   WmControl kinds (button, slider, text field, ...) as plain views
//   WmFieldEditor  the one-line editor a text field or combo box is typed
//                  into (WindowTextEditing.cpp)
//   WmWindow       a top-level window: frame in screen coordinates (y up),
//                  style, level, title, content view, first responder
//   WmMenu         menus and their items
//   WmTimer        repeating timers fired by the application's run loop
//   WmCursor       a cursor image with its hot spot
//   WmApplication  windows front to back, key window, modal sessions, run
//                  loop steps, scripted hooks for tests
//
// Ownership: a superview owns its subviews, a window its content view, the
// application its windows. A view or window that leaves the tree is marked
// dead at once (no longer live in the registry) and freed at the next
// release-pool drain, so a procedure that destroys its own window returns
// safely.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class WmWindow;
class WmMenu;
class WmControl;
class WmFieldEditor;
struct WmPresenter;
struct WmDragInfo;
struct WmDragSource;

// ---- Geometry ----------------------------------------------------------------
struct WmPoint {
  double x = 0, y = 0;
};
struct WmSize {
  double width = 0, height = 0;
};
struct WmRect {
  double x = 0, y = 0, width = 0, height = 0;
  bool Contains(double px, double py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
  bool Empty() const { return width <= 0 || height <= 0; }
};

// ---- WmObject ----------------------------------------------------------------
class WmObject {
 public:
  WmObject();
  virtual ~WmObject();
  WmObject(const WmObject&) = delete;
  WmObject& operator=(const WmObject&) = delete;
};
// True for an object made and not yet released (pointer identity; any value,
// even a foreign pointer, may be asked).
bool WmIsLive(const void* object);

// ---- WmAccessibilityElement ----------------------------------------------------
// An element of the accessibility tree as an assistive program walks it.
// Every view is one (WmView below); a view may also answer with elements of
// its own (the windowing layer asks a window procedure for one).
class WmAccessibilityElement {
 public:
  virtual ~WmAccessibilityElement() = default;
  // The deepest element at a point on the screen (y up); this element when
  // none inside it is deeper.
  virtual WmAccessibilityElement* AccessibilityHitTest(WmPoint screen) = 0;
  // The element inside this one that holds the keyboard; null when none.
  virtual WmAccessibilityElement* AccessibilityFocusedElement() = 0;
  // The children and the visible children, ignored ones replaced by their
  // own (WmUnignoredChildren).
  virtual std::vector<WmAccessibilityElement*> AccessibilityChildren() = 0;
  virtual std::vector<WmAccessibilityElement*> AccessibilityVisibleChildren() = 0;
  // True for an element assistive programs pass over (a plain view that
  // only groups others).
  virtual bool AccessibilityIsIgnored() = 0;
};
// Elements in order, each ignored one replaced by its unignored children.
std::vector<WmAccessibilityElement*> WmUnignoredChildren(
    const std::vector<WmAccessibilityElement*>& elements);

// ---- WmView ------------------------------------------------------------------
enum WmMouseKind {
  kWmLeftDown = 1,
  kWmLeftUp,
  kWmRightDown,
  kWmRightUp,
  kWmMoved,
  kWmLeftDragged,
  kWmRightDragged,
  // Further kinds (the middle button, the wheel and trackpad gestures).
  kWmOtherDown,
  kWmOtherUp,
  kWmOtherDragged,
  kWmScrollWheel,
  kWmMagnify,
  kWmRotate,
  kWmSwipe
};

// A mouse event as the model delivers it: location in window base
// coordinates (origin lower left, y up) and on the screen.
struct WmMouseEvent {
  int kind = kWmLeftDown;
  WmWindow* window = nullptr;
  WmPoint location;  // window base coordinates
  WmPoint screen;
  uint32_t modifiers = 0;  // kWmShift...
  double deltaX = 0, deltaY = 0;
  int clickCount = 1;
  double deltaZ = 0;    // magnification of a pinch
  double rotation = 0;  // degrees of a rotation gesture
};

enum WmModifierFlags : uint32_t {
  kWmShift = 1u << 17,
  kWmControl = 1u << 18,
  kWmOption = 1u << 19,
  kWmCommand = 1u << 20,
};

// A key event: the platform key code (the layout-independent code of the
// key's position), the characters typed and those without modifiers.
struct WmKeyEvent {
  bool down = true;
  int keyCode = 0;
  std::u32string characters;
  std::u32string charactersIgnoringModifiers;
  uint32_t modifiers = 0;
};

class WmView : public WmObject, public WmAccessibilityElement {
 public:
  explicit WmView(const WmRect& frame = WmRect());
  ~WmView() override;

  // Tree. AddSubview takes ownership (a view in another superview leaves it
  // first). Detach takes the view out and hands ownership to the caller;
  // RemoveFromSuperview releases it.
  void AddSubview(WmView* view);
  void InsertSubview(WmView* view, size_t index);
  WmView* Detach();
  void RemoveFromSuperview();
  WmView* superview() const { return m_superview; }
  const std::vector<WmView*>& subviews() const { return m_subviews; }
  WmWindow* window() const;
  bool IsDescendantOf(const WmView* ancestor) const;

  // Geometry: the frame is in the superview's coordinates; bounds start at
  // 0, 0. A flipped view's y grows downward.
  WmRect frame() const { return m_frame; }
  virtual void SetFrame(const WmRect& frame);
  WmRect bounds() const { return WmRect{0, 0, m_frame.width, m_frame.height}; }
  virtual bool IsFlipped() const { return m_flipped; }
  void SetFlipped(bool flipped) { m_flipped = flipped; }
  // Point conversions; a null view means the window's base coordinates.
  WmPoint ConvertTo(WmPoint p, const WmView* other) const;
  WmPoint ConvertFrom(WmPoint p, const WmView* other) const;
  // The deepest visible view at p (in the superview's coordinates), or null.
  WmView* HitTest(WmPoint p);

  // Visibility and state.
  bool IsHidden() const { return m_hidden; }
  bool IsHiddenOrHasHiddenAncestor() const;
  virtual void SetHidden(bool hidden);
  virtual bool IsOpaque() const { return m_opaque; }
  void SetOpaqueFlag(bool opaque) { m_opaque = opaque; }
  virtual bool AcceptsFirstResponder() const { return false; }
  virtual void SetEnabled(bool enabled) { m_enabled = enabled; }
  bool IsEnabled() const { return m_enabled; }

  // Redraw requests in the view's own coordinates.
  virtual void SetNeedsDisplay(bool needs);
  virtual void SetNeedsDisplayInRect(const WmRect& rect);
  bool NeedsDisplay() const { return m_needsDisplay; }
  WmRect DirtyRect() const { return m_dirty; }

  // Painting: pixels of the window surface (pixel words, top row first),
  // rowSpan words apart; origin is the view's top-left in those pixels; clip
  // is in surface pixels. Views paint nothing by default.
  struct PaintTarget {
    uint32_t* pixels;
    int rowSpan, width, height;  // the whole surface
    int originX, originY;        // view top-left in surface pixels
    int clipL, clipT, clipR, clipB;
  };
  virtual void Draw(const PaintTarget& target, const WmRect& rect);

  // Input; the defaults pass the event to the superview.
  virtual void MouseEvent(const WmMouseEvent& event);
  virtual void KeyEvent(const WmKeyEvent& event);

  // Drop target (WindowDrag.h): a view that accepts drops answers true and
  // takes the drag entering it, moving over it, leaving it and dropped on
  // it. Entered and updated answer the operation offered (0 refuses); the
  // drop answers whether it took the drag. The defaults refuse.
  virtual bool AcceptsDrops() const { return false; }
  virtual int DraggingEntered(const WmDragInfo&) { return 0; }
  virtual int DraggingUpdated(const WmDragInfo&) { return 0; }
  virtual void DraggingExited(const WmDragInfo&) {}
  virtual bool PerformDragOperation(const WmDragInfo&) { return false; }

  // Accessibility: a view's children are its subviews; the hit test asks
  // the deepest visible view at the point, which answers for itself; the
  // focused element is the window's first responder when it lies inside;
  // plain views are ignored, controls and text are not.
  WmAccessibilityElement* AccessibilityHitTest(WmPoint screen) override;
  WmAccessibilityElement* AccessibilityFocusedElement() override;
  std::vector<WmAccessibilityElement*> AccessibilityChildren() override;
  std::vector<WmAccessibilityElement*> AccessibilityVisibleChildren() override;
  bool AccessibilityIsIgnored() override { return true; }

  // Hooks for subclasses.
  virtual void DidAddSubview(WmView*) {}
  virtual void WillRemoveSubview(WmView*) {}
  virtual void DidHide() {}
  virtual void DidUnhide() {}
  virtual const char* ClassName() const { return "NSView"; }

 private:
  friend class WmWindow;
  friend class WmApplication;
  void SetWindowRecursive(WmWindow* window);
  void ReleaseTree();

  WmRect m_frame;
  WmView* m_superview = nullptr;
  WmWindow* m_window = nullptr;  // set on the content view and its subviews
  std::vector<WmView*> m_subviews;
  bool m_flipped = false;
  bool m_hidden = false;
  bool m_opaque = false;
  bool m_enabled = true;
  bool m_needsDisplay = false;
  WmRect m_dirty;
};

// ---- Control kinds -------------------------------------------------------------
// Plain controls of the model; their appearance and the actions they send
// are their owners' concern (an action is a callback).
class WmControl : public WmView {
 public:
  using WmView::WmView;
  int tag = 0;
  std::function<void(WmControl*)> action;
  bool AcceptsFirstResponder() const override { return IsEnabled(); }
  bool AccessibilityIsIgnored() override { return false; }
};

class WmButton : public WmControl {
 public:
  enum Kind { kPush, kSwitch, kRadio };
  using WmControl::WmControl;
  Kind kind = kPush;
  bool allowsMixedState = false;
  int state = 0;  // -1 mixed, 0 off, 1 on
  std::string title;
  // A click: switches and radios change state, then the action runs.
  void MouseEvent(const WmMouseEvent& event) override;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  const char* ClassName() const override { return "NSButton"; }
};

class WmSlider : public WmControl {
 public:
  using WmControl::WmControl;
  double value = 0, minimum = 0, maximum = 1;
  bool smallControlSize = false;
  // Drawn as a track with a knob; a press or drag sets the value from the
  // position and runs the action (WindowControls.cpp).
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  void MouseEvent(const WmMouseEvent& event) override;
  const char* ClassName() const override { return "NSSlider"; }
};

// What a field editor edits (WindowTextEditing.cpp): the text of a text
// field or of an editable combo box, the area it is typed in (the control's
// coordinates) and the control's hooks for each change and for the end.
class WmTextEditingClient {
 public:
  virtual ~WmTextEditingClient() = default;
  virtual WmView* EditedView() = 0;
  virtual std::string& EditedText() = 0;
  virtual WmRect EditingFrame() const = 0;
  // Characters shown for the text (a secure field shows bullets).
  virtual bool ShowsBullets() const { return false; }
  virtual void EditedTextDidChange() = 0;
  // How the editing ended: Return (or Enter), Tab, or another view taking
  // the keyboard.
  enum EndReason { kEndedByReturn, kEndedByTab, kEndedElsewhere };
  virtual void EditingDidEnd(EndReason reason) = 0;
  // The editor while this is edited, else null.
  WmFieldEditor* CurrentEditor();
};

// A text field; while it is edited, the window's field editor (a WmTextView
// placed two levels below the field) is the first responder. A press on an
// editable field starts the editing; each typed change calls textDidChange;
// Return ends the editing and runs the action. A label (neither editable
// nor selectable) runs its action when a click on it ends; without one its
// clicks go to the view beneath.
class WmTextField : public WmControl, public WmTextEditingClient {
 public:
  using WmControl::WmControl;
  std::string text;
  bool editable = true, bordered = true, drawsBackground = true;
  bool selectable = true;
  bool secure = false;  // shows bullets for its characters
  float textAlpha = 1.0f;
  std::function<void(WmTextField*)> textDidChange;
  void MouseEvent(const WmMouseEvent& event) override;
  WmView* EditedView() override { return this; }
  std::string& EditedText() override { return text; }
  WmRect EditingFrame() const override;
  bool ShowsBullets() const override { return secure; }
  void EditedTextDidChange() override;
  void EditingDidEnd(EndReason reason) override;
  const char* ClassName() const override { return "NSTextField"; }
};

class WmTextView : public WmView {
 public:
  using WmView::WmView;
  std::string text;
  size_t selectionStart = 0, selectionLength = 0;
  bool AcceptsFirstResponder() const override { return true; }
  bool AccessibilityIsIgnored() override { return false; }
  const char* ClassName() const override { return "NSTextView"; }
};

// The field editor: one line of text typed into for a client control, as
// the window's first responder, inside a clip view inside the control.
// Typed characters replace the selection; Backspace, Delete, the arrows
// (Shift extends), Home and End edit and move; Return or Enter ends the
// editing, Tab ends it and starts the next editable field of the window
// (Shift-Tab the previous). Other keys go on to the control. A press places
// the caret, a drag selects. Each change is copied into the client's text
// at once. Texts are UTF-8; the selection counts bytes and always lies on
// character boundaries.
class WmFieldEditor : public WmTextView {
 public:
  WmFieldEditor(const WmRect& frame, WmTextEditingClient* client);
  WmTextEditingClient* client() const { return m_client; }
  // Starts editing client in its window: any other editing ends first; the
  // whole text is selected. Null when the control is not in a window.
  static WmFieldEditor* Begin(WmTextEditingClient* client);
  // Ends the editing: the client learns why and the editor leaves.
  void End(WmTextEditingClient::EndReason reason);
  void KeyEvent(const WmKeyEvent& event) override;
  void MouseEvent(const WmMouseEvent& event) override;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  bool IsOpaque() const override { return true; }
  // Assistive programs see the control being edited, not its editor.
  bool AccessibilityIsIgnored() override { return true; }
  const char* ClassName() const override { return "NSTextView"; }

 private:
  void Normalize();
  void Replace(const std::string& with);
  void Changed();
  size_t IndexAt(double x) const;
  double OffsetOf(size_t index) const;
  WmTextEditingClient* m_client;
  size_t m_anchor = 0;  // the fixed end of a selection being extended
  double m_scroll = 0;  // pixels of the line scrolled out at the left
  bool m_ending = false;
};
// The field editor of window while one is the first responder, else null.
WmFieldEditor* WmCurrentFieldEditor(const WmWindow* window);

// A popup button or combo box: items with texts and data words.
class WmPopup : public WmControl, public WmTextEditingClient {
 public:
  WmPopup(const WmRect& frame, bool combo) : WmControl(frame), isCombo(combo) {}
  bool isCombo;
  struct Item {
    std::string text;
    intptr_t data = 0;
  };
  std::vector<Item> items;
  int selected = -1;
  // A combo box's own text (a chosen item's text, or what was typed), and
  // whether it may be typed into.
  std::string text;
  bool editable = false;
  // Drawn as a box with the selected text (a combo box: its text) and an
  // arrow; a press on the arrow, or anywhere on a popup button or a combo
  // box that is not editable, pops the items up through the application's
  // popup hook; a press on an editable combo box's text starts the editing.
  // A popup button runs its action on a choice; a combo box tells willPopUp
  // before and selectionDidChange after, and textDidChange for each typed
  // change (WindowControls.cpp).
  std::function<void(WmPopup*)> willPopUp, selectionDidChange, textDidChange;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  void MouseEvent(const WmMouseEvent& event) override;
  // The width of the arrow at the right.
  double ArrowWidth() const;
  WmView* EditedView() override { return this; }
  std::string& EditedText() override { return text; }
  WmRect EditingFrame() const override;
  void EditedTextDidChange() override;
  void EditingDidEnd(EndReason) override {}
  const char* ClassName() const override { return isCombo ? "NSComboBox" : "NSPopUpButton"; }
};

class WmBox : public WmView {
 public:
  using WmView::WmView;
  std::string title;
  const char* ClassName() const override { return "NSBox"; }
};

// A scroll view holds a clip view, which holds the document view.
class WmClipView : public WmView {
 public:
  using WmView::WmView;
  const char* ClassName() const override { return "NSClipView"; }
};
class WmScrollView : public WmView {
 public:
  explicit WmScrollView(const WmRect& frame);
  WmClipView* clip() const { return m_clip; }
  WmView* documentView() const;
  void SetDocumentView(WmView* view);
  bool hasHorizontalScroller = false, hasVerticalScroller = false;
  void SetFrame(const WmRect& frame) override;
  const char* ClassName() const override { return "NSScrollView"; }

 private:
  WmClipView* m_clip;
};

// ---- WmWindow ------------------------------------------------------------------
enum WmStyleMask : unsigned {
  kWmTitled = 1,
  kWmClosable = 2,
  kWmMiniaturizable = 4,
  kWmResizable = 8,
};

class WmWindow : public WmObject {
 public:
  // A window whose content rectangle is frame (screen coordinates, y up).
  // The application lists it from the start (ordered out).
  WmWindow(const WmRect& frame, unsigned styleMask);
  ~WmWindow() override;

  WmView* contentView() const { return m_content; }
  // Takes ownership of view; the previous content view is handed back (the
  // caller releases or reuses it).
  WmView* SetContentView(WmView* view);

  WmRect frame() const { return m_frame; }
  virtual void SetFrame(const WmRect& frame, bool display);
  unsigned styleMask() const { return m_style; }
  void SetStyleMask(unsigned style) { m_style = style; }
  bool IsTitled() const { return (m_style & kWmTitled) != 0; }
  bool IsResizable() const { return (m_style & kWmResizable) != 0; }
  virtual WmSize MinSize() { return m_minSize; }
  virtual WmSize MaxSize() { return m_maxSize; }
  void SetMinSize(WmSize size) { m_minSize = size; }
  void SetMaxSize(WmSize size) { m_maxSize = size; }
  int level() const { return m_level; }
  void SetLevel(int level) { m_level = level; }
  std::string title;
  bool hasShadow = true;
  bool isOpaque = true;
  bool documentEdited = false;
  std::string representedFilename;
  bool hidesOnDeactivate = false;
  // The button that Return presses (may be null; not owned).
  WmControl* defaultButton = nullptr;

  // Ordering and key status.
  bool IsVisible() const { return m_visible; }
  bool IsMiniaturized() const { return m_miniaturized; }
  void OrderFront();
  void OrderOut();
  void MakeKeyAndOrderFront();
  void Miniaturize();
  void Center();
  // Closes the window: ordered out, taken from the application, released.
  void Close();
  bool IsClosed() const { return m_closed; }
  virtual bool CanBecomeKeyWindow() { return true; }
  virtual void BecomeKeyWindow() {}
  virtual void ResignKeyWindow() {}
  // The close button: asks WindowShouldClose and closes on yes.
  void PerformClose();
  virtual bool WindowShouldClose() { return true; }
  virtual void WindowDidMove() {}

  WmView* firstResponder() const;  // null when the window itself is
  bool firstResponderIsWindow() const { return m_firstResponderIsWindow; }
  bool MakeFirstResponder(WmView* view);  // null: the window itself

  // Child windows move with this one and stay above it.
  WmWindow* parentWindow() const { return m_parent; }
  void AddChildWindow(WmWindow* child);
  void RemoveChildWindow(WmWindow* child);
  const std::vector<WmWindow*>& childWindows() const { return m_children; }

  // Content pixels (pixel words, top row first) and the redraw of the
  // views that need it. Display redraws what needs it; DisplayAll all.
  const std::vector<uint32_t>& Pixels() const { return m_pixels; }
  int PixelWidth() const { return m_pixelWidth; }
  int PixelHeight() const { return m_pixelHeight; }
  virtual void Display();
  void DisplayAll();
  bool ViewsNeedDisplay() const;
  void Flush();  // hands the pixels to the presenter
  int displayCount = 0;

  // Converts between window base coordinates (origin lower left of the
  // content) and the screen.
  WmPoint BaseToScreen(WmPoint p) const { return WmPoint{p.x + m_frame.x, p.y + m_frame.y}; }
  WmPoint ScreenToBase(WmPoint p) const { return WmPoint{p.x - m_frame.x, p.y - m_frame.y}; }

  // Delivers a mouse event to the view under it (a capture is the layer's
  // concern) and key events to the first responder.
  virtual void SendMouseEvent(const WmMouseEvent& event);
  virtual void SendKeyEvent(const WmKeyEvent& event);

  WmPresenter* presenter() const { return m_presenter.get(); }
  int windowNumber() const { return m_number; }
  virtual const char* ClassName() const { return "NSWindow"; }

 private:
  friend class WmView;
  friend class WmApplication;
  void Paint(WmView* view, const WmView::PaintTarget& target, bool parentDrew);

  WmRect m_frame;
  unsigned m_style;
  WmView* m_content = nullptr;
  WmView* m_firstResponder = nullptr;
  bool m_firstResponderIsWindow = true;
  WmWindow* m_parent = nullptr;
  std::vector<WmWindow*> m_children;
  WmSize m_minSize{1, 1};
  WmSize m_maxSize{100000, 100000};
  int m_level = 0;
  bool m_visible = false;
  bool m_miniaturized = false;
  bool m_closed = false;
  int m_number;
  std::vector<uint32_t> m_pixels;
  int m_pixelWidth = 0, m_pixelHeight = 0;
  std::unique_ptr<WmPresenter> m_presenter;
};

// ---- WmMenu ----------------------------------------------------------------------
// Gives back one reference on a menu (WmMenu::Release).
struct WmMenuRelease {
  void operator()(WmMenu* menu) const;
};

// The one reference a menu item holds on its submenu: given back with the
// item, handed over by a move, and a copy of the menu in a copy of the item,
// so that copies share nothing.
class WmSubmenuRef : public std::unique_ptr<WmMenu, WmMenuRelease> {
 public:
  using unique_ptr::unique_ptr;
  WmSubmenuRef() = default;
  WmSubmenuRef(const WmSubmenuRef& other);
  WmSubmenuRef(WmSubmenuRef&&) noexcept = default;
  WmSubmenuRef& operator=(WmSubmenuRef&&) noexcept = default;
};

// A menu item; the submenu belongs to the item. Copies share nothing, moves
// hand the submenu over; an item is not copy-assigned.
struct WmMenuItem {
  std::string title;
  int tag = 0;
  bool enabled = true;
  bool checked = false;
  bool separator = false;
  WmSubmenuRef submenu;
  const void* image = nullptr;
  uint32_t keyEquivalent = 0;  // a character; 0 none
  uint32_t keyModifiers = 0;   // kWm... flags
  // Routing of the item's command: the target object and whether the
  // command action is set.
  void* target = nullptr;
  bool hasAction = false;
  bool hasData = false;
  intptr_t data = 0;
};

// A reference-counted menu; Create gives one reference.
class WmMenu : public WmObject {
 public:
  static WmMenu* Create(const std::string& title = std::string());
  void Retain() { ++m_refs; }
  void Release();
  // A deep copy (items and submenus) with one reference.
  WmMenu* Copy() const;
  std::string title;
  bool autoenablesItems = true;
  void* delegate = nullptr;
  std::vector<WmMenuItem> items;

 private:
  WmMenu() = default;
  ~WmMenu() override = default;
  int m_refs = 1;
};

// ---- WmTimer ---------------------------------------------------------------------
// A repeating timer; the application fires it from its run loop.
class WmTimer {
 public:
  WmTimer(uint32_t intervalMs, std::function<void(WmTimer*)> fire);
  void Invalidate();
  bool IsValid() const { return m_valid; }
  uint32_t interval() const { return m_interval; }

 private:
  friend class WmApplication;
  uint32_t m_interval;
  uint32_t m_start;  // tick of the last firing (or of creation)
  std::function<void(WmTimer*)> m_fire;
  bool m_valid = true;
};

// ---- WmCursor --------------------------------------------------------------------
struct WmCursor : WmObject {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // pixel words (alpha first in memory)
  int hotX = 0, hotY = 0;
};

// ---- WmApplication ----------------------------------------------------------------
class WmApplication {
 public:
  static WmApplication& Shared();

  // Windows front to back (ordered-out windows after the visible ones).
  const std::vector<WmWindow*>& windows() const { return m_windows; }
  WmWindow* keyWindow() const { return m_key; }
  WmWindow* mainWindow() const { return m_main; }
  WmWindow* WindowWithNumber(int number) const;
  bool isActive = true;
  bool hidden = false;
  WmMenu* mainMenu() const { return m_mainMenu; }
  void SetMainMenu(WmMenu* menu);  // takes a reference

  // Screens: frames and visible frames, screen coordinates (y up); the first
  // is the main screen.
  struct Screen {
    WmRect frame, visibleFrame;
  };
  std::vector<Screen> screens;

  // The mouse and the buttons held (bit 0 left, 1 right, 2 middle), and the
  // modifier flags held; the presenter keeps them up to date.
  WmPoint mouseLocation;
  uint32_t pressedMouseButtons = 0;
  uint32_t modifierFlags = 0;
  const WmCursor* currentCursor = nullptr;  // null: the arrow
  bool cursorHidden = false;

  // Modal sessions. A session runs steps until StopModal or AbortModal; a
  // step pumps events and timers, then calls the modal hook (tests script
  // the user there). kWmRunContinues while the session goes on.
  enum { kWmRunStopped = -1000, kWmRunAborted = -1001, kWmRunContinues = -1002 };
  struct ModalSession;
  ModalSession* BeginModalSession(WmWindow* window);
  int RunModalSession(ModalSession* session);
  void EndModalSession(ModalSession* session);
  int RunModalForWindow(WmWindow* window);
  void StopModal();
  void AbortModal();
  WmWindow* modalWindow() const;
  std::function<void(WmWindow*)> modalHook;
  // Steps a session may run without the hook ending it (a bound for
  // scripted runs, so that a headless modal loop cannot spin forever).
  int maxModalSteps = 100000;

  // Popup menus: the hook picks an item (its menu and index) or returns
  // false for a dismissed menu. Without a hook, menus are dismissed.
  std::function<bool(WmMenu* menu, WmView* view, WmPoint screen, WmMenu** chosenMenu, int* chosenIndex)>
      popupMenuHook;

  // Timers and the run loop. The clock is GetTickCount unless a test sets
  // one. RunLoop runs steps until untilTick (unsigned elapsed time).
  void AddTimer(WmTimer* timer);  // takes ownership; removed once invalid
  void FireDueTimers();
  std::function<uint32_t()> clock;
  uint32_t Now() const;
  void RunLoop(uint32_t milliseconds);
  // One step: presenter events, timers, display of windows that need it,
  // pool drain.
  void Step(int waitMs);
  std::function<void()> stepHook;
  // Sees every mouse event a presenter delivers before the window does;
  // true keeps it from the window (the windowing layer's redirection).
  std::function<bool(const WmMouseEvent&)> mouseEventFilter;
  // The mouse event being delivered (null between events): controls read
  // the click count of the event that made them act.
  const WmMouseEvent* currentMouseEvent() const { return m_currentMouseEvent; }
  // Delivers a mouse event as a presenter does: the filter first, then the
  // event's window; the event is the current one meanwhile.
  void DeliverMouseEvent(const WmMouseEvent& event);
  size_t TimerCount() const { return m_timers.size(); }

  // Drags (WindowDrag.h) of windows without a presenter: the hook runs
  // them (tests script where they drop); without one they end at once.
  std::function<bool(const WmDragSource&)> dragHook;

  // Presentation on a display: when set, windows ordered front get a
  // presenter from this factory.
  std::function<std::unique_ptr<WmPresenter>(WmWindow*)> presenterFactory;

  // Release pool: objects freed at the next drain.
  void Autorelease(WmObject* object);
  void DrainPool();
  // Closes every window, frees timers and pooled objects (end of a test).
  void Reset();

 private:
  friend class WmWindow;
  WmApplication() = default;
  void Add(WmWindow* window);
  void Remove(WmWindow* window);
  void BringToFront(WmWindow* window);
  void SetKey(WmWindow* window);

  std::vector<WmWindow*> m_windows;
  WmWindow* m_key = nullptr;
  WmWindow* m_main = nullptr;
  WmMenu* m_mainMenu = nullptr;
  std::vector<ModalSession*> m_sessions;
  std::vector<std::unique_ptr<WmTimer>> m_timers;
  std::vector<WmObject*> m_pool;
  int m_nextNumber = 1;
  int m_firingDepth = 0;
  const WmMouseEvent* m_currentMouseEvent = nullptr;
};
