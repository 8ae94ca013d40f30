#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Environment variables changed for as long as the object lives: each one
// changed gets back, at the end, the value that it had before its first
// change (or none). Values are narrow text as platform::environmentText gives
// it. Not safe while another thread reads the environment.
class ScopedEnvironment {
  public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const char* name, const std::string& value);
    void clear(const char* name);

  private:
    void save(const char* name);

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace testsupport
