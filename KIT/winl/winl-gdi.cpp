// Drawing contexts, drawing objects and their pools.
#include "KIT/winl/winl-gdi.h"

#include <cstdlib>
#include <new>
#include <unordered_set>

#include "KIT/mutex.h"
#include "KIT/winl/winl-font-native.h"

namespace {

const int kMaxPooledContexts = 100;
const int kMaxPooledObjects = 200;

// Every record the layer has handed out and not freed, pooled ones included,
// so that a handle can be checked before it is read through. The sets and
// pools live until unload; after it, handles are refused.
struct Pools {
  HDC__* m_ctxpool = nullptr;
  int m_ctxpool_size = 0;
  HGDIOBJ__* m_objpool = nullptr;
  int m_objpool_size = 0;
  std::unordered_set<const void*> contexts;
  std::unordered_set<const void*> objects;
};

// The lock is made on first use and never destroyed, so that it outlives
// every static object that might still delete a handle at exit.
KIT_Mutex& m_ctxpool_mutex() {
  static KIT_Mutex* mutex = new KIT_Mutex;
  return *mutex;
}

Pools* s_pools = nullptr;
bool s_unloaded = false;

// The pools, made on first use; null after unload. Call under the lock.
Pools* GetPools() {
  if (!s_pools && !s_unloaded) s_pools = new (std::nothrow) Pools;
  return s_pools;
}

// The stock objects: constant records, never pooled, counted or freed.
HGDIOBJ__ s_nullPen = {WINL_OBJ_PEN, 0, {}, -1, 0, nullptr, nullptr, 0, nullptr};
HGDIOBJ__ s_nullBrush = {WINL_OBJ_BRUSH, 0, {}, -1, 0, nullptr, nullptr, 0, nullptr};

bool IsMarker(const void* handle) { return reinterpret_cast<uintptr_t>(handle) < 5; }
HGDIOBJ Marker(int type) { return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(type)); }
bool IsStock(const HGDIOBJ__* object) { return object == &s_nullPen || object == &s_nullBrush; }

// Takes a record from a pool or makes one, and registers it.
template <class Record>
Record* TakeRecord(Record* Pools::*head, int Pools::*size, std::unordered_set<const void*> Pools::*known) {
  KIT_MutexLock lock(&m_ctxpool_mutex());
  Pools* pools = GetPools();
  Record* record = nullptr;
  if (pools && pools->*head) {
    record = pools->*head;
    pools->*head = record->next;
    --(pools->*size);
  } else {
    record = new (std::nothrow) Record();
    if (!record) return nullptr;
    if (pools) {
      try {
        (pools->*known).insert(record);
      } catch (...) {
        delete record;
        return nullptr;
      }
    }
  }
  *record = Record();
  return record;
}

// Gives a cleared record back: pooled dead, or freed when the pool is full.
template <class Record>
void GiveBack(Record* record, Record* Pools::*head, int Pools::*size,
              std::unordered_set<const void*> Pools::*known, int limit) {
  KIT_MutexLock lock(&m_ctxpool_mutex());
  *record = Record();
  Pools* pools = GetPools();
  if (pools && pools->*size < limit) {
    record->dead = 1;
    record->next = pools->*head;
    pools->*head = record;
    ++(pools->*size);
    return;
  }
  if (pools) (pools->*known).erase(record);
  delete record;
}

void ReleaseObjectContents(HGDIOBJ__* object) {
  if (object->nativeFont) WINL_ReleaseNativeFont(object->nativeFont);
  object->nativeFont = nullptr;
  WINL_ReleaseImage(object->image);
  object->image = nullptr;
}

// Frees the pooled records at unload; later calls find no pools and refuse
// every handle. Records still live are left alone.
struct Unloader {
  ~Unloader() {
    WINL_UnloadFonts();
    KIT_MutexLock lock(&m_ctxpool_mutex());
    if (!s_pools) return;
    for (HDC__* c = s_pools->m_ctxpool; c;) {
      HDC__* next = c->next;
      delete c;
      c = next;
    }
    for (HGDIOBJ__* o = s_pools->m_objpool; o;) {
      HGDIOBJ__* next = o->next;
      delete o;
      o = next;
    }
    delete s_pools;
    s_pools = nullptr;
    s_unloaded = true;
  }
} s_unloader;

}  // namespace

