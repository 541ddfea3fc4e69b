// The editor built from a small UI description of its own for the tests of
// the change path, the value display, the control lookups and the librarian
// display glue: the three display lines, the category and name displays, a
// CC knob for kFilterCutoff, the search switch and the librarian's layers
// that the progress overlay and the unsaved mark switch.
#pragma once

#include <string>

#include "src/VivivI.h"
#include "tests/editor/editor_fixture.h"

extern const char* const kActionsDescription;

class ActionsTest : public EditorFixture {
 protected:
  // Lays out the description (and the banks WriteBanks adds) and opens the
  // editor into editor.
  void SetUp() override;
  // Bank files to write before the editor opens; none by default.
  virtual void WriteBanks() {}

  // The text of a display line once waiting texts have reached it.
  std::string Line(int paramIndex);
  // Writes text into the line now.
  void SetLine(int paramIndex, const std::string& text);

  VivivI* editor = nullptr;
};
