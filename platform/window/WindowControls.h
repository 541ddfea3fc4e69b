// Views of the richer control kinds of the window model: cells, tables with
// columns, selection and a header, outlines over a tree of opaque items, tab
// views and progress indicators, and scrolling inside a scroll view. Like
// the plain controls (WindowModel.h) they keep state, geometry and default
// mouse handling in memory and paint into the window surface through the
// drawing layer; the windowing layer subclasses them for its data sources,
// delegates and notifications (virtual hooks below).
//
// Contents, in reading order:
//   WmColor            a colour of four components 0..1
//   WmSurfaceContext   a drawing context over a paint target's surface
//   WmCell             a text cell: value, alignment, colour, drawing
//   WmTableColumn      a column: title, width, hidden, data cell, indicator
//   WmTableView        rows from a data source, columns in display order,
//                      selection, geometry, header, drawing, mouse
//   WmOutlineView      a table whose rows are the expanded items of a tree
//   WmTabView          tabs with labels and a selected tab
//   WmProgressIndicator a bar between a minimum and a maximum
//   Scrolling          the visible part of a scroll view's document
#pragma once

#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "KIT/winl/winl-gdi.h"
#include "platform/window/WindowModel.h"

// ---- WmColor -------------------------------------------------------------------------
struct WmColor {
  float red = 0, green = 0, blue = 0, alpha = 1;
};
// An opaque colour of a 0x00RRGGBB word (red in bits 16 to 23).
WmColor WmColorFromRGB(int rgb);
// The pixel word of the window surface (alpha, red, green, blue in memory).
uint32_t WmPixelWord(const WmColor& colour);
// Fills rect (view coordinates of a flipped view) in the surface, clipped.
void WmFillRect(const WmView::PaintTarget& target, const WmRect& rect, const WmColor& colour);

// ---- WmSurfaceContext ---------------------------------------------------------------
// A drawing context over the whole window surface of a paint target,
// clipped to the target's clip; view coordinates move by the origin. hdc is
// null when the drawing layer made none.
struct WmSurfaceContext {
  explicit WmSurfaceContext(const WmView::PaintTarget& t);
  ~WmSurfaceContext();
  WmSurfaceContext(const WmSurfaceContext&) = delete;
  WmSurfaceContext& operator=(const WmSurfaceContext&) = delete;
  WINL_GraphicsContext surface{};
  HDC hdc = nullptr;
};

// ---- WmCell ---------------------------------------------------------------------------
class WmCell {
 public:
  virtual ~WmCell() = default;
  std::string stringValue;
  int alignment = 0;  // 0 left, 1 right, 2 centred
  bool wraps = false, scrollable = false, editable = false;
  bool hasTextColor = false;
  WmColor textColor;
  bool highlighted = false;  // drawn in a selected row
  // False for cells without a text colour (the colour hook leaves them).
  virtual bool RespondsToTextColor() const { return true; }
  // Whether the table draws the default selection colour behind the cell.
  virtual bool UsesDefaultHighlight(const WmView* /*controlView*/) const { return true; }
  // Draws the cell into frame (view coordinates of the flipped control).
  virtual void DrawWithFrame(const WmView::PaintTarget& target, const WmRect& frame, WmView* controlView);
  // Draws the text alone, in frame.
  void DrawText(const WmView::PaintTarget& target, const WmRect& frame) const;
};

// ---- WmTableColumn ------------------------------------------------------------------------
class WmTableView;
class WmTableColumn {
 public:
  WmTableColumn();
  ~WmTableColumn();
  WmTableColumn(const WmTableColumn&) = delete;
  WmTableColumn& operator=(const WmTableColumn&) = delete;
  std::string title;
  int headerAlignment = 0;  // as WmCell::alignment
  double width = 100;
  bool hidden = false;
  bool editable = true;
  // The name of the header's indicator image ("" none).
  std::string indicatorImage;
  WmCell* dataCell() const { return m_cell; }
  // Takes ownership; the previous cell is freed.
  void SetDataCell(WmCell* cell);
  WmTableView* tableView() const { return m_table; }

 private:
  friend class WmTableView;
  WmCell* m_cell;
  WmTableView* m_table = nullptr;
};

