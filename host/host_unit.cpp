#include "host/host_unit.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/corefoundation/CoreFoundation.h"

// Files larger than this are not taken for a saved state.
static constexpr long kMaxStateFileBytes = 64L << 20;

const char* StatusName(OSStatus status) {
  switch (status) {
    case noErr:
      return "no error";
    case paramErr:
      return "bad arguments";
    case badComponentSelector:
      return "selector not served";
    case kAudioUnitErr_InvalidProperty:
      return "invalid property";
    case kAudioUnitErr_InvalidParameter:
      return "invalid parameter";
    case kAudioUnitErr_InvalidElement:
      return "invalid element";
    case kAudioUnitErr_InvalidScope:
      return "invalid scope";
    case kAudioUnitErr_InvalidPropertyValue:
      return "invalid property value";
    case kAudioUnitErr_PropertyNotInUse:
      return "property not in use";
    case kAudioUnitErr_FailedInitialization:
      return "failed";
    case coreFoundationUnknownErr:
      return "CoreFoundation failure";
    default:
      return "";
  }
}

std::string Refusal(const std::string& call, OSStatus status) {
  std::string text = "the unit refused " + call + " with status " + std::to_string(status);
  const char* name = StatusName(status);
  if (*name) text += std::string(" (") + name + ")";
  return text;
}

HostUnit::HostUnit(const LoadedComponent& component, HostTransport* transport, FILE* out)
    : m_component(component), m_transport(transport), m_out(out) {}

HostUnit::~HostUnit() { Close(); }

void HostUnit::HearEvent(void* self, const AudioUnitEvent* event) {
  static const char* const kKinds[] = {"value change", "gesture begin", "gesture end", "property change"};
  const char* kind = event->mEventType < 4 ? kKinds[event->mEventType] : "event";
  fprintf(static_cast<HostUnit*>(self)->m_out, "host heard: %s of parameter %u\n", kind,
          event->mArgument.mParameter.mParameterID);
}

bool HostUnit::Open(std::string* error) {
  Close();
  const ComponentHostServices services{this, HearEvent};
  const OSStatus status =
      OpenComponentInstance(m_component.entry, &m_component.description, &services, &m_unit);
  if (status != noErr) {
    *error = Refusal("open", status);
    return false;
  }
  return true;
}

void HostUnit::Close() {
  if (!m_unit) return;
  AudioUnitUninitialize(m_unit);
  CloseComponentInstance(m_unit);
  m_unit = nullptr;
}

bool HostUnit::Setup(const UnitSettings& settings, std::string* error) {
  const HostCallbackInfo callbacks = m_transport->Callbacks();
  const AUHostIdentifier identity{CFSTR("vivivi-host"), {1, 0x15, 0, 0}};
  AudioStreamBasicDescription format{};
  format.mSampleRate = settings.sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = format.mBytesPerFrame = 4;
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = settings.outputChannels;
  format.mBitsPerChannel = 32;
  const struct {
    const char* call;
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    const void* data;
    uint32_t size;
  } kSteps[] = {
      {"the sample rate", kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, &settings.sampleRate, 8},
      {"the host callbacks", kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, &callbacks,
       sizeof callbacks},
      {"the host identifier", kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, &identity,
       sizeof identity},
      {"the maximum frames per render", kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global,
       &settings.maxFrames, 4},
      {"the output stream format", kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, &format,
       sizeof format},
  };
  for (const auto& step : kSteps) {
    const OSStatus status = AudioUnitSetProperty(m_unit, step.id, step.scope, 0, step.data, step.size);
    if (status != noErr) {
      *error = Refusal(std::string("setting ") + step.call, status);
      return false;
    }
  }
  m_outputChannels = settings.outputChannels;
  m_buffers.assign(m_outputChannels, std::vector<float>(settings.maxFrames));
  m_bufferList.assign(AudioBufferListSize(m_outputChannels), 0);
  const OSStatus status = AudioUnitInitialize(m_unit);
  if (status != noErr) {
    *error = Refusal("initialize", status);
    return false;
  }
  return true;
}

OSStatus HostUnit::Render(uint32_t frames, double sampleTime, uint32_t timeStampFlags, bool* silent) {
  // Room for more frames than the unit allows, so a refusal is the unit's.
  for (auto& buffer : m_buffers) {
    if (buffer.size() < frames) buffer.resize(frames);
    std::fill(buffer.begin(), buffer.end(), 1.0f);  // the marker a unit must overwrite
  }
  AudioBufferList* list = reinterpret_cast<AudioBufferList*>(m_bufferList.data());
  list->mNumberBuffers = m_outputChannels;
  for (uint32_t c = 0; c < m_outputChannels; ++c)
    *AudioBufferListBuffer(list, c) = {1, frames * 4, m_buffers[c].data()};
  AudioTimeStamp stamp{};
  stamp.mSampleTime = sampleTime;
  stamp.mFlags = timeStampFlags;
  AudioUnitRenderActionFlags flags = 0;
  const OSStatus status = AudioUnitRender(m_unit, &flags, &stamp, 0, frames, list);
  *silent = true;
  for (uint32_t c = 0; c < m_outputChannels; ++c) {
    const float* data = static_cast<const float*>(AudioBufferListBuffer(list, c)->mData);
    for (uint32_t i = 0; data && i < frames; ++i) *silent = *silent && data[i] == 0.0f;
  }
  return status;
}

bool HostUnit::SaveState(const std::string& path, std::string* error) {
  CFPropertyListRef state = nullptr;
  uint32_t size = sizeof state;
  const OSStatus status =
      AudioUnitGetProperty(m_unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size);
  if (status != noErr) {
    *error = Refusal("reading its class info", status);
    return false;
  }
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, state);
  CFRelease(state);
  if (!xml) {
    *error = "the unit's class info holds values a property list cannot carry";
    return false;
  }
  // Written beside the file and moved over it, so a failed save loses nothing.
  const std::string temporary = path + ".part";
  FILE* f = fopen(temporary.c_str(), "wb");
  bool ok = f && fwrite(CFDataGetBytePtr(xml), 1, static_cast<size_t>(CFDataGetLength(xml)), f) ==
                     static_cast<size_t>(CFDataGetLength(xml));
  if (f) ok = (fclose(f) == 0) && ok;
  CFRelease(xml);
  if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
    remove(temporary.c_str());
    *error = "cannot write \"" + path + "\": " + strerror(errno);
    return false;
  }
  return true;
}

bool HostUnit::RestoreState(const std::string& path, std::string* error) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot read \"" + path + "\": " + strerror(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  size_t got;
  while ((got = fread(block, 1, sizeof block, f)) > 0 &&
         bytes.size() <= static_cast<size_t>(kMaxStateFileBytes))
    bytes.insert(bytes.end(), block, block + got);
  fclose(f);
  if (bytes.size() > static_cast<size_t>(kMaxStateFileBytes)) {
    *error = "\"" + path + "\" is too large for a saved state";
    return false;
  }
  CFDataRef xml = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
  CFStringRef why = nullptr;
  CFPropertyListRef state = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, &why);
  CFRelease(xml);
  if (!state) {
    const char* text = CFStringGetCStringPtr(why, kCFStringEncodingUTF8);
    *error = "\"" + path + "\" is not a saved state: " + (text ? text : "unreadable");
    CFRelease(why);
    return false;
  }
  const OSStatus status = AudioUnitSetProperty(m_unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global,
                                               0, &state, sizeof state);
  CFRelease(state);
  if (status != noErr) {
    *error = Refusal("the saved state from \"" + path + "\"", status);
    return false;
  }
  return true;
}
