// The class-info dictionary, and the editor view entries.
#include <string>

#include "KIT/IModule/IModuleAU_ViewFactory.h"
#include "tests/au/au_fixture.h"

namespace {

using StateTest = AUFixture;

std::string TextOf(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "(null)";
}

CFMutableDictionaryRef GetClassInfo(AudioUnit unit) {
  CFPropertyListRef plist = nullptr;
  uint32_t size = sizeof plist;
  EXPECT_EQ(
      AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, &size),
      noErr);
  return static_cast<CFMutableDictionaryRef>(const_cast<void*>(plist));
}

OSStatus SetClassInfo(AudioUnit unit, CFPropertyListRef plist) {
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist,
                              sizeof plist);
}

std::vector<uint8_t> DataOf(CFDictionaryRef dict) {
  CFDataRef data = static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("data")));
  const uint8_t* p = CFDataGetBytePtr(data);
  return p ? std::vector<uint8_t>(p, p + CFDataGetLength(data)) : std::vector<uint8_t>();
}

int32_t NumberOf(CFDictionaryRef dict, const char* key) {
  int32_t value = 0;
  EXPECT_TRUE(GetNumberFromDict(dict, key, &value)) << key;
  return value;
}

void SetNumber(CFMutableDictionaryRef dict, const char* key, int32_t value) {
  PutNumberInDict(dict, key, value);
}

TEST_F(StateTest, TheDictionaryCarriesIdentityPresetNameAndChunk) {
  CFMutableDictionaryRef dict = GetClassInfo(m_unit);
  ASSERT_EQ(CFGetTypeID(dict), CFDictionaryGetTypeID());
  EXPECT_EQ(CFDictionaryGetCount(dict), 6);
  EXPECT_EQ(NumberOf(dict, "version"), kTestPlugVersion);
  EXPECT_EQ(NumberOf(dict, "type"), static_cast<int32_t>(kAudioUnitType_MusicDevice));
  EXPECT_EQ(NumberOf(dict, "subtype"), kTestPlugSubtype);
  EXPECT_EQ(NumberOf(dict, "manufacturer"), kTestPlugManufacturer);
  EXPECT_EQ(TextOf(static_cast<CFStringRef>(CFDictionaryGetValue(dict, CFSTR("name")))), "Bright");
  // Five doubles and the note "note" (length and bytes).
  EXPECT_EQ(DataOf(dict).size(), 5u * 8 + 4 + 4);
  CFRelease(dict);
}

TEST_F(StateTest, StateSavedByOneInstanceIsRestoredIntoAnotherByteForByte) {
  AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, 12.5f, 0);
  AudioUnitSetParameter(m_unit, kTestWave, kAudioUnitScope_Global, 0, 2, 0);
  AudioUnitSetParameter(m_unit, kTestHidden, kAudioUnitScope_Global, 0, 0.75f, 0);
  m_plug->m_note = "saved text";
  CFMutableDictionaryRef saved = GetClassInfo(m_unit);

  AudioUnit other = Open();
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(SetClassInfo(other, saved), noErr);
  EXPECT_DOUBLE_EQ(Plug(other)->GetParam(kTestCutoff)->Value(), 12.5);
  EXPECT_DOUBLE_EQ(Plug(other)->GetParam(kTestHidden)->Value(), 0.75);
  EXPECT_EQ(Plug(other)->m_note, "saved text");
  CFMutableDictionaryRef again = GetClassInfo(other);
  EXPECT_EQ(DataOf(again), DataOf(saved));
  EXPECT_TRUE(CFEqual(again, saved));
  CFRelease(again);
  CFRelease(saved);
}

