// The lookups by which incoming MIDI finds its control: the SysEx index with
// its value index, the MSB/LSB index, the CC index in the order the CC
// receiver asks it, and the program-value store.
#include <memory>

#include "KIT/IModule/IControl.h"
#include "src/ControlAction.h"
#include "src/UIConfigManager.h"
#include "src/VivivI.h"
#include "tests/editor/actions_fixture.h"

namespace {

class ControlLookupsTest : public ActionsTest {
 protected:
  // A control of no place on the window, owned by the test; the indexes only
  // keep pointers.
  IControl* control() {
    controls.push_back(std::make_unique<IControl>(editor, -1));
    return controls.back().get();
  }
  std::vector<std::unique_ptr<IControl>> controls;
};

TEST_F(ControlLookupsTest, SysExControlIsFoundOnlyUnderItsValueIndex) {
  IControl* filed = control();
  unsigned char header[4] = {0x41, 0x33, 0x01, 0x10};
  editor->uiConfig->sysexControls.addToControlMap(header, 0, filed);

  EXPECT_EQ(editor->getSysexControl(0x41, 0x33, 0x01, 0x10, 0), filed);
  EXPECT_EQ(editor->getSysexControl(0x41, 0x33, 0x01, 0x10, 1), nullptr)
      << "value index filed under another number";
  EXPECT_EQ(editor->getSysexControl(0x41, 0x33, 0x02, 0x10, 0), nullptr);
  EXPECT_EQ(editor->getSysexControl(0x41, 0x33, 0x01, 0x10, 0), filed) << "a failed lookup creates nothing";
}

TEST_F(ControlLookupsTest, MsbLsbControlIsFoundUnderItsFiveKeys) {
  ControlAction action(kActionMsbLsb);
  action.channel = 4;
  action.msbValue = 1;
  action.valueOffset = 2;
  action.lsbControl = 98;
  action.mixerLayer = 0;
  IControl* filed = control();
  editor->uiConfig->nrpnControls.addToControlMap(&action, filed);

  EXPECT_EQ(editor->getMsbLsbControl(4, 1, 2, 98, 0), filed);
  EXPECT_EQ(editor->getMsbLsbControl(4, 1, 2, 98, 1), nullptr);
  EXPECT_EQ(editor->getMsbLsbControl(3, 1, 2, 98, 0), nullptr);
}

// The CC receiver asks (0, cc, table 0), then (channel key, cc, table 1),
// then (channel key, cc, table 2) and takes the first control found.
IControl* ReceiverLookup(VivivI* editor, int channelKey, int controller) {
  for (const auto& [key, table] : {std::pair{0, 0}, std::pair{channelKey, 1}, std::pair{channelKey, 2}})
    if (IControl* found = editor->getCCControls(key, controller, table)) return found;
  return nullptr;
}

TEST_F(ControlLookupsTest, CCControlsAreFoundInTheReceiversOrderOfTables) {
  constexpr int kController = 119;  // one the descriptions leave free
  CCControlMap& index = editor->uiConfig->ccControls;
  IControl* table1 = control();
  IControl* table2 = control();
  addToCCControlMap(index, 3, kController, 1, table1);
  addToCCControlMap(index, 3, kController, 2, table2);
  addToCCControlMap(index, 5, kController, 2, table2);

  EXPECT_EQ(ReceiverLookup(editor, 3, kController), table1) << "table 1 before table 2";
  EXPECT_EQ(ReceiverLookup(editor, 5, kController), table2) << "table 2 when table 1 has none";
  EXPECT_EQ(ReceiverLookup(editor, 0, kController), nullptr) << "the synthesizer's key finds no host control";

  IControl* table0 = control();
  addToCCControlMap(index, 0, kController, 0, table0);
  EXPECT_EQ(ReceiverLookup(editor, 3, kController), table0) << "channel key 0, table 0 before any other";
  EXPECT_EQ(editor->getCCControls(3, kController, 0), nullptr);
}

TEST_F(ControlLookupsTest, ProgramValueStoreAnswersZeroForKeysNeverStored) {
  EXPECT_EQ(editor->getProgramValueByParts(1, 2, 3), 0);
  editor->setProgramValueByParts(1, 2, 3, 7);
  EXPECT_EQ(editor->getProgramValueByParts(1, 2, 3), 7);
  EXPECT_EQ(editor->getProgramValueByParts(1, 2, 4), 0);
  EXPECT_EQ(editor->getProgramValueByParts(1, 3, 3), 0);
  EXPECT_EQ(editor->getProgramValueByParts(2, 2, 3), 0);
  editor->setProgramValueByParts(1, 2, 3, -9);
  EXPECT_EQ(editor->getProgramValueByParts(1, 2, 3), -9) << "a later value replaces the earlier one";
}

}  // namespace
