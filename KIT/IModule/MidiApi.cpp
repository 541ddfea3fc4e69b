#include "KIT/IModule/MidiApi.h"

#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "KIT/IModule/LoopbackMidi.h"

RtMidi::Api GetExternalMIDIApi() {
  const char* chosen = getenv("VIVIVI_MIDI_API");
  if (chosen && strcmp(chosen, "alsa") == 0) return RtMidi::LINUX_ALSA;
  if (chosen && strcmp(chosen, "jack") == 0) return RtMidi::UNIX_JACK;
  if (chosen && strcmp(chosen, "loopback") == 0) return kLoopbackMIDIApi;
  return access("/dev/snd/seq", R_OK | W_OK) == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

namespace {

unsigned PortCount(RtMidi* midi) {
  try {
    return midi->getPortCount();
  } catch (RtMidiError& error) {
    error.printMessage();
    return 0;
  }
}

std::string PortName(RtMidi* midi, unsigned p) {
  try {
    return midi->getPortName(p);
  } catch (RtMidiError& error) {
    error.printMessage();
    return std::string();
  }
}

// The names of the MIDI ports with the flag (JackPortIsOutput: the ports an
// input listens to), in the order the MIDI library numbers them.
std::vector<std::string> JackPortNames(jack_client_t* client, unsigned long flag) {
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, flag);
  if (!ports) return names;
  for (const char** port = ports; *port; ++port) names.push_back(*port);
  jack_free(ports);
  return names;
}

MIDIPortLists JackPortLists(const std::function<void(const MIDIPortLists&)>& ready) {
  MIDIPortLists previous;
  jack_status_t status{};
  jack_client_t* client = jack_client_open("RtMidi Port List", JackNoStartServer, &status);
  if (!client) {
    if (ready) ready(previous);
    return previous;
  }
  for (int reading = 0; reading < 8; ++reading) {
    MIDIPortLists lists;
    lists.inputs = JackPortNames(client, JackPortIsOutput);
    lists.outputs = JackPortNames(client, JackPortIsInput);
    const bool agree = lists.inputs == previous.inputs && lists.outputs == previous.outputs;
    previous = std::move(lists);
    if (reading > 0 && agree) break;
  }
  if (ready) ready(previous);
  jack_client_close(client);
  return previous;
}

// ALSA's clients are local and cheap: each direction's own reads its ports.
template <class Client>
std::vector<std::string> ClientPortNames(RtMidi::Api api, const char* clientName) {
  try {
    Client client(api, clientName);
    return GetMIDIPortNames(&client);
  } catch (RtMidiError& error) {
    error.printMessage();
    return std::vector<std::string>();
  }
}

}  // namespace

MIDIPortLists GetMIDIPortLists(RtMidi::Api api, const std::function<void(const MIDIPortLists&)>& ready) {
  if (api == RtMidi::UNIX_JACK) return JackPortLists(ready);
  MIDIPortLists lists;
  if (api == kLoopbackMIDIApi) {
    ListLoopbackMidiPorts(&lists.inputs, &lists.outputs);
    if (ready) ready(lists);
    return lists;
  }
  lists.inputs = ClientPortNames<RtMidiIn>(api, "RtMidi Input Client");
  lists.outputs = ClientPortNames<RtMidiOut>(api, "RtMidi Output Client");
  if (ready) ready(lists);
  return lists;
}

std::vector<std::string> GetMIDIPortNames(RtMidi* midi) {
  std::vector<std::string> previous;
  if (!midi) return previous;
  for (int reading = 0; reading < 8; ++reading) {
    std::vector<std::string> names;
    const unsigned count = PortCount(midi);
    for (unsigned p = 0; p < count; ++p) names.push_back(PortName(midi, p));
    if (reading > 0 && names == previous) break;
    previous.swap(names);
  }
  return previous;
}

int OpenMIDIPortByName(RtMidi* midi, const std::string& name, const std::string& portName) {
  if (!midi || name.empty()) return 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const std::vector<std::string> before = GetMIDIPortNames(midi);
    const auto at = std::find(before.begin(), before.end(), name);
    if (at == before.end()) return 0;
    try {
      midi->openPort(static_cast<unsigned>(at - before.begin()), portName);
      if (GetMIDIPortNames(midi) == before) return 1;
      midi->closePort();
    } catch (RtMidiError& error) {
      error.printMessage();
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20 * (attempt + 1)));
  }
  return -1;
}
