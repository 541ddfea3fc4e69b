// A UI description for the change-handler and tab-switch tests: the three
// display lines, the pages of "root" with zones of their own, every named
// layer the handlers and the tab switch show and hide, and a control for
// each parameter whose range the tests need (the parameters of controls the
// description does not hold keep a plain 0..1 range).
#pragma once

inline const char* const kParamsUiDescription = R"(<?xml version="1.0" encoding="UTF-8"?>
<uiconfig>
  <valueLists>
    <list name="sizes"><value>small</value><value>normal</value><value>large</value></list>
  </valueLists>
  <display name="Status" paramId="kControlDisplayName" bounds="10,10,300,12" displaySize="9"/>
  <display name="Value" paramId="kControlDisplayValue" bounds="10,30,300,12" displaySize="9"/>
  <display name="CC" paramId="kControlDisplayCC" bounds="10,50,300,12" displaySize="9"/>
  <layer name="root" id="1">
    <layer name="page0" id="0"><layer name="page0zone0" id="0"/><layer name="page0zone1" id="1"/></layer>
    <layer name="page1" id="1"><layer name="page1zone0" id="0"/><layer name="page1zone1" id="1"/></layer>
    <layer name="page2" id="2"><layer name="page2zone0" id="0"/><layer name="page2zone1" id="1"/></layer>
  </layer>
  <layer name="miniMixer" id="9"/>
  <layer name="patchLibrarian" id="10"/>
  <layer name="envelopes" id="11"/>
  <layer name="arpeggiator" id="12"/>
  <layer name="arpTempoKnob" id="13"/>
  <layer name="arpTempoSync" id="14"/>
  <layer name="syncIndicator" id="15"/>
  <layer name="crossModIndicator" id="16"/>
  <layer name="saveChangesLayer" id="17"/>
  <layer name="discardChangesLayerRight" id="18"/>
  <layer name="aboutWindow" id="19"/>
  <layer name="firstRunNotification" id="20"/>
  <layer name="midiFilterSettings" id="21"/>
  <layer name="categoryLimit" id="22"/>
  <layer name="searchField" id="23"/>
  <layer name="patchRename" id="24"/>
  <layer name="globalSettings" id="25"/>
  <layer name="controls" id="30">
    <knobcontrol type="ccKnob" name="Semi1" paramId="kOscillator1Semitone" imageId="KNOB_ID127" position="10,100" valueBounds="0,0,120,1" ccNumber="32"/>
    <knobcontrol type="ccKnob" name="Semi2" paramId="kOscillator2Semitone" imageId="KNOB_ID127" position="20,100" valueBounds="0,0,120,1" ccNumber="36"/>
    <knobcontrol type="ccKnob" name="Semi3" paramId="kOscillator3Semitone" imageId="KNOB_ID127" position="30,100" valueBounds="0,0,120,1" ccNumber="42"/>
    <knobcontrol type="ccKnob" name="Shape1" paramId="kOscillator1Shape" imageId="KNOB_ID127" position="40,100" valueBounds="0,0,2,1" ccNumber="33"/>
    <knobcontrol type="ccKnob" name="Shape2" paramId="kOscillator2Shape" imageId="KNOB_ID127" position="50,100" valueBounds="0,0,3,1" ccNumber="37"/>
    <knobcontrol type="ccKnob" name="Shape3" paramId="kOscillator3Shape" imageId="KNOB_ID127" position="60,100" valueBounds="0,0,2,1" ccNumber="43"/>
    <knobcontrol type="ccKnob" name="LFO" paramId="kLFO1Shape" imageId="KNOB_ID127" position="70,100" valueBounds="0,0,7,1" ccNumber="54"/>
    <knobcontrol type="ccKnob" name="Trig1" paramId="kEnvelope1Trigger" imageId="KNOB_ID127" position="80,100" valueBounds="0,0,3,1" ccNumber="60"/>
    <knobcontrol type="ccKnob" name="Trig2" paramId="kEnvelope2Trigger" imageId="KNOB_ID127" position="90,100" valueBounds="0,0,3,1" ccNumber="61"/>
    <knobcontrol type="ccKnob" name="ArpMode" paramId="kArpMode" imageId="KNOB_ID127" position="100,100" valueBounds="0,0,6,1" ccNumber="62"/>
    <knobcontrol type="ccKnob" name="Keytrack" paramId="kOscillator2Keytrack" imageId="KNOB_ID127" position="110,100" valueBounds="0,0,1,1" ccNumber="38"/>
    <knobcontrol type="ccKnob" name="Sync" paramId="kOscillator2Sync" imageId="KNOB_ID127" position="120,100" valueBounds="0,0,1,1" ccNumber="41"/>
    <knobcontrol type="ccKnob" name="ArpTempo" paramId="kArpTempo" imageId="KNOB_ID127" position="130,100" valueBounds="0,0,127,1" ccNumber="104"/>
    <knobcontrol type="ccKnob" name="ArpClock" paramId="kArpClock" imageId="KNOB_ID127" position="140,100" valueBounds="0,0,20,1" ccNumber="105"/>
    <buttoncontrol type="ccButton" name="Arp" paramId="kArpOnOff" imageId="BUTTON_RED_ID" position="150,100" valueBounds="0,0,127" ccNumber="80"/>
    <autooff name="W1" paramId="kOscillator1WaveTrigger" imageId="BUTTON_GREY_ID" position="10,150"/>
    <autooff name="W2" paramId="kOscillator2WaveTrigger" imageId="BUTTON_GREY_ID" position="20,150"/>
    <autooff name="W3" paramId="kOscillator3WaveTrigger" imageId="BUTTON_GREY_ID" position="30,150"/>
    <autooff name="KT" paramId="kOscillator2KeytrackTrigger" imageId="BUTTON_GREY_ID" position="40,150"/>
    <autooff name="ST" paramId="kOscillator2SyncTrigger" imageId="BUTTON_GREY_ID" position="50,150"/>
    <autooff name="LT" paramId="kLFO1ShapeTrigger" imageId="BUTTON_GREY_ID" position="60,150"/>
    <autooff name="E1" paramId="kEnvelope1TriggerTrigger" imageId="BUTTON_GREY_ID" position="70,150"/>
    <autooff name="E2" paramId="kEnvelope2TriggerTrigger" imageId="BUTTON_GREY_ID" position="80,150"/>
    <autooff name="AM" paramId="kArpModeTrigger" imageId="BUTTON_GREY_ID" position="90,150"/>
    <autooff name="AS" paramId="kArpSyncTrigger" imageId="BUTTON_GREY_ID" position="100,150"/>
    <autooff name="Random" paramId="kRandomize" imageId="BUTTON_GREY_ID" position="110,150"/>
    <switch name="Oct1" paramId="kOscillator1OctaveIndicator" imageId="BUTTON_RED_ID" position="10,200" valueBounds="0"/>
    <switch name="Oct2" paramId="kOscillator2OctaveIndicator" imageId="BUTTON_RED_ID" position="20,200" valueBounds="0"/>
    <switch name="Oct3" paramId="kOscillator3OctaveIndicator" imageId="BUTTON_RED_ID" position="30,200" valueBounds="0"/>
    <switch name="ArpLed" paramId="kArpOnOffIndicator" imageId="BUTTON_RED_ID" position="40,200" valueBounds="0"/>
    <switch name="ArpSync" paramId="kArpSyncIndicator" imageId="BUTTON_RED_ID" position="50,200" valueBounds="0"/>
    <switch name="Page2" paramId="kEditPage2Switch" imageId="BUTTON_RED_ID" position="60,200" valueBounds="0"/>
    <switch name="Unsaved" paramId="kBankEditUnsaved" imageId="BUTTON_RED_ID" position="70,200" valueBounds="0"/>
    <switch name="PartLock" paramId="kPartLock" imageId="BUTTON_RED_ID" position="80,200" valueBounds="0"/>
    <switch name="Override" paramId="kOverrideTempo" imageId="BUTTON_RED_ID" position="90,200" valueBounds="0"/>
    <switch name="Library" paramId="kControlLibrary" imageId="BUTTON_RED_ID" position="100,200" valueBounds="0"/>
    <switch name="ShowLib" paramId="kShowLibrarian" imageId="BUTTON_RED_ID" position="110,200" valueBounds="0"/>
    <switch name="Search" paramId="kPatchSearch" imageId="BUTTON_RED_ID" position="120,200" valueBounds="0"/>
    <switch name="Categories" paramId="kCategorySelection" imageId="BUTTON_RED_ID" position="130,200" valueBounds="0"/>
    <switch name="LockOsc1" paramId="kSectionLockOsc1" imageId="BUTTON_RED_ID" position="140,200" valueBounds="0"/>
    <radio name="Tab" paramId="kMainTab" imageId="BUTTON_BLUE_ID" position="10,250" buttons="4"/>
    <multiFx type="Knob" name="Program" paramId="kCurrentPatch" imageId="KNOB_ID127" position="10,300" valueBounds="0,0,98,1"/>
    <multiFx type="Knob" name="Size" paramId="kUserInterfaceSize" imageId="KNOB_ID127" position="20,300" valueBounds="1,0,2,1"/>
    <multiFx type="Knob" name="Offset" paramId="kAdjustDAWOffset" imageId="KNOB_ID127" position="30,300" valueBounds="0,0,100,1"/>
    <multiFx type="Knob" name="Channel" paramId="kGlobalMidiChannel" imageId="KNOB_ID127" position="40,300" valueBounds="1,0,16,1"/>
  </layer>
</uiconfig>
)";

inline const char* const kParamsSysexDescription = R"(<?xml version="1.0" encoding="UTF-8"?>
<sysexlist>
  <sysex><values><value>F0 3E 0B 00 58 41 00 00 F7</value></values></sysex>
</sysexlist>
)";
