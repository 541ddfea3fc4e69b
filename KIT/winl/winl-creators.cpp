// Control creators: the layout state, the coordinate conversion with the
// automatic right-shift, the creators of the common controls, the general
// creator by class name and the custom creators.
#include "KIT/winl/winl-creators.h"

#include <string.h>
#include <strings.h>

#include <cmath>
#include <string>

#include "KIT/winl/winl-controls-view.h"
#include "KIT/winl/winl-controls.h"
#include "KIT/winl/winl-font.h"
#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-input.h"

int g_winl_want_nice_style = 1;

namespace {

// ---- Layout state (one per process, set per dialog) ----------------------------------------------
float m_transform[2][2] = {{0, 0}, {1, 1}};  // offsets, scales
float m_parent_h = 100;
WmView* m_make_owner = nullptr;
bool m_doautoright = false;
float m_lastdoauto[2][2] = {{0, -100}, {0, 0}};  // last right edge, last centre, growth
bool m_sizetofits = false;

struct CreatorNode {
  WINL_CustomControlCreator creator;
  int count;
  CreatorNode* next;
};
CreatorNode* m_ccprocs = nullptr;

float& LastRight() { return m_lastdoauto[0][0]; }
float& LastCentre() { return m_lastdoauto[0][1]; }
float& Growth() { return m_lastdoauto[1][0]; }

int R(double v) { return static_cast<int>(v + 0.5); }

WmRect ToRect(const RECT& r) {
  return WmRect{static_cast<double>(r.left), static_cast<double>(r.top),
                static_cast<double>(r.right - r.left), static_cast<double>(r.bottom - r.top)};
}

WmView* Owner() { return WmIsLive(m_make_owner) ? m_make_owner : nullptr; }

// After a creator has placed and sized its control.
void UpdateGrowth(WmView* control) {
  if (!m_doautoright || !control) return;
  Growth() = static_cast<float>(control->frame().x + control->frame().width - LastRight());
}

void Attach(WmView* control, long style) {
  if (style & 0x80000000L) control->SetHidden(true);
  if (WmView* owner = Owner()) owner->AddSubview(control);
}

// The font rule: the system font of 8 or 10 points below an x scale of 1.81.
float FontSize() {
  const float sx = m_transform[1][0];
  if (sx >= 1.81f) return 0;
  return sx < 1.0f ? 8.0f : 10.0f;
}

// The text rule: "&" drops and keeps the next character, for texts shorter
// than 1024 characters with an "&" within them.
std::string TextRule(const char* text) {
  if (!text) return std::string();
  const size_t length = strnlen(text, 1024);
  if (length >= 1024 || !memchr(text, '&', length)) return text;
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '&' && i + 1 < length)
      ++i;
    else if (text[i] == '&')
      continue;
    out += text[i];
  }
  return out;
}

