#pragma once

// Asks for SCHED_FIFO on the calling thread. Without the privilege the thread
// keeps its normal priority; that is logged as a trace line, not an error,
// since most desktop sessions run without it.
void requestRealtimeScheduling(const char* what);
