// The librarian's slots end to end, as a musician works them: the host
// program shows the editor headless, its editor commands play the mouse and
// keys, and the simulated Varno on JACK ports records what the editor sends.
// Each journey checks what the window shows (pictures of it) and the bytes
// that reach the Varno or the bank file, and then has a new host load the
// saved library again.
//
// The data folder is a freshly installed one (the factory library in
// Patches/Factory) with two banks of ours beside it in Patches: Edited.vrn,
// chosen in the edited bank's menu, and Source.vrn, chosen in the source
// bank's menu.

#include "tests/e2e/librarian_fixture.h"

namespace e2e {
namespace {

// The overlay of a slot rename and its name field.
constexpr int kRenameLeft = 570, kRenameTop = 269, kRenameRight = 930, kRenameBottom = 400;
constexpr int kFieldLeft = 598, kFieldTop = 331, kFieldRight = 902, kFieldBottom = 353;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kWell = 0x0E0F11;   // the dark of a display well
constexpr uint32_t kAmber = 0xFFAD00;  // the outline of the slot a drag would fill

class LibrarianSlotsEndToEnd : public LibrarianPageEndToEnd {
 protected:
  void SetUp() override {
    LibrarianPageEndToEnd::SetUp();
    if (IsSkipped()) return;
    const std::string patches = m_dir + "/data/Patches";
    m_editedPath = patches + "/Edited.vrn";
    m_edited = WriteLibraryBank(
        m_editedPath, 1, {"NIGHT DRIVE", "GLASS BELL", "DUSTY KEYS", "WARM PAD", "OLD LEAD", "SOFT STRINGS"});
    m_source = WriteLibraryBank(patches + "/Source.vrn", 2);
  }

  // The editor on the librarian page, our banks in its two columns.
  void ShowBothBanks(Host& host) {
    ShowLibrarian(host);
    ChooseEditedBank(host, "Edited.vrn");
    ChooseSourceBank(host, "Source.vrn");
  }

  std::string m_editedPath;
  std::vector<std::vector<int>> m_edited, m_source;
};

// Right-click a slot, Rename, type, Backspace, Return: the overlay's field
// is open for typing at once, the name selected, in the display's colours;
// the new name shows in the slot and is saved in the bank, and the slot's
// sound goes to the Varno unchanged. Rename, type and Escape leaves the name.
TEST_F(LibrarianSlotsEndToEnd, ASlotRenamedByKeyboardIsShownSentSavedAndLoadedAgain) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  constexpr int kRenamed = 4, kNamedAlike = 0, kLeft = 5;  // rows: slots 5, 1 and 6
  ASSERT_EQ(NameOf(m_edited[kNamedAlike]), "NIGHT DRIVE   ");
  {
    Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
    ASSERT_TRUE(host.Open());
    CloseWelcomeNote(host);
    OpenPorts(host, sim);
    ShowBothBanks(host);
    // The selection off the rows looked at.
    host.Command("click " + ListRow(0, 90).Centre());
    const Picture before = SettledSnapshot(host, "before");
    ASSERT_TRUE(before.Loaded());
    ASSERT_NE(NameArea(before, ListRow(0, kRenamed)), NameArea(before, ListRow(0, kNamedAlike)));

    ASSERT_TRUE(SlotMenu(host, 0, kRenamed, "Rename"));
    const Picture open = Snapshot(host, "rename-open");
    ASSERT_TRUE(open.Loaded());
    EXPECT_NE(Area(open, kRenameLeft, kRenameTop, kRenameRight, kRenameBottom),
              Area(before, kRenameLeft, kRenameTop, kRenameRight, kRenameBottom))
        << "no rename overlay shows";
    EXPECT_EQ(Colour(open, kFieldRight - 3, (kFieldTop + kFieldBottom) / 2), kWell)
        << "the field is not the display's";
    for (uint32_t colour : Area(open, kFieldLeft, kFieldTop, kFieldRight, kFieldBottom))
      ASSERT_NE(colour, kWhite) << "a white edit box";

    EXPECT_EQ(host.Command("type Night Drivex"), "typed 12 characters");
    EXPECT_EQ(host.Command("key backspace"), "pressed backspace");
    EXPECT_EQ(host.Command("key return"), "pressed return");
    host.Command("click " + ListRow(0, 90).Centre());
    const Picture renamed = Snapshot(host, "renamed");
    ASSERT_TRUE(renamed.Loaded());
    // The slot shows the name the first slot has (both upper-cased), and the
    // overlay is gone.
    EXPECT_EQ(NameArea(renamed, ListRow(0, kRenamed)), NameArea(renamed, ListRow(0, kNamedAlike)));
    EXPECT_EQ(Area(renamed, kRenameLeft, kRenameTop, kRenameRight, kRenameBottom),
              Area(before, kRenameLeft, kRenameTop, kRenameRight, kRenameBottom));

    // Escape leaves the next slot's name as it was and closes the overlay.
    ASSERT_TRUE(SlotMenu(host, 0, kLeft, "Rename"));
    host.Command("type Gone");
    EXPECT_EQ(host.Command("key escape"), "pressed escape");
    host.Command("click " + ListRow(0, 90).Centre());
    const Picture left = Snapshot(host, "left");
    ASSERT_TRUE(left.Loaded());
    EXPECT_EQ(NameArea(left, ListRow(0, kLeft)), NameArea(before, ListRow(0, kLeft)));
    EXPECT_EQ(Area(left, kRenameLeft, kRenameTop, kRenameRight, kRenameBottom),
              Area(before, kRenameLeft, kRenameTop, kRenameRight, kRenameBottom));

    // The renamed slot's sound reaches the Varno as it was; the editor shows
    // the new name as the patch's.
    EXPECT_TRUE(SendsSound(host, sim, 0, kRenamed, SoundPart(m_edited[kRenamed])));
    EXPECT_EQ(WaitForText(host, 78, "NIGHT DRIVE"), "parameter 78 shows: NIGHT DRIVE   ");

    const auto saved = SaveUntil(host, m_editedPath, [&](const std::vector<std::vector<int>>& records) {
      return records.size() == static_cast<size_t>(kSlots) && NameOf(records[kRenamed]) == "NIGHT DRIVE   ";
    });
    ASSERT_EQ(saved.size(), static_cast<size_t>(kSlots));
    EXPECT_EQ(NameOf(saved[kRenamed]), "NIGHT DRIVE   ");
    EXPECT_EQ(SoundPart(saved[kRenamed]), SoundPart(m_edited[kRenamed]));
    EXPECT_EQ(saved[kRenamed][90], m_edited[kRenamed][90]) << "the category changed";
    EXPECT_EQ(saved[kLeft], m_edited[kLeft]);
    EXPECT_EQ(host.Quit(), 0);
  }

