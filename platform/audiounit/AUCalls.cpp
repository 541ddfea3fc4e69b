#include "platform/audiounit/AUCalls.h"

namespace {
// A call on a unit: the selector, then the unit as first argument.
ComponentCall on(AudioUnit unit, int16_t selector) {
  ComponentCall call(selector);
  call.Pointer(unit);
  return call;
}
}  // namespace

OSStatus AudioUnitInitialize(AudioUnit unit) { return on(unit, kAudioUnitInitializeSelect).Call(unit); }

OSStatus AudioUnitUninitialize(AudioUnit unit) { return on(unit, kAudioUnitUninitializeSelect).Call(unit); }

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element) {
  return on(unit, kAudioUnitResetSelect).Integer(scope).Integer(element).Call(unit);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, uint32_t* dataSize, Boolean* writable) {
  return on(unit, kAudioUnitGetPropertyInfoSelect)
      .Integer(id)
      .Integer(scope)
      .Integer(element)
      .Pointer(dataSize)
      .Pointer(writable)
      .Call(unit);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* data, uint32_t* dataSize) {
  return on(unit, kAudioUnitGetPropertySelect)
      .Integer(id)
      .Integer(scope)
      .Integer(element)
      .Pointer(data)
      .Pointer(dataSize)
      .Call(unit);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* data, uint32_t dataSize) {
  return on(unit, kAudioUnitSetPropertySelect)
      .Integer(id)
      .Integer(scope)
      .Integer(element)
      .Pointer(data)
      .Integer(dataSize)
      .Call(unit);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* value) {
  return on(unit, kAudioUnitGetParameterSelect)
      .Integer(id)
      .Integer(scope)
      .Integer(element)
      .Pointer(value)
      .Call(unit);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               uint32_t bufferOffset) {
  return on(unit, kAudioUnitSetParameterSelect)
      .Integer(id)
      .Integer(scope)
      .Integer(element)
      .Float32(value)
      .Integer(bufferOffset)
      .Call(unit);
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, uint32_t count) {
  return on(unit, kAudioUnitScheduleParametersSelect).Pointer(events).Integer(count).Call(unit);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                      AudioUnitPropertyListenerProc proc, void* refCon) {
  return on(unit, kAudioUnitAddPropertyListenerSelect)
      .Integer(id)
      .Pointer(reinterpret_cast<const void*>(proc))
      .Pointer(refCon)
      .Call(unit);
}

OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                         AudioUnitPropertyListenerProc proc) {
  return on(unit, kAudioUnitRemovePropertyListenerSelect)
      .Integer(id)
      .Pointer(reinterpret_cast<const void*>(proc))
      .Call(unit);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* refCon) {
  return on(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect)
      .Integer(id)
      .Pointer(reinterpret_cast<const void*>(proc))
      .Pointer(refCon)
      .Call(unit);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
  return on(unit, kAudioUnitAddRenderNotifySelect)
      .Pointer(reinterpret_cast<const void*>(proc))
      .Pointer(refCon)
      .Call(unit);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon) {
  return on(unit, kAudioUnitRemoveRenderNotifySelect)
      .Pointer(reinterpret_cast<const void*>(proc))
      .Pointer(refCon)
      .Call(unit);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* actionFlags,
                         const AudioTimeStamp* timeStamp, uint32_t outputBus, uint32_t frames,
                         AudioBufferList* data) {
  return on(unit, kAudioUnitRenderSelect)
      .Pointer(actionFlags)
      .Pointer(timeStamp)
      .Integer(outputBus)
      .Integer(frames)
      .Pointer(data)
      .Call(unit);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, uint32_t status, uint32_t data1, uint32_t data2,
                              uint32_t offsetSampleFrame) {
  return on(unit, kMusicDeviceMIDIEventSelect)
      .Integer(status)
      .Integer(data1)
      .Integer(data2)
      .Integer(offsetSampleFrame)
      .Call(unit);
}

OSStatus MusicDeviceSysEx(AudioUnit unit, const uint8_t* data, uint32_t length) {
  return on(unit, kMusicDeviceSysExSelect).Pointer(data).Integer(length).Call(unit);
}

OSStatus MusicDevicePrepareInstrument(AudioUnit unit, MusicDeviceInstrumentID instrument) {
  return on(unit, kMusicDevicePrepareInstrumentSelect).Integer(instrument).Call(unit);
}

OSStatus MusicDeviceReleaseInstrument(AudioUnit unit, MusicDeviceInstrumentID instrument) {
  return on(unit, kMusicDeviceReleaseInstrumentSelect).Integer(instrument).Call(unit);
}

OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument, MusicDeviceGroupID group,
                              NoteInstanceID* noteInstance, uint32_t offsetSampleFrame,
                              const MusicDeviceNoteParams* params) {
  return on(unit, kMusicDeviceStartNoteSelect)
      .Integer(instrument)
      .Integer(group)
      .Pointer(noteInstance)
      .Integer(offsetSampleFrame)
      .Pointer(params)
      .Call(unit);
}

OSStatus MusicDeviceStopNote(AudioUnit unit, MusicDeviceGroupID group, NoteInstanceID noteInstance,
                             uint32_t offsetSampleFrame) {
  return on(unit, kMusicDeviceStopNoteSelect)
      .Integer(group)
      .Integer(noteInstance)
      .Integer(offsetSampleFrame)
      .Call(unit);
}

ComponentResult CallComponentCanDo(ComponentInstance instance, int16_t selector) {
  return on(instance, kComponentCanDoSelect).Integer(selector).Call(instance);
}

ComponentResult CallComponentVersion(ComponentInstance instance) {
  return on(instance, kComponentVersionSelect).Call(instance);
}

OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView view, AudioUnit unit, WindowRef window,
                                   ControlRef parentControl, const Float32Point* location,
                                   const Float32Point* size, ControlRef* outControl) {
  return on(view, kAudioUnitCarbonViewCreateSelect)
      .Pointer(unit)
      .Pointer(window)
      .Pointer(parentControl)
      .Pointer(location)
      .Pointer(size)
      .Pointer(outControl)
      .Call(view);
}

OSStatus AUEventListenerNotify(AUEventListenerRef, void*, const AudioUnitEvent* event) {
  if (!event) return paramErr;
  const ComponentHostServices* services = GetComponentHostServices(event->mArgument.mParameter.mAudioUnit);
  if (!services) return paramErr;
  if (services->eventNotify) services->eventNotify(services->hostData, event);
  return noErr;
}
