#include "tools/preview/library_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "device/direct_output_loader.h"
#include "device/mfd.h"
#include "platform/registry.h"
#include "platform/utf8.h"
#include "tests/support/files.h"
#include "tests/support/registry_entry.h"
#include "tests/support/scoped_environment.h"

namespace {

// A registry of the test's own: on POSIX the stand-in in a folder that
// FLIGHTMFD_REGISTRY names, on Windows HKEY_LOCAL_MACHINE redirected for this
// process alone, to a key that the test makes under HKEY_CURRENT_USER. That
// is still the machine's registry: the test skips where no test may write it.
class LibraryCheck : public ::testing::Test {
  protected:
    LibraryCheck() {
        environment_.set("VIRTUALMFD_VIEW", "0");
        environment_.set("VIRTUALMFD_RECORD", std::nullopt);
    }

    void SetUp() override {
        const auto own = testsupport::RegistryEntry::Reader::kThisProcess;
        if (const std::string why = registry_.emplace(folder_.path(), "", own).notHeld();
            !why.empty()) {
            GTEST_SKIP() << why;
        }
    }

    // No key, a key without the value (empty), or the value.
    void registry(const std::optional<std::string>& value) {
        registry_->remove(value.has_value());
        if (value && !value->empty()) {
            registry_->storeText(*value);
        }
    }
    // The entry as the program reads it: whether the key is there, and the
    // value's bytes.
    std::wstring registryState() const {
        platform::RegistryKey key;
        if (!key.open(kDirectOutputKey)) {
            return L"no key";
        }
        wchar_t value[1024] = {};
        uint32_t size = sizeof value - sizeof(wchar_t);
        key.queryValue(kDirectOutputValue, value, &size);
        key.close();
        return value;
    }

    testsupport::TempFolder folder_{"flightmfd-library-check"};
    testsupport::ScopedEnvironment environment_;
    std::optional<testsupport::RegistryEntry> registry_;
};

const std::string kKey = platform::toUtf8(kDirectOutputKey);
const std::string kValue = platform::toUtf8(kDirectOutputValue);

#ifdef _WIN32
std::string location(const std::string& /*registryRoot*/) {
    return "the value " + kValue + " of HKEY_LOCAL_MACHINE\\" + kKey +
           (sizeof(void*) == 8 ? " (the 64-bit view of the registry)"
                               : " in the 32-bit view of the registry (in regedit: "
                                 "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\" +
                                     kKey.substr(kKey.find('\\') + 1) + ")");
}
const std::string kMakeTheEntry = "install the joystick vendor's software, which makes that entry.";
const std::string kTryTheVirtualDisplay = "set FLIGHTMFD_DISPLAY_LIBRARY=%CD%\\virtualmfd.dll\n";
#else
std::string slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
std::string location(const std::string& registryRoot) {
    return "the file " + registryRoot + "/HKEY_LOCAL_MACHINE/" + slashed(kKey) + "/" + kValue;
}
const std::string kMakeTheEntry = "write the library's full path into that file.";
const std::string kTryTheVirtualDisplay =
    "export FLIGHTMFD_DISPLAY_LIBRARY=/usr/lib/flightmfd/libvirtualmfd.so\n";
#endif

const std::string kStops =
    std::string("the program stops with \"") + kInitializeFailedMessage + "\".";

TEST_F(LibraryCheck, TellsWhereThePathComesFromWhetherItLoadsAndWhatToDo) {
    const std::string notAFile = folder_.file("notes.txt");
    testsupport::writeFile(notAFile, "not a library\n");
    const auto none = std::nullopt;
    const std::string loads =
        "It loads, and exports the five entry points that the program calls.\n";
    const struct {
        struct {
            const char* label;
            std::optional<std::string> variable;
            std::optional<std::string> registered;  // see registry()
        } given;
        std::vector<std::string> told;
    } cases[] = {
        {{"no entry", none, none},
         {"FLIGHTMFD_DISPLAY_LIBRARY is not set, so the program reads " + location(folder_.path()),
          "That key is not there; " + kStops, "To do: " + kMakeTheEntry + " To try the program",
          "\n    " + kTryTheVirtualDisplay}},
        {{"a key without the value", none, ""}, {"The key is there, but not the value"}},
        {{"a wrong path", "/nonexistent/DirectOutput.so", none},
         {"FLIGHTMFD_DISPLAY_LIBRARY names it, so the program does not read the registry.",
          "Path: /nonexistent/DirectOutput.so\n", "No file is there; " + kStops,
          "To do: set FLIGHTMFD_DISPLAY_LIBRARY to the library's full path, or clear it"}},
        {{"a quoted path", "\"" VIRTUALMFD_PATH "\"", none},
         {"names it (in double quotes, which the program takes off)", "Path: " VIRTUALMFD_PATH "\n",
          loads}},
        {{"the virtual display in the registry", "", VIRTUALMFD_PATH},
         {"Path: " VIRTUALMFD_PATH "\n", loads}},
        {{"a registry entry naming no file", "", "/nonexistent/DirectOutput.so"},
         {"Path: /nonexistent/DirectOutput.so\n", "No file is there; " + kStops,
          "To do: the entry names no library that the program can use; " + kMakeTheEntry}},
        {{"a file that is no library", notAFile, none}, {"The file is there but does not load: "}},
        {{"a library without SetString", PARTIALMFD_PATH, none},
         {"It lacks " + std::string(entryPointName(DirectOutputEntry::SetString)) +
              ": the display shows no text.\n",
          "To do: name the joystick vendor's DirectOutput.dll, or the virtual display."}},
        {{"a library with two entry points", TWOENTRIESMFD_PATH, none},
         {"It lacks " + std::string(entryPointName(DirectOutputEntry::Initialize)) + ": " + kStops,
          "It lacks " + std::string(entryPointName(DirectOutputEntry::Enumerate)) +
              ": the program learns of no device and stops with \"" + kNoDeviceMessage + "\".\n"}},
    };
    for (const auto& c : cases) {
        environment_.set(kDisplayLibraryVariable, c.given.variable);
        registry(c.given.registered);
        const std::wstring before = registryState();
        const std::string report = checkDisplayLibrary();
        EXPECT_EQ(report.rfind("Display library:\n", 0), 0u) << c.given.label;
        for (const std::string& text : c.told) {
            EXPECT_NE(report.find(text), std::string::npos) << c.given.label << ": " << text << "\n"
                                                            << report;
        }
        // It asks only for what the program calls, and only reads.
        EXPECT_EQ(report.find(entryPointName(DirectOutputEntry::Deinitialize)), std::string::npos);
        EXPECT_EQ(registryState(), before) << c.given.label;
    }
}

}  // namespace
