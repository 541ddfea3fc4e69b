#include "tools/varno-sim/LoopbackSim.h"

#include <chrono>
#include <thread>

namespace varno {

LoopbackSim::LoopbackSim(const SimOptions& options)
    : m_runner(options), m_input(options.clientName), m_output(options.clientName) {
  m_input.ignoreTypes(false, false, true);  // SysEx and timing in, active sensing out
  m_input.setCallback(&LoopbackSim::onInput, this);
  m_input.openVirtualPort(options.inPortName);
  m_output.openVirtualPort(options.outPortName);
  m_runner.start([this](const Bytes& bytes) {
    m_output.sendMessage(bytes.data(), bytes.size());
    return true;
  });
}

LoopbackSim::~LoopbackSim() {
  m_runner.stop();
  m_input.closePort();
  m_output.closePort();
}

CommandResult LoopbackSim::command(const std::string& line) {
  CommandResult result = m_runner.command(line);
  if (result.waitMicroseconds > 0)
    std::this_thread::sleep_for(std::chrono::microseconds(result.waitMicroseconds));
  return result;
}

void LoopbackSim::onInput(double, std::vector<unsigned char>* message, void* self) {
  if (message == nullptr || message->empty()) return;
  static_cast<LoopbackSim*>(self)->m_runner.receive(message->data(), message->size());
}

}  // namespace varno
