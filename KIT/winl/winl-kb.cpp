#include "KIT/winl/winl-kb.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <vector>

#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-png.h"
#include "KIT/regularfile.h"
#include "KIT/winl/winl-misc.h"
#include "platform/window/WindowModel.h"

WINL_CursorResourceIndex* WINL_curmodule_cursorresource_head = nullptr;

namespace {

// ---- Key tables ---------------------------------------------------------------------------

int VirtualKeyOf(int code) {
  if (code >= 82 && code <= 89) return 0x60 + (code - 82);
  switch (code) {
    case 51:
      return 0x08;
    case 65:
      return 0x6E;
    case 67:
      return 0x6A;
    case 69:
      return 0x6B;
    case 71:
      return 0x90;
    case 75:
      return 0x6F;
    case 76:
      return 0x800D;
    case 78:
      return 0x6D;
    case 81:
      return 0x6C;
    case 91:
      return 0x68;
    case 92:
      return 0x69;
    case 96:
      return 0x74;
    case 97:
      return 0x75;
    case 98:
      return 0x76;
    case 99:
      return 0x72;
    case 100:
      return 0x77;
    case 101:
      return 0x78;
    case 103:
      return 0x7A;
    case 105:
      return 0x2C;
    case 109:
      return 0x79;
    case 111:
      return 0x7B;
    case 114:
      return 0x2D;
    case 115:
      return 0x24;
    case 116:
      return 0x21;
    case 117:
      return 0x2E;
    case 118:
      return 0x73;
    case 119:
      return 0x23;
    case 120:
      return 0x71;
    case 121:
      return 0x22;
    case 122:
      return 0x70;
    case 123:
      return 0x25;
    case 124:
      return 0x27;
    case 125:
      return 0x28;
    case 126:
      return 0x26;
    default:
      return 0;
  }
}

int ModifierFlags(uint32_t modifiers) {
  int flags = 0;
  if (modifiers & kWmCommand) flags |= FCONTROL;
  if (modifiers & kWmOption) flags |= FALT;
  if (modifiers & kWmShift) flags |= FSHIFT;
  if ((modifiers & kWmControl) && !IsRightClickEmulateEnabled()) flags |= FLWIN;
  return flags;
}

// ---- Cursor state ----------------------------------------------------------------------------

HCURSOR m_last_setcursor = nullptr;
int m_curvis_cnt = 0;
bool g_winl_mouse_relmode = false;
POINT g_winl_mouse_relmode_curpos{0, 0};

WmCursor* Standard(int id) {
  static std::vector<std::unique_ptr<WmCursor>>* cache = new std::vector<std::unique_ptr<WmCursor>>;
  static int ids[16];
  for (size_t i = 0; i < cache->size(); ++i)
    if (ids[i] == id) return (*cache)[i].get();
  auto* cursor = new WmCursor;
  cursor->width = cursor->height = 16;
  cursor->hotX = cursor->hotY = 8;
  cursor->pixels.assign(256, 0);
  // Built-in pictures: one byte per pixel, grey level in the high four bits
  // and opacity in the low four, each widened by repeating the four bits.
  auto put = [cursor](int x, int y, uint8_t code) {
    if (x < 0 || x > 15 || y < 0 || y > 15) return;
    const int grey = (code >> 4) * 17, alpha = (code & 0xF) * 17;
    cursor->pixels[static_cast<size_t>(y * 16 + x)] = PIX_MakePixel(grey, grey, grey, alpha);
  };
  const uint8_t kDark = 0x0F, kLight = 0xFF;
  if (id == -1002) {  // a four-headed move arrow
    for (int i = 1; i < 15; ++i) put(i, 8, kDark), put(8, i, kDark);
    for (int k = 1; k <= 3; ++k)
      for (int j = -k; j <= k; ++j)
        put(1 + k, 8 + j, kDark), put(14 - k, 8 + j, kDark), put(8 + j, 1 + k, kDark),
            put(8 + j, 14 - k, kDark);
  } else {  // -1006 upper-left to lower-right; -1007 mirrored
    const bool mirror = id == -1007;
    for (int i = 1; i < 15; ++i) {
      put(mirror ? 15 - i : i, i, kDark);
      put(mirror ? 15 - (i + 1) : i + 1, i, kLight);
    }
    for (int k = 0; k < 5; ++k) {
      put(mirror ? 14 - k : 1 + k, 1, kDark), put(mirror ? 14 : 1, 1 + k, kDark);
      put(mirror ? 1 + k : 14 - k, 14, kDark), put(mirror ? 1 : 14, 14 - k, kDark);
    }
  }
  ids[cache->size()] = id;
  cache->emplace_back(cursor);
  return cursor;
}

// Platform cursors without an image of their own (the I-beam, arrows,
// resize cursors, the open hand): one object each, told apart by identity.
WmCursor* Platform(int id) {
  static std::vector<std::pair<int, WmCursor*>>* list = new std::vector<std::pair<int, WmCursor*>>;
  for (auto& entry : *list)
    if (entry.first == id) return entry.second;
  auto* cursor = new WmCursor;
  list->emplace_back(id, cursor);
  return cursor;
}

// ---- Cursor files -----------------------------------------------------------------------------

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

bool DecodeDib(const uint8_t* d, size_t size, WmCursor* out) {
  if (size < 40) return false;
  const uint32_t header = U32(d);
  const int32_t width = static_cast<int32_t>(U32(d + 4));
  const int32_t doubled = static_cast<int32_t>(U32(d + 8));
  const uint32_t bits = U16(d + 14);
  const uint32_t compression = U32(d + 16);
  uint32_t colours = U32(d + 32);
  if (header < 40 || header > size || compression != 0) return false;
  if (width <= 0 || width > 256 || doubled <= 0 || doubled > 512 || doubled % 2) return false;
  const int height = doubled / 2;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (bits <= 8 && (colours == 0 || colours > (1u << bits))) colours = 1u << bits;
  if (bits > 8) colours = 0;
  size_t at = header;
  if (colours * 4 > size - at) return false;
  const uint8_t* palette = d + at;
  at += colours * 4;
  const size_t xorRow = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  const size_t andRow = ((static_cast<size_t>(width) + 31) / 32) * 4;
  if (xorRow * height > size - at) return false;
  const uint8_t* xorBits = d + at;
  at += xorRow * height;
  const bool hasMask = andRow * height <= size - at;
  const uint8_t* andBits = hasMask ? d + at : nullptr;
  out->width = width;
  out->height = height;
  out->pixels.assign(static_cast<size_t>(width) * height, 0);
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = xorBits + static_cast<size_t>(height - 1 - y) * xorRow;  // rows run bottom up
    const uint8_t* mask = andBits ? andBits + static_cast<size_t>(height - 1 - y) * andRow : nullptr;
    for (int x = 0; x < width; ++x) {
      int r, g, b, a = 255;
      if (bits == 32) {
        b = row[x * 4], g = row[x * 4 + 1], r = row[x * 4 + 2], a = row[x * 4 + 3];
        if (a) anyAlpha = true;
      } else if (bits == 24) {
        b = row[x * 3], g = row[x * 3 + 1], r = row[x * 3 + 2];
      } else {
        const size_t bit = static_cast<size_t>(x) * bits;
        const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= colours) return false;
        b = palette[index * 4], g = palette[index * 4 + 1], r = palette[index * 4 + 2];
      }
      if (bits != 32 && mask && ((mask[x / 8] >> (7 - x % 8)) & 1)) a = 0;
      out->pixels[static_cast<size_t>(y) * width + x] = PIX_MakePixel(r, g, b, a);
    }
  }
  if (bits == 32 && !anyAlpha) {
    // A 32-bit image without alpha takes its transparency from the mask.
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool clear =
            andBits && ((andBits[static_cast<size_t>(height - 1 - y) * andRow + x / 8] >> (7 - x % 8)) & 1);
        PIX_pixel& p = out->pixels[static_cast<size_t>(y) * width + x];
        p = (p & ~0xFFu) | (clear ? 0u : 255u);
      }
  }
  return true;
}

