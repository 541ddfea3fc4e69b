#include "platform/window/WindowControls.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-gdi.h"

// ---- Colours and filling ---------------------------------------------------------------

WmColor WmColorFromRGB(int rgb) {
  return WmColor{static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((rgb >> 8) & 0xFF) / 255.0f, static_cast<float>(rgb & 0xFF) / 255.0f,
                 1.0f};
}

namespace {
uint8_t Byte(float v) {
  return static_cast<uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255.0f));
}
int RGBOf(const WmColor& c) { return (Byte(c.red) << 16) | (Byte(c.green) << 8) | Byte(c.blue); }
}  // namespace

uint32_t WmPixelWord(const WmColor& c) {
  const uint8_t bytes[4] = {255, Byte(c.red), Byte(c.green), Byte(c.blue)};
  uint32_t word;
  memcpy(&word, bytes, sizeof word);
  return word;
}

void WmFillRect(const WmView::PaintTarget& t, const WmRect& rect, const WmColor& colour) {
  const int l = std::max(t.clipL, t.originX + static_cast<int>(std::floor(rect.x)));
  const int top = std::max(t.clipT, t.originY + static_cast<int>(std::floor(rect.y)));
  const int r = std::min(t.clipR, t.originX + static_cast<int>(std::floor(rect.x + rect.width)));
  const int b = std::min(t.clipB, t.originY + static_cast<int>(std::floor(rect.y + rect.height)));
  const uint32_t word = WmPixelWord(colour);
  const float a = colour.alpha;
  for (int y = top; y < b; ++y)
    for (int x = l; x < r; ++x) {
      uint32_t& px =
          t.pixels[static_cast<size_t>(y) * static_cast<size_t>(t.rowSpan) + static_cast<size_t>(x)];
      if (a >= 1.0f) {
        px = word;
        continue;
      }
      uint8_t dst[4], src[4];
      memcpy(dst, &px, 4);
      memcpy(src, &word, 4);
      for (int k = 1; k < 4; ++k) dst[k] = static_cast<uint8_t>(src[k] * a + dst[k] * (1.0f - a));
      dst[0] = 255;
      memcpy(&px, dst, 4);
    }
}

// ---- WmSurfaceContext --------------------------------------------------------------------

WmSurfaceContext::WmSurfaceContext(const WmView::PaintTarget& t) {
  surface.pixels = reinterpret_cast<uint8_t*>(t.pixels);
  surface.width = t.width;
  surface.height = t.height;
  surface.rowBytes = t.rowSpan * 4;
  surface.clip = RECT{t.clipL, t.clipT, t.clipR, t.clipB};
  surface.antialias = true;
  hdc = WINL_CreateGfxContext(&surface);
}

WmSurfaceContext::~WmSurfaceContext() {
  if (hdc) WINL_DeleteGfxContext(hdc);
}

// ---- WmCell ---------------------------------------------------------------------------------

void WmCell::DrawText(const WmView::PaintTarget& t, const WmRect& frame) const {
  if (stringValue.empty()) return;
  WmSurfaceContext context(t);
  HDC hdc = context.hdc;
  if (!hdc) return;
  SetTextColor(hdc, hasTextColor ? RGBOf(textColor) : 0);
  SetBkMode(hdc, 0);
  RECT r{t.originX + static_cast<int32_t>(frame.x) + 2, t.originY + static_cast<int32_t>(frame.y),
         t.originX + static_cast<int32_t>(frame.x + frame.width) - 2,
         t.originY + static_cast<int32_t>(frame.y + frame.height)};
  int flags = DT_NOPREFIX | DT_VCENTER | (wraps ? 0 : DT_SINGLELINE);
  if (alignment == 1) flags |= DT_RIGHT;
  if (alignment == 2) flags |= DT_CENTER;
  WINL_DrawText(hdc, stringValue.c_str(), -1, &r, flags);
}

void WmCell::DrawWithFrame(const WmView::PaintTarget& t, const WmRect& frame, WmView*) { DrawText(t, frame); }

// ---- WmTableColumn ------------------------------------------------------------------------------

