// The calls a host makes on an Audio Unit (and a unit on an upstream unit):
// each packs its arguments, the instance first, into a parameter block and
// calls the instance's entry with the matching selector. Results are the
// unit's statuses.
#pragma once

#include "platform/audiounit/Components.h"

OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, uint32_t* dataSize, Boolean* writable);
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* data, uint32_t* dataSize);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* data, uint32_t dataSize);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* value);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               uint32_t bufferOffset);
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, uint32_t count);
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                      AudioUnitPropertyListenerProc proc, void* refCon);
OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                         AudioUnitPropertyListenerProc proc);
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* refCon);
OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* actionFlags,
                         const AudioTimeStamp* timeStamp, uint32_t outputBus, uint32_t frames,
                         AudioBufferList* data);

OSStatus MusicDeviceMIDIEvent(AudioUnit unit, uint32_t status, uint32_t data1, uint32_t data2,
                              uint32_t offsetSampleFrame);
OSStatus MusicDeviceSysEx(AudioUnit unit, const uint8_t* data, uint32_t length);
OSStatus MusicDevicePrepareInstrument(AudioUnit unit, MusicDeviceInstrumentID instrument);
OSStatus MusicDeviceReleaseInstrument(AudioUnit unit, MusicDeviceInstrumentID instrument);
OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument, MusicDeviceGroupID group,
                              NoteInstanceID* noteInstance, uint32_t offsetSampleFrame,
                              const MusicDeviceNoteParams* params);
OSStatus MusicDeviceStopNote(AudioUnit unit, MusicDeviceGroupID group, NoteInstanceID noteInstance,
                             uint32_t offsetSampleFrame);

// The component selectors every component answers.
ComponentResult CallComponentCanDo(ComponentInstance instance, int16_t selector);
ComponentResult CallComponentVersion(ComponentInstance instance);

// The view component's create call: opens the unit's editor inside the host's
// window and parent control; *outControl receives the control holding it.
OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView view, AudioUnit unit, WindowRef window,
                                   ControlRef parentControl, const Float32Point* location,
                                   const Float32Point* size, ControlRef* outControl);

// Hands a parameter event to the host of the event's unit (through the
// services it attached). The sender and object are not used. paramErr when
// the event is null or its unit is not an instance of this layer.
OSStatus AUEventListenerNotify(AUEventListenerRef sendingListener, void* sendingObject,
                               const AudioUnitEvent* event);