bool ReadFile(const char* path, std::vector<uint8_t>* bytes) {
  FILE* f = KIT_FOpenRegularFile(path, "rb");  // a pipe is never waited on
  if (!f) return false;
  uint8_t buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + n);
    if (bytes->size() > (16u << 20)) break;  // no cursor is that large
  }
  fclose(f);
  return bytes->size() <= (16u << 20);
}

bool FromBitmap(PIX_IBitmap* bitmap, WmCursor* out) {
  if (!bitmap) return false;
  out->width = bitmap->getWidth();
  out->height = bitmap->getHeight();
  out->pixels.resize(static_cast<size_t>(out->width) * out->height);
  for (int y = 0; y < out->height; ++y)
    memcpy(&out->pixels[static_cast<size_t>(y) * out->width],
           bitmap->getBits() + static_cast<size_t>(y) * bitmap->getRowSpan(),
           static_cast<size_t>(out->width) * 4);
  delete bitmap;
  return true;
}

// The folder of named resources: "Resources/" beside the running program.
std::string ResourceFolder() {
  char path[PATH_MAX + 1];
  const ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
  if (length <= 0) return std::string();
  path[length] = 0;
  char* slash = strrchr(path, '/');
  if (!slash) return std::string();
  slash[1] = 0;
  return std::string(path) + "Resources/";
}

