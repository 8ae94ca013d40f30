#include "tools/virtualmfd/settings.h"

#include <cstdlib>
#include <cstring>

namespace virtualmfd {
namespace {

const char* variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A switch is on for any value but none, an empty one and "0".
bool switchedOn(const char* name) {
    const char* value = variable(name);
    return value[0] != '\0' && std::strcmp(value, "0") != 0;
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
    settings.view = std::strcmp(variable("VIRTUALMFD_VIEW"), "0") != 0;
    long seconds = std::strtol(variable("VIRTUALMFD_REPLUG_SECONDS"), nullptr, 10);
    settings.replugSeconds = seconds > 0 && seconds <= 86400 ? static_cast<int>(seconds) : 0;
    return settings;
}

}  // namespace virtualmfd
