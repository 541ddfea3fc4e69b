// The class-info dictionary: the component's identity, the current preset's
// name and the plug-in's state chunk under "data".
#include <cstring>

#include "KIT/IModule/IModuleAU.h"

namespace {

// The preset name read back is held in this many bytes (63 characters).
constexpr int kPresetNameSize = 64;

CFStringRef NewKey(const char* key) { return CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8); }

const void* ValueOf(CFDictionaryRef dict, const char* key) {
  CFStringRef k = NewKey(key);
  const void* value = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return value;
}

}  // namespace

void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, int32_t value) {
  CFStringRef k = NewKey(key);
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  CFDictionarySetValue(dict, k, number);
  CFRelease(number);
  CFRelease(k);
}

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value) {
  CFStringRef k = NewKey(key);
  CFStringRef v = CFStringCreateWithCString(nullptr, value ? value : "", kCFStringEncodingUTF8);
  // A text that is not UTF-8 is stored empty rather than left out.
  if (!v) v = CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8);
  CFDictionarySetValue(dict, k, v);
  CFRelease(v);
  CFRelease(k);
}

bool GetNumberFromDict(CFDictionaryRef dict, const char* key, int32_t* value) {
  const void* number = ValueOf(dict, key);
  if (CFGetTypeID(number) != CFNumberGetTypeID()) return false;
  int32_t read = 0;
  if (!CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt32Type, &read)) return false;
  *value = read;
  return true;
}

bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* out, int outSize) {
  if (outSize > 0) out[0] = 0;
  const void* text = ValueOf(dict, key);
  if (CFGetTypeID(text) != CFStringGetTypeID()) return false;
  const char* utf8 = CFStringGetCStringPtr(static_cast<CFStringRef>(text), kCFStringEncodingUTF8);
  if (outSize > 0 && utf8) {
    strncpy(out, utf8, static_cast<size_t>(outSize) - 1);
    out[outSize - 1] = 0;
  }
  return true;
}

bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* chunk) {
  const void* data = ValueOf(dict, key);
  if (CFGetTypeID(data) != CFDataGetTypeID()) return false;
  const CFIndex length = CFDataGetLength(static_cast<CFDataRef>(data));
  if (length > INT32_MAX || chunk->Resize(static_cast<int>(length)) != length) return false;
  if (length > 0)
    memcpy(chunk->GetData(), CFDataGetBytePtr(static_cast<CFDataRef>(data)), static_cast<size_t>(length));
  return true;
}

ComponentResult IModuleAU::GetState(CFPropertyListRef* plist) {
  ComponentDescription description{};
  const OSErr status = GetComponentInfo(mCI, &description);
  if (status != noErr) return status;
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  PutNumberInDict(dict, "version", GetEffectVersion(false));
  PutNumberInDict(dict, "type", static_cast<int32_t>(description.componentType));
  PutNumberInDict(dict, "subtype", static_cast<int32_t>(description.componentSubType));
  PutNumberInDict(dict, "manufacturer", static_cast<int32_t>(description.componentManufacturer));
  PutStrInDict(dict, "name", GetPresetName(GetCurrentPresetIdx()));
  ByteChunk chunk;
  if (SerializeState(&chunk)) {
    CFDataRef data = CFDataCreate(nullptr, chunk.GetData(), chunk.Size());
    CFStringRef key = NewKey("data");
    CFDictionarySetValue(dict, key, data);
    CFRelease(key);
    CFRelease(data);
  }
  *plist = dict;
  return noErr;
}

ComponentResult IModuleAU::SetState(CFPropertyListRef plist) {
  ComponentDescription description{};
  const OSErr status = GetComponentInfo(mCI, &description);
  if (status != noErr) return status;
  if (CFGetTypeID(plist) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(plist);
  int32_t version = 0, type = 0, subtype = 0, manufacturer = 0;
  if (!GetNumberFromDict(dict, "version", &version) || !GetNumberFromDict(dict, "type", &type) ||
      !GetNumberFromDict(dict, "subtype", &subtype) ||
      !GetNumberFromDict(dict, "manufacturer", &manufacturer))
    return kAudioUnitErr_InvalidPropertyValue;
  char name[kPresetNameSize];
  if (!GetStrFromDict(dict, "name", name, sizeof name)) return kAudioUnitErr_InvalidPropertyValue;
  if (static_cast<OSType>(type) != description.componentType ||
      static_cast<OSType>(subtype) != description.componentSubType ||
      static_cast<OSType>(manufacturer) != description.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;
  RestorePreset(name);
  ByteChunk chunk;
  if (!GetDataFromDict(dict, "data", &chunk)) return kAudioUnitErr_InvalidPropertyValue;
  // A chunk the plug-in could not read to its end (a negative position) is
  // a failure, not a restored state.
  if (UnserializeState(&chunk, 0) <= 0) return kAudioUnitErr_InvalidPropertyValue;
  RedrawParamControls();
  return noErr;
}