// The image of a cursor name: a resource's .cur file, a .cur path, or an
// image file; then the named image or the file as a plain image.
bool ImageFromCursorString(const char* name, WmCursor* out) {
  if (!name) return false;
  const size_t length = strlen(name);
  const bool resource = !strchr(name, '/');
  std::string curFile;
  if (resource && length < 1024)
    curFile = ResourceFolder() + name + ".cur";
  else if (length >= 5 && strcasecmp(name + length - 4, ".cur") == 0)
    curFile = name;
  if (!curFile.empty()) {
    std::vector<uint8_t> bytes;
    if (ReadFile(curFile.c_str(), &bytes) && WINL_DecodeCursorFile(bytes.data(), bytes.size(), out))
      return true;
  }
  if (resource) return FromBitmap(PIX_LoadPNGFromNamedResource(name, nullptr), out);
  return FromBitmap(PIX_LoadPNG(name, nullptr), out);
}

}  // namespace

bool WINL_DecodeCursorFile(const uint8_t* data, size_t size, WmCursor* out) {
  static const uint8_t kHeader[6] = {0, 0, 2, 0, 1, 0};
  if (!data || !out || size < 6 + 16 || memcmp(data, kHeader, 6) != 0) return false;
  const uint8_t* entry = data + 6;
  if (entry[3] != 0) return false;  // the reserved byte
  const uint32_t hotX = U16(entry + 4), hotY = U16(entry + 6);
  const uint32_t length = U32(entry + 8), offset = U32(entry + 12);
  if (offset > size || length > size - offset || length == 0) return false;
  WmCursor image;
  const uint8_t* bytes = data + offset;
  bool ok;
  if (length >= 8 && memcmp(bytes, "\x89PNG", 4) == 0)
    ok = FromBitmap(PIX_LoadPNGFromMemory(bytes, static_cast<int>(length), nullptr), &image);
  else
    ok = DecodeDib(bytes, length, &image);
  if (!ok) return false;
  out->width = image.width;
  out->height = image.height;
  out->pixels.swap(image.pixels);
  out->hotX = static_cast<int>(hotX);
  out->hotY = static_cast<int>(hotY);
  return true;
}

// ---- Keys ----------------------------------------------------------------------------------

int WINL_MacKeyToWindowsKey(const WmKeyEvent* event, int* flags) {
  return WINL_MacKeyToWindowsKeyEx(event, flags, 0);
}

int WINL_MacKeyToWindowsKeyEx(const WmKeyEvent* event, int* flags, int mode) {
  int f = 0;
  if (!event) {
    if (flags) *flags = 0;
    return 0;
  }
  f = ModifierFlags(event->modifiers);
  int result;
  const int mapped = event->keyCode >= 51 && event->keyCode <= 126 ? VirtualKeyOf(event->keyCode) : 0;
  if (mapped) {
    f |= FVIRTKEY;
    result = mapped;
  } else {
    const std::u32string& chars =
        (mode == 1 && !event->characters.empty()) ? event->characters : event->charactersIgnoringModifiers;
    if (!chars.empty()) {
      char32_t c = chars[0];
      if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
      if ((f & FSHIFT) && c == 25) c = 9;
      const bool alnum = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
      if (alnum || c == 9 || c == 10 || c == 13 || c == 27 || c == 32) {
        f |= FVIRTKEY;
      } else {
        f &= ~FSHIFT;
      }
      result = static_cast<int>(c);
    } else {
      // No keyboard layout to translate with: the key code itself.
      f |= FVIRTKEY;
      result = event->keyCode + 1024;
    }
  }
  if (flags) *flags = f;
  return result;
}

int WINL_KeyToASCII(int wParam, int lParam, int* newflags) {
  static const int kShifted[10] = {0x29, 0x21, 0x40, 0x23, 0x24, 0x25, 0x5E, 0x26, 0x2A, 0x28};
  if (wParam < 0x30 || wParam > 0x39 || lParam != (FSHIFT | FVIRTKEY)) return 0;
  if (newflags) *newflags = 0;
  return kShifted[wParam - 0x30];
}