// The width of text in the default font, in pixels.
double TextWidth(const std::string& text) {
  if (text.empty()) return 0;
  HDC hdc = WINL_CreateMemContext(nullptr, 1, 1);
  if (!hdc) return 0;
  RECT r{0, 0, 0, 0};
  WINL_DrawText(hdc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  WINL_DeleteGfxContext(hdc);
  return r.right - r.left;
}

void SizeToFit(WmView* view, double width) {
  WmRect f = view->frame();
  f.width = std::ceil(width);
  view->SetFrame(f);
}

void CommandAction(WmControl* control) {
  HWND owner = Owner();
  control->action = [owner](WmControl* sender) { WINL_OnWinlCommand(owner, sender); };
}

// A scroll view with the rectangle, its clip view flipped, holding document.
WmScrollView* MakeScroll(const WmRect& frame, WmView* document, bool horizontal) {
  auto* scroll = new WmScrollView(frame);
  scroll->clip()->SetFlipped(true);
  scroll->hasVerticalScroller = true;
  scroll->hasHorizontalScroller = horizontal;
  scroll->SetDocumentView(document);
  return scroll;
}

Winl_vVivivI_textfield* MakeLabelField(const std::string& text, int id, const WmRect& frame, int alignment) {
  auto* label = new Winl_vVivivI_textfield(frame);
  label->editable = false;
  label->selectable = false;
  label->bordered = label->bezeled = label->drawsBackground = false;
  label->fontSize = FontSize();
  label->text = text;
  label->alignment = alignment;
  label->tag = id;
  return label;
}

HWND MakeListView(int id, const char* classname, long style, int x, int y, int w, int h) {
  const bool listBox = strcasecmp(classname, "SysListView32_LB") == 0;
  const WmRect frame = ToRect(WINL_MakeCoords(x, y, w, h, true, false));
  auto* lv = new Winl_vVivivI_listview(WmRect{0, 0, frame.width, frame.height});
  lv->setWinlStyle(style);
  lv->autoresizesColumns = false;
  lv->focusRing = false;
  lv->m_lbMode = listBox ? 1 : 0;
  if (listBox) {
    lv->hasHeader = false;
    lv->allowsMultipleSelection = (style & LBS_EXTENDEDSEL) != 0;
  } else {
    lv->hasHeader = (style & LVS_REPORT) && !(style & LVS_NOCOLUMNHEADER);
    lv->allowsMultipleSelection = !(style & LVS_SINGLESEL);
  }
  lv->allowsColumnReordering = false;
  lv->allowsEmptySelection = true;
  lv->tag = id;
  HWND owner = Owner();
  lv->target = owner;
  CommandAction(lv);
  lv->doubleAction = [owner](WmControl* sender) { WINL_OnControlDoubleClick(owner, sender); };
  WmScrollView* scroll = MakeScroll(frame, lv, !listBox);
  if (listBox) {
    LVCOLUMN column{};
    column.mask = LVCF_WIDTH;
    column.cx = static_cast<int>(std::ceil(std::max(300.0, frame.width)));
    column.pszText = const_cast<char*>("");
    ListView_InsertColumn(lv, 0, &column);
    if (style & LBS_OWNERDRAWFIXED) {
      auto* cell = new Winl_vVivivI_ODlistviewcell;
      cell->setOwnerControl(lv);
      lv->m_cols[0]->SetDataCell(cell);
    }
  }
  Attach(scroll, style);
  lv->Tile();
  lv->ReloadData();
  UpdateGrowth(scroll);
  return scroll;
}

HWND MakeTreeView(int id, long style, int x, int y, int w, int h) {
  const WmRect frame = ToRect(WINL_MakeCoords(x, y, w, h, true, false));
  auto* tv = new Winl_vVivivI_treeview(WmRect{0, 0, frame.width, frame.height});
  tv->style = style;
  tv->focusRing = false;
  tv->hasHeader = false;
  HWND owner = Owner();
  tv->target = owner;
  CommandAction(tv);
  tv->doubleAction = [owner](WmControl* sender) { WINL_OnControlDoubleClick(owner, sender); };
  tv->allowsColumnReordering = false;
  tv->allowsMultipleSelection = false;
  tv->allowsEmptySelection = true;
  tv->tag = id;
  auto* column = new WmTableColumn;
  column->editable = false;
  column->width = std::ceil(std::max(300.0, frame.width));
  auto* cell = new Winl_vVivivI_listviewcell;
  cell->wraps = false;
  column->SetDataCell(cell);
  tv->AddTableColumn(column);
  tv->outlineTableColumn = column;
  WmScrollView* scroll = MakeScroll(frame, tv, false);
  Attach(scroll, style);
  tv->Tile();
  tv->ReloadData();
  UpdateGrowth(scroll);
  return scroll;
}

HWND MakeButtonByStyle(const char* text, int id, long style, int x, int y, int w, int h) {
  if (style & 0x20000000L) return WINL_MakeGroupBox(text, id, x, y, w, h, style & ~0x20000000L);
  if (style & 0x10000000L) return WINL_MakeButton(1, text, id, x, y, w, h, style & ~0x10000000L);
  if (style & 0x08000000L) return WINL_MakeButton(0, text, id, x, y, w, h, style & ~0x08000000L);
  auto* button = new Winl_vVivivI_button(ToRect(WINL_MakeCoords(x, y, w, h, true, false)));
  button->tag = id;
  const int type = static_cast<int>(style & 0xF);
  if (type == 3) {
    button->kind = WmButton::kSwitch;
  } else if (type == 6) {
    button->kind = WmButton::kSwitch;
    button->allowsMixedState = true;
  } else if (type == 9) {
    button->kind = WmButton::kRadio;
    button->winlSetRadioFlags(1 | ((style & 0x20000L) ? 2 : 0));
  } else if (type == 11) {
    button->SetOwnerDrawnCell(new Winl_vVivivI_ODbuttoncell);
  }
  button->fontSize = FontSize();
  button->title = TextRule(text);
  CommandAction(button);
  if (style & 0x20) button->imagePosition = 3;
  Attach(button, style);
  if (m_sizetofits && type != 11) {
    const double box = button->kind == WmButton::kPush ? 24 : 20;
    SizeToFit(button, TextWidth(button->title) + box);
  }
  UpdateGrowth(button);
  return button;
}

}  // namespace

