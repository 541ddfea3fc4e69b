#include "tests/protocol/protocol_editor.h"

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/ITextControls.h"
#include "src/ControlMaps.h"
#include "src/ProgressIndicator.h"
#include "src/UIConfigManager.h"

namespace {

// Editor settings that the protocol reads and writes, with the ranges of the
// implementation chart, where the built description gives them no control of
// their own; a parameter the description does set up keeps its own range.
// (The global settings have theirs from the editor itself.)
struct SettingRange {
  int index;
  int minimum;
  int maximum;
};
constexpr SettingRange kSettingRanges[] = {
    {kGlobalLocalControl, 0, 1}, {kPartLock, 0, 1},      {kCurrentPatch, 0, 98},
    {kLibSyncTimer, 0, 4},       {kOverrideTempo, 0, 1},
};

}  // namespace

ProtocolEditor::ProtocolEditor(bool virtualClock) {
  for (const SettingRange& range : kSettingRanges)
    if (!firstControlOf(range.index)) {
      IParam* param = GetParam(range.index);
      const double value = param->Value();
      param->InitInt("", range.minimum, range.minimum, range.maximum);
      param->Set(value < range.minimum ? range.minimum : value > range.maximum ? range.maximum : value);
    }
  // The banks the tests fill; the library read none from the empty data folder.
  for (int column = 0; column < 2; ++column) {
    PatchFile* bank = new PatchFile();
    bank->fileName = column ? "lower.syx" : "upper.syx";
    bank->patches.resize(PatchFile::kSlots);
    patchLibrarian->fileBanks.push_back(bank);
  }
  patchLibrarian->upperBankIndex = static_cast<int>(patchLibrarian->fileBanks.size()) - 2;
  patchLibrarian->lowerBankIndex = patchLibrarian->upperBankIndex + 1;
  mBankAtStart = patchLibrarian->fileBanks[static_cast<size_t>(patchLibrarian->upperBankIndex)]->patches;
  if (virtualClock)
    sender().setSleepFunction([this](int ms) {
      virtualTime += ms;
      pauseForWatcher();
    });
  clearStatus();
  setDisplayText(kControlDisplayCategory, "");
  watch();
}

ProtocolEditor::~ProtocolEditor() { endCallbacks(); }

void ProtocolEditor::endCallbacks() {
  {
    std::lock_guard<std::mutex> lock(mWatchMutex);
    mServing = false;
  }
  mWatchChanged.notify_all();
  CloseExternalMIDIPorts();
  sender().shutdown();
  midiManager->waitForJobs();
}

// ---- Controls ----------------------------------------------------------------

IControl* ProtocolEditor::controlFor(int parameter) {
  if (IControl* own = firstControlOf(parameter)) return own;
  mControls.push_back(std::make_unique<IControl>(this, parameter));
  IControl* control = mControls.back().get();
  // The UI build pushes every control's value once, which fixes its default.
  control->SetValueFromPlug(GetParam(parameter)->GetNormalized());
  return control;
}

IControl* ProtocolEditor::addSysExControl(int parameter, int key3, int key4, int c, int d) {
  if (IControl* filed = getSysexControl(key3, key4, c, d, 0))
    if (filed->ParamIdx() == parameter) return filed;
  IControl* control = controlFor(parameter);
  unsigned char header[4] = {static_cast<unsigned char>(key3), static_cast<unsigned char>(key4),
                             static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
  uiConfig->sysexControls.addToControlMap(header, 0, control);
  return control;
}

IControl* ProtocolEditor::addCCControl(int parameter, int channelKey, int controller, int table) {
  if (IControl* filed = getCCControls(channelKey, controller, table))
    if (filed->ParamIdx() == parameter) return filed;
  IControl* control = controlFor(parameter);
  addToCCControlMap(uiConfig->ccControls, channelKey, controller, table, control);
  return control;
}

// ---- Hooks -------------------------------------------------------------------

void ProtocolEditor::OnParamChange(int index) {
  noteCategory();
  if (index == kDiscardBankData) {
    const auto stored = storedPatches();  // on the thread that changes the banks
    std::lock_guard<std::mutex> lock(mMutex);
    mStoredBeforeDiscard = stored;
  }
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mCalls.paramChanges.push_back(index);
  }
  VivivI::OnParamChange(index);
}

void ProtocolEditor::OnParamChange2(int index) {
  noteCategory();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mCalls.paramChanges2.push_back(index);
    mCalls.hardwareFlagAtChange2.push_back(midiManager->valueFromHardware);
  }
  VivivI::OnParamChange2(index);
}

std::vector<std::pair<int, LibrarianPatch>> ProtocolEditor::storedBeforeDiscard() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mStoredBeforeDiscard;
}

EditorCalls ProtocolEditor::calls() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mCalls;
}

void ProtocolEditor::clearCalls() {
  std::lock_guard<std::mutex> lock(mMutex);
  mCalls = EditorCalls();
}

// ---- The host side -------------------------------------------------------------

void ProtocolEditor::record(std::vector<Bytes>& list, Bytes bytes, bool timed) {
  std::lock_guard<std::mutex> lock(mMutex);
  list.push_back(std::move(bytes));
  if (timed) mRawTimes.push_back(std::chrono::steady_clock::now());
}

bool ProtocolEditor::SendMidiSysex(unsigned char* bytes, int size) {
  if (!bytes || size <= 0) return false;
  const Bytes given(bytes, bytes + size);
  Bytes framed = given;
  if (framed.front() != 0xF0) {
    framed.insert(framed.begin(), 0xF0);
    framed.push_back(0xF7);
  }
  record(mSent, framed, false);
  if (onRequest) onRequest(given);
  // Requests for withheldProgram never leave: to the jobs that program of
  // the synthesizer stays silent, at every device ID.
  if (framed.size() >= 6 && framed[4] == 0x41 && framed[5] == withheldProgram) return true;
  return IModuleAU::SendMidiSysex(bytes, size);
}

