#pragma once

#include <memory>
#include <string>

namespace testsupport {

// A registry of this process's own while the object lives, so that a test
// writes the display library's entry (the key and value that
// device/direct_output_loader.h names) without touching the machine's: on
// POSIX the stand-in in a fresh folder that FLIGHTMFD_REGISTRY names, on
// Windows HKEY_LOCAL_MACHINE redirected, for this process alone, to a key of
// its own. It starts without the key. One at a time; used by one thread.
class OwnRegistry {
  public:
    OwnRegistry();
    ~OwnRegistry();
    OwnRegistry(const OwnRegistry&) = delete;
    OwnRegistry& operator=(const OwnRegistry&) = delete;

    // Why the registry is not the test's own, which must then write nothing;
    // "" when it is.
    std::string unavailable() const;
    // Stores UTF-8 `text` as the value, as it is: the stand-in's file without
    // a newline, Windows' REG_SZ without a terminating zero.
    void storeText(const std::string& text);
    // Stores `bytes` as the value's own bytes: the stand-in's file, or on
    // Windows a REG_BINARY (`binary`) or a REG_SZ of those bytes.
    void storeBytes(const std::string& bytes, bool binary);
    // Removes the value, and the key too unless `keepKey`.
    void remove(bool keepKey);

  private:
    struct State;  // the stand-in's folder, or the redirection
    std::unique_ptr<State> state_;
};

}  // namespace testsupport
