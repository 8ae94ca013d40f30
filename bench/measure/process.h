#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace measure {

// A program that the measuring tool runs: in a process group of its own, in
// `folder`, standard input from /dev/null, standard output and error in
// <folder>/<name>.out and <name>.err. It is ended when the object goes, and
// the kernel ends it too should the tool itself die, so that no run leaves a
// process behind. Used by the tool's one thread only.
class Process {
  public:
    Process(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& folder, const std::string& name,
            const std::map<std::string, std::string>& environment);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    // False once the process has ended, by itself or not.
    bool running();
    // SIGTERM, then SIGKILL if it has not ended within a second.
    void stop();
    std::string output() const;
    std::string errors() const;

  private:
    pid_t pid_ = -1;
    std::string outputPath_;
    std::string errorPath_;
};

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

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

}  // namespace measure