// ---- WmTableView ----------------------------------------------------------------------------
// Rows come from the data source hooks; ReloadData reads the row count
// again. Selection changes made here by calls notify nothing; those made by
// the mouse call SelectionDidChange. The table is flipped (rows go down).
class WmTableView : public WmControl {
 public:
  explicit WmTableView(const WmRect& frame);
  ~WmTableView() override;

  // Data source and delegate hooks.
  virtual int NumberOfRows() { return 0; }
  virtual std::string ObjectValue(WmTableColumn* /*column*/, int /*row*/) { return std::string(); }
  virtual void WillDisplayCell(WmCell* /*cell*/, WmTableColumn* /*column*/, int /*row*/) {}
  virtual void SelectionDidChange() {}
  virtual void DidClickTableColumn(WmTableColumn* /*column*/) {}

  // Columns in display order; the table owns them.
  const std::vector<WmTableColumn*>& tableColumns() const { return m_columns; }
  void AddTableColumn(WmTableColumn* column);
  void RemoveTableColumn(WmTableColumn* column);       // frees it
  int ColumnIndex(const WmTableColumn* column) const;  // display position, -1
  void MoveColumn(int from, int to);

  // Rows: the count read at the last reload.
  virtual void ReloadData();
  int numberOfRows() const { return m_rows; }

  // Geometry in the table's own (flipped) coordinates.
  double rowHeight = 16;
  WmSize intercellSpacing{3, 2};
  WmRect RectOfRow(int row) const;
  WmRect RectOfColumn(int column) const;  // display position
  WmRect FrameOfCell(int column, int row) const;
  int RowAtPoint(WmPoint p) const;  // -1 outside the rows
  // Display position of the column at p, -1 outside the columns.
  virtual int ColumnAtPoint(WmPoint p) const;
  // The enclosing scroll view (the table is its document) or null, and the
  // visible part of the table (empty at 0, 0 without a scroll view).
  WmScrollView* EnclosingScrollView() const;
  WmRect VisibleRect() const;
  void ScrollRowToVisible(int row);
  void ScrollColumnToVisible(int column);

  // Selection; the current row is the row selected last (-1 none).
  bool allowsMultipleSelection = false;
  bool allowsEmptySelection = true;
  bool allowsColumnReordering = true;
  bool IsRowSelected(int row) const { return m_selected.count(row) != 0; }
  int NumberOfSelectedRows() const { return static_cast<int>(m_selected.size()); }
  std::vector<int> SelectedRows() const { return std::vector<int>(m_selected.begin(), m_selected.end()); }
  int SelectedRow() const { return m_current; }
  void SelectRows(const std::vector<int>& rows, bool extend);
  void DeselectRow(int row);
  void DeselectAll();

  // Header above the rows (in the scroll view), grid and colours.
  bool hasHeader = true;
  double headerHeight = 17;
  bool gridLines = false;
  WmColor gridColor{0.8f, 0.8f, 0.8f, 1};
  WmColor backgroundColor{1, 1, 1, 1};
  bool autoresizesColumns = true;
  bool focusRing = true;
  // The double action (the action is WmControl::action).
  std::function<void(WmControl*)> doubleAction;
  // Whether the table holds the window's focus.
  bool HasFocus() const;

  // Lays the table and its header out in the enclosing scroll view.
  void Tile();

  // Drawing: background, highlight, cells, grid.
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  virtual void HighlightSelectionInClipRect(const PaintTarget& target, const WmRect& clip);
  // Before a cell draws: may move its frame and draw beside it.
  virtual void WillDrawCell(const PaintTarget& /*target*/, WmTableColumn* /*column*/, int /*row*/,
                            WmRect* /*frame*/) {}
  void DrawHeader(const PaintTarget& target, double width);

  // Mouse: the default handling selects at the press (Command extends,
  // Shift extends to a range), runs the action at the release, and the
  // double action for a second click.
  void MouseEvent(const WmMouseEvent& event) override;
  void TrackPress(const WmMouseEvent& event);
  void TrackRelease(const WmMouseEvent& event);
  // Row and display position of the column under the last press (-1 none).
  int clickedRow = -1, clickedColumn = -1;
  const char* ClassName() const override { return "NSTableView"; }