HDC__* WINL_GDP_CTX_NEW() { return TakeRecord(&Pools::m_ctxpool, &Pools::m_ctxpool_size, &Pools::contexts); }

HGDIOBJ__* GDP_OBJECT_NEW() { return TakeRecord(&Pools::m_objpool, &Pools::m_objpool_size, &Pools::objects); }

void WINL_GetPoolSizes(int* contexts, int* objects) {
  KIT_MutexLock lock(&m_ctxpool_mutex());
  Pools* pools = GetPools();
  if (contexts) *contexts = pools ? pools->m_ctxpool_size : 0;
  if (objects) *objects = pools ? pools->m_objpool_size : 0;
}

bool WINL_IsLiveContext(HDC hdc) {
  if (IsMarker(hdc)) return false;
  KIT_MutexLock lock(&m_ctxpool_mutex());
  Pools* pools = GetPools();
  return pools && pools->contexts.count(hdc) && !hdc->dead;
}

bool WINL_IsLiveObject(HGDIOBJ object, int type) {
  if (IsMarker(object)) return false;
  if (!IsStock(object)) {
    KIT_MutexLock lock(&m_ctxpool_mutex());
    Pools* pools = GetPools();
    if (!pools || !pools->objects.count(object) || object->dead) return false;
  }
  return type == 0 || object->type == type;
}

// ---------------------------------------------------------------------------
// Contexts

HDC WINL_CreateMemContext(HDC, int width, int height) {
  // Row bytes and the whole buffer must fit an int for the raster side.
  if (width < 1 || height < 1 || width > INT32_MAX / 4 || height > (INT32_MAX - 63) / (width * 4))
    return nullptr;
  const size_t bytes = static_cast<size_t>(width) * 4 * static_cast<size_t>(height);
  void* raw = std::calloc(bytes + 63, 1);
  if (!raw) return nullptr;
  uint8_t* pixels = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(raw) + 63) & ~uintptr_t{63});
  WINL_GraphicsContext* gc = new (std::nothrow)
      WINL_GraphicsContext{pixels, width, height, width * 4, RECT{0, 0, width, height}, true, {}};
  HDC__* hdc = gc ? WINL_GDP_CTX_NEW() : nullptr;
  if (!hdc) {
    delete gc;
    std::free(raw);
    return nullptr;
  }
  hdc->gc = gc;
  hdc->pixelBuffer = raw;
  SetTextColor(hdc, 0);
  return hdc;
}

HDC WINL_CreateGfxContext(WINL_GraphicsContext* surface) {
  if (!surface) return nullptr;
  HDC__* hdc = WINL_GDP_CTX_NEW();
  if (hdc) hdc->gc = surface;
  return hdc;
}

void WINL_DeleteGfxContext(HDC hdc) {
  if (!WINL_IsLiveContext(hdc)) return;
  if (hdc->pixelBuffer) {
    delete hdc->gc;
    std::free(hdc->pixelBuffer);
  }
  GiveBack(hdc, &Pools::m_ctxpool, &Pools::m_ctxpool_size, &Pools::contexts, kMaxPooledContexts);
}

void* WINL_GetCtxFrameBuffer(HDC hdc) {
  if (!WINL_IsLiveContext(hdc) || !hdc->pixelBuffer || !hdc->gc) return nullptr;
  return hdc->gc->pixels;
}

WINL_GraphicsContext* WINL_GetCtxGC(HDC hdc) { return WINL_IsLiveContext(hdc) ? hdc->gc : nullptr; }

void SetTextColor(HDC hdc, int color) {
  if (!WINL_IsLiveContext(hdc)) return;
  hdc->textColor = color;
  hdc->textColorObject = WINL_Colour{true, ((color >> 16) & 255) / 255.0f, ((color >> 8) & 255) / 255.0f,
                                     (color & 255) / 255.0f, 1.0f};
}

int GetTextColor(HDC hdc) { return WINL_IsLiveContext(hdc) ? hdc->textColor : -1; }

void SetBkColor(HDC hdc, int color) {
  if (WINL_IsLiveContext(hdc)) hdc->bkColor = color;
}

