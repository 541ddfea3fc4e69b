// Reading sound messages out of file images, padding banks, converting
// second-generation sounds, and the bank images the library writes.
#include "tests/library/library_editor.h"

namespace {

std::string soundName(int number) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02d", number);
  return std::string("Sound       ") + digits;
}

// Reads a whole image the way the loader does.
PatchFile readImage(PatchLibrarian& library, const Bytes& image) {
  PatchFile bank;
  auto chunk = chunkOf(image);
  library.loadFromChunk(chunk.get(), chunk->Size(), &bank, 0);
  return bank;
}

// Sets slot n (1..8) of a second-generation message.
void setSlot(Bytes& m, int n, int source, int amount, int destination) {
  m[58 + 3 * n] = static_cast<unsigned char>(source);
  m[59 + 3 * n] = static_cast<unsigned char>(amount);
  m[60 + 3 * n] = static_cast<unsigned char>(destination);
}

}  // namespace

// ---- Reading ----

TEST(FileReader, plainDumpBecomesANamedRecord) {
  PatchLibrarian library;
  const Bytes dump = plainDump(0x22);
  const PatchFile bank = readImage(library, join({dump, Bytes(20, 0)}));
  ASSERT_EQ(bank.patches.size(), 99u) << "padded with numbered fillers";
  const LibrarianPatch& first = bank.patches[0];
  EXPECT_EQ(first.name, "SOUND       01");
  EXPECT_EQ(first.category, "INIT");
  Bytes expected = {0xF0, 0x3E, 0x0B, 0x00, 0x01, 0x00};
  expected.insert(expected.end(), dump.begin() + 6, dump.begin() + 75);
  expected.push_back(0x00);
  const std::string name = soundName(1);
  expected.insert(expected.end(), name.begin(), name.end());
  expected.insert(expected.end(), {0x14, 0xF7});
  ASSERT_EQ(first.messages.size(), 1u);
  EXPECT_EQ(first.messages[0], expected);
  EXPECT_EQ(bank.patches[98].name, "SOUND       99");
}

TEST(FileReader, messagesTakeTheirSlotNumber) {
  PatchLibrarian library;
  const PatchFile bank = readImage(library, join({plainDump(1), plainDump(2), plainDump(3), plainDump(4)}));
  EXPECT_EQ(bank.patches[3].name, "SOUND       04");
  EXPECT_EQ(bank.patches[3].messages[0][5], 3);
}

TEST(FileReader, seventySevenByteMessageLosesItsByteSeventyFour) {
  PatchLibrarian library;
  Bytes m = plainDump(5);
  m.insert(m.end() - 1, 0x33);  // 76 bytes before the F7
  const PatchFile bank = readImage(library, m);
  const Bytes& record = bank.patches[0].messages[0];
  ASSERT_EQ(record.size(), 92u);
  EXPECT_EQ(record[74], 0x00);
  EXPECT_EQ(record[75], 0x33);
  EXPECT_EQ(std::string(record.begin() + 76, record.begin() + 90), soundName(1));
}

TEST(FileReader, recordNameIsUpperCasedAndRecordKeepsItsCase) {
  PatchLibrarian library;
  const PatchFile bank = readImage(library, libraryRecord(9, "Bass 1", 3, 40));
  EXPECT_EQ(bank.patches[0].name, "BASS 1        ");
  EXPECT_EQ(bank.patches[0].category, "BASS");
  const Bytes& record = bank.patches[0].messages[0];
  EXPECT_EQ(std::string(record.begin() + 76, record.begin() + 82), "Bass 1");
  EXPECT_EQ(record[5], 0) << "the program byte becomes the slot";
}

// Messages that are skipped or dropped leave the following ones readable.
TEST(FileReader, rejectedMessagesAreSkipped) {
  const struct {
    const char* why;
    Bytes first;
  } kCases[] = {
      {"command 0x11", soundMessage(Bytes(69, 1), 0x0B, 0, 0x11)},
      {"model 0x0C", soundMessage(Bytes(69, 1), 0x0C)},
      {"device 0x80", soundMessage(Bytes(69, 1), 0x0B, 0x80)},
      {"program 0x80", soundMessage(Bytes(69, 1), 0x0B, 0, 0, 0x80)},
      {"70-byte message", soundMessage(Bytes(63, 1))},
      {"stray 3E", {0x3E, 0xF7, 0x00}},
  };
  for (const auto& c : kCases) {
    PatchLibrarian library;
    const PatchFile bank = readImage(library, join({c.first, plainDump(8)}));
    ASSERT_EQ(bank.patches.size(), 99u) << c.why;
    EXPECT_EQ(bank.patches[0].messages[0][6], 8) << c.why << ": the next message is the first patch";
  }
}

