#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

extern char** environ;

namespace testsupport {

struct Process::Handles {};

namespace {

// The exit status of a process that ended by itself; none after a signal.
std::optional<int> statusOf(int raw) {
    return WIFEXITED(raw) ? std::optional<int>(WEXITSTATUS(raw)) : std::nullopt;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

Process::Process(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const std::string& name,
                 const std::map<std::string, std::string>& environment)
    : outputPath_(folder + "/" + name + ".out"), errorPath_(folder + "/" + name + ".err") {
    // Everything the child needs is made before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> ours;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        ours.emplace_back(*entry);
    }
    std::vector<std::string> envStrings = environmentWith(
        ours, environment, [](const std::string& a, const std::string& b) { return a < b; });
    std::vector<char*> argv = pointersTo(argStrings);
    std::vector<char*> envp = pointersTo(envStrings);

    const pid_t parent = getpid();
    int in = open("/dev/null", O_RDONLY);
    int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errorPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);  // the caller died before the line above took effect
        }
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

Process::~Process() {
    kill();
}

bool Process::ended() {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) != pid_) {
        return false;
    }
    pid_ = -1;
    exitStatus_ = statusOf(raw);
    return true;
}

void Process::askToEnd() {
    ::kill(pid_, SIGTERM);
}

void Process::kill() {
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);  // its whole process group
        ::kill(pid_, SIGKILL);
        int raw = 0;
        waitpid(pid_, &raw, 0);
        exitStatus_ = statusOf(raw);
        pid_ = -1;
    }
}

bool threadOfProcess(long thread, long process) {
    return std::filesystem::exists("/proc/" + std::to_string(process) + "/task/" +
                                   std::to_string(thread));
}

std::string Process::asText(std::string bytes) {
    return bytes;
}

std::string programUnderTest(const std::string& file) {
    return file;
}

std::string noDoubleByteCodePage() {
    return "POSIX programs have no ANSI code page: their text is UTF-8";
}

}  // namespace testsupport
