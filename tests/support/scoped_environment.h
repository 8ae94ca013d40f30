#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Environment variables changed while the object lives: each gets back at the
// end the value it had before its first change, or none. Values are narrow
// text as platform::environmentText gives it. Not safe while another thread
// reads the environment.
class ScopedEnvironment {
  public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    // Sets `name` to `value`; nothing: clears it.
    void set(const char* name, const std::optional<std::string>& value);

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace testsupport
