// The librarian's two-column list of patch slots. The upper column shows the
// bank being edited (a file bank), the lower column the source bank (a file,
// category or search-result bank, as the editor's lower-list flags say); each
// column has one text row per slot showing the patch name, laid out in
// sub-columns of 16 rows.
//
// Each row shows its program number (01 to 99) before the patch name; a
// name longer than the room left is cut with an ellipsis.
//
// A click selects a slot, a double click or an arrow key sends the selected
// slot's patch to the synthesizer, a right click opens the slot menu (upper
// column) or the copy menu (lower column), and dragging a lower row onto an
// upper row copies that patch into the edited bank: the drag takes the row
// the button went down on (or, pressed elsewhere, the first lower row the
// pointer reaches), and the upper row under the pointer is outlined while
// it lasts. Copying feeds the source patch's messages back through the
// editor's SysEx receive path with a librarian request armed, so that the
// library stores them into the selected slot as if the synthesizer had sent
// them.
//
// Threads: the mouse, the keys, drawing and the slot operations run on the
// GUI thread. The selected rows, the active column and the current row are
// also written by the MIDI input thread (a program change) and the data
// thread (storing a bank), so they are atomics; a column reload asked for on
// another thread runs on the GUI thread (EditorServices::updatePatchLibrarianView).
//
// Contents: GEOMETRY, CONSTRUCTION, COLUMNS, SLOT OPERATIONS, MOUSE AND
// KEYS, STATE.
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "src/CustomOverlayControl.h"

class ITextControl;
class PatchFile;
class PatchLibrarian;
class EditorServices;

class LibrarianViewControl : public CustomOverlayControl {
 public:
  static constexpr int kRowCount = 100;  // rows per column
  static constexpr int kSubColumnRows = 16;

  // ==== GEOMETRY ==============================================================
  // The rectangle of row (0..99) of column (0 upper, 1 lower) for a list at
  // (x, y) at the GUI scale; every product truncated toward zero. Outside
  // those ranges: the all-zero rectangle, which holds no point.
  static IRECT rowRect(int x, int y, double scale, int column, int row);
  // The size of the names and of the program numbers at the scale; never
  // below 10, which keeps the letters of the display face at 8 pixels.
  static int rowTextSize(double scale);
  static int numberTextSize(double scale);

  // ==== CONSTRUCTION ==========================================================
  // Control and hit rectangle (x, y, x + bitmap width, y + one frame's
  // height); targetArea is kept as the overlay's target area only. Builds
  // the upper rows and loads the upper column, then the lower rows and the
  // lower column. The editor and the library are not owned.
  LibrarianViewControl(EditorServices* editor, int x, int y, int paramIdx, IBitmap* bitmap, IRECT targetArea,
                       PatchLibrarian* library, double scale);
  // Deletes the rows.
  ~LibrarianViewControl() override;

  // ==== COLUMNS ===============================================================
  // Reload the upper column from the edited bank, or the lower column from
  // the lower list's bank; without that bank the texts stay as they were.
  // A bank shorter than the column shows empty rows. GUI thread.
  void patchSelectionUpperChanged();
  void patchSelectionLowerChanged();

  // ==== SLOT OPERATIONS (the slot and copy menus, GUI thread) ===================
  // (x, y) is the right click that opened the menu.
  // Shows the rename overlay over the selected upper slot when it holds a
  // sound, its field open for typing with the name (without its trailing
  // blanks) selected; an edited bank shorter than 99 patches is first
  // padded to 99.
  void renameSlot(int x, int y);
  // Remembers the lower row under (x, y) and the bank the lower column shows
  // now as the source of the next paste; no row there remembers nothing.
  void CopySlotData(int x, int y);
  // Copies the remembered patch of the remembered bank into the upper slot
  // under (x, y) and marks the edited bank unsaved. Nothing when nothing was
  // copied, when that bank is gone from the library, when the patch is
  // empty, or when (x, y) is on no slot of the edited bank.
  void PasteSlotData(int x, int y);

  // ==== MOUSE AND KEYS ========================================================
  // Right button: selection, then the slot menu (an upper row hit) or the
  // copy menu. Left button: selection, kCurrentPatch, rename closed; the
  // point is kept as where a drag begins. Then the category of the clicked
  // row is shown.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Ends a drag: over an upper row the dragged patch is copied there.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  // With drag enabled, the marker follows the pointer. A drag starts from
  // the lower row the button went down on, else over the first lower row the
  // pointer reaches; that row becomes the one the next Paste takes.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  // With a MIDI output chosen: selects the row and sends its patch.
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  // Arrow keys (1 up, 2 down, 3 left, 4 right) move the current row with
  // wrap-around and send its patch; any other key is not used (false).
  bool OnKeyDown(int x, int y, int key) override;
  bool Draw(IGraphics* graphics) override;

