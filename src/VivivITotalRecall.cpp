#include "src/VivivI.h"

// Not built yet: each body below is replaced by its operation.
bool VivivI::SerializeState2(ByteChunk*, bool) { return false; }
void TabSwitchFunctions::mainTabSwitch(VivivI*, int, int, int) {}
