// Presets: filling, restoring and rewriting them, the chunk that carries the
// whole list, two text dumps, and program ("fxp") and bank ("fxb") files.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/base64encdec.h"
#include "KIT/regularfile.h"

// ---- Big-endian file images -----------------------------------------------------------

struct IModuleBase::FileImage {
  std::vector<uint8_t> bytes;

  void Magic(const char* fourBytes) { bytes.insert(bytes.end(), fourBytes, fourBytes + 4); }
  void U32(uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  void Float(float f) {
    uint32_t v;
    memcpy(&v, &f, 4);
    U32(v);
  }
  // A zero-filled field holding at most size - 1 characters of text.
  void Text(const char* text, int size) {
    if (!text) text = "";
    const size_t n = strnlen(text, static_cast<size_t>(size - 1));
    bytes.insert(bytes.end(), text, text + n);
    bytes.insert(bytes.end(), static_cast<size_t>(size) - n, 0);
  }
  void Bytes(const uint8_t* data, int size) {
    if (data && size > 0) bytes.insert(bytes.end(), data, data + size);
  }
};

namespace {

// Marks a parameter that MakePresetFromNamedParams was not given.
constexpr double kUnsetMarker = 9.999e-08;
// Program and preset files larger than this are refused unread.
constexpr long kMaxFileSize = 64L * 1024 * 1024;

// File layout (all integers big-endian).
constexpr int kProgramHeaderSize = 56;  // up to the parameter values or the state size
constexpr int kProgramStateStart = 60;
constexpr int kBankHeaderSize = 156;  // up to the program blocks or the bank size
constexpr int kBankStateStart = 160;
constexpr int kFileNameFieldSize = 28;
constexpr int32_t kVersionMagic = 0x70666674;  // reads "tffp" in a little-endian chunk
constexpr int32_t kVersionOfChunks = 0x00010000;

// Readers of a file image; the caller has checked that the bytes are there.
uint32_t U32At(const ByteChunk* file, int pos) {
  const uint8_t* b = file->GetData() + pos;
  return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
         static_cast<uint32_t>(b[2]) << 8 | b[3];
}
float FloatAt(const ByteChunk* file, int pos) {
  const uint32_t v = U32At(file, pos);
  float f;
  memcpy(&f, &v, 4);
  return f;
}
bool MagicAt(const ByteChunk* file, int pos, const char* fourBytes) {
  return pos >= 0 && pos + 4 <= file->Size() && memcmp(file->GetData() + pos, fourBytes, 4) == 0;
}
std::string NameAt(const ByteChunk* file, int pos) {
  const char* text = reinterpret_cast<const char*>(file->GetData() + pos);
  return std::string(text, strnlen(text, kFileNameFieldSize));
}

// Writes the image beside the target and moves it into place only when every
// byte was written, so a failed write never damages an existing file.
bool WriteFileSafely(const char* path, const std::vector<uint8_t>& bytes) {
  const std::string part = std::string(path) + ".part-" + std::to_string(getpid());
  const int fd = open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const bool written = done == bytes.size();
  if (close(fd) != 0 || !written || rename(part.c_str(), path) != 0) {
    unlink(part.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const char* path, ByteChunk* out) {
  FILE* f = KIT_FOpenRegularFile(path, "rb");  // a pipe is never waited on
  if (!f) return false;
  bool ok = fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? ftell(f) : -1;
  ok = ok && size >= 0 && size <= kMaxFileSize && fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    out->Clear();
    out->Resize(static_cast<int>(size));
    ok = out->Size() == size &&
         (size == 0 || fread(out->GetData(), 1, static_cast<size_t>(size), f) == static_cast<size_t>(size));
  }
  fclose(f);
  return ok;
}

}  // namespace

// ---- Filling presets -------------------------------------------------------------------

IPreset* IModuleBase::GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets) {
  for (int i = 0; presets && i < presets->GetSize(); ++i)
    if (!presets->Get(i)->mInitialized) return presets->Get(i);
  return nullptr;
}

void IModuleBase::MakeDefaultPreset(const char* name, int count) {
  for (int i = 0; i < count; ++i) {
    IPreset* preset = GetNextUninitializedPreset(&mPresets);
    if (!preset) return;
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
    SerializeState(&preset->mChunk);
  }
}

void IModuleBase::MakePreset(const char* name, ...) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  preset->mInitialized = true;
  preset->SetName(name);
  va_list values;
  va_start(values, name);
  for (int i = 0; i < NAutomatedParams(); ++i) {
    const int kind = GetParam(i)->Type();
    const bool isInt = kind == IParam::kTypeBool || kind == IParam::kTypeInt || kind == IParam::kTypeEnum;
    preset->mChunk.PutDouble(isInt ? static_cast<double>(va_arg(values, int)) : va_arg(values, double));
  }
  va_end(values);
}

