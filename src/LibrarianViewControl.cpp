#include "src/LibrarianViewControl.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "KIT/IModule/Truncate.h"
#include "KIT/mutex.h"
#include "src/EditorServices.h"
#include "src/LibrarianPatch.h"
#include "src/PatchLibrarian.h"
#include "src/ValueDisplays.h"

namespace {

constexpr IColor kSelectionGrey = kDisplayLightGrey;
// The program numbers, dimmed beside the names (darker on a selected row).
constexpr IColor kNumberGrey(255, 128, 132, 138);
constexpr IColor kSelectedNumberGrey(255, 92, 94, 98);
// The outline of the slot a dragged patch would be copied into.
constexpr IColor kDropAmber(255, 255, 173, 0);
// The smallest size of row text: the display face's letters stay at 8
// pixels or more (its line is 1.16 times its letter size).
constexpr int kLeastTextSize = 10;
constexpr char kEllipsis[] = "\xE2\x80\xA6";

IText rowTextStyle(double scale) {
  IText style(LibrarianViewControl::rowTextSize(scale), &COLOR_WHITE, kDisplayFont, IText::kStyleNormal,
              IText::kAlignNear, 0, IText::kQualityDefault);
  style.mVAlign = IText::kVAlignMiddle;
  return style;
}

// The name without the blanks that pad it to 14 characters.
std::string trimmedName(const std::string& name) {
  const size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

PatchFile* bankAt(const std::vector<PatchFile*>* banks, int index) {
  if (!banks || index < 0 || static_cast<size_t>(index) >= banks->size()) return nullptr;
  return (*banks)[static_cast<size_t>(index)];
}

}  // namespace

// ==== GEOMETRY ================================================================

IRECT LibrarianViewControl::rowRect(int x, int y, double s, int column, int row) {
  if (column < 0 || column > 1 || row < 0 || row >= kRowCount) return IRECT();
  const int w = s == 1.0 ? TruncateToInt(100 * s) : TruncateToInt(101 * s);
  const int h = TruncateToInt(16 * s);
  const int gap = TruncateToInt(27 * s);
  int top;
  if (column == 0)
    top = y + TruncateToInt(s) + (s < 1.0 ? 1 : 0);
  else
    top = y + TruncateToInt(303 * s) + (s == 1.0 ? 0 : s > 1.0 ? 1 : 2);
  const int left = x + (row / kSubColumnRows) * (w + gap);
  const int rowTop = top + (row % kSubColumnRows) * h;
  return IRECT(left, rowTop, left + w, rowTop + h);
}

// A name of 14 characters fits its row after the number at scales 1.0 and
// 1.25; at 0.75 a name of more than 12 is cut.
int LibrarianViewControl::rowTextSize(double scale) {
  return std::max(kLeastTextSize, TruncateToInt(12 * scale));
}

int LibrarianViewControl::numberTextSize(double scale) {
  return std::max(kLeastTextSize, TruncateToInt(10 * scale));
}

// ==== CONSTRUCTION ============================================================

LibrarianViewControl::LibrarianViewControl(EditorServices* editor, int x, int y, int paramIdx,
                                           IBitmap* bitmap, IRECT targetArea, PatchLibrarian* library,
                                           double scale)
    : CustomOverlayControl(editor, x, y, paramIdx, bitmap, targetArea),
      library(library),
      rowWidth(TruncateToInt(100 * scale)),
      rowHeight(TruncateToInt(16 * scale)),
      editor(editor),
      scale(scale) {
  const IText style = rowTextStyle(scale);
  mNumberStyle = style;
  mNumberStyle.mSize = numberTextSize(scale);
  for (int i = 0; i < kRowCount; ++i)
    upperRows[i] = new ITextControl(editor, rowRect(x, y, scale, 0, i), &style, "");
  patchSelectionUpperChanged();
  for (int i = 0; i < kRowCount; ++i)
    lowerRows[i] = new ITextControl(editor, rowRect(x, y, scale, 1, i), &style, "");
  patchSelectionLowerChanged();
}

LibrarianViewControl::~LibrarianViewControl() {
  for (int i = 0; i < kRowCount; ++i) {
    delete upperRows[i];
    delete lowerRows[i];
  }
}

ITextControl* LibrarianViewControl::upperRow(int row) const {
  return row >= 0 && row < kRowCount ? upperRows[row] : nullptr;
}

ITextControl* LibrarianViewControl::lowerRow(int row) const {
  return row >= 0 && row < kRowCount ? lowerRows[row] : nullptr;
}

// ==== COLUMNS =================================================================

LibrarianViewControl::SourceKind LibrarianViewControl::lowerSourceKind() const {
  if (editor && editor->flags.lowerShowsSearch) return SourceKind::kSearch;
  if (editor && editor->flags.lowerShowsCategories) return SourceKind::kCategories;
  return SourceKind::kFiles;
}

const std::vector<PatchFile*>* LibrarianViewControl::bankList(SourceKind kind) const {
  if (!library) return nullptr;
  switch (kind) {
    case SourceKind::kSearch:
      return &library->searchBanks;
    case SourceKind::kCategories:
      return &library->categoryBanks;
    case SourceKind::kFiles:
    default:
      return &library->fileBanks;
  }
}

PatchFile* LibrarianViewControl::lowerBank() const {
  return library ? bankAt(bankList(lowerSourceKind()), library->lowerBankIndex) : nullptr;
}

PatchFile* LibrarianViewControl::editedBank() const {
  if (!library || library->editBlocked != 0) return nullptr;
  return bankAt(&library->fileBanks, library->upperBankIndex);
}

void LibrarianViewControl::loadColumn(std::array<ITextControl*, kRowCount>& rows, const PatchFile* bank) {
  if (!bank) return;
  // The received-patch store changes the edited bank under the plug-in's lock.
  KIT_MutexLock lock(editor ? editor->GetMutex() : nullptr);
  const size_t count = bank->patches.size();
  for (int i = 0; i < rowCount; ++i) {
    const size_t slot = static_cast<size_t>(i);
    rows[slot]->SetTextFromPlug(slot < count ? bank->patches[slot].name.c_str() : "");
  }
}

void LibrarianViewControl::patchSelectionUpperChanged() {
  SetDirty(true);
  loadColumn(upperRows, editedBank());
}

void LibrarianViewControl::patchSelectionLowerChanged() {
  SetDirty(true);
  loadColumn(lowerRows, lowerBank());
}

// ==== Selection helpers ========================================================

void LibrarianViewControl::hitTest(int x, int y, bool withLayers, bool setColumn) {
  selectedUpperRow = -1;
  selectedLowerRow = -1;
  ControlLayer* saveChanges = editor ? editor->saveChangesLayer : nullptr;
  for (int i = 0; i < rowCount; ++i) {
    if (upperRows[i]->GetRECT().Contains(x, y)) {
      selectedUpperRow = i;
      if (withLayers || setColumn) activeColumn = 0;
      // The save controls act on the edited column only.
      if (withLayers && saveChanges) saveChanges->GrayOut(false);
    }
    if (lowerRows[i]->GetRECT().Contains(x, y)) {
      selectedLowerRow = i;
      if (withLayers || setColumn) activeColumn = 1;
      if (withLayers && saveChanges) saveChanges->GrayOut(true);
    }
  }
}

int LibrarianViewControl::upperRowAt(int x, int y) const {
  int found = -1;
  for (int i = 0; i < rowCount; ++i)
    if (upperRows[i]->GetRECT().Contains(x, y)) found = i;
  return found;
}

void LibrarianViewControl::selectInActiveColumn(int row) {
  if (activeColumn == 0)
    selectedUpperRow = row;
  else
    selectedLowerRow = row;
}

void LibrarianViewControl::setCurrentPatchDirectly(int row) {
  IParam* param = editor ? editor->GetParam(kCurrentPatch) : nullptr;
  if (!param) return;
  KIT_MutexLock lock(editor->GetMutex());
  param->Set(std::clamp(static_cast<double>(row), param->GetMin(), param->GetMax()));
}

void LibrarianViewControl::endRename() {
  if (!editor) return;
  editor->flags.librarianRenaming = false;
  editor->renameClosed = true;
}

// ==== SLOT OPERATIONS =========================================================

void LibrarianViewControl::renameSlot(int, int) {
  if (!editor) return;
  editor->flags.librarianRenaming = true;
  editor->renameClosed = false;
  const int row = selectedUpperRow;
  if (row < 0) return;
  activeColumn = 0;
  KIT_MutexLock lock(editor->GetMutex());
  PatchFile* bank = editedBank();
  if (!bank) return;
  // A bank is 99 slots on disk: a short one is padded to that, never beyond
  // (row 99 has no slot and opens no field).
  if (bank->patches.size() < static_cast<size_t>(PatchFile::kSlots)) bank->patches.resize(PatchFile::kSlots);
  if (static_cast<size_t>(row) >= bank->patches.size()) return;
  const LibrarianPatch& patch = bank->patches[static_cast<size_t>(row)];
  if (patch.messages.empty()) return;
  // The field opens at once, ready for typing, its name selected: the
  // blanks that pad a name are left out, so that none is typed over unseen.
  if (IParam* rename = editor->GetParam(kPatchRename))
    rename->SetDisplayText(0, trimmedName(patch.name).c_str());
  if (editor->patchRenameLayer) editor->patchRenameLayer->Hide(false);
  if (editor->patchRenameControl) editor->patchRenameControl->PromptUserInput();
}

LibrarianViewControl::CopySource LibrarianViewControl::lowerSourceSnapshot() const {
  CopySource source;
  const PatchFile* bank = lowerBank();
  if (!bank) return source;
  source.set = true;
  source.kind = lowerSourceKind();
  source.bank = bank;
  source.folderPath = bank->folderPath;
  source.fileName = bank->fileName;
  return source;
}

const PatchFile* LibrarianViewControl::resolve(const CopySource& source) const {
  if (!source.set) return nullptr;
  const std::vector<PatchFile*>* banks = bankList(source.kind);
  if (!banks) return nullptr;
  const auto sameNames = [&source](const PatchFile* bank) {
    return bank && bank->folderPath == source.folderPath && bank->fileName == source.fileName;
  };
  // The very bank, when the library still holds it. The recorded pointer is
  // only compared, never followed: the bank may have been freed since.
  for (const PatchFile* bank : *banks)
    if (bank == source.bank && sameNames(bank)) return bank;
  // A file bank is found again by its names after a rescan; category and
  // search banks are rebuilt with other contents under the same names.
  if (source.kind == SourceKind::kFiles)
    for (const PatchFile* bank : *banks)
      if (sameNames(bank)) return bank;
  return nullptr;
}

void LibrarianViewControl::CopySlotData(int x, int y) {
  selectedLowerRow = -1;
  int row = -1;
  for (int i = 0; i < rowCount; ++i) {
    if (lowerRows[i]->GetRECT().Contains(x, y)) {
      activeColumn = 1;
      selectedLowerRow = i;
      row = i;
    }
  }
  copyRow = row;
  copiedBankIndex = library ? library->lowerBankIndex : -1;
  mCopySource = lowerSourceSnapshot();
}

void LibrarianViewControl::PasteSlotData(int x, int y) {
  SetDirty(true);
  selectedUpperRow = -1;
  int target = -1;
  for (int i = 0; i < rowCount; ++i) {
    if (upperRows[i]->GetRECT().Contains(x, y)) {
      activeColumn = 0;
      selectedUpperRow = i;
      target = i;
    }
  }
  if (library) library->selectedUpperSlot = target;
  if (copiedBankIndex == -1 || copyRow < 0 || target < 0) return;
  copyIntoSlot(target, mCopySource, copyRow);
}

void LibrarianViewControl::copyIntoSlot(int target, const CopySource& source, int row) {
  if (!editor || !library) return;
  // Arming, feeding and ending the request is one step for the receive path:
  // the MIDI input thread feeds it under the same lock, so no message of the
  // synthesizer is taken into the slot in between.
  KIT_MutexLock lock(editor->GetMutex());
  const PatchFile* bank = resolve(source);
  if (!bank || row < 0 || static_cast<size_t>(row) >= bank->patches.size()) return;
  // Row 99 is no slot of a bank: nothing could be stored there.
  if (target >= PatchFile::kSlots || !editedBank()) return;
  // A copy: the store resizes the edited bank, which may be the source.
  const LibrarianPatch patch = bank->patches[static_cast<size_t>(row)];
  if (patch.messages.empty()) return;
  library->selectedUpperSlot = target;
  editor->SetLibrarianRequestActive(true);
  for (const PatchSysexMessage& message : patch.messages) {
    const std::vector<uint8_t> bytes(message.begin(), message.end());
    ISysEx sysex(0, bytes.data(), static_cast<int32_t>(bytes.size()));
    editor->ProcessSysEx(&sysex, true);
  }
  editor->SetLibrarianStatusUnsaved(true);
}

// ==== MOUSE AND KEYS ==========================================================

void LibrarianViewControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  mPressed = false;
  if (mod && mod->R) {
    SetDirty(true);
    hitTest(x, y, true, true);
    if (library) {
      library->selectedUpperSlot = selectedUpperRow.load();
      library->selectedLowerSlot = selectedLowerRow.load();
    }
    if (editor) {
      if (selectedUpperRow >= 0)
        editor->showFileEditMenu(x, y);
      else
        editor->showFileCopyMenu(x, y);
    }
  } else if (mod && mod->L) {
    mPressed = true;
    mPressX = x;
    mPressY = y;
    endRename();
    if (editor && editor->patchRenameLayer) editor->patchRenameLayer->Hide(true);
    SetDirty(true);
    hitTest(x, y, true, true);
    if (library) library->selectedUpperSlot = selectedUpperRow.load();
    currentRow = selectedUpperRow.load();
    if (library) library->selectedLowerSlot = selectedLowerRow.load();
    setCurrentPatchDirectly(selectedUpperRow);
  }
  const int row = selectedUpperRow >= 0 ? selectedUpperRow.load() : selectedLowerRow.load();
  if (editor) editor->DisplayLibrarianPatchCategory(row, activeColumn);
}

