#pragma once

#include "tests/support/process.h"

namespace testsupport {

// A process that an end-to-end test started. Killed when destroyed; then a
// process that was not as Process promises (Process::fault), or a
// sanitizer's report on its standard error, fails the test, even one that
// never looked there.
class ChildProcess : public Process {
  public:
    using Process::Process;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
};

}  // namespace testsupport
