// The plug-in object: the factories, the start-up in its fixed order, the data
// folder and the settings file, the help actions, the lookups of layers and
// controls that start-up keeps, the display lines, and the teardown.
//
// Start-up runs whatever the UI description built: a layer or a control that
// it lacks is skipped with a log line ("INITIALIZATION: ..."), never used.
#include "src/VivivI.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphicsMac.h"
#include "KIT/IModule/ITextControls.h"
#include "KIT/IModule/Truncate.h"
#include "KIT/mutex.h"
#include "KIT/regularfile.h"
#include "src/ControlAction.h"
#include "src/EditorUIConfigManager.h"
#include "src/IPopupMenuControl.h"
#include "src/LibrarianPatch.h"
#include "src/LibrarianViewControl.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSysEx.h"
#include "src/PatchLibrarian.h"
#include "src/PatchManager.h"
#include "src/ProgressIndicator.h"
#include "src/UIConfigManager.h"
#include "src/debugger.h"

const char* const kVivivIBundleID = "com.Harrow Creek Sound.audiounit.VivivI Editor";
const char* const kVivivIEffectName = "VivivI Editor";

namespace {

// The identity the base is built and initialised with.
constexpr int32_t kVivivIVersion = 0x00010105;  // 1.1.5
constexpr int kVivivILatency = 128;
const char* const kVivivIManufacturer = "Harrow Creek Sound";
const char* const kVivivIChannelIO = "2-2";

// Below the user's data folder (or $XDG_DATA_HOME).
const char* const kDataFolderTail = "/Harrow Creek Sound/Tarnwel VivivI Editor/";
const char* const kUserManualName = "Tarnwel VivivI User Manual.pdf";
// The settings file is read up to this many bytes.
constexpr size_t kSettingsReadLimit = 4096;

// The long-name rule: names of this length or more are cut.
constexpr size_t kLongBankName = 50;
constexpr size_t kShortBankNameHead = 44;
constexpr size_t kShortBankNameMax = 49;

// The eight librarian menus: their layers and design rectangles, each over
// the field it opens from: the main menu over the "LIBRARIAN MENU" field and
// the bank menus over the edited and source bank fields of the librarian
// page, the number menus over the bank and program number fields of the
// header (resources/uiconfig.xml).
struct LibrarianMenuRow {
  int layerId;
  const char* layerName;
  IRECT rect;
};
const IRECT kEditedBankField(1016, 132, 1304, 154);
const IRECT kSourceBankField(1016, 172, 1304, 194);
const IRECT kBankNumberField(180, 12, 216, 34);
const LibrarianMenuRow kLibrarianMenuTable[kNumLibrarianMenus] = {
    {70, "LeftPatchPopupMenu", kEditedBankField},       {71, "RightPatchPopupMenu", kSourceBankField},
    {74, "BANKEDITMENU", IRECT(1016, 96, 1304, 118)},   {75, "RightPatchPopupMenu", kSourceBankField},
    {76, "PROGRAMNUMBERMENU", IRECT(228, 12, 264, 34)}, {77, "BANKNUMBERMENUPROGRAMS", kBankNumberField},
    {78, "RightSearchPopupMenu", kSourceBankField},     {80, "PROGBANKNAMEMENUPROGRAMS", kBankNumberField},
};

// The MIDI filter and clock switches at the end of start-up: the value their
// control takes (as the user's) in parameter order from
// kMIDIFilterDAWCCPassThrough on. A pass-through of 0 sets the kind's filter.
constexpr double kFilterStartValues[kSendMIDIClockInfo - kMIDIFilterDAWCCPassThrough + 1] = {
    1.0, 0.0, 1.0, 1.0, 1.0, 1.0, 0.0,  // host: CC, PC, Note, PP, PA, CA, SE
    1.0, 0.0, 1.0, 1.0, 1.0, 1.0, 1.0,  // device: CC, PC, Note, PP, PA, CA, SE
    1.0,                                // track incoming MIDI
    1.0,                                // direct to hardware
    0.0,                                // through the audio thread
    0.0, 0.0,                           // clock start/stop, running clock
};

// The progress overlay's two "Cancel Data Request" switches (librarian page,
// other pages). Both lie at one place of the overlay's card, so that CANCEL
// does not move from one operation to the next.
constexpr int kCancelButtonX[2] = {944, 944};
constexpr int kCancelButtonY[2] = {340, 340};
constexpr int kCancelDataRequestParam = 188;

std::string HomeFolder() {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// Where a cut at byte at leaves whole UTF-8 sequences: backs up over
// continuation bytes.
size_t Utf8Boundary(const std::string& text, size_t at) {
  while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  return at;
}

// Settings lines are stored without what ends them.
std::string TrimLineEnd(std::string line) {
  const size_t end = line.find_last_not_of(" \n\r\t");
  line.erase(end == std::string::npos ? 0 : end + 1);
  return line;
}

// The first control bound to paramIndex in the layer or below it, shown or
// hidden; the depth is bounded as the description's nesting is.
IControl* FirstControlInLayer(const ControlLayer* layer, int paramIndex, int depth) {
  if (!layer || depth > UIConfigManager::kMaxNestingDepth) return nullptr;
  for (int i = 0; i < layer->controls.GetSize(); ++i)
    if (layer->controls.Get(i)->ParamIdx() == paramIndex) return layer->controls.Get(i);
  for (int i = 0; i < layer->subLayers.GetSize(); ++i)
    if (IControl* control = FirstControlInLayer(layer->subLayers.Get(i), paramIndex, depth + 1))
      return control;
  return nullptr;
}

// The start-up lookups: each missing layer or control is logged and the step
// that would use it is skipped.
ControlLayer* StartupLayer(VivivI& plug, const char* name) {
  ControlLayer* layer = plug.layerNamed(name);
  if (!layer)
    plug.log(std::string("INITIALIZATION: Layer \"") + name +
             "\" is missing from the UI description, skipped");
  return layer;
}

IControl* StartupControl(VivivI& plug, int paramIndex) {
  IControl* control = plug.firstControlOf(paramIndex);
  if (!control)
    plug.log("INITIALIZATION: No control is bound to parameter " + std::to_string(paramIndex) + ", skipped");
  return control;
}

// Fills one bank selection list from the library's file banks (steps 30 and
// 32): the enumeration, its display texts, the first control, the name of
// entry 0 and the folder name of the selected bank.
void FillBankList(VivivI& plug, int paramIndex, const char* listName, std::string* firstName,
                  std::string* bankName, IControl** control) {
  const std::vector<PatchFile*>& banks = plug.patchLibrarian->fileBanks;
  IParam* param = plug.GetParam(paramIndex);
  param->InitEnum(listName, 0, static_cast<int>(banks.size()), "", "", -1, -1);
  // The list names the library's banks only: a placeholder text that the
  // window's menu brought must not stand for a bank that does not exist.
  param->ResetDisplayTexts();
  for (size_t i = 0; i < banks.size(); ++i) {
    const std::string& full = banks[i]->fileName;
    const std::string shown = VivivI::shortBankName(full);
    if (shown != full)
      plug.log("PATCH LIBRARIAN: Filename " + full + " RENAMED TO " + shown +
               " Because the filename was too long to fit in plug-in display!");
    param->SetDisplayText(static_cast<int>(i), shown.c_str());
  }
  *control = StartupControl(plug, paramIndex);
  *firstName = param->GetNDisplayTexts() > 0 ? param->GetDisplayTextAtIdx(0) : "";
  if (!banks.empty()) {
    const int selected = TruncateToInt(param->Value());
    if (selected >= 0 && selected < static_cast<int>(banks.size())) *bankName = banks[selected]->folderName;
  }
}

// The sound's category (kCategoryName): a library record's code, 0 "NONE"
// to 20 "INIT", with the category texts. No control of the window sets it
// up. Its display text 0 also holds the category shown now (a received
// dump and a project recall write it, every main-tab switch shows it), so
// the texts are made first: writing entry 0 then keeps the range whole.
void InitCategoryParameter(VivivI& plug) {
  IParam* param = plug.GetParam(kCategoryName);
  if (!param || plug.firstControlOf(kCategoryName)) return;
  param->InitEnum("Category", 0, kNumPatchCategories, "", "", -1, -1);
  param->ResetDisplayTexts();
  for (int code = 0; code < kNumPatchCategories; ++code)
    param->SetDisplayText(code, VarnoSysEx::categoryText(code));
}

// Makes one librarian menu alone in a layer of its own, attached and hidden.
void MakeLibrarianMenuLayer(VivivI& plug, int menu) {
  const LibrarianMenuRow& row = kLibrarianMenuTable[menu];
  ControlLayer* layer = new ControlLayer(row.layerId, row.layerName);
  plug.librarianMenuRects[menu] = VivivI::librarianMenuRect(menu, plug.guiScale);
  if ((plug.librarianMenus[menu] = MakeLibrarianMenu(&plug, menu, plug.librarianMenuRects[menu])))
    layer->controls.Add(plug.librarianMenus[menu]);
  plug.graphics->AttachLayer(layer);
  layer->Hide(true);
  plug.librarianMenuLayers[menu] = layer;
}

}  // namespace

// ==== Factories ==============================================================

IModuleBase* MakePlug() {
  // Two instances opened at once are built one after the other.
  static KIT_Mutex creation;
  KIT_MutexLock hold(&creation);
  IModuleInstanceInfo info;
  info.mBundleID.Set(kVivivIBundleID);
  info.mViewFactoryClassName.Set("VivivI_View");
  return new VivivI(info);
}

IGraphicsMac* MakeGraphics(IModuleAU* plug, int width, int height, int fps) {
  IGraphicsMac* gui = new IGraphicsMac(plug, width, height, fps);
  gui->SetBundleID(kVivivIBundleID);
  return gui;
}

// ==== Start-up ===============================================================

VivivI::VivivI(IModuleInstanceInfo info)
    : EditorServices(info, kNumAutomatedParams, kVivivIChannelIO, 0, kVivivIEffectName, "",
                     kVivivIManufacturer, kVivivIVersion, static_cast<int32_t>(FourCharCode("kzrn")),
                     static_cast<int32_t>(FourCharCode("HcS1")), kVivivILatency, true, true, true, 0) {
  // The fields start at their declared values.
  srand(static_cast<unsigned>(time(nullptr)));
  // The MIDI ports are read while the library and the window are built;
  // the port fields of the UI description take the lists.
  ReadMidiPortsAhead();

  // The log, then the settings.
  dataFolder = getDataFolder();
  logFilePath = dataFolder + kVivivIEffectName + " LOG.txt";
  loggingEnabled = DebuggerOutput::openDebugFile(logFilePath);
  settingsFilePath = dataFolder + kVivivIEffectName + " UI.txt";
  readSettingsFile();
  log("INITIALIZATION STARTED!");
  SetLatency(kVivivILatency);
  log("Data folder located at " + dataFolder);

  // Every parameter exists from here on, none of them automated.
  initialize(info, 0, kNumParams, kVivivIChannelIO, 0, kVivivIEffectName, "", kVivivIManufacturer,
             kVivivIVersion, static_cast<int32_t>(FourCharCode("kzrn")),
             static_cast<int32_t>(FourCharCode("HcS1")), kVivivILatency, true, true, true, 0);
  addNonAutomateParamCount(kNumParams);

  patchManager = std::make_unique<PatchManager>();
  patchManager->owner = this;
  log("PATCH MANAGER INITIALIZED...");
  patchLibrarian = std::make_unique<PatchLibrarian>();
  patchLibrarian->owner = this;
  log("PATCH LIBRARIAN INITIALIZED...");
  patchLibrarian->upperBankIndex = 0;
  patchLibrarian->lowerBankIndex = 0;
  patchLibrarian->loadPatchesFromFilesystem(getPatchesFolderStr());
  log("PATCH LIBRARIAN COMPLETED LOADING SINGLES...");

  // The window size has three values ("small", "normal", "large"), whether
  // or not the UI description gives it a control; such a control sets the
  // parameter up again as it needs.
  if (IParam* size = GetParam(kUserInterfaceSize)) {
    size->InitEnum("User Interface Size", 1, 3, "", "Editor");
    const char* const sizes[] = {"small", "normal", "large"};
    for (int v = 0; v < 3; ++v) size->SetDisplayText(v, sizes[v]);
  }

  // The window and everything in it.
  const int width = TruncateToInt(kEditorWidth * guiScale), height = TruncateToInt(kEditorHeight * guiScale);
  graphics = MakeGraphics(this, width, height, 0);
  log("STARTING USER INTERFACE CONFIGURATION...");
  uiConfig = std::make_unique<EditorUIConfigManager>();
  uiConfig->readUIConfig(graphics, this, patchLibrarian.get(), colourScheme, guiScale);
  log("USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI");
  InitCategoryParameter(*this);
  makeIndicatorLamps();

  if ((rootLayer = StartupLayer(*this, "root"))) rootLayer->Hide(false);
  if ((multiModeMixerLayer = StartupLayer(*this, "multiModeMixer"))) {
    multiModeMixerLayer->zoneId = -1;
    for (int i = 0; i < multiModeMixerLayer->subLayers.GetSize(); ++i) {
      ControlLayer* zone = multiModeMixerLayer->subLayers.Get(i);
      zone->Hide(zone->id != -1);
    }
  }
  patchLibrarianLayer = StartupLayer(*this, "patchLibrarian");
  envelopesLayer = StartupLayer(*this, "envelopes");
  arpeggiatorLayer = StartupLayer(*this, "arpeggiator");
  arpTempoKnobLayer = StartupLayer(*this, "arpTempoKnob");
  arpTempoSyncLayer = StartupLayer(*this, "arpTempoSync");
  ControlLayer** hiddenAtStart[] = {&syncIndicatorLayer,      &crossModIndicatorLayer, &saveChangesLayer,
                                    &discardChangesLayer,     &aboutWindowLayer,       &firstRunLayer,
                                    &midiFilterSettingsLayer, &categoryLimitLayer};
  const char* hiddenNames[] = {
      "syncIndicator", "crossModIndicator",    "saveChangesLayer",   "discardChangesLayerRight",
      "aboutWindow",   "firstRunNotification", "midiFilterSettings", "categoryLimit"};
  for (size_t i = 0; i < sizeof hiddenNames / sizeof hiddenNames[0]; ++i) {
    *hiddenAtStart[i] = StartupLayer(*this, hiddenNames[i]);
    hideLayer(*hiddenAtStart[i], true);
  }
  // The global settings panel, an overlay like the MIDI filters.
  hideLayer(globalSettingsLayer = StartupLayer(*this, "globalSettings"), true);

  randomValues.fill(0);
  partBank.fill(0);
  partProgram.fill(0);
  flags.indicatorLit = 0;
  flags.indicatorLitTicks = 0;

  // The randomiser waits for the main tab switch.
  if ((randomizeControl = StartupControl(*this, kRandomize))) randomizeControl->GrayOut(true);
  hideLayer(patchRenameLayer = StartupLayer(*this, "patchRename"), true);
  miniMixerLayer = StartupLayer(*this, "miniMixer");
  hideLayer(searchFieldLayer = StartupLayer(*this, "searchField"), true);

  graphics->AttachBackground(102, "resources/img/main-frame-bg.png", guiScale);
  AttachGraphics(graphics);
  log("Layers attached...");

  // The progress overlay, on a layer of its own attached last.
  progressLayer = new ControlLayer(0, "PROGRESS");
  // The picture at the GUI scale, as the image table loaded it: at scale
  // 1.0 the cache would make a 1500 x 667 copy, which neither fills a large
  // window nor fits a small one (and the overlay's hit rectangle follows it).
  IBitmap overlay = graphics->LoadIBitmap(118, "resources/img/overlayer.png", guiScale, 1, false);
  progressIndicator = new ProgressIndicator(progressLayer, this, 0, 0, width, height, -1, &overlay,
                                            IRECT(0, 0, width, height));
  // A click on the overlay is not lost without a word.
  progressIndicator->SetTakenClickAction([this] { setStatusText("Varno busy - please wait"); });
  for (int i = 0; i < 2; ++i)
    cancelButtons[i] = uiConfig->createAutoOffSwitchControl(
        "Cancel Data Request", kCancelDataRequestParam, kCancelButtonX[i], kCancelButtonY[i],
        "BUTTON_LIB_CANCEL_ID", 0, progressLayer, "Global");
  progressIndicator->Hide(true);
  progressLayer->Hide(true);

  midiManager =
      std::make_unique<MIDIMessageManager>(this, patchManager.get(), patchLibrarian.get(), graphics);
  MakeDefaultPreset("-", 64);
  patchManager->init();

  patchSearchControl = StartupControl(*this, kPatchSearch);
  mainTabAction = GetParam(kMainTab)->GetControlAction();
  log("Control set 1 attached");

  FillBankList(*this, kPatchSelectionListUpper, "Bank Selection List 1", &upperFirstName, &upperBankName,
               &bankListUpperControl);
  MakeLibrarianMenuLayer(*this, kMenuLeftPatch);
  FillBankList(*this, kPatchSelectionListLower, "Bank Selection List 2", &lowerFirstName, &lowerBankName,
               &bankListLowerControl);
  for (int menu = kMenuRightPatch; menu < kNumLibrarianMenus; ++menu) MakeLibrarianMenuLayer(*this, menu);
  log("Librarian menus attached");

  deviceOutControl = StartupControl(*this, kDeviceOutSelection);
  deviceInControl = StartupControl(*this, kDeviceInSelection);
  patchRenameControl = StartupControl(*this, kPatchRename);
  statusLineControl = StartupControl(*this, kControlDisplayName);
  valueLineControl = StartupControl(*this, kControlDisplayValue);
  patchNameControl = StartupControl(*this, kPatchName);
  categoryDisplayControl = StartupControl(*this, kControlDisplayCategory);
  ccLineControl = StartupControl(*this, kControlDisplayCC);
  midiOutDelayControl = StartupControl(*this, kControlDisplayMIDIOutDelay);
  libCategoryControl = StartupControl(*this, kControlDisplayLibCategory);
  controlLibraryControl = StartupControl(*this, kControlLibrary);
  showLibrarianControl = StartupControl(*this, kShowLibrarian);
  overrideTempoAction = GetParam(kOverrideTempo)->GetControlAction();
  // As if the user had moved them, so that their handlers run.
  for (IControl* control : {controlLibraryControl, showLibrarianControl, controlLibraryControl})
    if (control) control->SetValueFromUserInput(0.0);
  IParam* showLibrarian = GetParam(kShowLibrarian);
  showLibrarian->Set(std::min(std::max(0.0, showLibrarian->GetMin()), showLibrarian->GetMax()));
  // The slot list the UI build made from the "patchBrowser" element.
  librarianView = dynamic_cast<LibrarianViewControl*>(uiConfig->librarianView);
  // The slot menu's Paste and Rename and the copy menu's Copy act on that list.
  if (LibrarianViewControl* list = librarianView) {
    librarianListActions = {[list](int x, int y) { list->PasteSlotData(x, y); },
                            [list](int x, int y) { list->renameSlot(x, y); },
                            [list](int x, int y) { list->CopySlotData(x, y); }};
  }

  graphics->SetParameterFromPlug(kGlobalMidiChannel, 1.0, false);
  log("Control set 2 attached... Resetting");
  Reset();

  for (IControl* control : {bankListUpperControl, bankListLowerControl})
    if (control) control->SetValueFromPlug(0.0);
  graphics->SetParameterFromPlug(kOverrideTempo, 1.0, false);
  graphics->SetParameterFromPlug(kLibSyncTimer, 0.0, false);
  graphics->SetParameterFromPlug(kMainTab, 2.0, false);
  TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, tabContext);
  graphics->AttachLayer(progressLayer);

