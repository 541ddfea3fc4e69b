// A small plug-in whose GUI runs on the platform binding (IGraphicsMac over
// the view layer), for the view tests and, built as the bundle
// ViewTest.bundle, for the host program. Its window (300 x 200, panel
// background) holds five controls that show their value as a shade:
//   switch  (20, 20, 70, 60)    "Sync": a left press toggles it
//   knob    (90, 20, 150, 80)   "Cutoff" 0..100: drags, the wheel, arrow keys
//                               (up/down one tenth), double click to the
//                               default; a right click prompts a text entry
//   menu    (170, 20, 280, 45)  "Wave" (Saw, Square, Noise): a left click
//                               prompts the menu of its texts
//   voices  (20, 100, 80, 125)  "Voices" 1..8: a right click prompts a text entry
//   note    (100, 100, 280, 125) no parameter: a click opens a free text
//                               entry whose text the control keeps
// The bundle exports VivivI_Entry, VivivI_ViewEntry and the view factory's
// call VivivI_View_uiViewForAudioUnit.
#pragma once

#include <string>
#include <vector>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/IModule/IModuleAU.h"
#include "tests/support/test_plug.h"

class IControl;

constexpr const char* kViewPlugBundleID = "com.Harrow Creek Sound.audiounit.ViewTest";
constexpr int32_t kViewPlugSubtype = static_cast<int32_t>(FourCharCode("vwtp"));
constexpr int32_t kViewPlugManufacturer = static_cast<int32_t>(FourCharCode("HcS1"));
constexpr int kViewPlugWidth = 300, kViewPlugHeight = 200;

enum EViewPlugParams { kViewCutoff = 0, kViewWave, kViewSync, kViewVoices, kNumViewParams };

struct ViewPlugControls {
  static IRECT Switch() { return IRECT(20, 20, 70, 60); }
  static IRECT Knob() { return IRECT(90, 20, 150, 80); }
  static IRECT Menu() { return IRECT(170, 20, 280, 45); }
  static IRECT Voices() { return IRECT(20, 100, 80, 125); }
  static IRECT Note() { return IRECT(100, 100, 280, 125); }
};

class ViewTestPlug : public AUHostedTestPlug {
 public:
  explicit ViewTestPlug(IModuleInstanceInfo info);
  double Value(int param) { return GetParam(param)->Value(); }
  // The text the note control took from its last free text entry.
  std::string NoteText() const;
  // The parameters whose text entries were closed without their text, in
  // order.
  void OnTextEntryDropped(int index) override { m_dropped.push_back(index); }
  const std::vector<int>& Dropped() const { return m_dropped; }

 private:
  IControl* m_note = nullptr;
  std::vector<int> m_dropped;
};
