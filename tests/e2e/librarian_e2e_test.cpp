// The librarian end to end over JACK with the simulated Varno, driven through
// the host program's editor commands: 40 programs requested from the main
// menu fill the edited bank, a drag from the source column moves one onto
// another slot, the bank is saved over its file, and a new host that loads
// the library again sends the moved patch from that slot. The saved file is
// read by an outside reader: python3-mido for the Standard MIDI form, byte by
// byte for the SysEx form.
//
// The librarian's hot zones are at the places the window design gives them:
// the main menu at (1160,107), the edited bank's folder menu at (1160,143),
// the source bank's menus at (1160,183).
#include <cstdio>
#include <fstream>
#include <map>

#include "tests/e2e/librarian_fixture.h"

namespace e2e {
namespace {

constexpr int kRequested = 40;
constexpr int kMovedFrom = 5, kMovedTo = 20, kCopiedTo = 60, kSeedProgram = 98;

std::vector<int> HexBytes(const std::string& text) {
  std::vector<int> bytes;
  std::istringstream stream(text);
  for (std::string hex; stream >> hex;) bytes.push_back(static_cast<int>(strtol(hex.c_str(), nullptr, 16)));
  return bytes;
}

// The SysEx messages of a bank file, each from F0 to F7. A Standard MIDI
// file is read by mido (its data without F0 and F7, which are put back).
std::vector<std::vector<int>> BankMessages(const std::string& path, bool smf) {
  std::vector<std::vector<int>> messages;
  if (smf) {
    const std::string script =
        "import mido,sys\n"
        "for track in mido.MidiFile(sys.argv[1], clip=True).tracks:\n"
        "  for m in track:\n"
        "    if m.type == 'sysex': print(' '.join('%02X' % b for b in m.data))\n";
    const std::string command = "/usr/bin/python3 -c \"" + script + "\" '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return messages;
    char line[4096];
    while (fgets(line, sizeof line, pipe)) {
      std::vector<int> message = HexBytes(line);
      if (message.empty()) continue;
      message.insert(message.begin(), 0xF0);
      message.push_back(0xF7);
      messages.push_back(message);
    }
    pclose(pipe);
    return messages;
  }
  return RawBankMessages(path);
}

// A bank of 99 copies of one dump, the program byte set to the slot, in the
// file's form (the Standard MIDI file written by mido).
void WriteSeedBank(const std::string& path, bool smf, const std::vector<int>& dump) {
  std::string hex;
  std::string raw;
  for (int slot = 0; slot < kSlots; ++slot) {
    std::vector<int> message = dump;
    message[5] = slot;
    for (size_t i = 0; i < message.size(); ++i) {
      raw.push_back(static_cast<char>(message[i]));
      if (i > 0 && i + 1 < message.size()) hex += std::to_string(message[i]) + ",";
    }
    hex += ";";
  }
  if (!smf) {
    std::ofstream(path, std::ios::binary) << raw;
    return;
  }
  const std::string script =
      "import mido,sys\n"
      "f = mido.MidiFile(); t = mido.MidiTrack(); f.tracks.append(t)\n"
      "for m in sys.argv[2].split(';'):\n"
      "  if m: t.append(mido.Message('sysex', data=[int(b) for b in m.split(',') if b]))\n"
      "f.save(sys.argv[1])\n";
  const std::string command = "/usr/bin/python3 -c \"" + script + "\" '" + path + "' '" + hex + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
}

struct BankForm {
  const char* fileName;
  bool smf;
};
void PrintTo(const BankForm& form, std::ostream* out) { *out << form.fileName; }

class LibrarianEndToEnd : public LibrarianPageEndToEnd, public ::testing::WithParamInterface<BankForm> {
 protected:
  // Saves the edited bank over its file until the file's messages pass the
  // test (the editor takes the received patches in as they come); the
  // messages of the last reading.
  std::vector<std::vector<int>> SaveUntil(
      Host& host, const std::string& path, bool smf,
      const std::function<bool(const std::vector<std::vector<int>>&)>& test) {
    const auto deadline = steady_clock::now() + kDeadline;
    std::vector<std::vector<int>> messages;
    while (steady_clock::now() < deadline) {
      EXPECT_TRUE(MainMenu(host, "Save (Overwrite current bank)"));
      messages = BankMessages(path, smf);
      if (test(messages)) break;
      host.Command("wait 200");
    }
    return messages;
  }
};

TEST_P(LibrarianEndToEnd, RequestedProgramsMovedBySavedAndReloaded) {
  const BankForm form = GetParam();
  Simulator sim(m_dir);
  ASSERT_TRUE(sim.Ready());
  const std::string patches = m_dir + "/data/Patches";
  const std::string bankPath = patches + "/" + form.fileName;

  std::map<int, std::vector<int>> sounds;  // the Varno's programs
  for (int program : {kMovedFrom, kMovedTo, kSeedProgram})
    sounds[program] = SoundPart(sim.ProgramDump(program));
  for (int program = 0; program < kRequested; ++program)
    sounds[program] = SoundPart(sim.ProgramDump(program));
  ASSERT_EQ(sounds[kSeedProgram].size(), kSoundEnd - kSoundFirst);
  ASSERT_NE(sounds[kMovedFrom], sounds[kMovedTo]);
  WriteSeedBank(bankPath, form.smf, sim.ProgramDump(kSeedProgram));
  ASSERT_EQ(BankMessages(bankPath, form.smf).size(), static_cast<size_t>(kSlots));

  // Whether each slot holds the sound expected of it.
  auto holds = [&](const std::vector<std::vector<int>>& messages, bool moved) {
    if (messages.size() != static_cast<size_t>(kSlots)) return false;
    for (int slot = 0; slot < kSlots; ++slot) {
      const int program = slot >= kRequested ? kSeedProgram : moved && slot == kMovedTo ? kMovedFrom : slot;
      if (SoundPart(messages[static_cast<size_t>(slot)]) != sounds[program]) return false;
    }
    return true;
  };

  {
    Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
    ASSERT_TRUE(host.Open());
    OpenPorts(host, sim);
    ShowLibrarian(host);
    // The bank beside the factory library is the one edited, and the source.
    ChooseEditedBank(host, form.fileName);
    ChooseSourceBank(host, form.fileName);

    // 40 programs requested: the Varno answers each with its dump, and the
    // edited bank (the upper column) holds them in slots 1 to 40.
    auto answered = [](const std::vector<Record>& r) {
      int count = 0;
      for (const Record& x : r)
        if (x.direction == "in" && x.kind == "program-request" && x.outcome == "answered") ++count;
      return count;
    };
    // The choice is dropped while the data thread still runs the enquiry's
    // job: chosen again until the requests begin.
    std::vector<Record> records;
    for (const auto deadline = steady_clock::now() + kDeadline;
         answered(records) == 0 && steady_clock::now() < deadline;) {
      ASSERT_TRUE(MainMenu(host, "Request Patch Data>First 40 from Memory"));
      host.Command("wait 500");
      records = sim.Records();
    }
    records = sim.WaitFor([&](const std::vector<Record>& r) { return answered(r) >= kRequested; });
    std::string kinds;
    for (const Record& x : records) kinds += x.direction + " " + x.kind + " " + x.outcome + "\n";
    ASSERT_EQ(answered(records), kRequested) << kinds;
    auto saved = SaveUntil(host, bankPath, form.smf, [&](const auto& m) { return holds(m, false); });
    ASSERT_TRUE(holds(saved, false)) << "the saved bank does not hold the 40 requested programs";

    // Slot 6 of the source column (the same bank) dragged onto slot 21 of
    // the edited one; in small steps, so that the drag begins over its row.
    EXPECT_EQ(host.Command("drag " + ListRow(1, kMovedFrom).Centre() + " " + ListRow(0, kMovedTo).Centre() +
                           " 100"),
              "dragged from " + ListRow(1, kMovedFrom).Centre() + " to " + ListRow(0, kMovedTo).Centre());
    saved = SaveUntil(host, bankPath, form.smf, [&](const auto& m) { return holds(m, true); });
    ASSERT_TRUE(holds(saved, true)) << "the saved bank does not hold the moved patch in slot "
                                    << kMovedTo + 1;
    EXPECT_EQ(host.Quit(), 0);
  }

  // No temporary file of the save is left beside the bank (and the factory
  // library's folder).
  EXPECT_EQ(std::system(("test $(ls -A '" + patches + "' | grep -vx Factory | wc -l) -eq 1").c_str()), 0);

  // A new host loads the library from its folder again: the moved patch,
  // dragged from its slot in the source column onto another slot of the
  // edited bank, is saved there too.
  Host host(m_dir, EDITOR_BUNDLE, kWindowCommands);
  ASSERT_TRUE(host.Open());
  ShowLibrarian(host);
  ChooseEditedBank(host, form.fileName);
  ChooseSourceBank(host, form.fileName);
  EXPECT_EQ(
      host.Command("drag " + ListRow(1, kMovedTo).Centre() + " " + ListRow(0, kCopiedTo).Centre() + " 100"),
      "dragged from " + ListRow(1, kMovedTo).Centre() + " to " + ListRow(0, kCopiedTo).Centre());
  auto copied = [&](const std::vector<std::vector<int>>& m) {
    return m.size() == static_cast<size_t>(kSlots) && SoundPart(m[kCopiedTo]) == sounds[kMovedFrom] &&
           SoundPart(m[kMovedTo]) == sounds[kMovedFrom];
  };
  const auto saved = SaveUntil(host, bankPath, form.smf, copied);
  EXPECT_TRUE(copied(saved)) << "the reloaded bank does not hold the moved patch in slot " << kMovedTo + 1;
  EXPECT_EQ(host.Quit(), 0);
}

INSTANTIATE_TEST_SUITE_P(BankForms, LibrarianEndToEnd,
                         ::testing::Values(BankForm{"Moved.mid", true}, BankForm{"Moved.syx", false}),
                         [](const ::testing::TestParamInfo<BankForm>& info) {
                           return std::string(info.param.smf ? "StandardMidi" : "SysEx");
                         });

}  // namespace
}  // namespace e2e