int GetAsyncKeyState(int vk) {
  const WmApplication& app = WmApplication::Shared();
  bool down = false;
  switch (vk) {
    case 1:
      down = app.pressedMouseButtons & 1;
      break;
    case 2:
      down = app.pressedMouseButtons & 2;
      break;
    case 4:
      down = app.pressedMouseButtons & 4;
      break;
    case 0x10:
      down = app.modifierFlags & kWmShift;
      break;
    case 0x11:
      down = app.modifierFlags & kWmCommand;
      break;
    case 0x12:
      down = app.modifierFlags & kWmOption;
      break;
    case 0x5B:
      down = !IsRightClickEmulateEnabled() && (app.modifierFlags & kWmControl);
      break;
    default:
      break;
  }
  return down ? 0x8000 : 0;
}

// ---- Cursors ----------------------------------------------------------------------------------

HCURSOR WINL_LoadCursor(const char* id) {
  const int value = static_cast<int>(reinterpret_cast<intptr_t>(id));
  switch (value) {
    case -1007:
    case -1006:
    case -1002:
      return Standard(value);
    case -1005:
    case -1004:
    case -1001:
    case -1000:
    case -999:
    case 32649:
      return Platform(value);
    default:
      break;
  }
  if (value >= -1007 && value <= -999) return nullptr;
  for (WINL_CursorResourceIndex* r = WINL_curmodule_cursorresource_head; r; r = r->_next) {
    if (r->id != value) continue;
    if (r->cachedCursor) return r->cachedCursor;
    auto* cursor = new WmCursor;
    if (!ImageFromCursorString(r->resname, cursor)) {
      delete cursor;
      return nullptr;
    }
    if (cursor->hotX || cursor->hotY) {
      r->hsx = cursor->hotX;
      r->hsy = cursor->hotY;
    }
    cursor->hotX = r->hsx;
    cursor->hotY = r->hsy;
    r->cachedCursor = cursor;
    return cursor;
  }
  return nullptr;
}

HCURSOR WINL_LoadCursorFromFile(const char* path) {
  auto* cursor = new WmCursor;
  if (!ImageFromCursorString(path, cursor)) {
    delete cursor;
    return nullptr;
  }
  return cursor;
}

void WINL_SetCursor(HCURSOR cursor) {
  WmApplication& app = WmApplication::Shared();
  if (WmIsLive(cursor)) {
    m_last_setcursor = cursor;
    app.currentCursor = cursor;
  } else {
    m_last_setcursor = nullptr;
    app.currentCursor = nullptr;
  }
}

HCURSOR WINL_GetCursor() { return const_cast<HCURSOR>(WmApplication::Shared().currentCursor); }
HCURSOR WINL_GetLastSetCursor() { return m_last_setcursor; }

namespace {
POINT MouseLocation() {
  const WmPoint p = WmApplication::Shared().mouseLocation;
  return POINT{static_cast<int32_t>(std::floor(p.x)), static_cast<int32_t>(std::ceil(p.y))};
}
}  // namespace

int WINL_ShowCursor(bool show) {
  WmApplication& app = WmApplication::Shared();
  m_curvis_cnt += show ? 1 : -1;
  if (!show && m_curvis_cnt == -1) {
    if (!g_winl_mouse_relmode) g_winl_mouse_relmode_curpos = MouseLocation();
    app.cursorHidden = true;
    g_winl_mouse_relmode = true;
  } else if (show && m_curvis_cnt == 0) {
    app.cursorHidden = false;
    g_winl_mouse_relmode = false;
    WINL_SetCursorPos(g_winl_mouse_relmode_curpos.x, g_winl_mouse_relmode_curpos.y);
  }
  return m_curvis_cnt;
}

bool WINL_IsCursorVisible() { return m_curvis_cnt >= 0; }

bool WINL_SetCursorPos(int x, int y) {
  if (g_winl_mouse_relmode) {
    g_winl_mouse_relmode_curpos = POINT{x, y};
    return true;
  }
  WmApplication::Shared().mouseLocation = WmPoint{static_cast<double>(x), static_cast<double>(y)};
  return true;
}

void GetCursorPos(POINT* point) {
  if (!point) return;
  *point = g_winl_mouse_relmode ? g_winl_mouse_relmode_curpos : MouseLocation();
}

long GetMessagePos() {
  POINT p;
  GetCursorPos(&p);
  return (static_cast<long>(p.y) << 16) | (p.x & 0xFFFF);
}

void WINL_RelativeMouseMoved(double dx, double dy) {
  if (!g_winl_mouse_relmode) return;
  g_winl_mouse_relmode_curpos.x += static_cast<int32_t>(dx);
  g_winl_mouse_relmode_curpos.y -= static_cast<int32_t>(dy);
}
