// Menus over the model's menu objects.
#include "KIT/winl/winl-menu.h"

#include <string.h>

#include "KIT/winl/winl-misc.h"
#include "KIT/winl/winl-wnd-view.h"
#include "platform/window/WindowPresenter.h"

namespace {

const char kEndMarker[] = "EN%%%^:";
const char kSubmenuMarker[] = "/.BO^O:";

// The object that collects the choice of one TrackPopupMenu call.
struct Winl_vVivivI_trackpopupmenurecv : WmObject {
  int m_act = 0;
  HWND cbwnd = nullptr;
};

bool AnswersCommand(WmObject* object) {
  return WINL_AsLayerView(object) ||
         (WmIsLive(object) && dynamic_cast<Winl_vVivivI_trackpopupmenurecv*>(object));
}

bool IsMenu(HMENU menu) { return WmIsLive(menu); }

// The item at pos, or of command id pos (searched in submenus).
bool FindItem(HMENU menu, int item, bool byPosition, HMENU* owner, size_t* index) {
  if (!IsMenu(menu)) return false;
  if (byPosition) {
    if (item < 0 || static_cast<size_t>(item) >= menu->items.size()) return false;
    *owner = menu;
    *index = static_cast<size_t>(item);
    return true;
  }
  for (size_t i = 0; i < menu->items.size(); ++i)
    if (!menu->items[i].separator && menu->items[i].tag == item) {
      *owner = menu;
      *index = i;
      return true;
    }
  for (WmMenuItem& entry : menu->items)
    if (entry.submenu && FindItem(entry.submenu.get(), item, false, owner, index)) return true;
  return false;
}

void Attach(WmMenuItem& item, HMENU submenu) {
  if (item.submenu.get() == submenu) {
    submenu->Release();  // the item holds it already; the caller's reference ends
    return;
  }
  if (item.submenu) WINL_SetMenuDestination(item.submenu.get(), nullptr);
  item.submenu.reset(submenu);  // takes over the caller's reference and gives back the old one
}

}  // namespace

std::string WINL_PrepareMenuTitle(const char* text) {
  const std::string utf8 = WINL_CStringToCFString(text);
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size() && characters < 1023; ++i) {
    char c = utf8[i];
    if (c == '\t') break;
    if (c == '&') {
      if (++i >= utf8.size()) break;
      c = utf8[i];
    }
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    out.push_back(c);
  }
  // Keep continuation bytes of the last character.
  return out;
}

HMENU CreatePopupMenu() {
  HMENU menu = WmMenu::Create();
  menu->autoenablesItems = false;
  return menu;
}

HMENU CreatePopupMenuEx(const char* title) {
  HMENU menu = CreatePopupMenu();
  if (title) menu->title = WINL_PrepareMenuTitle(title);
  return menu;
}

void DestroyMenu(HMENU menu) {
  if (!IsMenu(menu)) return;
  WINL_SetMenuDestination(menu, nullptr);
  menu->Release();
}

HMENU WINL_DuplicateMenu(HMENU menu) { return IsMenu(menu) ? menu->Copy() : nullptr; }

int GetMenuItemCount(HMENU menu) { return IsMenu(menu) ? static_cast<int>(menu->items.size()) : 0; }

HMENU GetSubMenu(HMENU menu, int pos) {
  if (!IsMenu(menu) || pos < 0 || static_cast<size_t>(pos) >= menu->items.size()) return nullptr;
  return menu->items[static_cast<size_t>(pos)].submenu.get();
}

int GetMenuItemID(HMENU menu, int pos) {
  if (!IsMenu(menu) || pos < 0 || static_cast<size_t>(pos) >= menu->items.size()) return 0;
  const WmMenuItem& item = menu->items[static_cast<size_t>(pos)];
  return item.submenu ? -1 : item.tag;
}