// ---- Layout state and conversion ---------------------------------------------------------------------

void WINL_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent, bool doauto,
                          bool dosizetofit) {
  m_sizetofits = dosizetofit;
  LastRight() = 0;
  LastCentre() = -100;
  Growth() = 0;
  m_doautoright = doauto;
  m_transform[0][0] = xtrans;
  m_transform[0][1] = ytrans;
  m_transform[1][0] = xscale;
  m_transform[1][1] = yscale;
  WmView* owner = WINL_AsView(parent);
  if (WmWindow* window = WINL_AsWindow(parent)) owner = window->contentView();
  m_make_owner = owner;
  m_parent_h = owner ? static_cast<float>(owner->bounds().height) : 0;
  if (m_transform[1][1] > 0 && owner && owner->IsFlipped()) m_transform[1][1] = -m_transform[1][1];
}

RECT WINL_MakeCoords(int x, int y, int w, int h, bool autoadjust, bool unscaledheight) {
  if (w < 0 && h < 0) return RECT{-x, -y, -x - w, -y - h};
  const float tx = m_transform[0][0], ty = m_transform[0][1];
  const float sx = m_transform[1][0], sy = m_transform[1][1];
  const double k = unscaledheight ? 1.0 : sy;
  int left = R((x + tx) * static_cast<double>(sx));
  const int width = R(w * static_cast<double>(sx));
  const int height = R(std::fabs(k) * h);
  int top;
  if (sy < 0)
    top = R(-static_cast<double>(sy) * (y + ty));
  else  // an unflipped parent counts from the bottom: the frame's lower edge
    top = R(m_parent_h - static_cast<double>(sy) * (y + ty) - std::fabs(k) * h);
  if (m_doautoright && autoadjust) {
    const int unshifted = left;
    if (std::fabs(left - LastRight()) < 32 && LastCentre() >= top && LastCentre() < top + height)
      left += static_cast<int>(Growth());
    LastRight() = static_cast<float>(unshifted + width);
    LastCentre() = static_cast<float>(top + height / 2.0);
    Growth() = 0;
  }
  return RECT{left, top, left + width, top + height};
}

// ---- Common controls -----------------------------------------------------------------------------------

HWND WINL_MakeButton(int def, const char* text, int id, int x, int y, int w, int h, long style) {
  const bool resource = reinterpret_cast<uintptr_t>(text) < 0x10000;
  auto* button = new Winl_vVivivI_button(WmRect());
  button->fontSize = FontSize();
  button->tag = id;
  button->bezelStyle = g_winl_want_nice_style == 1 ? 6 : 1;
  WmRect frame = ToRect(WINL_MakeCoords(x, y, w, h, true, false));
  if (g_winl_want_nice_style != 1 && frame.height >= 18 && frame.height < 24) frame.height = 24;
  button->SetFrame(frame);
  button->title = resource ? "ICONTEMP" : TextRule(text);
  CommandAction(button);
  Attach(button, style);
  UpdateGrowth(button);
  if (def) {
    button->isDefaultButton = true;
    if (WmWindow* window = button->window()) window->defaultButton = button;
  }
  return button;
}

