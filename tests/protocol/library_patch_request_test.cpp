// Library transfer collection and the patch records: a message becomes the
// 92-byte library record, a 92-byte record completes the patch, and nothing is
// read from bytes a message does not hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/LibrarianPatch.h"
#include "src/LibraryPatchRequest.h"
#include "src/MIDIMessageSysEx.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A message of size bytes: a sound dump's header, then a count, F7 last.
Bytes message(int size) {
  Bytes bytes(static_cast<size_t>(size));
  for (int i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i % 100);
  if (size > 0) bytes[0] = 0xF0;
  if (size > 3) {
    bytes[1] = 0x3E;
    bytes[2] = 0x0B;
  }
  if (size > 1) bytes[size - 1] = 0xF7;
  return bytes;
}

// A 92-byte library record with the given name bytes and category byte.
Bytes record(const std::string& name, uint8_t category) {
  Bytes bytes = message(92);
  bytes[75] = 0x55;  // the collector writes 0x00 here
  for (int i = 0; i < 14; ++i) bytes[76 + i] = i < static_cast<int>(name.size()) ? name[i] : ' ';
  bytes[90] = category;
  return bytes;
}

class LibraryRequest : public ::testing::Test {
 protected:
  void SetUp() override { request.arm(); }
  bool add(const Bytes& bytes) {
    return request.addMessageData(bytes.data(), static_cast<int>(bytes.size()));
  }
  LibraryPatchRequest request;
};

TEST_F(LibraryRequest, soundDumpBecomesARequestedRecord) {
  const Bytes dump = message(76);
  EXPECT_TRUE(add(dump));
  ASSERT_EQ(request.patch.messages.size(), 1u);
  const PatchSysexMessage& stored = request.patch.messages[0];
  ASSERT_EQ(stored.size(), 92u);
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 75), Bytes(dump.begin(), dump.begin() + 75));
  EXPECT_EQ(stored[75], 0x00);
  EXPECT_EQ(std::string(stored.begin() + 76, stored.begin() + 90), "Requested     ");
  EXPECT_EQ(stored[90], 20);
  EXPECT_EQ(stored[91], 0xF7);
  EXPECT_EQ(request.patch.name, "REQUESTED     ");
  EXPECT_EQ(request.patch.category, "INIT");
  EXPECT_FALSE(request.requestActive);
  EXPECT_EQ(request.status, 1);
}

TEST_F(LibraryRequest, recordKeepsItsBytesAndUpperCasesThePatchName) {
  EXPECT_TRUE(add(record("soft bell", 9)));
  const PatchSysexMessage& stored = request.patch.messages[0];
  EXPECT_EQ(stored[75], 0x00);
  EXPECT_EQ(std::string(stored.begin() + 76, stored.begin() + 90), "soft bell     ");
  EXPECT_EQ(request.patch.name, "SOFT BELL     ");
  EXPECT_EQ(request.patch.category, "PAD ");
}

TEST_F(LibraryRequest, otherSizesKeepCollectingAndNameComesFromTheFirstRecord) {
  Bytes first = message(100);
  for (int i = 0; i < 14; ++i) first[76 + i] = static_cast<uint8_t>('a' + i);
  first[90] = 3;
  EXPECT_FALSE(add(first));
  EXPECT_TRUE(request.requestActive);
  ASSERT_EQ(request.patch.messages.size(), 1u);
  EXPECT_EQ(request.patch.messages[0].size(), 100u);
  EXPECT_EQ(request.patch.messages[0][75], 0x00);

  EXPECT_TRUE(add(record("LATER", 5)));
  EXPECT_EQ(request.patch.messages.size(), 2u);
  EXPECT_EQ(request.patch.name, "ABCDEFGHIJKLMN");
  EXPECT_EQ(request.patch.category, "BASS");
}

TEST_F(LibraryRequest, shortFirstRecordGivesOnlyTheNameBytesItHolds) {
  Bytes first = message(78);
  first[76] = 'x';
  EXPECT_FALSE(add(first));
  EXPECT_TRUE(add(record("NEXT", 1)));
  // Bytes 76 and 77 are all the first record has; it carries no category byte.
  EXPECT_EQ(request.patch.name, std::string("X\xF7"));
  EXPECT_EQ(request.patch.category, "");
}

TEST_F(LibraryRequest, messagesTooShortForARecordAreIgnored) {
  for (int size : {0, 1, 6, 12, 74}) {
    const Bytes bytes = message(size);
    EXPECT_FALSE(request.addMessageData(bytes.data(), size)) << size;
  }
  EXPECT_FALSE(request.addMessageData(nullptr, 92));
  EXPECT_TRUE(request.patch.messages.empty());
  EXPECT_TRUE(request.requestActive);
}

TEST_F(LibraryRequest, sizesSeventyFiveToSeventySevenMakeARequestedRecord) {
  for (int size : {75, 77}) {
    request.arm();
    EXPECT_TRUE(add(message(size))) << size;
    ASSERT_EQ(request.patch.messages.size(), 1u);
    EXPECT_EQ(request.patch.messages[0].size(), 92u);
    EXPECT_EQ(request.patch.messages[0][90], 20);
  }
}

TEST_F(LibraryRequest, collectsAtMostItsBudgetOfMessages) {
  for (int i = 0; i < LibraryPatchRequest::kMaxMessages; ++i) EXPECT_FALSE(add(message(100)));
  EXPECT_FALSE(add(record("DROPPED", 1)));
  EXPECT_EQ(request.patch.messages.size(), static_cast<size_t>(LibraryPatchRequest::kMaxMessages));
  EXPECT_TRUE(request.requestActive);
}

TEST_F(LibraryRequest, armingEmptiesThePatch) {
  EXPECT_TRUE(add(record("ONE", 2)));
  request.arm();
  EXPECT_TRUE(request.requestActive);
  EXPECT_TRUE(request.patch.messages.empty());
  EXPECT_EQ(request.patch.name, "");
  EXPECT_EQ(request.patch.category, "");
}

// ---- LibrarianPatch ----

TEST(LibrarianPatchRecord, categoryCodes) {
  const struct {
    int byte;
    const char* code;
  } kCases[] = {{0, "NONE"},  {1, "ARP "},  {5, "FX  "},    {12, "SEQ "},  {19, "EXFX"},
                {20, "INIT"}, {21, "INIT"}, {0x7F, "INIT"}, {0xFF, "INIT"}};
  for (const auto& c : kCases) {
    LibrarianPatch patch;
    patch.messages.push_back(record("X", static_cast<uint8_t>(c.byte)));
    patch.parseCategory();
    EXPECT_EQ(patch.category, c.code) << c.byte;
  }
}

TEST(LibrarianPatchRecord, noCategoryByteLeavesTheCategory) {
  LibrarianPatch none;
  none.parseCategory();
  EXPECT_EQ(none.category, "");
  LibrarianPatch shortMessage;
  shortMessage.messages.push_back(message(90));
  shortMessage.parseCategory();
  EXPECT_EQ(shortMessage.category, "");
}

TEST(LibrarianPatchRecord, copiesShareNoStorage) {
  LibrarianPatch source;
  source.name = "A";
  source.messages.push_back(record("A", 1));
  LibrarianPatch copy(source);
  copy.messages[0][10] = 0x11;
  copy.name = "B";
  EXPECT_NE(source.messages[0][10], 0x11);
  EXPECT_EQ(source.name, "A");
}

}  // namespace
