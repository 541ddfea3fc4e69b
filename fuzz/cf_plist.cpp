// XML property lists as the host reads saved states and bundles their
// Info.plist: any bytes are refused with a message or give a list that
// writes out and reads back equal. Inputs stay far below the reader's size
// limit, so that the written text (indented, with escapes) stays within it.
#include <cstdint>
#include <cstdlib>

#include "platform/corefoundation/CoreFoundation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 16)) return 0;
  CFDataRef xml = CFDataCreate(nullptr, data, static_cast<CFIndex>(size));
  CFStringRef error = nullptr;
  CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, &error);
  CFRelease(xml);
  if (!list) {
    if (!error) __builtin_trap();  // a refusal always says why
    CFRelease(error);
    return 0;
  }
  CFDataRef written = CFPropertyListCreateXMLData(nullptr, list);
  if (!written) __builtin_trap();  // what was read can be written
  CFPropertyListRef again =
      CFPropertyListCreateFromXMLData(nullptr, written, kCFPropertyListImmutable, nullptr);
  if (!again || !CFEqual(again, list)) __builtin_trap();
  CFRelease(again);
  CFRelease(written);
  CFRelease(list);
  return 0;
}
