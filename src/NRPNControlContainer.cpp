#include "src/NRPNControlContainer.h"

#include "src/ControlAction.h"

void NRPNControlContainer::addToControlMap(ControlAction* action, IControl* control) {
  if (!action) return;
  mControls[action->channel][action->msbValue][action->valueOffset][action->lsbControl][action->mixerLayer] =
      control;
}

IControl* NRPNControlContainer::findControl(int channel, int msb, int lsb, int lsbControl, int key) const {
  const auto a = mControls.find(channel);
  if (a == mControls.end()) return nullptr;
  const auto b = a->second.find(msb);
  if (b == a->second.end()) return nullptr;
  const auto c = b->second.find(lsb);
  if (c == b->second.end()) return nullptr;
  const auto d = c->second.find(lsbControl);
  if (d == c->second.end()) return nullptr;
  const auto e = d->second.find(key);
  return e == d->second.end() ? nullptr : e->second;
}
