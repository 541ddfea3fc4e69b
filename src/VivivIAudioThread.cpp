// The render thread: the editor makes no sound and uses the host's audio
// callback as its clock. It follows the transport with the MIDI clock jobs,
// copies the host tempo into the arpeggiator tempo, sends the queued MIDI,
// sends all notes off once after a reset and puts the activity indicator out.
#include <sstream>
#include <string>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/winl/winl-time.h"
#include "src/MIDIMessageManager.h"
#include "src/MIDIMessageSender.h"
#include "src/VivivI.h"

namespace {

// The lowest tempo of the arpeggiator's tempo list: index 0.
constexpr int kArpTempoBase = 65;
// How long the activity indicator stays lit at least, in milliseconds.
constexpr uint32_t kIndicatorHoldMs = 100;
// The argument the continuous clock job is posted with.
constexpr int kClockJobArgument = 120;

}  // namespace

// ==== Reset ==================================================================

void VivivI::Reset() {
  KIT_MutexLock lock(GetMutex());
  if (sampleRate != GetSampleRate()) sampleRate = GetSampleRate();
  midiQueue.Resize(GetBlockSize());
  resetPending = true;
  if (flags.audioRouteDelay == 0) flags.audioRouteDelay = GetBlockSize();

  std::ostringstream rate;
  rate << sampleRate.load();
  log("RESET: Host sample rate " + rate.str() + "Hz");
  char versionText[kVersionStrSize] = {};
  GetEffectVersionStr(versionText);
  const std::string version = versionText;
  log("RESET: plug-in " + version);

  if (flags.transferHold) return;
  setDisplayText(kControlDisplayName, "Tarnwel VivivI Plug-in");
  setDisplayText(kControlDisplayValue, loggingEnabled ? version + " 10-Oct-2020" : version);
  setDisplayText(kControlDisplayCategory, "NONE");
  setDisplayText(kPatchName, "-- INIT --");
  setDisplayText(kControlDisplayCC, "---");
}

// ==== The render call ========================================================

void VivivI::postClockJob(int jobCode) {
  if (!midiManager) return;
  SenderJob job;
  job.jobCode = jobCode;
  if (jobCode == kJobContinuousClock) job.clockArgument = kClockJobArgument;
  midiManager->postJob(job);  // dropped when its thread is busy
}

void VivivI::followTransport(bool running) {
  if (running && !flags.transportWasRunning) {
    flags.transportWasRunning = true;
    if (!flags.routeMidiThroughAudioThread && !clockStarted) {
      postClockJob(kJobStartClock);
      clockStarted = true;
    }
  } else if (!running && flags.transportWasRunning) {
    flags.transportWasRunning = false;
    if (!flags.routeMidiThroughAudioThread && clockStarted) {
      postClockJob(kJobStopClock);
      clockStarted = false;
    }
  }
}

void VivivI::syncArpTempo() {
  const IParam* overrideTempo = GetParam(kOverrideTempo);
  if (!overrideTempo || overrideTempo->Value() != 1.0) return;
  const double tempo = GetTempo();
  // Whole BPM, truncated; a tempo no int holds counts as none.
  const int t = (tempo > -1e9 && tempo < 1e9) ? static_cast<int>(tempo) : 0;
  const int index = t - kArpTempoBase;
  if (index != flags.lastArpTempoIndex) {
    flags.lastArpTempoIndex = index;
    tempoSynced = false;
    log("PROCESSOR: Host tempo is out of sync!");
  }
  if (tempoSynced) return;
  tempoSynced = true;
  log("PROCESSOR: Host tempo synced to " + std::to_string(t) + "BPM");
  if (IGraphics* gui = GetGUI())
    gui->SetParameterFromPlug(kArpTempo, index, false);
  else if (IParam* arpTempo = GetParam(kArpTempo))
    arpTempo->SetNormalized(arpTempo->GetNormalized(index));
}

std::string VivivI::midiOutDelayText(double sampleRate, int frames, int blockSize) {
  if (!(sampleRate > 0.0)) return {};
  const double ms = 1000.0 / (sampleRate / frames);
  // Held within int: a delay no display could show is not shown.
  if (!(ms < 2147483647.0)) return {};
  return std::to_string(static_cast<int>(ms)) + "ms|" + std::to_string(blockSize) + "bfr";
}

void VivivI::putIndicatorOut() {
  flags.indicatorLit = 0;
  if (IGraphics* gui = GetGUI()) gui->SetParameterFromPlug(kMIDILed, 0.0, false);
}

void VivivI::ProcessDoubleReplacing(double**, double**, int nFrames) {
  // What this thread sends never waits for the output's pacer.
  MarkRealTimeThread();
  // Nothing is written into the output buffers: the editor makes no sound.
  GetTime(&timeInfo);
  if (!flags.midiOutputOpen) return;

  const bool running = timeInfo.mTransportIsRunning;
  followTransport(running);

  if (!flags.clockLoopStarted) {
    if (midiManager && midiManager->sender) midiManager->sender->resetContinuousClock(false);
    postClockJob(kJobContinuousClock);
    flags.clockLoopStarted = true;
  }

  syncArpTempo();

  const bool routed = flags.routeMidiThroughAudioThread;
  int frames = routed ? flags.audioRouteDelay.load() : nFrames;
  // A pass always covers a frame: a queue that never drains would hold its
  // messages for good.
  if (frames < 1) frames = 1;

  if (routed && GetGUI()) {
    const std::string delay = midiOutDelayText(sampleRate, frames, GetBlockSize());
    if (!delay.empty()) setDisplayText(kControlDisplayMIDIOutDelay, delay);
  }

  // The messages due in this pass, taken in one step; when a producer holds
  // the queue right now they wait for the next pass.
  dueMessages.clear();
  midiQueue.TakeDue(frames, dueMessages);
  size_t next = 0;
  for (int s = 0; s < frames; ++s) {
    while (next < dueMessages.size() && dueMessages[next].mOffset <= s) {
      // In the direct route a message left from the routed one is dropped.
      if (routed) sendMidiMsgAndLog(&dueMessages[next]);
      ++next;
    }
    if (!running && resetPending && flags.midiOutputOpen) {
      resetPending = false;
      AllSoundsOff();
      if (flags.indicatorLit == 1) putIndicatorOut();
    }
    if (GetGUI() && flags.indicatorLit == 1 && flags.indicatorLitTicks < GetTickCount() - kIndicatorHoldMs)
      putIndicatorOut();
    // Nothing else can happen at later frames of this pass.
    if (next == dueMessages.size() && (running || !resetPending) && flags.indicatorLit == 0) break;
  }

  if (flags.readBackPending && midiManager && !midiManager->dataThread.isRunning()) {
    SenderJob job;
    job.jobCode = kJobActiveArrangementRequest;
    job.requestEnabled = true;
    if (midiManager->postJob(job)) flags.readBackPending = false;  // sets the sound-request flag
  }
}
