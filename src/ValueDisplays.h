// The editor's text displays, as the UI description places them: the
// read-only displays of a `display` element (parameter name, value and
// controller of the control being moved, categories, status texts) and the
// editable name fields of a "nameSelection" drop menu (patch name, rename
// and search fields). The UI configuration manager's createControlDisplay
// and createNameDisplay hand their arguments on to the builders here.
//
// Both register the new control in their parameter's ControlAction with the
// kind kActionNone: the editor core finds each display as the first control
// of that record and writes its texts.
#pragma once

#include <string>

#include "KIT/IModule/IGraphicsStructs.h"
#include "src/UIConfigLog.h"

class ControlLayer;
class ICaptionControl;
class IGraphics;
class IModuleBase;
class ITextControl;

// ---- Style -------------------------------------------------------------------

// Face of every display; fixed-width, it falls back to an installed
// fixed-width face where it is missing.
inline constexpr const char* kDisplayFont = "NK57 Monospace";
inline constexpr IColor kDisplayGreen(255, 66, 240, 100);       // the usual display colour
inline constexpr IColor kDisplayBlue(255, 0, 174, 255);         // displays of variant 2
inline constexpr IColor kDisplayLightGrey(255, 225, 225, 225);  // the rename and search fields
inline constexpr IColor kDisplayWell(255, 14, 15, 17);          // the dark well a name field sits in

// The display style: kDisplayFont at size (int)(h x scale) in the colour,
// normal, centred both ways, orientation 0, quality 3, the framework's
// text-entry colours.
IText displayTextStyle(int h, double scale, const IColor& colour);
// (x', y', x' + w', y' + h'), each value scaled and truncated on its own.
IRECT scaledDisplayRect(int x, int y, int w, int h, double scale);
// kDisplayBlue for variant 2, kDisplayGreen for any other.
IColor controlDisplayColour(int variant);

// ---- Builders ----------------------------------------------------------------
// With a layer the control goes into the layer's list, else it is attached
// to gui. Refused with a logged line (null, nothing built): a paramIdx that
// names no parameter of plug, or neither a layer nor a GUI.

// A read-only text display (empty text, no text entry) over bounds (x, y,
// w, h), coloured by variant. The parameter is not initialised.
ITextControl* buildControlDisplay(IModuleBase* plug, IGraphics* gui, double scale, int paramIdx, int x, int y,
                                  int w, int h, ControlLayer* layer, int variant, const UIConfigLog& log);

// An editable name field over bounds (x, y, w, h) that shows the
// parameter's text: the parameter becomes a text parameter named name in
// group; its first text is "-- INIT --" for kPatchName, "search..." for
// kPatchSearchString and "New Name" for kPatchRename (the last two drawn
// light grey). A click opens a text field of at most nameLength characters
// (0: no limit), in the field's text colour on the dark of a display well.
ICaptionControl* buildNameDisplay(IModuleBase* plug, IGraphics* gui, double scale, const std::string& name,
                                  int paramIdx, int x, int y, int w, int h, int nameLength,
                                  ControlLayer* layer, const char* group, const UIConfigLog& log);
