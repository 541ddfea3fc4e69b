// Run-time services of the windowing layer: timers, the posted-message
// queue and cross-thread timer requests, run-loop calls, threads, child
// processes, text conversion and the right-click emulation switch.
//
// Timers and posting may be called from any thread. Once the queue is
// initialised, SetTimer and KillTimer from another thread become queued
// requests that the main thread carries out at the next drain; before, they
// act directly.
#pragma once

#include <cstdint>
#include <string>

#include "KIT/winl/winl-wnd.h"

typedef void (*TIMERPROC)(HWND, unsigned int, uintptr_t, uint32_t);
typedef void* HANDLE;

enum { WINL_TIMER_MESSAGE = 275 };

// ---- Timers --------------------------------------------------------------------------
// Starts or restarts a timer: with a window, (window, id) names it and the
// window gets WM_TIMER; without one, proc runs and the id is new each time.
// 0 when refused: no window and no procedure, id 0 on a window, a window
// that cannot take timers, or a request from another thread that could not
// be queued.
uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t ms, TIMERPROC proc);
// Stops a timer; id (uintptr_t)-1 stops every timer of the window.
bool KillTimer(HWND window, uintptr_t id);
// While set (by WINL_RunRunLoopEx), only that window's timers fire.
extern HWND g_winl_only_timerhwnd;
// The number of running timers.
int WINL_TimerCount();

// ---- Posted messages -----------------------------------------------------------------
// The queue and its delivery; the calling thread of Init is the main thread.
void WINL_Internal_PostMessage_Init();
bool WINL_Internal_PostMessage(HWND window, unsigned int msg, unsigned long wParam, long lParam);
void WINL_Internal_PMQ_ClearAllMessages(HWND window);
void WINL_MessageQueue_Flush();
// The queue is the application's: PostMessage and Clear go to it.
bool PostMessage(HWND window, unsigned int msg, unsigned long wParam, long lParam);
void WINL_MessageQueue_Clear(HWND window);
// Records waiting (messages and timer requests).
int WINL_MessageQueue_Size();
// Ends the queue (the drain timer and every record); tests start anew.
void WINL_Internal_PostMessage_Shutdown();

// Destroys every window, stops every timer and the queue and resets the
// application: the end of the layer's use (each test starts anew from it).
void WINL_ShutdownLayer();

// ---- Run loop --------------------------------------------------------------------------
void WINL_RunRunLoop(int ms);
void WINL_RunRunLoopEx(int ms, HWND window);
void WINL_RunEvents();
void WINL_PostQuitMessage(void* sender);

// ---- Threads and processes -------------------------------------------------------------
// Starts a detached thread running func(param); no handle.
HANDLE CreateThreadNS(void* attributes, size_t stacksize, unsigned (*func)(void*), void* param, int flags,
                      unsigned* threadid);
void WINL_EnsureMultithreadedCocoa();
void* WINL_InitAutoRelease();
void WINL_QuitAutoRelease(void* pool);
// Starts exe with the first nparams texts of params as its arguments (an
// argument vector, no shell); a process handle, null when it cannot start.
HANDLE WINL_CreateProcess(const char* exe, int nparams, const char** params);
// 0 when the task has ended, 258 when it still runs after ms.
int WINL_WaitForNSTask(void* task, int ms);
void WINL_ReleaseNSTask(void* task);
void WINL_MakeProcessFront(HANDLE handle);
// The exit status of an ended task (-1 while running or unknown).
int WINL_GetTaskExitStatus(HANDLE handle);

// ---- Text ---------------------------------------------------------------------------
// UTF-8 when valid, else each byte as a Latin-1 (ASCII) character.
std::string WINL_CStringToCFString(const char* text);
void WINL_CFStringToCString(const std::string* string, char* buffer, int size);

bool IsRightClickEmulateEnabled();
void WINL_EnableRightClickEmulate(bool on);
void WINL_DisableAppNap(int delta);
