#include "host/transport.h"

#include <cmath>

HostCallbackInfo HostTransport::Callbacks() {
  HostCallbackInfo info{};
  info.hostUserData = this;
  info.beatAndTempoProc = BeatAndTempo;
  info.musicalTimeLocationProc = MusicalTimeLocation;
  info.transportStateProc = TransportState;
  return info;
}

void HostTransport::Advance(uint32_t frames) {
  if (m_playing) m_samples += frames;
}

void HostTransport::SetPlaying(bool playing) {
  if (m_playing.exchange(playing) != playing) m_changed = true;
}

double HostTransport::CurrentBeat() const {
  double beat = m_settings.startBeat + m_samples * m_settings.tempo / (60.0 * m_settings.sampleRate);
  // Inside a cycle the position wraps back to its start.
  if (m_settings.cycling && m_settings.cycleEnd > m_settings.cycleStart && beat >= m_settings.cycleEnd)
    beat = m_settings.cycleStart +
           std::fmod(beat - m_settings.cycleStart, m_settings.cycleEnd - m_settings.cycleStart);
  return beat;
}

OSStatus HostTransport::BeatAndTempo(void* self, double* beat, double* tempo) {
  const HostTransport* t = static_cast<HostTransport*>(self);
  if (beat) *beat = t->CurrentBeat();
  if (tempo) *tempo = t->m_settings.tempo;
  return noErr;
}

OSStatus HostTransport::MusicalTimeLocation(void* self, uint32_t* deltaToNextBeat, float* numerator,
                                            uint32_t* denominator, double* downBeat) {
  const HostTransport* t = static_cast<HostTransport*>(self);
  const double beat = t->CurrentBeat();
  const double beatsPerBar = t->m_settings.numerator * 4.0 / t->m_settings.denominator;
  if (deltaToNextBeat) {
    const double samplesPerBeat = 60.0 * t->m_settings.sampleRate / t->m_settings.tempo;
    *deltaToNextBeat = static_cast<uint32_t>((std::ceil(beat) - beat) * samplesPerBeat);
  }
  if (numerator) *numerator = static_cast<float>(t->m_settings.numerator);
  if (denominator) *denominator = static_cast<uint32_t>(t->m_settings.denominator);
  if (downBeat) *downBeat = std::floor(beat / beatsPerBar) * beatsPerBar;
  return noErr;
}

OSStatus HostTransport::TransportState(void* self, Boolean* playing, Boolean* changed, double* sample,
                                       Boolean* cycling, double* cycleStart, double* cycleEnd) {
  HostTransport* t = static_cast<HostTransport*>(self);
  if (playing) *playing = t->m_playing;
  // The first report tells of the state the host started in.
  const bool moved = t->m_changed.exchange(false);
  if (changed) *changed = !t->m_stateReported || moved;
  t->m_stateReported = true;
  if (sample) *sample = t->m_samples;
  if (cycling) *cycling = t->m_settings.cycling;
  if (cycleStart) *cycleStart = t->m_settings.cycleStart;
  if (cycleEnd) *cycleEnd = t->m_settings.cycleEnd;
  return noErr;
}
