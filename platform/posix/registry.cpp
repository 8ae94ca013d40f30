#include "platform/registry.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/utf8.h"

namespace platform {
namespace {

std::string registryRoot() {
    const char* root = std::getenv("FLIGHTMFD_REGISTRY");
    return root != nullptr && root[0] != '\0' ? root : "/etc/flightmfd/registry";
}

std::string keyFolder(const wchar_t* path) {
    std::string folder = registryRoot() + "/HKEY_LOCAL_MACHINE/" + toUtf8(path);
    for (char& c : folder) {
        if (c == '\\') {
            c = '/';
        }
    }
    return folder;
}

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool RegistryKey::open(const wchar_t* path) {
    std::string folder = keyFolder(path);
    if (!isFolder(folder)) {
        return false;
    }
    impl_ = new std::string(folder);
    return true;
}

bool RegistryKey::queryValue(const wchar_t* name, wchar_t* buffer, uint32_t* sizeBytes) {
    if (impl_ == nullptr) {
        return false;
    }
    std::string path = *static_cast<std::string*>(impl_) + "/" + toUtf8(name);
    // A folder beside the values is a subkey, not a value; reading it as a file
    // would give an empty value instead of none.
    FILE* file = isFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (file == nullptr) {
        return false;
    }
    std::string bytes;
    const bool read = readToEnd(file, &bytes);
    std::fclose(file);
    // A value cut short by a failed read would name the wrong library.
    if (!read) {
        return false;
    }
    if (!bytes.empty() && bytes.back() == '\n') {
        bytes.pop_back();
    }
    std::wstring text = fromUtf8(bytes.data(), bytes.size(), codePageChar);
    size_t needed = text.size() * sizeof(wchar_t);
    if (needed > *sizeBytes) {
        return false;
    }
    // The value's bytes as stored, without a terminator, as the registry gives
    // them; the caller terminates the text.
    std::memcpy(buffer, text.data(), needed);  // NOLINT(bugprone-not-null-terminated-result)
    *sizeBytes = static_cast<uint32_t>(needed);
    return true;
}

void RegistryKey::close() {
    delete static_cast<std::string*>(impl_);
    impl_ = nullptr;
}

std::string registryValueLocation(const wchar_t* path, const wchar_t* name) {
    return "the file " + keyFolder(path) + "/" + toUtf8(name) +
           " (the registry stand-in; FLIGHTMFD_REGISTRY names its top folder)";
}

}  // namespace platform
