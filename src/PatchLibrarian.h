// The patch library: the banks read from the library folder tree, the folder
// trees the bank menus show, the category and search-result banks, the file
// readers and writers, and the store of a patch received from the
// synthesizer into the bank being edited.
//
// Contents, in reading order:
//   PatchLibrarian fields     selection words, flags, bank lists, trees
//   LOADING                   folder scan, file filter, folder tree
//   READING FILES             scanning a file image for sound messages
//   NORMALISATION             padding banks to 99, writing split banks
//   CONVERSION                second-generation sounds to the record form
//   SAVING                    raw bank images and Standard MIDI files
//   CATEGORY AND SEARCH       banks built in memory from the file banks
//   RECEIVED PATCH, RELOAD    the selected slot of the edited bank
//
// The library's lists are changed on the host's main thread; a received
// patch is stored on the MIDI input thread (only the edited bank's patches).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "src/FolderFiles.h"
#include "src/InitSound.h"
#include "src/LibrarianPatch.h"
#include "src/PatchManager.h"

namespace Poco {
class File;
class Path;
}  // namespace Poco

class ByteChunk;
class EditorServices;

// Files below this size are not patch banks (a single sound is 76 bytes).
constexpr int64_t kMinimumBankFileSize = 2201;
// Files above this size are refused unread. A bank of 99 sounds is at most
// about 14 KB (a Standard MIDI file of 99 events); the limit leaves room for
// files of many banks that the loader splits (over 13,000 plain dumps), and
// keeps a stray multi-megabyte file out of memory.
constexpr int64_t kMaximumPatchFileSize = 1024 * 1024;

// The first 53 bytes of a Standard MIDI file of 99 sounds.
extern const unsigned char midiSingleStartHeader_NL99[53];
// The prefix of every further SysEx event of that file: delta 500, F0, 138.
extern const unsigned char midiSingleInBetweenHeader_NL99[5];

// Removes from text every occurrence of each character of chars (zero-
// terminated; null or empty changes nothing).
void removeCharsFromString(std::string& text, const char* chars);

class PatchLibrarian {
 public:
  // Bounds of the folder walk: no tree of links can make a load explode.
  static constexpr int kMaximumFolderDepth = 32;
  static constexpr size_t kMaximumFolders = 10000;

  PatchLibrarian() = default;
  // Releases every bank and folder entry the library holds.
  ~PatchLibrarian();
  PatchLibrarian(const PatchLibrarian&) = delete;
  PatchLibrarian& operator=(const PatchLibrarian&) = delete;

  // ==== LOADING =================================================================
  // Loads the whole library below root (a full path, no trailing separator):
  // every accepted file becomes a bank of 99 patches; files with too many
  // sounds or with second-generation sounds are rewritten as bank files and
  // moved into the owner's "Converted Banks" folder (a bank written never
  // replaces a file that is there: it takes a free name, logged); the folder
  // tree of the file banks and the category banks are built. A load that
  // wrote files rescans once. A missing root is logged and loads nothing. Folders or
  // files that cannot be listed, read or moved are logged and skipped, and
  // so are files above kMaximumPatchFileSize. Temporary files that a killed
  // save left in the folders are removed first.
  void loadPatchesFromFilesystem(std::string root);
  // Appends the full path of every folder below folder, each after
  // everything below it. Links to folders are followed, but every folder
  // (device and inode) is entered once in the whole walk, by the first road
  // in name order: a second link to it, or a link back up, is skipped with a
  // log line. Folders deeper than kMaximumFolderDepth levels, and every
  // folder past the first kMaximumFolders, are skipped and logged too.
  void buildFolderStructure(const std::string& folder, std::vector<std::string>* list);
  // Reads one file into a bank; returns the bank to place in the folder tree
  // or null (nothing read, vr2, split or converted, unreadable).
  PatchFile* parseFolderFiles(Poco::File file, Poco::Path path, int depth, int tag, int unused,
                              std::string extension);
  // Reads every patch of a file image of size bytes into bank.
  void loadFromChunk(ByteChunk* chunk, int size, PatchFile* bank, int unused);
  // Places a bank in the folder tree of the file banks by its folder levels.
  void createFolderFilesStructure(PatchFile* bank, std::string folderPath);
  // Empties one folder tree: 0 the file banks', 2 the category banks', 3 the
  // search-result banks'; any other value does nothing. Banks are not touched.
  void clearDataStructures(int tree);

