#include "tests/support/process.h"

#include "tests/support/files.h"
#include "tests/support/wait_until.h"

namespace testsupport {

bool Process::running() {
    return pid_ > 0 && !ended();
}

bool Process::waitForExit(double seconds, int* status) {
    if (!waitUntil(seconds, [&] { return !running(); }) || !exitStatus_) {
        return false;
    }
    *status = *exitStatus_;
    return true;
}

void Process::stop() {
    if (running()) {
        askToEnd();
        waitUntil(1.0, [&] { return !running(); });
        kill();
    }
}

bool Process::ownsThread(long id) const {
    return pid_ > 0 && threadOfProcess(id, pid_);
}

std::string Process::output() const {
    return asText(readFile(outputPath_));
}

std::string Process::errors() const {
    return asText(readFile(errorPath_));
}

std::vector<std::string> Process::environmentWith(const std::vector<std::string>& ours,
                                                  const std::map<std::string, std::string>& changes,
                                                  bool (*less)(const std::string&,
                                                               const std::string&)) {
    std::map<std::string, std::string, decltype(less)> merged(less);
    for (const std::string& entry : ours) {
        // Windows keeps the working folders of drives in variables named "=C:".
        const size_t equals = entry.find('=', 1);
        if (equals != std::string::npos) {
            merged[entry.substr(0, equals)] = entry.substr(equals + 1);
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

}  // namespace testsupport
