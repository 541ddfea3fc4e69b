#include "src/SysExControlContainer.h"

void SysExControlContainer::addToControlMap(unsigned char* header, unsigned char valueIndex,
                                            IControl* control) {
  if (!header) return;
  mControls[header[0]][header[1]][header[2]][header[3]][valueIndex] = control;
}

IControl* SysExControlContainer::findControl(int h1, int h2, int h3, int h4, int valueIndex) const {
  const auto a = mControls.find(h1);
  if (a == mControls.end()) return nullptr;
  const auto b = a->second.find(h2);
  if (b == a->second.end()) return nullptr;
  const auto c = b->second.find(h3);
  if (c == b->second.end()) return nullptr;
  const auto d = c->second.find(h4);
  if (d == c->second.end()) return nullptr;
  const auto e = d->second.find(valueIndex);
  return e == d->second.end() ? nullptr : e->second;
}
