#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Paths are UTF-8 here, on Windows too.

// The whole file; "" when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file's contents with `text`, byte for byte.
void writeFile(const std::string& path, const std::string& text);
// The lines of `text` without their newlines.
std::vector<std::string> splitLines(const std::string& text);

// A fresh folder under the system's temporary folder, <prefix>-<8 hex
// digits>, removed with its contents when destroyed.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix = "flightmfd");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace testsupport
