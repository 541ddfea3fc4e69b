// Bundles: a bundle is a folder "<name>.bundle/" holding a shared object, a
// "Resources/" folder and an "Info.plist" property list (an XML dictionary of
// strings) with at least "Identifier"; the component host also reads
// "Executable" (file name of the shared object), "Entry", "ViewEntry",
// "ComponentType", "ComponentSubtype", "ComponentManufacturer" (four
// characters each) and "ComponentName".
//
// The main bundle is the folder of the running program; its identifier is
// the program's file name unless an Info.plist beside it says otherwise.
#pragma once

#include "platform/corefoundation/CFBase.h"

// The bundle at a folder, or null when the folder does not exist. The same
// folder always gives the same bundle object (retained once more). A missing
// or unreadable Info.plist leaves the bundle without identifier and info.
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
// The running program's bundle (not retained for the caller).
CFBundleRef CFBundleGetMainBundle();
// The bundle with this identifier, among: the main bundle, every bundle made
// so far, and the bundle folder that holds the shared object this code runs
// in (found from the object's own file). Null when none has it. Not retained.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);
// The identifier (owned by the bundle), or null.
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// A new URL of the bundle's folder.
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// A new URL of the shared object named by "Executable", or null when the key
// is missing or names something outside the folder.
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
// A new URL of the file "Resources/[subFolder/]name[.type]" when it exists,
// else null. The folder part of name is dropped; a type or sub-folder that
// climbs out of Resources ("..") finds nothing.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef name, CFStringRef type,
                                 CFStringRef subFolder);
// A value of the bundle's Info.plist (owned by the bundle), or null.
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
