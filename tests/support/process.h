#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A program that a test or the measuring tool runs: in `folder`, standard
// input from the null device, standard output and error in <folder>/<name>.out
// and <name>.err, and `environment` changing or adding variables to ours. The
// object ends it when destroyed, and the system ends it should the caller die,
// so that nothing is left behind: on POSIX it runs in a process group of its
// own and Linux kills it with the thread that started it, which must outlive
// it; on Windows it runs in a job object that is killed when its last handle,
// ours, closes. Used by one thread.
//
// POSIX programs write their debugger output where FLIGHTMFD_DEBUG_OUTPUT
// says. Windows programs give it to a debugger, so there, when `environment`
// names FLIGHTMFD_DEBUG_OUTPUT, the process runs under a debugger of ours that
// appends each text to that file as UTF-8: the same file either way.
//
// process.cpp holds what every platform shares; process_posix.cpp and
// process_win32.cpp start, watch and end the process.
class Process {
  public:
    Process(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& folder, const std::string& name,
            const std::map<std::string, std::string>& environment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The process id; -1 once it has ended and been waited for, or when it
    // did not start.
    int pid() const { return pid_; }
    // False once the process has ended, by itself or not.
    bool running();
    // Waits at most `seconds` for the process to end; true with its exit
    // status in *status when it ended by itself: 0 to 255 on POSIX, the whole
    // exit code on Windows (platform::kExitFailureStatus after exitFailure).
    bool waitForExit(double seconds, int* status);
    // Asks the process to end, and kills it if it has not within a second.
    void stop();
    // Kills the process (and on POSIX its group) at once.
    void kill();
    // Whether the thread with this id, as the program prints it, is one of
    // the process's own.
    bool ownsThread(long id) const;

    // Standard output and error so far; Windows' CR LF line ends come as LF.
    std::string output() const;
    std::string errors() const;

    // "" when the process is as this class promises; else how it is not (on
    // Windows: not in the job that ends it with us, or inheriting more than
    // its standard handles). It runs all the same; a test fails with it.
    const std::string& fault() const { return fault_; }

  private:
    // The platform half's own state (on Windows the handles and the debugger
    // thread); none on POSIX.
    struct Handles;

    // Whether the process has ended, without waiting; once it has, pid_ is -1
    // and exitStatus_ is set if it ended by itself.
    bool ended();
    void askToEnd();
    static std::string asText(std::string bytes);
    // Our environment (`ours`: NAME=value strings) with `changes`, sorted by
    // name, the names compared as `less` does on this platform.
    static std::vector<std::string> environmentWith(
        const std::vector<std::string>& ours, const std::map<std::string, std::string>& changes,
        bool (*less)(const std::string&, const std::string&));

    int pid_ = -1;
    std::optional<int> exitStatus_;
    std::string outputPath_;
    std::string errorPath_;
    std::string fault_;
    std::unique_ptr<Handles> handles_;
};

// The program or library of the build under test named by `file`, as the
// build names it: on POSIX a full path, taken as it is. Under Wine a path
// built in would be a Linux path, so on Windows `file` is a file name, looked
// for in the folder that FLIGHTMFD_TEST_PROGRAMS names (the unpacked release,
// say) or else beside the running test program.
std::string programUnderTest(const std::string& file);

// Whether the thread with id `thread` is one of the process `process`'s own.
bool threadOfProcess(long thread, long process);

// Why the programs that a test starts do not run in a double-byte ANSI code
// page (a Chinese, Japanese or Korean one) here, or "" when they do.
std::string noDoubleByteCodePage();

}  // namespace testsupport
