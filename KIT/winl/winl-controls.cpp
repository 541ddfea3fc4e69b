// The tab control, combo boxes and drop-down lists, and trackbars.
#include "KIT/winl/winl-controls.h"

#include <string.h>
#include <strings.h>

#include <algorithm>

#include "KIT/winl/winl-controls-view.h"

// ---- Dialog items -----------------------------------------------------------------------------

namespace {
int TagOf(WmView* view) {
  if (auto* layer = WINL_AsLayerView(view)) return layer->tag();
  if (auto* control = dynamic_cast<Winl_ControlProtocol*>(view))
    if (int* word = control->winlTagWord()) return *word;
  if (auto* control = dynamic_cast<WmControl*>(view)) return control->tag;
  return 0;
}

WmView* FindTagged(WmView* view, int id) {
  for (WmView* sub : view->subviews()) {
    if (TagOf(sub) == id) return sub;
    if (WmView* found = FindTagged(sub, id)) return found;
  }
  return nullptr;
}
}  // namespace

WmView* WINL_FindDialogItem(HWND dialog, int id) {
  WmView* view = WINL_AsView(dialog);
  if (WmWindow* window = WINL_AsWindow(dialog)) view = window->contentView();
  if (!view || id == 0) return view;
  return FindTagged(view, id);
}

// ---- Tab control ---------------------------------------------------------------------------------

namespace {
Winl_vVivivI_tabview* AsTab(HWND hwnd) { return dynamic_cast<Winl_vVivivI_tabview*>(WINL_AsView(hwnd)); }
}  // namespace

int TabCtrl_GetItemCount(HWND hwnd) {
  Winl_vVivivI_tabview* tab = AsTab(hwnd);
  return tab ? static_cast<int>(tab->labels().size()) : 0;
}

int TabCtrl_InsertItem(HWND hwnd, int index, const TCITEM* item) {
  Winl_vVivivI_tabview* tab = AsTab(hwnd);
  if (!tab || !item || !(item->mask & TCIF_TEXT) || !item->pszText) return -1;
  const int count = static_cast<int>(tab->labels().size());
  index = std::max(0, std::min(index, count));
  // Detached while inserting: the automatic selection of a first tab is
  // not the user's.
  HWND dest = tab->getNotificationWindow();
  tab->setNotificationWindow(nullptr);
  tab->InsertTab(item->pszText, index);
  tab->setNotificationWindow(dest);
  return index;
}

bool TabCtrl_DeleteItem(HWND hwnd, int index) {
  Winl_vVivivI_tabview* tab = AsTab(hwnd);
  if (!tab || index < 0 || index >= static_cast<int>(tab->labels().size())) return false;
  tab->RemoveTab(index);
  return true;
}

int TabCtrl_GetCurSel(HWND hwnd) {
  Winl_vVivivI_tabview* tab = AsTab(hwnd);
  return tab && tab->selectedIndex() >= 0 ? tab->selectedIndex() : 0;
}

int TabCtrl_SetCurSel(HWND hwnd, int index) {
  Winl_vVivivI_tabview* tab = AsTab(hwnd);
  if (!tab) return -1;
  const int previous = std::max(0, tab->selectedIndex());
  if (index >= 0 && index < static_cast<int>(tab->labels().size())) tab->SelectTab(index);
  return previous;
}

bool TabCtrl_AdjustRect(HWND hwnd, bool larger, RECT* rect) {
  if (!AsTab(hwnd) || !rect) return false;
  const int s = larger ? -1 : 1;
  rect->left += 7 * s;
  rect->right -= 7 * s;
  rect->top += 26 * s;
  rect->bottom -= 3 * s;
  return true;
}

// ---- Combo boxes and drop-down lists ------------------------------------------------------------------

namespace {
WmPopup* AsCombo(HWND hwnd, int idx) { return dynamic_cast<WmPopup*>(WINL_FindDialogItem(hwnd, idx)); }

long StyleOf(WmPopup* popup, bool* has) {
  auto* control = dynamic_cast<Winl_ControlProtocol*>(popup);
  long* word = control ? control->winlStyleWord() : nullptr;
  *has = word != nullptr;
  return word ? *word : 0;
}

// The sorted position among the item texts (binary search that puts a new
// text before its equal), by literal case-sensitive comparison.
int SortedPosition(const WmPopup* popup, const char* text) {
  return WINL_SortedPosition(static_cast<int>(popup->items.size()), [&](int i) {
    return strcmp(text, popup->items[static_cast<size_t>(i)].text.c_str());
  });
}
}  // namespace

int WINL_CB_AddString(HWND hwnd, int idx, const char* str) {
  return WINL_CB_InsertString(hwnd, idx, -1000, str);
}

int WINL_CB_InsertString(HWND hwnd, int idx, int pos, const char* str) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup) return 0;
  if (!str) str = "";
  const int n = static_cast<int>(popup->items.size());
  const bool adding = pos == -1000;
  int p = adding ? n : pos < 0 ? 0 : std::min(pos, n);
  bool hasStyle;
  const long style = StyleOf(popup, &hasStyle);
  if (adding && hasStyle && (style & CBS_SORT)) p = SortedPosition(popup, str);
  popup->items.insert(popup->items.begin() + p, WmPopup::Item{str, 0});
  if (popup->selected >= p) ++popup->selected;
  if (auto* cbox = dynamic_cast<Winl_vVivivI_cbox*>(popup)) cbox->numberOfVisibleItems = n + 1;
  popup->SetNeedsDisplay(true);
  return p;
}