WmTableColumn::WmTableColumn() : m_cell(new WmCell) {}
WmTableColumn::~WmTableColumn() { delete m_cell; }
void WmTableColumn::SetDataCell(WmCell* cell) {
  if (cell == m_cell) return;
  delete m_cell;
  m_cell = cell ? cell : new WmCell;
}

// ---- Scrolling ------------------------------------------------------------------------------------

WmRect WmDocumentVisibleRect(const WmScrollView* scroll) {
  if (!scroll) return WmRect();
  const WmRect clip = scroll->clip()->frame();
  const WmView* doc = scroll->documentView();
  if (!doc) return WmRect{0, 0, clip.width, clip.height};
  return WmRect{-doc->frame().x, -doc->frame().y, clip.width, clip.height};
}

void WmScrollToPoint(WmScrollView* scroll, WmPoint p) {
  WmView* doc = scroll ? scroll->documentView() : nullptr;
  if (!doc) return;
  const WmRect clip = scroll->clip()->frame();
  const WmRect f = doc->frame();
  p.x = std::max(0.0, std::min(p.x, f.width - clip.width));
  p.y = std::max(0.0, std::min(p.y, f.height - clip.height));
  if (f.x == -p.x && f.y == -p.y) return;
  doc->SetFrame(WmRect{-p.x, -p.y, f.width, f.height});
  scroll->SetNeedsDisplay(true);
}

void WmScrollRectToVisible(WmScrollView* scroll, const WmRect& rect) {
  if (!scroll || !scroll->documentView()) return;
  const WmRect v = WmDocumentVisibleRect(scroll);
  WmPoint p{v.x, v.y};
  if (rect.x < v.x)
    p.x = rect.x;
  else if (rect.x + rect.width > v.x + v.width)
    p.x = std::min(rect.x, rect.x + rect.width - v.width);
  if (rect.y < v.y)
    p.y = rect.y;
  else if (rect.y + rect.height > v.y + v.height)
    p.y = std::min(rect.y, rect.y + rect.height - v.height);
  WmScrollToPoint(scroll, p);
}

// ---- The table's header view ---------------------------------------------------------------------

namespace {
// The column titles above a table, a sibling of the clip view.
class WmTableHeaderView : public WmView {
 public:
  WmTableHeaderView(const WmRect& frame, WmTableView* table) : WmView(frame), m_table(table) {
    SetFlipped(true);
  }
  void Draw(const PaintTarget& t, const WmRect&) override {
    if (WmIsLive(m_table)) m_table->DrawHeader(t, frame().width);
  }
  void MouseEvent(const WmMouseEvent& event) override {
    if (event.kind != kWmLeftUp || !WmIsLive(m_table)) return;
    const WmPoint p = ConvertFrom(event.location, nullptr);
    const WmRect v = m_table->VisibleRect();
    const int column = m_table->WmTableView::ColumnAtPoint(WmPoint{p.x + v.x, v.y});
    if (column >= 0) m_table->DidClickTableColumn(m_table->tableColumns()[static_cast<size_t>(column)]);
  }
  WmTableView* table() const { return m_table; }
  const char* ClassName() const override { return "NSTableHeaderView"; }

 private:
  WmTableView* m_table;
};

WmTableHeaderView* HeaderOf(WmScrollView* scroll) {
  for (WmView* sub : scroll->subviews())
    if (auto* header = dynamic_cast<WmTableHeaderView*>(sub)) return header;
  return nullptr;
}
}  // namespace

// ---- WmTableView ----------------------------------------------------------------------------------

WmTableView::WmTableView(const WmRect& frame) : WmControl(frame) { SetFlipped(true); }

WmTableView::~WmTableView() {
  for (WmTableColumn* column : m_columns) delete column;
}

void WmTableView::AddTableColumn(WmTableColumn* column) {
  if (!column || ColumnIndex(column) >= 0) return;
  column->m_table = this;
  m_columns.push_back(column);
  Tile();
}

void WmTableView::RemoveTableColumn(WmTableColumn* column) {
  auto it = std::find(m_columns.begin(), m_columns.end(), column);
  if (it == m_columns.end()) return;
  m_columns.erase(it);
  delete column;
  Tile();
}

