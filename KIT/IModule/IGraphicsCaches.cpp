// The bitmap and font caches, and the GUI operations that load through them.
#include "KIT/IModule/IGraphicsCaches.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "KIT/IModule/IGraphics.h"
#include "KIT/pix/pix-bitmap.h"
#include "KIT/pix/pix-combine.h"
#include "KIT/pix/pix-font.h"
#include "KIT/pix/pix-scale.h"
#include "KIT/winl/winl-font.h"

// ---- BitmapStorage -----------------------------------------------------------

BitmapStorage::~BitmapStorage() {
  KIT_MutexLock hold(&mLock);
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->bitmap;
  mEntries.Empty(true);
}

int BitmapStorage::IndexOf(const PIX_IBitmap* bitmap) const {
  for (int i = 0; i < mEntries.GetSize(); ++i)
    if (mEntries.Get(i)->bitmap == bitmap) return i;
  return -1;
}

namespace {
void AddHolder(std::vector<const IGraphics*>* holders, const IGraphics* holder) {
  if (holder && std::find(holders->begin(), holders->end(), holder) == holders->end())
    holders->push_back(holder);
}
}  // namespace

void BitmapStorage::Add(PIX_IBitmap* bitmap, int id, double scale, const IGraphics* holder) {
  if (!bitmap) return;
  KIT_MutexLock hold(&mLock);
  auto* entry = new Entry{id, scale, bitmap, {}};
  AddHolder(&entry->holders, holder);
  if (!mEntries.Add(entry)) delete entry;
}

PIX_IBitmap* BitmapStorage::Find(int id, double scale, const IGraphics* holder) {
  KIT_MutexLock hold(&mLock);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    Entry* entry = mEntries.Get(i);
    if (entry->id != id || (scale >= 0.0 && entry->scale != scale)) continue;
    AddHolder(&entry->holders, holder);
    return entry->bitmap;
  }
  return nullptr;
}

void BitmapStorage::Release(PIX_IBitmap* bitmap, const IGraphics* holder) {
  KIT_MutexLock hold(&mLock);
  const int i = IndexOf(bitmap);
  if (i < 0) return;
  Entry* entry = mEntries.Get(i);
  entry->holders.erase(std::remove(entry->holders.begin(), entry->holders.end(), holder),
                       entry->holders.end());
  // Another window still shows it: deleting it would leave that window's
  // controls drawing freed pixels.
  if (!entry->holders.empty()) return;
  mEntries.Delete(i, true);
  delete bitmap;
}

void BitmapStorage::Remove(PIX_IBitmap* bitmap) {
  KIT_MutexLock hold(&mLock);
  const int i = IndexOf(bitmap);
  if (i < 0) return;
  mEntries.Delete(i, true);
  delete bitmap;
}

void BitmapStorage::ForgetHolder(const IGraphics* holder) {
  KIT_MutexLock hold(&mLock);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    auto& holders = mEntries.Get(i)->holders;
    holders.erase(std::remove(holders.begin(), holders.end(), holder), holders.end());
  }
}

int BitmapStorage::Count() {
  KIT_MutexLock hold(&mLock);
  return mEntries.GetSize();
}

// ---- FontStorage -------------------------------------------------------------

FontStorage::~FontStorage() {
  KIT_MutexLock hold(&mLock);
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->font;
  mEntries.Empty(true);
}

PIX_IFont* FontStorage::Find(const IText* text) {
  KIT_MutexLock hold(&mLock);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    const Entry* entry = mEntries.Get(i);
    if (entry->size == text->mSize && entry->orientation == text->mOrientation &&
        entry->style == text->mStyle && strncmp(entry->name, text->mFont, sizeof entry->name) == 0)
      return entry->font;
  }
  return nullptr;
}

void FontStorage::Add(PIX_IFont* font, const IText* text) {
  KIT_MutexLock hold(&mLock);
  auto* entry = new Entry{text->mSize, text->mOrientation, text->mStyle, {}, font};
  snprintf(entry->name, sizeof entry->name, "%s", text->mFont);
  if (!mEntries.Add(entry)) delete entry;
}

int FontStorage::Count() {
  KIT_MutexLock hold(&mLock);
  return mEntries.GetSize();
}

// Made on first use, so they are destroyed before the drawing layer's pools
// that the fonts give their native fonts back to.
BitmapStorage& TheBitmapStorage() {
  static BitmapStorage storage;
  return storage;
}

FontStorage& TheFontStorage() {
  static FontStorage storage;
  return storage;
}

// ---- Error log ---------------------------------------------------------------

namespace {
void WriteToStandardError(const char* line) { fprintf(stderr, "%s\n", line); }
std::atomic<void (*)(const char*)> s_errorLog{WriteToStandardError};
}  // namespace

void IGraphics::SetErrorLog(void (*sink)(const char* line)) {
  s_errorLog.store(sink ? sink : WriteToStandardError);
}

void IGraphics::LogError(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  s_errorLog.load()(line);
}

// ---- Loading through the caches ------------------------------------------------

