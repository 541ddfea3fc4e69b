// The real editor as the sender's jobs run on it: its output open, the jobs
// on a virtual clock unless told otherwise (their pauses only count, and the
// window is watched at each), everything it sends recorded.
#pragma once

#include <Poco/Thread.h>

#include "tests/protocol/protocol_editor.h"

class JobEditor : public ProtocolEditor {
 public:
  explicit JobEditor(bool virtualClock = true) : ProtocolEditor(virtualClock) { flags.midiOutputOpen = true; }
  ~JobEditor() override { endCallbacks(); }
};
