// The real editor object for tests: a VivivI built through MakePlug and its
// constructor on the test's thread (which becomes the GUI thread), driven
// without a host. Each test gets a fresh data folder ($VIVIVI_DATA_DIR) in
// which it may put a settings file, a log file and bank files before it
// builds the editor; the resources come from the built VivivI.bundle (or from
// a bundle the test lays out, for other descriptions). The window can be
// opened headless, redrawn and read back.
//
//   class MyTest : public EditorFixture {};
//   TEST_F(MyTest, Something) {
//     WriteSettings("black\nsmall\nno\n");
//     VivivI* plug = Open();
//     ...
//   }
//
// Every test runs in its own process under ctest, so the environment
// variables and the bundle registered here do not reach other tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/view/ViewPane.h"
#include "src/VivivI.h"
#include "tests/support/temp_folder.h"

class ITextControl;

class EditorFixture : public ::testing::Test {
 protected:
  // A fresh data folder as $VIVIVI_DATA_DIR, views headless; builds nothing.
  void SetUp() override;
  // Closes the window, deletes the editor (when the test did not), removes
  // the data folder.
  void TearDown() override;

  // ---- Before Open(): the data folder ---------------------------------------
  std::filesystem::path DataFolder() const { return m_data; }
  std::filesystem::path PatchesFolder() const { return m_data / "Patches"; }
  std::filesystem::path SettingsPath() const { return m_data / "VivivI Editor UI.txt"; }
  std::filesystem::path LogPath() const { return m_data / "VivivI Editor LOG.txt"; }
  // The settings file with exactly these bytes.
  void WriteSettings(const std::string& bytes);
  // An empty log file: logging is on for an editor built afterwards.
  void WriteLogFile();
  // A bank file of patches 92-byte library records (names "P<seed> <slot>",
  // categories cycling) at name below "Patches" (folders made as needed).
  void WriteBank(const std::string& name, int patches = 99, int seed = 0);
  // The log's lines without their time stamps, in order.
  std::vector<std::string> LogLines() const;
  static std::string ReadFile(const std::filesystem::path& file);
  static void WriteFile(const std::filesystem::path& file, const std::string& bytes);

  // ---- Resources -------------------------------------------------------------
  // The built bundle <build>/VivivI.bundle.
  static std::filesystem::path BuiltBundle();
  // Lays out a bundle of the editor's identifier in the data folder's
  // sibling folder: the built bundle's images, and the two descriptions
  // enciphered from these texts (a null text leaves that file out). Open()
  // then takes its resources from it.
  void UseDescriptions(const char* uiconfigXml, const char* sysexXml);

  // ---- The editor ------------------------------------------------------------
  // Builds the editor through MakePlug, as the component's open does.
  VivivI* Open();
  // Deletes the editor (closing its window first), as the component's close does.
  void Close();
  VivivI* Plug() const { return m_plug; }
  // The parameter's value; NaN for an index that names none.
  double Value(int paramIndex) const;
  // The text of the first control of the parameter, a text control; "" when
  // there is none.
  std::string DisplayText(int paramIndex) const;
  // One GUI tick without a window: waiting values and texts reach the controls.
  void Tick();

  // ---- The window, headless ----------------------------------------------------
  // Opens the editor's view (the view factory's road) as a top-level headless
  // window and paints it once; null when the editor has no window.
  ViewPane* OpenEditor();
  void CloseEditor();
  // One timer firing and its painting.
  void Redraw();
  // The window's pixels as the view shows them (Width() x Height() words).
  std::vector<uint32_t> WindowPixels();

  // ---- MIDI output -------------------------------------------------------------
  // Opens the external output whose port name contains portName (a JACK port
  // of the test server: hold the jack_midi_ports lock) and marks the output
  // open; the list entry, or 0 when no port matched.
  int OpenMidiOutput(const std::string& portName);

 private:
  void RegisterBundle(const std::filesystem::path& bundle);

  TempFolder m_temp{"vivivi-editor-"};
  std::filesystem::path m_root;  // holds the data folder and a laid-out bundle
  std::filesystem::path m_data;
  VivivI* m_plug = nullptr;
  ViewPane* m_pane = nullptr;
  const void* m_bundle = nullptr;  // the registered bundle (a CFBundleRef)
};
