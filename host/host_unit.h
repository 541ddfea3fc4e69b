// One instance of a plug-in's component, as the host drives it: open, set
// up (sample rate, host callbacks and identity, block size, stream formats),
// initialise, render, MIDI, parameters, properties and the class-info state
// kept in files, close. Every call the unit refuses comes back as a message
// naming the call and the status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/bundle_loader.h"
#include "host/transport.h"

// "invalid property value" and the like for a status; "" when unknown.
const char* StatusName(OSStatus status);
// "the unit refused <call> with status N (name)".
std::string Refusal(const std::string& call, OSStatus status);

struct UnitSettings {
  double sampleRate = 48000.0;
  uint32_t maxFrames = 512;
  uint32_t outputChannels = 2;
};

class HostUnit {
 public:
  HostUnit(const LoadedComponent& component, HostTransport* transport, FILE* out);
  ~HostUnit();
  HostUnit(const HostUnit&) = delete;
  HostUnit& operator=(const HostUnit&) = delete;

  // Opens a new instance through the component's entry (closing one open before).
  bool Open(std::string* error);
  // Sets sample rate, host callbacks and identity, the largest block and the
  // stream formats, then initialises the unit.
  bool Setup(const UnitSettings& settings, std::string* error);
  void Close();
  AudioUnit Unit() const { return m_unit; }

  // One render call on output bus 0 into buffers first filled with a marker;
  // *silent tells whether every sample came back 0.
  OSStatus Render(uint32_t frames, double sampleTime, uint32_t timeStampFlags, bool* silent);

  bool SaveState(const std::string& path, std::string* error);
  bool RestoreState(const std::string& path, std::string* error);

  // Prints every property of the interface's table with status, size,
  // writability and value.
  void PrintProperties();
  // Prints one property; false when the unit refuses it.
  bool PrintProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                     std::string* error);

 private:
  static void HearEvent(void* self, const AudioUnitEvent* event);

  const LoadedComponent& m_component;
  HostTransport* m_transport;
  FILE* m_out;
  AudioUnit m_unit = nullptr;
  uint32_t m_outputChannels = 2;
  std::vector<std::vector<float>> m_buffers;
  std::vector<uint8_t> m_bufferList;
};