void IModuleBase::MakePresetFromNamedParams(const char* name, int nPairs, ...) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  preset->mInitialized = true;
  preset->SetName(name);
  const int n = NAutomatedParams();
  std::vector<double> values(static_cast<size_t>(n), kUnsetMarker);
  va_list pairs;
  va_start(pairs, nPairs);
  for (int k = 0; k < nPairs; ++k) {
    const int index = va_arg(pairs, int);
    if (index < 0 || index >= n) break;  // the value's type is unknown: nothing further can be read
    const int kind = GetParam(index)->Type();
    const bool isInt = kind == IParam::kTypeBool || kind == IParam::kTypeInt || kind == IParam::kTypeEnum;
    values[static_cast<size_t>(index)] =
        isInt ? static_cast<double>(va_arg(pairs, int)) : va_arg(pairs, double);
  }
  va_end(pairs);
  for (int i = 0; i < n; ++i) {
    const double v = values[static_cast<size_t>(i)];
    preset->mChunk.PutDouble(v == kUnsetMarker ? GetParam(i)->Value() : v);
  }
}

void IModuleBase::MakePresetFromChunk(const char* name, const ByteChunk* chunk) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.PutChunk(chunk);
}

void IModuleBase::MakePresetFromBlob(const char* name, const char* blob, int size) {
  ByteChunk decoded;
  decoded.Resize(std::max(size, 0));
  if (decoded.Size() > 0) KIT_Base64DecodeInto(blob, decoded.GetData(), decoded.Size());
  MakePresetFromChunk(name, &decoded);
}

void IModuleBase::MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* name) {
  if (!name) return;
  int count = 0;
  for (int i = 0; presets && i < presets->GetSize(); ++i)
    if (strstr(presets->Get(i)->mName, "user preset")) ++count;
  snprintf(name, IPreset::kNameSize, "%s %d", "user preset", count + 1);
}

void IModuleBase::EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }

