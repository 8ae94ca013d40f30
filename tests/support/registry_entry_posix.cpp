#include "tests/support/files.h"
#include "tests/support/registry_entry.h"

namespace testsupport {

std::string registryOffLimits() {
    return "";
}

struct RegistryEntry::Saved {};

RegistryEntry::RegistryEntry(const std::string& standInRoot, const std::string& library) {
    if (!library.empty()) {
        writeRegistryEntry(standInRoot, library + "\n");
    }
}

RegistryEntry::~RegistryEntry() = default;

}  // namespace testsupport