  // The text rows (tests and drawing); row 0..99, else null.
  ITextControl* upperRow(int row) const;
  ITextControl* lowerRow(int row) const;

  // ==== STATE =================================================================
  PatchLibrarian* library;
  std::array<ITextControl*, kRowCount> upperRows{};
  std::array<ITextControl*, kRowCount> lowerRows{};
  // Drag copy allowed: set the first time the editor shows the librarian page.
  std::atomic<bool> dragEnabled{false};
  IRECT dragMarker;       // drawn under the pointer while dragging
  bool dragging = false;  // a drag copy is in progress
  int dropRow = -1;       // the upper row under the pointer while dragging, -1 for none
  int rowWidth;           // the drag marker's size
  int rowHeight;
  int copyRow = -1;  // the lower row of the last Copy, which a paste copies; -1 for none
  EditorServices* editor;
  double scale;
  std::atomic<int> selectedUpperRow{0};   // -1 for none
  std::atomic<int> selectedLowerRow{-1};  // -1 for none
  std::atomic<int> activeColumn{0};       // column of the last selection: 0 upper, 1 lower
  std::atomic<int> currentRow{0};         // the row the arrow keys move from
  int copiedBankIndex = -1;               // the lower bank index at the last Copy; -1 before any
  const int rowCount = kRowCount;         // rows per column (the row arrays hold this many)

 private:
  // Where a copied patch comes from: the lower list's source, the bank
  // itself and the names by which a file bank is found again after a rescan.
  enum class SourceKind { kFiles, kCategories, kSearch };
  struct CopySource {
    bool set = false;
    SourceKind kind = SourceKind::kFiles;
    const PatchFile* bank = nullptr;
    std::string folderPath;
    std::string fileName;
  };

  // The lower list's source by the editor's flags (category mode first), and
  // its list of banks.
  SourceKind lowerSourceKind() const;
  const std::vector<PatchFile*>* bankList(SourceKind kind) const;
  // The bank the lower column shows, the edited bank; null when there is none.
  PatchFile* lowerBank() const;
  PatchFile* editedBank() const;
  // Sets one column's texts from bank's patches (empty past its end).
  void loadColumn(std::array<ITextControl*, kRowCount>& rows, const PatchFile* bank);
  // Both columns' selection from (x, y): each row holding the point selects
  // it. withLayers also sets the active column and greys the save controls
  // out over the lower column; setColumn sets the active column only.
  void hitTest(int x, int y, bool withLayers, bool setColumn);
  // The upper row holding (x, y), -1 for none.
  int upperRowAt(int x, int y) const;
  // Selects row in the active column.
  void selectInActiveColumn(int row);
  // kCurrentPatch takes row, within its range, without a handler.
  void setCurrentPatchDirectly(int row);
  // Ends a slot rename that was open.
  void endRename();
  // Draws row index of column (0 upper, 1 lower): its number, then its name.
  void drawRow(IGraphics* graphics, int column, int index, bool selected);
  // The row's name as drawn in room pixels: without its padding blanks, cut
  // with an ellipsis when too long. Kept until the name changes.
  const std::string& shownName(IGraphics* graphics, int column, int index, int room);
  // The bank the lower column shows now, as a source to find again later.
  CopySource lowerSourceSnapshot() const;
  // The source's bank when the library still holds it, else null.
  const PatchFile* resolve(const CopySource& source) const;
  // Copies patch row of the source's bank into upper slot target through
  // the receive path and marks the edited bank unsaved.
  void copyIntoSlot(int target, const CopySource& source, int row);

  CopySource mCopySource;  // the bank of the last Copy or drag (its row is copyRow)
  IText mNumberStyle;      // the program numbers' text style
  int mNameIndent = -1;    // a name's distance from its row's left edge; -1 until measured
  struct ShownName {
    bool measured = false;
    std::string source, text;
    int room = 0;
  };
  std::array<std::array<ShownName, kRowCount>, 2> mShownNames;
  // Where the left button went down, for the drag that may follow.
  bool mPressed = false;
  int mPressX = 0, mPressY = 0;
};
