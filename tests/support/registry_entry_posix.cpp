#include <filesystem>

#include "device/direct_output_loader.h"
#include "platform/utf8.h"
#include "tests/support/files.h"
#include "tests/support/registry_entry.h"
#include "tests/support/scoped_environment.h"

namespace testsupport {

namespace fs = std::filesystem;

std::string registryOffLimits() {
    return "";
}

struct RegistryEntry::Saved {
    fs::path machine;  // <standInRoot>/HKEY_LOCAL_MACHINE
    ScopedEnvironment environment;

    fs::path key() const {
        std::string path = platform::toUtf8(kDirectOutputKey);
        for (char& c : path) {
            c = c == '\\' ? '/' : c;
        }
        return machine / path;
    }
    fs::path value() const { return key() / platform::toUtf8(kDirectOutputValue); }
};

RegistryEntry::RegistryEntry(const std::string& standInRoot, const std::string& library,
                             Reader reader)
    : saved_(std::make_unique<Saved>()) {
    saved_->machine = fs::path(standInRoot) / "HKEY_LOCAL_MACHINE";
    if (reader == Reader::kThisProcess) {
        saved_->environment.set("FLIGHTMFD_REGISTRY", standInRoot);
    }
    if (!library.empty()) {
        storeText(library + "\n");
    }
}

RegistryEntry::~RegistryEntry() = default;

void RegistryEntry::storeText(const std::string& text) {
    storeBytes(text, false);
}

void RegistryEntry::storeBytes(const std::string& bytes, bool) {
    fs::create_directories(saved_->key());
    writeFile(saved_->value().string(), bytes);
}

void RegistryEntry::remove(bool keepKey) {
    std::error_code ignored;
    fs::remove_all(keepKey ? saved_->value() : saved_->machine, ignored);
    if (keepKey) {
        fs::create_directories(saved_->key());
    }
}

}  // namespace testsupport
