// vivivi-factory-library: writes the editor's factory library, the bank
// files of the factory bank plans, into FOLDER/Factory/. The build runs it
// into the plug-in bundle's resources; the install step copies the banks
// from there into a new library folder.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/factory-library/FactoryLibrary.h"

int main(int argc, char** argv) {
  if (argc != 3 || strcmp(argv[1], "--out") != 0) {
    fprintf(stderr, "usage: vivivi-factory-library --out FOLDER\n");
    return 2;
  }
  std::string error;
  if (!factory::writeFactoryLibrary(argv[2], &error)) {
    fprintf(stderr, "vivivi-factory-library: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
