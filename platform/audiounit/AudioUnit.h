// The Audio Unit component layer: types and numbers, instances and their
// parameter blocks, and the calls made on a unit.
#pragma once

#include "platform/audiounit/AUCalls.h"
#include "platform/audiounit/AUTypes.h"
#include "platform/audiounit/Components.h"
