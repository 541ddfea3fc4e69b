// The UI configuration: builds the editor window from the two enciphered
// descriptions that ship in the bundle. At start-up readUIConfig reads, in a
// fixed order, the SysEx value lists (resources/sysex.tea), the image table,
// the parameter-name table and the UI description (resources/uiconfig.tea),
// whose element walk creates every layer and hands every control element to
// the factory its name and "type" select.
//
// Contents, in reading order:
//   RECORDS                  Values, SysExContainer, ImageInfo (LinkInfo:
//                            src/ControlAction.h)
//   READER                   UIConfigManager.cpp, UIConfigManagerSysEx.cpp
//   TEXT ROUTINES            UIConfigManagerText.cpp
//   PARAMETER TABLE          UIConfigManagerParams.cpp
//   IMAGE TABLE              UIConfigManagerImages.cpp
//   ELEMENT WALK             UIConfigManagerWalk.cpp (structure elements),
//                            UIConfigManagerControls.cpp (control elements)
//   ATTRIBUTE PARSERS        UIConfigManagerAttributes.cpp (with the UI-only
//                            switch and the parameter group label)
//   SYSEX TEMPLATES          UIConfigManagerTemplates.cpp
//   CONTROL FACTORIES        virtual, one file per family:
//                            UIConfigManagerSwitches.cpp, ...Knobs.cpp,
//                            ...Sliders.cpp, ...Menus.cpp, ...Displays.cpp,
//                            sharing UIConfigFactoryPath.h; those not built
//                            yet log and build nothing
//                            (UIConfigManagerFactories.cpp)
//
// Bad input never stops the build: a missing or unreadable description, a
// missing root, a nameless list, a value without text, a parameter name that
// is not in the table or an index that names no parameter are logged
// ("CONFIG READER: ..." lines, written only while the editor's log is on) and
// the item is skipped; the window is built from what was read.
//
// Runs once, on the thread that constructs the editor; no lock.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphicsStructs.h"
#include "src/ControlAction.h"
#include "src/ControlMaps.h"
#include "src/NRPNControlContainer.h"
#include "src/SysExControlContainer.h"
#include "src/UIConfigLog.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
class XMLNode;
}  // namespace tinyxml2

class ControlLayer;
class IControl;
class IGraphics;
class PatchLibrarian;
class EditorServices;

// ==== RECORDS ================================================================

// One list of texts.
typedef std::vector<std::string> Values;

// One "sysex" entry of the SysEx description. A control refers to it by its
// position in the SysEx list (its sysexIndex).
struct SysExContainer {
  std::vector<Values> plainLists;                 // one per plain "values"
  std::vector<std::vector<Values>> groupedLists;  // one group per grouped "values"
  bool multi = false;                             // at least one grouped "values"
};

// One row of the image table: the bitmap cache's resource id, the number of
// frames and whether they lie side by side (else stacked).
struct ImageInfo {
  int resourceId = 0;
  int frames = 1;
  bool framesSideBySide = false;
};

class UIConfigManager {
 public:
  // The resource ids under which the descriptions are loaded.
  static constexpr int kUIDescriptionId = 100;
  static constexpr int kSysExDescriptionId = 101;
  // The walk descends into at most this many nested layer and multilayer
  // elements; deeper ones are logged and skipped.
  static constexpr int kMaxNestingDepth = 64;
  // Elements the walk visits (multilayer instances counted once per
  // instance) before it stops with a logged message.
  static constexpr long kDefaultWalkBudget = 200000;
  // Scaled coordinates are limited to +-kCoordinateLimit.
  static constexpr int kCoordinateLimit = 1 << 20;
  // Attributes of one element that the parser is given; the rest of that
  // element's attributes are ignored (logged). The parser's own work grows
  // with the square of an element's attributes: this keeps the whole read
  // linear in the description's size.
  static constexpr size_t kMaxAttributesPerElement = 256;

  UIConfigManager();
  UIConfigManager(const UIConfigManager&) = delete;
  UIConfigManager& operator=(const UIConfigManager&) = delete;
  // The GUI owns what the walk built; the manager owns only its tables.
  virtual ~UIConfigManager();

  // ==== READER ===============================================================

