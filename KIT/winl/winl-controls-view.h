// The layer's control classes on the window model's controls: the window
// words each keeps (tag, style, user data, radio flags, bitmap), the
// messages it answers itself, the cells of lists and owner-drawn buttons,
// the list, tree, tab and progress classes, and the redraw propagation
// every control class shares. For the layer itself; other subsystems use
// the operations of winl-listview.h, winl-treeview.h, winl-controls.h and
// winl-creators.h.
#pragma once

#include <string>
#include <vector>

#include "KIT/winl/winl-listview.h"
#include "KIT/winl/winl-treeview.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowControls.h"

// ---- The window-object protocol of the control classes --------------------------------------
// What SendMessage, GetWindowLong and SetWindowLong ask of a control: a
// message entry, a tag and a style word, each only when the class has one.
class Winl_ControlProtocol {
 public:
  virtual ~Winl_ControlProtocol() = default;
  virtual bool answersWinlMessages() const { return false; }
  virtual long onWinlMessage(unsigned int /*msg*/, unsigned long /*wParam*/, long /*lParam*/) { return 0; }
  virtual int* winlTagWord() { return nullptr; }
  virtual long* winlStyleWord() { return nullptr; }
};
Winl_ControlProtocol* WINL_AsControl(HWND hwnd);
// The view of dialog whose id is id (0: the dialog's own view), searching
// its views depth first; null when none.
WmView* WINL_FindDialogItem(HWND dialog, int id);

// Where a new text goes among count sorted texts: a binary search that
// puts it before its equal. compare(i) compares the new text with text i
// (negative, 0 or positive).
template <class Compare>
int WINL_SortedPosition(int count, Compare compare) {
  int len = count, lo = 0;
  while (len > 0) {
    const int mid = lo + len / 2;
    const int c = compare(mid);
    if (c == 0) return mid;
    if (c > 0) {
      lo = mid + 1;
      if (lo >= count || compare(lo) <= 0) return lo;
      len = len - 1;
    }
    len = len / 2;
  }
  return 0;
}

// Marks bit 1 (a view inside was invalidated) on every window view above
// view, stopping at the first that has it already.
void WINL_PropagateRedraw(WmView* view);

// ---- Buttons ----------------------------------------------------------------------------------
// The owner-drawn button cell: the parent draws the button on WM_DRAWITEM.
class Winl_vVivivI_ODbuttoncell : public WmCell {
 public:
  void DrawWithFrame(const WmView::PaintTarget& target, const WmRect& frame, WmView* controlView) override;
  bool RespondsToTextColor() const override { return false; }
};

class Winl_vVivivI_button : public WmButton, public Winl_ControlProtocol {
 public:
  using WmButton::WmButton;
  ~Winl_vVivivI_button() override;
  int winlGetRadioFlags() const { return m_radioflags; }
  void winlSetRadioFlags(int flags) { m_radioflags = flags; }
  long getWinlUserData() const { return m_userdata; }
  void setWinlUserData(long value) { m_userdata = value; }
  HGDIOBJ getWinlGDIImage() const { return m_winlGDIimage; }
  void setWinlGDIImage(HGDIOBJ image) { m_winlGDIimage = image; }
  int* winlTagWord() override { return &tag; }
  // The owner-drawn cell (owned), null for the plain look.
  void SetOwnerDrawnCell(Winl_vVivivI_ODbuttoncell* cell);
  Winl_vVivivI_ODbuttoncell* ownerDrawnCell() const { return m_odcell; }
  int bezelStyle = 1;
  int imagePosition = 0;  // 3: the box right of the text
  bool isDefaultButton = false;
  float fontSize = 0;  // 0: the platform's default font
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_button"; }

 private:
  HGDIOBJ m_winlGDIimage = nullptr;
  long m_userdata = 0;
  int m_radioflags = 0;
  Winl_vVivivI_ODbuttoncell* m_odcell = nullptr;
};

// ---- Text ---------------------------------------------------------------------------------------
enum { EM_SCROLL = 0xF0B5, SB_TOP = 6, SB_BOTTOM = 7, WM_SETFONT = 0x30 };

class Winl_vVivivI_textview : public WmTextView, public Winl_ControlProtocol {
 public:
  using WmTextView::WmTextView;
  bool answersWinlMessages() const override { return true; }
  long onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) override;
  int* winlTagWord() override { return &m_tag; }
  int tag() const { return m_tag; }
  void setTag(int tag) { m_tag = tag; }
  bool editable = true;
  bool horizontallyResizable = false, verticallyResizable = false;
  HFONT font = nullptr;  // the font of WM_SETFONT (not owned)
  float fontSize = 0;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_textview"; }

 private:
  int m_tag = 0;
};

class Winl_vVivivI_textfield : public WmTextField, public Winl_ControlProtocol {
 public:
  using WmTextField::WmTextField;
  bool bezeled = true;
  int alignment = 0;  // 0 left, 1 right, 2 centred
  bool wraps = true;
  float fontSize = 0;
  int* winlTagWord() override { return &tag; }
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  const char* ClassName() const override { return secure ? "NSSecureTextField" : "Winl_vVivivI_textfield"; }
};

