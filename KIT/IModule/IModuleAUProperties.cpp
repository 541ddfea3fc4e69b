// Properties: reads (with size and writability queries) and writes by
// property ID, the parameter info record and stream formats.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleAU.h"
#include "KIT/IModule/IModuleAU_ViewFactory.h"
#include "KIT/IModule/auutil/au-preset-utilities.h"

namespace {

// The answer to one read: sets the size the property has, and tells whether
// data is to be written (data given with room for the property). A call
// with too little room is refused and nothing is written.
class Answer {
 public:
  Answer(uint32_t* size, void* data) : m_size(size), m_room(*size), m_data(data) {}
  bool Fits(uint32_t needed) {
    *m_size = needed;
    if (!m_data) return false;  // a size query
    if (m_room < needed) {
      m_status = kAudioUnitErr_InvalidPropertyValue;
      return false;
    }
    return true;
  }
  ComponentResult Status() const { return m_status; }
  template <class T>
  T* As() const {
    return static_cast<T*>(m_data);
  }

 private:
  uint32_t* m_size;
  uint32_t m_room;
  void* m_data;
  ComponentResult m_status = noErr;
};

CFStringRef NewString(const char* text) {
  CFStringRef s = CFStringCreateWithCString(nullptr, text ? text : "", kCFStringEncodingUTF8);
  // A text that is not UTF-8 has no string form; an empty string stands in.
  return s ? s : CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8);
}

std::string TextOf(CFStringRef s) {
  if (!s) return std::string();
  const CFIndex room = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  if (room < 1) return std::string();
  std::string text(static_cast<size_t>(room), '\0');
  if (!CFStringGetCString(s, &text[0], room, kCFStringEncodingUTF8)) return std::string();
  text.resize(strlen(text.c_str()));
  return text;
}

}  // namespace

