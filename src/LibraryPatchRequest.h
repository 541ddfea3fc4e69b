// Collects the SysEx messages of one librarian transfer into a patch. While a
// transfer is active, the receive dispatcher hands every accepted message to
// addMessageData, which turns it into the 92-byte library record and appends
// it to the patch being collected; a record of exactly 92 bytes completes the
// patch, which the dispatcher then stores into the selected library slot.
//
// Idle (requestActive clear) -> armed by arm() -> collecting -> complete (a
// 92-byte record: requestActive cleared, true returned) -> idle.
#pragma once

#include <atomic>

#include "src/LibrarianPatch.h"

class LibraryPatchRequest {
 public:
  // Most records one transfer collects; further messages are dropped (the
  // request stays active), so a flood of foreign messages cannot grow memory
  // without end. A patch normally has one or two messages.
  static constexpr int kMaxMessages = 16;

  // Empties the collected patch (name, category, messages) and sets
  // requestActive.
  void arm();

  // Takes one accepted message (bytes, size in bytes) and returns true when
  // it completed a patch.
  // - size 78 or more: the record is a copy of the message with byte 75 set to
  //   0x00 (a 92-byte record arrives unchanged except for byte 75);
  // - size 75 to 77: bytes 0 to 74, then 0x00, "Requested     ", category 20
  //   and F7 (92 bytes);
  // - shorter, null or over the message budget: ignored, false, the request
  //   stays as it was.
  // When the record is 92 bytes: the patch name becomes characters 76 to 89 of
  // the FIRST collected record upper-cased (only those it holds), the category
  // comes from its byte 90 (LibrarianPatch::parseCategory), requestActive is
  // cleared and the result is true. Otherwise the request keeps collecting.
  bool addMessageData(const unsigned char* bytes, int size);

  // 1 after construction and again whenever a record completes a patch.
  int status = 1;
  // A transfer is collecting. Armed and cleared on the host's main thread and
  // the data thread, read on the MIDI input thread.
  std::atomic<bool> requestActive{false};
  // The patch being collected.
  LibrarianPatch patch;
};
