// Waitable handles (threads, events, child processes), rectangles, movable
// global memory and small utilities of the Win32-style layer.
//
// Every handle record begins with a type code and a reference count
// (changed atomically). Null and unknown handles give -1 from the wait and
// 0 from CloseHandle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KIT/winl/winl-types.h"

typedef void* HANDLE;
typedef void* HGLOBAL;

enum : uint32_t { WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 258, WAIT_FAILED = 0xFFFFFFFF, INFINITE = 0xFFFFFFFF };
enum { WINL_HANDLE_THREAD = 0x1000002, WINL_HANDLE_EVENT = 0x1000003, WINL_HANDLE_PROCESS = 0x1000007 };

// ---- Handles -------------------------------------------------------------------------
// A thread running function(parameter); attributes, stack size and flags are
// not used. The handle must be closed; the thread holds its own reference.
HANDLE CreateThread(void* attributes, size_t stackSize, unsigned (*function)(void*), void* parameter,
                    int flags, unsigned* threadId);
HANDLE CreateEvent(void* attributes, bool manualReset, bool initialState, const char* name);
int SetEvent(HANDLE event);
int ResetEvent(HANDLE event);
// 0 signalled (or ended), 258 timed out, -1 failure.
int WaitForSingleObject(HANDLE handle, uint32_t milliseconds);
int CloseHandle(HANDLE handle);
// A process handle around a task of the layer (winl-misc.h); one reference.
HANDLE WINL_NewProcessHandle(void* task);
void* WINL_ProcessTask(HANDLE handle);

// ---- Rectangles and utilities -----------------------------------------------------------
bool WINL_PtInRect(const RECT* rect, POINT point);
int WinOffsetRect(RECT* rect, int dx, int dy);
int WinSetRect(RECT* rect, int left, int top, int right, int bottom);
int WinIntersectRect(RECT* out, const RECT* a, const RECT* b);
int WinUnionRect(RECT* out, const RECT* a, const RECT* b);
int MulDiv(int a, int b, int c);
char* lstrcpyn(char* dst, const char* src, int n);

// ---- Global memory ---------------------------------------------------------------------
HGLOBAL GlobalAlloc(int flags, long size);
void* GlobalLock(HGLOBAL handle);
void GlobalUnlock(HGLOBAL handle);
long GlobalSize(HGLOBAL handle);
void GlobalFree(HGLOBAL handle);
