#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/files.h"

namespace testsupport {

// flightmfd-sim, started for a test on a free port of 127.0.0.1 in a folder
// of its own, for at most a minute; ended with the object.
class SimulatorProcess {
  public:
    explicit SimulatorProcess(const std::vector<std::string>& arguments);

    // The port it answers on; 0 when it did not start.
    uint16_t port() const { return port_; }
    std::string output() const { return process_->output(); }

  private:
    TempFolder folder_;
    std::unique_ptr<ChildProcess> process_;
    uint16_t port_ = 0;
};

}  // namespace testsupport
