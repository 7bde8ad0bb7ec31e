// The high-resolution waitable timer behind the controller waits on Windows. Its own
// file so that a test program can link the waits with a stand-in that has no timer,
// as on Windows before version 1803.
#pragma once

#include <windows.h>

// A new auto-reset timer that ends within a fraction of a millisecond of its due
// time whatever the system timer's tick; null where Windows cannot make one.
HANDLE CreateHighResolutionWaitTimer();