void LibrarianViewControl::OnMouseDblClick(int x, int y, IMouseMod*) {
  endRename();
  SetDirty(true);
  const IParam* output = editor ? editor->GetParam(kDeviceOutSelection) : nullptr;
  if (!output || output->Value() == 0.0) return;
  hitTest(x, y, true, true);
  const int hit = selectedUpperRow >= 0 ? selectedUpperRow.load() : selectedLowerRow.load();
  currentRow = hit;
  selectInActiveColumn(hit);
  setCurrentPatchDirectly(hit);
  if (hit >= 0) editor->sendPatchToDeviceFromLibrarian(hit, activeColumn);
}

bool LibrarianViewControl::OnKeyDown(int, int, int key) {
  endRename();
  const int current = currentRow;
  int row;
  switch (key) {
    case KEY_UPARROW:
      row = current > 0 ? current - 1 : rowCount - 1;
      break;
    case KEY_DOWNARROW:
      row = current < rowCount - 1 ? current + 1 : 0;
      break;
    case KEY_LEFTARROW:
      row = current - kSubColumnRows + (current < kSubColumnRows ? rowCount : 0);
      break;
    case KEY_RIGHTARROW:
      row = current + kSubColumnRows;
      if (row >= rowCount) row -= rowCount;
      break;
    default:
      return false;  // the key goes on to the host
  }
  currentRow = row;
  selectInActiveColumn(row);
  setCurrentPatchDirectly(row);
  SetDirty(true);
  if (editor) editor->sendPatchToDeviceFromLibrarian(row, activeColumn);
  return true;
}

void LibrarianViewControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
  if (editor) editor->flags.librarianRenaming = false;
  SetDirty(true);
  if (!dragEnabled) return;
  const int left = x - rowWidth / 2;
  const int top = y - rowHeight / 2;
  dragMarker = IRECT(left, top, left + rowWidth, top + rowHeight);
  if (dragging) {
    dropRow = upperRowAt(x, y);
    return;
  }
  // A drag takes the row the button went down on: a hand's first move, or a
  // quick one, may already have left that row.
  if (mPressed) {
    hitTest(mPressX, mPressY, false, false);
    mPressed = false;
  }
  if (selectedLowerRow < 0) hitTest(x, y, false, false);
  const int lower = selectedLowerRow;
  if (lower < 0) return;  // the drag starts once the pointer is over a lower row
  dragging = true;
  dropRow = upperRowAt(x, y);
  // The dragged row is also what the next Paste takes.
  copyRow = lower;
  mCopySource = lowerSourceSnapshot();
}

void LibrarianViewControl::OnMouseUp(int x, int y, IMouseMod*) {
  if (editor) editor->flags.librarianRenaming = false;
  SetDirty(true);
  mPressed = false;
  if (!dragging) return;
  dragging = false;
  dropRow = -1;
  dragMarker = IRECT();
  hitTest(x, y, false, true);
  const int target = selectedUpperRow;
  if (library) library->selectedUpperSlot = target;
  if (target < 0) return;
  copyIntoSlot(target, mCopySource, copyRow);
}

