// The real editor object for the tests, fuzz targets and benchmarks that
// drive it without a host. The process is prepared for it once: a data
// folder of its own, views without a window and, when asked, the built
// bundle's UI and SysEx descriptions and images. The editor is then made
// through its constructor on the calling thread, which becomes its GUI
// thread.
//
//   class MyEditor : public HostlessEditor<> { ... override a host call ... };
//   MyEditor editor;  // the built bundle's window, a temporary data folder
#pragma once

#include <string>

#include "src/VivivI.h"
#include "tests/support/hostless_plug.h"

enum class EditorDescriptions {
  kNone,        // no description is found: the editor starts with an empty window
  kBuiltBundle  // the built VivivI.bundle: its descriptions and images
};

// Prepares the process. $VIVIVI_DATA_DIR names dataFolder (made when
// missing); with an empty dataFolder, a fresh temporary folder the first
// time (removed at exit) and the same one afterwards. $VIVIVI_VIEW is
// "headless". kBuiltBundle registers the built bundle under the editor's
// identifier once; kNone registers nothing.
void prepareEditorEnvironment(EditorDescriptions descriptions, const std::string& dataFolder = "");
// The data folder the editor will take (ends in "/").
std::string editorDataFolder();

// Prepares the process before the editor's own constructor runs (the first
// base of an editor class).
template <EditorDescriptions kDescriptions>
struct EditorEnvironment {
  EditorEnvironment() { prepareEditorEnvironment(kDescriptions); }
};

// The real editor, with the host side of HostlessPlug.
template <EditorDescriptions kDescriptions = EditorDescriptions::kBuiltBundle>
class HostlessEditor : private EditorEnvironment<kDescriptions>, public HostlessPlug<VivivI> {
 public:
  HostlessEditor() : HostlessPlug<VivivI>(IModuleInstanceInfo()) {}
};
