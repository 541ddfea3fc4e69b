// The librarian's slot list on the real editor, built from the editor's own
// UI description: its geometry at the three GUI scales, the columns it shows,
// clicks, double clicks and the arrow keys, copy and paste, drag and drop,
// rename, and the receive path fed by a paste while the MIDI input thread
// feeds it too.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "src/LibrarianPatch.h"
#include "src/LibrarianViewControl.h"
#include "src/MIDIMessageManager.h"
#include "src/PatchLibrarian.h"
#include "tests/editor/editor_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string textOf(ITextControl* row) {
  if (!row) return "<none>";
  KIT_String text;
  row->GetTextCopy(&text);
  return text.Get() ? text.Get() : "";
}

int bankIndexNamed(const PatchLibrarian& library, const std::string& fileName) {
  for (size_t i = 0; i < library.fileBanks.size(); ++i)
    if (library.fileBanks[i]->fileName == fileName) return static_cast<int>(i);
  return -1;
}

IMouseMod leftButton() {
  IMouseMod mod;
  mod.L = true;
  return mod;
}

IMouseMod rightButton() {
  IMouseMod mod;
  mod.R = true;
  return mod;
}

// ==== Geometry ================================================================

TEST(LibrarianViewGeometry, RowRectanglesFollowTheScaleTable) {
  // The layout table of the list: row width, height, gap between
  // sub-columns, the tops of the two columns below the list's top, and the
  // sizes of names and program numbers (never below 10, whose letters are 8
  // pixels high).
  const struct {
    double scale;
    int w, h, gap, upperTop, lowerTop, textSize, numberSize;
  } kScales[] = {
      {0.75, 75, 12, 20, 1, 229, 10, 10},
      {1.0, 100, 16, 27, 1, 303, 12, 10},
      {1.25, 126, 20, 33, 1, 379, 15, 12},
  };
  const int x = 12, y = 72;
  for (const auto& s : kScales) {
    SCOPED_TRACE(s.scale);
    for (int column = 0; column < 2; ++column) {
      for (int row : {0, 1, 15, 16, 17, 47, 95, 96, 99}) {
        SCOPED_TRACE(row);
        const int left = x + (row / 16) * (s.w + s.gap);
        const int top = y + (column == 0 ? s.upperTop : s.lowerTop) + (row % 16) * s.h;
        EXPECT_EQ(LibrarianViewControl::rowRect(x, y, s.scale, column, row),
                  IRECT(left, top, left + s.w, top + s.h));
      }
    }
    EXPECT_EQ(LibrarianViewControl::rowTextSize(s.scale), s.textSize);
    EXPECT_EQ(LibrarianViewControl::numberTextSize(s.scale), s.numberSize);
    // Outside the rows and columns: a rectangle that holds no point.
    for (const auto& [column, row] : {std::pair{0, -1}, {0, 100}, {2, 0}, {-1, 3}})
      EXPECT_TRUE(LibrarianViewControl::rowRect(x, y, s.scale, column, row).Empty());
  }
}

class LibrarianViewTest : public EditorFixture {
 protected:
  // Three banks: the edited one, the source one and a third; the upper
  // column shows the first, the lower column the second.
  void SetUp() override {
    EditorFixture::SetUp();
    WriteBank("Factory/edited.syx", 99, 1);
    WriteBank("Factory/source.syx", 99, 2);
    WriteBank("Factory/third.syx", 99, 3);
  }

  LibrarianViewControl* OpenList() {
    VivivI* plug = Open();
    view = plug ? plug->librarianView : nullptr;
    library = plug ? plug->patchLibrarian.get() : nullptr;
    if (!view || !library) return nullptr;
    // The program number as the program menu gives it its range (0 to 98):
    // the list writes it within that range.
    IParam* program = plug->GetParam(kCurrentPatch);
    if (program->GetMax() < 98) program->InitEnum("Program", 0, 99, "", "", -1, -1);
    showBanks("edited.syx", "source.syx");
    return view;
  }

  void showBanks(const std::string& upper, const std::string& lower) {
    library->upperBankIndex = bankIndexNamed(*library, upper);
    library->lowerBankIndex = bankIndexNamed(*library, lower);
    Plug()->updatePatchLibrarianView(2);
  }

  PatchFile& bank(const std::string& fileName) {
    return *library->fileBanks[static_cast<size_t>(bankIndexNamed(*library, fileName))];
  }

  // The middle of a row of a column (0 upper, 1 lower).
  static int midX(const IRECT& r) { return (r.L + r.R) / 2; }
  static int midY(const IRECT& r) { return (r.T + r.B) / 2; }
  IRECT rowRect(int column, int row) const {
    return (column == 0 ? view->upperRow(row) : view->lowerRow(row))->GetRECT();
  }

