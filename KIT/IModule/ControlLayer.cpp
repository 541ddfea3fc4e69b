#include "KIT/IModule/ControlLayer.h"

#include <utility>

#include "KIT/IModule/IControl.h"

ControlLayer::ControlLayer(int id_, std::string name_) : id(id_), name(std::move(name_)) {}

ControlLayer::~ControlLayer() {
  controls.Empty(true);
  subLayers.Empty(true);
}

// ---- Showing, hiding, graying ------------------------------------------------

void ControlLayer::Hide(bool hide) {
  if (hide && visible) mAreaLeft = true;
  visible = !hide;
  setControlsDirty();
  for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->Hide(hide);
  for (int i = 0; i < subLayers.GetSize(); ++i) {
    ControlLayer* sub = subLayers.Get(i);
    if (hide)
      sub->Hide(true);
    else if (sub->id == zoneId)
      sub->Hide(false);
  }
}

void ControlLayer::setControlsDirty() {
  for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->SetDirty(false);
  for (int i = 0; i < subLayers.GetSize(); ++i) subLayers.Get(i)->setControlsDirty();
}

void ControlLayer::GrayOut(bool gray) {
  for (int i = 0; i < controls.GetSize(); ++i) controls.Get(i)->GrayOut(gray);
  for (int i = 0; i < subLayers.GetSize(); ++i) {
    ControlLayer* sub = subLayers.Get(i);
    if (gray)
      sub->GrayOut(true);
    else if (sub->id == zoneId)
      sub->GrayOut(false);
  }
}

void ControlLayer::GrayOutCustomZone(bool gray, int zone) {
  zoneId = zone;
  if (zone < 10 || zone > 252) return;
  for (int i = 0; i < subLayers.GetSize(); ++i)
    if (subLayers.Get(i)->id == zone) subLayers.Get(i)->GrayOut(gray);
}

void ControlLayer::GrayOutUserArp(bool, int zone, int limit) {
  zoneId = zone;
  if (zone < 200 || zone > 252) return;
  for (int i = 0; i < subLayers.GetSize(); ++i) {
    ControlLayer* sub = subLayers.Get(i);
    sub->GrayOut(limit < sub->id && sub->id <= 252);
  }
}

void ControlLayer::setIgnoreHiddenWhenUpdatingScreen(bool on) {
  ignoreHiddenWhenUpdatingScreen = on;
  for (int i = 0; i < subLayers.GetSize(); ++i) subLayers.Get(i)->setIgnoreHiddenWhenUpdatingScreen(on);
  if (IControl* first = controls.Get(0)) first->SetIgnoreHidden(on);
}

// ---- Values, dirty areas, drawing, hit tests ---------------------------------

void ControlLayer::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
  SetControlsFromPlug(controls, 0, paramIdx, value);
  for (int i = 0; i < subLayers.GetSize(); ++i)
    subLayers.Get(i)->SetParameterFromPlug(paramIdx, value, normalized);
}

bool ControlLayer::isDirty(IRECT* r) {
  if (!visible && !ignoreHiddenWhenUpdatingScreen) {
    if (!mAreaLeft.exchange(false)) return false;
    addWholeArea(r);
    return true;
  }
  bool dirty = AddDirtyAreas(controls, 0, r);
  for (int i = 0; i < subLayers.GetSize(); ++i)
    if (subLayers.Get(i)->isDirty(r)) dirty = true;
  return dirty;
}

void ControlLayer::addWholeArea(IRECT* r) {
  for (int i = 0; i < controls.GetSize(); ++i) *r = r->Union(controls.Get(i)->GetRECT());
  for (int i = 0; i < subLayers.GetSize(); ++i) subLayers.Get(i)->addWholeArea(r);
}

void ControlLayer::Draw(IGraphics* graphics, IRECT* r) {
  const bool shown = visible;
  for (int i = 0; i < controls.GetSize(); ++i) {
    IControl* control = controls.Get(i);
    if (shown && !control->IsHidden() && r->Meets(control->GetRECT())) control->Draw(graphics);
    control->SetClean();
  }
  for (int i = 0; i < subLayers.GetSize(); ++i) subLayers.Get(i)->Draw(graphics, r);
}

IControl* ControlLayer::isHit(int x, int y) {
  if (!visible) return nullptr;
  for (int i = subLayers.GetSize() - 1; i >= 0; --i)
    if (IControl* hit = subLayers.Get(i)->isHit(x, y)) return hit;
  for (int i = controls.GetSize() - 1; i >= 0; --i) {
    IControl* control = controls.Get(i);
    if (!control->IsHidden() && control->IsHit(x, y)) return control;
  }
  return nullptr;
}

IControl* ControlLayer::getControlFromParam(int paramIdx) {
  if (!visible) return nullptr;
  for (int i = subLayers.GetSize() - 1; i >= 0; --i)
    if (IControl* found = subLayers.Get(i)->getControlFromParam(paramIdx)) return found;
  for (int i = controls.GetSize() - 1; i >= 0; --i)
    if (controls.Get(i)->ParamIdx() == paramIdx) return controls.Get(i);
  return nullptr;
}

// ---- Walks shared with the GUI's control list --------------------------------

void SetControlsFromPlug(const KIT_PtrList<IControl>& controls, int first, int paramIdx, double value) {
  for (int i = first; i < controls.GetSize(); ++i) {
    IControl* control = controls.Get(i);
    if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(value);
    const int aux = control->AuxParamIdx(paramIdx);
    if (aux >= 0) control->SetAuxParamValueFromPlug(aux, value);
  }
}

bool AddDirtyAreas(const KIT_PtrList<IControl>& controls, int first, IRECT* r) {
  bool dirty = false;
  for (int i = first; i < controls.GetSize(); ++i) {
    IControl* control = controls.Get(i);
    if (control->IsHidden() && !control->GetIgnoreHidden()) continue;
    if (control->IsDirty()) {
      *r = r->Union(control->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}
