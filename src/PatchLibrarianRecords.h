// Pieces of the 92-byte library record that the reader, the bank padding and
// the category and search banks share.
#pragma once

#include <string>

#include "src/LibrarianPatch.h"

// Appends the name of a completed record, "Sound", seven blanks and the two
// digits of number (1..99, tens first), then category 20 ("INIT").
void appendNumberedName(PatchSysexMessage& record, int number);

// The patch name of a record: bytes 76..89, each upper-cased (a..z only).
// The record must hold at least 90 bytes.
std::string recordPatchName(const PatchSysexMessage& record);
// The same from a record's bytes (at least 90).
std::string recordPatchName(const unsigned char* record);