int AddMenuItem(HMENU menu, int pos, const char* text, int id) {
  if (!IsMenu(menu)) return -1;
  WmMenuItem item;
  item.title = text ? text : "";
  item.tag = id;
  if (pos < 0 || static_cast<size_t>(pos) > menu->items.size()) pos = static_cast<int>(menu->items.size());
  menu->items.insert(menu->items.begin() + pos, std::move(item));
  return 0;
}

void WINL_Menu_AddMenuItem(HMENU menu, const char* text, int id, int flags) {
  if (!IsMenu(menu)) return;
  MENUITEMINFO info{};
  info.cbSize = sizeof info;
  if (!text) {
    info.fMask = MIIM_TYPE;
    info.fType = MFT_SEPARATOR;
  } else {
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
    info.fState = flags ? MF_GRAYED : 0;
    info.wID = static_cast<unsigned>(id);
    info.dwTypeData = const_cast<char*>(text);
  }
  InsertMenuItem(menu, -1, true, &info);
}

void WINL_InsertMenu(HMENU menu, int pos, int flags, uintptr_t id, const char* text) {
  MENUITEMINFO info{};
  info.cbSize = 44;
  info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
  info.fType = MFT_STRING;
  info.fState = static_cast<unsigned>(flags & ~MF_BYPOSITION);
  info.wID = static_cast<unsigned>(id);
  info.dwTypeData = const_cast<char*>(text);
  if (flags & MF_POPUP) {
    info.wID = 0;
    info.hSubMenu = reinterpret_cast<HMENU>(id);
    info.fMask |= MIIM_SUBMENU;
    info.fState &= ~0x410u;
  }
  if (flags & MF_SEPARATOR) {
    info.fMask = MIIM_TYPE;
    info.fType = MFT_SEPARATOR;
    info.fState &= ~0xC00u;
  }
  if (flags & MF_BITMAP) {
    info.fType = MFT_BITMAP;
    info.fState &= ~4u;
  }
  InsertMenuItem(menu, pos, (flags & MF_BYPOSITION) != 0, &info);
}

void InsertMenuItem(HMENU menu, int pos, bool byPosition, const MENUITEMINFO* info) {
  if (!IsMenu(menu) || !info) return;
  const bool wasEmpty = menu->items.empty();
  if (!byPosition) {
    int found = -1;
    for (size_t i = 0; i < menu->items.size(); ++i)
      if (menu->items[i].tag == pos) {
        found = static_cast<int>(i);
        break;
      }
    pos = found;
  }
  if (pos < 0 || static_cast<size_t>(pos) > menu->items.size()) pos = static_cast<int>(menu->items.size());
  WmMenuItem item;
  if (info->fType == MFT_BITMAP) {
    // No platform images: the item stays an empty title.
  } else if (info->fType == MFT_STRING) {
    item.title = info->dwTypeData ? WINL_PrepareMenuTitle(info->dwTypeData) : "(null)";
  } else {
    item.separator = true;
  }
  if ((info->fMask & MIIM_SUBMENU) && IsMenu(info->hSubMenu)) {
    if (info->fType == MFT_STRING) info->hSubMenu->title = item.title;
    item.submenu.reset(info->hSubMenu);  // the menu now owns it
  }
  if (wasEmpty) menu->autoenablesItems = false;
  if (info->fMask & MIIM_STATE) {
    item.enabled = !(info->fState & (MF_GRAYED | MF_DISABLED));
    item.checked = (info->fState & MF_CHECKED) != 0;
  }
  if (info->fMask & MIIM_DATA) {
    item.hasData = true;
    item.data = static_cast<intptr_t>(info->dwItemData);
  }
  if (info->fMask & MIIM_ID) item.tag = static_cast<int>(info->wID);
  if (!menu->items.empty()) {
    const WmMenuItem& first = menu->items[0];
    if (first.hasAction) item.hasAction = true;
    if (first.target) item.target = first.target;
  }
  menu->items.insert(menu->items.begin() + pos, std::move(item));
}