  void click(int column, int row, IMouseMod mod) {
    const IRECT r = rowRect(column, row);
    view->OnMouseDown(midX(r), midY(r), &mod);
  }
  void copyFrom(int row) {
    const IRECT r = rowRect(1, row);
    view->CopySlotData(midX(r), midY(r));
  }
  void pasteTo(int row) {
    const IRECT r = rowRect(0, row);
    view->PasteSlotData(midX(r), midY(r));
  }
  // A line between the two columns, on no row.
  IRECT gap() const {
    const IRECT last = rowRect(0, 15);
    return IRECT(last.L, last.B + 4, last.R, last.B + 5);
  }

  double value(int index) const { return Plug()->GetParam(index)->Value(); }

  LibrarianViewControl* view = nullptr;
  PatchLibrarian* library = nullptr;
};

TEST_F(LibrarianViewTest, TheEditorKeepsTheListBuiltAtItsPlaceAtEachScale) {
  const struct {
    const char* size;
    double scale;
    int x, y, w, h;
  } kSizes[] = {
      {"small", 0.75, 12, 72, 648, 420},
      {"normal", 1.0, 16, 96, 864, 560},
      {"large", 1.25, 20, 120, 1080, 700},
  };
  for (const auto& s : kSizes) {
    SCOPED_TRACE(s.size);
    WriteSettings(std::string("normal\n") + s.size + "\nyes\n");
    ASSERT_NE(OpenList(), nullptr);
    EXPECT_EQ(view->GetRECT(), IRECT(s.x, s.y, s.x + s.w, s.y + s.h));
    EXPECT_EQ(view->GetTargetRECT(), view->GetRECT());
    EXPECT_EQ(view->ParamIdx(), kLibrarianArea);
    EXPECT_EQ(view->scale, s.scale);
    for (int column = 0; column < 2; ++column)
      for (int row : {0, 16, 99})
        EXPECT_EQ(rowRect(column, row), LibrarianViewControl::rowRect(s.x, s.y, s.scale, column, row));
    const IText* style = view->upperRow(0)->GetText();
    EXPECT_STREQ(style->mFont, "NK57 Monospace");
    EXPECT_EQ(style->mSize, LibrarianViewControl::rowTextSize(s.scale));
    EXPECT_EQ(style->mAlign, IText::kAlignNear);
    EXPECT_EQ(style->mColor, COLOR_WHITE);
    // Row 0 of the upper column selected, the upper column active.
    EXPECT_EQ(view->selectedUpperRow.load(), 0);
    EXPECT_EQ(view->selectedLowerRow.load(), -1);
    EXPECT_EQ(view->activeColumn.load(), 0);
    EXPECT_EQ(view->copyRow, -1);
    Close();
  }
}

// ==== Columns ===================================================================

TEST_F(LibrarianViewTest, TheColumnsShowTheEditedAndTheSourceBanksNames) {
  ASSERT_NE(OpenList(), nullptr);
  for (int row : {0, 1, 50, 98}) {
    EXPECT_EQ(textOf(view->upperRow(row)), bank("edited.syx").patches[row].name);
    EXPECT_EQ(textOf(view->lowerRow(row)), bank("source.syx").patches[row].name);
  }
  EXPECT_EQ(textOf(view->upperRow(99)), "");  // banks hold 99 patches

  // A shorter bank shows empty rows past its end.
  bank("third.syx").patches.resize(10);
  showBanks("edited.syx", "third.syx");
  EXPECT_EQ(textOf(view->lowerRow(9)), bank("third.syx").patches[9].name);
  EXPECT_EQ(textOf(view->lowerRow(10)), "");

  // A bank index outside the list leaves the texts as they were.
  const std::string before = textOf(view->upperRow(3));
  library->upperBankIndex = 40;
  Plug()->updatePatchLibrarianView(0);
  EXPECT_EQ(textOf(view->upperRow(3)), before);
}

TEST_F(LibrarianViewTest, AReloadAskedForOnAnotherThreadHappensAtTheNextGuiTick) {
  ASSERT_NE(OpenList(), nullptr);
  library->lowerBankIndex = bankIndexNamed(*library, "third.syx");
  std::thread other([this] { Plug()->updatePatchLibrarianView(1); });
  other.join();
  EXPECT_EQ(textOf(view->lowerRow(4)), bank("source.syx").patches[4].name);
  Tick();
  EXPECT_EQ(textOf(view->lowerRow(4)), bank("third.syx").patches[4].name);
}

// ==== Mouse =======================================================================

