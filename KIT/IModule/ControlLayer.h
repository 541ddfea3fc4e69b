// A control layer: a numbered, named group of controls and of further layers
// (its sub-layers) that is shown, hidden and grayed out as one: a page behind
// a tab, a pop-over, a progress display, a zone of a page. Of its sub-layers,
// the one whose id equals the layer's zone id is the one that comes back when
// the layer is shown or un-grayed.
//
// The GUI object holds the top-level layers and consults them after its own
// control list for dirty areas, drawing, hit tests and values. Callers append
// controls and sub-layers to the two lists directly; a layer owns both, and
// a control in a layer is in no other list.
//
// The visible flag, the zone id and the ignore-hidden flag are shared values:
// the editor core may switch pages from the MIDI input thread while the GUI
// thread draws.
#pragma once

#include <atomic>
#include <string>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/ptrlist.h"

class IControl;
class IGraphics;

class ControlLayer {
 public:
  // A new layer: not visible, no controls, no sub-layers, zone id 0, the
  // ignore-hidden flag off; attached nowhere.
  ControlLayer(int id, std::string name);
  ControlLayer(const ControlLayer&) = delete;
  ControlLayer& operator=(const ControlLayer&) = delete;
  // Deletes the controls (last first), then the sub-layers with theirs.
  ~ControlLayer();

  // ---- Showing, hiding, graying --------------------------------------------

  // visible = !hide; every control (and, recursively, every sub-layer's) is
  // marked dirty; every own control is hidden or shown; hiding hides every
  // sub-layer, showing shows only the sub-layers whose id is the zone id.
  // Hiding a visible layer leaves its area to be repainted (isDirty).
  void Hide(bool hide);
  // Marks every control of the layer and its sub-layers dirty, no push.
  void setControlsDirty();
  // Grays or un-grays every own control; graying reaches every sub-layer,
  // un-graying only those whose id is the zone id.
  void GrayOut(bool gray);
  // zone id = zone; when zone lies in 10..252 the sub-layers whose id is
  // zone are grayed or un-grayed.
  void GrayOutCustomZone(bool gray, int zone);
  // zone id = zone; when zone lies in 200..252 each sub-layer is grayed when
  // limit < its id <= 252 and un-grayed otherwise. The bool is not used.
  void GrayOutUserArp(bool unused, int zone, int limit);
  // Sets the flag here and on every sub-layer, and the ignore-hidden flag of
  // this layer's first control (when it has one).
  void setIgnoreHiddenWhenUpdatingScreen(bool on);

  // ---- Values, dirty areas, drawing, hit tests ------------------------------

  // value is a 0..1 position (the bool is not used): every own control bound
  // to paramIdx takes it through SetValueFromPlug, every control holding it
  // as an aux parameter through SetAuxParamValueFromPlug; then the
  // sub-layers. Visibility does not matter.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Adds the rectangles of the dirty controls to r (as a union) and returns
  // whether there were any. A hidden layer answers false unless its
  // ignore-hidden flag is on; hidden controls count only with their own
  // ignore-hidden flag. Once after it was hidden, a layer answers the area
  // it covered (every control's rectangle, its sub-layers' included), so
  // that what lies beneath is drawn again there.
  bool isDirty(IRECT* r);
  // Draws the visible controls of visible layers that meet r, then every
  // sub-layer; every control is marked clean, drawn or not.
  void Draw(IGraphics* graphics, IRECT* r);
  // The frontmost control under the point that is not hidden: sub-layers
  // last to first, then own controls last to first; null for an invisible
  // layer or no hit. Grayed controls count (their handlers decide).
  IControl* isHit(int x, int y);
  // The same walk for the first control bound to paramIdx.
  IControl* getControlFromParam(int paramIdx);

  // ---- The record ----------------------------------------------------------

  int id;
  ISharedValue<bool> visible{false};
  KIT_PtrList<IControl> controls;
  KIT_PtrList<ControlLayer> subLayers;
  std::string name;
  ISharedValue<int> zoneId{0};
  ISharedValue<bool> ignoreHiddenWhenUpdatingScreen{false};

 private:
  // Adds every control's rectangle, sub-layers' included, to r.
  void addWholeArea(IRECT* r);

  // Set when the layer is hidden while visible, taken by the next isDirty.
  std::atomic<bool> mAreaLeft{false};
};

// The walks over a list of controls that the GUI's own list and every layer
// share, from index first on.
// Each control bound to paramIdx takes the position through
// SetValueFromPlug, each holding it as an aux parameter through
// SetAuxParamValueFromPlug.
void SetControlsFromPlug(const KIT_PtrList<IControl>& controls, int first, int paramIdx, double value);
// Adds the rectangles of the dirty controls to r (a union), passing over
// hidden ones without their ignore-hidden flag; true when any was dirty.
bool AddDirtyAreas(const KIT_PtrList<IControl>& controls, int first, IRECT* r);
