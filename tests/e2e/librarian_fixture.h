// The librarian page end to end: where its slots and menus lie at scale
// 1.0, bank files of whole library records for its data folder, its main
// and slot menus chosen as a user does, and the colours of areas of its
// window's pictures.
#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"
#include "tests/support/read_file.h"

namespace e2e {

constexpr int kMainTab = 194;           // 1: the librarian page
constexpr int kLibLowerNextBank = 120;  // steps the source list's bank
constexpr int kMainMenuX = 1160, kMainMenuY = 107;
constexpr int kSlots = 99;

// ---- The slot list -----------------------------------------------------------
// At (16,96): rows of 100 x 16 in sub-columns of 16 rows, 27 apart; the
// upper column (the edited bank) starts one pixel down, the lower (the
// source) 303 down. Each row shows its number, then from kNameIndent on the
// name.
struct SlotRow {
  int L, T, R, B;
  int X() const { return (L + R) / 2; }
  int Y() const { return (T + B) / 2; }
  std::string Centre() const { return std::to_string(X()) + " " + std::to_string(Y()); }
};
constexpr int kNameIndent = 16;

inline SlotRow ListRow(int column, int row) {
  const int left = 16 + (row / 16) * 127, top = 96 + (column == 0 ? 1 : 303) + (row % 16) * 16;
  return SlotRow{left, top, left + 100, top + 16};
}

// ---- Bank files ----------------------------------------------------------------
// The sound part of a dump or a library record (after the program number, up
// to the checksum) and a record's name.
constexpr size_t kSoundFirst = 6, kSoundEnd = 74, kNameFirst = 76, kNameEnd = 90;

inline std::vector<int> SoundPart(const std::vector<int>& message) {
  if (message.size() < kSoundEnd) return {};
  return std::vector<int>(message.begin() + kSoundFirst, message.begin() + kSoundEnd);
}

inline std::string NameOf(const std::vector<int>& record) {
  std::string name;
  for (size_t i = kNameFirst; i < kNameEnd && i < record.size(); ++i)
    name.push_back(static_cast<char>(record[i]));
  return name;
}

// A library record of 92 bytes: the sound dump of slot with sound bytes
// made from seed and slot, the name padded to 14 characters, the category.
inline std::vector<int> LibraryRecord(int seed, int slot, const std::string& name, int category) {
  std::vector<int> record = {0xF0, 0x3E, 0x0B, 0x00, 0x01, slot};
  for (int i = 6; i < 75; ++i) record.push_back((seed * 31 + slot * 7 + i * 13) & 0x7F);
  record.push_back(0);
  std::string field = name.substr(0, 14);
  field.resize(14, ' ');
  for (char c : field) record.push_back(static_cast<unsigned char>(c));
  record.push_back(category);
  record.push_back(0xF7);
  return record;
}

// A bank of 99 records as the library writes it: slot s is named names[s]
// (or "SEED <seed> <s + 1>" past the list); the categories run through all
// 21 codes.
inline std::vector<std::vector<int>> WriteLibraryBank(const std::string& path, int seed,
                                                      const std::vector<std::string>& names = {}) {
  std::vector<std::vector<int>> records;
  std::string bytes;
  for (int slot = 0; slot < kSlots; ++slot) {
    const std::string name = static_cast<size_t>(slot) < names.size()
                                 ? names[static_cast<size_t>(slot)]
                                 : "SEED " + std::to_string(seed) + " " + std::to_string(slot + 1);
    records.push_back(LibraryRecord(seed, slot, name, (slot + seed) % 21));
    for (int b : records.back()) bytes.push_back(static_cast<char>(b));
  }
  std::ofstream(path, std::ios::binary) << bytes;
  return records;
}

// The SysEx messages of a raw bank file, each from F0 to F7.
inline std::vector<std::vector<int>> RawBankMessages(const std::string& path) {
  std::vector<std::vector<int>> messages;
  std::vector<int> message;
  for (unsigned char c : ReadWholeFile(path)) {
    if (c == 0xF0) message.clear();
    message.push_back(c);
    if (c == 0xF7 && !message.empty() && message.front() == 0xF0) messages.push_back(message);
  }
  return messages;
}

// ---- Pictures of the window ------------------------------------------------------
// The colour at (x, y) of a picture as 0xRRGGBB.
inline uint32_t Colour(const Picture& picture, int x, int y) {
  const PIX_pixel p = picture.At(x, y);
  return static_cast<uint32_t>(PIX_Red(p) << 16 | PIX_Green(p) << 8 | PIX_Blue(p));
}

// The colours of an area, row by row.
inline std::vector<uint32_t> Area(const Picture& picture, int left, int top, int right, int bottom) {
  std::vector<uint32_t> colours;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) colours.push_back(Colour(picture, x, y));
  return colours;
}