  const std::string& sizeLine = settingsLines[1];
  if (sizeLine == "small")
    graphics->SetParameterFromPlug(kUserInterfaceSize, 0.0, false);
  else if (sizeLine == "normal")
    graphics->SetParameterFromPlug(kUserInterfaceSize, 1.0, false);
  else if (sizeLine == "large")
    graphics->SetParameterFromPlug(kUserInterfaceSize, 2.0, false);
  if (settingsLines[2] == "no") hideLayer(firstRunLayer, false);

  for (size_t i = 0; i < filterControls.size(); ++i) {
    const int index = kMIDIFilterDAWCCPassThrough + static_cast<int>(i);
    filterControls[i] = StartupControl(*this, index);
    if (filterControls[i]) filterControls[i]->SetValueFromUserInput(kFilterStartValues[i]);
  }
  for (int kind = 0; kind < kNumMidiFilterKinds; ++kind) {
    flags.hostFilter[kind] = kFilterStartValues[kind] == 0.0;
    flags.deviceFilter[kind] = kFilterStartValues[kNumMidiFilterKinds + kind] == 0.0;
  }
  flags.trackIncomingMidi = true;
  flags.routeMidiThroughAudioThread = false;
  flags.sendClockPointer = false;
  flags.sendClockInfo = false;

