// XML property lists: writing walks the objects and prints elements by hand;
// reading parses with tinyxml2 and converts element by element, checking each
// one, so a damaged file yields a message and no list.
#include <tinyxml2.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/corefoundation/CFData.h"
#include "platform/corefoundation/CFNumber.h"
#include "platform/corefoundation/CFPropertyList.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/cf_internal.h"

namespace {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    const uint32_t group = (uint32_t{bytes[i]} << 16) | (left > 1 ? uint32_t{bytes[i + 1]} << 8 : 0) |
                           (left > 2 ? uint32_t{bytes[i + 2]} : 0);
    text += kBase64Alphabet[(group >> 18) & 63];
    text += kBase64Alphabet[(group >> 12) & 63];
    text += left > 1 ? kBase64Alphabet[(group >> 6) & 63] : '=';
    text += left > 2 ? kBase64Alphabet[group & 63] : '=';
  }
  return text;
}

// Decodes Base64 text; white space is skipped, "=" may only end the text.
bool base64Decode(const char* text, std::vector<uint8_t>* bytes) {
  uint32_t group = 0;
  int filled = 0, padding = 0;
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const char* at = strchr(kBase64Alphabet, c);
    if (!at || padding > 0) return false;  // a foreign byte, or data after the padding
    group = (group << 6) | static_cast<uint32_t>(at - kBase64Alphabet);
    if (++filled == 4) {
      bytes->push_back(static_cast<uint8_t>(group >> 16));
      bytes->push_back(static_cast<uint8_t>(group >> 8));
      bytes->push_back(static_cast<uint8_t>(group));
      group = 0, filled = 0;
    }
  }
  if (filled == 1 || padding > 2 || (padding > 0 && filled + padding != 4)) return false;
  if (filled == 2) bytes->push_back(static_cast<uint8_t>(group >> 4));
  if (filled == 3) {
    bytes->push_back(static_cast<uint8_t>(group >> 10));
    bytes->push_back(static_cast<uint8_t>(group >> 2));
  }
  return true;
}

void appendEscaped(std::string* out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&':
        *out += "&amp;";
        break;
      case '<':
        *out += "&lt;";
        break;
      case '>':
        *out += "&gt;";
        break;
      default:
        *out += c;
    }
  }
}

bool writeValue(std::string* out, CFTypeRef value, int depth) {
  if (depth > kCFPropertyListMaxDepth) return false;
  const std::string indent(static_cast<size_t>(depth), '\t');
  switch (CFGetTypeID(value)) {
    case kCFStringTypeID:
      *out += indent + "<string>";
      appendEscaped(out, static_cast<CFStringRef>(value)->text);
      *out += "</string>\n";
      return true;
    case kCFNumberTypeID:
      *out += indent + "<integer>" + std::to_string(static_cast<CFNumberRef>(value)->value) + "</integer>\n";
      return true;
    case kCFDataTypeID:
      *out += indent + "<data>" + base64Encode(static_cast<CFDataRef>(value)->bytes) + "</data>\n";
      return true;
    case kCFArrayTypeID:
      *out += indent + "<array>\n";
      for (const void* item : static_cast<CFArrayRef>(value)->values)
        if (!writeValue(out, item, depth + 1)) return false;
      *out += indent + "</array>\n";
      return true;
    case kCFDictionaryTypeID:
      *out += indent + "<dict>\n";
      for (const auto& entry : static_cast<CFDictionaryRef>(value)->entries) {
        if (CFGetTypeID(entry.first) != kCFStringTypeID) return false;
        *out += indent + "\t<key>";
        appendEscaped(out, static_cast<CFStringRef>(entry.first)->text);
        *out += "</key>\n";
        if (!writeValue(out, entry.second, depth + 1)) return false;
      }
      *out += indent + "</dict>\n";
      return true;
    default:
      return false;
  }
}

struct Reader {
  std::string error;

  CFTypeRef fail(const tinyxml2::XMLElement* at, const std::string& what) {
    if (error.empty()) error = "line " + std::to_string(at ? at->GetLineNum() : 0) + ": " + what;
    return nullptr;
  }

