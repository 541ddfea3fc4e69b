// Immutable integers. Only the integer kinds the state dictionary uses.
#pragma once

#include "platform/corefoundation/CFBase.h"

typedef CFIndex CFNumberType;
enum : CFNumberType { kCFNumberSInt32Type = 3, kCFNumberSInt64Type = 4 };

// A new number from *value read as the given type; null for another type or
// a null value pointer.
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* value);
// Writes the number as the given type into *value. False when the number does
// not fit that type exactly (the value is then cut), for another type, or for
// null arguments (nothing written).
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);
