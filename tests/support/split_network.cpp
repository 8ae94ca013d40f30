#include "tests/support/split_network.h"

// unshare() and the namespace's inode: what the Linux network namespaces
// need; the sockets are the endpoint's.
#include <sched.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/wait_until.h"
#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace testsupport {
namespace {

bool run(const std::string& command) {
    return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

// The network namespace of a process, as the inode that names it.
ino_t namespaceOf(const std::string& process) {
    struct stat status {};
    return stat(("/proc/" + process + "/ns/net").c_str(), &status) == 0 ? status.st_ino : 0;
}

uint32_t hostOrder(const char* dotted) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted, "%u.%u.%u.%u", &a, &b, &c, &d);
    return a << 24 | b << 16 | c << 8 | d;
}

}  // namespace

std::string SplitNetwork::unavailable() {
    if (!run("command -v ip && command -v nsenter && command -v unshare")) {
        return "ip, nsenter or unshare is missing";
    }
    if (!run("unshare -n ip link add fmd-a type veth peer name fmd-b")) {
        return "no network namespace with a veth pair can be made here (root is needed)";
    }
    return "";
}

std::vector<std::string> SplitNetwork::waitingCommand(const std::string& program) {
    return {"-n", "sh", "-c",
            "i=0; until [ -e go ]; do i=$((i+1)); [ $i -lt 200 ] || exit 1; sleep 0.05; done; "
            "exec \"$0\"",
            program};
}

SplitNetwork::~SplitNetwork() {
    stop_ = true;
    if (simulator_.joinable()) {
        simulator_.join();
    }
}

std::string SplitNetwork::join(pid_t programPid) {
    // Nothing may be moved or set up before the program's namespace is its
    // own: that would be the namespace the test began in.
    const ino_t ours = namespaceOf("self");
    if (!waitUntil(10, [&] {
            ino_t its = namespaceOf(std::to_string(programPid));
            return its != 0 && its != ours;
        })) {
        return "the program's namespace was not made";
    }
    programPid_ = programPid;
    simulator_ = std::thread(&SplitNetwork::answerQueries, this, programPid);
    if (!waitUntil(20, [&] { return state_ != 0; })) {
        return "the simulator's namespace took too long";
    }
    return state_ == 1 ? "" : failure_;
}

void SplitNetwork::answerQueries(pid_t programPid) {
    // Only this thread moves to the new namespace; what it starts and the
    // sockets it opens are there too.
    if (unshare(CLONE_NEWNET) != 0) {
        failure_ = "unshare(CLONE_NEWNET) failed";
        state_ = -1;
        return;
    }
    const std::string pid = std::to_string(programPid);
    if (!run(std::string("ip link set lo up && ip link add fmd-sim type veth peer name fmd-prog") +
             " && ip link set fmd-prog netns " + pid + " && ip addr add " + kSimulatorAddress +
             "/24 dev fmd-sim && ip link set fmd-sim up") ||
        !inProgramNamespace(std::string("ip link set lo up && ip addr add ") + kProgramAddress +
                            "/24 dev fmd-prog && ip link set fmd-prog up")) {
        failure_ = "the veth pair could not be set up";
        state_ = -1;
        return;
    }
    UdpEndpoint simulator(0, hostOrder(kSimulatorAddress));
    if (!simulator.isOpen()) {
        failure_ = std::string("cannot bind to ") + kSimulatorAddress;
        state_ = -1;
        return;
    }
    port_ = simulator.port();
    state_ = 1;
    while (!stop_) {
        auto query = simulator.receive(50);
        if (query && queryCode(*query) == 30) {
            lastSource_ = simulator.lastSender()->address;
            simulator.reply(answerFor(30, std::to_string(++lastValue_)));
        }
    }
}

bool SplitNetwork::inProgramNamespace(const std::string& command) const {
    return run("nsenter -t " + std::to_string(programPid_) + " -n sh -c '" + command + "'");
}

std::string SplitNetwork::lastQuerySource() const {
    const uint32_t address = lastSource_;
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace testsupport
