#include "bench/measure/usage.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace measure {
namespace {

std::vector<std::string> directoryEntries(const std::string& path) {
    std::vector<std::string> names;
    DIR* directory = opendir(path.c_str());
    if (directory == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(directory)) {
        if (entry->d_name[0] != '.') {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(directory);
    return names;
}

// The number after `key` in a /proc status file, or 0.
int64_t statusField(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0) {
            return std::atoll(line.c_str() + std::strlen(key));
        }
    }
    return 0;
}

}  // namespace

Usage usageOf(pid_t pid) {
    Usage usage;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const std::string& task : directoryEntries(tasks)) {
        // schedstat: nanoseconds on the CPU, nanoseconds waiting to run, slices.
        std::ifstream schedstat(tasks + "/" + task + "/schedstat");
        int64_t onCpu = 0;
        if (schedstat >> onCpu) {
            usage.cpuNanoseconds += onCpu;
        }
        std::ifstream status(tasks + "/" + task + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                usage.wakeUps += std::atoll(line.c_str() + 24);
            }
        }
    }
    return usage;
}

int64_t residentKiB(pid_t pid) {
    return statusField(pid, "VmRSS:");
}

int64_t peakResidentKiB(pid_t pid) {
    return statusField(pid, "VmHWM:");
}

UdpSocketCounters udpSocketOf(pid_t pid) {
    UdpSocketCounters counters;
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    std::vector<std::string> inodes;
    for (const std::string& fd : directoryEntries(fds)) {
        char target[128] = {};
        ssize_t length = readlink((fds + "/" + fd).c_str(), target, sizeof target - 1);
        if (length > 0 && std::strncmp(target, "socket:[", 8) == 0) {
            inodes.emplace_back(target + 8, static_cast<size_t>(length) - 9);
        }
    }
    // sl local rem st tx_queue:rx_queue tr:when retrnsmt uid timeout inode ref pointer drops
    std::ifstream table("/proc/" + std::to_string(pid) + "/net/udp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        std::string references, pointer;
        int64_t drops = 0;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode >> references >> pointer >> drops;
        for (const std::string& own : inodes) {
            if (own == inode) {
                counters.found = true;
                counters.drops = drops;
                counters.queuedBytes =
                    std::strtoll(queues.substr(queues.find(':') + 1).c_str(), nullptr, 16);
            }
        }
    }
    return counters;
}

}  // namespace measure
