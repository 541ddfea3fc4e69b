#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/corefoundation/CoreFoundation.h"
#include "tests/support/temp_folder.h"

namespace {

std::string textOf(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "(null)";
}

CFDataRef dataOf(const std::string& text) {
  return CFDataCreate(nullptr, reinterpret_cast<const uint8_t*>(text.data()),
                      static_cast<CFIndex>(text.size()));
}

TEST(CFString, AcceptsOnlyValidUTF8) {
  const struct {
    const char* why;
    std::string bytes;
    bool valid;
    CFIndex units;
  } kCases[] = {
      {"plain text", "VivivI Editor", true, 13},
      {"empty", "", true, 0},
      {"two-byte letter", "\xC3\xA9", true, 1},
      {"four-byte sign takes two units", "\xF0\x9F\x8E\xB9", true, 2},
      {"over-long slash", "\xC0\xAF", false, 0},
      {"surrogate half", "\xED\xA0\x80", false, 0},
      {"cut sequence", "ab\xE2\x82", false, 0},
      {"stray continuation byte", "\x80", false, 0},
      {"NUL inside", std::string("a\0b", 3), false, 0},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false, 0},
  };
  for (const auto& c : kCases) {
    CFStringRef s =
        CFStringCreateWithBytes(nullptr, reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                static_cast<CFIndex>(c.bytes.size()), kCFStringEncodingUTF8, false);
    EXPECT_EQ(s != nullptr, c.valid) << c.why;
    if (s) {
      EXPECT_EQ(CFStringGetLength(s), c.units) << c.why;
    }
    CFRelease(s);
  }
}

TEST(CFString, CopiesOutOnlyWhenTheBufferHoldsTextAndNul) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "abcd", kCFStringEncodingUTF8);
  char buffer[8] = "zzzzzzz";
  EXPECT_FALSE(CFStringGetCString(s, buffer, 4, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(CFStringGetCString(s, buffer, 5, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_GE(CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8), 4);
  CFRelease(s);
}

TEST(CFString, ComparesByCodePointWithOptionalCaseFolding) {
  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ab"), 0), kCFCompareGreaterThan);
  EXPECT_EQ(CFStringCompare(CFSTR("ABC"), CFSTR("abc"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(CFSTR("ABC"), CFSTR("abc"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_EQ(CFSTR("same"), CFSTR("same"));  // one constant per text
  EXPECT_TRUE(CFEqual(CFSTR("same"), CFStringCreateCopy(nullptr, CFSTR("same"))));
}

TEST(CFNumber, ReportsWhetherTheValueFitsTheAskedType) {
  const int64_t big = int64_t{1} << 40;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &big);
  int32_t small = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &small));
  int64_t back = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &back));
  EXPECT_EQ(back, big);
  CFRelease(n);
  const int32_t word = 0x10105;
  n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &word);
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt32Type, &small));
  EXPECT_EQ(small, 0x10105);
  CFRelease(n);
}

TEST(CFData, RefusesNegativeCountsAndCopiesBytes) {
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, -1), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 3), nullptr);
  uint8_t bytes[3] = {1, 2, 3};
  CFDataRef d = CFDataCreate(nullptr, bytes, 3);
  bytes[0] = 9;
  ASSERT_EQ(CFDataGetLength(d), 3);
  EXPECT_EQ(CFDataGetBytePtr(d)[0], 1);
  CFRelease(d);
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_EQ(CFDataGetBytePtr(empty), nullptr);
  CFRelease(empty);
}

TEST(CFDictionary, RetainsEntriesKeepsOrderAndReleasesOnReplaceAndRemove) {
  CFStringRef value = CFStringCreateWithCString(nullptr, "v", kCFStringEncodingUTF8);
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(d, CFSTR("b"), value);
  CFDictionarySetValue(d, CFSTR("a"), value);
  EXPECT_EQ(CFGetRetainCount(value), 3);
  CFDictionarySetValue(d, CFSTR("b"), value);  // same value again: must stay alive
  EXPECT_EQ(CFGetRetainCount(value), 3);
  const void* keys[2];
  CFDictionaryGetKeysAndValues(d, keys, nullptr);
  EXPECT_EQ(textOf(static_cast<CFStringRef>(keys[0])), "b");
  EXPECT_EQ(textOf(static_cast<CFStringRef>(keys[1])), "a");
  // Lookup compares keys by content, not by object.
  CFStringRef otherKey = CFStringCreateWithCString(nullptr, "a", kCFStringEncodingUTF8);
  EXPECT_EQ(CFDictionaryGetValue(d, otherKey), value);
  CFRelease(otherKey);
  CFDictionaryRemoveValue(d, CFSTR("a"));
  EXPECT_EQ(CFGetRetainCount(value), 2);
  EXPECT_EQ(CFDictionaryGetCount(d), 1);
  CFRelease(d);
  EXPECT_EQ(CFGetRetainCount(value), 1);
  CFRelease(value);
}

