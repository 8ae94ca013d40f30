#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A program started for a test, its standard output and error captured in
// files of `folder`, its standard input closed (/dev/null). Killed when
// destroyed, so no test leaves a process behind; then a sanitizer's report on
// its standard error fails the test, even one that never looked there.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const std::map<std::string, std::string>& environment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    std::string output() const;  // standard output so far
    std::string errors() const;  // standard error so far

    // Waits at most `seconds` for the process to end; true with its exit
    // status (0 to 255) in *status when it ended by itself.
    bool waitForExit(double seconds, int* status);
    void kill();

  private:
    void expectNoSanitizerReport() const;

    pid_t pid_ = -1;
    std::string outputPath_;
    std::string errorPath_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

// A fresh folder under the system's temporary folder, removed with its
// contents when destroyed.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Polls `condition` every 20 ms until it holds or `seconds` pass.
template <typename Condition>
bool waitUntil(double seconds, Condition condition);

}  // namespace testsupport

#include "tests/support/wait_until.inl"