  // Whole positive values go to the GUI once more.
  for (int i = 0; i < kNumParams; ++i) {
    const int value = TruncateToInt(GetParam(i)->Value());
    if (value > 0) graphics->SetParameterFromPlug(i, value, false);
  }
  if (GetParam(kGlobalLocalControl)->Value() == 0.0) flags.localControl = false;
  log("Plug-in is ready to load!");
  TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, tabContext);
  // The header's bank and program fields open their menus from the start.
  updateBankAndProgramMenuNames(false);
  flags.pluginReady = true;
}

std::string VivivI::shortBankName(const std::string& name) {
  if (name.size() < kLongBankName) return name;
  const size_t head = Utf8Boundary(name, kShortBankNameHead);
  const size_t dot = name.rfind('.');
  std::string tail = dot == std::string::npos ? name : name.substr(dot + 1);
  for (char& c : tail) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  // The extension part is bounded: the whole never exceeds 49 characters.
  const size_t room = kShortBankNameMax - head - 2;
  if (tail.size() > room) tail.erase(Utf8Boundary(tail, room));
  return name.substr(0, head) + "~." + tail;
}

IRECT VivivI::librarianMenuRect(int menu, double scale) {
  if (menu < 0 || menu >= kNumLibrarianMenus) return IRECT();
  const IRECT& r = kLibrarianMenuTable[menu].rect;
  return IRECT(TruncateToInt(r.L * scale), TruncateToInt(r.T * scale), TruncateToInt(r.R * scale),
               TruncateToInt(r.B * scale));
}

