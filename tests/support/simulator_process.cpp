#include "tests/support/simulator_process.h"

#include <cstdio>

#include "tests/support/system_fixture.h"
#include "tests/support/wait_until.h"

namespace testsupport {

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"--port", "0", "--duration", "60"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    process_ = std::make_unique<ChildProcess>(simulatorPath(), all, folder_.path(), "sim");
    unsigned port = 0;
    waitUntil(10, [&] {
        return std::sscanf(process_->output().c_str(), "flightmfd-sim answering on 127.0.0.1:%u",
                           &port) == 1;
    });
    port_ = static_cast<uint16_t>(port);
}

}  // namespace testsupport