HWND WINL_MakeEditField(int id, int x, int y, int w, int h, long style) {
  const bool hscroll = (style & 0x100000L) != 0, vscroll = (style & 0x200000L) != 0;
  const bool readOnly = (style & 0x800) != 0;
  const WmRect frame = ToRect(WINL_MakeCoords(x, y, w, h, true, false));
  if (!hscroll && !vscroll) {
    auto* field = new Winl_vVivivI_textfield(frame);
    field->secure = (style & 0x20) != 0;
    field->editable = !readOnly;
    field->selectable = true;
    field->fontSize = FontSize();
    field->alignment = (style & 0x1) ? 2 : (style & 0x2) ? 1 : 0;
    if (std::abs(h) < 20) field->wraps = false;
    field->tag = id;
    CommandAction(field);
    HWND owner = Owner();
    field->textDidChange = [owner](WmTextField* sender) { WINL_ControlTextDidChange(owner, sender); };
    Attach(field, style);
    UpdateGrowth(field);
    return field;
  }
  auto* text = new Winl_vVivivI_textview(vscroll ? WmRect{0, 0, frame.width, frame.height} : frame);
  text->editable = !readOnly;
  text->fontSize = FontSize();
  text->setTag(id);
  if (!vscroll) {
    Attach(text, style);
    UpdateGrowth(text);
    return text;
  }
  text->verticallyResizable = true;
  WmScrollView* scroll = MakeScroll(frame, text, hscroll);
  Attach(scroll, style);
  UpdateGrowth(scroll);
  return scroll;
}

HWND WINL_MakeLabel(int align, const char* text, int id, int x, int y, int w, int h, long style) {
  const WmRect frame = ToRect(WINL_MakeCoords(x, y, w, h, true, false));
  const std::string title = TextRule(text);
  auto* label = MakeLabelField(title, id, frame, align < 0 ? 0 : align == 0 ? 2 : 1);
  if (style & 0x100) CommandAction(label);
  label->wraps = h >= 13;
  Attach(label, style);
  if (m_sizetofits && title.size() >= 2) SizeToFit(label, TextWidth(title) + 4);
  UpdateGrowth(label);
  return label;
}

HWND WINL_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, long style) {
  return WINL_MakeControl(text, id, "Button", style | 3, x, y, w, h, 0);
}

HWND WINL_MakeListBox(int id, int x, int y, int w, int h, long style) {
  return WINL_MakeControl("", id, "SysListView32_LB", style, x, y, w, h, 0);
}

HWND WINL_MakeGroupBox(const char* text, int id, int x, int y, int w, int h, long style) {
  const RECT r = (w < 0 && h + 3 < 0) ? RECT{-x, 1 - y, -x - w, 1 - y - 3 - h}
                                      : WINL_MakeCoords(x, y - 1, w, h + 3, false, false);
  auto* box = new Winl_vVivivI_box(ToRect(r));
  box->title = TextRule(text);
  box->setTag(id);
  box->titleCentred = ((style >> 8) & 3) != 0;
  Attach(box, style);
  return box;
}

HWND WINL_MakeCombo(int id, int x, int y, int w, int h, long flags) {
  (void)h;
  WmView* control;
  if ((flags & 3) < 3) {
    auto* combo = new Winl_vVivivI_cbox(ToRect(WINL_MakeCoords(x, y - 1, w, 22, true, true)));
    combo->editable = true;
    combo->setWinlStyle(flags);
    combo->tag = id;
    CommandAction(combo);
    HWND owner = Owner();
    combo->willPopUp = [owner](WmPopup* sender) { WINL_ComboWillPopUp(owner, sender); };
    combo->selectionDidChange = [owner](WmPopup* sender) { WINL_ComboSelectionDidChange(owner, sender); };
    combo->textDidChange = [owner](WmPopup* sender) { WINL_ControlTextDidChange(owner, sender); };
    control = combo;
  } else {
    auto* popup = new Winl_vVivivI_pub(ToRect(WINL_MakeCoords(x, y, w, 18, true, true)));
    popup->tag = id;
    popup->setWinlStyle(flags);
    popup->autoenablesItems = false;
    CommandAction(popup);
    control = popup;
  }
  Attach(control, flags);
  UpdateGrowth(control);
  return control;
}