ComponentResult IModuleAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                       AudioUnitElement element, uint32_t* dataSize, Boolean* writable,
                                       void* data) {
  Answer a(dataSize, data);
  const bool global = scope == kAudioUnitScope_Global;
  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
      *writable = true;
      if (!a.Fits(sizeof(CFPropertyListRef))) return a.Status();
      return GetState(a.As<CFPropertyListRef>());

    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      *writable = true;
      *dataSize = sizeof(AudioUnitConnection);
      return noErr;

    case kAudioUnitProperty_SampleRate:
      *writable = true;
      if (!a.Fits(sizeof(double))) return a.Status();
      *a.As<double>() = GetSampleRate();
      return noErr;

    case kAudioUnitProperty_ParameterList: {
      const int n = global ? NAutomatedParams() : 0;
      if (!a.Fits(static_cast<uint32_t>(n) * sizeof(AudioUnitParameterID))) return a.Status();
      for (int i = 0; i < n; ++i) a.As<AudioUnitParameterID>()[i] = static_cast<AudioUnitParameterID>(i);
      return noErr;
    }

    case kAudioUnitProperty_ParameterInfo:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= static_cast<uint32_t>(NAutomatedParams())) return kAudioUnitErr_InvalidElement;
      if (!a.Fits(sizeof(AudioUnitParameterInfo))) return a.Status();
      return GetParameterInfo(element, a.As<AudioUnitParameterInfo>());

    case kAudioUnitProperty_FastDispatch:
      return GetProc(element, dataSize, data);

    case kAudioUnitProperty_StreamFormat: {
      BusChannels* bus = GetBus(scope, element);
      if (!bus) return kAudioUnitErr_InvalidProperty;
      *writable = true;
      if (!a.Fits(sizeof(AudioStreamBasicDescription))) return a.Status();
      const int channels = bus->mNHostChannels < 0 ? bus->mNPlugChannels : bus->mNHostChannels;
      MakeDefaultASBD(a.As<AudioStreamBasicDescription>(), GetSampleRate(), channels, false);
      return noErr;
    }

    case kAudioUnitProperty_ElementCount:
      if (!a.Fits(sizeof(uint32_t))) return a.Status();
      *a.As<uint32_t>() = scope == kAudioUnitScope_Global   ? 1u
                          : scope == kAudioUnitScope_Input  ? static_cast<uint32_t>(NInputBuses())
                          : scope == kAudioUnitScope_Output ? static_cast<uint32_t>(NOutputBuses())
                                                            : 0u;
      return noErr;

    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:  // the tail time equals the latency
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!a.Fits(sizeof(double))) return a.Status();
      *a.As<double>() = GetLatency() / GetSampleRate();
      return noErr;

    case kAudioUnitProperty_SupportedNumChannels: {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const int n = NChannelIO();
      if (!a.Fits(static_cast<uint32_t>(n) * sizeof(AUChannelInfo))) return a.Status();
      for (int i = 0; i < n; ++i) {
        const ChannelIO* io = GetChannelIO(i);
        a.As<AUChannelInfo>()[i] = {static_cast<int16_t>(io->mIn), static_cast<int16_t>(io->mOut)};
      }
      return noErr;
    }

    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *writable = true;
      if (!a.Fits(sizeof(uint32_t))) return a.Status();
      *a.As<uint32_t>() = static_cast<uint32_t>(GetBlockSize());
      return noErr;

    case kAudioUnitProperty_ParameterValueStrings: {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= static_cast<uint32_t>(NAutomatedParams())) return kAudioUnitErr_InvalidElement;
      IParam* param = GetParam(static_cast<int>(element));
      const int n = param->GetNDisplayTexts();
      if (n == 0) {
        *dataSize = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      if (!a.Fits(sizeof(CFArrayRef))) return a.Status();
      CFMutableArrayRef texts = CFArrayCreateMutable(nullptr, n, &kCFTypeArrayCallBacks);
      if (!texts) return coreFoundationUnknownErr;
      for (int i = 0; i < n; ++i) {
        CFStringRef text = NewString(param->GetDisplayText(i));
        CFArrayAppendValue(texts, text);
        CFRelease(text);
      }
      *a.As<CFArrayRef>() = texts;
      return noErr;
    }

    case kAudioUnitProperty_GetUIComponentList:
      if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
      if (!a.Fits(sizeof(ComponentDescription))) return a.Status();
      *a.As<ComponentDescription>() = {kAudioUnitCarbonViewComponentType, static_cast<OSType>(GetUniqueID()),
                                       static_cast<OSType>(GetMfrID()), 0, 0};
      return noErr;

    case kAudioUnitProperty_AudioChannelLayout:
      return kAudioUnitErr_InvalidPropertyValue;

    case kAudioUnitProperty_BypassEffect:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *writable = true;
      if (!a.Fits(sizeof(uint32_t))) return a.Status();
      *a.As<uint32_t>() = IsBypassed() ? 1u : 0u;
      return noErr;

    case kAudioUnitProperty_LastRenderError:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!a.Fits(sizeof(OSStatus))) return a.Status();
      *a.As<OSStatus>() = noErr;
      return noErr;

    case kAudioUnitProperty_SetRenderCallback:
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      if (element >= static_cast<uint32_t>(NInputBuses())) return kAudioUnitErr_InvalidProperty;
      *writable = true;
      *dataSize = sizeof(AURenderCallbackStruct);
      return noErr;

    case kAudioUnitProperty_FactoryPresets: {
      if (!a.Fits(sizeof(CFArrayRef))) return a.Status();
      CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, NPresets(), &kCFAUPresetArrayCallBacks);
      if (!presets) return coreFoundationUnknownErr;
      for (int i = 0; i < NPresets(); ++i) {
        CFStringRef name = NewString(GetPresetName(i));
        CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
        CFRelease(name);
        if (!preset) continue;  // a record that cannot be made is skipped
        CFArrayAppendValue(presets, preset);
        CFAUPresetRelease(preset);
      }
      *a.As<CFArrayRef>() = presets;
      return noErr;
    }

    case kAudioUnitProperty_HostCallbacks:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *writable = true;
      *dataSize = sizeof(HostCallbackInfo);
      return noErr;

    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      *writable = true;
      if (!a.Fits(sizeof(AUPreset))) return a.Status();
      const int current = GetCurrentPresetIdx();
      *a.As<AUPreset>() = {current, NewString(GetPresetName(current))};
      return noErr;
    }

    case kAudioUnitProperty_ElementName: {
      *dataSize = sizeof(CFStringRef);
      *writable = false;
      if (!data) return kAudioUnitErr_InvalidProperty;
      const char* label = nullptr;
      if (scope == kAudioUnitScope_Output) {
        if (element >= static_cast<uint32_t>(NOutputBusLabels())) return kAudioUnitErr_InvalidElement;
        label = GetOutputBusLabel(static_cast<int>(element));
      } else if (scope == kAudioUnitScope_Input) {
        if (element > 1) return kAudioUnitErr_InvalidElement;
        label = GetInputBusLabel(static_cast<int>(element));
      } else {
        return kAudioUnitErr_InvalidScope;
      }
      if (!a.Fits(sizeof(CFStringRef))) return a.Status();
      *a.As<CFStringRef>() = NewString(label);
      return noErr;
    }

    case kAudioUnitProperty_CocoaUI: {
      if (!GetGUI() || GetEditorOSVersion(GetGUI()) < kCocoaViewMinOSVersion)
        return kAudioUnitErr_InvalidProperty;
      CFStringRef identifier = NewString(mBundleID.Get());
      CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
      CFRelease(identifier);
      // Without the bundle there is nothing a host could load the view from.
      if (!bundle) return kAudioUnitErr_InvalidProperty;
      if (!a.Fits(sizeof(AudioUnitCocoaViewInfo))) return a.Status();
      AudioUnitCocoaViewInfo* info = a.As<AudioUnitCocoaViewInfo>();
      info->mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
      info->mCocoaAUViewClass[0] = NewString(mCocoaViewFactoryClassName.Get());
      return noErr;
    }

    case kAudioUnitProperty_SupportedChannelLayoutTags: {
      if (!IsInst() || NOutputBuses() == 1) return kAudioUnitErr_InvalidProperty;
      if (scope != kAudioUnitScope_Output && !(scope == kAudioUnitScope_Input && NInputBuses() > 0))
        return kAudioUnitErr_InvalidProperty;
      if (element >= static_cast<uint32_t>(NOutputBuses())) return kAudioUnitErr_InvalidElement;
      *writable = true;
      if (!a.Fits(sizeof(AudioChannelLayoutTag))) return a.Status();
      GetChannelLayoutTags(scope, element, a.As<AudioChannelLayoutTag>());
      return noErr;
    }

    case kAudioUnitProperty_ParameterStringFromValue: {
      if (!a.Fits(sizeof(AudioUnitParameterStringFromValue)) || !global) return a.Status();
      AudioUnitParameterStringFromValue* request = a.As<AudioUnitParameterStringFromValue>();
      IParam* param = GetParamByID(request->inParamID);
      if (!param) return kAudioUnitErr_InvalidParameter;
      // Without a value the parameter's own is shown.
      const double value = request->inValue ? *request->inValue : param->Value();
      param->GetDisplayForHost(value, false, mParamValueString, true);
      request->outString = NewString(mParamValueString);
      return noErr;
    }

    case kAudioUnitProperty_ParameterIDName: {
      if (!a.Fits(sizeof(AudioUnitParameterIDName)) || !global) return a.Status();
      AudioUnitParameterIDName* request = a.As<AudioUnitParameterIDName>();
      IParam* param = GetParamByID(request->inID);
      if (!param) return kAudioUnitErr_InvalidParameter;
      if (request->inDesiredLength < -1) return kAudioUnitErr_InvalidPropertyValue;
      std::string name = param->GetNameForHost();
      size_t length = std::min<size_t>(name.size(), IParam::kNameSize - 1);
      if (request->inDesiredLength >= 0)
        length = std::min(length, static_cast<size_t>(request->inDesiredLength));
      request->outName = NewString(name.substr(0, length).c_str());
      return noErr;
    }

    case kAudioUnitProperty_ParameterClumpName: {
      if (!a.Fits(sizeof(AudioUnitParameterNameInfo)) || !global) return a.Status();
      AudioUnitParameterNameInfo* request = a.As<AudioUnitParameterNameInfo>();
      if (static_cast<int32_t>(request->inID) <= 0) return kAudioUnitErr_PropertyNotInUse;
      const char* group = GetParamGroupName(static_cast<int>(request->inID) - 1);
      request->outName = group ? NewString(group) : nullptr;
      return noErr;
    }

    case kAudioUnitProperty_ParameterValueFromString: {
      if (!a.Fits(sizeof(AudioUnitParameterValueFromString)) || !global) return a.Status();
      AudioUnitParameterValueFromString* request = a.As<AudioUnitParameterValueFromString>();
      IParam* param = GetParamByID(request->inParamID);
      if (!param) return kAudioUnitErr_InvalidParameter;
      const std::string text = TextOf(request->inString);
      if (param->GetNDisplayTexts() > 0) {
        int value = 0;
        if (param->MapDisplayText(text.c_str(), &value))
          request->outValue = static_cast<AudioUnitParameterValue>(value);
      } else {
        const double value = atof(text.c_str());
        request->outValue = static_cast<AudioUnitParameterValue>(param->GetNegateDisplay() ? -value : value);
      }
      return noErr;
    }

    case kMusicDeviceProperty_InstrumentCount:
      if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
      if (!a.Fits(sizeof(uint32_t))) return a.Status();
      *a.As<uint32_t>() = 1;
      return noErr;

    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

