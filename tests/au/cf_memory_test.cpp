// What reading a property list costs in memory. This program counts every
// byte held through operator new (the reader, its parser and the objects it
// makes all allocate that way) and the peak over a call, so a bound is checked
// without timing or a process-wide measure. Its own program, so that the
// replaced operators touch no other test.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

std::atomic<size_t> gHeld{0};
std::atomic<size_t> gPeak{0};

// Each block carries its size in front; 16 bytes keep malloc's alignment.
constexpr size_t kHeader = 16;

void* Allocate(size_t size) {
  void* block = malloc(size + kHeader);
  if (!block) return nullptr;
  memcpy(block, &size, sizeof size);
  const size_t held = gHeld += size;
  size_t peak = gPeak.load();
  while (held > peak && !gPeak.compare_exchange_weak(peak, held)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void Release(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  size_t size;
  memcpy(&size, block, sizeof size);
  gHeld -= size;
  free(block);
}

}  // namespace

void* operator new(size_t size) {
  void* p = Allocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
const char kTail[] = "</plist>\n";

// A list holding one array of count copies of item.
std::string FlatArray(const std::string& item, size_t count) {
  std::string xml = kHead;
  xml.reserve(xml.size() + item.size() * count + 64);
  xml += "<array>\n";
  for (size_t i = 0; i < count; ++i) xml += item;
  xml += "</array>\n";
  xml += kTail;
  return xml;
}

struct Reading {
  bool read = false;
  std::string error;
  size_t peakBytes = 0;  // most bytes held during the call beyond those held before
};

// Reads xml and reports the peak memory the call took.
Reading Read(const std::string& xml) {
  CFDataRef data =
      CFDataCreate(nullptr, reinterpret_cast<const uint8_t*>(xml.data()), static_cast<CFIndex>(xml.size()));
  Reading reading;
  CFStringRef error = nullptr;
  const size_t before = gHeld.load();
  gPeak = before;
  CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
  reading.peakBytes = gPeak.load() - before;
  reading.read = list != nullptr;
  if (error) {
    const char* text = CFStringGetCStringPtr(error, kCFStringEncodingUTF8);
    reading.error = text ? text : "";
    CFRelease(error);
  }
  if (list) CFRelease(list);
  CFRelease(data);
  return reading;
}

constexpr size_t kMB = 1 << 20;

// A state file of 20 MB holding one flat array of a million elements once
// took half a gigabyte before it was refused. Text over the limits is now
// refused before it is parsed.
TEST(CFPropertyListMemory, RefusesOversizedStatesBeforeParsing) {
  const struct {
    const char* why;
    std::string xml;
    const char* message;
  } cases[] = {
      {"20 MB, a million elements", FlatArray("<integer>1234567890</integer>", 1000000), "too large"},
      {"one byte over the size limit",
       std::string(kHead) + "<data>" + std::string(kCFPropertyListMaxBytes, 'A') + "</data>" + kTail,
       "too large"},
      {"within the size, one element too many", FlatArray("<string/>", kCFPropertyListMaxElements - 1),
       "too many elements"},
  };
  for (const auto& c : cases) {
    const Reading reading = Read(c.xml);
    EXPECT_FALSE(reading.read) << c.why;
    EXPECT_NE(reading.error.find(c.message), std::string::npos) << c.why << ": " << reading.error;
    EXPECT_LT(reading.peakBytes, 64u * 1024) << c.why << ": refused without a copy or a parse";
  }
}

// The most a list within the limits may cost: the parser's copy and tree and
// the objects made, a small multiple of what a real state could hold.
TEST(CFPropertyListMemory, ReadsTheLargestAllowedListsWithinABound) {
  const std::string headAndArray = std::string(kHead) + "<array>\n";
  const struct {
    const char* why;
    std::string xml;
  } cases[] = {
      {"the most elements", FlatArray("<string/>", kCFPropertyListMaxElements - 2)},
      {"the longest data",
       std::string(kHead) + "<data>" +
           std::string((kCFPropertyListMaxBytes - sizeof kHead - sizeof kTail - 20) / 4 * 4, 'A') +
           "</data>" + kTail},
  };
  for (const auto& c : cases) {
    ASSERT_LE(c.xml.size(), static_cast<size_t>(kCFPropertyListMaxBytes)) << c.why;
    const Reading reading = Read(c.xml);
    EXPECT_TRUE(reading.read) << c.why << ": " << reading.error;
    EXPECT_LT(reading.peakBytes, 24 * kMB) << c.why;
    printf("%s: %zu bytes of text, peak %.1f MB\n", c.why, c.xml.size(), reading.peakBytes / double(kMB));
  }
}

// The writer refuses what the reader would refuse, so no state is saved that
// cannot be read back.
TEST(CFPropertyListMemory, WriterRefusesListsPastTheLimits) {
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFStringRef item = CFSTR("");
  for (int i = 0; i < kCFPropertyListMaxElements - 2; ++i) CFArrayAppendValue(array, item);
  CFDataRef written = CFPropertyListCreateXMLData(nullptr, array);
  ASSERT_NE(written, nullptr) << "the most elements are written";
  CFPropertyListRef back =
      CFPropertyListCreateFromXMLData(nullptr, written, kCFPropertyListImmutable, nullptr);
  EXPECT_NE(back, nullptr) << "and read back";
  if (back) CFRelease(back);
  CFRelease(written);
  CFArrayAppendValue(array, item);
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, array), nullptr) << "one more is refused";
  CFRelease(array);

  std::vector<uint8_t> bytes(kCFPropertyListMaxBytes / 4 * 3, 0);
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
  EXPECT_EQ(CFPropertyListCreateXMLData(nullptr, data), nullptr) << "text over the size limit is refused";
  CFRelease(data);
}

}  // namespace
