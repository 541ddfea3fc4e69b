#include "src/VivivI.h"

// Not built yet: each body below is replaced by its operation.
IControl* VivivI::getSysexControl(int, int, int, int, int) { return nullptr; }
IControl* VivivI::getMsbLsbControl(int, int, int, int, int) { return nullptr; }
IControl* VivivI::getCCControls(int, int, int) { return nullptr; }
int VivivI::getProgramValueByParts(int, int, int) const { return 0; }
void VivivI::setProgramValueByParts(int, int, int, int) {}
