#include <filesystem>

#include "device/direct_output_loader.h"
#include "platform/utf8.h"
#include "tests/support/files.h"
#include "tests/support/own_registry.h"
#include "tests/support/scoped_environment.h"

namespace testsupport {

namespace fs = std::filesystem;

struct OwnRegistry::State {
    TempFolder folder{"flightmfd-registry"};
    ScopedEnvironment environment;

    fs::path machine() const { return fs::path(folder.path()) / "HKEY_LOCAL_MACHINE"; }
    fs::path key() const {
        std::string path = platform::toUtf8(kDirectOutputKey);
        for (char& c : path) {
            c = c == '\\' ? '/' : c;
        }
        return machine() / path;
    }
};

OwnRegistry::OwnRegistry() : state_(std::make_unique<State>()) {
    state_->environment.set("FLIGHTMFD_REGISTRY", state_->folder.path());
}

OwnRegistry::~OwnRegistry() = default;

std::string OwnRegistry::unavailable() const {
    return "";
}

void OwnRegistry::storeText(const std::string& text) {
    storeBytes(text, false);
}

void OwnRegistry::storeBytes(const std::string& bytes, bool) {
    fs::create_directories(state_->key());
    writeFile((state_->key() / platform::toUtf8(kDirectOutputValue)).string(), bytes);
}

void OwnRegistry::remove(bool keepKey) {
    std::error_code ignored;
    fs::remove_all(
        keepKey ? state_->key() / platform::toUtf8(kDirectOutputValue) : state_->machine(),
        ignored);
}

}  // namespace testsupport