void WINL_CB_DeleteString(HWND hwnd, int idx, int i) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup || i < 0 || i >= static_cast<int>(popup->items.size())) return;
  popup->items.erase(popup->items.begin() + i);
  if (popup->selected == i)
    popup->selected = -1;
  else if (popup->selected > i)
    --popup->selected;
  popup->SetNeedsDisplay(true);
}

int WINL_CB_GetNumItems(HWND hwnd, int idx) {
  WmPopup* popup = AsCombo(hwnd, idx);
  return popup ? static_cast<int>(popup->items.size()) : 0;
}

int WINL_CB_GetCurSel(HWND hwnd, int idx) {
  WmPopup* popup = AsCombo(hwnd, idx);
  return popup ? popup->selected : -1;
}

void WINL_CB_SetCurSel(HWND hwnd, int idx, int i) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup || i < 0 || i >= static_cast<int>(popup->items.size())) return;
  popup->selected = i;
  if (auto* cbox = dynamic_cast<Winl_vVivivI_cbox*>(popup))
    cbox->text = popup->items[static_cast<size_t>(i)].text;
  popup->SetNeedsDisplay(true);
}

bool WINL_CB_GetItemText(HWND hwnd, int idx, int i, char* buf, int size) {
  if (buf && size > 0) buf[0] = 0;
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup || i < 0 || i >= static_cast<int>(popup->items.size())) return false;
  if (buf && size > 0) {
    const std::string& text = popup->items[static_cast<size_t>(i)].text;
    const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    memcpy(buf, text.data(), n);
    buf[n] = 0;
  }
  return true;
}

void WINL_CB_Empty(HWND hwnd, int idx) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup) return;
  popup->items.clear();
  popup->selected = -1;
  popup->SetNeedsDisplay(true);
}

long WINL_CB_GetItemData(HWND hwnd, int idx, int i) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup || i < 0 || i >= static_cast<int>(popup->items.size())) return 0;
  return popup->items[static_cast<size_t>(i)].data;
}

void WINL_CB_SetItemData(HWND hwnd, int idx, int i, long value) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup || i < 0 || i >= static_cast<int>(popup->items.size())) return;
  popup->items[static_cast<size_t>(i)].data = value;
}

int WINL_CB_FindString(HWND hwnd, int idx, int after, const char* str, bool exact) {
  WmPopup* popup = AsCombo(hwnd, idx);
  if (!popup || !str) return popup ? -1 : 0;
  const size_t length = strlen(str);
  for (int i = after < 0 ? 0 : after + 1; i < static_cast<int>(popup->items.size()); ++i) {
    // Texts are compared as the 4096-byte buffer holds them.
    std::string text = popup->items[static_cast<size_t>(i)].text.substr(0, 4095);
    if (exact ? strcasecmp(text.c_str(), str) == 0 : strncasecmp(text.c_str(), str, length) == 0) return i;
  }
  return -1;
}

// ---- Trackbars --------------------------------------------------------------------------------------------

namespace {
// A control that takes the trackbar messages itself, or null.
long SendTrackbar(WmView* view, unsigned msg, unsigned long wParam, long lParam, bool* sent) {
  *sent = false;
  if (WINL_AsLayerView(view)) {
    *sent = true;
    return SendMessage(view, msg, wParam, lParam);
  }
  auto* control = dynamic_cast<Winl_ControlProtocol*>(view);
  if (!control || !control->answersWinlMessages()) return 0;
  *sent = true;
  return control->onWinlMessage(msg, wParam, lParam);
}
}  // namespace

int WINL_TB_GetPos(HWND hwnd, int idx) {
  WmView* view = WINL_FindDialogItem(hwnd, idx);
  if (auto* slider = dynamic_cast<WmSlider*>(view)) return static_cast<int>(slider->value + 0.5);
  bool sent;
  return static_cast<int>(SendTrackbar(view, TBM_GETPOS, 0, 0, &sent));
}

void WINL_TB_SetPos(HWND hwnd, int idx, int pos) {
  WmView* view = WINL_FindDialogItem(hwnd, idx);
  if (auto* slider = dynamic_cast<WmSlider*>(view)) {
    slider->value = pos;
    slider->SetNeedsDisplay(true);
    return;
  }
  bool sent;
  SendTrackbar(view, TBM_SETPOS, 1, pos, &sent);
}

void WINL_TB_SetRange(HWND hwnd, int idx, int low, int high) {
  WmView* view = WINL_FindDialogItem(hwnd, idx);
  if (auto* slider = dynamic_cast<WmSlider*>(view)) {
    slider->minimum = low;
    slider->maximum = high;
    slider->SetNeedsDisplay(true);
    return;
  }
  bool sent;
  SendTrackbar(view, TBM_SETRANGE, 1, (low & 0xFFFF) | (static_cast<long>(high) << 16), &sent);
}

void WINL_TB_SetTic(HWND hwnd, int idx, int pos) {
  WmView* view = WINL_FindDialogItem(hwnd, idx);
  if (dynamic_cast<WmSlider*>(view)) return;
  bool sent;
  SendTrackbar(view, TBM_SETTIC, 0, pos, &sent);
}
