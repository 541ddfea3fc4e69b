#include "src/EditorServices.h"
#include "src/IPopupMenuControl.h"
#include "src/IPopupMenuProgSelector.h"

// The eight permanent librarian menus, one per ELibrarianMenu.

IControl* MakeLibrarianMenu(EditorServices* editor, int menu, IRECT rect) {
  if (!editor) return nullptr;
  PatchLibrarian* library = editor->patchLibrarian.get();
  switch (menu) {
    case kMenuLeftPatch:
      return new LeftPatchPopupMenu(editor, library, rect, editor);
    case kMenuRightPatch:
      return new RightPatchPopupMenu(editor, library, rect, editor);
    case kMenuBankEdit:
      return new BankEditPopupMenu(editor, library, rect, editor);
    case kMenuRightCategory:
      return new RightCategoryPopupMenu(editor, library, rect, editor);
    case kMenuProgramNumber:
      return new ProgramNumberPopupMenu(editor, library, rect, editor);
    case kMenuBankNumber:
      return new BankNumberPopupMenu(editor, library, rect, editor);
    case kMenuRightSearch:
      return new RightSearchPopupMenu(editor, library, rect, editor);
    case kMenuProgBankName:
      return new ProgBankNamePopupMenu(editor, library, rect, editor);
    default:
      return nullptr;
  }
}