bool SetMenuItemInfo(HMENU menu, int which, bool byPosition, const MENUITEMINFO* info) {
  HMENU owner;
  size_t index;
  if (!info || !FindItem(menu, which, byPosition, &owner, &index)) return false;
  WmMenuItem& item = owner->items[index];
  if ((info->fMask & MIIM_SUBMENU) && IsMenu(info->hSubMenu)) Attach(item, info->hSubMenu);
  if ((info->fMask & MIIM_TYPE) && info->fType == MFT_STRING && info->dwTypeData) {
    item.title = WINL_PrepareMenuTitle(info->dwTypeData);
    if (item.submenu) item.submenu->title = item.title;
  }
  if (info->fMask & MIIM_STATE) {
    item.checked = (info->fState & MF_CHECKED) != 0;
    item.enabled = !(info->fState & (MF_GRAYED | MF_DISABLED));
  }
  if (info->fMask & MIIM_ID) item.tag = static_cast<int>(info->wID);
  if (info->fMask & MIIM_DATA) {
    item.hasData = true;
    item.data = static_cast<intptr_t>(info->dwItemData);
  }
  return true;
}

bool GetMenuItemInfo(HMENU menu, int which, bool byPosition, MENUITEMINFO* info) {
  HMENU owner;
  size_t index;
  if (!info || !FindItem(menu, which, byPosition, &owner, &index)) return false;
  const WmMenuItem& item = owner->items[index];
  if (info->fMask & MIIM_TYPE) {
    info->fType = item.separator ? MFT_SEPARATOR : MFT_STRING;
    if (!item.separator && info->dwTypeData && info->cch > 0) {
      const std::string title = item.title;
      WINL_CFStringToCString(&title, info->dwTypeData, static_cast<int>(info->cch));
    }
  }
  if (info->fMask & MIIM_DATA) info->dwItemData = item.hasData ? static_cast<uintptr_t>(item.data) : 0;
  if (info->fMask & MIIM_STATE)
    info->fState = (item.checked ? MFS_CHECKED : 0) | (item.enabled ? 0 : MFS_GRAYED);
  if (info->fMask & MIIM_ID) info->wID = static_cast<unsigned>(item.tag);
  if ((info->fMask & MIIM_SUBMENU) && item.submenu) info->hSubMenu = item.submenu.get();
  return true;
}

