// The stand-in timer maker of no_wait_timer.cpp: it never makes a timer.
#pragma once

// How often the waits asked for a timer since the program started.
long NoWaitTimerRequests();