// The name part of a slot's row.
inline std::vector<uint32_t> NameArea(const Picture& picture, const SlotRow& row) {
  return Area(picture, row.L + kNameIndent, row.T, row.R, row.B);
}

// ---- The librarian page ----------------------------------------------------------
class LibrarianPageEndToEnd : public EditorEndToEnd {
 protected:
  // Shows the librarian page.
  void ShowLibrarian(Host& host) {
    EXPECT_EQ(host.Command("set-param " + std::to_string(kMainTab) + " 1").rfind("parameter 194 set to", 0),
              0u);
  }

  // Chooses a main-menu entry (clicked again while the processing overlay
  // takes the clicks).
  bool MainMenu(Host& host, const std::string& path) {
    if (host.ChooseFromMenuAt(kMainMenuX, kMainMenuY, path)) return true;
    // The window as it was, for the failure's folder.
    host.Command("png " + m_dir + "/main-menu-failed.png");
    ADD_FAILURE() << "the main menu's entry \"" << path << "\" was not chosen";
    return false;
  }

  // What the window shows once it stays as it is for a while (the
  // processing overlay of a job that was running is gone).
  Picture SettledSnapshot(Host& host, const std::string& name) {
    Picture last = Snapshot(host, name);
    for (const auto deadline = steady_clock::now() + kDeadline; steady_clock::now() < deadline;) {
      host.Command("wait 400");
      Picture now = Snapshot(host, name);
      const bool same =
          now.Loaded() && last.Loaded() && now.Differences(last, 0, 0, now.Width(), now.Height()) == 0;
      last = std::move(now);
      if (same) break;
    }
    return last;
  }

  // Opens the slot menu (upper column) or the copy menu (lower column) of a
  // row with a right click and chooses path in it.
  bool SlotMenu(Host& host, int column, int row, const std::string& path) {
    const std::string clicked = host.Command("right-click " + ListRow(column, row).Centre());
    if (clicked.find("a menu is open") == std::string::npos) {
      ADD_FAILURE() << "no menu opened: " << clicked;
      return false;
    }
    const std::string chose = host.Command("menu " + path);
    EXPECT_EQ(chose, "chose " + path);
    return chose == "chose " + path;
  }

  // Waits until the parameter's text begins with prefix; its last text.
  std::string WaitForText(Host& host, int param, const std::string& prefix) {
    const std::string expected = "parameter " + std::to_string(param) + " shows: " + prefix;
    const auto deadline = steady_clock::now() + kDeadline;
    std::string shown = host.Command("get-param-text " + std::to_string(param));
    while (shown.rfind(expected, 0) != 0 && steady_clock::now() < deadline) {
      host.Command("wait 100");
      shown = host.Command("get-param-text " + std::to_string(param));
    }
    return shown;
  }

  // Double-clicks a slot (which sends its patch) until the Varno records a
  // sound dump whose sound is sound: a send is dropped while the editor's
  // data thread is still busy with an earlier job. The Varno's records are
  // cleared first.
  bool SendsSound(Host& host, Simulator& sim, int column, int row, const std::vector<int>& sound) {
    sim.Command("records clear");
    const auto received = [&](const std::vector<Record>& records) {
      for (const Record& r : Received(records, "sound-dump"))
        if (SoundPart(r.bytes) == sound) return true;
      return false;
    };
    const auto deadline = steady_clock::now() + kDeadline;
    while (steady_clock::now() < deadline) {
      host.Command("double-click " + ListRow(column, row).Centre());
      for (int poll = 0; poll < 20; ++poll) {
        if (received(sim.Records())) return true;
        host.Command("wait 100");
      }
    }
    return false;
  }

  // Saves the edited bank over its file until its records pass the test;
  // the records of the last reading.
  std::vector<std::vector<int>> SaveUntil(
      Host& host, const std::string& path,
      const std::function<bool(const std::vector<std::vector<int>>&)>& test) {
    const auto deadline = steady_clock::now() + kDeadline;
    std::vector<std::vector<int>> records;
    while (steady_clock::now() < deadline) {
      EXPECT_TRUE(MainMenu(host, "Save (Overwrite current bank)"));
      records = RawBankMessages(path);
      if (test(records)) break;
      host.Command("wait 200");
    }
    return records;
  }
};

}  // namespace e2e