TEST_F(LibrarianViewTest, ALeftClickSelectsTheRowOfItsColumn) {
  ASSERT_NE(OpenList(), nullptr);
  const struct {
    const char* why;
    int column, row;
    int upper, lower, active, current, kCurrent;
    bool saveGreyed;
  } kCases[] = {
      {"upper row", 0, 3, 3, -1, 0, 3, 3, false},
      {"upper row of the last sub-column", 0, 98, 98, -1, 0, 98, 98, false},
      {"lower row", 1, 7, -1, 7, 1, -1, 0, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    Plug()->renameClosed = false;
    Plug()->flags.librarianRenaming = true;
    Plug()->patchRenameLayer->Hide(false);
    click(c.column, c.row, leftButton());
    EXPECT_EQ(view->selectedUpperRow.load(), c.upper);
    EXPECT_EQ(view->selectedLowerRow.load(), c.lower);
    EXPECT_EQ(view->activeColumn.load(), c.active);
    EXPECT_EQ(view->currentRow.load(), c.current);
    EXPECT_EQ(library->selectedUpperSlot.load(), c.upper);
    EXPECT_EQ(library->selectedLowerSlot.load(), c.lower);
    EXPECT_EQ(value(kCurrentPatch), c.kCurrent);
    EXPECT_EQ(Plug()->saveChangesLayer->controls.Get(0)->IsGrayed(), c.saveGreyed);
    // The click shows the patch's category and ends a rename.
    const PatchFile& shown = bank(c.column == 0 ? "edited.syx" : "source.syx");
    EXPECT_EQ(DisplayText(kControlDisplayLibCategory), shown.patches[c.row].category);
    EXPECT_TRUE(Plug()->renameClosed);
    EXPECT_FALSE(Plug()->flags.librarianRenaming);
    EXPECT_TRUE(!Plug()->patchRenameLayer->visible.Load());
  }

  // Between the columns no row is selected.
  IMouseMod left = leftButton();
  view->OnMouseDown(gap().L, gap().T, &left);
  EXPECT_EQ(view->selectedUpperRow.load(), -1);
  EXPECT_EQ(view->selectedLowerRow.load(), -1);
  EXPECT_EQ(DisplayText(kControlDisplayLibCategory), "category unset!");
}

TEST_F(LibrarianViewTest, ARightClickSelectsTheRowAndItsSlotForTheMenus) {
  ASSERT_NE(OpenList(), nullptr);
  click(0, 12, rightButton());
  EXPECT_EQ(view->selectedUpperRow.load(), 12);
  EXPECT_EQ(library->selectedUpperSlot.load(), 12);
  EXPECT_EQ(library->selectedLowerSlot.load(), -1);
  click(1, 30, rightButton());
  EXPECT_EQ(view->selectedLowerRow.load(), 30);
  EXPECT_EQ(view->activeColumn.load(), 1);
  EXPECT_EQ(library->selectedUpperSlot.load(), -1);
  EXPECT_EQ(library->selectedLowerSlot.load(), 30);
  // A right click keeps the current row: the keys go on from where they were.
  EXPECT_EQ(view->currentRow.load(), 0);
}

TEST_F(LibrarianViewTest, ADoubleClickSelectsAndSendsOnlyWithAnOutputChosen) {
  ASSERT_NE(OpenList(), nullptr);
  IMouseMod left = leftButton();
  const IRECT r = rowRect(0, 8);
  // No output chosen: only a redraw.
  view->OnMouseDblClick(midX(r), midY(r), &left);
  EXPECT_EQ(view->selectedUpperRow.load(), 0);
  EXPECT_EQ(value(kCurrentPatch), 0);

  Plug()->GetParam(kDeviceOutSelection)->Set(1);
  view->OnMouseDblClick(midX(r), midY(r), &left);
  EXPECT_EQ(view->selectedUpperRow.load(), 8);
  EXPECT_EQ(view->currentRow.load(), 8);
  EXPECT_EQ(value(kCurrentPatch), 8);
  EXPECT_EQ(Plug()->librarianSendPatch, nullptr);  // the output is not open: nothing sent

  // With the output open the patch goes to the data thread's send job.
  Plug()->flags.midiOutputOpen = true;
  const IRECT lower = rowRect(1, 21);
  view->OnMouseDblClick(midX(lower), midY(lower), &left);
  Plug()->flags.midiOutputOpen = false;
  EXPECT_EQ(view->selectedLowerRow.load(), 21);
  ASSERT_NE(Plug()->librarianSendPatch, nullptr);
  EXPECT_EQ(Plug()->librarianSendPatch->messages, bank("source.syx").patches[21].messages);
}

// ==== Keys ==========================================================================

TEST_F(LibrarianViewTest, ArrowKeysStepAndWrapThroughTheRows) {
  ASSERT_NE(OpenList(), nullptr);
  const double lastProgram = Plug()->GetParam(kCurrentPatch)->GetMax();
  const struct {
    int from, key, to;
  } kCases[] = {
      {0, KEY_UPARROW, 99},   {99, KEY_DOWNARROW, 0},   {5, KEY_LEFTARROW, 89},  {90, KEY_RIGHTARROW, 6},
      {20, KEY_UPARROW, 19},  {20, KEY_DOWNARROW, 21},  {20, KEY_LEFTARROW, 4},  {20, KEY_RIGHTARROW, 36},
      {16, KEY_LEFTARROW, 0}, {83, KEY_RIGHTARROW, 99}, {84, KEY_RIGHTARROW, 0}, {15, KEY_LEFTARROW, 99},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.from) + " key " + std::to_string(c.key));
    view->currentRow = c.from;
    EXPECT_TRUE(view->OnKeyDown(0, 0, c.key));
    EXPECT_EQ(view->currentRow.load(), c.to);
    EXPECT_EQ(view->selectedUpperRow.load(), c.to);
    EXPECT_EQ(value(kCurrentPatch), std::min<double>(c.to, lastProgram));
  }

  // Any other key goes on to the host and changes nothing.
  view->currentRow = 7;
  EXPECT_FALSE(view->OnKeyDown(0, 0, KEY_SPACE));
  EXPECT_FALSE(view->OnKeyDown(0, 0, KEY_ALPHA_A));
  EXPECT_EQ(view->currentRow.load(), 7);
}

