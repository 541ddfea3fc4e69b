// vivivi-host: a small host standing in for the audio workstation. It loads
// a plug-in bundle, opens the component through its exported entry, sets it
// up and initialises it, carries out the actions given on the command line
// in order, and closes it. Headless: the editor window comes with the GUI
// (a further action beside the others).
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/bundle_loader.h"
#include "host/editor_commands.h"
#include "host/host_unit.h"
#include "host/midi_input.h"
#include "host/transport.h"
#include "host/window_editor.h"

namespace {

const char kUsage[] =
    "usage: vivivi-host [options] BUNDLE [action ...]\n"
    "\n"
    "Loads the plug-in bundle BUNDLE (a folder NAME.bundle with Info.plist and the\n"
    "shared object), opens its component through the entry named there, sets the\n"
    "sample rate, host callbacks, block size and a stereo output format,\n"
    "initialises it, carries out the actions in order and closes it. The first\n"
    "action the unit refuses ends the run. A BUNDLE given by name alone (no \"/\")\n"
    "that is no folder here is looked for in the plug-in folders: those of\n"
    "$VIVIVI_PLUGIN_PATH (separated by \":\"), else ~/.local/lib/vivivi-host/plug-ins,\n"
    "where tools/install.sh puts VivivI.bundle.\n"
    "\n"
    "options:\n"
    "  --sample-rate HZ         sample rate, 1000 to 768000 (default 48000)\n"
    "  --block FRAMES           frames per render call, 1 to 65536 (default 512)\n"
    "  --max-frames FRAMES      largest render the unit is told of (default: the block)\n"
    "  --tempo BPM              tempo the host reports, above 0 up to 999 (default 120)\n"
    "  --beat BEAT              beat position at the start (default 0)\n"
    "  --time-signature N/D     time signature (default 4/4)\n"
    "  --play                   the transport runs (default: stopped)\n"
    "  --cycle START:END        the transport loops between two beats\n"
    "  --fast                   render blocks back to back, not on the steady clock\n"
    "  --midi-in PORT           pass MIDI from this input port to the unit while rendering\n"
    "  --help                   this text\n"
    "\n"
    "actions:\n"
    "  version                  the unit's version word\n"
    "  can-do SELECTOR          whether the unit announces a selector (e.g. 14, -3, 0x101)\n"
    "  properties               every property with status, size, writability and value\n"
    "  property ID SCOPE ELEMENT  one property (scope: global, input, output or a number)\n"
    "  stream-format SCOPE ELEMENT CHANNELS FORMAT FLAGS\n"
    "                           propose a stream format (FORMAT four characters, e.g. lpcm)\n"
    "  get-param ID             a parameter's value\n"
    "  set-param ID VALUE       set a parameter's value\n"
    "  midi BYTES               one message in hex, e.g. 90,3C,64 (F0 ... F7 goes as SysEx)\n"
    "  note PITCH VELOCITY      start and stop a note\n"
    "  render BLOCKS            render blocks; tells whether the output was silence\n"
    "  render-once FRAMES FLAGS one render call with these time-stamp flags (1: sample time)\n"
    "  save-state FILE          save the unit's class-info dictionary (XML property list)\n"
    "  restore-state FILE       restore a saved dictionary into the unit\n"
    "  reopen                   close the unit and open and set up a new instance\n"
    "%s%s"
    "\n"
    "exit status: 0 done, 1 the unit refused an action, 2 bad command line,\n"
    "3 the bundle could not be loaded or opened.\n";

enum ExitCode { kDone = 0, kRefused = 1, kUsageError = 2, kLoadError = 3 };

struct Options {
  TransportSettings transport;
  UnitSettings unit;
  uint32_t block = 512;
  bool maxFramesGiven = false;
  bool realTime = true;
  std::string midiIn;
  std::string bundle;
  std::vector<std::string> actions;
};

bool ParseDouble(const std::string& text, double minimum, double maximum, double* value) {
  errno = 0;
  char* end = nullptr;
  const double v = strtod(text.c_str(), &end);
  if (text.empty() || *end != 0 || errno == ERANGE || !std::isfinite(v) || v < minimum || v > maximum)
    return false;
  *value = v;
  return true;
}

bool ParseInteger(const std::string& text, long long minimum, long long maximum, long long* value) {
  errno = 0;
  char* end = nullptr;
  const long long v = strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != 0 || errno == ERANGE || v < minimum || v > maximum) return false;
  *value = v;
  return true;
}

