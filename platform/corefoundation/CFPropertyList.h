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
// What one list may make the reader allocate. A saved state or an Info.plist
// holds a few kilobytes in a few dozen elements; text longer than
// kCFPropertyListMaxBytes, or holding more than kCFPropertyListMaxElements
// elements, is refused before it is parsed, so that a damaged or hostile file
// costs memory in proportion to what a real one may hold, not to its size.
// The writer refuses a list whose text would pass either limit, so that
// nothing is written that cannot be read back.
enum { kCFPropertyListMaxBytes = 4 << 20, kCFPropertyListMaxElements = 1 << 16 };

// New XML text of the list; null when it holds a value of another type,
// nests too deep, has a key that is not a string or passes a limit above.
CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef list);
// A new list read from XML text (containers are always mutable here). On
// failure returns null and, when errorText is not null, sets it to a new
// string saying what is wrong.
CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xml,
                                                  CFOptionFlags mutability, CFStringRef* errorText);