// ==== Data folder, settings, help ============================================

std::string VivivI::getDataFolder() {
  const char* own = getenv("VIVIVI_DATA_DIR");
  if (own && *own) return WithTrailingSlash(own);
  const char* xdg = getenv("XDG_DATA_HOME");
  // A relative $XDG_DATA_HOME is invalid and ignored.
  const std::string base = xdg && *xdg == '/' ? std::string(xdg) : HomeFolder() + "/.local/share";
  return base + kDataFolderTail;
}

std::string VivivI::getPatchesFolderStr() const {
  return (dataFolder.empty() ? getDataFolder() : dataFolder) + "Patches";
}

int VivivI::getPatchesFolderLength() const { return static_cast<int>(getPatchesFolderStr().size()); }

const char* VivivI::getPanelString(int n, const std::string& text) {
  panelString = "Timbre " + std::to_string(n + 1) + " " + text;
  return panelString.c_str();
}

void VivivI::readSettingsFile() {
  // Only a regular file is read: a pipe or a device under the settings
  // file's name is a missing settings file, never a start-up that waits.
  const int fd = KIT_OpenRegularFile(settingsFilePath.c_str(), O_RDONLY);
  if (fd < 0) return;  // defaults stay
  // Five short lines: what lies beyond the first kSettingsReadLimit bytes is
  // not read (a stray large file costs no memory).
  std::string text(kSettingsReadLimit, '\0');
  size_t filled = 0;
  while (filled < text.size()) {
    const ssize_t got = ::read(fd, &text[filled], text.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  ::close(fd);
  text.resize(filled);
  size_t start = 0;
  for (std::string& held : settingsLines) {
    if (start >= text.size()) break;
    const size_t end = text.find('\n', start);
    held = TrimLineEnd(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  if (settingsLines[0] == "black") colourScheme = 1;
  if (settingsLines[1] == "small")
    guiScale = kGuiScaleSmall;
  else if (settingsLines[1] == "large")
    guiScale = kGuiScaleLarge;
}

bool VivivI::settingsFileReadable() const {
  const int fd = KIT_OpenRegularFile(settingsFilePath.c_str(), O_RDONLY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool VivivI::writeSettingsFile() {
  if (!settingsFileReadable()) return false;  // never created here
  std::string text;
  for (size_t i = 0; i < settingsLines.size(); ++i) text += (i ? "\n" : "") + settingsLines[i];
  std::string error;
  // Through a temporary file: a failed write leaves the old settings whole.
  if (PatchLibrarian::writeFileSafely(settingsFilePath, reinterpret_cast<const uint8_t*>(text.data()),
                                      static_cast<int>(text.size()), &error))
    return true;
  log("SETTINGS: " + settingsFilePath + " could not be written: " + error);
  return false;
}

void VivivI::OpenDataDirectory(bool manual) {
  std::string path = dataFolder.empty() ? getDataFolder() : dataFolder;
  if (manual) path += kUserManualName;
  if (IGraphics* gui = GetGUI()) gui->OpenURL(path.c_str(), nullptr, nullptr, nullptr);
}

std::string VivivI::helpTopicURL(int topic) {
  switch (topic) {
    case 0:
      return "https://www.harrowcreeksound.com/support/ticket";
    case 1:
      return "https://www.harrowcreeksound.com/downloads";
    case 2:
      return "https://www.harrowcreeksound.com/help";
    default:
      return "";
  }
}

void VivivI::OpenHelpTopics(int topic) {
  const std::string url = helpTopicURL(topic);
  if (url.empty()) return;
  if (IGraphics* gui = GetGUI()) gui->OpenURL(url.c_str(), nullptr, nullptr, nullptr);
}

void VivivI::log(const std::string& text) {
  if (loggingEnabled) DebuggerOutput::printDebugInfo(logFilePath, text);
}

// ==== Layers and controls ====================================================

ControlLayer* VivivI::layerNamed(const std::string& name) const {
  if (!uiConfig) return nullptr;
  const auto found = uiConfig->layersByName.find(name);
  return found == uiConfig->layersByName.end() ? nullptr : found->second;
}

IControl* VivivI::firstControlOf(int paramIndex) const {
  const IParam* param = GetParam(paramIndex);
  if (!param) return nullptr;
  if (const ControlAction* action = param->GetControlAction())
    if (!action->controls.empty() && action->controls.front()) return action->controls.front();
  // A control that no factory registered: the GUI's lists, layers last.
  const IGraphics* gui = graphics ? graphics : GetGUI();
  if (!gui) return nullptr;
  for (int i = 0; i < gui->NControls(); ++i)
    if (gui->GetControl(i)->ParamIdx() == paramIndex) return gui->GetControl(i);
  for (int i = 0; i < gui->NLayers(); ++i)
    if (IControl* control = FirstControlInLayer(gui->GetLayer(i), paramIndex, 0)) return control;
  return nullptr;
}

void VivivI::setDisplayText(int paramIndex, const std::string& text) {
  IGraphics* gui = graphics ? graphics : GetGUI();
  ITextControl* display = dynamic_cast<ITextControl*>(firstControlOf(paramIndex));
  if (gui && display) gui->SetControlTextFromPlug(display, text);
  // The host reads the three lines as their parameters' texts: they follow
  // on the GUI thread, where the host's calls read them. A cleared line reads
  // as a blank (an empty text would read as the parameter's number).
  if (gui && (paramIndex == kControlDisplayName || paramIndex == kControlDisplayValue ||
              paramIndex == kControlDisplayCC))
    if (IParam* param = GetParam(paramIndex))
      gui->RunOnGUIThread([param, text] { param->SetDisplayText(0, text.empty() ? " " : text.c_str()); });
}

// ==== Teardown ===============================================================

VivivI::~VivivI() {
  flags.midiOutputOpen = false;  // nothing is sent from here on
  flags.pluginReady = false;
  // No redraw may reach what follows.
  if (graphics) graphics->CloseWindow();
  // The input thread reaches the manager, the library and the GUI; the
  // workers reach all of them: both stop first.
  CloseExternalMIDIPorts();
  // Ends running jobs and joins the worker threads. The member names the
  // manager until it is gone: a job still running may reach it through
  // this editor.
  midiManager.get_deleter()(midiManager.get());
  static_cast<void>(midiManager.release());
  patchManager.reset();
  // The GUI goes before the library and the UI tables its controls use;
  // then the mapping records no control points to any more.
  delete mGraphics;
  mGraphics = nullptr;
  graphics = nullptr;
  releaseControlActions(this);
  uiConfig.reset();
  patchLibrarian.reset();
}