int WmTableView::ColumnIndex(const WmTableColumn* column) const {
  auto it = std::find(m_columns.begin(), m_columns.end(), column);
  return it == m_columns.end() ? -1 : static_cast<int>(it - m_columns.begin());
}

void WmTableView::MoveColumn(int from, int to) {
  const int n = static_cast<int>(m_columns.size());
  if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
  WmTableColumn* column = m_columns[static_cast<size_t>(from)];
  m_columns.erase(m_columns.begin() + from);
  m_columns.insert(m_columns.begin() + to, column);
  SetNeedsDisplay(true);
}

void WmTableView::ReloadData() {
  m_rows = std::max(0, NumberOfRows());
  // Rows that went away leave the selection.
  while (!m_selected.empty() && *m_selected.rbegin() >= m_rows) m_selected.erase(std::prev(m_selected.end()));
  if (m_current >= m_rows) m_current = m_selected.empty() ? -1 : *m_selected.rbegin();
  Tile();
  SetNeedsDisplay(true);
}

void WmTableView::Tile() {
  double width = 0;
  for (WmTableColumn* column : m_columns)
    if (!column->hidden) width += column->width + intercellSpacing.width;
  double height = m_rows * (rowHeight + intercellSpacing.height);
  WmScrollView* scroll = EnclosingScrollView();
  if (scroll) {
    // The header takes the top of the scroll view; the clip view the rest,
    // flipped so that the visible origin is the document's top left.
    scroll->clip()->SetFlipped(true);
    const WmRect sf = scroll->frame();
    const double header = hasHeader ? headerHeight : 0;
    WmTableHeaderView* view = HeaderOf(scroll);
    if (header > 0 && !view) {
      view = new WmTableHeaderView(WmRect{0, 0, sf.width, header}, this);
      scroll->AddSubview(view);
    } else if (header <= 0 && view) {
      view->RemoveFromSuperview();
      view = nullptr;
    }
    if (view) view->SetFrame(WmRect{0, sf.height - header, sf.width, header});
    const WmRect clip{0, 0, sf.width, std::max(0.0, sf.height - header)};
    if (scroll->clip()->frame().height != clip.height || scroll->clip()->frame().width != clip.width)
      scroll->clip()->SetFrame(clip);
    width = std::max(width, clip.width);
    height = std::max(height, clip.height);
    const WmRect f = frame();
    if (f.width != width || f.height != height) WmView::SetFrame(WmRect{f.x, f.y, width, height});
    const WmRect v = WmDocumentVisibleRect(scroll);
    WmScrollToPoint(scroll, WmPoint{v.x, v.y});  // clamps to the new size
  } else {
    const WmRect f = frame();
    if (f.height != height) WmView::SetFrame(WmRect{f.x, f.y, f.width, height});
  }
}

WmRect WmTableView::RectOfRow(int row) const {
  const double pitch = rowHeight + intercellSpacing.height;
  return WmRect{0, row * pitch, frame().width, pitch};
}

WmRect WmTableView::RectOfColumn(int column) const {
  double x = 0;
  for (int i = 0; i < static_cast<int>(m_columns.size()); ++i) {
    const WmTableColumn* c = m_columns[static_cast<size_t>(i)];
    const double w = c->hidden ? 0 : c->width + intercellSpacing.width;
    if (i == column) return WmRect{x, 0, w, frame().height};
    x += w;
  }
  return WmRect();
}

WmRect WmTableView::FrameOfCell(int column, int row) const {
  const WmRect c = RectOfColumn(column), r = RectOfRow(row);
  if (column < 0 || column >= static_cast<int>(m_columns.size()) || row < 0) return WmRect();
  return WmRect{c.x + intercellSpacing.width / 2, r.y + intercellSpacing.height / 2,
                std::max(0.0, c.width - intercellSpacing.width), rowHeight};
}

int WmTableView::RowAtPoint(WmPoint p) const {
  if (p.y < 0 || p.x < 0 || p.x >= frame().width) return -1;
  const int row = static_cast<int>(p.y / (rowHeight + intercellSpacing.height));
  return row < m_rows ? row : -1;
}

