// Immutable byte strings (the state chunk of the class-info dictionary).
#pragma once

#include "platform/corefoundation/CFBase.h"

// A new copy of count bytes; null for a negative count or null bytes with a
// count above 0. A count of 0 gives empty data.
CFDataRef CFDataCreate(CFAllocatorRef allocator, const uint8_t* bytes, CFIndex count);
// Number of bytes; 0 for null.
CFIndex CFDataGetLength(CFDataRef data);
// The bytes, valid while the data lives; null for empty or null data.
const uint8_t* CFDataGetBytePtr(CFDataRef data);
