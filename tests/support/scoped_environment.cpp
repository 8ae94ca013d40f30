#include "tests/support/scoped_environment.h"

#include "platform/environment.h"

namespace testsupport {

ScopedEnvironment::~ScopedEnvironment() {
    // Latest first, although each name is saved once.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            platform::setEnvironmentVariable(it->first.c_str(), *it->second);
        } else {
            platform::clearEnvironmentVariable(it->first.c_str());
        }
    }
}

void ScopedEnvironment::set(const char* name, const std::string& value) {
    save(name);
    platform::setEnvironmentVariable(name, value);
}

void ScopedEnvironment::clear(const char* name) {
    save(name);
    platform::clearEnvironmentVariable(name);
}

void ScopedEnvironment::save(const char* name) {
    for (const auto& saved : saved_) {
        if (saved.first == name) {
            return;
        }
    }
    saved_.emplace_back(name, platform::environmentText(name));
}

}  // namespace testsupport