TEST_F(StateTest, DictionariesThatDoNotFitAreRefused) {
  const struct {
    const char* why;
    void (*change)(CFMutableDictionaryRef);
  } kCases[] = {
      {"no type", [](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("type")); }},
      {"no version", [](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("version")); }},
      {"no name", [](CFMutableDictionaryRef d) { CFDictionaryRemoveValue(d, CFSTR("name")); }},
      {"foreign subtype", [](CFMutableDictionaryRef d) { SetNumber(d, "subtype", FourCharCode("othr")); }},
      {"foreign manufacturer", [](CFMutableDictionaryRef d) { SetNumber(d, "manufacturer", 1); }},
      {"foreign type", [](CFMutableDictionaryRef d) { SetNumber(d, "type", FourCharCode("aufx")); }},
      {"version is text",
       [](CFMutableDictionaryRef d) { CFDictionarySetValue(d, CFSTR("version"), CFSTR("1")); }},
      {"name is a number", [](CFMutableDictionaryRef d) { SetNumber(d, "name", 3); }},
  };
  for (const auto& c : kCases) {
    AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, 33.0f, 0);
    CFMutableDictionaryRef dict = GetClassInfo(m_unit);
    SetNumber(dict, "version", 0x7FFF0000);  // an unexpected version alone does not matter
    c.change(dict);
    AudioUnitSetParameter(m_unit, kTestCutoff, kAudioUnitScope_Global, 0, 44.0f, 0);
    EXPECT_EQ(SetClassInfo(m_unit, dict), kAudioUnitErr_InvalidPropertyValue) << c.why;
    EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 44.0) << c.why;
    CFRelease(dict);
  }
  EXPECT_EQ(SetClassInfo(m_unit, CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(SetClassInfo(m_unit, nullptr), kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(StateTest, WithoutUsableDataTheNamedPresetStaysRestored) {
  for (bool asText : {false, true}) {
    m_plug->RestorePreset(0);
    CFMutableDictionaryRef dict = GetClassInfo(m_unit);
    if (asText)
      CFDictionarySetValue(dict, CFSTR("data"), CFSTR("AAAA"));
    else
      CFDictionaryRemoveValue(dict, CFSTR("data"));
    CFDictionarySetValue(dict, CFSTR("name"), CFSTR("Dark"));
    EXPECT_EQ(SetClassInfo(m_unit, dict), kAudioUnitErr_InvalidPropertyValue) << asText;
    EXPECT_EQ(m_plug->GetCurrentPresetIdx(), 1) << asText;
    EXPECT_DOUBLE_EQ(m_plug->GetParam(kTestCutoff)->Value(), 10.0) << asText;
    CFRelease(dict);
  }
}

TEST_F(StateTest, TruncatedDataIsRefusedNotReportedAsRestored) {
  CFMutableDictionaryRef dict = GetClassInfo(m_unit);
  const std::vector<uint8_t> whole = DataOf(dict);
  for (size_t cut : {size_t{0}, size_t{7}, size_t{8 * 5}, whole.size() - 1}) {
    CFDataRef shortData = CFDataCreate(nullptr, whole.data(), static_cast<CFIndex>(cut));
    CFDictionarySetValue(dict, CFSTR("data"), shortData);
    CFRelease(shortData);
    EXPECT_EQ(SetClassInfo(m_unit, dict), kAudioUnitErr_InvalidPropertyValue) << cut;
  }
  CFRelease(dict);
}

TEST_F(StateTest, ALongNameRestoresByItsFirst63Characters) {
  // A preset whose name is 63 characters long.
  const std::string name63(63, 'p');
  CFMutableDictionaryRef dict = GetClassInfo(m_unit);
  m_plug->ModifyCurrentPreset(name63.c_str());  // the current preset (0) takes the name
  PutStrInDict(dict, "name", (name63 + std::string(17, 'q')).c_str());
  m_plug->RestorePreset(1);
  ASSERT_EQ(m_plug->GetCurrentPresetIdx(), 1);
  EXPECT_EQ(SetClassInfo(m_unit, dict), noErr);
  EXPECT_EQ(m_plug->GetCurrentPresetIdx(), 0);
  CFRelease(dict);
}

TEST_F(StateTest, AFailedSerialisationLeavesFiveKeys) {
  m_plug->m_serializeOk = false;
  CFMutableDictionaryRef dict = GetClassInfo(m_unit);
  EXPECT_EQ(CFDictionaryGetCount(dict), 5);
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("data")), nullptr);
  CFRelease(dict);
}

// ---- Editor view entries ---------------------------------------------------------------------

class ViewTest : public AUFixture {
 protected:
  AudioUnitCarbonView OpenView(OSType subtype = static_cast<OSType>(kTestPlugSubtype)) {
    const ComponentDescription description{kAudioUnitCarbonViewComponentType, subtype,
                                           static_cast<OSType>(kTestPlugManufacturer), 0, 0};
    AudioUnitCarbonView view = nullptr;
    EXPECT_EQ(OpenComponentInstance(VivivI_ViewEntry, &description, nullptr, &view), noErr);
    return view;
  }
};

TEST_F(ViewTest, CloseWithoutCreateOnlyFreesTheRecord) {
  AudioUnitCarbonView view = OpenView();
  ASSERT_NE(GetComponentInstanceStorage(view), nullptr);
  EXPECT_EQ(CloseComponentInstance(view), noErr);
}

TEST_F(ViewTest, OtherSelectorsAreRefused) {
  AudioUnitCarbonView view = OpenView();
  for (int16_t selector : {0x302, 1, -3, -4}) {
    ComponentCall call(selector);
    call.Pointer(view);
    EXPECT_EQ(call.Call(view), badComponentSelector) << selector;
  }
  CloseComponentInstance(view);
}

TEST_F(ViewTest, CreateNeedsTheUnitsPlugInAndAWindowFromItsGUI) {
  ControlRef control = reinterpret_cast<ControlRef>(1);
  const Float32Point where{0, 0}, size{300, 200};
  // The least GUI offers no window.
  AudioUnitCarbonView view = OpenView();
  EXPECT_EQ(AudioUnitCarbonViewCreate(view, m_unit, nullptr, nullptr, &where, &size, &control),
            badComponentSelector);
  CloseComponentInstance(view);
  // A view component of another subtype does not take this unit's storage for its plug-in.
  AudioUnitCarbonView foreign = OpenView(FourCharCode("othr"));
  EXPECT_EQ(AudioUnitCarbonViewCreate(foreign, m_unit, nullptr, nullptr, &where, &size, &control),
            badComponentSelector);
  CloseComponentInstance(foreign);
  ComponentCall shortCall(kAudioUnitCarbonViewCreateSelect);
  AudioUnitCarbonView third = OpenView();
  shortCall.Pointer(third).Pointer(m_unit);
  EXPECT_EQ(shortCall.Call(third), paramErr);
  CloseComponentInstance(third);
}

TEST_F(ViewTest, TheViewFactoryNeedsAGUI) {
  VivivI_View factory;
  EXPECT_EQ(factory.interfaceVersion(), 0u);
  CFStringRef description = factory.description();
  EXPECT_EQ(TextOf(description), "VivivI Editor View");
  CFRelease(description);
  EXPECT_EQ(factory.uiViewForAudioUnit(m_unit, 100, 100), nullptr);  // the least GUI has no view
  EXPECT_EQ(factory.GetPlug(), m_plug);
  EXPECT_EQ(factory.init()->GetPlug(), nullptr);
  EXPECT_EQ(factory.uiViewForAudioUnit(nullptr, 100, 100), nullptr);
}

TEST_F(ViewTest, CocoaViewInfoNamesTheBundleOnceItIsKnown) {
  AudioUnitCocoaViewInfo info{};
  uint32_t size = sizeof info;
  // The bundle folder of the test plug-in, made known to this process.
  const std::string folder = AUTEST_BUNDLE_DIR;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const uint8_t*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(bundle, nullptr);
  ASSERT_EQ(AudioUnitGetProperty(m_unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size),
            noErr);
  EXPECT_EQ(size, sizeof info);
  char path[4096];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(info.mCocoaAUViewBundleLocation, true,
                                               reinterpret_cast<uint8_t*>(path), sizeof path));
  EXPECT_EQ(std::string(path), folder);
  EXPECT_EQ(TextOf(info.mCocoaAUViewClass[0]), "VivivI_View");
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  CFRelease(bundle);
}

}  // namespace
