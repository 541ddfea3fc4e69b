// The editor as the library tests need it: the real VivivI, built without
// descriptions (an empty window), whose library reads its data folder, log
// settings and save panel from the test, and helpers that build sound
// messages, library records and bank files byte by byte.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleStructs.h"
#include "src/LibrarianPatch.h"
#include "src/PatchLibrarian.h"
#include "src/VivivI.h"
#include "tests/support/temp_folder_fixture.h"
#include "tests/support/test_editor.h"

using Bytes = std::vector<unsigned char>;

// A GUI whose save panel answers with a path the test chose ("" = cancel):
// the platform has no file panel of its own.
class ScriptedGraphics : public IGraphics {
 public:
  explicit ScriptedGraphics(IModuleBase* plug) : IGraphics(plug, 1500, 667) {}
  void PromptForFile(KIT_String* fileName, EFileAction action, KIT_String* dir,
                     const char* extensions) override;

  std::string answer;
  std::string offeredName, offeredFolder, offeredExtensions;
  int actions = 0;
};

// The real editor; the library asks the scripted panel while it lives.
class LibraryEditor : public HostlessEditor<EditorDescriptions::kNone> {
 public:
  LibraryEditor();
  ~LibraryEditor() override;

  ScriptedGraphics* panel() { return mPanel.get(); }

 private:
  std::unique_ptr<ScriptedGraphics> mPanel;
  IGraphics* mWindow = nullptr;  // the editor's own GUI, given back at the end
};

// ---- Message builders -------------------------------------------------------

// A raw sound message F0 3E model device command program, body bytes, F7.
Bytes soundMessage(const Bytes& body, unsigned char model = 0x0B, unsigned char device = 0x05,
                   unsigned char command = 0x00, unsigned char program = 0x22);
// A plain 76-byte dump whose 69 data bytes are seed, seed + 1, ... (7 bits).
Bytes plainDump(int seed, unsigned char device = 0x05);
// A 92-byte library record with name (padded with blanks to 14) and category.
Bytes libraryRecord(int seed, const std::string& name, int category, int program = 0);
// A second-generation message (model 0x16) of size bytes whose byte i
// holds i & 0x7F between its header and its F7.
Bytes secondGenerationMessage(size_t size);
// Concatenation.
Bytes join(const std::vector<Bytes>& parts);
// A library patch of one 92-byte record, read as the reader would.
LibrarianPatch recordPatch(int seed, const std::string& name, int category);

// A ByteChunk holding bytes.
std::unique_ptr<ByteChunk> chunkOf(const Bytes& bytes);
Bytes bytesOf(const ByteChunk& chunk);
Bytes readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const Bytes& bytes);

// A test with a data folder holding "Patches", and an editor whose library
// uses it.
class LibraryFolderTest : public TempFolderTest {
 protected:
  void SetUp() override;
  std::filesystem::path patches() const { return m_dir / "Patches"; }
  std::filesystem::path converted() const { return m_dir / "Converted Banks"; }
  PatchLibrarian& library() { return *editor->patchLibrarian; }
  void load() { library().loadPatchesFromFilesystem(patches().string()); }
  // File names of the file banks, in list order.
  std::vector<std::string> bankNames();
  std::string logText() { return readFile(m_dir / "log.txt"); }

  std::unique_ptr<LibraryEditor> editor;
};
