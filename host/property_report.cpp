// The property listing: every property of the interface's tables, in the
// scopes and elements a host asks, with status, size, writability and value.
#include <cstring>
#include <string>
#include <vector>

#include "host/host_unit.h"
#include "platform/corefoundation/CoreFoundation.h"

namespace {

const struct {
  AudioUnitPropertyID id;
  const char* name;
} kNames[] = {
    {0, "ClassInfo"},
    {1, "MakeConnection"},
    {2, "SampleRate"},
    {3, "ParameterList"},
    {4, "ParameterInfo"},
    {5, "FastDispatch"},
    {8, "StreamFormat"},
    {11, "ElementCount"},
    {12, "Latency"},
    {13, "SupportedNumChannels"},
    {14, "MaximumFramesPerSlice"},
    {16, "ParameterValueStrings"},
    {18, "GetUIComponentList"},
    {19, "AudioChannelLayout"},
    {20, "TailTime"},
    {21, "BypassEffect"},
    {22, "LastRenderError"},
    {23, "SetRenderCallback"},
    {24, "FactoryPresets"},
    {27, "HostCallbacks"},
    {28, "CurrentPreset"},
    {30, "ElementName"},
    {31, "CocoaUI"},
    {32, "SupportedChannelLayoutTags"},
    {33, "ParameterStringFromValue"},
    {34, "ParameterIDName"},
    {35, "ParameterClumpName"},
    {36, "PresentPreset"},
    {37, "OfflineRender"},
    {38, "ParameterValueFromString"},
    {46, "AUHostIdentifier"},
    {1000, "InstrumentCount"},
};

const char* NameOf(AudioUnitPropertyID id) {
  for (const auto& n : kNames)
    if (n.id == id) return n.name;
  return "unknown";
}

const char* ScopeName(AudioUnitScope scope) {
  switch (scope) {
    case kAudioUnitScope_Global:
      return "global";
    case kAudioUnitScope_Input:
      return "input";
    case kAudioUnitScope_Output:
      return "output";
    default:
      return "other";
  }
}

std::string Text(CFTypeRef s) {
  if (CFGetTypeID(s) != CFStringGetTypeID()) return "(none)";
  return std::string("\"") + CFStringGetCStringPtr(static_cast<CFStringRef>(s), kCFStringEncodingUTF8) + "\"";
}

std::string Number(CFTypeRef n) {
  int64_t value = 0;
  if (CFGetTypeID(n) != CFNumberGetTypeID() ||
      !CFNumberGetValue(static_cast<CFNumberRef>(n), kCFNumberSInt64Type, &value))
    return "(none)";
  return std::to_string(value);
}

std::string Format(const char* format, double value) {
  char text[64];
  snprintf(text, sizeof text, format, value);
  return text;
}

// Fills the request records of the properties that carry one.
void PrepareRequest(AudioUnitPropertyID id, unsigned char* data) {
  static const float zero = 0.0f;
  switch (id) {
    case kAudioUnitProperty_ParameterStringFromValue:
      *reinterpret_cast<AudioUnitParameterStringFromValue*>(data) = {0, &zero, nullptr};
      break;
    case kAudioUnitProperty_ParameterIDName:
      *reinterpret_cast<AudioUnitParameterIDName*>(data) = {0, -1, nullptr};
      break;
    case kAudioUnitProperty_ParameterClumpName:
      *reinterpret_cast<AudioUnitParameterNameInfo*>(data) = {1, -1, nullptr};
      break;
    case kAudioUnitProperty_ParameterValueFromString:
      *reinterpret_cast<AudioUnitParameterValueFromString*>(data) = {0, CFSTR("0"), 0.0f};
      break;
    default:
      break;
  }
}

// The value read, as text; releases what the read handed out.
std::string Describe(AudioUnitPropertyID id, unsigned char* data, uint32_t size) {
  switch (id) {
    case kAudioUnitProperty_ClassInfo: {
      CFDictionaryRef dict = *reinterpret_cast<CFDictionaryRef*>(data);
      std::string text = "dictionary";
      for (const char* key : {"version", "type", "subtype", "manufacturer"}) {
        CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
        CFTypeRef value = CFDictionaryGetValue(dict, k);
        std::string shown = Number(value);
        int64_t code = 0;
        if (std::strcmp(key, "version") != 0 && CFGetTypeID(value) == CFNumberGetTypeID() &&
            CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &code))
          shown = FourCharText(static_cast<OSType>(code));
        text += std::string(" ") + key + "=" + shown;
        CFRelease(k);
      }
      text += " name=" + Text(CFDictionaryGetValue(dict, CFSTR("name")));
      CFTypeRef chunk = CFDictionaryGetValue(dict, CFSTR("data"));
      text += CFGetTypeID(chunk) == CFDataGetTypeID()
                  ? " data=" + std::to_string(CFDataGetLength(static_cast<CFDataRef>(chunk))) + " bytes"
                  : " data=(none)";
      CFRelease(dict);
      return text;
    }
    case kAudioUnitProperty_SampleRate:
      return Format("%g Hz", *reinterpret_cast<double*>(data));
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
      return Format("%.6f s", *reinterpret_cast<double*>(data));
    case kAudioUnitProperty_ParameterList: {
      std::string text = size == 0 ? "no parameters" : "IDs";
      for (uint32_t i = 0; i < size / 4; ++i)
        text += " " + std::to_string(reinterpret_cast<uint32_t*>(data)[i]);
      return text;
    }
    case kAudioUnitProperty_ParameterInfo: {
      auto* info = reinterpret_cast<AudioUnitParameterInfo*>(data);
      char text[256];
      snprintf(text, sizeof text, "\"%s\" unit %u min %g max %g default %g flags 0x%08X clump %u", info->name,
               info->unit, info->minValue, info->maxValue, info->defaultValue, info->flags, info->clumpID);
      std::string described = text;
      if (info->unitName) described += " unit name " + Text(info->unitName);
      CFRelease(info->cfNameString);
      CFRelease(info->unitName);
      return described;
    }
    case kAudioUnitProperty_FastDispatch:
      return *reinterpret_cast<void**>(data) ? "a procedure" : "no procedure";
    case kAudioUnitProperty_StreamFormat: {
      auto* f = reinterpret_cast<AudioStreamBasicDescription*>(data);
      char text[160];
      snprintf(text, sizeof text, "%u channels, %g Hz, %s, flags 0x%X, %u bytes per frame, %u bits",
               f->mChannelsPerFrame, f->mSampleRate, FourCharText(f->mFormatID).c_str(), f->mFormatFlags,
               f->mBytesPerFrame, f->mBitsPerChannel);
      return text;
    }
    case kAudioUnitProperty_ElementCount:
    case kAudioUnitProperty_MaximumFramesPerSlice:
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_LastRenderError:
    case kMusicDeviceProperty_InstrumentCount:
      return std::to_string(*reinterpret_cast<int32_t*>(data));
    case kAudioUnitProperty_SupportedNumChannels: {
      std::string text;
      for (uint32_t i = 0; i < size / sizeof(AUChannelInfo); ++i) {
        const AUChannelInfo& pair = reinterpret_cast<AUChannelInfo*>(data)[i];
        text += (i ? " " : "") + std::to_string(pair.inChannels) + "-" + std::to_string(pair.outChannels);
      }
      return text;
    }
    case kAudioUnitProperty_ParameterValueStrings: {
      CFArrayRef texts = *reinterpret_cast<CFArrayRef*>(data);
      std::string text;
      for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i)
        text += (i ? ", " : "") + Text(CFArrayGetValueAtIndex(texts, i));
      CFRelease(texts);
      return text;
    }
    case kAudioUnitProperty_GetUIComponentList: {
      auto* d = reinterpret_cast<ComponentDescription*>(data);
      return FourCharText(d->componentType) + " " + FourCharText(d->componentSubType) + " " +
             FourCharText(d->componentManufacturer);
    }
    case kAudioUnitProperty_FactoryPresets: {
      CFArrayRef presets = *reinterpret_cast<CFArrayRef*>(data);
      std::string text = std::to_string(CFArrayGetCount(presets)) + " presets";
      for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i) {
        const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
        text += (i ? ", " : ": ") + std::to_string(preset->presetNumber) + " " + Text(preset->presetName);
      }
      CFRelease(presets);
      return text;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      auto* preset = reinterpret_cast<AUPreset*>(data);
      std::string text = std::to_string(preset->presetNumber) + " " + Text(preset->presetName);
      CFRelease(preset->presetName);
      return text;
    }
    case kAudioUnitProperty_ElementName: {
      CFStringRef name = *reinterpret_cast<CFStringRef*>(data);
      std::string text = Text(name);
      CFRelease(name);
      return text;
    }
    case kAudioUnitProperty_CocoaUI: {
      auto* info = reinterpret_cast<AudioUnitCocoaViewInfo*>(data);
      char path[4096] = "";
      CFURLGetFileSystemRepresentation(info->mCocoaAUViewBundleLocation, true,
                                       reinterpret_cast<uint8_t*>(path), sizeof path);
      std::string text = std::string("bundle ") + path + " class " + Text(info->mCocoaAUViewClass[0]);
      CFRelease(info->mCocoaAUViewBundleLocation);
      CFRelease(info->mCocoaAUViewClass[0]);
      return text;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags: {
      char text[32];
      snprintf(text, sizeof text, "tag 0x%X", *reinterpret_cast<uint32_t*>(data));
      return text;
    }
    case kAudioUnitProperty_MakeConnection:
    case kAudioUnitProperty_SetRenderCallback:
    case kAudioUnitProperty_HostCallbacks:
      return "set by the host only";
    case kAudioUnitProperty_ParameterStringFromValue: {
      auto* request = reinterpret_cast<AudioUnitParameterStringFromValue*>(data);
      std::string text = "parameter 0 at 0: " + Text(request->outString);
      CFRelease(request->outString);
      return text;
    }
    case kAudioUnitProperty_ParameterIDName: {
      auto* request = reinterpret_cast<AudioUnitParameterIDName*>(data);
      std::string text = "parameter 0: " + Text(request->outName);
      CFRelease(request->outName);
      return text;
    }
    case kAudioUnitProperty_ParameterClumpName: {
      auto* request = reinterpret_cast<AudioUnitParameterNameInfo*>(data);
      std::string text = "clump 1: " + Text(request->outName);
      CFRelease(request->outName);
      return text;
    }
    case kAudioUnitProperty_ParameterValueFromString:
      return Format("parameter 0 from \"0\": %g",
                    reinterpret_cast<AudioUnitParameterValueFromString*>(data)->outValue);
    default:
      return "set by the host only";
  }
}

}  // namespace

