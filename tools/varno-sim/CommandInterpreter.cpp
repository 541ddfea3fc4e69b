#include "tools/varno-sim/CommandInterpreter.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace varno {
namespace {

const char kHelp[] =
    "Commands (one a line; each answers data lines, then \"ok\" or \"error: ...\"):\n"
    "  show edit                 edit buffer: current program, clock code, index=value of all 72 parameters\n"
    "  show program <p>          program p (0..98): clock code and index=value of the 65 dump parameters\n"
    "  show globals              index=value of the global settings\n"
    "  show dump edit|<p>        the 76-byte dump the Varno would send, in hexadecimal\n"
    "  set <index> <value>       set a sound, performance or global setting; sends nothing\n"
    "  turn <index> <value>      panel change: set it and send what Control X says\n"
    "  select <p>                panel program choice: load program p, send its program change\n"
    "  send-param <index> [v]    send the single-parameter message (after setting v when given)\n"
    "  send-cc <controller> <v>  send a control change on the transmit channel\n"
    "  send-pc <p>               send a program change on the transmit channel\n"
    "  send-raw <hex bytes>      send any bytes as one message\n"
    "  answer now|never|late <ms>  when requests are answered\n"
    "  pace instant|cable        instant output, or 320 microseconds a byte\n"
    "  records [clear]           print the record: \"record <us> in|out <kind> <outcome> <fault> <hex>\"\n"
    "  wait <ms>                 pause before the next command\n"
    "  help                      this list\n"
    "  quit                      end the program\n";

bool parseHexByte(const std::string& text, uint8_t& value) {
  if (text.empty() || text.size() > 2) return false;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 16);
  if (end == nullptr || *end != '\0' || parsed < 0 || parsed > 255) return false;
  value = static_cast<uint8_t>(parsed);
  return true;
}

CommandResult failure(const std::string& why) {
  CommandResult result;
  result.lines.push_back("error: " + why);
  return result;
}

bool isKnownIndex(const Synth& synth, long index) { return synth.value(static_cast<int>(index)) >= 0; }

std::string soundValuesText(const Sound& sound) {
  std::string text = "clock-code=" + std::to_string(sound.code(59));
  for (int index = 0; index < kSoundParameterCount; ++index) {
    if (soundParameter(index)->dumpByte < 0) continue;
    text += " " + std::to_string(index) + "=" + std::to_string(sound.value(index));
  }
  return text;
}

}  // namespace

const char* commandHelpText() { return kHelp; }

bool parseDecimal(const std::string& text, long minimum, long maximum, long& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || parsed < minimum || parsed > maximum) return false;
  value = parsed;
  return true;
}

