#include "tests/support/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {
namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& changes) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text(*entry);
        size_t equals = text.find('=');
        if (equals != std::string::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : changes) {
        merged[name] = value;
    }
    std::vector<std::string> strings;
    for (const auto& [name, value] : merged) {
        strings.push_back(name + "=" + value);
    }
    return strings;
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

pid_t spawnProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder, const std::map<std::string, std::string>& environment,
                   const std::string& outputPath, const std::string& errorPath,
                   bool endWithParent) {
    // Everything the child needs is made before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStrings = mergedEnvironment(environment);
    std::vector<char*> argv = pointersTo(argStrings);
    std::vector<char*> envp = pointersTo(envStrings);

    pid_t parent = getpid();
    int in = open("/dev/null", O_RDONLY);
    int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = fork();
    if (pid == 0) {
        if (endWithParent) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) {
                _exit(127);  // the caller died before the line above took effect
            }
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
    return pid;
}

}  // namespace testsupport