bool HostUnit::PrintProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             std::string* error) {
  uint32_t size = 0;
  Boolean writable = false;
  AudioUnitGetPropertyInfo(m_unit, id, scope, element, &size, &writable);
  alignas(16) unsigned char data[1024] = {};
  PrepareRequest(id, data);
  uint32_t room = sizeof data;
  const OSStatus status = AudioUnitGetProperty(m_unit, id, scope, element, data, &room);
  fprintf(m_out, "property %u %s %s %u: size %u, %s, status %d", id, NameOf(id), ScopeName(scope), element,
          size, writable ? "writable" : "read-only", status);
  if (*StatusName(status) && status != noErr) fprintf(m_out, " (%s)", StatusName(status));
  if (status == noErr) {
    fprintf(m_out, ": %s", Describe(id, data, room).c_str());
  }
  fprintf(m_out, "\n");
  if (status != noErr && error) *error = Refusal(std::string("reading property ") + NameOf(id), status);
  return status == noErr;
}

void HostUnit::PrintProperties() {
  uint32_t size = 4, outputs = 0;
  AudioUnitGetProperty(m_unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &outputs, &size);
  size = 0;
  AudioUnitGetPropertyInfo(m_unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size,
                           nullptr);
  const uint32_t count = size / 4;
  struct Ask {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
  };
  std::vector<Ask> asks;
  for (const auto& n : kNames) {
    switch (n.id) {
      case kAudioUnitProperty_MakeConnection:
      case kAudioUnitProperty_SetRenderCallback:
        asks.push_back({n.id, kAudioUnitScope_Input, 0});
        break;
      case kAudioUnitProperty_ParameterInfo:
      case kAudioUnitProperty_ParameterValueStrings:
        // Every automated parameter; with none, the first index shows the refusal.
        for (uint32_t p = 0; p < (count ? count : 1); ++p) asks.push_back({n.id, kAudioUnitScope_Global, p});
        break;
      case kAudioUnitProperty_FastDispatch:
        for (AudioUnitElement selector : {6u, 7u, 14u})
          asks.push_back({n.id, kAudioUnitScope_Global, selector});
        break;
      case kAudioUnitProperty_StreamFormat:
        asks.push_back({n.id, kAudioUnitScope_Input, 0});
        asks.push_back({n.id, kAudioUnitScope_Output, 0});
        break;
      case kAudioUnitProperty_ElementCount:
        for (AudioUnitScope scope : {0u, 1u, 2u}) asks.push_back({n.id, scope, 0});
        break;
      case kAudioUnitProperty_ElementName:
        for (uint32_t e = 0; e < outputs; ++e) asks.push_back({n.id, kAudioUnitScope_Output, e});
        asks.push_back({n.id, kAudioUnitScope_Input, 0});
        asks.push_back({n.id, kAudioUnitScope_Input, 1});
        break;
      case kAudioUnitProperty_SupportedChannelLayoutTags:
        asks.push_back({n.id, kAudioUnitScope_Output, 0});
        break;
      default:
        asks.push_back({n.id, kAudioUnitScope_Global, 0});
    }
  }
  for (const Ask& ask : asks) PrintProperty(ask.id, ask.scope, ask.element, nullptr);
}
