// Menus: menu handles, items with command ids, check and enable states,
// separators, submenus, key equivalents, popup tracking, menus from
// resources and from item lists, and the menu bar.
//
// An item is addressed by command id (searching submenus depth first when
// the menu's own items lack it) or, with the by-position flag 0x400, by
// index (never in submenus). Titles set from text drop each "&" (keeping
// the character after it), end at the first tab and keep at most 1023
// characters.
#pragma once

#include <cstdint>
#include <string>

#include "KIT/winl/winl-wnd.h"

enum {
  MF_BYPOSITION = 0x400,
  MF_GRAYED = 1,
  MF_DISABLED = 2,
  MF_CHECKED = 8,
  MF_POPUP = 0x10,
  MF_SEPARATOR = 0x800,
  MF_BITMAP = 4
};
enum { MIIM_ID = 1, MIIM_STATE = 2, MIIM_TYPE = 4, MIIM_SUBMENU = 8, MIIM_DATA = 16 };
enum { MFT_STRING = 0, MFT_BITMAP = 4, MFT_SEPARATOR = 0x800 };
enum { MFS_CHECKED = 8, MFS_GRAYED = 3 };
enum { TPM_NONOTIFY = 0x80, TPM_RETURNCMD = 0x100 };

struct MENUITEMINFO {
  unsigned int cbSize;
  unsigned int fMask;
  unsigned int fType;
  unsigned int fState;
  unsigned int wID;
  HMENU hSubMenu;
  void* hbmpChecked;
  void* hbmpUnchecked;
  uintptr_t dwItemData;
  char* dwTypeData;
  unsigned int cch;
};

// A menu resource: the creation function fills a new menu.
struct WINL_MenuResourceIndex {
  const char* resid;
  void (*createFunc)(HMENU);
  WINL_MenuResourceIndex* _next;
};

// The title a text gives (ampersands, tab, length as above).
std::string WINL_PrepareMenuTitle(const char* text);

HMENU CreatePopupMenu();
HMENU CreatePopupMenuEx(const char* title);
void DestroyMenu(HMENU menu);
HMENU WINL_DuplicateMenu(HMENU menu);
int GetMenuItemCount(HMENU menu);
HMENU GetSubMenu(HMENU menu, int pos);
int GetMenuItemID(HMENU menu, int pos);
int AddMenuItem(HMENU menu, int pos, const char* text, int id);
void WINL_Menu_AddMenuItem(HMENU menu, const char* text, int id, int flags);
void WINL_InsertMenu(HMENU menu, int pos, int flags, uintptr_t id, const char* text);
void InsertMenuItem(HMENU menu, int pos, bool byPosition, const MENUITEMINFO* info);
bool SetMenuItemInfo(HMENU menu, int item, bool byPosition, const MENUITEMINFO* info);
bool GetMenuItemInfo(HMENU menu, int item, bool byPosition, MENUITEMINFO* info);
bool DeleteMenu(HMENU menu, int item, int flags);
bool EnableMenuItem(HMENU menu, int item, int flags);
bool CheckMenuItem(HMENU menu, int item, int flags);
bool SetMenuItemText(HMENU menu, int item, int flags, const char* text);
// modflags: 1 code is a virtual key, 4 shift, 8 control, 16 alt, 32 the
// platform's control key.
bool SetMenuItemModifier(HMENU menu, int item, int flags, int code, int modflags);
// Routes the menu's commands (WM_COMMAND) to a window view; null clears.
// A target that is not a window view is refused.
void WINL_SetMenuDestination(HMENU menu, HWND target);
// flags: 0x80 no notifications, 0x100 return the command. Returns the
// command (0x100), 1 when a command was sent, 0 when dismissed.
// Runs the command of the item at index of menu (as when the user picks it):
// a window view gets WM_COMMAND with the item's id.
void WINL_MenuItemChosen(HMENU menu, int index);
int TrackPopupMenu(HMENU menu, int flags, int x, int y, int reserved, HWND window, const RECT* rect);
HMENU WINL_LoadMenu(WINL_MenuResourceIndex* head, const char* id);
// count pairs (text, int): null text a separator, "EN%%%^:" ends a level,
// "/.BO^O:" + title opens a submenu; returns the entries used.
struct WINL_MenuListEntry {
  const char* text;
  int id;
};
int WINL_GenerateMenuFromList(HMENU menu, const WINL_MenuListEntry* list, int count);
bool SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
void DrawMenuBar(HWND window);
HMENU WINL_GetCurrentMenu();
void WINL_SetCurrentMenu(HMENU menu);
