// Font creation and the face-name cache: a face name with its weight and
// slant is resolved through fontconfig once, and the answer kept for the
// life of the program.
#include "KIT/winl/winl-font.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "KIT/mutex.h"
#include "KIT/winl/winl-font-native.h"

namespace {

// Working face names are cut at this many bytes before " Bold" and
// " Italic" are added.
const size_t kMaxFaceName = 899;

// Installed faces used in place of those this system lacks.
const char* const kTypewriterFallback = "DejaVu Sans Mono";
const char* const kFallback = "DejaVu Sans";

// Made on first use and never destroyed, so that a font made or deleted by a
// static object at exit still finds it.
KIT_Mutex& s_fontnamecache_mutex() {
  static KIT_Mutex* mutex = new KIT_Mutex;
  return *mutex;
}
// Working face name -> face. Guarded by the mutex; freed at unload.
std::map<std::string, WINL_FontFace>* s_fontnamecache = nullptr;
// Face names whose fallback has been reported, so that the bold and italic
// forms of a missing face are not reported again.
std::set<std::string>* s_reportedFaces = nullptr;

std::atomic<void (*)(const char*)> s_fontLog{nullptr};

// Set once fontconfig has been asked anything, so that unload releases it.
std::atomic<bool> s_fontconfigUsed{false};

// Faces of fixed-width type (the editor's "Consolas", the platform's
// "Monaco"), which fall back to a fixed-width face.
bool IsTypewriterName(const std::string& name) {
  static const char* const kNames[] = {"consolas",       "monaco",      "menlo",   "courier", "courier new",
                                       "lucida console", "andale mono", "sf mono", "fixed",   "monospace"};
  std::string lower;
  for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (const char* known : kNames)
    if (lower == known) return true;
  return lower.find("mono") != std::string::npos || lower.find("code") != std::string::npos;
}

// The face fontconfig matches for a family, weight and slant. With
// installedOnly, false unless the match is of that very family (fontconfig
// otherwise answers with its nearest substitute).
bool MatchFace(const char* family, bool bold, bool italic, bool installedOnly, WINL_FontFace* out,
               std::string* matchedFamily) {
  s_fontconfigUsed = true;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;

  bool ok = true;
  FcChar8* text = nullptr;
  if (installedOnly) {
    ok = false;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &text) == FcResultMatch; ++i)
      if (strcasecmp(reinterpret_cast<const char*>(text), family) == 0) ok = true;
  }
  if (ok && FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch) {
    out->file = reinterpret_cast<const char*>(text);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) out->index = index;
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch) out->embolden = embolden;
    FcMatrix* matrix = nullptr;
    if (FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix) {
      out->shear = matrix->xx != 1 || matrix->xy != 0 || matrix->yx != 0 || matrix->yy != 1;
      out->matrix[0] = matrix->xx, out->matrix[1] = matrix->xy;
      out->matrix[2] = matrix->yx, out->matrix[3] = matrix->yy;
    }
    if (matchedFamily && FcPatternGetString(match, FC_FAMILY, 0, &text) == FcResultMatch)
      *matchedFamily = reinterpret_cast<const char*>(text);
  } else {
    ok = false;
  }
  FcPatternDestroy(match);
  return ok;
}

// Finds the face of a name, falling back when it is not installed.
WINL_FontFace LookUpFace(const std::string& family, bool bold, bool italic) {
  WINL_FontFace face;
  if (!family.empty() && MatchFace(family.c_str(), bold, italic, true, &face, nullptr)) return face;
  const bool typewriter = IsTypewriterName(family);
  std::string used;
  if (!MatchFace(typewriter ? kTypewriterFallback : kFallback, bold, italic, true, &face, &used) &&
      !MatchFace(typewriter ? "monospace" : "sans-serif", bold, italic, false, &face, &used)) {
    used.clear();
  }
  if (!family.empty()) {
    bool first = false;
    {
      KIT_MutexLock lock(&s_fontnamecache_mutex());
      if (!s_reportedFaces) s_reportedFaces = new std::set<std::string>;
      first = s_reportedFaces->insert(family).second;
    }
    std::string line = "FONTS: face \"" + family + "\" is not installed; ";
    line += used.empty() ? std::string("no face found") : "using \"" + used + "\"";
    if (first) WINL_FontLog(line.c_str());
  }
  return face;
}

}  // namespace

WINL_FontFace WINL_ResolveFace(const std::string& cacheKey, const char* family, bool bold, bool italic) {
  {
    KIT_MutexLock lock(&s_fontnamecache_mutex());
    if (s_fontnamecache) {
      auto found = s_fontnamecache->find(cacheKey);
      if (found != s_fontnamecache->end()) return found->second;
    }
  }
  // The look-up runs outside the lock; a thread that resolved the same name
  // meanwhile wins, and both callers use its answer (a copy, which stays
  // valid whatever the cache does later).
  const WINL_FontFace face = LookUpFace(family ? family : "", bold, italic);
  KIT_MutexLock lock(&s_fontnamecache_mutex());
  if (!s_fontnamecache) s_fontnamecache = new std::map<std::string, WINL_FontFace>;
  return s_fontnamecache->emplace(cacheKey, face).first->second;
}

void WINL_FontLog(const char* line) {
  void (*sink)(const char*) = s_fontLog.load();
  if (sink)
    sink(line);
  else
    std::fprintf(stderr, "%s\n", line);
}

void WINL_SetFontLog(void (*sink)(const char* line)) { s_fontLog.store(sink); }

void WINL_UnloadFontNameCache() {
  KIT_MutexLock lock(&s_fontnamecache_mutex());
  delete s_fontnamecache;
  s_fontnamecache = nullptr;
  delete s_reportedFaces;
  s_reportedFaces = nullptr;
  // fontconfig keeps its configuration until told to let it go.
  if (s_fontconfigUsed.exchange(false)) FcFini();
}

HGDIOBJ CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                   char underline, char strikeOut, char charSet, char outPrecision, char clipPrecision,
                   char quality, char pitchAndFamily, const char* face) {
  HGDIOBJ__* font = GDP_OBJECT_NEW();
  if (!font) return nullptr;
  font->type = WINL_OBJ_FONT;

  float size = static_cast<float>(std::fabs(static_cast<double>(height != 0 ? height : width)));
  if (size < 2 || size > 8192) size = 10;

  const std::string family = face ? std::string(face, strnlen(face, kMaxFaceName)) : std::string();
  std::string working = family;
  if (weight >= 700) working += " Bold";
  if (italic) working += " Italic";

  if (!working.empty()) {
    const WINL_FontFace resolved = WINL_ResolveFace(working, family.c_str(), weight >= 700, italic != 0);
    font->nativeFont = WINL_LoadNativeFont(resolved, size);
  }
  // An empty name, or a face that cannot be loaded: the default face.
  if (!font->nativeFont) font->nativeFont = WINL_LoadDefaultFace(size);

  const uint8_t code = static_cast<uint8_t>(quality);
  font->quality = code == 3 || code == 4 ? code : 0;
  return font;
}

HGDIOBJ CreateFontIndirect(const LOGFONT* font) {
  if (!font) return nullptr;
  char face[sizeof font->lfFaceName + 1];
  std::memcpy(face, font->lfFaceName, sizeof font->lfFaceName);
  face[sizeof font->lfFaceName] = 0;
  return CreateFont(font->lfHeight, font->lfWidth, 0, font->lfOrientation, font->lfWeight,
                    static_cast<char>(font->lfItalic), 0, 0, 0, 0, 0, static_cast<char>(font->lfQuality), 0,
                    face);
}
