#pragma once

#include <sys/types.h>

#include <cstdint>

namespace measure {

// CPU time and voluntary context switches (each one a wake-up after a wait)
// of a running process, summed over its threads, from /proc.
struct Usage {
    int64_t cpuNanoseconds = 0;
    int64_t wakeUps = 0;
};
Usage usageOf(pid_t pid);

// Resident memory now and at its highest, in KiB; 0 when the process is gone.
int64_t residentKiB(pid_t pid);
int64_t peakResidentKiB(pid_t pid);

// The kernel's counters of the process's one UDP socket: datagrams dropped
// because its receive queue was full, and bytes waiting in that queue.
struct UdpSocketCounters {
    bool found = false;
    int64_t drops = 0;
    int64_t queuedBytes = 0;
};
UdpSocketCounters udpSocketOf(pid_t pid);

}  // namespace measure
