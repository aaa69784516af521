#pragma once
#include <windows.h>

// The one way this program makes a worker thread: the engine's job threads
// and the drawing threads of animated pictures both come from here.
namespace WorkerThread
{
// The routine runs guarded: an exception it lets out is reported (see
// CallbackGuard) and ends the thread with exit code -1.
// The thread keeps the module that holds this code loaded until it has ended,
// so freeing a library whose thread still winds down never unmaps its code.
// Returns the new thread's handle (the caller owns it) or NULL.
HANDLE Create(LPTHREAD_START_ROUTINE routine, void* parameter, bool suspended, DWORD* threadId = nullptr);
}
