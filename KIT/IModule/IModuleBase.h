// The plug-in object seen apart from the host interface: identity, the flat
// parameter list, presets, channel layout and the buffers of the current
// audio block, the external MIDI ports, what is known of the host, the
// attached GUI and the plug-in's recursive lock.
//
// Construction has two phases: the constructor sets identity numbers and
// flags and creates nothing; initialize (called once by the derived class's
// constructor) creates the parameters and presets and parses the channel
// layout. The host binding derives from this class and fills the operations
// left open (pure virtual) here; the plug-in class derives from the binding.
//
// Contents, in reading order:
//   CONSTRUCTION AND IDENTITY          IModuleBase.cpp
//   HOOKS (virtual, in slot order)     IModuleBase.cpp
//   CHANNELS AND BUFFERS               IModuleBase.cpp
//   PARAMETER CHANGES AND CHUNKS       IModuleBaseParams.cpp
//   PRESETS, PROGRAM AND BANK FILES    IModuleBasePresets.cpp
//   EXTERNAL MIDI PORTS                IModuleBaseMidi.cpp
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KIT/IModule/Hosts.h"
#include "KIT/IModule/IMidiInQueue.h"
#include "KIT/IModule/IMidiOutPacer.h"
#include "KIT/IModule/IModuleStructs.h"
#include "KIT/IModule/IParam.h"
#include "KIT/heapbuf.h"
#include "KIT/kitstring.h"
#include "KIT/mutex.h"
#include "KIT/ptrlist.h"

class IGraphics;
class IMidiPortWatch;
class MIDIInClient;
class MIDIOutClient;

// What the external MIDI ports tell the plug-in of their own accord
// (OnExternalMIDIPortEvent).
enum EMidiPortEvent {
  kMidiServerGone = 0,  // the MIDI server went away: both ports are dead
  kMidiInPortGone,      // the port the input was connected to disappeared (detail: its name)
  kMidiOutPortGone,     // the same for the output
  kMidiInDropped,       // incoming messages were dropped (detail: how many)
  kMidiOutDropped,      // outgoing messages could not be sent (detail: how many)
};

// The host interface a plug-in object is built for.
enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIRTAS = 3, kAPIAAX = 4, kAPISA = 5 };

// One preset: a named snapshot of the plug-in's state.
struct IPreset {
  static constexpr int kNameSize = 256;  // at most 255 characters

  bool mInitialized = false;
  char mName[kNameSize] = "empty";
  ByteChunk mChunk;  // what SerializeState wrote, or parameter values

  void SetName(const char* name);  // cut to 255 characters; null reads as ""
};

