// The process-wide bitmap and font caches. Every image of the editor is
// loaded once per scale and shared by every control and window that shows
// it; every font is made once per face, size, orientation and style. Both
// caches outlive every IGraphics (they go when the plug-in module is
// unloaded) and each has its own recursive lock, held for the whole of each
// operation: they are the only GUI structures that plug-in instances share.
#pragma once

#include <vector>

#include "KIT/IModule/IGraphicsStructs.h"
#include "KIT/mutex.h"
#include "KIT/ptrlist.h"

class IGraphics;
class PIX_IFont;

class BitmapStorage {
 public:
  BitmapStorage() = default;
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;
  // Deletes every cached bitmap.
  ~BitmapStorage();

  // Caches bitmap under id (-1 for bitmaps made without one) and scale, held
  // by holder (may be null). Duplicates are allowed; Find returns the first.
  void Add(PIX_IBitmap* bitmap, int id, double scale, const IGraphics* holder);
  // The first bitmap of id at exactly this scale, or, for a negative scale,
  // the first of id at any scale; holder (when not null) then holds it.
  // Null when there is none.
  PIX_IBitmap* Find(int id, double scale, const IGraphics* holder);
  // holder lets go of bitmap; a cached bitmap that no holder keeps any more
  // is removed and deleted. A bitmap that is not cached is left alone.
  void Release(PIX_IBitmap* bitmap, const IGraphics* holder);
  // Removes the first entry holding bitmap and deletes the bitmap, whoever
  // holds it; nothing when it is not cached.
  void Remove(PIX_IBitmap* bitmap);
  // holder holds nothing any more; the bitmaps stay cached.
  void ForgetHolder(const IGraphics* holder);
  // Number of cached bitmaps.
  int Count();

 private:
  struct Entry {
    int id;
    double scale;
    PIX_IBitmap* bitmap;
    std::vector<const IGraphics*> holders;
  };
  int IndexOf(const PIX_IBitmap* bitmap) const;  // lock held

  KIT_PtrList<Entry> mEntries;
  KIT_Mutex mLock;
};

class FontStorage {
 public:
  FontStorage() = default;
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;
  // Deletes every cached font.
  ~FontStorage();

  // The font of the first entry whose size, orientation, style and face
  // name (exact, case-sensitive) equal the style's; colour, alignment and
  // quality are not part of the key. Null when there is none.
  PIX_IFont* Find(const IText* text);
  // Caches font under the style's key.
  void Add(PIX_IFont* font, const IText* text);
  int Count();

 private:
  struct Entry {
    int size;
    int orientation;
    int style;
    char name[IText::kFontNameSize];
    PIX_IFont* font;
  };

  KIT_PtrList<Entry> mEntries;
  KIT_Mutex mLock;
};

// The two caches of this module, made on first use.
BitmapStorage& TheBitmapStorage();
FontStorage& TheFontStorage();
