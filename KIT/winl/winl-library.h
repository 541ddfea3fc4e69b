// Dynamic libraries of the Win32-style layer: loading a shared object or a
// bundle folder (its "Executable"), looking up functions, and unloading
// with the library's attach and detach entries.
//
// A library may export `int WINL_dllMain(HINSTANCE, int reason, void*)` and
// `int DllMain(HINSTANCE, int reason, void*)`; they are called with reason 1
// when it is loaded (a result of 0 refuses the load) and 0 when the last
// reference goes.
#pragma once

#include <cstddef>

struct WINL_HINSTANCE;
typedef WINL_HINSTANCE* HINSTANCE;
typedef HINSTANCE HMODULE;

// LoadLibraryGlobals(path, false).
HINSTANCE LoadLibrary(const char* path);
// A file is opened as a shared object; a folder as a bundle; anything else
// is handed to the dynamic loader as it is (which searches its paths).
// Symbols resolve at once, global to later loads when global is set. The
// same library loaded again gives the same record with one more reference.
// Null for a null or empty path, a library that cannot be opened, or one
// whose entries refuse.
HINSTANCE LoadLibraryGlobals(const char* path, bool global);
// The function of that name in the library; null when there is none or the
// handle is not a loaded library.
void* GetProcAddress(HINSTANCE library, const char* name);
// Drops a reference; the last one runs the detach entries and unloads the
// library. 1 when done, 0 for a handle that is not a loaded library.
int FreeLibrary(HINSTANCE library);
// The path of a library's file, of a bundle's folder, or with null of the
// running program's folder (the main bundle), cut to size - 1 bytes and a
// NUL. The number of bytes copied; 0 for an unknown handle or no buffer.
int GetModuleFileName(HINSTANCE library, char* buffer, int size);
