#include "tests/support/child_process.h"

#include <fcntl.h>
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

extern char** environ;

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
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text(*entry);
        size_t equals = text.find('=');
        if (equals != std::string::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : environment) {
        merged[name] = value;
    }
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : merged) {
        envStrings.push_back(name + "=" + value);
    }
    std::vector<char*> argv;
    for (auto& s : argStrings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& s : envStrings) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);

    int in = open("/dev/null", O_RDONLY);
    int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errorPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in);
    close(out);
    close(err);
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