int WmTableView::ColumnAtPoint(WmPoint p) const {
  if (p.x < 0) return -1;
  double x = 0;
  for (int i = 0; i < static_cast<int>(m_columns.size()); ++i) {
    const WmTableColumn* c = m_columns[static_cast<size_t>(i)];
    if (c->hidden) continue;
    const double w = c->width + intercellSpacing.width;
    if (p.x < x + w) return i;
    x += w;
  }
  return -1;
}

WmScrollView* WmTableView::EnclosingScrollView() const {
  WmView* clip = superview();
  if (!clip || !dynamic_cast<WmClipView*>(clip)) return nullptr;
  return dynamic_cast<WmScrollView*>(clip->superview());
}

WmRect WmTableView::VisibleRect() const {
  WmScrollView* scroll = EnclosingScrollView();
  return scroll ? WmDocumentVisibleRect(scroll) : WmRect();
}

void WmTableView::ScrollRowToVisible(int row) {
  if (row < 0 || row >= m_rows) return;
  WmRect r = RectOfRow(row);
  const WmRect v = VisibleRect();
  r.x = v.x;
  r.width = v.width;
  WmScrollRectToVisible(EnclosingScrollView(), r);
}

void WmTableView::ScrollColumnToVisible(int column) {
  if (column < 0 || column >= static_cast<int>(m_columns.size())) return;
  WmRect r = RectOfColumn(column);
  const WmRect v = VisibleRect();
  r.y = v.y;
  r.height = v.height;
  WmScrollRectToVisible(EnclosingScrollView(), r);
}

void WmTableView::SelectRows(const std::vector<int>& rows, bool extend) {
  if (!extend) m_selected.clear();
  for (int row : rows) {
    if (row < 0 || row >= m_rows) continue;
    if (!allowsMultipleSelection) m_selected.clear();
    m_selected.insert(row);
    m_current = row;
  }
  if (m_selected.empty()) m_current = -1;
  SetNeedsDisplay(true);
}

void WmTableView::DeselectRow(int row) {
  if (!m_selected.erase(row)) return;
  if (m_current == row) m_current = m_selected.empty() ? -1 : *m_selected.rbegin();
  SetNeedsDisplay(true);
}

void WmTableView::DeselectAll() {
  m_selected.clear();
  m_current = -1;
  SetNeedsDisplay(true);
}

bool WmTableView::HasFocus() const {
  WmWindow* w = window();
  return w && w->firstResponder() == this && WmApplication::Shared().keyWindow() == w;
}

void WmTableView::HighlightSelectionInClipRect(const PaintTarget& t, const WmRect& clip) {
  const WmColor colour = HasFocus() ? WmColor{0.22f, 0.46f, 0.84f, 1} : WmColor{0.83f, 0.83f, 0.83f, 1};
  for (int row : m_selected) {
    const WmRect r = RectOfRow(row);
    if (r.y >= clip.y + clip.height || r.y + r.height <= clip.y) continue;
    WmFillRect(t, r, colour);
  }
}

void WmTableView::Draw(const PaintTarget& t, const WmRect& rect) {
  WmFillRect(t, rect, backgroundColor);
  // The rows in the area being drawn.
  const WmRect area{static_cast<double>(t.clipL - t.originX), static_cast<double>(t.clipT - t.originY),
                    static_cast<double>(t.clipR - t.clipL), static_cast<double>(t.clipB - t.clipT)};
  HighlightSelectionInClipRect(t, area);
  const double pitch = rowHeight + intercellSpacing.height;
  const int first = std::max(0, static_cast<int>(area.y / pitch));
  for (int row = first; row < m_rows && row * pitch < area.y + area.height; ++row)
    for (int c = 0; c < static_cast<int>(m_columns.size()); ++c) {
      WmTableColumn* column = m_columns[static_cast<size_t>(c)];
      if (column->hidden) continue;
      WmCell* cell = column->dataCell();
      cell->stringValue = ObjectValue(column, row);
      cell->highlighted = IsRowSelected(row);
      WillDisplayCell(cell, column, row);
      WmRect cellFrame = FrameOfCell(c, row);
      WillDrawCell(t, column, row, &cellFrame);
      cell->DrawWithFrame(t, cellFrame, this);
    }
  if (gridLines) {
    for (int row = first; row < m_rows && row * pitch < area.y + area.height; ++row) {
      const WmRect r = RectOfRow(row);
      WmFillRect(t, WmRect{r.x, r.y + r.height - 1, r.width, 1}, gridColor);
    }
    for (int c = 0; c < static_cast<int>(m_columns.size()); ++c) {
      const WmRect r = RectOfColumn(c);
      if (r.width > 0) WmFillRect(t, WmRect{r.x + r.width - 1, area.y, 1, area.height}, gridColor);
    }
  }
}

