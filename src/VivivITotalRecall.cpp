#include "src/VivivI.h"

// ==== TabSwitchFunctions =====================================================
// Not built yet: the body below is replaced by its operation.

void TabSwitchFunctions::mainTabSwitch(VivivI*, int, int, int) {}

// ---- end of TabSwitchFunctions ----

// ==== The host state chunk ===================================================
// Not built yet: the body below is replaced by its operation.

bool VivivI::SerializeState2(ByteChunk*, bool) { return false; }