TEST_F(LibrarianViewTest, AfterALowerClickTheKeysMoveInTheLowerColumnFromTheTop) {
  ASSERT_NE(OpenList(), nullptr);
  click(1, 40, leftButton());
  ASSERT_EQ(view->currentRow.load(), -1);
  EXPECT_TRUE(view->OnKeyDown(0, 0, KEY_DOWNARROW));
  EXPECT_EQ(view->selectedLowerRow.load(), 0);
  EXPECT_EQ(view->selectedUpperRow.load(), -1);
  EXPECT_TRUE(view->OnKeyDown(0, 0, KEY_RIGHTARROW));
  EXPECT_EQ(view->selectedLowerRow.load(), 16);
  // A key also ends a rename.
  Plug()->renameClosed = false;
  Plug()->flags.librarianRenaming = true;
  view->OnKeyDown(0, 0, KEY_UPARROW);
  EXPECT_TRUE(Plug()->renameClosed);
  EXPECT_FALSE(Plug()->flags.librarianRenaming);
}

// ==== Copy and paste ==================================================================

TEST_F(LibrarianViewTest, PasteStoresTheCopiedPatchIntoTheSlotAndMarksTheBankUnsaved) {
  ASSERT_NE(OpenList(), nullptr);
  const LibrarianPatch source = bank("source.syx").patches[4];
  const LibrarianPatch neighbour = bank("edited.syx").patches[11];
  ASSERT_EQ(value(kBankEditUnsaved), 0);
  copyFrom(4);
  EXPECT_EQ(view->copyRow, 4);
  EXPECT_EQ(view->selectedLowerRow.load(), 4);
  EXPECT_EQ(view->activeColumn.load(), 1);
  pasteTo(10);
  const LibrarianPatch& stored = bank("edited.syx").patches[10];
  EXPECT_EQ(stored.messages, source.messages);
  EXPECT_EQ(stored.name, source.name);
  EXPECT_EQ(library->selectedUpperSlot.load(), 10);
  EXPECT_EQ(view->selectedUpperRow.load(), 10);
  EXPECT_EQ(value(kBankEditUnsaved), 1);
  EXPECT_EQ(textOf(view->upperRow(10)), source.name);
  EXPECT_FALSE(Plug()->midiManager->libraryPatchRequest.requestActive);
  // The neighbours are untouched.
  EXPECT_EQ(bank("edited.syx").patches[11].messages, neighbour.messages);
  EXPECT_EQ(bank("edited.syx").patches[11].name, neighbour.name);
}

TEST_F(LibrarianViewTest, PasteTakesTheBankAndRowOfTheCopyWhateverTheLowerColumnShowsNow) {
  ASSERT_NE(OpenList(), nullptr);
  const LibrarianPatch source = bank("source.syx").patches[4];
  copyFrom(4);
  showBanks("edited.syx", "third.syx");
  pasteTo(10);
  EXPECT_EQ(bank("edited.syx").patches[10].messages, source.messages);
}