  // Builds the whole GUI: stores the arguments, then readSysexValues,
  // initImages, initParams, loads, deciphers and parses the UI description,
  // reads its value lists and walks it. uiSetting is the colour scheme (kept).
  // Null gui or plug: logged where possible, nothing is built.
  void readUIConfig(IGraphics* gui, EditorServices* plug, PatchLibrarian* librarian, int uiSetting,
                    double scale);
  // Fills the SysEx list from resources/sysex.tea.
  void readSysexValues();
  // Fills the named value lists from the parsed UI description's
  // "valueLists" section; a nameless list or a value without text is logged
  // and skipped; a later list of the same name replaces the earlier one.
  void readReasources(tinyxml2::XMLDocument* doc);
  // A copy of the named value list; a name without a list gives an empty
  // list (and files one under the name).
  Values getValueList(const std::string& name);

  // ==== TEXT ROUTINES ========================================================

  // Blanks, in the text of a description (up to its first NUL), every
  // attribute of an element after its first limit ones, with spaces: line
  // ends stay, so every line number stays. Returns the line of each element
  // that was cut, in text order. One pass over the text.
  static std::vector<int> capAttributes(std::string* text, size_t limit);
  // Appends to tokens every maximal run of characters of text that holds no
  // character of delimiters: no token is ever empty.
  static void Tokenize(const std::string& text, std::vector<std::string>& tokens,
                       const std::string& delimiters);
  // One int per blank-separated token, read as hexadecimal ("F0" 240, "0x7f"
  // 127, "F7x" 247); a token that does not begin with a number, or does not
  // fit an int, gives 0.
  static std::vector<int> convertStringSysextoVector(std::string text);

  // ==== PARAMETER TABLE ======================================================

  // Registers every parameter name of the editor (195 names, 194 indices),
  // then gives the synthesizer's global settings and the editor's own
  // settings their ranges (initGlobalSettings, initEditorSettings).
  void initParams();
  // Initialises the parameters of the five global settings of the global
  // dump with the Varno's ranges and start values (start-up program 0..98,
  // master tune 0..20, control X 0..3, MIDI channel 0..16, device ID
  // 0..15) as enumerations, so that a value received from the Varno is held
  // exactly whether or not the description gives them a control; a control
  // of the description initialises them again. Needs the plug-in; a missing
  // parameter is skipped.
  void initGlobalSettings();
  // Initialises the editor's settings whose handlers take more than 0 and 1
  // or start elsewhere than 0 (local control 0..1 from 1 ALLOWED, the
  // handshake timer 0..4, the host offset 0..2048) as integers, whether or
  // not the description gives them a control. Needs the plug-in.
  void initEditorSettings();
  // Adds name -> index; a name already present keeps its index (logged).
  void mapParamToString(std::string name, int index);
  // The index of exactly that name (case-sensitive), or -1 (logged).
  int getParamByName(std::string name);

  // ==== IMAGE TABLE ==========================================================

  // Loads the 54 images of the table through the GUI's bitmap cache at the
  // manager's GUI scale and records their identifiers.
  void initImages(IGraphics* graphics);
  // Loads one image (or, while the cache is being cleared, releases it).
  void preloadImage(IGraphics* graphics, int resourceId, const char* identifier, const char* file, int frames,
                    bool framesSideBySide);
  // Releases every image of the table from the cache; the identifiers stay.
  void ClearImageCache();
  // The cached image of the identifier with the table's frames and
  // direction; an unknown identifier gives an empty bitmap (logged
  // "MISSING!"). A null graphics gives an empty bitmap.
  IBitmap getImageByName(IGraphics* graphics, std::string identifier);

  // ==== ELEMENT WALK =========================================================

  // Walks node and its following siblings in document order, building into
  // parent (the GUI when null); instance is the innermost multilayer's
  // instance index, -1 outside one.
  void processXMLElement(tinyxml2::XMLNode* node, ControlLayer* parent, int instance);
  // Elements the walk may still visit; a caller may lower it (the fuzzer).
  void setWalkBudget(long elements) { walkBudget = elements; }

  // ==== ATTRIBUTE PARSERS ====================================================

  // Reads the first min(count, tokens) ","-separated decimal integers of
  // text into values; entries beyond them, and entries whose token does not
  // begin with a number, are not written.
  void getCSValues(std::string text, int* values, int count);
  // values[3]: the indices of the first two ","-separated parameter names,
  // each shifted by max(instance, 0), and a third number when there are
  // exactly three tokens (else -1). Fewer than two tokens: all -1. A name
  // that is not in the table, or an index that names no parameter, gives -1.
  void getBiDirectLinkValues(std::string text, int* values, int instance);
  // The host's group label: "Timbre <instance + 1>" (":" and the group when
  // the group is not empty) for instance 0 or more, else the group. Valid
  // until the next call.
  const char* getParamGroup(int instance, std::string group);
  // trunc(v x GUI scale), limited to +-kCoordinateLimit.
  int scaleCoordinate(int v) const;

