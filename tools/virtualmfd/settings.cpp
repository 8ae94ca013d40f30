#include "tools/virtualmfd/settings.h"

#include <cstdlib>

#include "platform/environment.h"

namespace virtualmfd {
namespace {

std::string variable(const char* name) {
    return platform::environmentText(name).value_or("");
}

// A switch is on for any value but none, an empty one and "0".
bool switchedOn(const char* name) {
    const std::string value = variable(name);
    return !value.empty() && value != "0";
}

}  // namespace

Settings readSettings() {
    Settings settings;
    settings.recordPath = variable("VIRTUALMFD_RECORD");
    settings.recordTime = switchedOn("VIRTUALMFD_RECORD_TIME");
    settings.recordResult = switchedOn("VIRTUALMFD_RECORD_RESULT");
    settings.noDevice = switchedOn("VIRTUALMFD_NO_DEVICE");
    settings.failInitialize = switchedOn("VIRTUALMFD_FAIL_INITIALIZE");
    settings.failSetString = switchedOn("VIRTUALMFD_FAIL_SETSTRING");
    settings.view = variable("VIRTUALMFD_VIEW") != "0";
    long seconds = std::strtol(variable("VIRTUALMFD_REPLUG_SECONDS").c_str(), nullptr, 10);
    settings.replugSeconds = seconds > 0 && seconds <= 86400 ? static_cast<int>(seconds) : 0;
    return settings;
}

}  // namespace virtualmfd