bool ProtocolEditor::SendMidiSysex2(std::vector<unsigned char> bytes) {
  record(mRaw, bytes, true);
  return IModuleAU::SendMidiSysex2(bytes);
}

bool ProtocolEditor::SendMidiMsg(IMidiMsg* msg) {
  record(mRaw, {msg->mStatus, msg->mData1, msg->mData2}, true);
  return true;
}

std::vector<Bytes> ProtocolEditor::sent() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mSent;
}

std::vector<Bytes> ProtocolEditor::rawSends() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mRaw;
}

std::vector<std::chrono::steady_clock::time_point> ProtocolEditor::clockTickTimes() const {
  std::lock_guard<std::mutex> lock(mMutex);
  std::vector<std::chrono::steady_clock::time_point> times;
  for (size_t i = 0; i < mRaw.size() && i < mRawTimes.size(); ++i)
    if (mRaw[i] == Bytes{0xF8}) times.push_back(mRawTimes[i]);
  return times;
}

// ---- The library ---------------------------------------------------------------

std::vector<std::pair<int, LibrarianPatch>> ProtocolEditor::storedPatches() const {
  std::vector<std::pair<int, LibrarianPatch>> stored;
  const size_t upper = static_cast<size_t>(patchLibrarian->upperBankIndex);
  if (upper >= patchLibrarian->fileBanks.size()) return stored;  // the banks were read again
  const std::vector<LibrarianPatch>& slots = patchLibrarian->fileBanks[upper]->patches;
  for (size_t slot = 0; slot < slots.size(); ++slot) {
    const bool same = slot < mBankAtStart.size() && slots[slot].messages == mBankAtStart[slot].messages &&
                      slots[slot].name == mBankAtStart[slot].name;
    if (!same) stored.emplace_back(static_cast<int>(slot), slots[slot]);
  }
  return stored;
}

// ---- What the window shows -------------------------------------------------------

namespace {
std::string textOf(IControl* control) {
  ITextControl* text = dynamic_cast<ITextControl*>(control);
  if (!text) return "";
  KIT_String copy;
  text->GetTextCopy(&copy);
  return copy.Get();
}
}  // namespace

void ProtocolEditor::watch() {
  if (IGraphics* gui = GetGUI()) {
    IRECT area;
    gui->IsDirty(&area);
  }
  const std::string status = textOf(firstControlOf(kControlDisplayName));
  if (!status.empty() && (mStatusTexts.empty() || mStatusTexts.back() != status))
    mStatusTexts.push_back(status);
  const bool shown = progressIndicator && !progressIndicator->IsHidden();
  if (mIndicator.empty() ? shown : mIndicator.back() != shown) mIndicator.push_back(shown);
}

std::vector<std::string> ProtocolEditor::statusTexts() {
  watch();
  return mStatusTexts;
}

std::vector<bool> ProtocolEditor::indicatorStates() {
  watch();
  return mIndicator;
}

void ProtocolEditor::clearStatus() {
  setDisplayText(kControlDisplayName, "");
  watch();
  mStatusTexts.clear();
  mIndicator.clear();
}

void ProtocolEditor::noteCategory() {
  const std::string shown = textOf(firstControlOf(kControlDisplayCategory));
  std::lock_guard<std::mutex> lock(mMutex);
  if (!shown.empty() && (mCategories.empty() || mCategories.back() != shown)) mCategories.push_back(shown);
}

std::vector<std::string> ProtocolEditor::categoriesShown() {
  watch();
  noteCategory();
  std::lock_guard<std::mutex> lock(mMutex);
  return mCategories;
}

std::string ProtocolEditor::categoryShownNow() {
  watch();
  return textOf(firstControlOf(kControlDisplayCategory));
}

// ---- Jobs ------------------------------------------------------------------------

bool ProtocolEditor::jobsRunning() {
  return midiManager->dataThread.isRunning() || midiManager->transportThread.isRunning() ||
         midiManager->clockThread.isRunning();
}

void ProtocolEditor::pauseForWatcher() {
  std::unique_lock<std::mutex> lock(mWatchMutex);
  if (!mServing) return;
  const unsigned long long ticket = ++mAsked;
  mWatchChanged.notify_all();
  mWatchChanged.wait(lock, [&] { return mAnswered >= ticket || !mServing; });
}

bool ProtocolEditor::postAndJoin(const SenderJob& job) {
  {
    std::lock_guard<std::mutex> lock(mWatchMutex);
    mServing = true;
  }
  if (!midiManager->postJob(job)) {
    {
      std::lock_guard<std::mutex> lock(mWatchMutex);
      mServing = false;
    }
    mWatchChanged.notify_all();
    return false;
  }
  joinAll();
  return true;
}

void ProtocolEditor::joinAll() {
  {
    std::lock_guard<std::mutex> lock(mWatchMutex);
    mServing = true;
  }
  for (;;) {
    const bool running = jobsRunning();
    unsigned long long upTo = 0;
    {
      std::unique_lock<std::mutex> lock(mWatchMutex);
      mWatchChanged.wait_for(lock, std::chrono::milliseconds(1), [&] { return mAsked > mAnswered; });
      upTo = mAsked;
    }
    watch();
    {
      std::lock_guard<std::mutex> lock(mWatchMutex);
      mAnswered = upTo;
    }
    mWatchChanged.notify_all();
    if (!running) break;
  }
  {
    std::lock_guard<std::mutex> lock(mWatchMutex);
    mServing = false;
  }
  mWatchChanged.notify_all();
  midiManager->waitForJobs();
  watch();
}