TEST(FileReader, messageCutByTheEndOfTheImageIsNotStored) {
  PatchLibrarian library;
  Bytes cut = plainDump(2);
  cut.pop_back();
  const PatchFile bank = readImage(library, join({plainDump(1), cut}));
  EXPECT_EQ(bank.patches[0].messages[0][6], 1);
  EXPECT_EQ(bank.patches[1].name, "SOUND       02") << "slot 1 is a filler, not the cut message";
  EXPECT_EQ(bank.patches[1].messages[0][6], 0x40);

  PatchFile alone;
  auto chunk = chunkOf(cut);
  int pos = 0;
  EXPECT_EQ(library.readSysexMessage(chunk.get(), pos, &alone, 0), -1);
  EXPECT_TRUE(alone.patches.empty());
}

TEST(FileReader, recordsShorterThanAWholeRecordGetNoNameOrCategory) {
  for (size_t body : {71u, 80u, 84u, 85u}) {  // records of 78, 87, 91 and 92 bytes
    PatchLibrarian library;
    Bytes m = soundMessage(Bytes(body, 0x41));
    PatchFile bank;
    auto chunk = chunkOf(m);
    int pos = 0;
    library.readSysexMessage(chunk.get(), pos, &bank, 0);
    ASSERT_EQ(bank.patches.size(), 1u);
    const bool whole = bank.patches[0].messages[0].size() == 92;
    EXPECT_EQ(bank.patches[0].name, whole ? std::string(14, 'A') : "") << body;
    EXPECT_EQ(bank.patches[0].category, whole ? "INIT" : "") << body;
  }
}

TEST(FileReader, smallImagesAndTheMidiHeaderDecideByContent) {
  PatchLibrarian library;
  EXPECT_TRUE(readImage(library, Bytes(14, 0x3E)).patches.empty());
  EXPECT_TRUE(readImage(library, Bytes(15, 0x00)).patches.empty()) << "no message: empty and not padded";

  // A raw image whose first bytes are the MIDI header: scanning starts at 14,
  // so a message that begins before byte 14 is not found.
  Bytes midiHeader = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  Bytes early = join({midiHeader, plainDump(1)});
  EXPECT_EQ(readImage(library, early).patches.size(), 0u);
  Bytes late = join({midiHeader, Bytes(6, 0), plainDump(1)});
  EXPECT_EQ(readImage(library, late).patches.size(), 99u);
}

