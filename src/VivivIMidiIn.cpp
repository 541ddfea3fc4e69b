#include "src/VivivI.h"

// Incoming MIDI and SysEx from the synthesizer and the host.