class Winl_vVivivI_box : public WmBox, public Winl_ControlProtocol {
 public:
  using WmBox::WmBox;
  int* winlTagWord() override { return &m_tag; }
  int tag() const { return m_tag; }
  void setTag(int tag) { m_tag = tag; }
  bool titleCentred = false;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_box"; }

 private:
  int m_tag = 0;
};

// ---- Combo boxes and drop-down lists --------------------------------------------------------------
// Item data words live in the items (WmPopup::Item::data), which keeps them
// parallel to the items by construction.
class Winl_vVivivI_pub : public WmPopup, public Winl_ControlProtocol {
 public:
  explicit Winl_vVivivI_pub(const WmRect& frame) : WmPopup(frame, false) {}
  long getWinlStyle() const { return m_style; }
  void setWinlStyle(long style) { m_style = style; }
  int* winlTagWord() override { return &tag; }
  long* winlStyleWord() override { return &m_style; }
  bool autoenablesItems = true;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_pub"; }

 private:
  long m_style = 0;
};

class Winl_vVivivI_cbox : public WmPopup, public Winl_ControlProtocol {
 public:
  explicit Winl_vVivivI_cbox(const WmRect& frame) : WmPopup(frame, true) { editable = true; }
  long getWinlStyle() const { return m_style; }
  void setWinlStyle(long style) { m_style = style; }
  int* winlTagWord() override { return &tag; }
  long* winlStyleWord() override { return &m_style; }
  int numberOfVisibleItems = 5;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_cbox"; }

 private:
  long m_style = 0;
};

// ---- Tabs and progress --------------------------------------------------------------------------
class Winl_vVivivI_tabview : public WmTabView, public Winl_ControlProtocol {
 public:
  using WmTabView::WmTabView;
  int* winlTagWord() override { return &tag; }
  HWND getNotificationWindow() const { return m_dest; }
  void setNotificationWindow(HWND window) { m_dest = window; }
  // Sends TCN_SELCHANGE to the notification window.
  void DidSelectTab(int index) override;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_tabview"; }

 private:
  HWND m_dest = nullptr;
};

class Winl_vVivivI_progind : public WmProgressIndicator, public Winl_ControlProtocol {
 public:
  using WmProgressIndicator::WmProgressIndicator;
  bool answersWinlMessages() const override { return true; }
  long onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) override;
  int* winlTagWord() override { return &m_tag; }
  int tag() const { return m_tag; }
  void setTag(int tag) { m_tag = tag; }
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_progind"; }

 private:
  int m_tag = 0;
};

// ---- List cells ------------------------------------------------------------------------------------
class Winl_vVivivI_listviewcell : public WmCell {
 public:
  // No highlight colour in a list or tree view with selection colours.
  bool UsesDefaultHighlight(const WmView* controlView) const override;
};

// The first column's cell with an image list: the image in a square at the
// left, the text after it (indented by the row height + 2 either way).
class Winl_vVivivI_statuscell : public WmCell {
 public:
  void setStatusImage(HICON image) { status = image; }
  HICON status = nullptr;  // not owned
  void DrawWithFrame(const WmView::PaintTarget& target, const WmRect& frame, WmView* controlView) override;
  bool UsesDefaultHighlight(const WmView* controlView) const override;
};

class Winl_vVivivI_listview;
// The owner-drawn row of a list box: the parent draws it on WM_DRAWITEM.
class Winl_vVivivI_ODlistviewcell : public WmCell {
 public:
  void setOwnerControl(Winl_vVivivI_listview* owner) { m_ownctl = owner; }
  void setItemIdx(int index) { m_lastidx = index; }
  bool RespondsToTextColor() const override { return false; }
  void DrawWithFrame(const WmView::PaintTarget& target, const WmRect& frame, WmView* controlView) override;
  Winl_vVivivI_listview* m_ownctl = nullptr;
  int m_lastidx = 0;
};

// ---- The list view ------------------------------------------------------------------------------------
struct WINL_ListView_Row {
  std::vector<std::string> texts;  // entry 0 the item's text; missing entries read ""
  long param = 0;
  int imageIndex = 0;  // 0 none, n image n-1
  int scratch = 0;     // the selection while rows are sorted
};

class Winl_vVivivI_listview : public WmTableView, public Winl_ControlProtocol {
 public:
  explicit Winl_vVivivI_listview(const WmRect& frame);
  ~Winl_vVivivI_listview() override;

  long getWinlStyle() const { return style; }
  void setWinlStyle(long value) { style = value; }
  int getWinlNotificationMode() const { return m_lbMode; }
  void setWinlNotificationMode(int mode) { m_lbMode = mode; }
  bool answersWinlMessages() const override { return true; }
  long onWinlMessage(unsigned int msg, unsigned long wParam, long lParam) override;
  int* winlTagWord() override { return &tag; }
  long* winlStyleWord() override { return &style; }

