#include <string>

#include "src/VivivI.h"

// ==== The change handlers ====================================================
// Not built yet: each body below is replaced by its operation.

void VivivI::OnParamChange(int) {}

void VivivI::OnParamChange2(int) {}

// ---- end of the change handlers ----

// ==== ControlDisplay =========================================================
// Not built yet: each body below is replaced by its operation.

std::string VivivI::getValueString(double) { return {}; }

void ControlDisplay::controlDisplay(VivivI*, int, double, bool) {}

std::string ControlDisplay::valueText(VivivI*, int, int, bool*) { return {}; }

std::string ControlDisplay::getValueString(double) { return {}; }
