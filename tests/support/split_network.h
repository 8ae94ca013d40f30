#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Two network namespaces of the test's own, joined by a veth pair: the
// program runs in one, made by `unshare -n` around it, and a simulator of the
// test's answers in the other, made by a thread of the test for itself.
// Nothing of it touches the namespaces the test began in, and both vanish
// with the program and the thread. Needs root (or CAP_SYS_ADMIN) and ip(8).
class SplitNetwork {
  public:
    static constexpr const char* kSimulatorAddress = "10.9.0.1";
    static constexpr const char* kProgramAddress = "10.9.0.2";

    // Why namespaces cannot be made here, or "" when they can.
    static std::string unavailable();
    // The command line that starts `program` in a namespace of its own, once
    // a file "go" appears in its working folder (10 s at most).
    static std::vector<std::string> waitingCommand(const std::string& program);

    SplitNetwork() = default;
    ~SplitNetwork();
    SplitNetwork(const SplitNetwork&) = delete;
    SplitNetwork& operator=(const SplitNetwork&) = delete;

    // Joins the namespace of the process `programPid` to a new one, gives it
    // kProgramAddress, and answers every "R/30" on kSimulatorAddress with a
    // value that grows by one each time. "" once it answers, else what failed.
    std::string join(pid_t programPid);
    uint16_t simulatorPort() const { return port_; }
    // Runs a shell command in the program's namespace; true when it succeeds.
    bool inProgramNamespace(const std::string& command) const;
    // The source address of the last query answered, dotted.
    std::string lastQuerySource() const;
    // The value of the last answer sent (0 before the first).
    int lastValue() const { return lastValue_; }

  private:
    void answerQueries(pid_t programPid);

    std::thread simulator_;
    pid_t programPid_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> state_{0};  // 0 starting, 1 answering, -1 failed
    std::string failure_;        // written before state_ becomes -1
    uint16_t port_ = 0;          // written before state_ becomes 1
    std::atomic<uint32_t> lastSource_{0};
    std::atomic<int> lastValue_{0};
};

}  // namespace testsupport
