// The fixture of the MIDI tests: the real editor object, built through its
// constructor in the shared fixture's fresh data folder with the built
// bundle's resources, as a MidiEditor (its sends recorded), one per test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "KIT/IModule/IParam.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/midi_editor.h"

class MidiEditorTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    if (const char* description = UiDescription()) {
      UseDescriptions(description, nullptr);
    } else {
      // The editor finds its resources in the bundle of its identifier.
      const std::string folder = BuiltBundle().string();
      CFURLRef url =
          CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()),
                                                  static_cast<CFIndex>(folder.size()), true);
      bundle = CFBundleCreate(nullptr, url);
      CFRelease(url);
      ASSERT_NE(bundle, nullptr) << folder;
    }

    if (WithLog()) WriteLogFile();
    editor = std::make_unique<MidiEditor>();
    // The all notes off owed since the start-up's reset is not what a test
    // looks at unless it resets the editor itself.
    editor->resetPending = false;
  }
  void TearDown() override {
    editor.reset();
    if (bundle) CFRelease(bundle);
    bundle = nullptr;
    EditorFixture::TearDown();
  }

  // A UI description of the test's own (the built bundle's when null).
  virtual const char* UiDescription() const { return nullptr; }

  // Whether the editor writes its log (the file exists before it is built).
  virtual bool WithLog() const { return false; }

  // Writes a parameter's value as it stands (no handler, no limit).
  void setParam(int index, double value) {
    IParam* param = editor->GetParam(index);
    ASSERT_NE(param, nullptr) << "parameter " << index;
    param->Set(value);
  }

  std::unique_ptr<MidiEditor> editor;

 private:
  CFBundleRef bundle = nullptr;
};