  // Owner-data mode: list-box mode off and LVS_OWNERDATA.
  bool OwnerData() const { return !m_lbMode && (style & LVS_OWNERDATA); }
  int ItemCount() const;
  // Selection extends unless LVS_SINGLESEL (list boxes: with LBS_EXTENDEDSEL).
  bool ExtendsSelection() const;
  int ColumnCreationIndex(const WmTableColumn* column) const;
  WmTableColumn* ColumnOfCreationIndex(int index) const;
  // Display position of creation index i (i itself outside), and creation
  // index at display position p (-1 when not ours, p itself outside).
  int getColumnPos(int i) const;
  int getColumnIdx(int p) const;
  int ColumnAtPoint(WmPoint p) const override;  // a creation index
  HWND target = nullptr;                        // receives the notifications
  HWND Target() const;                          // target, else the parent window
  long Notify(HWND to, NMLISTVIEW* record);     // WM_NOTIFY with the header filled

  // Data source and delegate.
  int NumberOfRows() override { return ItemCount(); }
  std::string ObjectValue(WmTableColumn* column, int row) override;
  void WillDisplayCell(WmCell* cell, WmTableColumn* column, int row) override;
  void SelectionDidChange() override;
  void DidClickTableColumn(WmTableColumn* column) override;
  void HighlightSelectionInClipRect(const PaintTarget& target, const WmRect& clip) override;

  // Mouse (press, drag, release, right release).
  void MouseEvent(const WmMouseEvent& event) override;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_listview"; }

  int m_leftmousemovecnt = 0;
  bool m_fakerightmouse = false;
  long style = 0;
  int ownermode_cnt = 0;
  int m_start_item = -1;
  int m_start_subitem = -1;
  int m_start_item_clickmode = 0;
  int m_lbMode = 0;
  std::vector<WINL_ListView_Row*> m_items;
  std::vector<WmTableColumn*> m_cols;
  HIMAGELIST m_status_imagelist = nullptr;
  int m_status_imagelist_type = -1;
  int m_fastClickMask = 0;
  bool m_hasFgColor = false;
  WmColor m_fgColor;
  std::vector<WmColor> m_selColors;

 private:
  void RightRelease(const WmMouseEvent& event);
};

// ---- The tree view -----------------------------------------------------------------------------------
struct HTREEITEM__ {
  bool hasChildren = false;
  char* text = nullptr;  // owned, may be null
  std::vector<HTREEITEM__*> children;
  long param = 0;
  ~HTREEITEM__();
};

class Winl_vVivivI_treeview : public WmOutlineView, public Winl_ControlProtocol {
 public:
  explicit Winl_vVivivI_treeview(const WmRect& frame);
  ~Winl_vVivivI_treeview() override;
  int* winlTagWord() override { return &tag; }
  long* winlStyleWord() override { return &style; }

  // The handle's place: parent (null for the root list) and index.
  bool findItem(HTREEITEM item, HTREEITEM* parent, int* index) const;
  std::vector<HTREEITEM__*>& ListOf(HTREEITEM parent) { return parent ? parent->children : m_items; }
  HWND target = nullptr;  // receives the notifications
  HWND Target() const;    // target, else the parent window

  int NumberOfChildren(void* item) override;
  void* Child(int index, void* item) override;
  bool IsExpandable(void* item) override;
  std::string ItemValue(WmTableColumn* column, void* item) override;
  void WillDisplayCell(WmCell* cell, WmTableColumn* column, int row) override;
  void SelectionDidChange() override;
  void HighlightSelectionInClipRect(const PaintTarget& target, const WmRect& clip) override;
  void MouseEvent(const WmMouseEvent& event) override;
  void SetNeedsDisplay(bool needs) override;
  void SetNeedsDisplayInRect(const WmRect& rect) override;
  const char* ClassName() const override { return "Winl_vVivivI_treeview"; }

  bool m_fakerightmouse = false;
  long style = 0;
  std::vector<HTREEITEM__*> m_items;
  bool m_hasFgColor = false;
  WmColor m_fgColor;
  std::vector<WmColor> m_selColors;
};

// ---- Shared by the list and tree views ---------------------------------------------------------------
// A list view behind hwnd (the view or the scroll view holding it).
Winl_vVivivI_listview* WINL_AsListView(HWND hwnd);
Winl_vVivivI_treeview* WINL_AsTreeView(HWND hwnd);
// The text colour of a list or tree cell:
// a selected row takes entry 1 (focus) or 3, other rows the fore colour.
void WINL_ApplyCellColours(WmTableView* table, WmCell* cell, bool selected, bool hasFg, const WmColor& fg,
                           const std::vector<WmColor>& selColors);
// Fills the selected rows with the selection colour entry 0 (focus) or 2;
// false when there is no such entry (the default highlight is drawn).
bool WINL_FillSelection(WmTableView* table, const WmView::PaintTarget& target, const WmRect& clip,
                        const std::vector<WmColor>& selColors, const std::vector<int>& rows);
