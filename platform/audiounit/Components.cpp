#include "platform/audiounit/Components.h"

// One open instance. The magic number lets every call refuse a pointer that
// is not an instance of this layer.
struct ComponentInstanceRecord {
  uint32_t magic;
  ComponentRoutine entry;
  void* storage;
  ComponentDescription description;
  ComponentHostServices services;
};

static constexpr uint32_t kInstanceMagic = FourCharCode("CIns");

static bool isInstance(ComponentInstance instance) { return instance && instance->magic == kInstanceMagic; }

OSStatus OpenComponentInstance(ComponentRoutine entry, const ComponentDescription* description,
                               const ComponentHostServices* services, ComponentInstance* instance) {
  if (!instance) return paramErr;
  *instance = nullptr;
  if (!entry || !description) return paramErr;
  auto* record = new ComponentInstanceRecord{kInstanceMagic, entry, nullptr, *description, {}};
  if (services) record->services = *services;
  const ComponentResult status = ComponentCall(kComponentOpenSelect).Pointer(record).Call(record);
  if (status != noErr) {
    record->magic = 0;
    delete record;
    return status;
  }
  *instance = record;
  return noErr;
}

OSStatus CloseComponentInstance(ComponentInstance instance) {
  if (!isInstance(instance)) return paramErr;
  const ComponentResult status = ComponentCall(kComponentCloseSelect).Pointer(instance).Call(instance);
  instance->magic = 0;
  delete instance;
  return status;
}

ComponentResult CallComponentInstance(ComponentInstance instance, ComponentParameters* params) {
  if (!isInstance(instance) || !params) return paramErr;
  return instance->entry(params, instance->storage);
}

ComponentCall::ComponentCall(int16_t selector) { m_params.what = selector; }

ComponentCall& ComponentCall::Pointer(const void* value) {
  return Integer(static_cast<int64_t>(reinterpret_cast<uintptr_t>(value)));
}

ComponentCall& ComponentCall::Integer(int64_t value) {
  if (m_count < kComponentMaxArguments) m_arguments[m_count++] = static_cast<uintptr_t>(value);
  return *this;
}

ComponentCall& ComponentCall::Float32(float value) {
  uint32_t bits;
  memcpy(&bits, &value, sizeof bits);
  return Integer(bits);
}

ComponentParameters* ComponentCall::Params() {
  m_params.flags = 0;
  m_params.paramSize = static_cast<uint8_t>(m_count * sizeof(uintptr_t));
  for (int i = 0; i < kComponentMaxArguments; ++i)
    m_params.params[i] = i < m_count ? m_arguments[m_count - 1 - i] : 0;
  return &m_params;
}

ComponentResult ComponentCall::Call(ComponentInstance instance) {
  return CallComponentInstance(instance, Params());
}

int ComponentArgumentCount(const ComponentParameters* params) {
  if (!params || params->paramSize % sizeof(uintptr_t) != 0) return -1;
  const int count = params->paramSize / static_cast<int>(sizeof(uintptr_t));
  return count <= kComponentMaxArguments ? count : -1;
}

void* GetComponentInstanceStorage(ComponentInstance instance) {
  return isInstance(instance) ? instance->storage : nullptr;
}

void SetComponentInstanceStorage(ComponentInstance instance, void* storage) {
  if (isInstance(instance)) instance->storage = storage;
}

OSErr GetComponentInfo(Component component, ComponentDescription* description) {
  if (!isInstance(component) || !description) return static_cast<OSErr>(paramErr);
  *description = component->description;
  return noErr;
}

const ComponentHostServices* GetComponentHostServices(ComponentInstance instance) {
  return isInstance(instance) ? &instance->services : nullptr;
}