// Reads the options; returns false with a message for a bad command line.
bool ParseOptions(int argc, char** argv, Options* o, bool* help, std::string* error) {
  int i = 1;
  auto value = [&](const char* option, std::string* out) {
    if (i + 1 >= argc) {
      *error = std::string(option) + " needs a value";
      return false;
    }
    *out = argv[++i];
    return true;
  };
  for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string option = argv[i];
    std::string text;
    double d = 0;
    long long n = 0;
    if (option == "--help") {
      *help = true;
      return true;
    } else if (option == "--play") {
      o->transport.playing = true;
    } else if (option == "--fast") {
      o->realTime = false;
    } else if (option == "--sample-rate") {
      if (!value("--sample-rate", &text)) return false;
      if (!ParseDouble(text, 1000, 768000, &d)) return *error = "--sample-rate takes 1000 to 768000", false;
      o->transport.sampleRate = o->unit.sampleRate = d;
    } else if (option == "--block") {
      if (!value("--block", &text)) return false;
      if (!ParseInteger(text, 1, 65536, &n)) return *error = "--block takes 1 to 65536 frames", false;
      o->block = static_cast<uint32_t>(n);
    } else if (option == "--max-frames") {
      if (!value("--max-frames", &text)) return false;
      if (!ParseInteger(text, 1, 65536, &n)) return *error = "--max-frames takes 1 to 65536 frames", false;
      o->unit.maxFrames = static_cast<uint32_t>(n);
      o->maxFramesGiven = true;
    } else if (option == "--tempo") {
      if (!value("--tempo", &text)) return false;
      if (!ParseDouble(text, 1e-3, 999, &d)) return *error = "--tempo takes a tempo above 0 up to 999", false;
      o->transport.tempo = d;
    } else if (option == "--beat") {
      if (!value("--beat", &text)) return false;
      if (!ParseDouble(text, 0, 1e9, &d)) return *error = "--beat takes a beat position of 0 or more", false;
      o->transport.startBeat = d;
    } else if (option == "--time-signature") {
      if (!value("--time-signature", &text)) return false;
      const size_t slash = text.find('/');
      long long top = 0, bottom = 0;
      if (slash == std::string::npos || !ParseInteger(text.substr(0, slash), 1, 64, &top) ||
          !ParseInteger(text.substr(slash + 1), 1, 64, &bottom) || (bottom & (bottom - 1)) != 0)
        return *error = "--time-signature takes N/D, N 1 to 64, D a power of two up to 64", false;
      o->transport.numerator = static_cast<int>(top);
      o->transport.denominator = static_cast<int>(bottom);
    } else if (option == "--cycle") {
      if (!value("--cycle", &text)) return false;
      const size_t colon = text.find(':');
      double start = 0, end = 0;
      if (colon == std::string::npos || !ParseDouble(text.substr(0, colon), 0, 1e9, &start) ||
          !ParseDouble(text.substr(colon + 1), 0, 1e9, &end) || end <= start)
        return *error = "--cycle takes START:END in beats with END after START", false;
      o->transport.cycling = true;
      o->transport.cycleStart = start;
      o->transport.cycleEnd = end;
    } else if (option == "--midi-in") {
      if (!value("--midi-in", &o->midiIn)) return false;
    } else {
      *error = "unknown option " + option;
      return false;
    }
  }
  if (i >= argc) {
    *error = "no plug-in bundle given";
    return false;
  }
  o->bundle = argv[i++];
  for (; i < argc; ++i) o->actions.push_back(argv[i]);
  if (!o->maxFramesGiven) o->unit.maxFrames = o->block;
  if (o->block > o->unit.maxFrames) {
    *error = "--block must not exceed --max-frames";
    return false;
  }
  return true;
}