void WmTableView::DrawHeader(const PaintTarget& t, double width) {
  WmFillRect(t, WmRect{0, 0, width, headerHeight}, WmColor{0.93f, 0.93f, 0.93f, 1});
  WmFillRect(t, WmRect{0, headerHeight - 1, width, 1}, WmColor{0.7f, 0.7f, 0.7f, 1});
  const double dx = -VisibleRect().x;
  for (int c = 0; c < static_cast<int>(m_columns.size()); ++c) {
    const WmTableColumn* column = m_columns[static_cast<size_t>(c)];
    if (column->hidden) continue;
    const WmRect r = RectOfColumn(c);
    WmCell title;
    title.stringValue = column->title;
    title.alignment = column->headerAlignment;
    title.DrawText(
        t, WmRect{r.x + dx + 2, 0, r.width - 4 - (column->indicatorImage.empty() ? 0 : 10), headerHeight});
    if (!column->indicatorImage.empty())
      WmFillRect(t, WmRect{r.x + dx + r.width - 12, headerHeight / 2 - 2, 6, 4},
                 WmColor{0.4f, 0.4f, 0.4f, 1});
    WmFillRect(t, WmRect{r.x + dx + r.width - 1, 2, 1, headerHeight - 4}, WmColor{0.7f, 0.7f, 0.7f, 1});
  }
}

WmPoint WmTableView::LocalPoint(const WmMouseEvent& event) const {
  return ConvertFrom(event.location, nullptr);
}

void WmTableView::TrackPress(const WmMouseEvent& event) {
  const int row = RowAtPoint(LocalPoint(event));
  clickedRow = row;
  clickedColumn = WmTableView::ColumnAtPoint(LocalPoint(event));
  const std::set<int> before = m_selected;
  if (row < 0) {
    if (allowsEmptySelection && !(event.modifiers & (kWmCommand | kWmShift))) DeselectAll();
  } else if ((event.modifiers & kWmCommand) && allowsMultipleSelection) {
    if (IsRowSelected(row) && (allowsEmptySelection || m_selected.size() > 1))
      DeselectRow(row);
    else
      SelectRows({row}, true);
    m_anchor = row;
  } else if ((event.modifiers & kWmShift) && allowsMultipleSelection && m_anchor >= 0) {
    std::vector<int> range;
    for (int r = std::min(m_anchor, row); r <= std::max(m_anchor, row); ++r) range.push_back(r);
    SelectRows(range, false);
    m_current = row;
  } else {
    SelectRows({row}, false);
    m_anchor = row;
  }
  if (m_selected != before) SelectionDidChange();
}

void WmTableView::TrackRelease(const WmMouseEvent& event) {
  if (!WmIsLive(this)) return;
  if (event.clickCount >= 2 && doubleAction)
    doubleAction(this);
  else if (action)
    action(this);
}

void WmTableView::MouseEvent(const WmMouseEvent& event) {
  if (!IsEnabled()) return;
  if (event.kind == kWmLeftDown)
    TrackPress(event);
  else if (event.kind == kWmLeftUp)
    TrackRelease(event);
}

// ---- WmOutlineView ----------------------------------------------------------------------------------

void WmOutlineView::Walk(void* item, int level, std::unordered_set<const void*>* seen, bool shown) {
  const int n = NumberOfChildren(item);
  for (int i = 0; i < n; ++i) {
    void* child = Child(i, item);
    if (!child || !seen->insert(child).second) continue;
    if (shown) m_flat.push_back(Row{child, level});
    Walk(child, level + 1, seen, shown && IsExpandable(child) && m_expanded.count(child) != 0);
  }
}

