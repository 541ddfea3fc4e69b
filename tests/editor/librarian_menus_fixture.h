// The real editor with its window open headless, for the librarian's popup
// menus: a script answers the next popup by pointing at the entries of a
// path (one index per menu level) and releasing over the last; without a
// script the popup is dismissed.
#pragma once

#include <string>
#include <vector>

#include "KIT/IModule/IPopupMenu.h"
#include "platform/view/HeadlessBackend.h"
#include "platform/view/View.h"
#include "src/IPopupMenuControl.h"
#include "src/IPopupMenuProgSelector.h"
#include "src/PatchLibrarian.h"
#include "tests/editor/editor_fixture.h"

class LibrarianMenusTest : public EditorFixture {
 protected:
  // Builds the editor (after the test wrote its banks) and opens its window.
  VivivI* OpenWithWindow();
  // The next popup chooses the entry at path; an empty path dismisses it.
  // Entries that cannot be chosen leave the popup to be dismissed.
  void Choose(std::vector<int> path);
  // The deepest number of menu levels shown since the last Choose.
  int LevelsShown() const { return m_levelsShown; }

  template <class T>
  T* Menu(int menu) {
    return static_cast<T*>(m_plug->librarianMenus[menu]);
  }
  PatchLibrarian& Library() { return *m_plug->patchLibrarian; }
  // The index of the file bank of that name and folder; -1 for none.
  int FileBankIndex(const std::string& fileName, const std::string& folderName = "");
  static std::vector<std::string> Texts(const IPopupMenu& menu);
  // The indices of the checked items of a menu.
  static std::vector<int> Checked(const IPopupMenu& menu);

  VivivI* m_plug = nullptr;
  View* m_view = nullptr;
  HeadlessBackend* m_backend = nullptr;

 private:
  int m_levelsShown = 0;
};
