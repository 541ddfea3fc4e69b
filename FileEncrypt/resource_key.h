// The key of the editor's enciphered description resources. The enciphering
// tool and the editor both read it from here, so they always agree. Changing
// it means enciphering the resources again (the build does that).
#pragma once

#include <cstdint>

// Four 32-bit words; stored in the processor's (little-endian) byte order.
constexpr uint32_t kResourceKey[4] = {0xabd820d3u, 0x1f955affu, 0x9c5ed01eu, 0xc512369bu};