void WmOutlineView::ReloadData() {
  m_flat.clear();
  std::unordered_set<const void*> seen;
  Walk(nullptr, 0, &seen, true);
  // Items that are gone leave the expanded set (their memory may come back
  // as other items).
  for (auto it = m_expanded.begin(); it != m_expanded.end();)
    it = seen.count(*it) ? std::next(it) : m_expanded.erase(it);
  WmTableView::ReloadData();
}

std::string WmOutlineView::ObjectValue(WmTableColumn* column, int row) {
  void* item = ItemAtRow(row);
  return item ? ItemValue(column, item) : std::string();
}

void* WmOutlineView::ItemAtRow(int row) const {
  return row >= 0 && row < static_cast<int>(m_flat.size()) ? m_flat[static_cast<size_t>(row)].item : nullptr;
}

int WmOutlineView::RowForItem(const void* item) const {
  for (size_t i = 0; i < m_flat.size(); ++i)
    if (m_flat[i].item == item) return static_cast<int>(i);
  return -1;
}

int WmOutlineView::LevelForRow(int row) const {
  return row >= 0 && row < static_cast<int>(m_flat.size()) ? m_flat[static_cast<size_t>(row)].level : -1;
}

void WmOutlineView::ReloadKeepingSelection() {
  // The selection follows its items; items no longer shown leave it.
  std::vector<void*> selected;
  for (int row : SelectedRows()) selected.push_back(ItemAtRow(row));
  ReloadData();
  std::vector<int> rows;
  for (void* s : selected)
    if (RowForItem(s) >= 0) rows.push_back(RowForItem(s));
  SelectRows(rows, false);
}

void WmOutlineView::ExpandItem(void* item) {
  if (!item || !IsExpandable(item) || !m_expanded.insert(item).second) return;
  ReloadKeepingSelection();
}

void WmOutlineView::CollapseItem(void* item) {
  if (!m_expanded.erase(item)) return;
  ReloadKeepingSelection();
}

void WmOutlineView::WillDrawCell(const PaintTarget& t, WmTableColumn* column, int row, WmRect* frame) {
  if (column != outlineTableColumn) return;
  const double indent = (LevelForRow(row) + 1) * indentationPerLevel;
  void* item = ItemAtRow(row);
  if (item && IsExpandable(item)) {
    // The disclosure triangle: right-pointing when collapsed, down when open.
    const double cx = indent - indentationPerLevel / 2, cy = frame->y + frame->height / 2;
    const WmColor grey{0.45f, 0.45f, 0.45f, 1};
    for (int k = 0; k < 4; ++k) {
      if (IsItemExpanded(item))
        WmFillRect(t, WmRect{cx - 4 + k, cy - 2 + k, 8.0 - 2 * k, 1}, grey);
      else
        WmFillRect(t, WmRect{cx - 2 + k, cy - 4 + k, 1, 8.0 - 2 * k}, grey);
    }
  }
  frame->x += indent;
  frame->width = std::max(0.0, frame->width - indent);
}

void WmOutlineView::MouseEvent(const WmMouseEvent& event) {
  if (!IsEnabled()) return;
  if (event.kind == kWmLeftDown) {
    const WmPoint p = LocalPoint(event);
    const int row = RowAtPoint(p);
    void* item = ItemAtRow(row);
    const double triangle = (LevelForRow(row) + 1) * indentationPerLevel;
    if (item && IsExpandable(item) && p.x < triangle && p.x >= triangle - indentationPerLevel) {
      if (IsItemExpanded(item))
        CollapseItem(item);
      else
        ExpandItem(item);
      return;
    }
  }
  WmTableView::MouseEvent(event);
}

// ---- WmTabView -------------------------------------------------------------------------------------

void WmTabView::InsertTab(const std::string& label, int index) {
  index = std::max(0, std::min(index, static_cast<int>(m_labels.size())));
  m_labels.insert(m_labels.begin() + index, label);
  if (m_selected >= index) ++m_selected;
  SetNeedsDisplay(true);
  if (m_selected < 0) SelectTab(index);
}

void WmTabView::RemoveTab(int index) {
  if (index < 0 || index >= static_cast<int>(m_labels.size())) return;
  m_labels.erase(m_labels.begin() + index);
  SetNeedsDisplay(true);
  if (m_selected == index) {
    m_selected = -1;
    if (!m_labels.empty()) SelectTab(std::min(index, static_cast<int>(m_labels.size()) - 1));
  } else if (m_selected > index) {
    --m_selected;
  }
}

