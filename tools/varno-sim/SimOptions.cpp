#include "tools/varno-sim/SimOptions.h"

#include "tools/varno-sim/CommandInterpreter.h"

namespace varno {

bool parseOptions(const std::vector<std::string>& arguments, SimOptions& options, std::string& error) {
  auto fail = [&error](const std::string& why) {
    error = why;
    return false;
  };
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    const std::string value = hasValue ? arguments[i + 1] : std::string();
    long number = 0;
    if (option == "--help" || option == "-h") {
      options.showHelp = true;
      continue;
    }
    if (option == "--no-stdin") {
      options.readStandardInput = false;
      continue;
    }
    if (option == "--strict-checksum") {
      options.strictChecksum = true;
      continue;
    }
    static const char* const kValueOptions[] = {"--client",    "--in-port", "--out-port", "--api",
                                                "--device-id", "--answer",  "--pace",     "--script"};
    bool known = false;
    for (const char* name : kValueOptions) known = known || option == name;
    if (!known)
      return fail(option.rfind("-", 0) == 0 ? "unknown option " + option : "unexpected argument " + option);
    if (!hasValue) return fail("option " + option + " needs a value");
    if (option == "--client") {
      if (value.empty()) return fail("--client needs a name");
      options.clientName = value;
    } else if (option == "--in-port") {
      if (value.empty()) return fail("--in-port needs a name");
      options.inPortName = value;
    } else if (option == "--out-port") {
      if (value.empty()) return fail("--out-port needs a name");
      options.outPortName = value;
    } else if (option == "--api") {
      if (value != "alsa" && value != "jack") return fail("--api takes alsa or jack");
      options.api = value;
    } else if (option == "--device-id") {
      if (!parseDecimal(value, 0, 15, number)) return fail("--device-id takes 0..15");
      options.deviceId = static_cast<int>(number);
    } else if (option == "--answer") {
      if (value == "now") {
        options.policy.answerMode = AnswerMode::Now;
      } else if (value == "never") {
        options.policy.answerMode = AnswerMode::Never;
      } else if (value.rfind("late:", 0) == 0 && parseDecimal(value.substr(5), 0, 600000, number)) {
        options.policy.answerMode = AnswerMode::Late;
        options.policy.lateMicroseconds = number * 1000;
      } else {
        return fail("--answer takes now, never or late:<ms>");
      }
    } else if (option == "--pace") {
      if (value != "instant" && value != "cable") return fail("--pace takes instant or cable");
      options.policy.pace = value == "cable" ? Pace::Cable : Pace::Instant;
    } else if (option == "--script") {
      if (value.empty()) return fail("--script needs a file");
      options.scriptPath = value;
    }
    ++i;
  }
  return true;
}

std::string chooseMidiSystem(const std::string& requested, const char* environment,
                             bool alsaSequencerExists) {
  if (requested == "alsa" || requested == "jack") return requested;
  const std::string fromEnvironment = environment != nullptr ? environment : "";
  if (fromEnvironment == "alsa" || fromEnvironment == "jack") return fromEnvironment;
  return alsaSequencerExists ? "alsa" : "jack";
}

std::string usageText() {
  return std::string(
             "usage: varno-sim [options]\n"
             "\n"
             "A simulated Varno synthesizer on two MIDI ports, as described by\n"
             "docs/midi-implementation.md: edit buffer, 99 programs, global settings.\n"
             "It answers the enquiry, edit-buffer and program requests at its own\n"
             "device ID; takes sound dumps, stores, global dumps, control changes,\n"
             "parameter numbers and single-parameter messages; and records everything\n"
             "it receives and sends with a time stamp (microseconds since start).\n"
             "\n"
             "Options:\n"
             "  --client NAME        MIDI client name (default varno-sim)\n"
             "  --in-port NAME       port the Varno receives on (default \"Varno In\")\n"
             "  --out-port NAME      port the Varno sends on (default \"Varno Out\")\n"
             "  --api alsa|jack      MIDI system; default: VIVIVI_MIDI_API, else ALSA\n"
             "                       when the ALSA sequencer exists, else JACK\n"
             "  --device-id N        device ID 0..15 (default 0)\n"
             "  --answer MODE        now (default), never, or late:<ms>\n"
             "  --pace instant|cable output instantly (default) or at 31 250 baud\n"
             "  --strict-checksum    refuse sound dumps whose checksum is wrong\n"
             "                       (by default they are taken and the record notes it)\n"
             "  --script FILE        run the commands of FILE first\n"
             "  --no-stdin           do not read commands from standard input\n"
             "  --help               this text\n"
             "\n"
             "Ports: each port is a client of its own named NAME; JACK may add a\n"
             "suffix to the second client's name, so find the ports by their port\n"
             "names. When both ports are open the program prints \"ready\".\n"
             "It runs until \"quit\", the end of standard input (unless --no-stdin),\n"
             "or SIGINT/SIGTERM.\n"
             "\n"
             "Content: program 0 and the edit buffer at start hold the initial sound;\n"
             "program p >= 1 gives parameter i the value\n"
             "minimum + (7p + 5i) mod (maximum - minimum + 1) and the clock code p mod 11.\n"
             "\n") +
         commandHelpText();
}

}  // namespace varno