double IGraphics::LoadedScaleOf(int id) const {
  for (int i = 0; i < mLoadedImages.GetSize(); ++i)
    if (mLoadedImages.Get()[i].id == id) return mLoadedImages.Get()[i].scale;
  return -1.0;
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, double scale, int nStates, bool framesAreHoriz) {
  BitmapStorage& storage = TheBitmapStorage();
  PIX_IBitmap* cached = storage.Find(id, scale, this);
  if (!cached) {
    PIX_IBitmap* source = OSLoadBitmap(id, name);
    const int w = source ? PIX_TruncToInt(source->getWidth() * scale, 0, 32767) : 0;
    const int h = source ? PIX_TruncToInt(source->getHeight() * scale, 0, 32767) : 0;
    if (!source || w < 1 || h < 1) {
      LogError("GUI: image %d \"%s\" %s; its controls stay empty", id, name ? name : "",
               source ? "scales to nothing" : "cannot be loaded");
      delete source;
      return IBitmap(nullptr, 0, 0, nStates, framesAreHoriz);
    }
    PIX_IBitmap* scaled = source;
    // At its own size (scale 1.0) the decoded image is cached as it is: the
    // resampling would only copy it. A bottom-up source is copied, so that
    // every cached image runs top-down.
    if (w != source->getWidth() || h != source->getHeight() || source->isFlipped()) {
      scaled = new PIX_MemBitmap(w, h, 4);
      PIX_ScaledBlit(scaled, source, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(source->getWidth()),
                     static_cast<float>(source->getHeight()), 1.0f, PIX_BLIT_FILTER_BILINEAR);
      delete source;
    }
    // Another thread may have loaded the same image meanwhile: keep one.
    cached = storage.Find(id, scale, this);
    if (cached) {
      delete scaled;
    } else {
      storage.Add(scaled, id, scale, this);
      cached = scaled;
    }
  }
  if (LoadedScaleOf(id) < 0.0) mLoadedImages.Add(LoadedImage{id, scale});
  return IBitmap(cached, cached->getWidth(), cached->getHeight(), nStates, framesAreHoriz);
}

IBitmap IGraphics::getImageById(int id, int nStates, bool framesAreHoriz) {
  PIX_IBitmap* cached = TheBitmapStorage().Find(id, LoadedScaleOf(id), nullptr);
  if (!cached) {
    LogError("GUI: image %d is not loaded; its controls stay empty", id);
    return IBitmap(nullptr, 0, 0, nStates, framesAreHoriz);
  }
  return IBitmap(cached, cached->getWidth(), cached->getHeight(), nStates, framesAreHoriz);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) {
  if (bitmap && bitmap->mData) TheBitmapStorage().Add(bitmap->mData, -1, -1.0, this);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap) {
  if (!bitmap || !bitmap->mData) return;
  TheBitmapStorage().Release(bitmap->mData, this);
  for (int i = 0; i < mLoadedImages.GetSize(); ++i) {
    // The image may be loaded again later at another scale.
    if (TheBitmapStorage().Find(mLoadedImages.Get()[i].id, mLoadedImages.Get()[i].scale, nullptr)) continue;
    LoadedImage* images = mLoadedImages.Get();
    images[i] = images[mLoadedImages.GetSize() - 1];
    mLoadedImages.Resize(mLoadedImages.GetSize() - 1);
    --i;
  }
}

PIX_IFont* IGraphics::CacheFont(IText* text) {
  if (!text) return nullptr;
  FontStorage& storage = TheFontStorage();
  if (PIX_IFont* found = storage.Find(text)) return text->mCached = found;

  static const int kQualities[] = {0, 3, 4, 4};
  const int quality = text->mQuality >= 0 && text->mQuality <= 3 ? kQualities[text->mQuality] : 3;
  const int weight = text->mStyle == IText::kStyleBold ? 700 : 400;
  const char italic = text->mStyle == IText::kStyleItalic ? 1 : 0;
  const int escapement = PIX_TruncToInt(text->mOrientation * 10.0);
  auto makeFont = [&](int height) {
    return CreateFont(height, 0, escapement, escapement, weight, italic, 0, 0, 0, 0, 0,
                      static_cast<char>(quality), 0, text->mFont);
  };

  auto* font = new PIX_CachedFont();
  const int flags = PIX_FONT_OWNS_HFONT | PIX_FONT_PREFER_NATIVE;
  int height = std::max(text->mSize, 2);
  HGDIOBJ native = makeFont(height);
  if (!native) {
    delete font;
    return nullptr;
  }
  font->SetFromHFont(native, flags);
  // The style asks for a line height: a font whose line height differs is
  // made once more, its height scaled by the ratio the first one showed.
  const int lineHeight = font->GetLineHeight();
  if (lineHeight != height && lineHeight > 0) {
    const double square = text->mSize < 2 ? 4.0 : static_cast<double>(text->mSize) * text->mSize;
    height = std::max(PIX_TruncToInt(square / lineHeight + 0.5), 2);
    native = makeFont(height);
    if (!native) {
      delete font;
      return nullptr;
    }
    font->SetFromHFont(native, flags);
  }
  storage.Add(font, text);
  return text->mCached = font;
}