class IModuleBase {
 public:
  // One legal channel layout of the "%d-%d" layout list.
  struct ChannelIO {
    int mIn = 0;
    int mOut = 0;
  };
  struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;  // this channel's slot in the input data
    KIT_TypedBuf<double> mScratchBuf{4096};
    KIT_String mLabel;
  };
  struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;  // this channel's slot in the output data
    float* mFDest = nullptr;   // single-precision destination of this block
    KIT_TypedBuf<double> mScratchBuf{4096};
    KIT_String mLabel;
  };

  // ==== CONSTRUCTION AND IDENTITY ===========================================

  // Stores identity numbers, version, API, latency and the two flags; sets
  // host -1, sample rate 44100, block size 0. Creates no parameter, preset or
  // channel: the count, the channel layout list, the preset count, the
  // names and the MIDI flag wait for initialize.
  IModuleBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int32_t vendorVersion, int32_t uniqueID,
              int32_t mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
              EAPI plugAPI);
  IModuleBase(const IModuleBase&) = delete;
  IModuleBase& operator=(const IModuleBase&) = delete;
  // Stops the MIDI input first (so no callback reaches a half-destroyed
  // object), then deletes the GUI, parameters, presets, channels, labels and
  // the MIDI output.
  virtual ~IModuleBase();

  // The second phase, called once: non-automated count = count - first;
  // creates count parameters (kind none) and nPresets presets named "empty";
  // copies the names (127 characters each); parses the channel layout list
  // ("%d-%d" pairs separated by single blanks; a pair that does not parse is
  // 0-0; null gives no layout) and creates the channels, none connected.
  // Identity numbers, latency and flags given here are not used.
  void initialize(int first, int count, const char* channelIOStr, int nPresets, const char* effectName,
                  const char* productName, const char* mfrName, int32_t vendorVersion, int32_t uniqueID,
                  int32_t mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  // How many parameters at the end of the list are non-automated (0..count).
  void addNonAutomateParamCount(int n);

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int32_t GetUniqueID() const { return mUniqueID; }
  int32_t GetMfrID() const { return mMfrID; }
  // The version word, or with decimal its decimal form (10105 for 1.1.5).
  int32_t GetEffectVersion(bool decimal) const;
  // The text form ("v1.1.5"); buffer holds kVersionStrSize bytes.
  char* GetEffectVersionStr(char* buffer) const;
  const char* GetAPIString() const;  // "VST2", "VST3", "AU", "RTAS", "AAX", "Standalone" or ""
  const char* GetArchString() const { return "x86"; }
  bool DoesStateChunks() const { return mDoesChunks; }
  bool IsInst() const { return mIsInst; }
  bool IsBypassed() const { return mIsBypassed; }
  void SetBypassed(bool bypassed) { mIsBypassed = bypassed; }

  int NParams() const { return mParams.GetSize(); }
  int NNonAutomatedParams() const { return mNonAutomated; }
  int NAutomatedParams() const { return NParams() - mNonAutomated; }
  IParam* GetParam(int index) const { return mParams.Get(index); }  // null outside the list
  int NParamGroups() const { return mParamGroups.GetSize(); }
  const char* GetParamGroupName(int index) const { return mParamGroups.Get(index); }
  int AddParamGroup(const char* name);  // returns the new count

  IGraphics* GetGUI() const { return mGraphics; }
  KIT_Mutex* GetMutex() { return &mMutex; }

  // Host.
  void SetHost(const char* host, int32_t version);  // host code from the name
  int32_t GetHostVersion(bool decimal);
  char* GetHostVersionStr(char* buffer);  // kVersionStrSize bytes

  // Time.
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  // sample rate * 60 / GetTempo(), or 0 when the tempo is not above 0.
  double GetSamplesPerBeat();

  // ==== HOOKS (virtual, in slot order) ======================================
  // "Open" hooks are the host binding's and are pure here.

  virtual void Reset();                    // takes and releases the lock
  virtual void OnParamChange(int index);   // takes and releases the lock
  virtual void OnParamChange2(int index);  // takes and releases the lock
  // Copies input i to output i for i below both counts and zeroes the other
  // outputs; null channel pointers are skipped.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // The same in single precision, without calling ProcessDoubleReplacing.
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  // The text entry opened over a control of parameter index was closed
  // without its text taken (Escape, the wheel, the editor closing). GUI
  // thread; the base ignores it.
  virtual void OnTextEntryDropped(int index) {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);  // takes and releases the lock
  // fromDevice is true for messages from the external MIDI input, false for
  // the host's. The input's own thread (never the MIDI library's) calls
  // these without a lock, one message at a time in the order they arrived.
  virtual void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {}
  virtual void ProcessSysEx(ISysEx* msg, bool fromDevice) {}
  // A port went away, or messages were dropped (EMidiPortEvent). Called on
  // a thread of the ports' own, without a lock; the ports themselves are
  // left as they are (the plug-in closes them by selecting "OFF").
  virtual void OnExternalMIDIPortEvent(EMidiPortEvent event, const std::string& detail) {}
  // Writes "" into noteName and returns false.
  virtual bool MidiNoteName(int noteNumber, char* noteName);
  virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }
  // The position behind the state, or a negative value when it ended early.
  virtual int UnserializeState(ByteChunk* chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  // Compares the automated parameters with the doubles stored in data from
  // the startIndex-th double on (single-precision difference below 1e-5 is
  // equal). dataSize is the number of bytes in data: too few bytes for every
  // automated parameter compare unequal, and nothing past them is read.
  virtual bool CompareState(const uint8_t* data, int startIndex, int dataSize);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int index, int x, int y) {}
  // The user path and the hardware path of a parameter change (see
  // PARAMETER CHANGES). An index outside the list is ignored.
  virtual void SetParameterFromGUI(int index, double normalizedValue);
  virtual void SetParameterFromGUI2(int index, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int index) = 0;
  virtual void InformHostOfParamChange(int index, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int index) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;
  virtual void GetTime(ITimeInfo* timeInfo) = 0;
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int width, int height) = 0;
  // Hands every parameter's value to the GUI (no change handler runs); does
  // nothing without a GUI. Takes no lock.
  virtual void RedrawParamControls();
  virtual void SetLatency(int samples) { mLatency = samples; }
  virtual bool SendMidiVST(IMidiMsg* msg) = 0;
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendMidiSysex(unsigned char* bytes, int size) { return false; }
  virtual bool SendPatchSysex(unsigned char* bytes, int size) { return false; }
  virtual bool SendMidiSysex2(std::vector<unsigned char> bytes) { return false; }
  virtual void HostSpecificInit() {}
  // Ignored for null. Under the lock: tells the GUI every parameter's
  // position, lets it prepare its drawing, then owns it (a GUI attached
  // before is deleted).
  virtual void AttachGraphics(IGraphics* graphics);
  virtual bool SendSysEx(ISysEx* msg) { return false; }
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Resizes and zeroes every scratch buffer when n differs from the block size.
  virtual void SetBlockSize(int n);

  // ==== CHANNELS AND BUFFERS ================================================
  // Ranges are clipped to the channel count; frame counts to the block size
  // (the scratch buffers hold one block). Run on the render thread, no lock.

  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  const ChannelIO* GetChannelIO(int index) const { return mChannelIO.Get(index); }
  // True when a layout matches; a negative count matches any count.
  bool LegalIO(int nIn, int nOut) const;
  // Disconnects inputs from index 2 on; marks outputs from index 2 on connected.
  void LimitToStereoIO();
  // A disconnected channel's slot points at its scratch buffer (null when empty).
  void SetInputChannelConnections(int index, int n, bool connected);
  void SetOutputChannelConnections(int index, int n, bool connected);
  bool IsInChannelConnected(int index) const;   // false outside the list
  bool IsOutChannelConnected(int index) const;  // false outside the list

  // Connected channels of the range take the next host pointer each.
  void AttachInputBuffers(int index, int n, double** data, int nFrames);
  // Connected channels convert the next host pointer's frames into their
  // scratch buffer and read from there (frames below 1 only point them).
  void AttachInputBuffers(int index, int n, float** data, int nFrames);
  void AttachOutputBuffers(int index, int n, double** data);
  // Connected outputs write into their scratch buffer; the host pointer
  // receives the converted samples after processing.
  void AttachOutputBuffers(int index, int n, float** data);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void ZeroScratchBuffers();

  // ==== PARAMETER CHANGES AND CHUNKS ========================================
  // A parameter chunk is one 8-byte double per parameter, nothing else. The
  // automated parameters are the first NAutomatedParams(); the rest are the
  // non-automated block.

  // Calls OnParamChange for every automated parameter, then Reset. No lock:
  // the caller holds it.
  void OnParamReset();
  // Appends the automated values; false when the chunk stayed empty.
  bool SerializeParams(ByteChunk* chunk);
  // Reads the automated values from startPos, each limited to its range (no
  // step rounding, no handler). A value that is not wholly in the chunk
  // leaves its parameter and the rest untouched and gives -1. A negative
  // start reads nothing and is returned.
  int UnserializeParams(ByteChunk* chunk, int startPos);
  // The same for the first count non-automated parameters (count limited to
  // their number; below 1 writes or reads nothing).
  bool SerializeNonAutomatedParams(ByteChunk* chunk, int count);
  int UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int count);
  // Under the lock, tells the host every automated parameter's position.
  void DirtyParameters();

  void SetInputLabel(int index, const char* label);   // ignored outside the channels
  void SetOutputLabel(int index, const char* label);  // ignored outside the channels
  // Index 0 or 1 only: replaces the label there, else inserts it at the end.
  void SetInputBusLabel(int index, const char* label);
  // Any index from 0: replaces the label there, else inserts it at the end.
  void SetOutputBusLabel(int index, const char* label);
  const char* GetInputBusLabel(int index) const;   // null when there is none
  const char* GetOutputBusLabel(int index) const;  // null when there is none
  int NInputBusLabels() const { return mInputBusLabels.GetSize(); }
  int NOutputBusLabels() const { return mOutputBusLabels.GetSize(); }

  // ==== PRESETS, PROGRAM AND BANK FILES =====================================
  // Every fill takes the first uninitialised preset (none left: nothing
  // happens), marks it initialised, names it and appends to its chunk.

  static IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets);
  // count presets holding SerializeState, named name ("Empty" when null).
  void MakeDefaultPreset(const char* name, int count);
  // One value per automated parameter: an int for the bool, int and enum
  // kinds, a double for the others.
  void MakePreset(const char* name, ...);
  // nPairs pairs of (int index, value typed as for MakePreset); parameters
  // not named keep their current value. An index outside the automated
  // parameters ends the list (the type of its value is unknown).
  void MakePresetFromNamedParams(const char* name, int nPairs, ...);
  void MakePresetFromChunk(const char* name, const ByteChunk* chunk);
  // Decodes the Base64 text into exactly size bytes (zeros past the data).
  void MakePresetFromBlob(const char* name, const char* blob, int size);
  // "user preset N", N = one more than the names holding "user preset";
  // name holds IPreset::kNameSize bytes.
  static void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* name);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  // Restores an initialised preset's state, or snapshots the live state into
  // an uninitialised one (named as a user preset); then makes it current.
  bool RestorePreset(int index);
  bool RestorePreset(const char* name);        // the first preset of that exact name
  const char* GetPresetName(int index) const;  // "" outside the list
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // Snapshots the live state into the current preset; renames it when name
  // is neither null nor empty.
  void ModifyCurrentPreset(const char* name = nullptr);
  // Per preset: name (int32 length and bytes), initialised byte, snapshot.
  bool SerializePresets(ByteChunk* chunk);
  // Reads what SerializePresets wrote, then restores the current preset;
  // returns the position behind the last preset, or -1 when it ended early.
  int UnserializePresets(ByteChunk* chunk, int startPos);
  // Text dumps for building presets into code; names holds one text per
  // automated parameter.
  void DumpPresetSrcCode(const char* path, const char* const* paramNames);
  void DumpPresetBlob(const char* path);
  // Program ("fxp") and bank ("fxb") files: the state form when the plug-in
  // does state chunks, else the parameter form. The file is asked of the
  // GUI; without a GUI, with no answer, or when the file cannot be written
  // or read, the result is false. A failed save leaves an existing file as
  // it was; a short, damaged or foreign file is refused before anything changes.
  bool SaveProgramAsFXP(const char* defaultFileName);
  bool SaveBankAsFXB(const char* defaultFileName);
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();
  // Empties the chunk and writes the version header ("tffp", version 0x00010000).
  static void InitChunkWithIModuleVer(ByteChunk* chunk);
  // The version behind the header at position (which moves past it), or 0
  // with the position unchanged when there is no header; -1 and version 0
  // when the header is cut after its magic.
  static int GetIModuleVerFromChunk(ByteChunk* chunk, int& position);

  // ==== EXTERNAL MIDI PORTS =================================================
  // One output and one input port of the computer, chosen by name. Name
  // lists: entry 0 "OFF", then one entry per port; both built from one
  // reading of the ports on the first call for either, and kept. A port
  // whose name cannot be read is listed under a unique placeholder. The
  // clients that open ports are made when first needed (a selection, a
  // look-up, the virtual output), not by the lists. Selections run under the plug-in's lock (taken again when
  // the caller holds it, as the callers do).
  //
  // Incoming messages wait in a queue that the MIDI library's thread fills
  // and a thread of ours empties (IMidiInQueue); outgoing ones wait for the
  // pacer's thread (IMidiOutPacer). On JACK a watch (IMidiPortWatch) tells
  // of a server or a port that went away (OnExternalMIDIPortEvent).

  const std::vector<std::string>& getExternalMIDIOutNames();
  const std::vector<std::string>& getExternalMIDIInNames();
  // Starts that reading of the ports on a thread of its own, so that the
  // caller can go on meanwhile (a start-up builds its library and window);
  // the first list asked for then takes its result, waiting for it if need
  // be. Nothing when the lists are built or a reading is under way. Called
  // on the thread that asks for the lists.
  void ReadMidiPortsAhead();
  // Closes the port open before, then opens the port that carries name now
  // (names are matched against the ports present at this moment, not the
  // list's port numbers). Writes the list entry of that name back into index
  // and returns it; index 0, "OFF", a name missing from the list or from the
  // ports, and failures give 0 (index 0 when the name was not found). On
  // JACK a client of a server that went away is dead: it is made anew on
  // the server that runs now before the name is looked for. Messages posted
  // to the output before are sent before it closes.
  int setExternalMIDIOut(int& index, const std::string& name);
  int setExternalMIDIIn(int& index, const std::string& name);
  // Replaces the output client with one that offers a port "From <name>".
  bool initializeVirtualOutput(const std::string& name);
  int getExternalMIDIOutDevice(const std::string& name);  // list entry or -1
  int getExternalMIDIInDevice(const std::string& name);   // list entry or -1
  // 0 "OFF", 1 "virtual output" / "virtual input", port number + 1 of the
  // first port of that name, else -1.
  int GetMIDIOutPortNumber(const std::string& name);
  int GetMIDIInPortNumber(const std::string& name);
  // The MIDI library's input callback; user data is the plug-in. Runs on
  // the library's thread (JACK's process thread): queues a copy of the
  // message for the input's thread and returns; it never waits.
  static void MIDICallback(double timeStamp, std::vector<unsigned char>* message, void* userData);
  // One to three bytes reach ProcessMidiMsg as an IMidiMsg (missing data
  // bytes 0), four or more ProcessSysEx as an ISysEx valid during the call;
  // both with offset 0 and fromDevice true. Timing clock, tick, time-code
  // quarter frames and active sensing are not delivered. The input's
  // thread calls it for each queued message in turn.
  static void processMIDIInput(double timeStamp, std::vector<unsigned char>* message, void* userData);
  // Every message to SendMidiMsg in order; true when all calls were.
  bool SendMidiMsgs(const KIT_TypedBuf<IMidiMsg>* messages);
  // The render thread calls it on every render: what that thread sends never
  // waits for room in the output's queue (dropped and counted instead).
  void MarkRealTimeThread() { mRealTimeThread.store(std::this_thread::get_id(), std::memory_order_relaxed); }

 protected:
  // Posts the bytes for the external output port; the pacer sends them in
  // the order posted, serialised with opening and closing the port. False
  // (nothing sent) without an open port, for an empty message, or when a
  // real-time thread finds the pacer's queue full (counted and reported).
  bool SendToExternalMIDIOut(const uint8_t* bytes, int size);
  bool IsExternalMIDIOutOpen();
  // Closes both ports and deletes both clients; a derived destructor calls
  // it first when its MIDI handlers use members it is about to destroy.
  void CloseExternalMIDIPorts();

  int mNonAutomated = 0;

  // External MIDI (IModuleBaseMidi.cpp).
  MIDIInClient* mMidiIn = nullptr;
  MIDIOutClient* mMidiOut = nullptr;
  int mMidiInSelection = 0;
  int mMidiOutSelection = 0;
  std::vector<std::string> mMidiOutNames;
  std::vector<std::string> mMidiInNames;
  // The reading ReadMidiPortsAhead started (null when none was); its thread
  // touches nothing of the object and is joined when the object goes.
  struct MidiPortReading;
  std::shared_ptr<MidiPortReading> mMidiPortsAhead;
  bool mMidiInCallbackSet = false;
  // Set (release) once an input port is open, cleared when it closes: the
  // MIDI library's thread reads it before it queues a message, and the
  // input's thread before it calls into the object, so everything the
  // opening thread did before, construction included, is seen by both.
  std::atomic<bool> mMidiInAccepting{false};
  // Changed under mMidiOutMutex; read without it by posters.
  std::atomic<bool> mMidiOutPortOpen{false};
  std::mutex mMidiOutMutex;  // serialises sends with opening and closing
  // The incoming messages and the thread that hands them to the plug-in.
  IMidiInQueue mMidiInQueue;
  std::thread mMidiInThread;
  std::atomic<bool> mMidiInStop{false};
  // The thread that called MarkRealTimeThread last.
  std::atomic<std::thread::id> mRealTimeThread{};
  // The outgoing messages' pacer: made with the first output client,
  // stopped when the output closes for good and deleted with the object,
  // so that a late poster never meets a deleted one. Posters read the
  // pointer without a lock.
  std::atomic<IMidiOutPacer*> mMidiOutPacer{nullptr};
  std::unique_ptr<IMidiOutPacer> mMidiOutPacerOwned;
  // The watch of the JACK server (null until a port opened there; stopped
  // when the input closes for good), and the
  // names of the ports the input and output are connected to now (empty
  // when none), for it to look for.
  std::shared_ptr<IMidiPortWatch> mMidiWatch;
  // On the loop-back ports, the registry's watch instead (0: none).
  std::atomic<uint64_t> mLoopbackWatch{0};
  // The watch's generation each client was made under (-1: none known).
  int64_t mMidiInGeneration = -1;
  int64_t mMidiOutGeneration = -1;  // guarded by mMidiOutMutex
  std::mutex mMidiPortNamesMutex;
  std::string mMidiInPortName;
  std::string mMidiOutPortName;

  KIT_PtrList<ChannelIO> mChannelIO;
  KIT_Mutex mMutex;
  char mEffectName[128] = {};
  char mProductName[128] = {};
  char mMfrName[128] = {};
  int32_t mUniqueID;
  int32_t mMfrID;
  int32_t mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int32_t mHostVersion = 0;
  bool mDoesChunks;
  bool mIsInst;
  bool mIsBypassed = false;
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  KIT_String mPreviousPath;
  KIT_PtrList<const char> mParamGroups;
  IGraphics* mGraphics = nullptr;
  KIT_PtrList<IParam> mParams;
  KIT_PtrList<IPreset> mPresets;
  KIT_TypedBuf<double*> mInData{4096};
  KIT_TypedBuf<double*> mOutData{4096};
  KIT_PtrList<InChannel> mInChannels;
  KIT_PtrList<OutChannel> mOutChannels;
  KIT_PtrList<KIT_String> mInputBusLabels;
  KIT_PtrList<KIT_String> mOutputBusLabels;

 private:
  struct FileImage;
  void AppendProgramHeader(FileImage* image, const char* form, uint32_t byteSize, const char* name);
  template <class Sample>
  static void PassThrough(Sample** inputs, Sample** outputs, int nIn, int nOut, int nFrames);
  void ChangeParameter(int index, double normalizedValue, bool fromHardware);
  int FramesInBlock(int nFrames) const;
  bool AskForFile(KIT_String* path, bool save, const char* defaultFileName, const char* extension);
  bool ReadProgram(ByteChunk* file);
  bool ReadBank(ByteChunk* file);
  void CloseExternalMIDIIn();
  void CloseExternalMIDIOut();
  // The input and output clients: made (or made anew) with the callback,
  // the ignored types and the pacer; false when the library refused.
  bool MakeMidiInClient();
  bool MakeMidiOutClient();  // mMidiOutMutex held
  // Builds both name lists unless they are built (GetMIDIPortLists).
  void ListMidiPorts();
  // The input's thread: takes the queued messages in turn.
  void RunMidiInput();
  // On JACK, before a port is opened: the watch connects to the server that
  // runs now; its generation, or -1 without a watch. On the loop-back ports
  // the registry's watch starts instead (-1). A client made under
  // another generation is made anew (FreshMidiIn, FreshMidiOut). Not under
  // mMidiOutMutex: it may drop the dead clients, which takes it.
  int64_t ConnectMidiWatch();
  void FreshMidiIn(int64_t generation);
  void FreshMidiOut(int64_t generation);  // mMidiOutMutex held
  // After a port opened: the pacer keeps the pace of the watched server.
  void PaceMidiOut();
  // The clients of a server that went away are deleted (and left null)
  // before any new client is opened in the process: closing one of them
  // after that crashes the JACK library. The plug-in's lock held.
  void DropDeadMidiClients();
  // The watch's thread: reports the server or a connected port gone.
  void OnMidiPortsChanged(IMidiPortWatch* watch);
  // Tells each connected port that no longer exists (all when the server
  // went away) once, then the server gone.
  void TellLostMidiPorts(bool serverGone, const std::function<bool(const std::string&)>& exists);
  void RememberMidiPort(bool input, const std::string& name);
};
