#include "src/VivivI.h"

// Not built yet: each body below is replaced by its operation.
void VivivI::processControlAction(ControlAction*, int, double) {}
