// XML property lists: writing walks the objects and prints elements by hand;
// reading checks the text's size and counts its elements, parses with tinyxml2
// and converts element by element, checking each one, so a damaged file yields
// a message and no list.
#include <tinyxml2.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "KIT/base64encdec.h"
#include "platform/corefoundation/CFData.h"
#include "platform/corefoundation/CFNumber.h"
#include "platform/corefoundation/CFPropertyList.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/cf_internal.h"

namespace {

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
      case '\r':
        // A reader turns a bare carriage return into a line feed.
        *out += "&#13;";
        break;
      default:
        *out += c;
    }
  }
}

// Writes value's elements at depth; counts them into elements and stops
// (false) at a limit.
bool writeValue(std::string* out, CFTypeRef value, int depth, int* elements) {
  if (depth > kCFPropertyListMaxDepth || ++*elements > kCFPropertyListMaxElements ||
      out->size() > static_cast<size_t>(kCFPropertyListMaxBytes))
    return false;
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
      *out += indent + "<data>" +
              KIT_Base64Encode(static_cast<CFDataRef>(value)->bytes.data(),
                               static_cast<CFDataRef>(value)->bytes.size()) +
              "</data>\n";
      return true;
    case kCFArrayTypeID:
      *out += indent + "<array>\n";
      for (const void* item : static_cast<CFArrayRef>(value)->values)
        if (!writeValue(out, item, depth + 1, elements)) return false;
      *out += indent + "</array>\n";
      return true;
    case kCFDictionaryTypeID:
      *out += indent + "<dict>\n";
      for (const auto& entry : static_cast<CFDictionaryRef>(value)->entries) {
        if (CFGetTypeID(entry.first) != kCFStringTypeID || ++*elements > kCFPropertyListMaxElements)
          return false;
        *out += indent + "\t<key>";
        appendEscaped(out, static_cast<CFStringRef>(entry.first)->text);
        *out += "</key>\n";
        if (!writeValue(out, entry.second, depth + 1, elements)) return false;
      }
      *out += indent + "</dict>\n";
      return true;
    default:
      return false;
  }
}

// The number of start tags in the text ("<" not followed by "/", "!" or "?"):
// no fewer than the elements the parser will make of it. Stops counting past
// limit.
int countStartTags(const uint8_t* text, size_t size, int limit) {
  const uint8_t* const end = text + size;
  int count = 0;
  for (const uint8_t* p = text; count <= limit && p < end; ++p) {
    p = static_cast<const uint8_t*>(memchr(p, '<', static_cast<size_t>(end - p)));
    if (!p) break;
    const uint8_t next = p + 1 < end ? p[1] : 0;
    if (next != '/' && next != '!' && next != '?') ++count;
  }
  return count;
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
      if (!KIT_Base64Decode(text, strlen(text), &bytes)) return fail(e, "data is not Base64");
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
  int elements = 1;  // <plist>
  if (!writeValue(&out, list, 0, &elements)) return nullptr;
  out += "</plist>\n";
  if (out.size() > static_cast<size_t>(kCFPropertyListMaxBytes)) return nullptr;
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
  const size_t size = xml ? static_cast<size_t>(CFDataGetLength(xml)) : 0;
  if (size == 0) {
    reader.error = "empty property list";
  } else if (size > static_cast<size_t>(kCFPropertyListMaxBytes)) {
    reader.error = "too large: " + std::to_string(size) + " bytes, at most " +
                   std::to_string(kCFPropertyListMaxBytes) + " bytes";
  } else if (countStartTags(CFDataGetBytePtr(xml), size, kCFPropertyListMaxElements) >
             kCFPropertyListMaxElements) {
    reader.error = "too many elements: more than " + std::to_string(kCFPropertyListMaxElements);
  } else if (document.Parse(reinterpret_cast<const char*>(CFDataGetBytePtr(xml)), size) !=
             tinyxml2::XML_SUCCESS) {
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
