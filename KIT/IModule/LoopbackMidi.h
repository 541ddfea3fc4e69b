// In-process loop-back MIDI ports: a back end for the tests of the port
// logic that needs no MIDI server. It is chosen only by tests, with
// VIVIVI_MIDI_API=loopback (MidiApi.h); nothing else ever picks it.
//
// A client's virtual port is a named port ("client:port") of this process
// that other clients list and open by number, as on a MIDI server: an
// output's virtual port sends to every input that opened it, an input's
// virtual port takes what outputs that opened it send. A port goes away
// when its client closes it or is deleted; the watchers are told.
//
// Threads: any. Messages are delivered on the sending thread; an input's
// callback is never running once its closePort or destructor returned. A
// callback must not open or close loop-back ports, and a watcher must not
// stop watching from inside its notice.
#pragma once

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What an input and an output share: the client's name, the port opened by
// number and the client's own virtual port. An input lists and opens the
// outputs' virtual ports, an output the inputs'; openPort throws
// RtMidiError for a number out of range.
class LoopbackMidiPort : public RtMidi {
 public:
  unsigned int getPortCount() override;
  std::string getPortName(unsigned int portNumber = 0) override;
  void openPort(unsigned int portNumber = 0, const std::string& portName = "RtMidi") override;
  void openVirtualPort(const std::string& portName = "RtMidi") override;
  // True while a port opened by number is open (not for a virtual port).
  bool isPortOpen() const override;
  void setErrorCallback(RtMidiErrorCallback errorCallback = nullptr, void* userData = nullptr) override;
  RtMidi::Api getCurrentApi() throw();

 protected:
  LoopbackMidiPort(const std::string& clientName, bool input);
  // Forgets both ports (the registry's lock held); the virtual port's id,
  // which the caller removes once the lock is let go.
  uint64_t Forget();

  const std::string mClient;
  const bool mInput;
  uint64_t mOpened = 0;   // the port opened by number (0: none)
  uint64_t mVirtual = 0;  // the virtual port (0: none)
};

class LoopbackMidiIn : public LoopbackMidiPort {
 public:
  explicit LoopbackMidiIn(const std::string& clientName);
  ~LoopbackMidiIn() override;  // closePort

  // Listens to the output port of that number.
  void openPort(unsigned int portNumber = 0, const std::string& portName = "RtMidi") override;
  // Closes the opened port and the virtual port, whichever is open.
  void closePort() override;

  // As the MIDI library's input: the callback gets each message with the
  // seconds since the one before; without a callback messages are dropped.
  // The ignored types (all by default): SysEx; time code quarter frames and
  // timing clock; active sensing.
  void setCallback(RtMidiIn::RtMidiCallback callback, void* userData = nullptr);
  void ignoreTypes(bool midiSysex = true, bool midiTime = true, bool midiSense = true);

  // The registry's delivery (its lock held).
  void Deliver(const unsigned char* bytes, size_t size);

 private:
  RtMidiIn::RtMidiCallback mCallback = nullptr;
  void* mUserData = nullptr;
  bool mIgnoreSysex = true, mIgnoreTime = true, mIgnoreSense = true;
  bool mFirst = true;
  std::chrono::steady_clock::time_point mLast;
};

class LoopbackMidiOut : public LoopbackMidiPort {
 public:
  explicit LoopbackMidiOut(const std::string& clientName);
  ~LoopbackMidiOut() override;  // closePort

  void closePort() override;
  // To the port opened by number and to every input on the virtual port;
  // nowhere when neither is open or the port went away. An empty message
  // is refused with RtMidiError, as the MIDI library does.
  void sendMessage(const unsigned char* message, size_t size);
};

// The names of the loop-back ports at one moment: inputs lists the ports
// an input listens to, outputs those an output sends to.
void ListLoopbackMidiPorts(std::vector<std::string>* inputs, std::vector<std::string>* outputs);
// Whether a loop-back port of that full name exists now.
bool LoopbackMidiPortExists(const std::string& name);

// Calls notice (on the thread that closed the port) after a loop-back port
// went away; returns the watch's number for StopWatchingLoopbackMidiPorts,
// which returns once no notice of that watch runs any more.
uint64_t WatchLoopbackMidiPorts(std::function<void()> notice);
void StopWatchingLoopbackMidiPorts(uint64_t watch);