void WmTabView::SelectTab(int index) {
  if (index < 0 || index >= static_cast<int>(m_labels.size()) || index == m_selected) return;
  m_selected = index;
  SetNeedsDisplay(true);
  DidSelectTab(index);
}

void WmTabView::MouseEvent(const WmMouseEvent& event) {
  if (event.kind != kWmLeftDown || !IsEnabled() || m_labels.empty()) return;
  WmPoint p = ConvertFrom(event.location, nullptr);
  if (!IsFlipped()) p.y = frame().height - p.y;
  if (p.y < 0 || p.y >= tabHeight) return;
  const double w = frame().width / static_cast<double>(m_labels.size());
  SelectTab(std::min(static_cast<int>(p.x / w), static_cast<int>(m_labels.size()) - 1));
}

void WmTabView::Draw(const PaintTarget& t, const WmRect&) {
  // Tabs across the top, the pane below (a flipped view's coordinates are
  // used for the surface either way: the target starts at the top left).
  const WmRect f = bounds();
  WmFillRect(t, WmRect{0, tabHeight / 2, f.width, f.height - tabHeight / 2}, WmColor{0.6f, 0.6f, 0.6f, 1});
  WmFillRect(t, WmRect{1, tabHeight / 2 + 1, f.width - 2, f.height - tabHeight / 2 - 2},
             WmColor{0.91f, 0.91f, 0.91f, 1});
  if (m_labels.empty()) return;
  const double w = f.width / static_cast<double>(m_labels.size());
  for (size_t i = 0; i < m_labels.size(); ++i) {
    const WmRect r{w * static_cast<double>(i) + 2, 0, w - 4, tabHeight - 2};
    const bool on = static_cast<int>(i) == m_selected;
    WmFillRect(t, r, WmColor{0.6f, 0.6f, 0.6f, 1});
    WmFillRect(t, WmRect{r.x + 1, r.y + 1, r.width - 2, r.height - 2},
               on ? WmColor{0.22f, 0.46f, 0.84f, 1} : WmColor{0.97f, 0.97f, 0.97f, 1});
    WmCell label;
    label.stringValue = m_labels[i];
    label.alignment = 2;
    if (on) {
      label.hasTextColor = true;
      label.textColor = WmColor{1, 1, 1, 1};
    }
    label.DrawText(t, r);
  }
}

// ---- WmProgressIndicator --------------------------------------------------------------------------------

void WmProgressIndicator::SetValue(double v) {
  value = std::max(minValue, std::min(v, maxValue));
  SetNeedsDisplay(true);
}

void WmProgressIndicator::Draw(const PaintTarget& t, const WmRect&) {
  const WmRect f = bounds();
  WmFillRect(t, f, WmColor{0.6f, 0.6f, 0.6f, 1});
  WmFillRect(t, WmRect{1, 1, f.width - 2, f.height - 2}, WmColor{0.95f, 0.95f, 0.95f, 1});
  const double span = maxValue - minValue;
  const double part = indeterminate || span <= 0 ? 0 : (value - minValue) / span;
  WmFillRect(t, WmRect{1, 1, (f.width - 2) * part, f.height - 2}, WmColor{0.22f, 0.46f, 0.84f, 1});
}

// ---- Sliders and popups (plain controls of WindowModel.h) --------------------------------------------

namespace {
const WmColor kFrameGrey{0.6f, 0.6f, 0.6f, 1};
const WmColor kFace{0.97f, 0.97f, 0.97f, 1};
const WmColor kAccent{0.22f, 0.46f, 0.84f, 1};

// The point of an event in a view, top-down.
WmPoint TopDown(const WmView* view, const WmMouseEvent& event) {
  WmPoint p = view->ConvertFrom(event.location, nullptr);
  if (!view->IsFlipped()) p.y = view->frame().height - p.y;
  return p;
}
}  // namespace

