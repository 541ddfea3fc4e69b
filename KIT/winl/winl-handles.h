// Waitable handles (threads, events, socket-pair events, socket objects,
// files, child processes), rectangles, movable global memory and small
// utilities of the Win32-style layer.
//
// Every handle record begins with a type code and a reference count
// (changed atomically). Null and unknown handles give -1 from the wait and
// 0 from CloseHandle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "KIT/winl/winl-types.h"

typedef void* HANDLE;
typedef void* HGLOBAL;

enum : uint32_t { WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 258, WAIT_FAILED = 0xFFFFFFFF, INFINITE = 0xFFFFFFFF };
enum {
  WINL_HANDLE_THREAD = 0x1000002,
  WINL_HANDLE_EVENT = 0x1000003,
  WINL_HANDLE_FILE = 0x1000004,
  WINL_HANDLE_SOCKET = 0x1000005,
  WINL_HANDLE_SOCKET_EVENT = 0x1000006,
  WINL_HANDLE_PROCESS = 0x1000007
};

// ---- Handles -------------------------------------------------------------------------
// A thread running function(parameter); attributes, stack size and flags are
// not used. The handle must be closed; the thread holds its own reference.
HANDLE CreateThread(void* attributes, size_t stackSize, unsigned (*function)(void*), void* parameter,
                    int flags, unsigned* threadId);
// The id of the calling thread; a thread of CreateThread has the id that
// CreateThread handed out. Never 0.
unsigned GetCurrentThreadId();
// Sets a running thread's scheduling priority to priority + 31, limited to
// what its policy allows; false for a thread that has ended or a refusal.
bool SetThreadPriority(HANDLE thread, int priority);

HANDLE CreateEvent(void* attributes, bool manualReset, bool initialState, const char* name);
// An event on a connected local socket pair, so that a descriptor can be
// waited on with others: set while its read end holds a byte. Null when no
// pair can be made.
HANDLE CreateEventAsSocket(void* attributes, bool manualReset, bool initialState, const char* name);
// Events and socket-pair events: 1; other handles 0.
int SetEvent(HANDLE event);
int ResetEvent(HANDLE event);
// The read descriptor of a socket-pair event or socket object; -1 otherwise.
int WINL_GetEventSocket(HANDLE handle);

// A socket object: a descriptor that its owner keeps (and closes) and that
// the waits watch for reading. The owner embeds the record, sets it up with
// WINL_InitSocketObject and hands its address around as a handle;
// CloseHandle only drops references and never frees it.
struct WINL_SocketObject {
  int32_t type;
  int32_t refs;  // changed atomically
  int descriptor;
};
HANDLE WINL_InitSocketObject(WINL_SocketObject* object, int descriptor);

// 0 signalled (or ended), 258 timed out, -1 failure. An auto-reset event is
// cleared by the wait that sees it set.
int WaitForSingleObject(HANDLE handle, uint32_t milliseconds);
// Waits until one of the socket objects and socket-pair events among the
// handles is readable; its index, or 258 on time-out, for count < 1 and when
// no handle has a descriptor.
int WaitForAnySocketObject(int count, const HANDLE* handles, uint32_t milliseconds);
// Drops a reference (1 while others remain); the last frees the record and
// what it holds. 0 for unknown handles and for a socket object's last
// reference.
int CloseHandle(HANDLE handle);
// A process handle around a task of the layer (winl-misc.h); one reference.
HANDLE WINL_NewProcessHandle(void* task);
void* WINL_ProcessTask(HANDLE handle);

// ---- Files -------------------------------------------------------------------------------
// A file handle around an open stdio stream, which the handle then owns
// (CloseHandle closes it); null for a null stream.
HANDLE WINL_NewFileHandle(FILE* stream);
// Seeks from the start; a non-zero high part is refused. The new position,
// or -1 with *high = -1.
long SetFilePointer(HANDLE file, long offset, long* high);
long GetFilePointer(HANDLE file, long* high);
// The length of the file, -1 on failure (high receives 0 or -1).
long GetFileSize(HANDLE file, long* high);
// Up to n bytes; *done receives the count. 1 when a byte moved, else 0.
int ReadFile(HANDLE file, void* buffer, long n, long* done, void* overlapped);
int WriteFile(HANDLE file, const void* buffer, long n, long* done, void* overlapped);
// Change, access and modification times of an open descriptor as file times
// (100 ns from 1601-01-01 UTC); 0 for a bad descriptor.
int GetFileTime(int descriptor, uint64_t* created, uint64_t* accessed, uint64_t* written);

// ---- Rectangles and utilities -----------------------------------------------------------
bool WINL_PtInRect(const RECT* rect, POINT point);
int WinOffsetRect(RECT* rect, int dx, int dy);
int WinSetRect(RECT* rect, int left, int top, int right, int bottom);
int WinIntersectRect(RECT* out, const RECT* a, const RECT* b);
int WinUnionRect(RECT* out, const RECT* a, const RECT* b);
int MulDiv(int a, int b, int c);
char* lstrcpyn(char* dst, const char* src, int n);
// The floating-point rounding control, in the bits 0x300 (0 nearest, 0x100
// down, 0x200 up, 0x300 toward zero): loaded from value when mask holds
// those bits; returns the control now in force in the same bits.
enum { _MCW_RC = 0x300, _RC_NEAR = 0, _RC_DOWN = 0x100, _RC_UP = 0x200, _RC_CHOP = 0x300 };
unsigned _controlfp(unsigned value, unsigned mask);
// Fills 16 bytes with a new random (version 4) UUID.
void WINL_GenerateGUID(void* out);

// ---- Global memory ---------------------------------------------------------------------
HGLOBAL GlobalAlloc(int flags, long size);
void* GlobalLock(HGLOBAL handle);
void GlobalUnlock(HGLOBAL handle);
long GlobalSize(HGLOBAL handle);
void GlobalFree(HGLOBAL handle);