  // ==== SYSEX TEMPLATES ======================================================

  // Reads the template text (convertStringSysextoVector) and expands it
  // into count messages with expandSysExTemplate (src/ControlActionSysEx.h):
  // message k carries startValue + k (modulo 128) in the 1-based changing
  // byte. On success message's list is replaced and true returned; a
  // refused template is logged and leaves message as it was.
  // One refused-input line into the log (the building blocks' sink).
  void reportProblem(const std::string& line) const { log(line); }
  bool calculateSysexWithChangingByte(const std::string& sysexTemplate, int changingByte, int count,
                                      ControlActionSysExMessage* message, int startValue, int instance);

  // ==== CONTROL FACTORIES ====================================================
  // Each builds one control for parameter paramIdx at the unscaled (x, y),
  // initialises the parameter and puts the control into layer (the GUI when
  // null). The walk calls a factory only with paramIdx naming a parameter
  // (createControlDisplay excepted: it initialises none). A factory that is
  // not built yet logs that its element was skipped and builds nothing.

  // The UI-only switch ("multiFx" of type "Switch"): a bool parameter, on
  // when defaultValue is not 0, and a switch of the image; no MIDI mapping.
  virtual void createNoValBoolControl(std::string name, int paramIdx, int x, int y, std::string imageId,
                                      double defaultValue, int instance, ControlLayer* layer,
                                      std::string paramGroup);

