#include "tests/support/files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(fs::u8path(path), std::ios::binary) << text;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TempFolder::TempFolder(const std::string& prefix) {
    // create_directory() makes the folder only where none was: a name that
    // another run took meanwhile is passed over, a folder that cannot be
    // made at all ends the search.
    std::mt19937 random(std::random_device{}());
    std::error_code error;
    char suffix[16];
    do {
        std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(random()));
        path_ = (fs::temp_directory_path() / (prefix + suffix)).string();
    } while (!fs::create_directory(path_, error) && !error);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace testsupport
