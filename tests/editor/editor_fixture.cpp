#include "tests/editor/editor_fixture.h"

#include <stdlib.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "FileEncrypt/resource_cipher.h"
#include "FileEncrypt/resource_key.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/ITextControls.h"
#include "platform/corefoundation/CoreFoundation.h"

void EditorFixture::SetUp() {
  ASSERT_TRUE(m_temp.Made());
  m_root = m_temp.Path();
  m_data = m_root / "data";
  std::filesystem::create_directories(m_data);
  setenv("VIVIVI_DATA_DIR", m_data.c_str(), 1);
  setenv("VIVIVI_VIEW", "headless", 1);
}

void EditorFixture::TearDown() {
  Close();
  if (m_bundle) CFRelease(static_cast<CFBundleRef>(const_cast<void*>(m_bundle)));
  m_bundle = nullptr;
  unsetenv("VIVIVI_DATA_DIR");
  m_temp.Remove();
}

// ---- The data folder ------------------------------------------------------------

std::string EditorFixture::ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void EditorFixture::WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

void EditorFixture::WriteSettings(const std::string& bytes) { WriteFile(SettingsPath(), bytes); }

void EditorFixture::WriteLogFile() { WriteFile(LogPath(), ""); }

void EditorFixture::WriteBank(const std::string& name, int patches, int seed) {
  std::string bytes;
  for (int slot = 0; slot < patches; ++slot) {
    std::string record = {'\xF0', '\x3E', '\x0B', '\x00', '\x01', static_cast<char>(slot % 99)};
    for (int i = 6; i < 75; ++i) record += static_cast<char>((seed + slot + i) & 0x7F);
    record += '\0';
    std::string patchName = "P" + std::to_string(seed) + " " + std::to_string(slot);
    patchName.resize(14, ' ');
    record += patchName;
    record += static_cast<char>((seed + slot) % 21);
    record += '\xF7';
    bytes += record;
  }
  WriteFile(PatchesFolder() / name, bytes);
}

std::vector<std::string> EditorFixture::LogLines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(LogPath()));
  std::string line;
  while (std::getline(in, line)) {
    // "<time>\t <text>"
    const size_t tab = line.find("\t ");
    lines.push_back(tab == std::string::npos ? line : line.substr(tab + 2));
  }
  return lines;
}

// ---- Resources ------------------------------------------------------------------

std::filesystem::path EditorFixture::BuiltBundle() { return VIVIVI_BUNDLE_DIR; }

void EditorFixture::UseDescriptions(const char* uiconfigXml, const char* sysexXml) {
  const std::filesystem::path bundle = m_root / "VivivI.bundle";
  std::filesystem::create_directories(bundle / "Resources");
  std::filesystem::copy_file(BuiltBundle() / "Info.plist", bundle / "Info.plist");
  for (const auto& entry : std::filesystem::directory_iterator(BuiltBundle() / "Resources"))
    if (entry.path().extension() == ".png")
      std::filesystem::copy_file(entry.path(), bundle / "Resources" / entry.path().filename());
  const struct {
    const char* text;
    const char* file;
  } descriptions[] = {{uiconfigXml, "uiconfig.tea"}, {sysexXml, "sysex.tea"}};
  for (const auto& d : descriptions) {
    if (!d.text) continue;
    const std::string text = d.text;
    const std::vector<uint8_t> enciphered =
        encipherResource(reinterpret_cast<const uint8_t*>(text.data()), text.size(), kResourceKey);
    WriteFile(bundle / "Resources" / d.file, std::string(enciphered.begin(), enciphered.end()));
  }
  RegisterBundle(bundle);
}

void EditorFixture::RegisterBundle(const std::filesystem::path& bundle) {
  if (m_bundle) return;  // the first bundle of the identifier is the one found
  const std::string folder = bundle.string();
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  m_bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(m_bundle, nullptr) << folder;
}

// ---- The editor -----------------------------------------------------------------

VivivI* EditorFixture::Open() {
  if (m_plug) return m_plug;
  RegisterBundle(BuiltBundle());
  m_plug = static_cast<VivivI*>(MakePlug());
  return m_plug;
}

void EditorFixture::Close() {
  CloseEditor();
  delete m_plug;
  m_plug = nullptr;
}

double EditorFixture::Value(int paramIndex) const {
  const IParam* param = m_plug ? m_plug->GetParam(paramIndex) : nullptr;
  return param ? param->Value() : std::numeric_limits<double>::quiet_NaN();
}

std::string EditorFixture::DisplayText(int paramIndex) const {
  ITextControl* display = m_plug ? dynamic_cast<ITextControl*>(m_plug->firstControlOf(paramIndex)) : nullptr;
  if (!display) return "";
  KIT_String text;
  display->GetTextCopy(&text);
  return text.Get();
}

void EditorFixture::Tick() {
  if (!m_plug || !m_plug->GetGUI()) return;
  IRECT area;
  m_plug->GetGUI()->IsDirty(&area);
}

// ---- The window -----------------------------------------------------------------

ViewPane* EditorFixture::OpenEditor() {
  if (m_pane || !m_plug || !m_plug->GetGUI()) return m_pane;
  m_pane = static_cast<ViewPane*>(m_plug->GetGUI()->OpenWindow(nullptr));
  if (!m_pane) return nullptr;
  m_pane->AddToParent(0);
  m_pane->Synchronize();
  return m_pane;
}

void EditorFixture::CloseEditor() {
  if (m_pane) m_pane->RemoveFromParent();
  m_pane = nullptr;
}

void EditorFixture::Redraw() {
  if (m_pane) m_pane->Synchronize();
}

std::vector<uint32_t> EditorFixture::WindowPixels() {
  if (!m_pane) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(m_pane->Width()) * m_pane->Height());
  if (!m_pane->ReadWindow(pixels.data(), m_pane->Width())) return {};
  return pixels;
}

// ---- MIDI output ----------------------------------------------------------------

int EditorFixture::OpenMidiOutput(const std::string& portName) {
  if (!m_plug) return 0;
  KIT_MutexLock lock(m_plug->GetMutex());
  const std::vector<std::string>& names = m_plug->getExternalMIDIOutNames();
  for (size_t i = 1; i < names.size(); ++i) {
    if (names[i].find(portName) == std::string::npos) continue;
    int index = static_cast<int>(i);
    const int opened = m_plug->setExternalMIDIOut(index, names[i]);
    m_plug->flags.midiOutputOpen = opened > 0;
    return opened;
  }
  return 0;
}
