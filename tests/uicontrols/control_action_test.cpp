// The control action record: its starting values, and how controls bind to
// a parameter's record (first factory creates it, later ones share it and
// set its kind).
#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IParam.h"
#include "src/ControlAction.h"
#include "tests/gui/gui_fixture.h"

namespace {

class ControlActionTest : public ::testing::Test {
 protected:
  ~ControlActionTest() override { releaseControlActions(&plug); }
  GuiTestPlug plug;
  IControl first{&plug, IRECT(0, 0, 10, 10), GuiTestPlug::kFirstPlain};
  IControl second{&plug, IRECT(10, 0, 20, 10), GuiTestPlug::kFirstPlain};
};

TEST_F(ControlActionTest, new_record_holds_the_starting_values) {
  const ControlAction action(kActionSysEx);
  EXPECT_EQ(action.lastValue.load(), -1.0);
  EXPECT_EQ(action.kind, kActionSysEx);
  for (int32_t field :
       {action.timbreIndex, action.ccNumber, action.msbValue, action.valueOffset, action.lsbControl,
        action.channel, action.mixerLayer, action.offValue, action.onValue})
    EXPECT_EQ(field, -1);
  EXPECT_TRUE(action.controls.empty());
  EXPECT_EQ(action.link, LinkInfo(-1, -1, -1));
  EXPECT_FALSE(action.sysex.multi);
  EXPECT_TRUE(action.sysex.messages.empty());
  EXPECT_TRUE(action.sysex.multiMessages.empty());
}

TEST_F(ControlActionTest, a_parameter_has_no_record_until_a_control_binds) {
  IParam fresh;
  EXPECT_EQ(fresh.GetControlAction(), nullptr);
  EXPECT_EQ(plug.GetParam(GuiTestPlug::kFirstPlain)->GetControlAction(), nullptr);
}

TEST_F(ControlActionTest, first_binding_creates_the_record_later_ones_share_it_and_set_the_kind) {
  IParam* param = plug.GetParam(GuiTestPlug::kFirstPlain);
  ControlAction* made = bindControlAction(param, &first, kActionCCSwitch);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(param->GetControlAction(), made);
  EXPECT_EQ(made->kind, kActionCCSwitch);
  made->ccNumber = 74;
  made->offValue = 0;
  made->onValue = 127;

  // A radio made later for the same parameter: the MIDI fields stay, the kind
  // becomes the radio's, both controls are bound, the first stays first.
  ControlAction* shared = bindControlAction(param, &second, kActionNone);
  EXPECT_EQ(shared, made);
  EXPECT_EQ(shared->kind, kActionNone);
  EXPECT_EQ(shared->ccNumber, 74);
  EXPECT_EQ(shared->onValue, 127);
  ASSERT_EQ(shared->controls.size(), 2u);
  EXPECT_EQ(shared->controls[0], &first);
  EXPECT_EQ(shared->controls[1], &second);
}

TEST_F(ControlActionTest, binding_to_no_parameter_changes_nothing) {
  EXPECT_EQ(bindControlAction(nullptr, &first, kActionCC), nullptr);
}

TEST_F(ControlActionTest, release_frees_every_record_and_clears_the_parameters) {
  bindControlAction(plug.GetParam(0), &first, kActionCC);
  bindControlAction(plug.GetParam(5), &second, kActionSysEx);
  releaseControlActions(&plug);
  EXPECT_EQ(plug.GetParam(0)->GetControlAction(), nullptr);
  EXPECT_EQ(plug.GetParam(5)->GetControlAction(), nullptr);
}

TEST_F(ControlActionTest, sysex_messages_copy_deeply) {
  ControlActionSysExMessage original;
  original.multi = true;
  original.messages = {{0x3E, 0x0B}};
  original.multiMessages = {{{1, 2}, {3}}};
  ControlActionSysExMessage copy = original;
  original.messages[0][0] = 0;
  original.multiMessages[0][1][0] = 9;
  EXPECT_TRUE(copy.multi);
  EXPECT_EQ(copy.messages[0][0], 0x3E);
  EXPECT_EQ(copy.multiMessages[0][1][0], 3);
}

}  // namespace