ComponentResult IModuleAU::GetParameterInfo(AudioUnitElement element, AudioUnitParameterInfo* info) {
  IParam* param = GetParam(static_cast<int>(element));
  *info = AudioUnitParameterInfo{};
  info->flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
                kAudioUnitParameterFlag_CFNameRelease;
  if (param->GetCanAutomate()) info->flags |= kAudioUnitParameterFlag_IsWritable;
  if (param->GetIsMeta()) info->flags |= kAudioUnitParameterFlag_IsElementMeta;
  info->cfNameString = NewString(param->GetNameForHost());
  // The fixed-size name takes what fits; the full name is in cfNameString.
  snprintf(info->name, sizeof info->name, "%.*s", static_cast<int>(sizeof info->name) - 1,
           param->GetNameForHost());
  switch (param->Type()) {
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      info->unit = kAudioUnitParameterUnit_Indexed;
      break;
    case IParam::kTypeBool:
      info->unit = kAudioUnitParameterUnit_Boolean;
      break;
    default: {
      const char* label = param->GetLabelForHost();
      if (label && *label) {
        info->unit = kAudioUnitParameterUnit_CustomUnit;
        info->unitName = NewString(label);
      } else {
        info->unit = kAudioUnitParameterUnit_Generic;
      }
    }
  }
  double minValue = 0.0, maxValue = 1.0;
  param->GetBounds(&minValue, &maxValue);
  info->minValue = static_cast<AudioUnitParameterValue>(minValue);
  info->maxValue = static_cast<AudioUnitParameterValue>(maxValue);
  info->defaultValue = static_cast<AudioUnitParameterValue>(param->Value());
  const char* group = param->GetParamGroupForHost();
  if (group && *group) {
    int clump = 0;
    for (int i = NParamGroups() - 1; i >= 0 && !clump; --i)
      if (strcmp(GetParamGroupName(i), group) == 0) clump = i + 1;
    if (!clump) clump = AddParamGroup(group);
    info->clumpID = static_cast<uint32_t>(clump);
    info->flags |= kAudioUnitParameterFlag_HasClump;
  }
  return noErr;
}

