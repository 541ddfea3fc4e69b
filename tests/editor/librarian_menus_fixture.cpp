#include "tests/editor/librarian_menus_fixture.h"

#include <algorithm>
#include <memory>

#include "KIT/IModule/IGraphicsMac.h"
#include "platform/view/ViewMenu.h"

VivivI* LibrarianMenusTest::OpenWithWindow() {
  m_plug = Open();
  if (!m_plug || !OpenEditor()) return m_plug;
  m_view = static_cast<IGraphicsMac*>(m_plug->GetGUI())->GetView();
  m_backend = m_view ? dynamic_cast<HeadlessBackend*>(m_view->Backend()) : nullptr;
  return m_plug;
}

void LibrarianMenusTest::Choose(std::vector<int> path) {
  m_levelsShown = 0;
  if (!m_backend) {
    ADD_FAILURE() << "no headless window";
    return;
  }
  // Each time a level shows, the pointer goes to its entry of the path (a
  // submenu opens under it); over the last entry the button is released.
  auto aimed = std::make_shared<size_t>(0);
  m_backend->onMenu = [this, path, aimed](HeadlessBackend& b) {
    m_levelsShown = std::max(m_levelsShown, b.MenuLevels());
    const ViewMenuWalk* walk = m_view->MenuWalk();
    if (!walk || *aimed >= path.size() || walk->LevelCount() != static_cast<int>(*aimed) + 1) return;
    const int level = static_cast<int>(*aimed);
    const ViewRect r = walk->ItemRect(level, path[*aimed]);
    ++*aimed;
    ViewEvent e;
    e.kind = ViewEvent::kMotion;
    e.rootX = (r.L + r.R) / 2;
    e.rootY = (r.T + r.B) / 2;
    b.Queue(e);
    if (*aimed == path.size()) {
      e.kind = ViewEvent::kButtonRelease;
      e.button = 1;
      b.Queue(e);
    }
  };
}

int LibrarianMenusTest::FileBankIndex(const std::string& fileName, const std::string& folderName) {
  const std::vector<PatchFile*>& banks = Library().fileBanks;
  for (size_t i = 0; i < banks.size(); ++i)
    if (banks[i]->fileName == fileName && (folderName.empty() || banks[i]->folderName == folderName))
      return static_cast<int>(i);
  return -1;
}

std::vector<std::string> LibrarianMenusTest::Texts(const IPopupMenu& menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < menu.GetNItems(); ++i) texts.push_back(menu.GetItemText(i));
  return texts;
}

std::vector<int> LibrarianMenusTest::Checked(const IPopupMenu& menu) {
  std::vector<int> checked;
  for (int i = 0; i < menu.GetNItems(); ++i)
    if (menu.IsItemChecked(i)) checked.push_back(i);
  return checked;
}
