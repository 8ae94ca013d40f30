#include "tools/preview/library_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "device/direct_output_loader.h"
#include "platform/registry.h"
#include "tests/support/registry_entry.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/local_machine_override.h"
#endif

namespace fs = std::filesystem;

namespace {

const char kVariable[] = "FLIGHTMFD_DISPLAY_LIBRARY";

fs::path registryRoot() {
    return fs::temp_directory_path() / "flightmfd-library-check";
}

void setVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");  // "" removes it
#else
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

// A registry of the test's own: on POSIX the stand-in in a folder that
// FLIGHTMFD_REGISTRY names, on Windows HKEY_LOCAL_MACHINE redirected for this
// process alone, to a key that the test makes under HKEY_CURRENT_USER. That
// is still the machine's registry: the test skips where no test may write it.
class LibraryCheck : public ::testing::Test {
  protected:
    LibraryCheck() : root_(registryRoot()) {
        fs::remove_all(root_);
        fs::create_directories(root_);
#ifndef _WIN32
        setVariable("FLIGHTMFD_REGISTRY", root_.c_str());
#endif
        setVariable("VIRTUALMFD_VIEW", "0");
        setVariable("VIRTUALMFD_RECORD", nullptr);
    }
    ~LibraryCheck() override {
        setVariable(kVariable, nullptr);
        fs::remove_all(root_);
    }

    void SetUp() override {
        if (const std::string offLimits = testsupport::registryOffLimits(); !offLimits.empty()) {
            GTEST_SKIP() << offLimits;
        }
#ifdef _WIN32
        ASSERT_TRUE(override_.emplace().active());
#endif
    }

#ifdef _WIN32
    // Removes the key, or makes it, with the value when one is given.
    void registry(bool keyPresent, const std::string& value) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Saitek");
        HKEY key;
        if (keyPresent &&
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Saitek\\DirectOutput", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
            const std::wstring text(value.begin(), value.end());
            if (!text.empty()) {
                RegSetValueExW(key, L"DirectOutputX86", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
            }
            RegCloseKey(key);
        }
    }
    std::optional<platform::LocalMachineOverride> override_;
#else
    fs::path key() const {
        return root_ / "HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput";
    }
    // Removes the key, or makes it, with the value when one is given.
    void registry(bool keyPresent, const std::string& value) {
        fs::remove_all(root_ / "HKEY_LOCAL_MACHINE");
        if (keyPresent) {
            fs::create_directories(key());
        }
        if (!value.empty()) {
            std::ofstream(key() / "DirectOutputX86") << value << "\n";
        }
    }
#endif
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

    fs::path root_;
};

#ifdef _WIN32
const std::string kLocation =
    "the value DirectOutputX86 of HKEY_LOCAL_MACHINE\\SOFTWARE\\Saitek\\DirectOutput" +
    std::string(sizeof(void*) == 8 ? " (the 64-bit view of the registry)"
                                   : " in the 32-bit view of the registry (in regedit: "
                                     "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Saitek\\"
                                     "DirectOutput)");
const std::string kMakeTheEntry = "install the joystick vendor's software, which makes that entry.";
const std::string kTryTheVirtualDisplay = "set FLIGHTMFD_DISPLAY_LIBRARY=%CD%\\virtualmfd.dll\n";
#else
const std::string kLocation =
    "the file " +
    (registryRoot() / "HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput/DirectOutputX86").string();
const std::string kMakeTheEntry = "write the library's full path into that file.";
const std::string kTryTheVirtualDisplay =
    "export FLIGHTMFD_DISPLAY_LIBRARY=/usr/lib/flightmfd/libvirtualmfd.so\n";
#endif

const std::string kStops =
    "the program stops with \"Failed to initialize DirectOutput, press any key to quit\".";

TEST_F(LibraryCheck, TellsWhereThePathComesFromWhetherItLoadsAndWhatToDo) {
    const std::string notAFile = (root_ / "notes.txt").string();
    std::ofstream(notAFile) << "not a library\n";
    const struct {
        const char* label;
        const char* variable;  // null: not set
        bool keyPresent;
        std::string value;  // the registry value; empty: none
        std::vector<std::string> told;
    } cases[] = {
        {"no entry",
         nullptr,
         false,
         "",
         {"FLIGHTMFD_DISPLAY_LIBRARY is not set, so the program reads " + kLocation,
          "That key is not there; " + kStops, "To do: " + kMakeTheEntry + " To try the program",
          "\n    " + kTryTheVirtualDisplay}},
        {"a key without the value", nullptr, true, "", {"The key is there, but not the value"}},
        {"a wrong path",
         "/nonexistent/DirectOutput.so",
         false,
         "",
         {"FLIGHTMFD_DISPLAY_LIBRARY names it, so the program does not read the registry.",
          "Path: /nonexistent/DirectOutput.so\n", "No file is there; " + kStops,
          "To do: set FLIGHTMFD_DISPLAY_LIBRARY to the library's full path, or clear it"}},
        {"a quoted path",
         "\"" VIRTUALMFD_PATH "\"",
         false,
         "",
         {"names it (in double quotes, which the program takes off)", "Path: " VIRTUALMFD_PATH "\n",
          "It loads, and exports the five entry points that the program calls.\n"}},
        {"the virtual display in the registry",
         "",
         true,
         VIRTUALMFD_PATH,
         {"Path: " VIRTUALMFD_PATH "\n",
          "It loads, and exports the five entry points that the program calls.\n"}},
        {"a registry entry naming no file",
         "",
         true,
         "/nonexistent/DirectOutput.so",
         {"Path: /nonexistent/DirectOutput.so\n", "No file is there; " + kStops,
          "To do: the entry names no library that the program can use; " + kMakeTheEntry}},
        {"a file that is no library",
         notAFile.c_str(),
         false,
         "",
         {"The file is there but does not load: "}},
        {"a library without SetString",
         PARTIALMFD_PATH,
         false,
         "",
         {"It lacks DirectOutput_SetString: the display shows no text.\n",
          "To do: name the joystick vendor's DirectOutput.dll, or the virtual display."}},
        {"a library without Enumerate",
         NOENUMERATEMFD_PATH,
         false,
         "",
         {"It lacks DirectOutput_Enumerate: the program learns of no device and stops with \"No "
          "DirectOutput devices found, press any key to quit\".\n"}},
    };
    for (const auto& c : cases) {
        setVariable(kVariable, c.variable);
        registry(c.keyPresent, c.value);
        const std::wstring before = registryState();
        const std::string report = checkDisplayLibrary();
        EXPECT_EQ(report.rfind("Display library:\n", 0), 0u) << c.label;
        for (const std::string& text : c.told) {
            EXPECT_NE(report.find(text), std::string::npos) << c.label << ": " << text << "\n"
                                                            << report;
        }
        // It only reads.
        EXPECT_EQ(registryState(), before) << c.label;
    }
}

}  // namespace