// A bank file's records are read where they lie; every message, of a whole
// record's length or not, must come out as reading the image message by
// message makes it. The changed messages follow a record, where the reader
// expects the next record to start.
TEST(FileReader, recordsReadInPlaceMatchMessageByMessageReading) {
  const Bytes whole = libraryRecord(5, "Keys", 6, 7);
  auto with = [&](std::initializer_list<std::pair<size_t, unsigned char>> changes) {
    Bytes record = whole;
    for (const auto& change : changes) record[change.first] = change.second;
    return record;
  };
  const Bytes midiHeader = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 1, 0xE0};
  const struct {
    const char* why;
    Bytes image;
  } kCases[] = {
      {"records back to back", join({whole, libraryRecord(6, "Pad", 9), libraryRecord(7, "Bass", 3)})},
      {"the last record ends the image", join({whole, libraryRecord(6, "Lead", 7)})},
      {"an F7 early in the body", join({whole, with({{40, 0xF7}}), whole})},
      {"an F7 just before the record's end", join({whole, with({{89, 0xF7}}), whole})},
      {"an F7 as the first body byte", join({whole, with({{6, 0xF7}}), whole})},
      {"no F7 where a record ends", join({whole, with({{91, 0x10}}), Bytes{0x22, 0xF7, 0x00}, whole})},
      {"second generation at a record's length", join({whole, with({{2, 0x16}}), whole})},
      {"model, device, command and program refused",
       join({whole, with({{2, 0x0C}}), with({{3, 0x80}}), with({{4, 0x11}}), with({{5, 0x80}}), whole})},
      {"bytes between records", join({whole, Bytes{0x00, 0x3E, 0x01}, whole, Bytes(7, 0x20), whole})},
      {"no byte between one record's F7 and the next manufacturer byte",
       join({Bytes(whole.begin(), whole.end() - 1), Bytes(whole.begin() + 1, whole.end()), whole})},
      {"after a file header", join({midiHeader, whole, whole})},
      {"a record cut by the end", join({whole, Bytes(whole.begin(), whole.end() - 1)})},
      {"more records than slots", join(std::vector<Bytes>(120, whole))},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    PatchLibrarian library;
    const PatchFile inPlace = readImage(library, c.image);
    // Message by message, each in a copy of its own, the program moving on
    // as the loader's does.
    auto chunk = chunkOf(c.image);
    PatchFile expected;
    int pos = c.image.size() > 8 && c.image[0] == 'M' ? 14 : 0;
    int program = 0;
    while (library.readSysexMessage(chunk.get(), pos, &expected, program) > 0)
      if (!expected.patches.empty()) program = program + 1 > 98 ? 0 : program + 1;
    ASSERT_FALSE(expected.patches.empty());
    ASSERT_GE(inPlace.patches.size(), expected.patches.size());
    for (size_t i = 0; i < expected.patches.size(); ++i) {
      EXPECT_EQ(inPlace.patches[i].messages, expected.patches[i].messages) << "patch " << i;
      EXPECT_EQ(inPlace.patches[i].name, expected.patches[i].name) << "patch " << i;
      EXPECT_EQ(inPlace.patches[i].category, expected.patches[i].category) << "patch " << i;
    }
  }
}

TEST(FileReader, findByte) {
  PatchLibrarian library;
  auto chunk = chunkOf({1, 2, 0x3E, 4});
  int pos = 0;
  EXPECT_TRUE(library.findByte(chunk.get(), pos, 0x3E));
  EXPECT_EQ(pos, 3);
  EXPECT_FALSE(library.findByte(chunk.get(), pos, 0x3E));
  EXPECT_EQ(pos, -1);
  EXPECT_FALSE(library.findByte(chunk.get(), pos, 1));
}

// ---- Normalisation ----

TEST(BankPadding, numberedFillersCompleteAFreshBank) {
  PatchLibrarian library;
  PatchFile bank;
  for (int i = 0; i < 95; ++i) bank.patches.push_back(recordPatch(i, "Real", 7));
  library.checkBankSizeAndAddData(&bank);
  ASSERT_EQ(bank.patches.size(), 99u);
  for (int slot = 95; slot < 99; ++slot) {
    EXPECT_EQ(bank.patches[slot].name, "SOUND       " + std::to_string(slot + 1));
    EXPECT_EQ(bank.patches[slot].category, "INIT");
    EXPECT_EQ(bank.patches[slot].messages[0].size(), 92u);
    EXPECT_EQ(bank.patches[slot].messages[0][4], 0x00);
  }
}

TEST(BankPadding, banksThatAreLeftAlone) {
  PatchLibrarian library;
  PatchFile empty, full, switched;
  for (int i = 0; i < 99; ++i) full.patches.push_back(recordPatch(i, "F", 1));
  switched.patches.push_back(recordPatch(1, "S", 1));
  switched.paddingSwitch = 1;
  for (PatchFile* bank : {&empty, &full, &switched}) {
    const size_t before = bank->patches.size();
    library.checkBankSizeAndAddData(bank);
    EXPECT_EQ(bank->patches.size(), before);
  }
  library.fillUncompletedBankFiles(&empty);
  ASSERT_EQ(empty.patches.size(), 99u);
  EXPECT_EQ(empty.patches[0].messages[0], Bytes(initSinglePatch, initSinglePatch + 76));
  EXPECT_EQ(empty.patches[0].name, "");
  library.fillUncompletedBankFiles(&full);
  EXPECT_EQ(full.patches.size(), 99u);
}

// ---- Conversion ----

