#include "KIT/IModule/auutil/au-preset-utilities.h"

#include <new>
#include <string>

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, int32_t presetNumber, CFStringRef presetName) {
  void* block = CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
  if (!block) return nullptr;
  CFAUPreset* preset = new (block) CFAUPreset;
  preset->auPreset.presetNumber = presetNumber;
  preset->auPreset.presetName = presetName ? CFStringCreateCopy(allocator, presetName) : nullptr;
  preset->version = 0;
  preset->allocator = allocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(void* presetPtr) {
  CFAUPreset* preset = static_cast<CFAUPreset*>(presetPtr);
  if (!preset) return nullptr;
  if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
  ++preset->retainCount;
  return preset;
}

void CFAUPresetRelease(void* presetPtr) {
  CFAUPreset* preset = static_cast<CFAUPreset*>(presetPtr);
  if (!preset || preset->retainCount <= 0) return;
  if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
  if (--preset->retainCount > 0) return;
  preset->auPreset.presetName = nullptr;
  preset->auPreset.presetNumber = 0;
  const CFAllocatorRef allocator = preset->allocator;
  preset->~CFAUPreset();
  CFAllocatorDeallocate(allocator, preset);
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef, const void* preset) {
  return CFAUPresetRetain(const_cast<void*>(preset));
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef, const void* preset) {
  CFAUPresetRelease(const_cast<void*>(preset));
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* presetPtr) {
  const CFAUPreset* preset = static_cast<const CFAUPreset*>(presetPtr);
  if (!preset) return nullptr;
  const char* name = CFStringGetCStringPtr(preset->auPreset.presetName, kCFStringEncodingUTF8);
  const std::string text = "AUPreset:\npreset number = " + std::to_string(preset->auPreset.presetNumber) +
                           "\npreset name = " + (name ? name : "(null)");
  return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
}

Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2) {
  const CFAUPreset* a = static_cast<const CFAUPreset*>(preset1);
  const CFAUPreset* b = static_cast<const CFAUPreset*>(preset2);
  if (!a || !b) return a == b;
  return a->auPreset.presetNumber == b->auPreset.presetNumber &&
         CFStringCompare(a->auPreset.presetName, b->auPreset.presetName, 0) == kCFCompareEqualTo;
}

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {
    0, CFAUPresetArrayRetainCallBack, CFAUPresetArrayReleaseCallBack, CFAUPresetArrayCopyDescriptionCallBack,
    CFAUPresetArrayEqualCallBack};

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks) {
  if (callBacks) *callBacks = kCFAUPresetArrayCallBacks;
}
