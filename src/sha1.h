// SHA-1 message digest (the published algorithm of FIPS 180-1).
#pragma once

namespace sha1 {

// Writes the 20-byte digest of length bytes at message into hash, the five
// state words big-endian. A negative length, or a null message, is taken as
// the empty message.
void calc(const void* message, int length, unsigned char* hash);

// Writes the 40 lower-case hexadecimal digits of a 20-byte digest, high
// nibble first, and a terminating NUL into hexString (41 bytes).
void toHexString(const unsigned char* hash, char* hexString);

}  // namespace sha1