TEST(SecondGenerationConversion, tableOfTargetBytes) {
  PatchLibrarian library;
  Bytes source = secondGenerationMessage(139);
  for (int n = 1; n <= 8; ++n) setSlot(source, n, 0, 64, 1);
  setSlot(source, 1, 3, 64, 0);   // pitch destination but empty: stays a unit
  setSlot(source, 2, 4, 70, 0);   // the pitch slot
  setSlot(source, 3, 5, 71, 0);   // a second pitch slot: a unit with destination 0
  setSlot(source, 4, 20, 72, 5);  // unit source limited to 15
  setSlot(source, 5, 9, 73, 10);  // the cutoff slot
  source[7] = 3;                  // oscillator 1 shape 3 -> 0
  source[13] = 5;                 // oscillator 2 shape 5 -> 3
  source[19] = 2;                 // oscillator 3 shape 2 stays
  source[30] = 0;                 // portamento mode 0 -> 1
  source[36] = 9;                 // envelope trigger 9 -> 3
  source[42] = 2;
  for (int i = 0; i < 14; ++i) source[120 + i] = static_cast<unsigned char>("Mixed case nm!"[i]);
  source[134] = 9;

  const Bytes r = library.convertPatchToVarno1Format(&source, 5);
  ASSERT_EQ(r.size(), 92u);
  const struct {
    int byte;
    int value;
  } kExpected[] = {
      {0, 0xF0}, {1, 0x3E}, {2, 0x0B}, {3, 0},     {4, 1},   {5, 5},   {6, 9},   {7, 10},  {8, 0},   {9, 8},
      {10, 15},  {11, 16},  {12, 3},   {13, 14},   {14, 23}, {15, 17}, {16, 21}, {17, 22}, {18, 2},  {19, 12},
      {20, 18},  {21, 24},  {22, 58},  {23, 25},   {24, 26}, {25, 27}, {26, 28}, {27, 31}, {28, 32}, {29, 33},
      {30, 34},  {31, 64},  {32, 3},   {33, 37},   {34, 38}, {35, 39}, {36, 40}, {37, 64}, {38, 2},  {39, 70},
      {40, 4},   {41, 29},  {42, 1},   {43, 2},    {44, 3},  {45, 64}, {46, 0},  // unit 1: slot 1
      {47, 5},   {48, 71},  {49, 0},                                             // unit 2: slot 3
      {50, 15},  {51, 72},  {52, 5},  // unit 3: slot 4, source limited
      {53, 0},   {54, 64},  {55, 1},  // unit 4: slot 6
      {56, 43},  {57, 44},  {58, 45},  {59, 46},   {60, 48}, {61, 49}, {62, 53}, {63, 51}, {64, 54}, {65, 73},
      {66, 9},   {67, 50},  {68, 59},  {69, 60},   {70, 57}, {71, 0},  {72, 0},  {73, 0},  {74, 0},  {75, 0},
      {76, 'M'}, {89, '!'}, {90, 9},   {91, 0xF7},
  };
  for (const auto& e : kExpected) EXPECT_EQ(r[e.byte], e.value) << "byte " << e.byte;
}

TEST(SecondGenerationConversion, modulationRules) {
  PatchLibrarian library;
  Bytes source = secondGenerationMessage(135);
  for (int n = 1; n <= 8; ++n) setSlot(source, n, 2, 64, 3);
  setSlot(source, 1, 20, 80, 0);  // pitch slot with an unknown source: switched off
  setSlot(source, 2, 1, 81, 16);  // unit with an unknown destination: switched off
  source[30] = 7;                 // portamento mode 7 -> 2
  const Bytes r = library.convertPatchToVarno1Format(&source, 0x105);
  EXPECT_EQ(r[5], 0x05) << "the low byte of the program";
  EXPECT_EQ(r[39], 64);
  EXPECT_EQ(r[40], 0);
  EXPECT_EQ((Bytes{r[44], r[45], r[46]}), (Bytes{0, 64, 0}));
  EXPECT_EQ((Bytes{r[47], r[48], r[49]}), (Bytes{2, 64, 3}));
  EXPECT_EQ(r[42], 2);
  EXPECT_EQ(r[65], 64) << "no cutoff slot";
  EXPECT_EQ(r[66], 0);
}

