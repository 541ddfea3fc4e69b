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

#include <functional>
#include <string>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/IModule/ITextControls.h"
#include "src/UIConfigLog.h"

class ControlLayer;
class IGraphics;
class IModuleBase;

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
// w, h), coloured by variant, whose text is cut to fit it. The parameter is
// not initialised.
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

// ---- Fields that fit their text -----------------------------------------------

// The text as it fits width pixels by measure (the drawn width of a text):
// whole when it fits, else its start and its end around "...", keeping more
// of the end (a port's name follows its client's). Never empty for a
// non-empty text: at worst "..." alone.
std::string fitTextToWidth(const std::string& text, int width,
                           const std::function<int(const std::string&)>& measure);

// A caption field whose text is cut to its rectangle (less a small margin)
// instead of running over its neighbours: the MIDI port fields, whose names
// the host's port list makes as long as it likes. The full text stays the
// parameter's (the port menu and the status line show it whole).
class FittedCaptionControl : public ICaptionControl {
 public:
  using ICaptionControl::ICaptionControl;
  bool Draw(IGraphics* graphics) override;

 protected:
  // The text to show before fitting: the parameter's display text.
  virtual std::string ShownText();
};

// The BANK field of the program selector: the Varno's bank ("P.") as the
// parameter names it, or, while the selector plays the librarian's banks
// (library mode), the number of the edited bank in the library's list (1 for
// the first), as the bank menu lists them. The library bank comes from a
// source the builder gives (the edited bank's index in library mode, else
// -1); without one the field shows the parameter.
class BankNumberField : public FittedCaptionControl {
 public:
  using FittedCaptionControl::FittedCaptionControl;
  void SetLibraryBankSource(std::function<int()> source) { mLibraryBank = std::move(source); }
  // Also dirty when the mode or the edited bank changed since it was drawn.
  bool IsDirty() override;

 protected:
  std::string ShownText() override;

 private:
  int LibraryBank() const { return mLibraryBank ? mLibraryBank() : -1; }
  std::function<int()> mLibraryBank;
  int mDrawnBank = -1;  // GUI thread only
};