bool ParseScope(const std::string& text, AudioUnitScope* scope) {
  if (text == "global") return *scope = kAudioUnitScope_Global, true;
  if (text == "input") return *scope = kAudioUnitScope_Input, true;
  if (text == "output") return *scope = kAudioUnitScope_Output, true;
  long long n = 0;
  if (!ParseInteger(text, 0, UINT32_MAX, &n)) return false;
  *scope = static_cast<AudioUnitScope>(n);
  return true;
}

// "90,3C,64" or "90 3C 64": two hex digits per byte.
bool ParseBytes(const std::string& text, std::vector<uint8_t>* bytes) {
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ') {
      if (digits.size() % 2) return false;
      continue;
    }
    if (!isxdigit(static_cast<unsigned char>(c))) return false;
    digits += c;
  }
  if (digits.empty() || digits.size() % 2) return false;
  for (size_t k = 0; k < digits.size(); k += 2)
    bytes->push_back(static_cast<uint8_t>(strtoul(digits.substr(k, 2).c_str(), nullptr, 16)));
  return true;
}

// Runs the actions on an open, set-up unit.
class Session : public EditorCommandHost {
 public:
  Session(const Options& options, const LoadedComponent& component)
      : m_options(options),
        m_component(component),
        m_transport(options.transport),
        m_unit(component, &m_transport, stdout) {}

  int Start() {
    std::string error;
    if (!m_unit.Open(&error)) return Fail(kLoadError, error);
    if (!m_unit.Setup(m_options.unit, &error)) return Fail(kRefused, error);
    if (!m_options.midiIn.empty()) {
      m_midiIn.reset(new HostMidiInput);
      if (!m_midiIn->Open(m_options.midiIn, &error)) return Fail(kUsageError, error);
    }
    return kDone;
  }

  // Checks names and value counts of every action before anything runs.
  static bool CheckActions(const std::vector<std::string>& actions, std::string* error) {
    for (size_t i = 0; i < actions.size(); ++i) {
      const int arity = Arity(actions[i]);
      if (arity < 0) return *error = "unknown action \"" + actions[i] + "\" (see --help)", false;
      if (actions.size() - i - 1 < static_cast<size_t>(arity))
        return *error = "action " + actions[i] + " needs " + std::to_string(arity) + " value(s)", false;
      i += static_cast<size_t>(arity);
    }
    return true;
  }

  ~Session() { StopRendering(); }

  bool SetPlaying(bool playing) override {
    m_transport.SetPlaying(playing);
    return true;
  }

  int Run(const std::vector<std::string>& actions) {
    for (size_t i = 0; i < actions.size(); ++i) {
      const size_t arity = static_cast<size_t>(Arity(actions[i]));
      const std::vector<std::string> values(actions.begin() + static_cast<long>(i) + 1,
                                            actions.begin() + static_cast<long>(i + 1 + arity));
      const int result = Do(actions[i], values);
      if (result != kDone) return result;
      i += arity;
    }
    return kDone;
  }

 private:
  static int Arity(const std::string& action) {
    static const struct {
      const char* name;
      int arguments;
    } kActions[] = {{"version", 0},       {"can-do", 1},    {"properties", 0},  {"property", 3},
                    {"stream-format", 5}, {"get-param", 1}, {"set-param", 2},   {"midi", 1},
                    {"note", 2},          {"render", 1},    {"render-once", 2}, {"save-state", 1},
                    {"restore-state", 1}, {"reopen", 0}};
    for (const auto& a : kActions)
      if (action == a.name) return a.arguments;
    return EditorActionArity(action);
  }

  int Fail(int code, const std::string& message) {
    fprintf(stderr, "vivivi-host: error: %s\n", message.c_str());
    return code;
  }

