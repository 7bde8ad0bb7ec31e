// The thin platform layer: the only place that knows whether the library runs on
// Windows (the product DLL) or POSIX (the native build used for tests and tools).
// platform_win32.cpp and platform_posix.cpp each implement all of it.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct Error;

// Blocks the calling thread for at least `ms` milliseconds (the controller's timed
// waits); on Windows in wait_win32.cpp.
void PlatformSleep(uint32_t ms);

// Runs steps(context) inside a guard frame on the calling thread. Returns true when
// the steps ran to their end; false when they raised an error (Raise) or the
// operating system reported a fault while they ran, with *error describing it.
// Frames nest; a raise or a fault ends only the innermost one. The steps are left
// by a jump, so they must not own anything that needs releasing.
bool PlatformRunGuarded(void (*steps)(void*), void* context, Error* error);

template <class Steps>
bool RunGuarded(Steps& steps, Error* error) {
    return PlatformRunGuarded([](void* context) { (*static_cast<Steps*>(context))(); }, &steps,
                              error);
}

// File name, without its directory, of the loaded module (executable or library)
// that contains `address`. False when no module contains it.
bool PlatformModuleFileName(const void* address, char* name, size_t capacity);

// Named shared memory. Handles and views are null on failure; nothing is reported.
using SharedHandle = void*;
// Creates the named block zero-filled with `size` bytes, or opens the existing block of
// that name with its contents and size unchanged.
SharedHandle PlatformCreateSharedBlock(const char* name, uint32_t size);
// Opens the existing block of that name for reading only.
SharedHandle PlatformOpenSharedBlock(const char* name);
// Maps the whole block; `writable` asks for read and write access, else read only.
void* PlatformMapSharedBlock(SharedHandle handle, bool writable);
// Unmaps the view and closes the handle; either may be null.
void PlatformReleaseSharedBlock(SharedHandle handle, void* view);

#ifndef _WIN32
// Native build only, for tests and tools: where the waits go (default: nanosleep),
// and a prefix that keeps a test's shared blocks apart from the real ones.
void PlatformSetSleepFunction(void (*sleep)(uint32_t ms));
void PlatformSetSharedNamePrefix(const char* prefix);
#endif