  // ==== READING FILES ===========================================================
  // Reads the next accepted message from pos on and appends it as a patch of
  // program number program (its slot) to bank. Returns where the scan goes
  // on: above 0 a position, 0 or below the end. pos follows (-1 at the end).
  // A message cut off by the end of the image is not stored; a
  // second-generation message too short to convert is dropped.
  int readSysexMessage(ByteChunk* chunk, int& pos, PatchFile* bank, int program);
  int readSysexMessage2(ByteChunk* chunk, int& pos, PatchFile* bank, int program);
  // Consumes bytes until one equal to byte was consumed: true with pos just
  // after it; false with pos -1 when the image ends first or pos was -1.
  bool findByte(ByteChunk* chunk, int& pos, int byte);

  // ==== NORMALISATION ===========================================================
  // Pads a freshly read bank (not empty, switch 0) to 99 with numbered fillers.
  void checkBankSizeAndAddData(PatchFile* bank);
  // Pads any bank (an empty one too) to 99 with plain filler patches.
  void fillUncompletedBankFiles(PatchFile* bank);
  // Writes the piece chunkIndex + 1 of source (99 patches from
  // 99 * (chunkIndex + 1) on) as a bank file beside sourcePath, appends it to
  // the file banks and requests a rescan; sets the split count word. An
  // empty piece writes nothing. The file never replaces one that is there:
  // when its name is taken it gets the first free name "NAME 2.vrn",
  // "NAME 3.vrn", ..., which is logged. A failed write is logged and the
  // bank dropped.
  void createNewPatchFile(PatchFile* source, std::string folderName, std::string fileName,
                          std::string extension, std::string sourcePath, int origin, int chunkIndex,
                          bool smf);

  // ==== CONVERSION ==============================================================
  // The 92-byte record of a second-generation sound message (at least 135
  // bytes); a shorter source gives an empty message. program's low byte
  // becomes byte 5.
  PatchSysexMessage convertPatchToVarno1Format(PatchSysexMessage* source, int program);

  // ==== SAVING ==================================================================
  // Asks for a file through the owner's GUI and saves the edited bank there:
  // a Standard MIDI file (smf) or a raw image. True when saved; false when
  // cancelled, without an edited bank or when the file could not be written.
  bool savePatchAs(const char* fileName, std::string folder, bool smf);
  // Overwrites path with the edited bank in the format the extension of name
  // selects ("mid" in any case: Standard MIDI file; else the raw image, which
  // is also a raw SysEx file) and records name as the current bank's file.
  // Returns false (logged, nothing recorded) when there is no edited bank or
  // the write failed.
  bool saveEditedPatch(std::string path, std::string name);
  // The file image of bank's 99 slots (fewer are extended with empty
  // patches, more are cut); bank itself is not changed.
  static void buildBankImage(const PatchFile& bank, bool smf, ByteChunk* image);
  // Writes bytes to path through a temporary file in the same folder renamed
  // over it, so a failed or killed write never destroys the old file. A path
  // that is a link is written at the link's target (the link stays); an old
  // file keeps its permission bits; a file nobody may write is refused.
  // False on failure, with the reason in error when given.
  static bool writeFileSafely(const std::string& path, const uint8_t* bytes, int size,
                              std::string* error = nullptr);
  // As writeFileSafely, but never replaces anything: false (error "a file
  // of that name exists") when path names any entry, a link to nothing
  // included, or when one appears there while the file is written.
  static bool writeNewFileSafely(const std::string& path, const uint8_t* bytes, int size,
                                 std::string* error = nullptr);
  // Whether fileName is the name of one of writeFileSafely's temporary files:
  // "." + a bank file's name + ".saving-" + kTemporarySuffixLength letters
  // or digits.
  static bool isTemporaryFileName(const std::string& fileName);
  static constexpr size_t kTemporarySuffixLength = 6;

  // ==== CATEGORY AND SEARCH =====================================================
  // Builds the category banks from the file banks (at the end of a load).
  void createNewCategoryPatchFiles();
  // Gathers every patch whose name contains term into search-result banks.
  void createNewSearchPatchFiles(std::string term);

