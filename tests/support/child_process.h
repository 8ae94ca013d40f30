#pragma once

#include "tests/support/process.h"

namespace testsupport {

// A process that an end-to-end test started. A process that is not as
// Process promises (Process::fault) fails the test. Killed when destroyed;
// then a sanitizer's report on its standard error fails the test, even one
// that never looked there.
class ChildProcess : public Process {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const std::string& name,
                 const std::map<std::string, std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
};

}  // namespace testsupport
