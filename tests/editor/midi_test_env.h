// The fixture of the MIDI tests: a real editor object with recording MIDI
// output (MidiEditor), made fresh for every test.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "KIT/IModule/IParam.h"
#include "tests/editor/midi_editor.h"

class MidiEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    editor = std::make_unique<MidiEditor>();
    // The all notes off owed since the start-up's reset is not what a test
    // looks at unless it resets the editor itself.
    editor->resetPending = false;
  }
  void TearDown() override { editor.reset(); }

  // Writes a parameter's value as it stands (no handler, no limit).
  void setParam(int index, double value) {
    IParam* param = editor->GetParam(index);
    ASSERT_NE(param, nullptr) << "parameter " << index;
    param->Set(value);
  }
  double param(int index) const { return editor->GetParam(index) ? editor->GetParam(index)->Value() : -1.0; }

  std::unique_ptr<MidiEditor> editor;
};
