#include "tests/support/child_process.h"

#include <gtest/gtest.h>

namespace testsupport {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& folder, const std::string& name,
                           const std::map<std::string, std::string>& environment)
    : Process(program, arguments, folder, name, environment) {
    if (!fault().empty()) {
        ADD_FAILURE() << program << ": " << fault();
    }
}

ChildProcess::~ChildProcess() {
    kill();
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

}  // namespace testsupport