  virtual void createControlDisplay(std::string name, int paramIdx, int x, int y, int width, int height,
                                    int instance, ControlLayer* layer, std::string group, int displaySize);
  virtual void createBoolControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                                 std::string imageName, int instance, ControlLayer* layer, std::string group);
  // A momentary button of the editor's own (not in the description): a
  // bool parameter starting off; returns the control, null when paramIdx
  // names no parameter.
  virtual IControl* createAutoOffSwitchControl(std::string name, int paramIdx, int x, int y,
                                               std::string imageName, int instance, ControlLayer* layer,
                                               std::string group);
  virtual void createSwitchControl(std::string name, int paramIdx, int defaultValue, int x, int y,
                                   std::string imageName, int instance, ControlLayer* layer,
                                   std::string group);
  virtual void createRadioControl(std::string name, int paramIdx, int x, int y, std::string imageName,
                                  int buttons, int instance, ControlLayer* layer, std::string group);
  virtual void createDropDownMenu(std::string name, int paramIdx, int x, int y, int width, int height,
                                  int instance, ControlLayer* layer, std::string group);
  virtual void createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y, int width,
                                                int height, int input, int instance, ControlLayer* layer,
                                                std::string group);
  virtual void createNameDisplay(std::string name, int paramIdx, int x, int y, int width, int height,
                                 int nameLength, int instance, ControlLayer* layer, std::string group);
  virtual void createDropDownMenu2(std::string name, int paramIdx, int x, int y, int width, int height,
                                   int b1, int b2, int b3, Values texts, int instance, ControlLayer* layer,
                                   std::string group);
  virtual void createNoValKnobControl(std::string name, int paramIdx, int x, int y, std::string image,
                                      double b1, double b2, double b3, double b4, int instance,
                                      ControlLayer* layer, std::string group);
  virtual void createNoValDropDown(std::string name, int paramIdx, int x, int y, int width, int height,
                                   int b1, int b2, int b3, int d1, int d2, int visible, Values texts,
                                   int instance, ControlLayer* layer, std::string group, bool white);
  virtual void createSysExKnobControl(std::string name, int paramIdx, int x, int y, std::string image,
                                      double b1, double b2, double b3, double b4, int msgZeroVal,
                                      int sysexIndex, int changingByte, int instance, LinkInfo link,
                                      ControlLayer* layer, std::string group);
  virtual void createSysExKnobControl2(std::string name, int paramIdx, int x, int y, std::string image,
                                       double b1, double b2, double b3, double b4, int msgZeroVal,
                                       int sysexIndex, int changingByte, int instance, LinkInfo link,
                                       ControlLayer* layer, std::string group);
  virtual void createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length,
                                        std::string image, double b1, double b2, double b3, double b4,
                                        int msgZeroVal, int sysexIndex, int changingByte, int instance,
                                        LinkInfo link, ControlLayer* layer, std::string group,
                                        EDirection direction, bool flag);
  virtual void createSysExBoolControl(std::string name, int paramIdx, int x, int y, std::string image,
                                      double defaultValue, int msgZeroVal, int sysexIndex, int changingByte,
                                      int instance, LinkInfo link, ControlLayer* layer, std::string group);
  virtual void createCCSliderControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                     int length, std::string image, double b1, double b2, double b3,
                                     LinkInfo link, int instance, ControlLayer* layer, std::string group,
                                     EDirection direction, bool flag);
  virtual void createCCKnobControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                   std::string image, double b1, double b2, double b3, double b4,
                                   LinkInfo link, int instance, ControlLayer* layer, std::string group);
  virtual void createCCBoolControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                   std::string image, double defaultValue, double offValue, double onValue,
                                   LinkInfo link, int instance, ControlLayer* layer, std::string group);
  // A typed "ccRadio": a column of lights (ICustomRadioButtonsControl) over
  // an integer parameter min..max starting at defaultValue, one light per
  // value, mapped to a control change like a CC knob (channel rule, CC map).
  // width is the area that takes clicks, lights and the names beside them
  // (at least one frame wide). A bitmap without one frame per value is
  // logged and nothing is built.
  virtual void createCCRadioControl(int cc, int channel, std::string name, int paramIdx, int x, int y,
                                    int width, std::string image, int defaultValue, int minValue,
                                    int maxValue, int instance, ControlLayer* layer, std::string group);
  virtual void createMsbLsbKnobControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                       std::string name, int paramIdx, int x, int y, std::string image,
                                       double b1, double b2, double b3, double b4, LinkInfo link,
                                       int instance, ControlLayer* layer, std::string group);
  virtual void createMsbLsbBoolControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                       std::string name, int paramIdx, int x, int y, std::string image,
                                       double defaultValue, double offValue, double onValue, LinkInfo link,
                                       int instance, ControlLayer* layer, std::string group);
  virtual void createMsbLsbSelectionCCControl(int cc, int msb, int lsb, int lsbControl, int channel,
                                              std::string name, int paramIdx, int x, int y, int width,
                                              int textHeight, int b1, int b2, int b3, int d1, int d2,
                                              Values texts, int instance, ControlLayer* layer,
                                              std::string group);
  virtual void createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y, int width,
                                                int textHeight, int b1, int b2, int b3, int d1, int d2,
                                                Values texts, int msgZeroVal, int color, int sysexIndex,
                                                int changingByte, int instance, ControlLayer* layer,
                                                std::string group);
  virtual void createMultiSelectionCCControl(int cc, int channel, std::string name, int paramIdx, int x,
                                             int y, int width, int textHeight, int b1, int b2, int b3, int d1,
                                             int d2, Values texts, int instance, ControlLayer* layer,
                                             std::string group);
  // The librarian's slot list of a "patchBrowser" element: built with the
  // editor, the scaled left and top, kLibrarianArea, the image, the scaled
  // area, the library and the GUI scale. Returns the control (the walk
  // places it and keeps it as the librarian view), or null when none was
  // built.
  virtual IControl* createLibrarianView(int x, int y, int paramIdx, IBitmap image, IRECT area);

  // ==== STATE ================================================================

  std::map<std::string, ImageInfo> imageTable;
  std::map<std::string, Values> valueLists;
  double scale = 1.0;
  int uiSetting = 0;
  std::vector<SysExContainer> sysexList;
  std::string paramGroupLabel;
  IGraphics* gui = nullptr;
  EditorServices* plug = nullptr;
  PatchLibrarian* librarian = nullptr;
  std::map<std::string, int> paramTable;
  std::map<std::string, ControlLayer*> layersByName;  // a later layer of a name replaces the entry
  IControl* librarianView = nullptr;                  // the control built for "patchBrowser"
  bool clearingImageCache = false;
  // The reverse lookups by which incoming MIDI finds a control, filled by
  // the factories: SysEx headers, MSB/LSB keys and the CC map (channel,
  // controller, mixer-layer key).
  SysExControlContainer sysexControls;
  NRPNControlContainer nrpnControls;
  CCControlMap ccControls;

 protected:
  // One "CONFIG READER: " line, written only while the editor's log is on.
  void log(const std::string& text) const;
  // A factory that is not built yet: logs that the element was skipped.
  void logMissingFactory(const char* factory, const std::string& name, int paramIdx) const;
  // The sink the building blocks report refused input to (this log).
  UIConfigLog logSink() const;
  // What every mapped knob and slider shares: its double parameter named for
  // the instance, the control that makeControl builds of the image, placed
  // in its layer, and the record of the kind with the link rule applied.
  // Null when the control is not built (logged).
  ControlAction* buildMappedControl(const char* factory, const std::string& name, int paramIdx,
                                    const std::string& image, double b1, double b2, double b3, double step,
                                    int instance, ControlLayer* layer, const std::string& group, int kind,
                                    const LinkInfo& link,
                                    const std::function<IControl*(const IBitmap& image)>& makeControl,
                                    IControl** controlOut);
  // What every multi-selection menu shares: its enumerated parameter named
  // for the instance with its n = b3 - b2 texts (the list, or the numbers
  // of the d1..d2 range), the field in its layer, the record of the kind.
  // Null when the menu is not built (logged).
  ControlAction* buildSelectionField(const char* factory, const std::string& name, int paramIdx, int x, int y,
                                     int width, int b1, int b2, int b3, int d1, int d2, const Values& texts,
                                     int instance, ControlLayer* layer, const std::string& group, int kind,
                                     IControl** fieldOut);

 private:
  // Loads the named resource through the GUI and deciphers it; false
  // (logged) when it cannot be loaded.
  bool loadDescription(int id, const char* name, std::string* text);
  // Parses text (up to its first NUL) into doc, each element cut to
  // kMaxAttributesPerElement attributes first; a parse error and every cut
  // element are logged.
  void parseDescription(const char* name, std::string* text, tinyxml2::XMLDocument* doc);

  // ---- The walk ----
  void walkSiblings(tinyxml2::XMLNode* node, ControlLayer* parent, int instance, int depth);
  // Spends one unit of the walk budget; false (logged once) when it is gone.
  bool spendWalkBudget();
  void processElement(tinyxml2::XMLElement* element, ControlLayer* parent, int instance, int depth);
  // "paramId" resolved: the name's index plus max(instance, 0) plus the
  // offset after "+"; -1 (logged) when the name is unknown, the offset is
  // not a number or the result names no parameter.
  int resolveParamId(const std::string& text, int instance, int line);
  bool namesParameter(int index) const;
  void buildLayer(tinyxml2::XMLElement* element, ControlLayer* parent, int instance, int depth);
  void buildMultilayer(tinyxml2::XMLElement* element, ControlLayer* parent, int depth);
  void buildPatchBrowser(tinyxml2::XMLElement* element, ControlLayer* parent, const std::string& image);
  void buildBackground(tinyxml2::XMLElement* element, ControlLayer* parent, const std::string& image);
  // Appends the control to the layer, or attaches it to the GUI.
  void place(IControl* control, ControlLayer* layer);

  // ---- Control elements; each returns false when the element matched none ----
  bool buildControlElement(tinyxml2::XMLElement* element, ControlLayer* parent, int instance, int paramIdx,
                           const std::string& image, const std::string& group);
  void buildTypedElement(tinyxml2::XMLElement* element, ControlLayer* parent, int instance, int paramIdx,
                         const std::string& image, const std::string& group);
  // false (logged) when paramIdx names no parameter: the element is skipped.
  bool checkBound(tinyxml2::XMLElement* element, int paramIdx);
  // The attribute's number list into values (zero-filled first); fewer than
  // needed numbers are logged, the missing ones stay 0.
  void readNumbers(tinyxml2::XMLElement* element, const char* attribute, int* values, int count, int needed);
  // "valueDisplay": two ":"-separated integers, else (-1, -1).
  void readValueDisplay(tinyxml2::XMLElement* element, int* display);
  // An attribute's text ("" when absent) and integer (0 when absent or not
  // a number).
  static std::string attributeText(const tinyxml2::XMLElement* element, const char* name);
  static int intAttribute(const tinyxml2::XMLElement* element, const char* name);
  // The number of values written by getCSValues.
  int readCSValues(const std::string& text, int* values, int count);
  // A decimal integer from the start of token (leading white space and a
  // sign allowed, anything after the digits ignored); false when the token
  // does not begin with one or it does not fit an int.
  static bool readDecimal(const std::string& token, int* value);

  long walkBudget = kDefaultWalkBudget;
  bool walkBudgetReported = false;
};
