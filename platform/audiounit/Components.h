// The component layer: how a host opens a component through its exported
// entry and how every call reaches that entry.
//
// A component instance is a record made by the host's copy of this layer and
// handed to the component; the component keeps its own object in the
// record's storage. Calls carry their arguments in a ComponentParameters
// block: the selector, then one pointer-sized slot per argument in reverse
// order (the last argument in slot 0). By this layer's convention the first
// argument of every selector is the instance itself. Services that only the host can give (the description
// the component is registered under, parameter event notices) are procedures the host attaches to the record.
#pragma once

#include <cstring>

#include "platform/audiounit/AUTypes.h"

enum { kComponentMaxArguments = 8 };

struct ComponentParameters {
  uint8_t flags;      // 0
  uint8_t paramSize;  // bytes of argument slots in use
  int16_t what;       // the selector
  uintptr_t params[kComponentMaxArguments];
};

typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, void* storage);

// What the host gives every instance it opens (copied into the record).
struct ComponentHostServices {
  void* hostData;
  // Receives each event a unit sends with AUEventListenerNotify; may be null.
  void (*eventNotify)(void* hostData, const AudioUnitEvent* event);
};

// ---------------------------------------------------------------- HOST SIDE
// Makes an instance of the component behind entry registered under
// description, and calls its open selector. On success *instance receives it
// and noErr is returned; otherwise the record is freed, *instance is null
// and the open selector's status (or paramErr for null arguments) returned.
OSStatus OpenComponentInstance(ComponentRoutine entry, const ComponentDescription* description,
                               const ComponentHostServices* services, ComponentInstance* instance);
// Calls the close selector and frees the record; returns the close status.
// A null instance gives paramErr.
OSStatus CloseComponentInstance(ComponentInstance instance);
// Calls the instance's entry with a parameter block (its storage as second
// argument). paramErr for a null or foreign instance.
ComponentResult CallComponentInstance(ComponentInstance instance, ComponentParameters* params);

// Builds a parameter block argument by argument, in natural order.
class ComponentCall {
 public:
  explicit ComponentCall(int16_t selector);
  ComponentCall& Pointer(const void* value);
  ComponentCall& Integer(int64_t value);  // any integer argument, widened
  ComponentCall& Float32(float value);    // a float argument, bits in the slot's low half
  // Calls the instance with the arguments so far.
  ComponentResult Call(ComponentInstance instance);
  // The block as built (arguments reversed into the slots).
  ComponentParameters* Params();

 private:
  uintptr_t m_arguments[kComponentMaxArguments] = {};
  int m_count = 0;
  ComponentParameters m_params{};
};

// ---------------------------------------------------------------- COMPONENT SIDE
// Number of arguments a block carries, or -1 when its size is not a whole
// number of slots within the slot array.
int ComponentArgumentCount(const ComponentParameters* params);
// Argument number index (0 = first) of a block known to carry count of them.
inline uintptr_t ComponentArgument(const ComponentParameters* params, int count, int index) {
  return params->params[count - 1 - index];
}
template <class T>
inline T ComponentPointerArgument(const ComponentParameters* p, int count, int index) {
  return reinterpret_cast<T>(ComponentArgument(p, count, index));
}
inline uint32_t ComponentUInt32Argument(const ComponentParameters* p, int count, int index) {
  return static_cast<uint32_t>(ComponentArgument(p, count, index));
}
inline int32_t ComponentInt32Argument(const ComponentParameters* p, int count, int index) {
  return static_cast<int32_t>(static_cast<uint32_t>(ComponentArgument(p, count, index)));
}
inline float ComponentFloat32Argument(const ComponentParameters* p, int count, int index) {
  const uint32_t bits = ComponentUInt32Argument(p, count, index);
  float value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

// The storage kept with an instance (null for a null or foreign instance).
void* GetComponentInstanceStorage(ComponentInstance instance);
void SetComponentInstanceStorage(ComponentInstance instance, void* storage);
// Writes the description the instance was registered under; paramErr for a
// null or foreign instance or a null description.
OSErr GetComponentInfo(Component component, ComponentDescription* description);
// The host's services of an instance (null for a null or foreign instance).
const ComponentHostServices* GetComponentHostServices(ComponentInstance instance);
