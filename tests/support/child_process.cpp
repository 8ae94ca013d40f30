#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/spawn.h"

namespace testsupport {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& folder,
                           const std::map<std::string, std::string>& environment)
    : outputPath_(folder + "/stdout.txt"), errorPath_(folder + "/stderr.txt") {
    pid_ = spawnProcess(program, arguments, folder, environment, outputPath_, errorPath_,
                        /*endWithParent=*/false);
}

ChildProcess::~ChildProcess() {
    kill();
    expectNoSanitizerReport();
}

void ChildProcess::expectNoSanitizerReport() const {
    // The sanitizer builds run the same tests; a report from a child that the
    // test never waited for would otherwise go unseen.
    const std::string text = errors();
    for (const char* marker : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                               "WARNING: ThreadSanitizer", "runtime error:"}) {
        if (text.find(marker) != std::string::npos) {
            ADD_FAILURE() << "sanitizer report on the standard error of a child:\n" << text;
            return;
        }
    }
}

std::string ChildProcess::output() const {
    return readFile(outputPath_);
}

std::string ChildProcess::errors() const {
    return readFile(errorPath_);
}

bool ChildProcess::waitForExit(double seconds, int* status) {
    int raw = 0;
    bool ended = waitUntil(seconds, [&] { return waitpid(pid_, &raw, WNOHANG) == pid_; });
    if (!ended) {
        return false;
    }
    pid_ = -1;
    if (!WIFEXITED(raw)) {
        return false;
    }
    *status = WEXITSTATUS(raw);
    return true;
}

void ChildProcess::kill() {
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);  // its whole process group
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "flightmfd-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    path_ = mkdtemp(buffer.data());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace testsupport