TEST_F(LibrarianViewTest, PasteFindsTheCopiedFileBankAfterARescanAndNothingWhenItIsGone) {
  const struct {
    const char* why;
    bool removeFile;
    bool pasted;
  } kCases[] = {
      {"the file is still there", false, true},
      {"the file was removed", true, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    WriteBank("Factory/source.syx", 99, 2);
    ASSERT_NE(OpenList(), nullptr);
    const PatchSysexMessage copied = bank("source.syx").patches[4].messages.front();
    copyFrom(4);
    if (c.removeFile) std::filesystem::remove(PatchesFolder() / "Factory" / "source.syx");
    Plug()->patchTypeChanged(0, 0, true);  // the library read again from disk
    showBanks("edited.syx", "third.syx");
    const LibrarianPatch before = bank("edited.syx").patches[10];
    pasteTo(10);
    const LibrarianPatch& after = bank("edited.syx").patches[10];
    if (c.pasted) {
      EXPECT_EQ(after.messages.front(), copied);
      EXPECT_EQ(value(kBankEditUnsaved), 1);
    } else {
      EXPECT_EQ(after.messages, before.messages);
      EXPECT_EQ(value(kBankEditUnsaved), 0);
    }
    Close();
  }
}

TEST_F(LibrarianViewTest, PasteDoesNothingWithoutACopyOrAPlaceOrASound) {
  ASSERT_NE(OpenList(), nullptr);
  const std::vector<LibrarianPatch> before = bank("edited.syx").patches;
  // Nothing copied yet.
  pasteTo(10);
  // Copied from empty space between the columns.
  view->CopySlotData(gap().L, gap().T);
  EXPECT_EQ(view->copyRow, -1);
  pasteTo(10);
  // A copied empty slot.
  bank("source.syx").patches[6] = LibrarianPatch();
  copyFrom(6);
  pasteTo(10);
  // Row 99 is no slot of a bank.
  copyFrom(4);
  pasteTo(99);
  // Pasted onto empty space.
  view->PasteSlotData(gap().L, gap().T);
  EXPECT_EQ(library->selectedUpperSlot.load(), -1);
  EXPECT_EQ(bank("edited.syx").patches.size(), 99u);
  for (size_t i = 0; i < before.size(); ++i)
    EXPECT_EQ(bank("edited.syx").patches[i].messages, before[i].messages);
  EXPECT_EQ(value(kBankEditUnsaved), 0);
}

TEST_F(LibrarianViewTest, PastingWithinTheEditedBankCopiesTheSlot) {
  ASSERT_NE(OpenList(), nullptr);
  showBanks("edited.syx", "edited.syx");
  const LibrarianPatch source = bank("edited.syx").patches[2];
  copyFrom(2);
  pasteTo(50);
  EXPECT_EQ(bank("edited.syx").patches[50].messages, source.messages);
  EXPECT_EQ(bank("edited.syx").patches[2].messages, source.messages);
}

// ==== Drag and drop ===================================================================

TEST_F(LibrarianViewTest, DraggingIsPossibleOnceTheLibrarianPageWasShown) {
  ASSERT_NE(OpenList(), nullptr);
  IMouseMod left = leftButton();
  const IRECT from = rowRect(1, 6);
  view->OnMouseDrag(midX(from), midY(from), 0, 0, &left);
  EXPECT_FALSE(view->dragging);
  TabSwitchFunctions::mainTabSwitch(Plug(), kMainTab, 1, 0);
  EXPECT_TRUE(view->dragEnabled);
  TabSwitchFunctions::mainTabSwitch(Plug(), kMainTab, 2, 0);
  EXPECT_TRUE(view->dragEnabled);  // for good
  view->OnMouseDrag(midX(from), midY(from), 0, 0, &left);
  EXPECT_TRUE(view->dragging);
}

TEST_F(LibrarianViewTest, ADropOnAnUpperRowCopiesTheDraggedPatchAndElsewhereNothing) {
  const struct {
    const char* why;
    int column;  // where the button is released: 0 upper, 1 lower, -1 between the columns
    int row;
    bool copied;
  } kCases[] = {
      {"on an upper row", 0, 20, true},
      {"on the lower column", 1, 20, false},
      {"between the columns", -1, 0, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ASSERT_NE(OpenList(), nullptr);
    view->dragEnabled = true;
    const std::vector<LibrarianPatch> before = bank("edited.syx").patches;
    IMouseMod left = leftButton();
    // Over an upper row first: no drag starts until a lower row is reached.
    const IRECT over = rowRect(0, 3);
    view->OnMouseDrag(midX(over), midY(over), 0, 0, &left);
    EXPECT_FALSE(view->dragging);
    const IRECT from = rowRect(1, 6);
    view->OnMouseDrag(midX(from), midY(from), 0, 0, &left);
    EXPECT_TRUE(view->dragging);
    EXPECT_EQ(view->dragMarker, IRECT(midX(from) - view->rowWidth / 2, midY(from) - view->rowHeight / 2,
                                      midX(from) - view->rowWidth / 2 + view->rowWidth,
                                      midY(from) - view->rowHeight / 2 + view->rowHeight));
    const IRECT to = c.column < 0 ? gap() : rowRect(c.column, c.row);
    view->OnMouseDrag(midX(to), midY(to), 0, 0, &left);
    view->OnMouseUp(midX(to), midY(to), &left);
    EXPECT_FALSE(view->dragging);
    if (c.copied) {
      EXPECT_EQ(bank("edited.syx").patches[20].messages, bank("source.syx").patches[6].messages);
      EXPECT_EQ(value(kBankEditUnsaved), 1);
      EXPECT_EQ(library->selectedUpperSlot.load(), 20);
    } else {
      for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(bank("edited.syx").patches[i].messages, before[i].messages);
      EXPECT_EQ(value(kBankEditUnsaved), 0);
    }
    Close();
  }
}

// A drag is a copy too: the row dragged, from the bank it was dragged
// from, is what the next Paste takes. A Paste with no Copy before it still
// does nothing.
TEST_F(LibrarianViewTest, ADragSetsTheRowTheNextPasteTakes) {
  const struct {
    const char* why;
    bool copiedFirst;
    bool pasted;
  } kCases[] = {
      {"after a Copy", true, true},
      {"with no Copy before", false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ASSERT_NE(OpenList(), nullptr);
    view->dragEnabled = true;
    if (c.copiedFirst) copyFrom(4);
    IMouseMod left = leftButton();
    const IRECT from = rowRect(1, 6), to = rowRect(0, 20);
    view->OnMouseDown(midX(from), midY(from), &left);
    view->OnMouseDrag(midX(from), midY(from) - 1, 0, -1, &left);
    view->OnMouseUp(midX(to), midY(to), &left);
    EXPECT_EQ(view->copyRow, 6);
    const PatchSysexMessage dragged = bank("source.syx").patches[6].messages.front();
    EXPECT_EQ(bank("edited.syx").patches[20].messages.front(), dragged);
    // The lower column shows another bank by the time of the Paste.
    showBanks("edited.syx", "third.syx");
    const PatchSysexMessage before = bank("edited.syx").patches[30].messages.front();
    pasteTo(30);
    EXPECT_EQ(bank("edited.syx").patches[30].messages.front(), c.pasted ? dragged : before);
    Close();
  }
}

// The drag takes the lower row the button went down on, wherever the first
// move goes (a quick hand, or the host's drag in few steps, leaves the row
// before the first move is seen); pressed elsewhere, the first lower row
// the pointer reaches.
TEST_F(LibrarianViewTest, ADragTakesTheRowPressedOnElseTheFirstLowerRowReached) {
  const struct {
    const char* why;
    int pressColumn, pressRow;               // -1: between the columns
    std::vector<std::pair<int, int>> moves;  // (column, row); column -1: between the columns
    int copied;                              // the source row that lands on upper row 20; -1 for none
  } kCases[] = {
      {"first move already over the target", 1, 6, {{0, 20}}, 6},
      {"first move between the columns", 1, 6, {{-1, 0}, {0, 20}}, 6},
      {"pressed on an upper row, through a lower row", 0, 3, {{1, 9}, {0, 20}}, 9},
      {"pressed between the columns, never over a lower row", -1, 0, {{0, 20}}, -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ASSERT_NE(OpenList(), nullptr);
    view->dragEnabled = true;
    const LibrarianPatch before = bank("edited.syx").patches[20];
    IMouseMod left = leftButton();
    const IRECT press = c.pressColumn < 0 ? gap() : rowRect(c.pressColumn, c.pressRow);
    view->OnMouseDown(midX(press), midY(press), &left);
    for (const auto& [column, row] : c.moves) {
      const IRECT to = column < 0 ? gap() : rowRect(column, row);
      view->OnMouseDrag(midX(to), midY(to), 0, 0, &left);
    }
    const IRECT to = rowRect(0, 20);
    view->OnMouseUp(midX(to), midY(to), &left);
    EXPECT_EQ(bank("edited.syx").patches[20].messages,
              c.copied < 0 ? before.messages : bank("source.syx").patches[c.copied].messages);
    Close();
  }
}

// ==== Rename ============================================================================

TEST_F(LibrarianViewTest, RenameOpensTheFieldOverASoundAndGrowsAShortBankTo99Only) {
  const struct {
    const char* why;
    size_t bankSize;
    int row;
    bool opened;
  } kCases[] = {
      {"a slot of a full bank", 99, 12, true},
      {"a slot of a short bank", 40, 12, true},
      {"a padded empty slot", 40, 60, false},
      {"row 99, which no bank holds", 99, 99, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    ASSERT_NE(OpenList(), nullptr);
    bank("edited.syx").patches.resize(c.bankSize);
    Plug()->patchRenameLayer->Hide(true);
    click(0, c.row, rightButton());
    view->renameSlot(0, 0);
    EXPECT_EQ(bank("edited.syx").patches.size(), 99u);
    EXPECT_EQ(!Plug()->patchRenameLayer->visible.Load(), !c.opened);
    EXPECT_TRUE(Plug()->flags.librarianRenaming);
    EXPECT_FALSE(Plug()->renameClosed);
    if (c.opened) {
      // The name without the blanks that pad it to 14 characters.
      std::string name = bank("edited.syx").patches[c.row].name;
      name.erase(name.find_last_not_of(' ') + 1);
      EXPECT_STREQ(Plug()->GetParam(kPatchRename)->GetDisplayText(0), name.c_str());
    }
    Close();
  }
}

// ==== The edited-bank lock ================================================================

// While the library's edited-bank lock is set no edited bank is open: the
// upper column does not reload, and no slot of it is renamed, given a
// category, stored into or sent; the source column goes on working.
TEST_F(LibrarianViewTest, WhileTheEditedBankIsLockedNothingReachesIt) {
  ASSERT_NE(OpenList(), nullptr);
  library->editBlocked = 1;
  const std::vector<LibrarianPatch> before = bank("edited.syx").patches;
  const std::string shown = textOf(view->upperRow(3));

  bank("edited.syx").patches[3].name = "CHANGED";
  Plug()->updatePatchLibrarianView(0);
  EXPECT_EQ(textOf(view->upperRow(3)), shown) << "the upper column reloaded";
  bank("edited.syx").patches[3].name = before[3].name;

  click(0, 12, rightButton());
  view->renameSlot(0, 0);
  EXPECT_FALSE(Plug()->patchRenameLayer->visible.Load()) << "the rename field opened";
  Plug()->renameClosed = false;
  Plug()->GetParam(kPatchRename)->SetDisplayText(0, "LOCKED OUT");
  Plug()->OnParamChange(kPatchRename);
  EXPECT_TRUE(Plug()->renameClosed);

  Plug()->SetCategoryForLibrarianPatch(3);
  copyFrom(4);
  pasteTo(12);

  const std::string category = DisplayText(kControlDisplayLibCategory);
  Plug()->DisplayLibrarianPatchCategory(30, 0);
  EXPECT_EQ(DisplayText(kControlDisplayLibCategory), category) << "column 0 showed a category";
  Plug()->GetParam(kCurrentPatch)->Set(0);
  Plug()->sendPatchToDeviceFromLibrarian(30, 0);
  EXPECT_EQ(value(kCurrentPatch), 0) << "a slot of the edited bank was taken to send";

  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(bank("edited.syx").patches[i].name, before[i].name) << "slot " << i;
    EXPECT_EQ(bank("edited.syx").patches[i].messages, before[i].messages) << "slot " << i;
  }
  EXPECT_EQ(value(kBankEditUnsaved), 0);

  // The source column is not locked.
  Plug()->DisplayLibrarianPatchCategory(30, 1);
  EXPECT_EQ(DisplayText(kControlDisplayLibCategory), bank("source.syx").patches[30].category);
  Plug()->sendPatchToDeviceFromLibrarian(30, 1);
  EXPECT_EQ(value(kCurrentPatch), 30);
}

// ==== Drawing ===========================================================================

TEST_F(LibrarianViewTest, TheSelectedRowsAndTheDragMarkerAreDrawnLightGrey) {
  ASSERT_NE(OpenList(), nullptr);
  Plug()->GetParam(kMainTab)->Set(1);
  TabSwitchFunctions::mainTabSwitch(Plug(), kMainTab, 1, 0);
  ViewPane* pane = OpenEditor();
  ASSERT_NE(pane, nullptr);
  // The colour of a pixel; the window's words hold it above their alpha byte.
  const auto pixel = [&](int x, int y) {
    const std::vector<uint32_t> pixels = WindowPixels();
    return pixels.at(static_cast<size_t>(y) * static_cast<size_t>(pane->Width()) + static_cast<size_t>(x)) >>
           8;
  };
  constexpr uint32_t kGrey = 0xE1E1E1;
  click(0, 3, leftButton());
  Redraw();
  // The right end of a row holds no text: the fill shows there.
  const IRECT selected = rowRect(0, 3), unselected = rowRect(0, 4);
  EXPECT_EQ(pixel(selected.R - 2, selected.T + 1), kGrey);
  EXPECT_NE(pixel(unselected.R - 2, unselected.T + 1), kGrey);

  click(1, 40, leftButton());
  Redraw();
  EXPECT_NE(pixel(selected.R - 2, selected.T + 1), kGrey);
  const IRECT lower = rowRect(1, 40);
  EXPECT_EQ(pixel(lower.R - 2, lower.T + 1), kGrey);

  IMouseMod left = leftButton();
  const IRECT from = rowRect(1, 70);
  view->OnMouseDrag(midX(from), midY(from), 0, 0, &left);
  ASSERT_TRUE(view->dragging);
  Redraw();
  EXPECT_EQ(pixel(midX(from), midY(from)), kGrey);
  // Over an upper row the slot the patch would land in is outlined amber.
  constexpr uint32_t kAmber = 0x00ADFF;  // (255, 173, 0): blue, green, red from the top
  const IRECT target = rowRect(0, 20);
  view->OnMouseDrag(midX(target), midY(target), 0, 0, &left);
  Redraw();
  for (const auto& [x, y] :
       {std::pair{target.L, target.T}, {target.R - 1, target.B - 1}, {target.L, target.B - 1}})
    EXPECT_EQ(pixel(x, y), kAmber) << x << "," << y;
  view->OnMouseUp(gap().L, gap().T, &left);
  Redraw();
  EXPECT_NE(pixel(midX(from) + view->rowWidth / 2 - 1, midY(from)), kGrey);
  EXPECT_NE(pixel(target.L, target.T), kAmber);
}

// Each row starts with its program number, and a name is cut to the room
// its row leaves: at the smallest size a 14-letter name would run into the
// gap between the sub-columns.
TEST_F(LibrarianViewTest, RowsShowTheirProgramNumbersAndNamesStayInsideTheirRows) {
  WriteSettings("normal\nsmall\nyes\n");
  ASSERT_NE(OpenList(), nullptr);
  TabSwitchFunctions::mainTabSwitch(Plug(), kMainTab, 1, 0);
  bank("edited.syx").patches[3].name = "WWWWWWWWWWWWWW";
  Plug()->updatePatchLibrarianView(0);
  ViewPane* pane = OpenEditor();
  ASSERT_NE(pane, nullptr);
  Redraw();
  const std::vector<uint32_t> pixels = WindowPixels();
  const auto area = [&](int left, int right, int top, int bottom) {
    std::vector<uint32_t> out;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) out.push_back(pixels.at(static_cast<size_t>(y) * pane->Width() + x));
    return out;
  };
  // The gap right of the long name's row looks as the gap right of a row
  // of a short name two rows down (the same stripe of the background).
  const IRECT longRow = rowRect(0, 3), shortRow = rowRect(0, 5);
  const int gapWidth = rowRect(0, 16).L - longRow.R;
  EXPECT_EQ(area(longRow.R, longRow.R + gapWidth, longRow.T, longRow.B),
            area(shortRow.R, shortRow.R + gapWidth, shortRow.T, shortRow.B));
  // Rows 1 and 17 start alike but for their numbers.
  const IRECT first = rowRect(0, 0), seventeenth = rowRect(0, 16);
  const int numberWidth = first.W() / 6;
  EXPECT_NE(area(first.L, first.L + numberWidth, first.T, first.B),
            area(seventeenth.L, seventeenth.L + numberWidth, seventeenth.T, seventeenth.B));
}

// ==== Threads ===========================================================================

// A paste arms the library request, feeds its messages and ends the request
// while the MIDI input thread feeds the receive path with the synthesizer's
// own sound records: the pasted slot always ends up with the copied patch.
TEST_F(LibrarianViewTest, APasteIsNotMixedWithMessagesTheMidiInputDeliversMeanwhile) {
  ASSERT_NE(OpenList(), nullptr);
  Bytes foreign(bank("third.syx").patches[0].messages.front().begin(),
                bank("third.syx").patches[0].messages.front().end());
  std::atomic<bool> stop{false};
  std::thread input([&] {
    while (!stop) {
      ISysEx sysex(0, foreign.data(), static_cast<int32_t>(foreign.size()));
      Plug()->ProcessSysEx(&sysex, true);
    }
  });
  copyFrom(4);
  const PatchSysexMessage expected = bank("source.syx").patches[4].messages.front();
  for (int i = 0; i < 200; ++i) {
    pasteTo(10 + i % 50);
    ASSERT_EQ(bank("edited.syx").patches[10 + i % 50].messages.front(), expected) << "paste " << i;
  }
  stop = true;
  input.join();
}

// The MIDI input thread selects a program and a job selects the rows while
// the GUI thread moves through the list with the keys.
TEST_F(LibrarianViewTest, TheSelectionIsSharedSafelyWithOtherThreads) {
  ASSERT_NE(OpenList(), nullptr);
  std::atomic<bool> stop{false};
  std::thread other([&] {
    for (int i = 0; !stop; ++i) {
      Plug()->selectLibrarianViewRow(i % 99);
      Plug()->setLibrarianViewRow(i % 2, i % 99);
      Plug()->setLibrarianViewDirty();
      (void)Plug()->getLibrarianViewColumn();
    }
  });
  for (int i = 0; i < 500; ++i) view->OnKeyDown(0, 0, KEY_DOWNARROW);
  stop = true;
  other.join();
  Plug()->selectLibrarianViewRow(42);
  EXPECT_EQ(view->selectedUpperRow.load(), 42);
  EXPECT_EQ(view->selectedLowerRow.load(), 42);
  EXPECT_EQ(view->currentRow.load(), 42);
}

}  // namespace
