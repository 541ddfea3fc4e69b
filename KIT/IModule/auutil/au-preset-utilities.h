// Factory-preset records handed to the host in the factory-presets property:
// a reference-counted record whose first two fields form an AUPreset, and
// the CoreFoundation array callbacks for arrays of such records.
#pragma once

#include "platform/audiounit/AUTypes.h"
#include "platform/corefoundation/CoreFoundation.h"

struct CFAUPreset {
  AUPreset auPreset;         // preset number and name (the name is owned)
  uint32_t version;          // always 0
  CFAllocatorRef allocator;  // the allocator that made the record
  CFIndex retainCount;       // 1 at creation
};
typedef CFAUPreset* CFAUPresetRef;

// A new record with retain count 1 and its own reference to name (which may
// be null); null when the allocator gives no memory.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, int32_t presetNumber, CFStringRef presetName);
// Adds a reference (and one to the name); null is returned unchanged.
CFAUPresetRef CFAUPresetRetain(void* preset);
// Drops a reference (and one of the name); the last one frees the record.
// Null or a record whose count is already 0 is ignored.
void CFAUPresetRelease(void* preset);

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* preset);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* preset);
// "AUPreset:\npreset number = <number>\npreset name = <name>"
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset);
// Same number and equal names (two null names are equal).
Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2);

extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
// Fills a caller's record with the callbacks above; null is ignored.
void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks);