  int Refused(const std::string& call, OSStatus status) { return Fail(kRefused, Refusal(call, status)); }

  int Do(const std::string& action, const std::vector<std::string>& a) {
    AudioUnit unit = m_unit.Unit();
    long long n = 0;
    double d = 0;
    if (action == "version") {
      const ComponentResult version = CallComponentVersion(unit);
      printf("version 0x%08X\n", static_cast<uint32_t>(version));
    } else if (action == "can-do") {
      if (!ParseInteger(a[0], INT16_MIN, INT16_MAX, &n))
        return Fail(kUsageError, "can-do takes a 16-bit selector");
      printf("can-do %lld: %d\n", n, CallComponentCanDo(unit, static_cast<int16_t>(n)));
    } else if (action == "properties") {
      m_unit.PrintProperties();
    } else if (action == "property") {
      AudioUnitScope scope = 0;
      long long element = 0;
      if (!ParseInteger(a[0], 0, UINT32_MAX, &n) || !ParseScope(a[1], &scope) ||
          !ParseInteger(a[2], 0, UINT32_MAX, &element))
        return Fail(kUsageError, "property takes ID SCOPE ELEMENT");
      std::string error;
      if (!m_unit.PrintProperty(static_cast<AudioUnitPropertyID>(n), scope,
                                static_cast<AudioUnitElement>(element), &error))
        return Fail(kRefused, error);
    } else if (action == "stream-format") {
      AudioUnitScope scope = 0;
      long long element = 0, channels = 0, flags = 0;
      if (!ParseScope(a[0], &scope) || !ParseInteger(a[1], 0, UINT32_MAX, &element) ||
          !ParseInteger(a[2], 0, UINT32_MAX, &channels) || a[3].size() != 4 ||
          !ParseInteger(a[4], 0, UINT32_MAX, &flags))
        return Fail(kUsageError, "stream-format takes SCOPE ELEMENT CHANNELS FORMAT FLAGS");
      AudioStreamBasicDescription format{};
      format.mSampleRate = m_options.unit.sampleRate;
      format.mFormatID = 0;
      for (char c : a[3]) format.mFormatID = (format.mFormatID << 8) | static_cast<uint8_t>(c);
      format.mFormatFlags = static_cast<uint32_t>(flags);
      format.mBytesPerPacket = format.mBytesPerFrame = 4;
      format.mFramesPerPacket = 1;
      format.mChannelsPerFrame = static_cast<uint32_t>(channels);
      format.mBitsPerChannel = 32;
      const OSStatus status =
          AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope,
                               static_cast<AudioUnitElement>(element), &format, sizeof format);
      if (status != noErr) return Refused("the stream format", status);
      printf("stream format accepted: %lld channels\n", channels);
    } else if (action == "get-param") {
      if (!ParseInteger(a[0], 0, UINT32_MAX, &n)) return Fail(kUsageError, "get-param takes a parameter ID");
      AudioUnitParameterValue value = 0;
      const OSStatus status = AudioUnitGetParameter(unit, static_cast<AudioUnitParameterID>(n),
                                                    kAudioUnitScope_Global, 0, &value);
      if (status != noErr) return Refused("reading parameter " + a[0], status);
      printf("parameter %lld: %g\n", n, value);
    } else if (action == "set-param") {
      if (!ParseInteger(a[0], 0, UINT32_MAX, &n) || !ParseDouble(a[1], -3.4e38, 3.4e38, &d))
        return Fail(kUsageError, "set-param takes a parameter ID and a value");
      const OSStatus status = AudioUnitSetParameter(unit, static_cast<AudioUnitParameterID>(n),
                                                    kAudioUnitScope_Global, 0, static_cast<float>(d), 0);
      if (status != noErr) return Refused("setting parameter " + a[0], status);
      printf("parameter %lld set to %g\n", n, d);
    } else if (action == "midi") {
      std::vector<uint8_t> bytes;
      if (!ParseBytes(a[0], &bytes)) return Fail(kUsageError, "midi takes hex bytes such as 90,3C,64");
      const OSStatus status = SendMidi(bytes);
      if (status != noErr) return Refused("the MIDI message", status);
      printf("midi sent: %zu bytes\n", bytes.size());
    } else if (action == "note") {
      double velocity = 0;
      if (!ParseDouble(a[0], 0, 127, &d) || !ParseDouble(a[1], 0, 127, &velocity))
        return Fail(kUsageError, "note takes a pitch and a velocity, 0 to 127");
      const MusicDeviceNoteParams params{2, static_cast<float>(d), static_cast<float>(velocity)};
      NoteInstanceID note = 0;
      OSStatus status = MusicDeviceStartNote(unit, 0, 0, &note, 0, &params);
      if (status != noErr) return Refused("start-note", status);
      status = MusicDeviceStopNote(unit, 0, note, 0);
      if (status != noErr) return Refused("stop-note", status);
      printf("note %u started and stopped\n", note);
    } else if (action == "render") {
      if (!ParseInteger(a[0], 0, INT32_MAX, &n)) return Fail(kUsageError, "render takes a number of blocks");
      return RenderBlocks(n);
    } else if (action == "render-once") {
      long long flags = 0;
      if (!ParseInteger(a[0], 0, UINT32_MAX, &n) || !ParseInteger(a[1], 0, UINT32_MAX, &flags))
        return Fail(kUsageError, "render-once takes FRAMES FLAGS");
      bool silent = false;
      const OSStatus status =
          m_unit.Render(static_cast<uint32_t>(n), m_sampleTime, static_cast<uint32_t>(flags), &silent);
      if (status != noErr) return Refused("render", status);
      m_sampleTime += static_cast<double>(n);
      printf("rendered %lld frames: output %s\n", n, silent ? "silent" : "not silent");
    } else if (action == "save-state") {
      std::string error;
      if (!m_unit.SaveState(a[0], &error)) return Fail(kRefused, error);
      printf("state saved to %s\n", a[0].c_str());
    } else if (action == "restore-state") {
      std::string error;
      if (!m_unit.RestoreState(a[0], &error)) return Fail(kRefused, error);
      printf("state restored from %s\n", a[0].c_str());
    } else if (action == "editor-commands") {
      // The audio engine runs while the script drives the editor.
      std::string error;
      StartRendering();
      const bool done = DoEditorAction(&m_editor, action, a, m_component, unit, this, &error);
      StopRendering();
      if (!done) return Fail(kRefused, error);
    } else if (EditorActionArity(action) >= 0) {
      std::string error;
      if (!DoEditorAction(&m_editor, action, a, m_component, unit, this, &error))
        return Fail(kRefused, error);
    } else if (action == "reopen") {
      m_editor.Close();
      m_unit.Close();
      m_sampleTime = 0;
      const int started = Start();
      if (started != kDone) return started;
      printf("reopened a new instance\n");
    }
    return kDone;
  }

  // Renders blocks on a thread of its own, on the steady clock, until
  // StopRendering; refusals end it with a message.
  void StartRendering() {
    if (m_renderThread.joinable()) return;
    m_rendering = true;
    m_renderThread = std::thread([this] {
      const uint32_t frames = m_options.block;
      const long long period = static_cast<long long>(1e9 * frames / m_options.unit.sampleRate);
      timespec next{};
      clock_gettime(CLOCK_MONOTONIC, &next);
      while (m_rendering) {
        if (m_midiIn)
          for (const auto& message : m_midiIn->Take()) SendMidi(message);
        bool silent = false;
        const OSStatus status = m_unit.Render(
            frames, m_sampleTime, kAudioTimeStampSampleTimeValid | kAudioTimeStampHostTimeValid, &silent);
        if (status != noErr) {
          fprintf(stderr, "vivivi-host: error: %s\n", Refusal("a render", status).c_str());
          return;
        }
        m_sampleTime += frames;
        m_transport.Advance(frames);
        next.tv_nsec += period % 1000000000LL;
        next.tv_sec += static_cast<time_t>(period / 1000000000LL);
        if (next.tv_nsec >= 1000000000L) next.tv_nsec -= 1000000000L, ++next.tv_sec;
        // A late block does not make the next ones hurry.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec > next.tv_sec + 1) next = now;
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
        }
      }
    });
  }

  void StopRendering() {
    m_rendering = false;
    if (m_renderThread.joinable()) m_renderThread.join();
  }

  OSStatus SendMidi(const std::vector<uint8_t>& bytes) {
    AudioUnit unit = m_unit.Unit();
    if (bytes[0] == 0xF0 || bytes.size() > 3)
      return MusicDeviceSysEx(unit, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return MusicDeviceMIDIEvent(unit, bytes[0], bytes.size() > 1 ? bytes[1] : 0,
                                bytes.size() > 2 ? bytes[2] : 0, 0);
  }

  // Blocks on the steady clock: each starts one block period after the last.
  int RenderBlocks(long long blocks) {
    const uint32_t frames = m_options.block;
    const long long period = static_cast<long long>(1e9 * frames / m_options.unit.sampleRate);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    long long loud = 0;
    for (long long b = 0; b < blocks; ++b) {
      if (m_midiIn)
        for (const auto& message : m_midiIn->Take()) SendMidi(message);
      bool silent = false;
      const OSStatus status = m_unit.Render(
          frames, m_sampleTime, kAudioTimeStampSampleTimeValid | kAudioTimeStampHostTimeValid, &silent);
      if (status != noErr) return Refused("render of block " + std::to_string(b), status);
      if (!silent) ++loud;
      m_sampleTime += frames;
      m_transport.Advance(frames);
      if (m_options.realTime) {
        next.tv_nsec += period % 1000000000LL;
        next.tv_sec += static_cast<time_t>(period / 1000000000LL);
        if (next.tv_nsec >= 1000000000L) next.tv_nsec -= 1000000000L, ++next.tv_sec;
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
        }
      }
    }
    printf("rendered %lld blocks of %u frames at %g Hz: output %s\n", blocks, frames,
           m_options.unit.sampleRate,
           loud == 0 ? "silent" : ("not silent in " + std::to_string(loud) + " blocks").c_str());
    return kDone;
  }

  const Options& m_options;
  const LoadedComponent& m_component;
  HostTransport m_transport;
  HostUnit m_unit;
  EditorWindow m_editor{stdout};  // closed before the unit
  std::unique_ptr<HostMidiInput> m_midiIn;
  double m_sampleTime = 0;
  std::thread m_renderThread;
  std::atomic<bool> m_rendering{false};
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &help, &error)) {
    fprintf(stderr, "vivivi-host: %s\n\n", error.c_str());
    fprintf(stderr, kUsage, kEditorUsage, EditorCommands::kUsage);
    return kUsageError;
  }
  if (help) {
    printf(kUsage, kEditorUsage, EditorCommands::kUsage);
    return kDone;
  }
  if (!Session::CheckActions(options.actions, &error)) {
    fprintf(stderr, "vivivi-host: %s\n\n", error.c_str());
    fprintf(stderr, kUsage, kEditorUsage, EditorCommands::kUsage);
    return kUsageError;
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);
  LoadedComponent component;
  if (!LoadBundle(options.bundle, &component, &error)) {
    fprintf(stderr, "vivivi-host: error: %s\n", error.c_str());
    return kLoadError;
  }
  printf("loaded %s (%s %s %s) from %s\n", component.name.c_str(),
         FourCharText(component.description.componentType).c_str(),
         FourCharText(component.description.componentSubType).c_str(),
         FourCharText(component.description.componentManufacturer).c_str(), component.folder.c_str());
  Session session(options, component);
  int result = session.Start();
  if (result == kDone) result = session.Run(options.actions);
  return result;
}
