#include "tests/support/scoped_environment.h"

#include <algorithm>

#include "platform/environment.h"

namespace testsupport {
namespace {

void put(const char* name, const std::optional<std::string>& value) {
    if (value) {
        platform::setEnvironmentVariable(name, *value);
    } else {
        platform::clearEnvironmentVariable(name);
    }
}

}  // namespace

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
        put(name.c_str(), value);
    }
}

void ScopedEnvironment::set(const char* name, const std::optional<std::string>& value) {
    if (std::none_of(saved_.begin(), saved_.end(),
                     [&](const auto& s) { return s.first == name; })) {
        saved_.emplace_back(name, platform::environmentText(name));
    }
    put(name, value);
}

}  // namespace testsupport