ComponentResult IModuleAU::GetProc(AudioUnitElement selector, uint32_t* dataSize, void* data) {
  void* proc = nullptr;
  switch (selector) {
    case kAudioUnitGetParameterSelect:
      proc = reinterpret_cast<void*>(&GetParamProc);
      break;
    case kAudioUnitSetParameterSelect:
      proc = reinterpret_cast<void*>(&SetParamProc);
      break;
    case kAudioUnitRenderSelect:
      proc = reinterpret_cast<void*>(&RenderProc);
      break;
    default:
      return kAudioUnitErr_InvalidElement;
  }
  Answer a(dataSize, data);
  if (!a.Fits(sizeof(void*))) return a.Status();
  memcpy(data, &proc, sizeof proc);
  return noErr;
}

AudioChannelLayoutTag IModuleAU::GetTagForNumChannels(int nChannels) {
  if (nChannels == 1) return kAudioChannelLayoutTag_Mono;
  if (nChannels == 2) return kAudioChannelLayoutTag_Stereo;
  return kAudioChannelLayoutTag_Unknown;
}

int IModuleAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element,
                                    AudioChannelLayoutTag* tags) {
  if (scope != kAudioUnitScope_Output && scope != kAudioUnitScope_Input) return 0;
  const BusChannels* bus = element <= INT32_MAX ? mOutBuses.Get(static_cast<int>(element)) : nullptr;
  if (!bus) return 0;
  if (tags) *tags = GetTagForNumChannels(bus->mNPlugChannels);
  return 1;
}

