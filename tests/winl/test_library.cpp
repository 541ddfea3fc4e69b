// A small shared object for the library tests. It reports each call of its
// entries to the test program (WinlTestLibraryCalled, found by name in the
// program); built once accepting its load and once refusing it from DllMain.
#include <dlfcn.h>

namespace {

void Report(const char* entry, int reason) {
  typedef void (*Callback)(const char*, int);
  if (auto callback = reinterpret_cast<Callback>(dlsym(RTLD_DEFAULT, "WinlTestLibraryCalled")))
    callback(entry, reason);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int WINL_dllMain(void*, int reason, void*) {
  Report("WINL_dllMain", reason);
  return 1;
}

__attribute__((visibility("default"))) int DllMain(void*, int reason, void*) {
  Report("DllMain", reason);
  return WINL_TEST_LIBRARY_ACCEPTS;
}

__attribute__((visibility("default"))) int WinlTestLibraryAnswer() { return 42; }
}
