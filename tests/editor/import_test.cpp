// Single sounds imported from a file into the selected slot of the edited
// bank, and the category of a slot: each sound becomes a 92-byte library
// record fed to the receive path.
#include <string>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "src/LibrarianPatch.h"
#include "src/PatchLibrarian.h"
#include "tests/editor/editor_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A first-generation sound dump of total bytes before its F7, data byte
// marking it, closed by F7 unless open.
Bytes firstGenerationSound(size_t total, uint8_t mark, bool closed = true) {
  Bytes sound = {0xF0, 0x3E, 0x0B, 0x00, 0x01, 0x00};
  while (sound.size() < total) sound.push_back(mark);
  if (closed) sound.push_back(0xF7);
  return sound;
}

class ImportTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    WriteBank("edited.syx", 99, 3);
    Open();
    Plug()->patchLibrarian->upperBankIndex = 0;
    Plug()->patchLibrarian->selectedUpperSlot = kSlot;
  }
  // Imports every sound of image as the slot menu does.
  void import(const Bytes& image, const std::string& fileName, bool older) {
    ByteChunk chunk;
    chunk.PutBytes(image.data(), static_cast<int>(image.size()));
    int pos = 0;
    int guard = 0;
    while (Plug()->ReadSysExDataFromPackage(&chunk, pos, fileName, older) > 0) ASSERT_LT(++guard, 100);
  }
  const LibrarianPatch& slot() const { return Plug()->patchLibrarian->fileBanks[0]->patches[kSlot]; }

  static constexpr int kSlot = 5;
};

TEST_F(ImportTest, ASoundBecomesANinetyTwoByteRecordNamedAfterItsFile) {
  struct Case {
    size_t length;
    const char* file;
    const char* name;
  };
  const Case cases[] = {
      {75, "/tmp/songs/abcdefghi.syx", "ABCDEFGHI     "},
      {76, "C:\\sounds\\a much longer file name.syx", "A MUCH LONGER "},
      {80, "/tmp/x.mid", "X             "},  // 77 to 89 bytes were records of the wrong size
      {89, "", "IMPORTEDSINGLE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    import(firstGenerationSound(c.length, 0x11), c.file, true);
    ASSERT_EQ(slot().messages.size(), 1u);
    EXPECT_EQ(slot().messages[0].size(), 92u);
    EXPECT_EQ(slot().name, c.name);
    EXPECT_EQ(slot().category, "INIT");
    EXPECT_EQ(Plug()->GetParam(kBankEditUnsaved)->Value(), 1.0);
  }
}

// A whole library record (92 bytes with its name and category) keeps its
// own name and its own category; without a category byte, or with one that
// names no category, it gets INIT.
TEST_F(ImportTest, AWholeLibraryRecordKeepsItsOwnNameAndCategory) {
  const struct {
    const char* why;
    int category;  // -1: the record ends after its name
    const char* expected;
  } kCases[] = {
      {"category BASS", 3, "BASS"},
      {"category NONE", 0, "NONE"},
      {"category byte out of the table", 0x40, "INIT"},
      {"no category byte", -1, "INIT"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.why);
    Bytes record = firstGenerationSound(76, 0x12, false);
    for (char letter : std::string("Deep Bass     ")) record.push_back(static_cast<uint8_t>(letter));
    if (c.category >= 0) record.push_back(static_cast<uint8_t>(c.category));
    record.push_back(0xF7);
    import(record, "/tmp/other name.syx", true);
    ASSERT_EQ(slot().messages.size(), 1u);
    EXPECT_EQ(slot().messages[0].size(), 92u);
    EXPECT_EQ(slot().name, "DEEP BASS     ");
    EXPECT_EQ(slot().category, c.expected);
  }
}

TEST_F(ImportTest, OfSeveralSoundsTheLastStaysAndTheOtherGenerationIsSkipped) {
  Bytes image;
  for (uint8_t mark : {0x21, 0x22, 0x23}) {
    const Bytes sound = firstGenerationSound(75, mark);
    image.insert(image.end(), sound.begin(), sound.end());
  }
  Bytes second = firstGenerationSound(140, 0x44);
  second[2] = 0x16;
  image.insert(image.end(), second.begin(), second.end());

  import(image, "three.syx", true);
  ASSERT_EQ(slot().messages.size(), 1u);
  EXPECT_EQ(slot().messages[0][20], 0x23);

  // A second-generation import takes only the second-generation sound.
  import(image, "three.syx", false);
  ASSERT_EQ(slot().messages.size(), 1u);
  EXPECT_EQ(slot().messages[0].size(), 92u);
  EXPECT_EQ(slot().messages[0][2], 0x0B);
}

TEST_F(ImportTest, ASoundCutOffByTheEndOfTheFileIsImportedAndEndsTheScan) {
  import(firstGenerationSound(75, 0x31, false), "open.syx", true);
  ASSERT_EQ(slot().messages.size(), 1u);
  EXPECT_EQ(slot().messages[0][20], 0x31);
}

TEST_F(ImportTest, ACategoryChangeKeepsNameAndSoundAndSkipsShortMessages) {
  const LibrarianPatch before = slot();
  ASSERT_FALSE(before.messages.empty());
  Plug()->SetCategoryForLibrarianPatch(kInitCategory);
  ASSERT_EQ(slot().messages.size(), 1u);
  EXPECT_EQ(slot().category, "INIT");
  EXPECT_EQ(slot().name, before.name);
  EXPECT_EQ(Bytes(slot().messages[0].begin(), slot().messages[0].begin() + 75),
            Bytes(before.messages[0].begin(), before.messages[0].begin() + 75));

  // A slot whose message is too short to hold a name is left alone.
  LibrarianPatch& patch = Plug()->patchLibrarian->fileBanks[0]->patches[kSlot];
  patch.messages[0].resize(80);
  const LibrarianPatch shortOne = patch;
  Plug()->SetCategoryForLibrarianPatch(1);
  EXPECT_EQ(slot().messages, shortOne.messages);
}

}  // namespace