void SetBkMode(HDC hdc, int mode) {
  if (WINL_IsLiveContext(hdc)) hdc->bkMode = mode;
}

void WINL_PushClipRegion(HDC hdc) {
  WINL_GraphicsContext* gc = WINL_GetCtxGC(hdc);
  if (gc) gc->saved.push_back(WINL_GraphicsState{gc->clip, gc->antialias});
}

void WINL_SetClipRegion(HDC hdc, RECT* rect) {
  WINL_GraphicsContext* gc = WINL_GetCtxGC(hdc);
  if (!gc || !rect) return;
  RECT& c = gc->clip;
  if (rect->left > c.left) c.left = rect->left;
  if (rect->top > c.top) c.top = rect->top;
  if (rect->right < c.right) c.right = rect->right;
  if (rect->bottom < c.bottom) c.bottom = rect->bottom;
  // An empty clip stays empty: right not left of left.
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
}

void WINL_PopClipRegion(HDC hdc) {
  WINL_GraphicsContext* gc = WINL_GetCtxGC(hdc);
  if (!gc || gc->saved.empty()) return;
  gc->clip = gc->saved.back().clip;
  gc->antialias = gc->saved.back().antialias;
  gc->saved.pop_back();
}

// ---------------------------------------------------------------------------
// Images

WINL_Image* WINL_NewImage(int width, int height) {
  if (width < 1 || height < 1 || width > 32768 || height > 32768) return nullptr;
  auto* image = new (std::nothrow) WINL_Image;
  if (!image) return nullptr;
  image->width = width;
  image->height = height;
  image->refs = 1;
  try {
    image->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  } catch (...) {
    delete image;
    return nullptr;
  }
  return image;
}

WINL_Image* WINL_RetainImage(WINL_Image* image) {
  if (image) image->refs.fetch_add(1);
  return image;
}

void WINL_ReleaseImage(WINL_Image* image) {
  if (image && image->refs.fetch_sub(1) == 1) delete image;
}

// ---------------------------------------------------------------------------
// Objects

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  if (!WINL_IsLiveContext(hdc)) return nullptr;
  const uintptr_t value = reinterpret_cast<uintptr_t>(object);
  if (value >= 1 && value <= 3) {
    const int type = static_cast<int>(value);
    HGDIOBJ* slot = type == WINL_OBJ_PEN ? &hdc->pen : type == WINL_OBJ_BRUSH ? &hdc->brush : &hdc->font;
    const HGDIOBJ old = *slot;
    *slot = nullptr;
    return WINL_IsLiveObject(old, type) ? old : object;
  }
  if (!WINL_IsLiveObject(object, 0)) return nullptr;
  const int type = object->type;
  if (type < WINL_OBJ_PEN || type > WINL_OBJ_FONT) return nullptr;
  HGDIOBJ* slot = type == WINL_OBJ_PEN ? &hdc->pen : type == WINL_OBJ_BRUSH ? &hdc->brush : &hdc->font;
  const HGDIOBJ old = *slot;
  if (WINL_IsLiveObject(old, type)) {
    *slot = object;
    return old;
  }
  *slot = object;
  return Marker(type);
}

void DeleteObject(HGDIOBJ object) {
  if (IsStock(object) || !WINL_IsLiveObject(object, 0)) return;
  if (object->extraRefs-- >= 1) return;  // other holders remain
  if (object->type < WINL_OBJ_PEN || object->type > WINL_OBJ_BITMAP) {
    object->extraRefs = 0;
    return;
  }
  if ((object->type == WINL_OBJ_PEN || object->type == WINL_OBJ_BRUSH) && object->width < 0) return;
  ReleaseObjectContents(object);
  GiveBack(object, &Pools::m_objpool, &Pools::m_objpool_size, &Pools::objects, kMaxPooledObjects);
}

HGDIOBJ WINL_CloneGDIObject(HGDIOBJ object) {
  if (!WINL_IsLiveObject(object, 0)) return nullptr;
  if (!IsStock(object)) ++object->extraRefs;
  return object;
}

HGDIOBJ GetStockObject(int index) {
  // Nothing writes the stock records (deleting and cloning leave them
  // alone), so they are handed out as they are, from any thread.
  if (index == 1) return &s_nullPen;
  if (index == 2) return &s_nullBrush;
  return nullptr;
}
