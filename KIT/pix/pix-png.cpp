// PNG decoding with libpng. libpng reports errors by a long jump back to the
// decoding function, so that function holds no object with a destructor and
// keeps what it allocated in volatile locals, freed on both exits.
#include "KIT/pix/pix-png.h"

#include <png.h>
#include <strings.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "KIT/regularfile.h"

namespace {

struct MemoryCursor {
  const unsigned char* next;
  size_t remaining;
};

// A read past the end is an error: a truncated image is refused, never padded.
void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
  MemoryCursor* cursor = static_cast<MemoryCursor*>(png_get_io_ptr(png));
  if (length > cursor->remaining) png_error(png, "truncated data");
  memcpy(out, cursor->next, length);
  cursor->next += length;
  cursor->remaining -= length;
}

// libpng's memory: one piece over PIX_PNG_MAX_CHUNK is refused (libpng then
// skips the chunk or fails the image), whatever length a chunk declares.
png_voidp LimitedMalloc(png_structp, png_alloc_size_t size) {
  return size <= static_cast<png_alloc_size_t>(PIX_PNG_MAX_CHUNK) ? malloc(size) : nullptr;
}
void LimitedFree(png_structp, png_voidp p) { free(p); }

// Damaged images are reported by the null result; libpng prints nothing.
void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void SilentWarning(png_structp, png_const_charp) {}

// Asks libpng for alpha, red, green, blue bytes whatever the image's format;
// true when it gives red, green, blue, alpha instead, for MoveAlphaFirst to
// turn (a word rotation per pixel: libpng's own swap goes byte by byte and
// took a quarter of the decoding time of the editor's images).
bool RequestPixelLayout(png_structp png, png_infop info) {
  png_uint_32 width, height;
  int depth, colorType;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    colorType |= PNG_COLOR_MASK_ALPHA;
  }
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  const bool alphaLast = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (!alphaLast) png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(png);
  return alphaLast;
}

// Red, green, blue, alpha bytes of each pixel become alpha, red, green, blue.
void MoveAlphaFirst(PIX_pixel* row, png_uint_32 width) {
  for (png_uint_32 x = 0; x < width; ++x) {
    const uint32_t word = row[x];
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    row[x] = (word >> 8) | (word << 24);
#else
    row[x] = (word << 8) | (word >> 24);
#endif
  }
}

// Decodes from a file (when file is set) or from a memory cursor.
PIX_IBitmap* Decode(FILE* file, MemoryCursor* cursor, PIX_IBitmap* given) {
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning,
                                             nullptr, LimitedMalloc, LimitedFree);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  PIX_IBitmap* volatile created = nullptr;
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    free(rows);
    delete created;
    return nullptr;
  }
  if (file)
    png_init_io(png, file);
  else
    png_set_read_fn(png, cursor, ReadFromMemory);
  png_set_user_limits(png, PIX_PNG_MAX_SIDE, PIX_PNG_MAX_SIDE);
  png_set_chunk_malloc_max(png, PIX_PNG_MAX_CHUNK);
  // The image data's own checksum is not verified: the CRC of every chunk
  // already covers each of its bytes (and is checked), and summing every
  // decoded byte again took a quarter of the decoding time.
#ifdef PNG_IGNORE_ADLER32
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, info);
  const bool alphaLast = RequestPixelLayout(png, info);
  png_read_update_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  // The transformations must give exactly one 32-bit word per pixel.
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected row layout");

  PIX_IBitmap* target = given;
  if (!target) {
    created = new (std::nothrow) PIX_MemBitmap(static_cast<int>(width), static_cast<int>(height), 4);
    target = created;
    if (!target) png_error(png, "out of memory");
  } else {
    target->resize(static_cast<int>(width), static_cast<int>(height));
  }
  PIX_pixel* bits = target->getBits();
  if (!bits || target->getWidth() != static_cast<int>(width) ||
      target->getHeight() != static_cast<int>(height))
    png_error(png, "bitmap cannot take the image");
  rows = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * height));
  if (!rows) png_error(png, "out of memory");
  const ptrdiff_t span = target->getRowSpan();
  const bool flipped = target->isFlipped();
  for (png_uint_32 i = 0; i < height; ++i) {
    const ptrdiff_t memoryRow = flipped ? static_cast<ptrdiff_t>(height - 1 - i) : static_cast<ptrdiff_t>(i);
    rows[i] = reinterpret_cast<png_bytep>(bits + memoryRow * span);
  }
  png_read_image(png, rows);
  if (alphaLast)
    for (png_uint_32 i = 0; i < height; ++i) MoveAlphaFirst(reinterpret_cast<PIX_pixel*>(rows[i]), width);
  png_destroy_read_struct(&png, &info, nullptr);
  free(rows);
  return target;
}

PIX_ImageLoader PIX_pngldr = {PIX_PNGLoader::loadfunc, PIX_PNGLoader::get_extlist, nullptr};

// Enters the PNG loader at the head of the list when the program is loaded.
struct RegisterPNGLoader {
  RegisterPNGLoader() {
    PIX_pngldr.next = PIX_ImageLoader_list;
    PIX_ImageLoader_list = &PIX_pngldr;
  }
};
const RegisterPNGLoader kRegisterPNGLoader;

}  // namespace

PIX_ImageLoader* PIX_ImageLoader_list = nullptr;

PIX_IBitmap* PIX_LoadPNG(const char* filename, PIX_IBitmap* bmp) {
  if (!filename) return nullptr;
  // Only a regular file, opened without waiting on a pipe of that name.
  FILE* file = KIT_FOpenRegularFile(filename, "rb");
  if (!file) return nullptr;
  PIX_IBitmap* result = Decode(file, nullptr, bmp);
  fclose(file);
  return result;
}

PIX_IBitmap* PIX_LoadPNGFromMemory(const void* data, int size, PIX_IBitmap* bmp) {
  if (!data || size < 8) return nullptr;
  if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;
  MemoryCursor cursor = {static_cast<const unsigned char*>(data), static_cast<size_t>(size)};
  return Decode(nullptr, &cursor, bmp);
}

PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp) {
  if (!name || strlen(name) > 400) return nullptr;
  char path[1536 + 1];
  const ssize_t length = readlink("/proc/self/exe", path, 1536);
  if (length <= 0 || length >= 1536) return nullptr;
  path[length] = '\0';
  char* slash = strrchr(path, '/');
  if (!slash) return nullptr;
  slash[1] = '\0';
  static const char kFolder[] = "Resources/";
  if (strlen(path) + strlen(kFolder) + strlen(name) > 1536) return nullptr;
  strcat(path, kFolder);
  strcat(path, name);
  return PIX_LoadPNG(path, bmp);
}

PIX_IBitmap* PIX_LoadPNGFromResource(void* module, int id, PIX_IBitmap* bmp) { return nullptr; }

PIX_IBitmap* PIX_PNGLoader::loadfunc(const char* filename, bool checkFileName, PIX_IBitmap* bmp) {
  if (!filename) return nullptr;
  if (checkFileName) {
    const char* extension = filename;
    for (const char* p = filename + strlen(filename); p > filename; --p) {
      const char c = p[-1];
      if (c == '/' || c == '\\') return nullptr;
      if (c == '.') {
        extension = p - 1;
        break;
      }
    }
    if (strcasecmp(extension, ".png") != 0) return nullptr;
  }
  return PIX_LoadPNG(filename, bmp);
}

const char* PIX_PNGLoader::get_extlist() { return "PNG files (*.PNG)\0*.PNG\0"; }
