#include "src/VivivI.h"

// The render thread: queued MIDI, the transport and the MIDI clock.
