// The editor operations the sender's jobs call, as recording stand-ins: what
// the jobs showed and sent, per editor, and the settings the tests give them
// (host tempo, the "tempoValues" list, the librarian banks, a responder that
// answers requests).
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "src/LibrarianPatch.h"
#include "src/VivivI.h"

struct SenderCalls {
  std::vector<std::string> statusTexts;
  std::vector<std::string> clockStatusTexts;
  std::vector<bool> indicator;                   // DisplayProcessingIndicator
  std::vector<std::vector<unsigned char>> sent;  // checksumCheckAndSend, as sent (framed)
  std::vector<bool> requestActive;               // SetLibrarianRequestActive
  int unsavedMarks = 0;                          // SetLibrarianStatusUnsaved(true)
  int missingCCSends = 0;
  std::vector<std::pair<int, int>> viewRows;  // setLibrarianViewRow(column, row)
};

struct SenderSettings {
  int tempo = 0;
  std::vector<std::string> tempoValues;
  std::vector<LibrarianPatch> banks[2];  // what the upper and the lower column show
  bool bankShown[2] = {true, true};
  // Called with each request checksumCheckAndSend passed on (unframed as
  // given), on the job's thread.
  std::function<void(const std::vector<unsigned char>&)> onRequest;
};

class SenderDouble {
 public:
  // The record of an editor, created on first use.
  static SenderDouble& of(const VivivI* editor);
  // Drops the record (an editor's destructor; addresses are reused).
  static void forget(const VivivI* editor);

  SenderCalls calls() const {
    std::lock_guard<std::mutex> lock(mutex);
    return record;
  }
  template <class Change>
  void change(Change changeIt) {
    std::lock_guard<std::mutex> lock(mutex);
    changeIt(record);
  }
  SenderSettings settings;  // set before jobs run

 private:
  mutable std::mutex mutex;
  SenderCalls record;
};