// ---- Writes ------------------------------------------------------------------------

namespace {
// The bytes a write of propID needs; 0 for properties this binding does not write.
uint32_t WriteSize(AudioUnitPropertyID propID) {
  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
      return sizeof(CFPropertyListRef);
    case kAudioUnitProperty_MakeConnection:
      return sizeof(AudioUnitConnection);
    case kAudioUnitProperty_SampleRate:
      return sizeof(double);
    case kAudioUnitProperty_StreamFormat:
      return sizeof(AudioStreamBasicDescription);
    case kAudioUnitProperty_MaximumFramesPerSlice:
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_OfflineRender:
      return sizeof(uint32_t);
    case kAudioUnitProperty_SetRenderCallback:
      return sizeof(AURenderCallbackStruct);
    case kAudioUnitProperty_HostCallbacks:
      return sizeof(HostCallbackInfo);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      return sizeof(AUPreset);
    case kAudioUnitProperty_AUHostIdentifier:
      return sizeof(AUHostIdentifier);
    default:
      return 0;
  }
}
}  // namespace

ComponentResult IModuleAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                       AudioUnitElement element, uint32_t dataSize, const void* data) {
  InformListeners(propID, scope);
  const uint32_t needed = WriteSize(propID);
  if (needed == 0) return kAudioUnitErr_InvalidProperty;
  // Scope and bus checks that need no data come first, as for reading.
  if (propID == kAudioUnitProperty_MakeConnection && scope != kAudioUnitScope_Global &&
      scope != kAudioUnitScope_Input)
    return kAudioUnitErr_InvalidProperty;
  if (propID == kAudioUnitProperty_StreamFormat && !GetBus(scope, element))
    return kAudioUnitErr_InvalidProperty;
  if (propID == kAudioUnitProperty_SetRenderCallback &&
      (scope != kAudioUnitScope_Input || element >= static_cast<uint32_t>(mInBusConnections.GetSize())))
    return kAudioUnitErr_InvalidProperty;
  if (propID == kAudioUnitProperty_HostCallbacks && scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  if (!data || dataSize < needed) return kAudioUnitErr_InvalidPropertyValue;

  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
      return SetState(*static_cast<const CFPropertyListRef*>(data));
    case kAudioUnitProperty_MakeConnection:
      return MakeConnection(scope, static_cast<const AudioUnitConnection*>(data));
    case kAudioUnitProperty_SampleRate: {
      const double rate = *static_cast<const double*>(data);
      if (!(rate > 0.0) || !std::isfinite(rate)) return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(rate);
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
      return SetStreamFormat(scope, element, static_cast<const AudioStreamBasicDescription*>(data));
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      const uint32_t frames = *static_cast<const uint32_t*>(data);
      if (frames > static_cast<uint32_t>(kMaxBlockSize) || !SetBlockSizeChecked(static_cast<int>(frames)))
        return kAudioUnitErr_InvalidPropertyValue;
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect:
      SetBypassed(*static_cast<const uint32_t*>(data) != 0);
      OnActivate(!IsBypassed());
      Reset();
      return noErr;
    case kAudioUnitProperty_SetRenderCallback: {
      InputBusConnection* connection = mInBusConnections.Get(static_cast<int>(element));
      *connection = InputBusConnection();
      const auto* callback = static_cast<const AURenderCallbackStruct*>(data);
      if (callback->inputProc) connection->mUpstreamRenderCallback = *callback;
      AssessInputConnections();
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
      mHostCallbacks = *static_cast<const HostCallbackInfo*>(data);
      return noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      RestorePreset(static_cast<const AUPreset*>(data)->presetNumber);
      return noErr;
    case kAudioUnitProperty_OfflineRender:
      mOffline = *static_cast<const uint32_t*>(data) != 0;
      return noErr;
    case kAudioUnitProperty_AUHostIdentifier: {
      const auto* host = static_cast<const AUHostIdentifier*>(data);
      const std::string name = TextOf(host->hostName);
      const uint8_t minorAndFix = host->hostVersion.minorAndBugRev;
      const int32_t version =
          (int32_t{host->hostVersion.majorRev} << 16) + ((minorAndFix >> 4) << 8) + (minorAndFix & 0x0F);
      SetHost(name.c_str(), version);
      OnHostIdentified();
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

ComponentResult IModuleAU::MakeConnection(AudioUnitScope, const AudioUnitConnection* connection) {
  InputBusConnection* record = connection->destInputNumber <= INT32_MAX
                                   ? mInBusConnections.Get(static_cast<int>(connection->destInputNumber))
                                   : nullptr;
  if (!record) return kAudioUnitErr_InvalidProperty;
  // A unit cannot pull its own output: rendering would never end.
  if (connection->sourceAudioUnit && connection->sourceAudioUnit == mCI) return kAudioUnitErr_InvalidProperty;
  *record = InputBusConnection();
  ComponentResult status = noErr;
  if (AudioUnit source = connection->sourceAudioUnit) {
    AudioStreamBasicDescription format{};
    uint32_t size = sizeof format;
    status = AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                  connection->sourceOutputNumber, &format, &size);
    if (status == noErr)
      status = SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                           connection->destInputNumber, sizeof format, &format);
    if (status != noErr) {
      status = kAudioUnitErr_InvalidProperty;
    } else {
      record->mUpstreamUnit = source;
      record->mUpstreamBusIdx = static_cast<int>(connection->sourceOutputNumber);
      AudioUnitRenderProc proc = nullptr;
      size = sizeof proc;
      if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &proc, &size) == noErr &&
          proc) {
        record->mUpstreamRenderProc = proc;
        record->mUpstreamObj = GetComponentInstanceStorage(source);
      }
    }
  }
  AssessInputConnections();
  return status;
}

ComponentResult IModuleAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioStreamBasicDescription* format) {
  BusChannels* bus = GetBus(scope, element);
  const int channels =
      format->mChannelsPerFrame <= INT16_MAX ? static_cast<int>(format->mChannelsPerFrame) : -1;
  bus->mNHostChannels = 0;
  const bool accepted = channels > 0 && CheckLegalIO(scope, static_cast<int>(element), channels) &&
                        format->mFormatID == kAudioFormatLinearPCM &&
                        (format->mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0;
  if (accepted) {
    bus->mNHostChannels = channels;
    if (format->mSampleRate > 0.0 && std::isfinite(format->mSampleRate)) SetSampleRate(format->mSampleRate);
  }
  AssessInputConnections();
  return accepted ? noErr : kAudioUnitErr_InvalidProperty;
}