TEST(CFArray, UsesTheCallbacksAndKeepsToItsCapacity) {
  static int retains = 0, releases = 0;
  const CFArrayCallBacks counting = {0,
                                     [](CFAllocatorRef, const void* v) {
                                       ++retains;
                                       return v;
                                     },
                                     [](CFAllocatorRef, const void*) { ++releases; }, nullptr, nullptr};
  int a = 1, b = 2, c = 3;
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 2, &counting);
  CFArrayAppendValue(array, &a);
  CFArrayAppendValue(array, &b);
  CFArrayAppendValue(array, &c);  // beyond the capacity: refused
  EXPECT_EQ(CFArrayGetCount(array), 2);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 1), &b);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, -1), nullptr);
  CFRelease(array);
  EXPECT_EQ(retains, 2);
  EXPECT_EQ(releases, 2);
}

// ---------------------------------------------------------------- PROPERTY LISTS

CFMutableDictionaryRef sampleList() {
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const int32_t version = 0x10105;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &version);
  CFDictionarySetValue(d, CFSTR("version"), n);
  CFRelease(n);
  CFDictionarySetValue(d, CFSTR("name"), CFSTR("A <b> & \"c\""));
  // Line ends of every kind, in a key and a value: a reader turns a bare
  // carriage return into a line feed, so the writer must keep it as a
  // character reference.
  CFDictionarySetValue(d, CFSTR("lines\r"), CFSTR("one\rtwo\r\nthree\n\tfour\r"));
  for (int length : {0, 1, 2, 3, 200}) {
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 37 + 1);
    CFDataRef data = CFDataCreate(nullptr, bytes.data(), length);
    const std::string key = "data" + std::to_string(length);
    CFStringRef k = CFStringCreateWithCString(nullptr, key.c_str(), kCFStringEncodingUTF8);
    CFDictionarySetValue(d, k, data);
    CFRelease(k);
    CFRelease(data);
  }
  const void* items[] = {CFSTR("x"), CFSTR("y")};
  CFArrayRef array = CFArrayCreate(nullptr, items, 2, &kCFTypeArrayCallBacks);
  CFDictionarySetValue(d, CFSTR("list"), array);
  CFRelease(array);
  return d;
}

TEST(CFPropertyList, RoundTripsEveryTypeAndWritesTheSameTextAgain) {
  CFMutableDictionaryRef d = sampleList();
  CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
  ASSERT_NE(xml, nullptr);
  CFStringRef error = nullptr;
  CFPropertyListRef back = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, &error);
  ASSERT_NE(back, nullptr) << textOf(error);
  EXPECT_TRUE(CFEqual(back, d));
  CFDataRef again = CFPropertyListCreateXMLData(nullptr, back);
  EXPECT_TRUE(CFEqual(again, xml));
  CFRelease(again);
  CFRelease(back);
  CFRelease(xml);
  CFRelease(d);
}

TEST(CFPropertyList, RefusesDamagedTextWithAMessage) {
  const std::string head = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  std::string deep;
  for (int i = 0; i < kCFPropertyListMaxDepth + 2; ++i) deep = "<array>" + deep + "</array>";
  const struct {
    const char* why;
    std::string xml;
    const char* message;
  } kCases[] = {
      {"empty", "", "empty"},
      {"not XML", "<plist><dict>", "not XML"},
      {"root is not plist", "<dict/>", "root"},
      {"two values", head + "<string/><string/></plist>", "exactly one"},
      {"key without value", head + "<dict><key>a</key></dict></plist>", "without a value"},
      {"value without key", head + "<dict><string>a</string></dict></plist>", "expected <key>"},
      {"duplicate key", head + "<dict><key>a</key><string/><key>a</key><string/></dict></plist>",
       "duplicate"},
      {"integer overflow", head + "<integer>99999999999999999999</integer></plist>", "not an integer"},
      {"integer with letters", head + "<integer>12ab</integer></plist>", "not an integer"},
      {"empty integer", head + "<integer></integer></plist>", "not an integer"},
      {"foreign Base64 byte", head + "<data>AA*A</data></plist>", "Base64"},
      {"Base64 after padding", head + "<data>AA==AA</data></plist>", "Base64"},
      {"lone Base64 digit", head + "<data>AAAAA</data></plist>", "Base64"},
      {"too much padding", head + "<data>A===</data></plist>", "Base64"},
      {"unknown element", head + "<real>1.5</real></plist>", "unsupported"},
      {"nested too deep", head + deep + "</plist>", "nested"},
      // Found by fuzzing: a message quoting bytes that are not UTF-8 was lost.
      {"element name not UTF-8", head + "<\xff\xfe/></plist>",
       "unsupported element <?"
       "?>"},
  };
  for (const auto& c : kCases) {
    CFDataRef data = dataOf(c.xml);
    CFStringRef error = nullptr;
    CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &error);
    EXPECT_EQ(list, nullptr) << c.why;
    EXPECT_NE(textOf(error).find(c.message), std::string::npos) << c.why << ": " << textOf(error);
    CFRelease(list);
    CFRelease(error);
    CFRelease(data);
  }
}

