// Worker threads, started at once and waited for without time-out.
#pragma once

#include <atomic>
#include <cstdint>

// Handle of a running thread; null while no thread belongs to its owner.
struct PlatformThread;
using ThreadHandle = PlatformThread*;
using ThreadRoutine = int32_t (*)(void* argument);

// The 16-bit running flag that owners clear to stop a worker, read by the worker.
using RunningFlag = std::atomic<int16_t>;

// Creates a thread running routine(argument) and stores its handle in *handle.
// Returns 1; 0 when handle or routine is missing (nothing stored) or creation
// failed (*handle is then null).
int ThreadStart(ThreadHandle* handle, ThreadRoutine routine, void* argument);

// Waits for the thread to end and releases its handle. Returns 1; 0 when the wait
// failed (the handle stays valid).
int ThreadWait(ThreadHandle handle);