  // A new host loads the saved bank: the slot keeps its new name.
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  ShowBothBanks(host);
  host.Command("click " + ListRow(0, 90).Centre());
  const Picture loaded = SettledSnapshot(host, "loaded");
  ASSERT_TRUE(loaded.Loaded());
  EXPECT_EQ(NameArea(loaded, ListRow(0, kRenamed)), NameArea(loaded, ListRow(0, kNamedAlike)));
  EXPECT_TRUE(SendsSound(host, sim, 0, kRenamed, SoundPart(m_edited[kRenamed])));
  EXPECT_EQ(WaitForText(host, 78, "NIGHT DRIVE"), "parameter 78 shows: NIGHT DRIVE   ");
  EXPECT_EQ(host.Quit(), 0);
}

// A Copy from the source column, then a drag by the host's drag command (in
// its usual ten steps, the first already off the source row) and a slow
// drag by hand with a little jitter: each copies the dragged patch, the
// target slot outlined while the drag lasts; a Paste then takes the row
// dragged last. The bank is saved and loaded again by a new host.
TEST_F(LibrarianSlotsEndToEnd, PatchesCopiedByDragsAndPastedAreShownSentSavedAndLoadedAgain) {
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  // Source rows and the edited rows they land on, of the same stripe of the
  // list's background.
  constexpr int kCopied = 8, kDragged = 2, kDraggedTo = 4, kByHand = 17, kByHandTo = 29, kPastedTo = 51;
  {
    Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
    ASSERT_TRUE(host.Open());
    CloseWelcomeNote(host);
    OpenPorts(host, sim);
    ShowBothBanks(host);
    ASSERT_TRUE(SlotMenu(host, 1, kCopied, "Copy"));

    const SlotRow from = ListRow(1, kDragged), to = ListRow(0, kDraggedTo);
    EXPECT_EQ(host.Command("drag " + from.Centre() + " " + to.Centre()),
              "dragged from " + from.Centre() + " to " + to.Centre());

    // By hand: the button goes down, the pointer trembles on the row, then
    // creeps to the target with a pixel of jitter at each step.
    const SlotRow source = ListRow(1, kByHand), target = ListRow(0, kByHandTo);
    EXPECT_EQ(host.Command("press " + source.Centre()), "pressed at " + source.Centre());
    for (const auto& [dx, dy] : {std::pair{1, 0}, {1, 1}, {0, -1}, {-1, 0}, {2, 1}})
      host.Command("move " + std::to_string(source.X() + dx) + " " + std::to_string(source.Y() + dy));
    constexpr int kSteps = 24;
    for (int step = 1; step <= kSteps; ++step) {
      const int jitter = step % 3 - 1;
      const int x = source.X() + (target.X() - source.X()) * step / kSteps + jitter;
      const int y = source.Y() + (target.Y() - source.Y()) * step / kSteps - jitter;
      host.Command("move " + std::to_string(x) + " " + std::to_string(y));
    }
    host.Command("move " + target.Centre());
    const Picture dragging = Snapshot(host, "dragging");
    ASSERT_TRUE(dragging.Loaded());
    for (const auto& [x, y] : {std::pair{target.L, target.T},
                               {target.R - 1, target.B - 1},
                               {target.L, target.B - 1},
                               {target.R - 1, target.T}})
      EXPECT_EQ(Colour(dragging, x, y), kAmber) << "the target slot is not outlined at " << x << "," << y;
    EXPECT_EQ(host.Command("release " + target.Centre()), "released at " + target.Centre());

    ASSERT_TRUE(SlotMenu(host, 0, kPastedTo, "Paste"));
    // The selection moved off the rows looked at.
    host.Command("click " + ListRow(0, 90).Centre());
    const Picture copied = SettledSnapshot(host, "copied");
    ASSERT_TRUE(copied.Loaded());
    EXPECT_NE(Colour(copied, target.L, target.T), kAmber) << "the outline stayed";
    EXPECT_EQ(NameArea(copied, ListRow(0, kDraggedTo)), NameArea(copied, ListRow(1, kDragged)));
    EXPECT_EQ(NameArea(copied, ListRow(0, kByHandTo)), NameArea(copied, ListRow(1, kByHand)));
    EXPECT_EQ(NameArea(copied, ListRow(0, kPastedTo)), NameArea(copied, ListRow(1, kByHand)));

    EXPECT_TRUE(SendsSound(host, sim, 0, kPastedTo, SoundPart(m_source[kByHand])));
    const auto holds = [&](const std::vector<std::vector<int>>& records) {
      return records.size() == static_cast<size_t>(kSlots) &&
             SoundPart(records[kDraggedTo]) == SoundPart(m_source[kDragged]) &&
             SoundPart(records[kByHandTo]) == SoundPart(m_source[kByHand]) &&
             SoundPart(records[kPastedTo]) == SoundPart(m_source[kByHand]);
    };
    const auto saved = SaveUntil(host, m_editedPath, holds);
    EXPECT_TRUE(holds(saved)) << "the saved bank does not hold the copied patches";
    EXPECT_EQ(NameOf(saved[kDraggedTo]), NameOf(m_source[kDragged]));
    EXPECT_EQ(host.Quit(), 0);
  }

  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  OpenPorts(host, sim);
  ShowBothBanks(host);
  EXPECT_TRUE(SendsSound(host, sim, 0, kDraggedTo, SoundPart(m_source[kDragged])));
  EXPECT_TRUE(SendsSound(host, sim, 0, kByHandTo, SoundPart(m_source[kByHand])));
  EXPECT_EQ(host.Quit(), 0);
}

// With the category banks in the source list, its next-bank button steps
// through every one of them (there are more than the two file banks) and
// wraps to the first; the source column shows each, and its slots send
// their sounds.
TEST_F(LibrarianSlotsEndToEnd, TheSourceListStepsThroughEveryCategoryBank) {
  // A library of our two banks alone (the user has put the factory library
  // away): two file banks and 20 category banks.
  ASSERT_EQ(std::system(("rm -rf '" + m_dir + "/data/Patches/Factory'").c_str()), 0);
  Simulator sim(m_dir);
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_NO_FATAL_FAILURE(OpenOnPorts(host, sim));
  ShowLibrarian(host);
  EXPECT_EQ(host.Command("set-param 141 1").rfind("parameter 141 set to", 0), 0u);  // categories
  // The slots of the two banks carry all 21 category codes; each code but
  // INIT has a bank.
  constexpr int kCategoryBanks = 20;
  std::vector<std::string> shown;
  for (int step = 1; step <= kCategoryBanks; ++step) {
    host.Command("set-param " + std::to_string(kLibLowerNextBank) + " 0");
    host.Command("set-param " + std::to_string(kLibLowerNextBank) + " 1");
    EXPECT_EQ(host.Param(190), step % kCategoryBanks) << "step " << step;
    shown.push_back(host.Command("get-param-text 190"));
  }
  for (size_t i = 0; i + 1 < shown.size(); ++i) EXPECT_NE(shown[i], shown[i + 1]);

  // The category bank of code 3 (BASS) lists the slots of that category in
  // library order: Edited.vrn's come first.
  for (int step = 0; step < 3; ++step) {
    host.Command("set-param " + std::to_string(kLibLowerNextBank) + " 0");
    host.Command("set-param " + std::to_string(kLibLowerNextBank) + " 1");
  }
  ASSERT_EQ(host.Param(190), 3);
  int first = -1;
  for (int slot = 0; slot < kSlots && first < 0; ++slot)
    if (m_edited[static_cast<size_t>(slot)][90] == 3) first = slot;
  ASSERT_GE(first, 0);
  EXPECT_TRUE(SendsSound(host, sim, 1, 0, SoundPart(m_edited[static_cast<size_t>(first)])));
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
}  // namespace e2e