  // ==== RECEIVED PATCH, RELOAD ==================================================
  // Stores the received patch (read only, owned by the caller) into the
  // selected slot of the upper list's bank, the bank being edited, bringing
  // that bank to 99 patches. Without such a bank, while the edited-bank lock
  // is set, or while no slot 0..98 is selected, nothing happens.
  void setSysexDatatoSelectedSlot(LibrarianPatch* received);
  // Empties the whole in-memory library and loads it again from folder.
  void initBankFilesOnDiscard(std::string folder);

  // ==== Fields ==================================================================
  int32_t upperBankIndex = 0;   // index in fileBanks of the bank being edited
  int32_t lowerBankIndex = -1;  // index of the bank shown in the lower list
  int32_t splitCount = 0;       // the loader's working count while splitting
  // The edited-bank lock: while it is not 0 no edited bank is open. The upper
  // column does not reload, no slot of the edited bank is renamed, given a
  // category, sent or stored into, and column 0 shows no category. Nothing
  // in the editor sets it; read on the MIDI input thread too.
  std::atomic<int32_t> editBlocked{0};
  int32_t unusedInteger = 1;
  bool unusedFlags[5] = {};
  bool fileSplit = false;           // the file being read was split
  bool rescanRequested = false;     // a file was written into the library folders
  std::ostringstream logText;       // a log line is composed here
  EditorServices* owner = nullptr;  // log flag and path, data folder, GUI

  // Selected slot of the upper list (0..98, -1 while no row is selected): the
  // slot a received patch is stored into; a program change makes it the
  // program number. Read on the MIDI input thread.
  std::atomic<int32_t> selectedUpperSlot{0};
  std::atomic<int32_t> selectedLowerSlot{0};
  bool unusedFlags2[4] = {};
  bool soundConverted = false;  // the file being read held second-generation sounds

  std::vector<std::string> folderScanList;
  std::vector<PatchFile*> fileBanks;
  std::vector<PatchFile*> searchBanks;
  std::vector<PatchFile*> categoryBanks;
  std::vector<FolderFiles*> fileTree;
  std::vector<FolderFiles*> searchTree;
  std::vector<FolderFiles*> categoryTree;

 private:
  // Writes a log line through the owner when its log is on.
  void log(const std::string& text);
  // True while the owner's log is on: callers compose a line only then.
  bool logging() const;
  // Moves a file into the owner's "Converted Banks" folder under a name not
  // yet taken there. False (logged) when that fails.
  bool moveToConvertedBanks(const std::string& fullPath, const std::string& fileName);
  // Reads the open plain file fd (of size bytes as its status said; -1 when
  // it could not be opened) of a new bank whose names are set through image,
  // whose room is kept for the next file; then as parseFolderFiles: returns
  // the bank, now in the file-bank list, or null (bank deleted).
  PatchFile* readBankFile(PatchFile* bank, int fd, int64_t size, const std::string& fullPath,
                          const std::string& extension, ByteChunk* image);
  // readSysexMessage over the image data of size bytes. With inPlace (data
  // itself, writable, in the store the bank keeps its records in) a usual
  // record is made where it lies instead of being copied.
  int readRecord(const unsigned char* data, int size, unsigned char* inPlace, int& pos, PatchFile* bank,
                 int program);
  // loadFromChunk over an image of at least 15 bytes, inPlace as readRecord.
  void loadImage(const unsigned char* data, int size, unsigned char* inPlace, PatchFile* bank);
  void deleteBanks(std::vector<PatchFile*>& banks);
  // Deletes every bank and folder entry: the lists and trees are empty.
  void emptyLibrary();
  // Writes the edited bank, brought to 99 slots, to path; logs a failure.
  bool writeEditedBank(const std::string& path, bool smf);
  // Removes the temporary files of killed saves among a folder's entries
  // (full paths); a temporary still locked by a running save stays.
  void removeStaleTemporaries(const std::vector<std::string>& entries);
  // Category banks left empty live only in the category tree; owned here.
  std::vector<PatchFile*> mEmptyCategoryBanks;
  // While a load runs: the block every file it reads goes into, shared by
  // the banks read (and the category banks showing their records).
  std::shared_ptr<PatchStore> mLoadStore;
};
