// The platform-neutral description of a popup menu: an ordered list of items,
// each with a text, an optional submenu and flags, a numbering mode for the
// item texts and the index of the item the user chose. Owners build and
// refresh menus and hand them to IGraphics::CreateIPopupMenu, whose platform
// binding shows them and writes the chosen index back.
#pragma once

#include "KIT/kitstring.h"
#include "KIT/ptrlist.h"

class IPopupMenu;

class IPopupMenuItem {
 public:
  enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

  // The text is copied (null reads as ""); the submenu is not owned.
  explicit IPopupMenuItem(const char* text, int flags = kNoFlags);
  IPopupMenuItem(const char* text, IPopupMenu* submenu);

  void SetChecked(bool state);
  const char* GetText() const { return mText.Get(); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  int GetFlags() const { return mFlags; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return mFlags & kChecked; }
  bool GetIsTitle() const { return mFlags & kTitle; }
  bool GetIsSeparator() const { return mFlags & kSeparator; }

 private:
  KIT_String mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags = kNoFlags;
};

class IPopupMenu {
 public:
  // Empty: prefix 0, chosen index -1.
  IPopupMenu() = default;
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;
  // Deletes the items, last first; submenus are their owners' to delete.
  ~IPopupMenu();

  // Places the item (owned from then on): index -1 appends, any other index
  // inserts at that position limited to 0..count (so another negative index
  // inserts at the front, one past the end appends). Returns the item, or
  // null when the list cannot grow (the item is then deleted).
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  // An item with empty text and the separator flag; separators count as
  // positions like any item.
  IPopupMenuItem* AddSeparator(int index = -1);

  // Numbering put before each item's text by the platform menus, from the
  // item's position + 1: 0 none, 1 "%1d: ", 2 "%02d: ", 3 "%03d: ". Any
  // other value leaves the mode unchanged.
  void SetPrefix(int count);
  int GetPrefix() const { return mPrefix; }

  int GetNItems() const { return mMenuItems.GetSize(); }
  // Null outside the items.
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // The item's text; "" when it has none or the index names no item.
  const char* GetItemText(int index) const;
  // Sets or clears the check mark; false (nothing changed) without the item.
  bool CheckItem(int index, bool state);
  // Checks the item at index and clears every other check mark; an index
  // that names no item clears them all.
  void CheckItemAlone(int index);
  // False without the item.
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  // A flag kept for the owner; no operation here reads it.
  bool GetPredefinedFlag() const { return mPredefinedFlag; }
  void SetPredefinedFlag(bool on) { mPredefinedFlag = on; }

 private:
  KIT_PtrList<IPopupMenuItem> mMenuItems;
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  bool mPredefinedFlag = false;
};