 protected:
  WmPoint LocalPoint(const WmMouseEvent& event) const;

 private:
  std::vector<WmTableColumn*> m_columns;
  std::set<int> m_selected;
  int m_current = -1;
  int m_rows = 0;
  int m_anchor = -1;
};

// ---- WmOutlineView ----------------------------------------------------------------------------
// Items are opaque pointers from the data source; null is the root. Rows
// are the top-level items and the children of expanded items, depth first.
class WmOutlineView : public WmTableView {
 public:
  explicit WmOutlineView(const WmRect& frame) : WmTableView(frame) {}
  virtual int NumberOfChildren(void* /*item*/) { return 0; }
  virtual void* Child(int /*index*/, void* /*item*/) { return nullptr; }
  virtual bool IsExpandable(void* /*item*/) { return false; }
  virtual std::string ItemValue(WmTableColumn* /*column*/, void* /*item*/) { return std::string(); }

  int NumberOfRows() override { return static_cast<int>(m_flat.size()); }
  std::string ObjectValue(WmTableColumn* column, int row) override;
  void ReloadData() override;
  void* ItemAtRow(int row) const;
  int RowForItem(const void* item) const;  // -1 when not shown
  int LevelForRow(int row) const;
  bool IsItemExpanded(const void* item) const { return m_expanded.count(item) != 0; }
  void ExpandItem(void* item);
  void CollapseItem(void* item);
  WmTableColumn* outlineTableColumn = nullptr;
  double indentationPerLevel = 16;
  // A press on an expandable item's triangle toggles it.
  void MouseEvent(const WmMouseEvent& event) override;
  // Indents the outline column's cells by level and draws the triangles.
  void WillDrawCell(const PaintTarget& target, WmTableColumn* column, int row, WmRect* frame) override;
  const char* ClassName() const override { return "NSOutlineView"; }

 private:
  struct Row {
    void* item;
    int level;
  };
  void Walk(void* item, int level, std::unordered_set<const void*>* seen, bool shown);
  // Reloads the rows after an item opened or closed, keeping the selected items.
  void ReloadKeepingSelection();
  std::vector<Row> m_flat;
  std::unordered_set<const void*> m_expanded;
};

// ---- WmTabView ------------------------------------------------------------------------------------
class WmTabView : public WmControl {
 public:
  using WmControl::WmControl;
  const std::vector<std::string>& labels() const { return m_labels; }
  int selectedIndex() const { return m_selected; }
  // Inserting into an empty view selects the new tab; removing the selected
  // tab selects its neighbour. Each selection calls DidSelectTab.
  void InsertTab(const std::string& label, int index);
  void RemoveTab(int index);
  void SelectTab(int index);
  virtual void DidSelectTab(int /*index*/) {}
  bool allowsTruncatedLabels = false;
  double tabHeight = 24;
  void MouseEvent(const WmMouseEvent& event) override;
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  const char* ClassName() const override { return "NSTabView"; }

 private:
  std::vector<std::string> m_labels;
  int m_selected = -1;
};

// ---- WmProgressIndicator ---------------------------------------------------------------------------
class WmProgressIndicator : public WmView {
 public:
  using WmView::WmView;
  double minValue = 0, maxValue = 100, value = 0;
  bool indeterminate = true;
  bool animating = false;
  bool barStyle = true;
  void SetValue(double v);
  void Draw(const PaintTarget& target, const WmRect& rect) override;
  const char* ClassName() const override { return "NSProgressIndicator"; }
};

// ---- Scrolling -------------------------------------------------------------------------------------
// The visible rectangle of a scroll view's document in the document's own
// coordinates (a flipped clip view: origin at the top left), and scrolling
// it so that rect (document coordinates) is in view.
WmRect WmDocumentVisibleRect(const WmScrollView* scroll);
void WmScrollRectToVisible(WmScrollView* scroll, const WmRect& rect);
// Scrolls the document so that its point p is the visible origin (clamped).
void WmScrollToPoint(WmScrollView* scroll, WmPoint p);