TEST(SecondGenerationConversion, shortSourcesAreRefused) {
  PatchLibrarian library;
  Bytes source = secondGenerationMessage(134);
  EXPECT_TRUE(library.convertPatchToVarno1Format(&source, 0).empty());

  // Through the reader: a 139-byte message is converted and marks the file;
  // one of 101 to 135 bytes is dropped (at 135 the category byte would be
  // the message's own F7); one of 100 bytes or fewer is stored.
  const struct {
    size_t size;
    size_t stored;
    bool converted;
  } kCases[] = {
      {139, 92, true}, {136, 92, true},   {135, 0, false}, {134, 0, false},
      {101, 0, false}, {100, 100, false}, {92, 92, false},
  };
  for (const auto& c : kCases) {
    PatchLibrarian reader;
    PatchFile bank;
    auto chunk = chunkOf(join({secondGenerationMessage(c.size), plainDump(1)}));
    int pos = 0;
    reader.readSysexMessage(chunk.get(), pos, &bank, 0);
    EXPECT_EQ(reader.soundConverted, c.converted) << c.size;
    if (c.stored == 0) {
      EXPECT_TRUE(bank.patches.empty()) << c.size;
      continue;
    }
    ASSERT_EQ(bank.patches.size(), 1u) << c.size;
    EXPECT_EQ(bank.patches[0].messages[0].size(), c.stored) << c.size;
  }
}

// ---- Bank images ----

class BankImage : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 99; ++i) {
      bank.patches.push_back(recordPatch(i, "Patch " + std::to_string(i), i % 20));
      bank.patches.back().messages[0][5] = static_cast<unsigned char>(i);  // stored records carry their slot
    }
  }
  PatchFile bank;
  PatchLibrarian library;
};

TEST_F(BankImage, rawImageOf99RecordsRoundTrips) {
  ByteChunk image;
  PatchLibrarian::buildBankImage(bank, false, &image);
  ASSERT_EQ(image.Size(), 9108);
  const PatchFile read = readImage(library, bytesOf(image));
  ASSERT_EQ(read.patches.size(), 99u);
  for (int i = 0; i < 99; ++i) {
    EXPECT_EQ(read.patches[i].messages[0], bank.patches[i].messages[0]) << i;
    EXPECT_EQ(read.patches[i].name, bank.patches[i].name);
    EXPECT_EQ(read.patches[i].category, bank.patches[i].category);
  }
  ByteChunk again;
  PatchLibrarian::buildBankImage(read, false, &again);
  EXPECT_EQ(bytesOf(again), bytesOf(image)) << "byte for byte";
}

TEST_F(BankImage, standardMidiFileOf99SlotsRoundTrips) {
  ByteChunk image;
  PatchLibrarian::buildBankImage(bank, true, &image);
  ASSERT_EQ(image.Size(), 14209);
  const Bytes bytes = bytesOf(image);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 53),
            Bytes(midiSingleStartHeader_NL99, midiSingleStartHeader_NL99 + 53));
  EXPECT_EQ((Bytes{bytes[45], bytes[46], bytes[47], bytes[48]}), (Bytes{0x00, 0x00, 0x37, 0x50}));
  for (int n = 1; n < 99; ++n) {
    const size_t at = 191 + 143 * (n - 1);
    EXPECT_EQ(Bytes(bytes.begin() + at, bytes.begin() + at + 5), (Bytes{0x83, 0x74, 0xF0, 0x81, 0x0A})) << n;
    EXPECT_EQ(bytes[at + 5 + 4], n) << "slot number";
    EXPECT_EQ(bytes[at + 5 + 137], 0xF7);
  }
  EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
  const PatchFile read = readImage(library, bytes);
  ASSERT_EQ(read.patches.size(), 99u);
  for (int i = 0; i < 99; ++i) {
    EXPECT_EQ(read.patches[i].messages[0], bank.patches[i].messages[0]) << i;
  }
}

TEST_F(BankImage, shortBanksKeepTheFileLengthsTrue) {
  bank.patches.resize(40);
  bank.patches[3].messages.clear();
  ByteChunk midi, raw;
  PatchLibrarian::buildBankImage(bank, true, &midi);
  PatchLibrarian::buildBankImage(bank, false, &raw);
  EXPECT_EQ(midi.Size(), 14209) << "empty slots carry the init sound";
  EXPECT_EQ(raw.Size(), 39 * 92) << "empty slots contribute nothing to a raw image";
  bank.patches.resize(120, bank.patches[0]);
  ByteChunk cut;
  PatchLibrarian::buildBankImage(bank, false, &cut);
  EXPECT_EQ(cut.Size(), 98 * 92) << "slots after 98 are dropped";
}
