#include "tests/view/view_plug.h"

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphicsMac.h"

namespace {

// A control that fills its rectangle with a shade of its colour by value.
class ShadeControl : public IControl {
 public:
  ShadeControl(IModuleBase* plug, IRECT rect, int param, IColor colour)
      : IControl(plug, rect, param), m_colour(colour) {}
  bool Draw(IGraphics* graphics) override {
    const double v = GetValue();
    const IColor shade(255, static_cast<int>(m_colour.R * (0.3 + 0.7 * v)),
                       static_cast<int>(m_colour.G * (0.3 + 0.7 * v)),
                       static_cast<int>(m_colour.B * (0.3 + 0.7 * v)));
    IRECT r = GetRECT();
    return graphics->FillIRect(&shade, &r);
  }

 private:
  IColor m_colour;
};

class SwitchControl : public ShadeControl {
 public:
  using ShadeControl::ShadeControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    if (IsGrayed() || (mod && mod->R)) return;
    SetValue(GetValue() > 0.5 ? 0.0 : 1.0);
    SetDirty(true);
  }
};

class KnobControl : public ShadeControl {
 public:
  KnobControl(IModuleBase* plug, IRECT rect, int param, IColor colour)
      : ShadeControl(plug, rect, param, colour) {
    SetPromptDisabled(false);
  }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override {
    SetValue(GetValue() - dY * 0.01);
    SetDirty(true);
  }
  bool OnKeyDown(int x, int y, int key) override {
    if (key != KEY_UPARROW && key != KEY_DOWNARROW) return false;
    SetValue(GetValue() + (key == KEY_UPARROW ? 0.1 : -0.1));
    SetDirty(true);
    return true;
  }
};

class MenuControl : public ShadeControl {
 public:
  MenuControl(IModuleBase* plug, IRECT rect, int param, IColor colour)
      : ShadeControl(plug, rect, param, colour) {
    SetPromptDisabled(false);
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    if (!IsGrayed()) PromptUserInput();
  }
};

class NoteControl : public ShadeControl {
 public:
  using ShadeControl::ShadeControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override {
    IRECT r = GetRECT();
    GetPlug()->GetGUI()->CreateTextEntry(this, GetText(), &r, m_note.c_str(), nullptr);
  }
  void TextFromTextEntry(const char* text) override {
    m_note = text;
    SetDirty(false);
  }
  std::string m_note = "note";
};

TestPlugIdentity Identity() {
  TestPlugIdentity identity{"View Test", kViewPlugSubtype};
  identity.manufacturer = kViewPlugManufacturer;
  identity.nAutomated = kNumViewParams;
  identity.doesMidi = true;
  identity.isInstrument = false;
  return identity;
}

std::vector<TestParam> Params() {
  std::vector<TestParam> params = CutoffWaveSync();
  params.push_back(TestParam::Int("Voices", 4, 1, 8));
  return params;
}

}  // namespace

ViewTestPlug::ViewTestPlug(IModuleInstanceInfo info) : AUHostedTestPlug(info, Identity(), Params()) {
  for (int i = 0; i < kNumViewParams; ++i) GetParam(i)->Set(GetParam(i)->GetDefault());

  IGraphicsMac* gui = new IGraphicsMac(this, kViewPlugWidth, kViewPlugHeight, 25);
  gui->SetBundleID(kViewPlugBundleID);
  const IColor panel(255, 40, 44, 52);
  gui->AttachPanelBackground(&panel);
  gui->AttachControl(
      new SwitchControl(this, ViewPlugControls::Switch(), kViewSync, IColor(255, 250, 180, 40)));
  gui->AttachControl(new KnobControl(this, ViewPlugControls::Knob(), kViewCutoff, IColor(255, 60, 200, 255)));
  gui->AttachControl(new MenuControl(this, ViewPlugControls::Menu(), kViewWave, IColor(255, 200, 90, 220)));
  gui->AttachControl(
      new KnobControl(this, ViewPlugControls::Voices(), kViewVoices, IColor(255, 90, 230, 120)));
  m_note = new NoteControl(this, ViewPlugControls::Note(), -1, IColor(255, 230, 230, 230));
  gui->AttachControl(m_note);
  AttachGraphics(gui);
}

std::string ViewTestPlug::NoteText() const { return static_cast<NoteControl*>(m_note)->m_note; }

// ---- Factory (the exported entries are in KIT/IModule/IModuleAU_Exports.cpp) ----

IModuleBase* MakePlug() {
  IModuleInstanceInfo info;
  info.mBundleID.Set(kViewPlugBundleID);
  info.mViewFactoryClassName.Set("VivivI_View");
  return new ViewTestPlug(info);
}