// ---- By class name ----------------------------------------------------------------------------------------

HWND WINL_MakeControl(const char* text, int id, const char* classname, long style, int x, int y, int w, int h,
                      long exstyle) {
  if (!classname) return nullptr;
  if (m_ccprocs) {
    const RECT r = WINL_MakeCoords(x, y, w, h, false, false);
    for (CreatorNode* node = m_ccprocs; node; node = node->next) {
      HWND made = node->creator(Owner(), text, id, classname, style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top);
      if (!made) continue;
      if (exstyle) {
        if (auto* layer = WINL_AsLayerView(made)) layer->winlSetExtendedStyle(exstyle);
      }
      return made;
    }
  }
  if (strcasecmp(classname, "SysTabControl32") == 0) {
    auto* tab = new Winl_vVivivI_tabview(ToRect(WINL_MakeCoords(x, y - 1, w, h + 6, true, false)));
    tab->tag = id;
    tab->allowsTruncatedLabels = true;
    tab->setNotificationWindow(Owner());
    Attach(tab, style);
    UpdateGrowth(tab);
    return tab;
  }
  if (strcasecmp(classname, "SysListView32") == 0 || strcasecmp(classname, "SysListView32_LB") == 0)
    return MakeListView(id, classname, style, x, y, w, h);
  if (strcasecmp(classname, "SysTreeView32") == 0) return MakeTreeView(id, style, x, y, w, h);
  if (strcasecmp(classname, "msctls_progress32") == 0) {
    auto* bar = new Winl_vVivivI_progind(ToRect(WINL_MakeCoords(x, y, w, h, true, false)));
    bar->barStyle = true;
    bar->indeterminate = false;
    bar->setTag(id);
    Attach(bar, style);
    UpdateGrowth(bar);
    return bar;
  }
  if (strcasecmp(classname, "Edit") == 0) return WINL_MakeEditField(id, x, y, w, h, style);
  if (strcasecmp(classname, "static") == 0) {
    const int type = static_cast<int>(style & 0x1F);
    const std::string title = text && *text ? TextRule(text) : std::string(text ? text : "");
    auto* label = MakeLabelField(title, id, ToRect(WINL_MakeCoords(x, y, w, h, true, false)),
                                 type == 1   ? 2
                                 : type == 2 ? 1
                                             : 0);
    if (type == 0xC) label->wraps = false;
    Attach(label, style);
    if (type == 4) label->SetHidden(true);
    UpdateGrowth(label);
    return label;
  }
  if (strcasecmp(classname, "Button") == 0) return MakeButtonByStyle(text, id, style, x, y, w, h);
  if (strcasecmp(classname, "msctls_trackbar32") == 0 || strcasecmp(classname, "ZIDEDIhfader") == 0) {
    auto* slider = new WmSlider(ToRect(WINL_MakeCoords(x, y, w, h, true, false)));
    slider->tag = id;
    slider->minimum = 0;
    slider->maximum = 1000;
    slider->smallControlSize = strcasecmp(classname, "msctls_trackbar32") == 0;
    CommandAction(slider);
    Attach(slider, style);
    UpdateGrowth(slider);
    return slider;
  }
  return nullptr;
}

void WINL_RegisterCustomControlCreator(WINL_CustomControlCreator creator) {
  if (!creator) return;
  CreatorNode** link = &m_ccprocs;
  for (; *link; link = &(*link)->next)
    if ((*link)->creator == creator) {
      ++(*link)->count;
      return;
    }
  *link = new CreatorNode{creator, 1, nullptr};
}

void WINL_UnregisterCustomControlCreator(WINL_CustomControlCreator creator) {
  for (CreatorNode** link = &m_ccprocs; *link; link = &(*link)->next) {
    if ((*link)->creator != creator) continue;
    if (--(*link)->count <= 0) {
      CreatorNode* node = *link;
      *link = node->next;
      delete node;
    }
    return;
  }
}
