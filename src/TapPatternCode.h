// The tap-pattern code: a pattern of 15 steps and three settings packed into
// 11 bytes that are all below 128 (valid SysEx data bytes), and back. The
// sender packs, the receiver unpacks; both are exact inverses for values
// inside the ranges below.
//
// Pattern (33 signed bytes):
//   [2k]     step k low part, 0..7      (k = 0..14)
//   [2k + 1] step k high part, 0..2
//   [30]     first setting, 0..7
//   [31]     second setting, 0..2
//   [32]     third setting, 0, 8, 16 or 24
// Step k is the base-24 digit low | high * 8. Steps 0-4, 5-9 and 10-14 form
// three five-digit numbers (first step most significant), each in 23 bits:
//   code[0..2]  bits 0-20 of the first number; code[3] bits 1..0 its bits 22..21
//   code[3] bits 6..2 and code[4..5]: bits 0-18 of the second; code[6] bits 3..0 its bits 22..19
//   code[6] bits 6..4 and code[7..9]: the third number (code[9] bit 6 is 0)
//   code[10]: third setting bits 4..3 in bits 6..5, second setting in bits
//             4..3, first setting in bits 2..0
#pragma once

constexpr int kTapPatternBytes = 33;
constexpr int kTapPatternCodeBytes = 11;

// Writes the 11 code bytes from the 33 pattern bytes. A value outside its
// range is taken as the nearest value inside it (a third setting between the
// allowed ones as the next lower one), so it never spills into another field
// of the code.
void GenTapPatternCode(char* code, const char* pattern);

// Writes the 33 pattern bytes from the 11 code bytes. A second setting coded
// as 3 reads as 0. Every value written lies inside its range, whatever the
// code bytes hold.
void decodeTapPatternCode(const unsigned char* code, char* pattern);
