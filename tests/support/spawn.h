#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Starts `program` with `arguments` in `folder`, in a process group of its
// own, with standard input from /dev/null and standard output and error
// written to the two files. `environment` changes or adds variables to ours.
// With `endWithParent`, the kernel ends the child should the caller die, so
// that no run leaves a process behind. Returns the child's pid.
pid_t spawnProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder, const std::map<std::string, std::string>& environment,
                   const std::string& outputPath, const std::string& errorPath, bool endWithParent);

}  // namespace testsupport
