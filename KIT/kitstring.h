// A NUL-terminated text in a KIT_HeapBuf of granularity 128. Get() never
// returns null: an empty string reads as "".
#pragma once

#include "heapbuf.h"

class KIT_String {
 public:
  explicit KIT_String(const char* text = nullptr, int maxLength = -1);
  KIT_String(const KIT_String& other);
  KIT_String& operator=(const KIT_String& other);

  const char* Get() const;
  int GetLength() const;

  // Replaces the text with at most maxLength bytes of text (all when negative).
  void Set(const char* text, int maxLength = -1);
  void Append(const char* text, int maxLength = -1);
  // printf-style; the formatted text is cut to maxLength bytes.
  void SetFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Keeps the first length bytes (no effect when length is not shorter).
  void SetLength(int length);

 private:
  KIT_HeapBuf m_hb;
};
