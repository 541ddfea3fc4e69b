// Property lists as XML text: how a host keeps a unit's class-info dictionary
// in a file, and how a bundle describes itself (Info.plist). Strings,
// integers, data, arrays and dictionaries with string keys are written and
// read; anything else is refused with a message naming the fault.
#pragma once

#include "platform/corefoundation/CFBase.h"

enum : CFOptionFlags {
  kCFPropertyListImmutable = 0,
  kCFPropertyListMutableContainers = 1,
  kCFPropertyListMutableContainersAndLeaves = 2,
};

// Nesting deeper than this is refused when reading (and writing).
enum { kCFPropertyListMaxDepth = 32 };

// New XML text of the list; null when it holds a value of another type,
// nests too deep or has a key that is not a string.
CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef list);
// A new list read from XML text (containers are always mutable here). On
// failure returns null and, when errorText is not null, sets it to a new
// string saying what is wrong.
CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xml,
                                                  CFOptionFlags mutability, CFStringRef* errorText);
