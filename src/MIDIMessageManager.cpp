#include "src/MIDIMessageManager.h"

#include <algorithm>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/mutex.h"
#include "src/EditorServices.h"
#include "src/MIDIMessageSender.h"
#include "src/MIDIMessageSysEx.h"

// ==== CONSTRUCTION ===========================================================

MIDIMessageManager::MIDIMessageManager(EditorServices* plug, PatchManager* patchManager,
                                       PatchLibrarian* patchLibrarian, IGraphics* graphics)
    : plug(plug), patchManager(patchManager), graphics(graphics), patchLibrarian(patchLibrarian) {
  sender = std::make_unique<MIDIMessageSender>(this, patchManager, plug);
}

MIDIMessageManager::~MIDIMessageManager() {
  // A job must not outlive the sender and the manager it runs on.
  stopWorkers();
  sender.reset();
}

// ==== Shared steps ===========================================================

void MIDIMessageManager::adoptDeviceId(int deviceByte) {
  if (deviceByte == plug->flags.deviceId) return;
  // Through the GUI, so that the global settings panel shows the ID in use.
  setParameterFromPlug(kGlobalDeviceID, deviceByte);
  plug->flags.deviceId = deviceByte;
}

void MIDIMessageManager::applyHardwareValue(IControl* control, double value) {
  const IParam* param = plug->GetParam(control->ParamIdx());
  if (!param) return;
  const double range = param->GetMax() - param->GetMin();
  if (!(range > 0.0)) return;  // an empty range has no position
  control->SetValueFromHardware((value - param->GetMin()) / range);
}

void MIDIMessageManager::setParameterFromPlug(int index, double value) {
  if (graphics) {
    graphics->SetParameterFromPlug(index, value, false);
    return;
  }
  if (IParam* param = plug->GetParam(index)) {
    KIT_MutexLock lock(plug->GetMutex());
    param->SetNormalized(param->GetNormalized(value));
  }
}

void MIDIMessageManager::writeParameterValue(int index, double value) {
  IParam* param = plug->GetParam(index);
  if (!param) return;
  // The request jobs read parameters on their own threads.
  KIT_MutexLock lock(plug->GetMutex());
  param->Set(std::min(std::max(value, param->GetMin()), param->GetMax()));
}

std::array<bool, VarnoSysEx::kNumSectionLocks> MIDIMessageManager::readSectionLocks() const {
  std::array<bool, VarnoSysEx::kNumSectionLocks> locks{};
  for (int i = 0; i < static_cast<int>(locks.size()); ++i) {
    const IParam* param = plug->GetParam(kSectionLockOsc1 + i);
    locks[i] = param && VarnoSysEx::lockIsOn(param->Value());
  }
  return locks;
}
