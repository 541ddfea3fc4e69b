// The host's musical time, from its command-line settings: tempo, beat at
// the start, time signature, whether the transport runs and loops. The unit
// asks through the host callbacks while it renders; the position moves on
// by each rendered block while the transport runs.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audiounit/AudioUnit.h"

struct TransportSettings {
  double sampleRate = 48000.0;
  double tempo = 120.0;    // beats per minute
  double startBeat = 0.0;  // beat position at sample 0
  int numerator = 4;
  int denominator = 4;
  bool playing = false;
  bool cycling = false;
  double cycleStart = 0.0;  // beats
  double cycleEnd = 0.0;
};

class HostTransport {
 public:
  explicit HostTransport(const TransportSettings& settings)
      : m_settings(settings), m_playing(settings.playing) {}
  // The callbacks to hand to a unit (user data is this object).
  HostCallbackInfo Callbacks();
  // Sample position of the time line.
  double SamplePosition() const { return m_samples; }
  // Moves on by frames when the transport runs.
  void Advance(uint32_t frames);
  double CurrentBeat() const;
  // Starts or stops the transport (from any thread; the unit learns of it
  // at its next question).
  void SetPlaying(bool playing);
  bool Playing() const { return m_playing; }

 private:
  static OSStatus BeatAndTempo(void* self, double* beat, double* tempo);
  static OSStatus MusicalTimeLocation(void* self, uint32_t* deltaToNextBeat, float* numerator,
                                      uint32_t* denominator, double* downBeat);
  static OSStatus TransportState(void* self, Boolean* playing, Boolean* changed, double* sample,
                                 Boolean* cycling, double* cycleStart, double* cycleEnd);

  TransportSettings m_settings;
  std::atomic<bool> m_playing;
  std::atomic<bool> m_changed{false};  // since the last report
  double m_samples = 0.0;
  bool m_stateReported = false;
};
