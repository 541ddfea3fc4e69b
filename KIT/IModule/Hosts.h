// Host identification and version words.
//
// A version word holds the major version in bits 16 to 31, the minor version
// in bits 8 to 15 and the patch level in bits 0 to 7 (0x10105 is 1.1.5).
#pragma once

#include <cstdint>

// Host application codes, as stored in the plug-in base's host field.
enum EHost {
  kHostUninit = -1,  // not yet identified
  kHostUnknown = 0,
  kHostZidedi = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostAbletonLive = 9,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28
};

// The host code of an application name: the first of a fixed list of
// substrings found in the lower-cased name (its first 255 characters) decides;
// kHostUnknown when none is found or name is null.
EHost LookUpHost(const char* name);

// Writes the display name of a host code ("Unknown" for codes without one)
// into buffer, which holds at least kHostNameSize bytes, and returns buffer.
constexpr int kHostNameSize = 19;
char* GetHostNameStr(int host, char* buffer);

// major = word >> 16, minor = (word >> 8) & 255, patch = word & 255; null
// pointers are skipped.
void GetVersionParts(int32_t version, int* major, int* minor, int* patch);
// major * 10000 + minor * 100 + patch, the major read as unsigned 16 bits.
int GetDecimalVersion(int32_t version);
// "v%d.%d.%d" when the patch level is not 0, else "v%d.%d" when the minor
// version is not 0, else "v%d"; buffer holds at least kVersionStrSize bytes.
constexpr int kVersionStrSize = 20;
char* GetVersionStr(int32_t version, char* buffer);
