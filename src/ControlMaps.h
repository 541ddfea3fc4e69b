// The reverse indexes by which incoming MIDI finds the control that shows a
// parameter: nested ordered maps keyed by int, outermost first, ending in
// the control (owned by the GUI, never by a map). They are filled once
// while the window is built, on the thread that builds it, and only read
// afterwards (from the MIDI input thread, without a lock); nothing is ever
// removed. A lookup creates nothing; filing a second control under the same
// keys replaces the first.
//
// The two five-level containers are SysExControlContainer.h and
// NRPNControlContainer.h; the CC index is CCControlMap below.
#pragma once

#include <map>

class IControl;

// The levels, innermost last.
using ccControlMap = std::map<int, IControl*>;
using controlID3 = std::map<int, ccControlMap>;
using controlID2 = std::map<int, controlID3>;
using controlID1 = std::map<int, controlID2>;

// The CC index: MIDI channel key, controller number, mixer-layer key.
using CCControlMap = std::map<int, controlID3>;

// Files control under (channel, controller, key).
void addToCCControlMap(CCControlMap& map, int channel, int controller, int key, IControl* control);
// The control filed under the three keys, or null.
IControl* findCCControl(const CCControlMap& map, int channel, int controller, int key);