void IModuleBase::PruneUninitializedPresets() {
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

// ---- Restoring and rewriting ----------------------------------------------------------------

bool IModuleBase::RestorePreset(int index) {
  IPreset* preset = mPresets.Get(index);
  if (!preset) return false;
  if (preset->mInitialized) {
    if (UnserializeState(&preset->mChunk, 0) < 1) return false;
  } else {
    preset->mInitialized = true;
    MakeDefaultUserPresetName(&mPresets, preset->mName);
    if (!SerializeState(&preset->mChunk)) return false;
  }
  mCurrentPresetIdx = index;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IModuleBase::RestorePreset(const char* name) {
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IModuleBase::GetPresetName(int index) const {
  const IPreset* preset = mPresets.Get(index);
  return preset ? preset->mName : "";
}

void IModuleBase::ModifyCurrentPreset(const char* name) {
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SerializeState(&preset->mChunk);
  if (name && name[0]) preset->SetName(name);
}

// ---- The preset list chunk ------------------------------------------------------------------

bool IModuleBase::SerializePresets(ByteChunk* chunk) {
  if (!chunk) return false;
  bool ok = true;
  for (int i = 0; i < NPresets() && ok; ++i) {
    const IPreset* preset = mPresets.Get(i);
    chunk->PutStr(preset->mName);
    chunk->PutBool(preset->mInitialized);
    if (preset->mInitialized) {
      chunk->PutChunk(&preset->mChunk);
      ok = chunk->Size() > 0;
    }
  }
  return ok;
}

int IModuleBase::UnserializePresets(ByteChunk* chunk, int startPos) {
  int pos = startPos;
  if (chunk && pos >= 0) {
    // A preset whose name cannot be read takes the name read before it.
    std::string name;
    for (int i = 0; i < NPresets(); ++i) {
      IPreset* preset = mPresets.Get(i);
      int32_t length = 0;
      if (chunk->GetInt32(&length, pos) < 0 || length < 0 ||
          static_cast<int64_t>(pos) + 4 + length > chunk->Size()) {
        pos = -1;
      } else {
        name.assign(
            reinterpret_cast<const char*>(chunk->GetData() + pos + 4),
            strnlen(reinterpret_cast<const char*>(chunk->GetData() + pos + 4), static_cast<size_t>(length)));
        pos += 4 + length;
      }
      preset->SetName(name.c_str());

      bool initialized = preset->mInitialized;
      pos = pos >= 0 ? chunk->GetBool(&initialized, pos) : -1;
      if (pos >= 0) preset->mInitialized = initialized;

      if (pos >= 0 && preset->mInitialized) {
        pos = UnserializeState(chunk, pos);
        if (pos > 0) {
          preset->mChunk.Clear();
          SerializeState(&preset->mChunk);
        }
      }
      if (pos < 0) break;
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

// ---- Text dumps -------------------------------------------------------------------------------

void IModuleBase::DumpPresetSrcCode(const char* path, const char* const* paramNames) {
  FILE* f = path ? KIT_FOpenRegularFile(path, "w") : nullptr;
  if (!f) return;
  fprintf(f, "  MakePresetFromNamedParams(\"name\", %d", NAutomatedParams());
  for (int i = 0; i < NAutomatedParams(); ++i) {
    const IParam* param = GetParam(i);
    char value[32];
    switch (param->Type()) {
      case IParam::kTypeInt:
      case IParam::kTypeEnum:
        snprintf(value, sizeof(value), "%d", param->Int());
        break;
      case IParam::kTypeBool:
        snprintf(value, sizeof(value), "%s", param->Value() >= 0.5 ? "true" : "false");
        break;
      default:
        snprintf(value, sizeof(value), "%.6f", param->Value());
        break;
    }
    const char* paramName = paramNames && paramNames[i] ? paramNames[i] : "";
    fprintf(f, ",\n    %s, %s", paramName, value);
  }
  fprintf(f, ");\n");
  fclose(f);
}

void IModuleBase::DumpPresetBlob(const char* path) {
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  FILE* f = preset && path ? KIT_FOpenRegularFile(path, "w") : nullptr;
  if (!f) return;
  const std::string text =
      KIT_Base64Encode(preset->mChunk.GetData(), static_cast<size_t>(std::max(preset->mChunk.Size(), 0)));
  fprintf(f, "MakePresetFromBlob(\"name\", \"");
  fprintf(f, "%s\", %i);\n", text.c_str(), preset->mChunk.Size());
  fclose(f);
}

// ---- Version header ----------------------------------------------------------------------------

void IModuleBase::InitChunkWithIModuleVer(ByteChunk* chunk) {
  if (!chunk) return;
  chunk->Clear();
  chunk->PutInt32(kVersionMagic);
  chunk->PutInt32(kVersionOfChunks);
}

int IModuleBase::GetIModuleVerFromChunk(ByteChunk* chunk, int& position) {
  int32_t magic = 0;
  if (!chunk || chunk->GetInt32(&magic, position) < 0 || magic != kVersionMagic) return 0;
  int32_t version = 0;
  position = chunk->GetInt32(&version, position + 4);
  return position < 0 ? 0 : version;
}

// ---- Program and bank files ----------------------------------------------------------------------

bool IModuleBase::AskForFile(KIT_String* path, bool save, const char* defaultFileName,
                             const char* extension) {
  if (!mGraphics) return false;
  path->Set(defaultFileName);
  mGraphics->PromptForFile(path, save ? IGraphics::kFileSave : IGraphics::kFileOpen, &mPreviousPath,
                           extension);
  return path->GetLength() > 0;
}

// The first 56 bytes of a program file, and of each program of a bank in
// the parameter form.
void IModuleBase::AppendProgramHeader(FileImage* image, const char* form, uint32_t byteSize,
                                      const char* name) {
  image->Magic("CcnK");
  image->U32(byteSize);
  image->Magic(form);
  image->U32(1);
  image->U32(static_cast<uint32_t>(mUniqueID));
  image->U32(static_cast<uint32_t>(GetEffectVersion(true)));
  image->U32(static_cast<uint32_t>(NAutomatedParams()));
  image->Text(name, kFileNameFieldSize);
}

bool IModuleBase::SaveProgramAsFXP(const char* defaultFileName) {
  KIT_String path;
  if (!AskForFile(&path, true, defaultFileName, "fxp")) return false;

  const int n = NAutomatedParams();
  FileImage image;
  ByteChunk state;
  if (mDoesChunks) {
    InitChunkWithIModuleVer(&state);
    if (!SerializeState(&state)) return false;
  }
  AppendProgramHeader(&image, mDoesChunks ? "FPCh" : "FxCk",
                      mDoesChunks ? static_cast<uint32_t>(state.Size()) + 60 : 0,
                      GetPresetName(mCurrentPresetIdx));
  if (mDoesChunks) {
    image.U32(static_cast<uint32_t>(state.Size()));
    image.Bytes(state.GetData(), state.Size());
  } else {
    for (int i = 0; i < n; ++i) image.Float(static_cast<float>(GetParam(i)->GetNormalized()));
  }
  return WriteFileSafely(path.Get(), image.bytes);
}

bool IModuleBase::SaveBankAsFXB(const char* defaultFileName) {
  KIT_String path;
  if (!AskForFile(&path, true, defaultFileName, "fxb")) return false;

  const int n = NAutomatedParams();
  FileImage image;
  ByteChunk bank;
  if (mDoesChunks) {
    InitChunkWithIModuleVer(&bank);
    if (!SerializePresets(&bank)) return false;
  }
  image.Magic("CcnK");
  image.U32(mDoesChunks ? static_cast<uint32_t>(bank.Size()) + 160 : 0);
  image.Magic(mDoesChunks ? "FBCh" : "FxBk");
  image.U32(2);
  image.U32(static_cast<uint32_t>(mUniqueID));
  image.U32(static_cast<uint32_t>(GetEffectVersion(true)));
  image.U32(static_cast<uint32_t>(NPresets()));
  image.U32(static_cast<uint32_t>(mCurrentPresetIdx));
  image.bytes.insert(image.bytes.end(), 124, 0);
  if (mDoesChunks) {
    image.U32(static_cast<uint32_t>(bank.Size()));
    image.Bytes(bank.GetData(), bank.Size());
  } else {
    for (int p = 0; p < NPresets(); ++p) {
      const IPreset* preset = mPresets.Get(p);
      AppendProgramHeader(&image, "FxCk", 0, preset->mName);
      for (int j = 0; j < n; ++j) {
        double value = 0.0;  // once the snapshot is exhausted
        preset->mChunk.GetDouble(&value, 8 * j);
        image.Float(static_cast<float>(GetParam(j)->GetNormalized(value)));
      }
    }
  }
  return WriteFileSafely(path.Get(), image.bytes);
}

bool IModuleBase::LoadProgramFromFXP() {
  KIT_String path;
  ByteChunk file;
  if (!AskForFile(&path, false, "", "fxp") || !ReadWholeFile(path.Get(), &file)) return false;
  return ReadProgram(&file);
}

bool IModuleBase::LoadBankFromFXB() {
  KIT_String path;
  ByteChunk file;
  if (!AskForFile(&path, false, "", "fxb") || !ReadWholeFile(path.Get(), &file)) return false;
  return ReadBank(&file);
}

// Every field is checked against the file's length before it is read, and
// the whole file is checked before anything changes; a state that fails to
// read puts the state from before back.
bool IModuleBase::ReadProgram(ByteChunk* file) {
  const int n = NAutomatedParams();
  if (file->Size() < kProgramHeaderSize || !MagicAt(file, 0, "CcnK") || U32At(file, 12) != 1 ||
      U32At(file, 16) != static_cast<uint32_t>(mUniqueID) || U32At(file, 24) != static_cast<uint32_t>(n))
    return false;
  const std::string name = NameAt(file, 28);

  if (MagicAt(file, 8, "FPCh") && mDoesChunks) {
    if (file->Size() < kProgramStateStart ||
        U32At(file, 56) > static_cast<uint32_t>(file->Size() - kProgramStateStart))
      return false;
    int pos = kProgramStateStart;
    if (MagicAt(file, pos, "tffp")) pos += 8;
    ByteChunk before;
    SerializeState(&before);
    if (UnserializeState(file, pos) < 1) {
      UnserializeState(&before, 0);
      return false;
    }
    ModifyCurrentPreset(name.c_str());
    InformHostOfProgramChange();
    return true;
  }
  if (MagicAt(file, 8, "FxCk")) {
    if (file->Size() - kProgramHeaderSize < 4 * static_cast<int64_t>(n)) return false;
    for (int i = 0; i < n; ++i)
      if (!std::isfinite(FloatAt(file, kProgramHeaderSize + 4 * i))) return false;
    for (int i = 0; i < n; ++i) GetParam(i)->SetNormalized(FloatAt(file, kProgramHeaderSize + 4 * i));
    ModifyCurrentPreset(name.c_str());
    RestorePreset(mCurrentPresetIdx);
    InformHostOfProgramChange();
    return true;
  }
  return false;
}

bool IModuleBase::ReadBank(ByteChunk* file) {
  const int n = NAutomatedParams();
  if (file->Size() < kBankHeaderSize || !MagicAt(file, 0, "CcnK") ||
      U32At(file, 16) != static_cast<uint32_t>(mUniqueID))
    return false;

  if (MagicAt(file, 8, "FBCh") && mDoesChunks) {
    if (file->Size() < kBankStateStart ||
        U32At(file, 156) > static_cast<uint32_t>(file->Size() - kBankStateStart))
      return false;
    int pos = kBankStateStart;
    if (MagicAt(file, pos, "tffp")) pos += 8;
    ByteChunk presetsBefore, stateBefore;
    SerializePresets(&presetsBefore);
    SerializeState(&stateBefore);
    if (UnserializePresets(file, pos) < 0) {
      UnserializePresets(&presetsBefore, 0);
      UnserializeState(&stateBefore, 0);
      return false;
    }
    InformHostOfProgramChange();
    return true;
  }
  if (MagicAt(file, 8, "FxBk")) {
    const int32_t nPrograms = static_cast<int32_t>(U32At(file, 24));
    const int32_t currentProgram = static_cast<int32_t>(U32At(file, 28));
    const int64_t blockSize = kProgramHeaderSize + 4 * static_cast<int64_t>(n);
    if (nPrograms < 0 || kBankHeaderSize + nPrograms * blockSize > file->Size()) return false;
    for (int p = 0; p < nPrograms; ++p) {
      const int block = static_cast<int>(kBankHeaderSize + p * blockSize);
      if (!MagicAt(file, block, "CcnK") || !MagicAt(file, block + 8, "FxCk") ||
          U32At(file, block + 12) != 1 || U32At(file, block + 24) != static_cast<uint32_t>(n))
        return false;
      for (int i = 0; i < n; ++i)
        if (!std::isfinite(FloatAt(file, block + kProgramHeaderSize + 4 * i))) return false;
    }
    // Blocks beyond the preset list have no preset of their own; applying
    // them would overwrite the last preset restored.
    for (int p = 0; p < std::min(static_cast<int>(nPrograms), NPresets()); ++p) {
      const int block = static_cast<int>(kBankHeaderSize + p * blockSize);
      RestorePreset(p);
      for (int i = 0; i < n; ++i)
        GetParam(i)->SetNormalized(FloatAt(file, block + kProgramHeaderSize + 4 * i));
      ModifyCurrentPreset(NameAt(file, block + 28).c_str());
    }
    RestorePreset(currentProgram);
    InformHostOfProgramChange();
    return true;
  }
  return false;
}
