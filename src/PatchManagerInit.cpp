// The start-up snapshot: the owner's short state form.
#include "KIT/IModule/IModuleStructs.h"
#include "src/EditorServices.h"
#include "src/PatchManager.h"

void PatchManager::init() {
  if (!owner) return;
  ByteChunk state;
  owner->SerializeState2(&state, false);
  snapshot.Resize(0);
  snapshot.Resize(state.Size());
  if (state.Size() > 0 && snapshot.GetSize() == state.Size())
    std::copy(state.GetData(), state.GetData() + state.Size(), static_cast<uint8_t*>(snapshot.Get()));
}
