// A stand-in for the editor that the core's tests drive without the plug-in:
// the editor services answered by recorders, the editor's parameters (each
// an integer 0 to 127 until a test gives it a range), a patch snapshot, an
// empty library and the protocol's manager, and no window.
//
//   FakeEditor editor;
//   editor.midiManager->ProcessMidiMsgFromDevice(&msg);
//   EXPECT_EQ(editor.calls().routed.size(), 1u);
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "KIT/IModule/IControl.h"
#include "src/EditorServices.h"
#include "tests/support/hostless_plug.h"

class PatchManager;

// What the core asked of the editor, in order of each kind.
struct ServiceCalls {
  std::vector<std::string> statusTexts;                  // setStatusText
  std::vector<std::pair<int, std::string>> lineTexts;    // setDisplayText
  std::vector<bool> indicatorStates;                     // DisplayProcessingIndicator
  std::vector<std::string> categoryNames;                // displayCategoryName
  std::vector<std::vector<unsigned char>> checkedSends;  // checksumCheckAndSend, as handed over
  std::vector<IMidiMsg> routed;                          // MIDIOutRoutingSwitch
  std::vector<std::pair<int, int>> programChanges;       // SendProgramChangeCommand: program, argument
  std::vector<std::pair<int, int>> librarianSends;       // sendPatchToDeviceFromLibrarian: slot, column
  std::vector<int> selectedRows;                         // selectLibrarianViewRow
  std::vector<int> viewUpdates;                          // updatePatchLibrarianView
  std::vector<int> pauses;                               // pauseWithoutLock, in milliseconds
  std::vector<bool> unsavedMarks;                        // SetLibrarianStatusUnsaved
  std::vector<int> paramChanges, paramChanges2;          // OnParamChange, OnParamChange2
};

class FakeEditor : public HostlessPlug<EditorServices> {
 public:
  FakeEditor();
  ~FakeEditor() override;

  // Files a control of the parameter where the core's lookups find it
  // (owned here).
  IControl* fileCCControl(int parameter, int channelKey, int controller, int table);
  IControl* fileSysexControl(int parameter, int byte1, int byte2, int byte3, int byte4);
  ServiceCalls calls() const;
  int librarianColumn = 0;  // what getLibrarianViewColumn answers

  // ---- The services, recorded ----
  void setStatusText(const std::string& text) override;
  void setClockStatusText(const std::string& text) override;
  void setDisplayText(int paramIndex, const std::string& text) override;
  void DisplayProcessingIndicator(bool show) override;
  void displayCategoryName(std::string name) override;
  void DisplayLibrarianPatchCategory(int, int) override {}
  void setParameterNoHandler(int index, double value) override;
  int getTempoValue() override { return flags.hostTempo; }
  std::string getTempoValueText(int) override { return ""; }
  int getTimerValue() override { return 100; }
  void pauseWithoutLock(int milliseconds) override;
  bool SerializeState2(ByteChunk*, bool) override { return true; }
  void checksumCheckAndSend(unsigned char* bytes, int count) override;
  bool BankChangeMessage() override { return flags.midiOutputOpen; }
  void sendMissingCCValues() override {}
  void SendProgramChangeCommand(int program, int argument) override;
  void MIDIOutRoutingSwitch(IMidiMsg* msg) override;
  void sendPatchToDeviceFromLibrarian(int slot, int column) override;
  void SendSingleProgramFromLibrarian(bool) override {}
  void SendAllProgramsFromLibrarian() override {}
  void SetLibrarianRequestActive(bool) override {}
  void SetLibrarianStatusUnsaved(bool unsaved) override;
  bool editedBankReady() override { return true; }
  void setLibrarianViewDirty() override {}
  void updatePatchLibrarianView(int which) override;
  void setLibrarianViewRow(int, int) override {}
  void selectLibrarianViewRow(int row) override;
  int getLibrarianViewColumn() override { return librarianColumn; }
  const PatchList* librarianBankOfColumn(int column) override;
  void updateBankAndProgramMenuNames(bool) override {}
  int showFileEditMenu(int, int) override { return 0; }
  int showFileCopyMenu(int, int) override { return 0; }
  void saveImportedFile(bool) override {}
  void ImportSingleVarnoPatches(bool) override {}
  void SetCategoryForLibrarianPatch(int) override {}
  void OpenDataDirectory(bool) override {}
  void OpenHelpTopics(int) override {}
  IControl* getSysexControl(int byte1, int byte2, int byte3, int byte4, int valueIndex) override;
  IControl* getCCControls(int channelKey, int controller, int table) override;
  void OnParamChange(int index) override;
  void OnParamChange2(int index) override;

 private:
  std::unique_ptr<PatchManager> mPatchManager;
  std::vector<std::unique_ptr<IControl>> mControls;
  std::map<std::tuple<int, int, int>, IControl*> mCCControls;
  std::map<std::tuple<int, int, int, int>, IControl*> mSysexControls;
  // Appends one call's record under the lock: the core calls from any thread.
  template <class T, class... Args>
  void Record(std::vector<T>& list, Args&&... args) {
    std::lock_guard<std::mutex> lock(mMutex);
    list.emplace_back(std::forward<Args>(args)...);
  }

  mutable std::mutex mMutex;
  ServiceCalls mCalls;
};