  CFTypeRef read(const tinyxml2::XMLElement* e, int depth) {
    if (depth > kCFPropertyListMaxDepth) return fail(e, "nested too deep");
    const std::string name = e->Name();
    const char* text = e->GetText() ? e->GetText() : "";
    if (name == "string") {
      if (!CFIsValidUTF8(text, strlen(text))) return fail(e, "text is not UTF-8");
      return CFStringCreateFromStd(text);
    }
    if (name == "integer") {
      errno = 0;
      char* end = nullptr;
      const long long v = strtoll(text, &end, 10);
      while (end && (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')) ++end;
      if (end == text || !end || *end != 0 || errno == ERANGE) return fail(e, "not an integer");
      const int64_t value = v;
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
    }
    if (name == "data") {
      std::vector<uint8_t> bytes;
      if (!base64Decode(text, &bytes)) return fail(e, "data is not Base64");
      return CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    }
    if (name == "array") {
      CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
      for (const tinyxml2::XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) {
        CFTypeRef item = read(c, depth + 1);
        if (!item) return CFRelease(array), nullptr;
        CFArrayAppendValue(array, item);
        CFRelease(item);
      }
      return array;
    }
    if (name == "dict") {
      CFMutableDictionaryRef dict = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                              &kCFTypeDictionaryValueCallBacks);
      for (const tinyxml2::XMLElement* k = e->FirstChildElement(); k; k = k->NextSiblingElement()) {
        const char* keyText = k->GetText() ? k->GetText() : "";
        if (strcmp(k->Name(), "key") != 0) return CFRelease(dict), fail(k, "expected <key>");
        if (!CFIsValidUTF8(keyText, strlen(keyText))) return CFRelease(dict), fail(k, "key is not UTF-8");
        const tinyxml2::XMLElement* v = k->NextSiblingElement();
        if (!v) return CFRelease(dict), fail(k, "key without a value");
        CFStringRef key = CFStringCreateFromStd(keyText);
        if (CFDictionaryGetValue(dict, key)) {
          CFRelease(key);
          return CFRelease(dict), fail(k, std::string("duplicate key \"") + keyText + "\"");
        }
        CFTypeRef value = read(v, depth + 1);
        if (value) CFDictionarySetValue(dict, key, value);
        CFRelease(key);
        if (!value) return CFRelease(dict), nullptr;
        CFRelease(value);
        k = v;
      }
      return dict;
    }
    return fail(e, "unsupported element <" + name + ">");
  }
};

}  // namespace

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef list) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<plist version=\"1.0\">\n";
  if (!writeValue(&out, list, 0)) return nullptr;
  out += "</plist>\n";
  return CFDataCreate(allocator, reinterpret_cast<const uint8_t*>(out.data()),
                      static_cast<CFIndex>(out.size()));
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xml, CFOptionFlags,
                                                  CFStringRef* errorText) {
  if (errorText) *errorText = nullptr;
  Reader reader;
  CFTypeRef list = nullptr;
  tinyxml2::XMLDocument document;
  const tinyxml2::XMLElement* root = nullptr;
  if (!xml || CFDataGetLength(xml) == 0) {
    reader.error = "empty property list";
  } else if (document.Parse(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)),
                            static_cast<size_t>(CFDataGetLength(xml))) != tinyxml2::XML_SUCCESS) {
    reader.error = std::string("not XML: ") + (document.ErrorStr() ? document.ErrorStr() : "");
  } else if (!(root = document.RootElement()) || strcmp(root->Name(), "plist") != 0) {
    reader.error = "the root element is not <plist>";
  } else if (!root->FirstChildElement() || root->FirstChildElement()->NextSiblingElement()) {
    reader.fail(root, "<plist> must hold exactly one value");
  } else {
    list = reader.read(root->FirstChildElement(), 0);
  }
  if (!list && errorText) {
    // The message may quote the damaged bytes; those that are not text become "?".
    std::string message = reader.error;
    if (!CFIsValidUTF8(message.data(), message.size()))
      for (char& c : message)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    *errorText = CFStringCreateFromStd(message);
  }
  return list;
}
