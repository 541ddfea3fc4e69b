// varno-sim: the simulated Varno (SimRunner.h) on two MIDI ports, with its
// command channel on standard input and a script file.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/varno-sim/CommandInterpreter.h"
#include "tools/varno-sim/MidiPorts.h"
#include "tools/varno-sim/SimOptions.h"
#include "tools/varno-sim/SimRunner.h"

namespace {

std::atomic<bool> g_stopRequested{false};

void onStopSignal(int) { g_stopRequested = true; }

// Runs one command line; returns false when the program is to end.
bool runLine(varno::SimRunner& simulator, const std::string& line) {
  const varno::CommandResult result = simulator.command(line);
  for (const std::string& text : result.lines) std::printf("%s\n", text.c_str());
  std::fflush(stdout);
  if (result.waitMicroseconds > 0)
    std::this_thread::sleep_for(std::chrono::microseconds(result.waitMicroseconds));
  return !result.quit;
}

// Reads standard input line by line, waking up now and then to see a signal.
void runStandardInput(varno::SimRunner& simulator) {
  std::string pending;
  char buffer[4096];
  while (!g_stopRequested) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, 200);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
      if (!pending.empty()) runLine(simulator, pending);
      return;  // end of input
    }
    pending.append(buffer, static_cast<size_t>(count));
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!runLine(simulator, line)) return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  varno::SimOptions options;
  std::string error;
  if (!varno::parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "varno-sim: %s\nTry varno-sim --help.\n", error.c_str());
    return 2;
  }
  if (options.showHelp) {
    std::printf("%s", varno::usageText().c_str());
    return 0;
  }
  std::vector<std::string> script;
  if (!options.scriptPath.empty()) {
    std::ifstream file(options.scriptPath);
    if (!file) {
      std::fprintf(stderr, "varno-sim: cannot read script %s\n", options.scriptPath.c_str());
      return 2;
    }
    for (std::string line; std::getline(file, line);) script.push_back(line);
  }

  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  std::signal(SIGPIPE, SIG_IGN);

  struct stat sequencer;
  const std::string system = varno::chooseMidiSystem(options.api, std::getenv("VIVIVI_MIDI_API"),
                                                     stat("/dev/snd/seq", &sequencer) == 0);

  varno::SimRunner simulator(options);
  std::unique_ptr<varno::MidiPorts> ports;
  try {
    ports = std::make_unique<varno::MidiPorts>(
        system, options.clientName, options.inPortName, options.outPortName,
        [&simulator](const uint8_t* data, size_t size) { simulator.receive(data, size); });
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "varno-sim: %s\n", failure.what());
    return 1;
  }
  simulator.start([&ports](const varno::Bytes& bytes) { return ports->send(bytes); });

  std::printf("ready %s %s %s\n", system.c_str(), options.inPortName.c_str(), options.outPortName.c_str());
  std::fflush(stdout);

  bool running = true;
  for (const std::string& line : script) {
    if (!running || g_stopRequested) break;
    running = runLine(simulator, line);
  }
  if (running && options.readStandardInput) {
    runStandardInput(simulator);
  } else if (running) {
    while (!g_stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  simulator.stop();
  ports.reset();  // closes the ports before the simulator they call into goes
  return 0;
}
