#pragma once

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A program that a test or the measuring tool runs: in `folder`, in a process
// group of its own, standard input from the null device, standard output and
// error in <folder>/<name>.out and <name>.err, and `environment` changing or
// adding variables to ours. The object ends it when destroyed, and the system
// ends it should the caller die, so that nothing is left behind; Linux ties
// that to the thread that started it, which must outlive it. Used by one
// thread.
//
// process.cpp holds what every platform shares; process_posix.cpp starts,
// watches and ends the process.
class Process {
  public:
    Process(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& folder, const std::string& name,
            const std::map<std::string, std::string>& environment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The process id; -1 once it has ended and been waited for.
    int pid() const { return pid_; }
    // False once the process has ended, by itself or not.
    bool running();
    // Waits at most `seconds` for the process to end; true with its exit
    // status (0 to 255) in *status when it ended by itself.
    bool waitForExit(double seconds, int* status);
    // Asks the process to end, and kills it if it has not within a second.
    void stop();
    // Kills the process and its group at once.
    void kill();

    std::string output() const;  // standard output so far
    std::string errors() const;  // standard error so far

  private:
    // The platform half. Whether the process has ended, without waiting;
    // once it has, pid_ is -1 and exitStatus_ is set.
    bool ended();
    void askToEnd();

    int pid_ = -1;
    int exitStatus_ = -1;  // 0 to 255 once it has ended by itself
    std::string outputPath_;
    std::string errorPath_;
};

}  // namespace testsupport
