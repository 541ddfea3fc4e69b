#include "tests/editor/actions_fixture.h"

const char* const kActionsDescription = R"(<?xml version="1.0" encoding="UTF-8"?>
<uiconfig>
  <valueLists>
    <list name="omniToSixteen"><value>OMNI</value><value>1</value><value>2</value></list>
  </valueLists>
  <display name="Status" paramId="kControlDisplayName" bounds="10,10,300,12" displaySize="1"/>
  <display name="Value" paramId="kControlDisplayValue" bounds="10,24,300,12" displaySize="1"/>
  <display name="CC" paramId="kControlDisplayCC" bounds="10,38,300,12" displaySize="1"/>
  <display name="Category" paramId="kControlDisplayCategory" bounds="10,52,100,12" displaySize="1"/>
  <display name="Library category" paramId="kControlDisplayLibCategory" bounds="10,66,100,12" displaySize="1"/>
  <dropMenu type="nameSelection" name="Patch name" paramId="kPatchName" bounds="10,80,200,12" nameLen="14"/>
  <layer name="root" id="1">
    <knobcontrol type="ccKnob" name="Cutoff" paramId="kFilterCutoff" imageId="KNOB_ID127" position="400,10" valueBounds="64,0,127,1" ccNumber="74"/>
    <switch name="Search" paramId="kPatchSearch" imageId="BUTTON_RED_ID" position="400,100" valueBounds="0,0,1"/>
    <layer name="searchField" id="2"></layer>
    <layer name="categoryLimit" id="3"></layer>
    <layer name="discardChangesLayerRight" id="4"></layer>
  </layer>
</uiconfig>
)";

void ActionsTest::SetUp() {
  EditorFixture::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  WriteBanks();
  UseDescriptions(kActionsDescription, nullptr);
  editor = Open();
  ASSERT_NE(editor, nullptr);
  ASSERT_NE(editor->uiConfig, nullptr);
}

std::string ActionsTest::Line(int paramIndex) {
  Tick();
  return DisplayText(paramIndex);
}

void ActionsTest::SetLine(int paramIndex, const std::string& text) {
  editor->setDisplayText(paramIndex, text);
  Tick();
}