void WmSlider::Draw(const PaintTarget& t, const WmRect&) {
  const WmRect f = bounds();
  const double knob = std::min(f.height, 12.0);
  const double track = f.width - knob;
  WmFillRect(t, WmRect{knob / 2, f.height / 2 - 2, track, 4}, kFrameGrey);
  const double span = maximum - minimum;
  const double part = span > 0 ? std::max(0.0, std::min(1.0, (value - minimum) / span)) : 0;
  WmFillRect(t, WmRect{knob / 2, f.height / 2 - 2, track * part, 4}, kAccent);
  const WmRect k{track * part, f.height / 2 - knob / 2, knob, knob};
  WmFillRect(t, k, kFrameGrey);
  WmFillRect(t, WmRect{k.x + 1, k.y + 1, k.width - 2, k.height - 2}, IsEnabled() ? kFace : kFrameGrey);
}

void WmSlider::MouseEvent(const WmMouseEvent& event) {
  if (!IsEnabled() || (event.kind != kWmLeftDown && event.kind != kWmLeftDragged)) return;
  const WmPoint p = TopDown(this, event);
  const double knob = std::min(frame().height, 12.0);
  const double track = std::max(1.0, frame().width - knob);
  const double part = std::max(0.0, std::min(1.0, (p.x - knob / 2) / track));
  const double v = minimum + part * (maximum - minimum);
  if (v == value) return;
  value = v;
  SetNeedsDisplay(true);
  if (action) action(this);
}

double WmPopup::ArrowWidth() const { return std::min(frame().height, 18.0); }

void WmPopup::Draw(const PaintTarget& t, const WmRect&) {
  const WmRect f = bounds();
  WmFillRect(t, f, kFrameGrey);
  WmFillRect(t, WmRect{1, 1, f.width - 2, f.height - 2}, IsEnabled() ? WmColor{1, 1, 1, 1} : kFace);
  const double arrow = ArrowWidth();
  WmFillRect(t, WmRect{f.width - arrow, 1, arrow - 1, f.height - 2}, kAccent);
  for (int row = 0; row < 4; ++row)  // a small downward triangle
    WmFillRect(t, WmRect{f.width - arrow / 2 - 4 + row, f.height / 2 - 2 + row, 8.0 - 2 * row, 1},
               WmColor{1, 1, 1, 1});
  WmCell label;
  if (isCombo)
    label.stringValue = text;
  else if (selected >= 0 && selected < static_cast<int>(items.size()))
    label.stringValue = items[static_cast<size_t>(selected)].text;
  label.DrawText(t, WmRect{2, 0, f.width - arrow - 4, f.height});
}

void WmPopup::MouseEvent(const WmMouseEvent& event) {
  if (!IsEnabled() || event.kind != kWmLeftDown) return;
  if (isCombo && editable && TopDown(this, event).x < frame().width - ArrowWidth()) {
    WmFieldEditor::Begin(this);  // the press is on the text: typing
    return;
  }
  WmApplication& app = WmApplication::Shared();
  if (isCombo && willPopUp) willPopUp(this);
  if (!WmIsLive(this) || items.empty() || !app.popupMenuHook) return;
  WmMenu* menu = WmMenu::Create();
  for (size_t i = 0; i < items.size(); ++i) {
    WmMenuItem item;
    item.title = items[i].text;
    item.tag = static_cast<int>(i);
    item.checked = static_cast<int>(i) == selected;
    menu->items.push_back(std::move(item));
  }
  WmMenu* chosenMenu = nullptr;
  int chosen = -1;
  const WmWindow* w = window();
  const WmPoint screen = w ? w->BaseToScreen(ConvertTo(WmPoint{0, 0}, nullptr)) : WmPoint{};
  const bool picked = app.popupMenuHook(menu, this, screen, &chosenMenu, &chosen) && chosenMenu == menu;
  menu->Release();
  if (!picked || !WmIsLive(this) || chosen < 0 || chosen >= static_cast<int>(items.size())) return;
  const bool changed = chosen != selected;
  selected = chosen;
  if (isCombo) text = items[static_cast<size_t>(chosen)].text;
  SetNeedsDisplay(true);
  if (isCombo) {
    if (changed && selectionDidChange) selectionDidChange(this);
  } else if (action) {
    action(this);
  }
}