std::string hexText(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

CommandResult runCommand(const std::string& line, Synth& synth, OutputPolicy& policy) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  if (words.empty() || words[0][0] == '#') return CommandResult();

  const std::string& command = words[0];
  const size_t arguments = words.size() - 1;
  CommandResult result;
  long a = 0;
  long b = 0;

  if (command == "help" && arguments == 0) {
    std::istringstream help(kHelp);
    for (std::string helpLine; std::getline(help, helpLine);) result.lines.push_back(helpLine);
  } else if (command == "quit" && arguments == 0) {
    result.quit = true;
  } else if (command == "show" && arguments == 1 && words[1] == "edit") {
    std::string text = "edit program=" + std::to_string(synth.currentProgram()) +
                       " clock-code=" + std::to_string(synth.editBuffer().code(59));
    for (int index = 0; index < kSoundParameterCount; ++index)
      text += " " + std::to_string(index) + "=" + std::to_string(synth.value(index));
    result.lines.push_back(text);
  } else if (command == "show" && arguments == 2 && words[1] == "program") {
    if (!parseDecimal(words[2], 0, kProgramCount - 1, a)) return failure("program must be 0..98");
    result.lines.push_back("program " + std::to_string(a) + " " +
                           soundValuesText(synth.program(static_cast<int>(a))));
  } else if (command == "show" && arguments == 1 && words[1] == "globals") {
    std::string text = "globals";
    for (int slot = 0; slot < kGlobalSettingCount; ++slot) {
      const int index = globalSettings()[slot].index;
      text += " " + std::to_string(index) + "=" + std::to_string(synth.value(index));
    }
    result.lines.push_back(text);
  } else if (command == "show" && arguments == 2 && words[1] == "dump") {
    if (words[2] == "edit") {
      result.lines.push_back("dump " + hexText(synth.editBufferDump()));
    } else {
      if (!parseDecimal(words[2], 0, kProgramCount - 1, a)) return failure("program must be 0..98 or edit");
      result.lines.push_back("dump " + hexText(synth.programDump(static_cast<int>(a))));
    }
  } else if ((command == "set" || command == "turn") && arguments == 2) {
    if (!parseDecimal(words[1], 0, 255, a) || !isKnownIndex(synth, a))
      return failure("unknown parameter index");
    if (!parseDecimal(words[2], -1000000, 1000000, b)) return failure("value must be a number");
    if (command == "set") {
      synth.setValue(static_cast<int>(a), static_cast<int>(b));
    } else {
      result.messages = synth.turn(static_cast<int>(a), static_cast<int>(b));
    }
  } else if (command == "select" && arguments == 1) {
    if (!parseDecimal(words[1], 0, kProgramCount - 1, a)) return failure("program must be 0..98");
    result.messages = synth.selectProgram(static_cast<int>(a));
  } else if (command == "send-param" && (arguments == 1 || arguments == 2)) {
    if (!parseDecimal(words[1], 0, kSoundParameterCount - 1, a))
      return failure("parameter index must be 0..71");
    const SoundParameter* parameter = soundParameter(static_cast<int>(a));
    if (parameter->addressLow < 0) return failure("parameter has no single-parameter address");
    if (arguments == 2) {
      if (!parseDecimal(words[2], -1000000, 1000000, b)) return failure("value must be a number");
      synth.setValue(static_cast<int>(a), static_cast<int>(b));
    }
    result.messages.push_back(synth.parameterMessage(static_cast<int>(a)));
  } else if (command == "send-cc" && arguments == 2) {
    if (!parseDecimal(words[1], 0, 127, a) || !parseDecimal(words[2], 0, 127, b))
      return failure("controller and value must be 0..127");
    result.messages.push_back(synth.controlChange(static_cast<int>(a), static_cast<int>(b)));
  } else if (command == "send-pc" && arguments == 1) {
    if (!parseDecimal(words[1], 0, 127, a)) return failure("program must be 0..127");
    result.messages.push_back(synth.programChange(static_cast<int>(a)));
  } else if (command == "send-raw" && arguments >= 1) {
    Bytes bytes;
    for (size_t i = 1; i < words.size(); ++i) {
      uint8_t value = 0;
      if (!parseHexByte(words[i], value)) return failure("bytes must be hexadecimal 00..FF");
      bytes.push_back(value);
    }
    result.messages.push_back(bytes);
  } else if (command == "answer" && arguments >= 1) {
    if (words[1] == "now" && arguments == 1) {
      policy.answerMode = AnswerMode::Now;
    } else if (words[1] == "never" && arguments == 1) {
      policy.answerMode = AnswerMode::Never;
    } else if (words[1] == "late" && arguments == 2 && parseDecimal(words[2], 0, 600000, a)) {
      policy.answerMode = AnswerMode::Late;
      policy.lateMicroseconds = a * 1000;
    } else {
      return failure("answer now | never | late <ms 0..600000>");
    }
    synth.setAnswering(policy.answerMode != AnswerMode::Never);
  } else if (command == "pace" && arguments == 1 && (words[1] == "instant" || words[1] == "cable")) {
    policy.pace = words[1] == "cable" ? Pace::Cable : Pace::Instant;
  } else if (command == "records" && (arguments == 0 || (arguments == 1 && words[1] == "clear"))) {
    if (arguments == 1) {
      synth.clearRecords();
    } else {
      for (const Record& record : synth.records()) {
        result.lines.push_back("record " + std::to_string(record.timeMicroseconds) + " " +
                               (record.direction == Direction::Received ? "in " : "out ") + record.kind +
                               " " + outcomeName(record.outcome) + " " + faultName(record.fault) + " " +
                               hexText(record.bytes));
      }
      result.lines.push_back("records " + std::to_string(synth.records().size()) + " dropped " +
                             std::to_string(synth.droppedRecords()));
    }
  } else if (command == "wait" && arguments == 1) {
    if (!parseDecimal(words[1], 0, 600000, a)) return failure("wait takes 0..600000 ms");
    result.waitMicroseconds = a * 1000;
  } else {
    return failure("unknown command or wrong arguments: " + command + " (try help)");
  }
  result.lines.push_back("ok");
  return result;
}

}  // namespace varno