const std::string& LibrarianViewControl::shownName(IGraphics* graphics, int column, int index, int room) {
  ITextControl* row = (column == 0 ? upperRows : lowerRows)[static_cast<size_t>(index)];
  KIT_String text;
  row->GetTextCopy(&text);
  ShownName& shown = mShownNames[column][static_cast<size_t>(index)];
  if (shown.measured && shown.source == (text.Get() ? text.Get() : "") && shown.room == room)
    return shown.text;
  shown.source = text.Get() ? text.Get() : "";
  shown.room = room;
  shown.measured = true;
  std::string name = trimmedName(shown.source);
  IText* style = row->GetText();
  const auto width = [&](const std::string& s) {
    IRECT box(0, 0, room, rowHeight);
    graphics->MeasureIText(style, const_cast<char*>(s.c_str()), &box);
    return box.W();
  };
  if (!name.empty() && width(name) > room) {
    // Cut with an ellipsis: the full name shows in the rename field and,
    // once sent, as the patch name.
    while (!name.empty() && width(name + kEllipsis) > room) name.pop_back();
    name = trimmedName(name) + kEllipsis;
  }
  shown.text = name;
  return shown.text;
}

void LibrarianViewControl::drawRow(IGraphics* graphics, int column, int index, bool selected) {
  ITextControl* row = (column == 0 ? upperRows : lowerRows)[static_cast<size_t>(index)];
  const IRECT rect = row->GetRECT();
  IText* style = row->GetText();
  char number[12];
  std::snprintf(number, sizeof number, "%02d", index + 1);
  if (mNameIndent < 0) {
    IRECT box = rect;
    graphics->MeasureIText(&mNumberStyle, number, &box);
    mNameIndent = box.W() + std::max(2, TruncateToInt(2 * scale));
  }
  // Row 99 is no program (it shows a 100th patch of a longer bank).
  if (index < PatchFile::kSlots) {
    // The smaller number sits on the name's base line: a line centred in
    // the row has its base line 0.3 of its size below the middle.
    const int drop = TruncateToInt((style->mSize - mNumberStyle.mSize) * 0.3 + 0.5);
    IRECT numberRect(rect.L, rect.T + drop, rect.R, rect.B + drop);
    mNumberStyle.mColor = selected ? kSelectedNumberGrey : kNumberGrey;
    graphics->DrawIText(&mNumberStyle, number, &numberRect);
  }

  IRECT nameRect(rect.L + mNameIndent, rect.T, rect.R, rect.B);
  const std::string& name = shownName(graphics, column, index, nameRect.W());
  if (name.empty()) return;
  style->mColor = selected ? COLOR_BLACK : COLOR_WHITE;
  graphics->DrawIText(style, const_cast<char*>(name.c_str()), &nameRect);
  style->mColor = COLOR_WHITE;
}