bool DeleteMenu(HMENU menu, int which, int flags) {
  HMENU owner;
  size_t index;
  if (!FindItem(menu, which, (flags & MF_BYPOSITION) != 0, &owner, &index)) return false;
  if (owner->items[index].submenu) WINL_SetMenuDestination(owner->items[index].submenu.get(), nullptr);
  owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool EnableMenuItem(HMENU menu, int which, int flags) {
  HMENU owner;
  size_t index;
  if (!FindItem(menu, which, (flags & MF_BYPOSITION) != 0, &owner, &index)) return false;
  owner->items[index].enabled = !(flags & MF_GRAYED);
  return true;
}

bool CheckMenuItem(HMENU menu, int which, int flags) {
  HMENU owner;
  size_t index;
  if (!FindItem(menu, which, (flags & MF_BYPOSITION) != 0, &owner, &index)) return false;
  owner->items[index].checked = (flags & MF_CHECKED) != 0;
  return true;
}

bool SetMenuItemText(HMENU menu, int which, int flags, const char* text) {
  HMENU owner;
  size_t index;
  if (!FindItem(menu, which, (flags & MF_BYPOSITION) != 0, &owner, &index)) return false;
  WmMenuItem& item = owner->items[index];
  item.title = WINL_PrepareMenuTitle(text ? text : "");
  if (item.submenu) item.submenu->title = item.title;
  return true;
}

bool SetMenuItemModifier(HMENU menu, int which, int flags, int code, int modflags) {
  HMENU owner;
  size_t index;
  if (!FindItem(menu, which, (flags & MF_BYPOSITION) != 0, &owner, &index)) return false;
  WmMenuItem& item = owner->items[index];
  uint32_t key = 0;
  const bool upper = code >= 'A' && code <= 'Z';
  if (upper || (code >= '0' && code <= '9') ||
      (!(modflags & 1) && code > 0 && code < 128 && strchr("!\"',./?[\\]|", code))) {
    key = static_cast<uint32_t>(code & 0x7F);
    if (!(modflags & 4) && key >= 'A' && key <= 'Z') key += 'a' - 'A';
  } else if (code >= 112 && code <= 123) {
    key = 0xF704 + static_cast<uint32_t>(code - 112);
  } else {
    switch (code) {
      case 8:
        key = 8;
        break;
      case 33:
        key = 0xF72C;
        break;
      case 34:
        key = 0xF72D;
        break;
      case 35:
        key = 0xF72B;
        break;
      case 36:
        key = 0xF729;
        break;
      case 37:
        key = 0xF702;
        break;
      case 38:
        key = 0xF700;
        break;
      case 39:
        key = 0xF703;
        break;
      case 40:
        key = 0xF701;
        break;
      case 45:
        key = 0xF727;
        break;
      case 46:
        key = 0x7F;
        break;
      case 109:
        key = '-';
        break;
      default:
        key = 0;
        break;
    }
  }
  item.keyEquivalent = key;
  uint32_t mask = 0;
  if ((modflags & 4) && !upper) mask |= kWmShift;
  if (modflags & 16) mask |= kWmOption;
  if (modflags & 8) mask |= kWmCommand;
  if (modflags & 32) mask |= kWmControl;
  item.keyModifiers = key ? mask : 0;
  return true;
}

void WINL_SetMenuDestination(HMENU menu, HWND target) {
  if (!IsMenu(menu)) return;
  if (target && !AnswersCommand(target)) return;
  menu->delegate = target;
  for (WmMenuItem& item : menu->items) {
    if (item.submenu) {
      WINL_SetMenuDestination(item.submenu.get(), target);
    } else if (item.tag != 0) {
      item.target = target;
      if (target) item.hasAction = true;
    }
  }
}

// A chosen item runs its command on its target.
void WINL_MenuItemChosen(HMENU menu, int index) {
  if (!IsMenu(menu) || index < 0 || static_cast<size_t>(index) >= menu->items.size()) return;
  const WmMenuItem& item = menu->items[static_cast<size_t>(index)];
  if (!item.enabled || !item.hasAction || item.separator) return;
  auto* target = static_cast<WmObject*>(item.target);
  if (!WmIsLive(target)) return;
  if (auto* receiver = dynamic_cast<Winl_vVivivI_trackpopupmenurecv*>(target)) {
    if (item.tag) receiver->m_act = item.tag;
  } else if (WINL_AsLayerView(target)) {
    SendMessage(target, WM_COMMAND, static_cast<unsigned long>(item.tag), 0);
  }
}

int TrackPopupMenu(HMENU menu, int flags, int x, int y, int, HWND window, const RECT*) {
  if (!IsMenu(menu)) return 0;
  WmApplication& app = WmApplication::Shared();
  WmView* view = WINL_AsView(window);
  if (WmWindow* top = WINL_AsWindow(window)) view = top->contentView();
  if (!view && app.mainWindow()) view = app.mainWindow()->contentView();
  if (!view) return 0;
  auto* receiver = new Winl_vVivivI_trackpopupmenurecv;
  receiver->cbwnd = (flags & TPM_NONOTIFY) ? nullptr : window;
  WINL_SetMenuDestination(menu, receiver);
  if (!(flags & TPM_NONOTIFY) && window) {
    SendMessage(window, WM_INITMENUPOPUP, reinterpret_cast<unsigned long>(menu), 0);
    WINL_SetMenuDestination(menu, receiver);
  }
  HMENU chosenMenu = nullptr;
  int chosenIndex = -1;
  const WmPoint screen{static_cast<double>(x), static_cast<double>(y)};
  // A test's hook walks the menu; else the window's presenter shows it on
  // the display (a headless window dismisses it).
  WmPresenter* presenter = view->window() ? view->window()->presenter() : nullptr;
  const bool chosen = app.popupMenuHook ? app.popupMenuHook(menu, view, screen, &chosenMenu, &chosenIndex)
                      : presenter       ? presenter->PopupMenu(menu, screen, &chosenMenu, &chosenIndex)
                                        : false;
  if (chosen) WINL_MenuItemChosen(chosenMenu, chosenIndex);
  const int command = receiver->m_act;
  WINL_SetMenuDestination(menu, nullptr);
  delete receiver;
  if (command <= 0) return 0;
  if (flags & TPM_RETURNCMD) return command;
  if (window) SendMessage(window, WM_COMMAND, static_cast<unsigned long>(command), 0);
  return 1;
}

HMENU WINL_LoadMenu(WINL_MenuResourceIndex* head, const char* id) {
  for (WINL_MenuResourceIndex* r = head; r; r = r->_next)
    if (r->resid == id) {
      HMENU menu = CreatePopupMenu();
      if (r->createFunc) r->createFunc(menu);
      return menu;
    }
  return nullptr;
}

int WINL_GenerateMenuFromList(HMENU menu, const WINL_MenuListEntry* list, int count) {
  if (!IsMenu(menu) || !list) return 0;
  int used = 0;
  while (used < count) {
    const WINL_MenuListEntry& entry = list[used++];
    if (!entry.text) {
      WINL_Menu_AddMenuItem(menu, nullptr, 0, 0);
    } else if (strcmp(entry.text, kEndMarker) == 0) {
      return used;
    } else if (strncmp(entry.text, kSubmenuMarker, 7) == 0) {
      HMENU sub = CreatePopupMenuEx(entry.text + 7);
      used += WINL_GenerateMenuFromList(sub, list + used, count - used);
      MENUITEMINFO info{};
      info.cbSize = 44;
      info.fMask = MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
      info.fType = MFT_STRING;
      info.dwTypeData = const_cast<char*>(entry.text + 7);
      info.hSubMenu = sub;
      InsertMenuItem(menu, -1, true, &info);
    } else {
      WINL_Menu_AddMenuItem(menu, entry.text, entry.id & 0xFFFF, entry.id >= 0x10000);
    }
  }
  return used + 1;
}

bool SetMenu(HWND window, HMENU menu) {
  if (g_winl_terminating) return false;
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(window);
  if (WmWindow* top = WINL_AsWindow(window)) view = WINL_AsLayerView(top->contentView());
  if (!view) return false;
  view->winlSetMenu(IsMenu(menu) ? menu : nullptr);
  WmWindow* key = WmApplication::Shared().keyWindow();
  if (key && (key == window || key->contentView() == view) && WmApplication::Shared().mainMenu() != menu) {
    WINL_SetCurrentMenu(menu);
    SendMessage(view, WM_INITMENUPOPUP, reinterpret_cast<unsigned long>(menu), 0);
  }
  return true;
}

HMENU GetMenu(HWND window) {
  Winl_vVivivI_hwnd* view = WINL_AsLayerView(window);
  if (WmWindow* top = WINL_AsWindow(window)) view = WINL_AsLayerView(top->contentView());
  return view ? view->winlGetMenu() : nullptr;
}

void DrawMenuBar(HWND) {}

HMENU WINL_GetCurrentMenu() { return WmApplication::Shared().mainMenu(); }

void WINL_SetCurrentMenu(HMENU menu) {
  if (g_winl_terminating || (menu && !IsMenu(menu))) return;
  WmApplication::Shared().SetMainMenu(menu);
}