TEST(CFPropertyList, DecodesBase64TailsAndSkipsWhiteSpace) {
  const std::string head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><data>";
  const struct {
    const char* text;
    std::vector<uint8_t> bytes;
  } kCases[] = {
      {"", {}},        {"AA==", {0}}, {"AAE=", {0, 1}}, {"AAEC", {0, 1, 2}}, {" AA\nEC ", {0, 1, 2}},
      {"AAE", {0, 1}},
  };
  for (const auto& c : kCases) {
    CFDataRef xml = dataOf(head + c.text + "</data></plist>");
    CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, xml, kCFPropertyListImmutable, nullptr);
    ASSERT_EQ(CFGetTypeID(list), CFDataGetTypeID()) << c.text;
    CFDataRef data = static_cast<CFDataRef>(list);
    const uint8_t* p = CFDataGetBytePtr(data);
    EXPECT_EQ(std::vector<uint8_t>(p, p + CFDataGetLength(data)), c.bytes) << c.text;
    CFRelease(list);
    CFRelease(xml);
  }
}

// ---------------------------------------------------------------- BUNDLES

class CFBundleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_temp.Made());
    m_root = m_temp.Name();
    m_folder = m_root + "/Test.bundle";
    mkdir(m_folder.c_str(), 0755);
    mkdir((m_folder + "/Resources").c_str(), 0755);
    mkdir((m_folder + "/Resources/img").c_str(), 0755);
    write(m_folder + "/Info.plist",
          "<plist><dict><key>Identifier</key><string>com.example.test-" + m_root.substr(m_root.size() - 6) +
              "</string><key>Executable</key><string>" + m_executable + "</string></dict></plist>");
    write(m_folder + "/Resources/knob.png", "png");
    write(m_folder + "/Resources/img/small.png", "png");
    write(m_root + "/secret.txt", "outside");
  }
  static void write(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
  CFBundleRef open() {
    CFURLRef url =
        CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const uint8_t*>(m_folder.c_str()),
                                                static_cast<CFIndex>(m_folder.size()), true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return bundle;
  }
  static std::string pathOf(CFURLRef url) {
    if (!url) return "(none)";
    uint8_t buffer[4096];
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
    return reinterpret_cast<char*>(buffer);
  }
  TempFolder m_temp{"cfbundle-"};
  std::string m_root, m_folder, m_executable = "Test.so";
};

TEST_F(CFBundleTest, OneObjectPerFolderFoundByItsIdentifier) {
  CFBundleRef first = open();
  ASSERT_NE(first, nullptr);
  CFBundleRef second = open();
  EXPECT_EQ(first, second);
  CFStringRef id = CFBundleGetIdentifier(first);
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(id), first);
  CFURLRef url = CFBundleCopyBundleURL(first);
  EXPECT_EQ(pathOf(url), m_folder);
  CFRelease(url);
  CFRelease(second);
  CFRelease(first);
}

TEST_F(CFBundleTest, FindsResourcesInsideResourcesOnly) {
  CFBundleRef bundle = open();
  const struct {
    const char* why;
    CFStringRef name, type, sub;
    std::string found;  // relative to the bundle folder, "" for none
  } kCases[] = {
      {"name and type", CFSTR("knob"), CFSTR("png"), nullptr, "/Resources/knob.png"},
      {"folder part of the name dropped", CFSTR("resources/img/knob"), CFSTR("png"), nullptr,
       "/Resources/knob.png"},
      {"sub-folder", CFSTR("small"), CFSTR("png"), CFSTR("img"), "/Resources/img/small.png"},
      {"missing file", CFSTR("none"), CFSTR("png"), nullptr, ""},
      {"climbing sub-folder", CFSTR("secret"), CFSTR("txt"), CFSTR("../.."), ""},
      {"type with a folder", CFSTR("x"), CFSTR("/../../secret.txt"), nullptr, ""},
      {"name is only a folder", CFSTR("img/"), nullptr, nullptr, ""},
  };
  for (const auto& c : kCases) {
    CFURLRef url = CFBundleCopyResourceURL(bundle, c.name, c.type, c.sub);
    EXPECT_EQ(pathOf(url), c.found.empty() ? "(none)" : m_folder + c.found) << c.why;
    CFRelease(url);
  }
  CFRelease(bundle);
}

TEST_F(CFBundleTest, ExecutableMustLieInTheFolder) {
  CFBundleRef bundle = open();
  CFURLRef url = CFBundleCopyExecutableURL(bundle);
  EXPECT_EQ(pathOf(url), m_folder + "/Test.so");
  CFRelease(url);
  CFRelease(bundle);
}

TEST(CFBundleMain, IsTheProgramsFolderNamedAfterTheProgram) {
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(textOf(CFBundleGetIdentifier(main)), "au_tests");
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("no.such.bundle")), nullptr);
}

}  // namespace