bool LibrarianViewControl::Draw(IGraphics* graphics) {
  IBitmapControl::Draw(graphics);
  const auto drawColumn = [&](int column, int selected) {
    if (selected >= 0 && selected < rowCount) {
      IRECT r = (column == 0 ? upperRows : lowerRows)[static_cast<size_t>(selected)]->GetRECT();
      graphics->FillIRect(&kSelectionGrey, &r);
    }
    for (int i = 0; i < rowCount; ++i) drawRow(graphics, column, i, i == selected);
  };
  drawColumn(0, selectedUpperRow);
  drawColumn(1, selectedLowerRow);
  if (dragging) {
    graphics->FillIRect(&kSelectionGrey, &dragMarker);
    // The slot the patch would land in is outlined over the marker.
    if (dropRow >= 0 && dropRow < rowCount) {
      const IRECT r = upperRows[static_cast<size_t>(dropRow)]->GetRECT();
      const int t = std::max(2, TruncateToInt(2 * scale));
      IRECT edges[4] = {IRECT(r.L, r.T, r.R, r.T + t), IRECT(r.L, r.B - t, r.R, r.B),
                        IRECT(r.L, r.T, r.L + t, r.B), IRECT(r.R - t, r.T, r.R, r.B)};
      for (IRECT& edge : edges) graphics->FillIRect(&kDropAmber, &edge);
    }
  }
  return true;
}
