// The editor's virtual operations, empty, for the library's fuzz targets:
// the library reaches fields of its owner, and the sanitizer's type check of
// that access needs the editor's type information, which these definitions
// emit. The fuzz targets never make an editor.
#include "src/PatchLibrarian.h"
#include "src/PatchManager.h"
#include "src/VivivI.h"

VivivI::~VivivI() {}
void VivivI::OnParamChange(int) {}
void VivivI::OnParamChange2(int) {}
void VivivI::ProcessSysEx(ISysEx*, bool) {}
