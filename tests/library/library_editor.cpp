#include "tests/library/library_editor.h"

#include <fstream>

#include "src/PatchManager.h"

void ScriptedGraphics::PromptForFile(KIT_String* fileName, EFileAction action, KIT_String* dir,
                                     const char* extensions) {
  ++actions;
  offeredName = fileName && fileName->Get() ? fileName->Get() : "";
  offeredFolder = dir && dir->Get() ? dir->Get() : "";
  offeredExtensions = extensions ? extensions : "";
  (void)action;
  if (fileName) fileName->Set(answer.c_str());
}

// ==== LibraryEditor ==========================================================

LibraryEditor::LibraryEditor() : mPanel(std::make_unique<ScriptedGraphics>(this)), mWindow(graphics) {
  graphics = mPanel.get();
}

LibraryEditor::~LibraryEditor() { graphics = mWindow; }

// ==== Builders ===============================================================

Bytes soundMessage(const Bytes& body, unsigned char model, unsigned char device, unsigned char command,
                   unsigned char program) {
  Bytes m = {0xF0, 0x3E, model, device, command, program};
  m.insert(m.end(), body.begin(), body.end());
  m.push_back(0xF7);
  return m;
}

Bytes plainDump(int seed, unsigned char device) {
  Bytes body;
  for (int i = 0; i < 69; ++i) body.push_back(static_cast<unsigned char>((seed + i) & 0x7F));
  return soundMessage(body, 0x0B, device);
}

Bytes libraryRecord(int seed, const std::string& name, int category, int program) {
  Bytes r = plainDump(seed);
  r.pop_back();  // F7
  r[2] = 0x0B;
  r[3] = 0x00;
  r[4] = 0x01;
  r[5] = static_cast<unsigned char>(program);
  r.push_back(0x00);
  std::string padded = name;
  padded.resize(14, ' ');
  r.insert(r.end(), padded.begin(), padded.end());
  r.push_back(static_cast<unsigned char>(category));
  r.push_back(0xF7);
  return r;
}

Bytes secondGenerationMessage(size_t size) {
  Bytes m(size);
  for (size_t i = 0; i < size; ++i) m[i] = static_cast<unsigned char>(i & 0x7F);
  const Bytes header = {0xF0, 0x3E, 0x16, 0x07, 0x00, 0x10};
  std::copy(header.begin(), header.end(), m.begin());
  m[size - 1] = 0xF7;
  return m;
}

Bytes join(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

LibrarianPatch recordPatch(int seed, const std::string& name, int category) {
  LibrarianPatch patch;
  patch.messages.push_back(libraryRecord(seed, name, category));
  std::string upper = name;
  upper.resize(14, ' ');
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  patch.name = upper;
  patch.parseCategory();
  return patch;
}

std::unique_ptr<ByteChunk> chunkOf(const Bytes& bytes) {
  auto chunk = std::make_unique<ByteChunk>();
  chunk->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

Bytes bytesOf(const ByteChunk& chunk) { return Bytes(chunk.GetData(), chunk.GetData() + chunk.Size()); }

Bytes readBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& file, const Bytes& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void LibraryFolderTest::SetUp() {
  TempFolderTest::SetUp();
  std::filesystem::create_directories(patches());
  editor = std::make_unique<LibraryEditor>();
  editor->dataFolder = m_dir.string() + "/";
  editor->loggingEnabled = true;
  editor->logFilePath = (m_dir / "log.txt").string();
}

std::vector<std::string> LibraryFolderTest::bankNames() {
  std::vector<std::string> names;
  for (const PatchFile* bank : library().fileBanks) names.push_back(bank->fileName);
  return names;
}
