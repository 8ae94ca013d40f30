#include "tools/preview/library_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kVariable[] = "FLIGHTMFD_DISPLAY_LIBRARY";

// A registry stand-in of the test's own, named by FLIGHTMFD_REGISTRY.
class LibraryCheck : public ::testing::Test {
  protected:
    LibraryCheck() : root_(fs::temp_directory_path() / "flightmfd-library-check") {
        fs::remove_all(root_);
        fs::create_directories(root_);
        setenv("FLIGHTMFD_REGISTRY", root_.c_str(), 1);
        setenv("VIRTUALMFD_VIEW", "0", 1);
        unsetenv("VIRTUALMFD_RECORD");
    }
    ~LibraryCheck() override {
        unsetenv(kVariable);
        fs::remove_all(root_);
    }

    fs::path key() const { return root_ / "HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput"; }
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
    std::vector<fs::path> files() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) {
            found.push_back(entry.path());
        }
        return found;
    }

    fs::path root_;
};

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
         {"FLIGHTMFD_DISPLAY_LIBRARY is not set, so the program reads the file " +
              (root_ / "HKEY_LOCAL_MACHINE/SOFTWARE/Saitek/DirectOutput/DirectOutputX86").string(),
          "That key is not there; " + kStops,
          "To do: write the library's full path into that file. To try the program without the "
          "joystick, name the virtual display instead:\n"
          "    export FLIGHTMFD_DISPLAY_LIBRARY=/usr/lib/flightmfd/libvirtualmfd.so\n"}},
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
          "To do: the entry names no library that the program can use; write the library's full "
          "path into that file."}},
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
        if (c.variable != nullptr) {
            setenv(kVariable, c.variable, 1);
        } else {
            unsetenv(kVariable);
        }
        registry(c.keyPresent, c.value);
        const std::vector<fs::path> before = files();
        const std::string report = checkDisplayLibrary();
        EXPECT_EQ(report.rfind("Display library:\n", 0), 0u) << c.label;
        for (const std::string& text : c.told) {
            EXPECT_NE(report.find(text), std::string::npos) << c.label << ": " << text << "\n"
                                                            << report;
        }
        // It only reads.
        EXPECT_EQ(files(), before) << c.label;
    }
}

}  // namespace
