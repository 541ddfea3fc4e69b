// PNG loading (libpng). Every image becomes 32-bit pixels in the library's
// layout (alpha, red, green, blue bytes), straight alpha; images without
// alpha get alpha 255. Palette, grey, 1- to 16-bit, interlaced and
// transparency-chunk images are all expanded to that one layout; 16-bit
// samples keep their high byte.
#pragma once

#include "KIT/pix/pix-bitmap.h"

// Width and height above this are refused before any pixel memory is taken.
const int PIX_PNG_MAX_SIDE = 16384;
// The most memory the decoder takes in one piece (the pixels excepted, which
// PIX_PNG_MAX_SIDE bounds): a chunk that declares more (a text, a palette, a
// profile...) is refused unread, so a few damaged bytes cannot make the loader
// allocate gigabytes. Every piece a real image needs is far smaller.
const int PIX_PNG_MAX_CHUNK = 8 << 20;

// Loads the file into bmp (resized to the image) or, when bmp is null, into a
// new PIX_MemBitmap(width, height, 4) that the caller owns. Returns the
// bitmap, or null on any failure: unopenable file, bad signature, damaged or
// truncated data, a size over PIX_PNG_MAX_SIDE, or a bmp that cannot take the
// size (its content is then undefined). Nothing the call allocated is kept on
// failure. A flipped bmp receives the image upright.
PIX_IBitmap* PIX_LoadPNG(const char* filename, PIX_IBitmap* bmp);
// The same from size bytes at data; fewer than 8 bytes or a first 8 that are
// not the PNG signature give null without further reading.
PIX_IBitmap* PIX_LoadPNGFromMemory(const void* data, int size, PIX_IBitmap* bmp);
// Loads "Resources/" + name from the folder of the running program (the main
// bundle); null for a name over 400 characters or a path over 1536 bytes.
PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp);
// Numbered resources do not exist on this platform: always null.
PIX_IBitmap* PIX_LoadPNGFromResource(void* module, int id, PIX_IBitmap* bmp);

// One entry of the process-wide list of image loaders.
struct PIX_ImageLoader {
  // Loads a file; with checkFileName only names with the loader's extension.
  PIX_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, PIX_IBitmap* bmp);
  // A file-dialog filter list: pairs of texts, ending with an empty one.
  const char* (*get_extlist)();
  PIX_ImageLoader* next;
};
// Head of the list; the PNG loader is entered when the program is loaded.
extern PIX_ImageLoader* PIX_ImageLoader_list;

class PIX_PNGLoader {
 public:
  // With checkFileName set, only a name whose extension (from its last '.',
  // not crossing a '/' or '\') is ".png" in any letter case is loaded.
  static PIX_IBitmap* loadfunc(const char* filename, bool checkFileName, PIX_IBitmap* bmp);
  // "PNG files (*.PNG)", "*.PNG", double-NUL terminated.
  static const char* get_extlist();
};
