#include "kitstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

KIT_String::KIT_String(const char* text, int maxLength) : m_hb(128) { Set(text, maxLength); }

KIT_String::KIT_String(const KIT_String& other) : m_hb(128) { Set(other.Get()); }

KIT_String& KIT_String::operator=(const KIT_String& other) {
  if (this != &other) Set(other.Get());
  return *this;
}

const char* KIT_String::Get() const {
  const char* p = static_cast<const char*>(m_hb.Get());
  return p ? p : "";
}

int KIT_String::GetLength() const { return m_hb.GetSize() > 0 ? static_cast<int>(strlen(Get())) : 0; }

static int boundedLength(const char* text, int maxLength) {
  if (!text) return 0;
  if (maxLength < 0) return static_cast<int>(strlen(text));
  const void* nul = memchr(text, 0, static_cast<size_t>(maxLength));
  return nul ? static_cast<int>(static_cast<const char*>(nul) - text) : maxLength;
}

void KIT_String::Set(const char* text, int maxLength) {
  const int n = boundedLength(text, maxLength);
  if (n == 0) {
    m_hb.Resize(0, true);
    return;
  }
  // The source may live inside this string's own buffer.
  std::vector<char> copy(text, text + n);
  char* p = static_cast<char*>(m_hb.Resize(n + 1, true));
  if (m_hb.GetSize() != n + 1) return;
  memcpy(p, copy.data(), static_cast<size_t>(n));
  p[n] = 0;
}

void KIT_String::Append(const char* text, int maxLength) {
  const int add = boundedLength(text, maxLength);
  if (add == 0) return;
  const int old = GetLength();
  std::vector<char> copy(text, text + add);
  char* p = static_cast<char*>(m_hb.Resize(old + add + 1, false));
  if (m_hb.GetSize() != old + add + 1) return;
  memcpy(p + old, copy.data(), static_cast<size_t>(add));
  p[old + add] = 0;
}

static std::vector<char> formatted(int maxLength, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::vector<char> out(static_cast<size_t>(n > 0 ? n : 0) + 1, 0);
  if (n > 0) vsnprintf(out.data(), out.size(), format, args);
  if (maxLength >= 0 && static_cast<size_t>(maxLength) < out.size()) out[static_cast<size_t>(maxLength)] = 0;
  return out;
}

void KIT_String::SetFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vector<char> text = formatted(maxLength, format, args);
  va_end(args);
  Set(text.data());
}

void KIT_String::AppendFormatted(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vector<char> text = formatted(maxLength, format, args);
  va_end(args);
  Append(text.data());
}

void KIT_String::SetLength(int length) {
  if (length < 0 || length >= GetLength()) return;
  if (length == 0) {
    m_hb.Resize(0, true);
    return;
  }
  char* p = static_cast<char*>(m_hb.Resize(length + 1, true));
  if (p) p[length] = 0;
}
