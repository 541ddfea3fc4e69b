// The MIDI back end of the external ports, and port look-ups by name that
// hold while other programs add and remove ports.
#pragma once

#include <rtmidi/RtMidi.h>

#include <functional>
#include <string>
#include <vector>

// VIVIVI_MIDI_API = "alsa" or "jack" decides; otherwise ALSA when the ALSA
// sequencer device can be opened for reading and writing, else JACK.
// "loopback" (for tests only) chooses the in-process loop-back ports of
// LoopbackMidi.h, which the MIDI library's unused placeholder API stands
// for: the clients of MidiClients.h and the lists below then serve ports
// of this process alone.
RtMidi::Api GetExternalMIDIApi();
constexpr RtMidi::Api kLoopbackMIDIApi = RtMidi::RTMIDI_DUMMY;

// The names of the ports present, in the MIDI library's numbering ("" for a
// name that cannot be read; empty for a null client). The library answers
// the count and each name in separate calls while other programs add and
// remove ports, so the ports are read until two readings agree.
std::vector<std::string> GetMIDIPortNames(RtMidi* midi);

// The ports of both directions at one moment, in the MIDI library's
// numbering ("" for a name that cannot be read): inputs are the ports a
// MIDI input can listen to, outputs those an output can send to. On JACK
// one client of its own reads both, without starting a server or opening
// the MIDI library's clients; on ALSA the library's clients read their
// direction each; the loop-back ports are read at once. Read until two readings agree, as GetMIDIPortNames.
// Both empty when no client can be made (no server running). When given, ready is called once with the lists
// as soon as they are read, before the client is closed (which takes a JACK server a few milliseconds more).
struct MIDIPortLists {
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
};
MIDIPortLists GetMIDIPortLists(RtMidi::Api api,
                               const std::function<void(const MIDIPortLists&)>& ready = nullptr);

// Opens the port that carries name now, under portName: 1 when opened, 0
// when no port carries the name, -1 when it could not be opened (the MIDI
// library's message is printed). The library opens a port by number and
// looks the number up again inside; an opening counts only when the ports
// read the same before and after it, else it is undone and tried again a
// few times. (A port that comes and goes within the opening itself can
// still take the number: the library offers no opening by name.)
int OpenMIDIPortByName(RtMidi* midi, const std::string& name, const std::string& portName);
