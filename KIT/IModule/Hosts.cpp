#include "KIT/IModule/Hosts.h"

#include <cctype>
#include <cstdio>
#include <cstring>

EHost LookUpHost(const char* name) {
  char lower[256];
  size_t n = 0;
  if (name)
    for (; name[n] && n < sizeof(lower) - 1; ++n)
      lower[n] = static_cast<char>(tolower(static_cast<unsigned char>(name[n])));
  lower[n] = 0;

  // The order decides overlaps: a name holding both "cubase" and "zidedi" is
  // Cubase, and "live" matches inside longer words too.
  static const struct {
    const char* text;
    EHost host;
  } kSubstrings[] = {
      {"cubase", kHostCubase},
      {"zidedi", kHostZidedi},
      {"nuendo", kHostNuendo},
      {"cakewalk", kHostSonar},
      {"samplitude", kHostSamplitude},
      {"fruity", kHostFL},
      {"live", kHostAbletonLive},
      {"melodyne", kHostMelodyne},
      {"vstmanlib", kHostVSTScanner},
      {"aulab", kHostAULab},
      {"garageband", kHostGarageBand},
      {"forte", kHostForte},
      {"chainer", kHostChainer},
      {"audition", kHostAudition},
      {"orion", kHostOrion},
      {"sawstudio", kHostSAWStudio},
      {"logic", kHostLogic},
      {"digital", kHostDigitalPerformer},
      {"audiomulch", kHostAudioMulch},
      {"presonus", kHostStudioOne},
      {"vst3plugintesthost", kHostVST3TestHost},
      {"protools", kHostProTools},
      {"ardour", kHostArdour},
      {"standalone", kHostStandalone},
  };
  for (const auto& entry : kSubstrings)
    if (strstr(lower, entry.text)) return entry.host;
  return kHostUnknown;
}

char* GetHostNameStr(int host, char* buffer) {
  if (!buffer) return buffer;
  const char* name = "Unknown";
  switch (host) {
    case kHostZidedi:
      name = "Zidedi";
      break;
    case kHostProTools:
      name = "ProTools";
      break;
    case kHostCubase:
      name = "Cubase";
      break;
    case kHostNuendo:
      name = "Nuendo";
      break;
    case kHostSonar:
      name = "Sonar";
      break;
    case kHostVegas:
      name = "Vegas";
      break;
    case kHostFL:
      name = "FLStudio";
      break;
    case kHostSamplitude:
      name = "Samplitude";
      break;
    case kHostAbletonLive:
      name = "Live";
      break;
    case kHostVSTScanner:
      name = "VSTScanner";
      break;
    case kHostAULab:
      name = "AULab";
      break;
    case kHostForte:
      name = "Forte";
      break;
    case kHostChainer:
      name = "Chainer";
      break;
    case kHostAudition:
      name = "Audition";
      break;
    case kHostOrion:
      name = "Orion";
      break;
    case kHostSAWStudio:
      name = "SAWStudio";
      break;
    case kHostLogic:
      name = "Logic";
      break;
    case kHostGarageBand:
      name = "GarageBand";
      break;
    case kHostDigitalPerformer:
      name = "DigitalPerformer";
      break;
    case kHostStandalone:
      name = "Standalone";
      break;
    case kHostAudioMulch:
      name = "AudioMulch";
      break;
    case kHostStudioOne:
      name = "StudioOne";
      break;
    case kHostVST3TestHost:
      name = "VST3PluginTestHost";
      break;
    case kHostArdour:
      name = "Ardour";
      break;
    default:
      break;
  }
  snprintf(buffer, kHostNameSize, "%s", name);
  return buffer;
}

void GetVersionParts(int32_t version, int* major, int* minor, int* patch) {
  if (major) *major = version >> 16;
  if (minor) *minor = (version >> 8) & 0xFF;
  if (patch) *patch = version & 0xFF;
}

int GetDecimalVersion(int32_t version) {
  const int major = static_cast<int>(static_cast<uint32_t>(version) >> 16);
  int minor, patch;
  GetVersionParts(version, nullptr, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

char* GetVersionStr(int32_t version, char* buffer) {
  if (!buffer) return buffer;
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  if (patch != 0)
    snprintf(buffer, kVersionStrSize, "v%d.%d.%d", major, minor, patch);
  else if (minor != 0)
    snprintf(buffer, kVersionStrSize, "v%d.%d", major, minor);
  else
    snprintf(buffer, kVersionStrSize, "v%d", major);
  return buffer;
}
