// The project state of the real editor: the chunk written and read back byte
// for byte, the names of the patch manager, and chunks cut or damaged at
// every field, which keep the previous state and never crash.
#include <cstring>
#include <string>
#include <vector>

#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchManager.h"
#include "tests/editor/editor_fixture.h"

namespace {

class RecallTest : public EditorFixture {
 protected:
  static std::vector<uint8_t> bytesOf(const ByteChunk& chunk) {
    return std::vector<uint8_t>(chunk.GetData(), chunk.GetData() + chunk.Size());
  }
  static ByteChunk chunkOf(const std::vector<uint8_t>& bytes) {
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    return chunk;
  }
  // The full chunk of plug.
  static std::vector<uint8_t> save(VivivI* plug) {
    ByteChunk chunk;
    EXPECT_TRUE(plug->SerializeState(&chunk));
    return bytesOf(chunk);
  }
};

// Where the patch-manager block of a full chunk starts (behind the version
// word; the editor has no automated parameters).
constexpr int kBlockStart = 4;

TEST_F(RecallTest, TheShortFormHoldsTheVersionAndParametersUpTo136) {
  VivivI* plug = Open();
  ByteChunk chunk;
  ASSERT_TRUE(plug->SerializeState2(&chunk, false));
  ASSERT_EQ(chunk.Size(), 4 + 137 * 8);
  EXPECT_EQ(std::vector<uint8_t>(chunk.GetData(), chunk.GetData() + 4), (std::vector<uint8_t>{0, 0, 0, 1}));
  double channel = 0.0;
  chunk.GetDouble(&channel, 4 + kGlobalMidiChannel * 8);
  EXPECT_EQ(channel, plug->GetParam(kGlobalMidiChannel)->Value());
  // The start-up snapshot is that same short form.
  EXPECT_EQ(plug->patchManager->snapshot.GetSize(), 1100);
}

TEST_F(RecallTest, AFullChunkReadIntoAFreshEditorGivesTheSameChunkBack) {
  VivivI* plug = Open();
  plug->GetParam(kFilterCutoff)->Set(100);
  IParam* deviceParam = plug->GetParam(kGlobalDeviceID);
  deviceParam->Set(deviceParam->GetMax());
  const int storedId = deviceParam->Int();
  EXPECT_EQ(storedId, 15) << "the device ID's range is the Varno's";
  plug->GetParam(kMIDIFilterDAWCCPassThrough)->Set(0);
  plug->patchManager->names[0] = "A NAME OF TWENTY CHR";  // written whole, read back as 14
  plug->patchManager->names[1] = "ARP";                   // read back padded to 14
  const std::vector<uint8_t> saved = save(plug);
  Close();

  VivivI* fresh = Open();
  fresh->flags.knownGlobalSettings = VarnoSysEx::kAllGlobalSettings;
  ByteChunk chunk = chunkOf(saved);
  EXPECT_EQ(fresh->UnserializeState(&chunk, 0), chunk.Size());
  // The recalled global settings are the project's: no send writes them to
  // the Varno until its own arrive.
  EXPECT_EQ(fresh->flags.knownGlobalSettings, 0u);
  EXPECT_EQ(fresh->GetParam(kFilterCutoff)->Value(), 100);
  EXPECT_EQ(fresh->flags.deviceId, storedId);
  EXPECT_TRUE(fresh->flags.hostFilter[kFilterControlChange]);
  EXPECT_EQ(fresh->patchManager->names[0], "A NAME OF TWEN");
  EXPECT_EQ(fresh->patchManager->names[1], std::string("ARP") + std::string(11, '\0'));
  EXPECT_STREQ(fresh->GetParam(kPatchName)->GetDisplayText(0), "A NAME OF TWEN");
  // No port of the stored names exists: both stay closed and nothing is sent.
  EXPECT_FALSE(fresh->flags.midiOutputOpen);
  EXPECT_FALSE(fresh->flags.transferHold);
  EXPECT_FALSE(fresh->flags.suppressGlobalsDump);

  // Written again it is the same chunk, but for the names now cut or padded.
  std::vector<uint8_t> again = save(fresh);
  ByteChunk first = chunkOf(saved), second = chunkOf(again);
  const int firstEnd = fresh->patchManager->loadAllFromChunk(&first, kBlockStart);
  const int secondEnd = fresh->patchManager->loadAllFromChunk(&second, kBlockStart);
  ASSERT_GT(firstEnd, 0);
  ASSERT_GT(secondEnd, 0);
  ASSERT_EQ(saved.size() - firstEnd, again.size() - secondEnd);
  for (size_t i = 0; i < saved.size() - firstEnd; ++i)
    ASSERT_EQ(saved[firstEnd + i], again[secondEnd + i]) << "byte " << i << " behind the block";
}

// A chunk damaged inside the patch-manager block leaves the snapshot and the
// names as they were and reports the chunk as ended.
TEST_F(RecallTest, ADamagedBlockKeepsThePreviousState) {
  VivivI* plug = Open();
  const std::vector<uint8_t> saved = save(plug);
  plug->patchManager->names[0] = "KEPT";
  const std::vector<uint8_t> snapshotBefore(static_cast<const uint8_t*>(plug->patchManager->snapshot.Get()),
                                            static_cast<const uint8_t*>(plug->patchManager->snapshot.Get()) +
                                                plug->patchManager->snapshot.GetSize());

  struct Damage {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> oversized = saved;
  oversized[kBlockStart + 8] = 0x7F;  // snapshot length far beyond the chunk
  std::vector<uint8_t> negativeName = saved;
  const int nameAt = kBlockStart + 12 + 1100;  // the first name's length
  std::memcpy(&negativeName[nameAt], "\xFF\xFF\xFF\xFF", 4);
  const std::vector<Damage> damages = {
      {"cut inside the version word", std::vector<uint8_t>(saved.begin(), saved.begin() + 3)},
      {"cut inside the block header", std::vector<uint8_t>(saved.begin(), saved.begin() + kBlockStart + 6)},
      {"cut inside the snapshot", std::vector<uint8_t>(saved.begin(), saved.begin() + kBlockStart + 500)},
      {"oversized snapshot length", oversized},
      {"negative name length", negativeName},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    ByteChunk chunk = chunkOf(damage.bytes);
    EXPECT_EQ(plug->UnserializeState2(&chunk, 0, true), -1);
    EXPECT_EQ(plug->patchManager->names[0], "KEPT");
    EXPECT_EQ(std::vector<uint8_t>(static_cast<const uint8_t*>(plug->patchManager->snapshot.Get()),
                                   static_cast<const uint8_t*>(plug->patchManager->snapshot.Get()) +
                                       plug->patchManager->snapshot.GetSize()),
              snapshotBefore);
  }
  // The editor keeps working: a good chunk is read after the damaged ones.
  ByteChunk good = chunkOf(saved);
  EXPECT_EQ(plug->UnserializeState2(&good, 0, true), good.Size());
}

TEST_F(RecallTest, AChunkCutInsideTheParametersKeepsThoseReadBeforeTheCut) {
  VivivI* plug = Open();
  plug->GetParam(kOscillator1Semitone)->Set(60);
  plug->GetParam(kVolume)->Set(90);
  std::vector<uint8_t> saved = save(plug);
  Close();
  VivivI* fresh = Open();
  // Cut in the middle of the volume's double: semitone before it is read.
  const int parametersStart = static_cast<int>(saved.size()) - 137 * 8;
  saved.resize(static_cast<size_t>(parametersStart + kVolume * 8 + 3));
  ByteChunk chunk = chunkOf(saved);
  EXPECT_EQ(fresh->UnserializeState2(&chunk, 0, true), -1);
  EXPECT_EQ(fresh->GetParam(kOscillator1Semitone)->Value(), 60);
  EXPECT_NE(fresh->GetParam(kVolume)->Value(), 90);
}

}  // namespace
