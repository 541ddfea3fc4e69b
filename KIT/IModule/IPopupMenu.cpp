#include "KIT/IModule/IPopupMenu.h"

// ---- IPopupMenuItem ----------------------------------------------------------

IPopupMenuItem::IPopupMenuItem(const char* text, int flags) : mFlags(flags) {
  if (text && *text) mText.Set(text);
}

IPopupMenuItem::IPopupMenuItem(const char* text, IPopupMenu* submenu) : mSubmenu(submenu) {
  if (text && *text) mText.Set(text);
}

void IPopupMenuItem::SetChecked(bool state) {
  if (state)
    mFlags |= kChecked;
  else
    mFlags &= ~kChecked;
}

// ---- IPopupMenu --------------------------------------------------------------

IPopupMenu::~IPopupMenu() { mMenuItems.Empty(true); }

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index) {
  if (!item) return nullptr;
  // KIT_PtrList::Insert limits the position to 0..count itself.
  if (!mMenuItems.Insert(index == -1 ? mMenuItems.GetSize() : index, item)) {
    delete item;
    return nullptr;
  }
  return item;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int itemFlags) {
  return AddItem(new IPopupMenuItem(text, itemFlags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu) {
  return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu) {
  return AddItem(text, -1, submenu);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

void IPopupMenu::SetPrefix(int count) {
  if (count >= 0 && count <= 3) mPrefix = count;
}

const char* IPopupMenu::GetItemText(int index) const {
  const IPopupMenuItem* item = GetItem(index);
  return item ? item->GetText() : "";
}

bool IPopupMenu::CheckItem(int index, bool state) {
  IPopupMenuItem* item = GetItem(index);
  if (!item) return false;
  item->SetChecked(state);
  return true;
}

void IPopupMenu::CheckItemAlone(int index) {
  for (int i = 0; i < mMenuItems.GetSize(); ++i) mMenuItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const {
  const IPopupMenuItem* item = GetItem(index);
  return item && item->GetChecked();
}
