// The host side of the plug-in base for plug-ins that tests and benchmarks
// drive without a host: no host is told anything, the time is sample 0 at
// 120 beats a minute in 4/4, and no short MIDI message goes out. Derive as
// HostlessPlug<IModuleBase> (or any class derived from it) and override what
// a test needs to watch.
#pragma once

#include "KIT/IModule/IModuleBase.h"

template <class Base>
class HostlessPlug : public Base {
 public:
  using Base::Base;

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiVST(IMidiMsg*) override { return false; }
  bool SendMidiMsg(IMidiMsg*) override { return false; }
};
