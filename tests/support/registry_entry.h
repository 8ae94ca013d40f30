#pragma once

#include <memory>
#include <string>

namespace testsupport {

// The registry's entry that names the display library, as the programs that
// a test starts read it, while the object lives. On POSIX it is the registry
// stand-in's file under `standInRoot` (what FLIGHTMFD_REGISTRY names there),
// which belongs to the test. Windows has one registry for every program of
// the machine (of the Wine prefix, under Wine), so there the entry is written
// in the view of the test's own width, which the programs under test share;
// a named mutex keeps the other tests' entries out meanwhile, and the entry
// that was there before comes back at the end. Used by one thread.
class RegistryEntry {
  public:
    // `library` "": no entry at all.
    RegistryEntry(const std::string& standInRoot, const std::string& library);
    ~RegistryEntry();
    RegistryEntry(const RegistryEntry&) = delete;
    RegistryEntry& operator=(const RegistryEntry&) = delete;

  private:
    struct Saved;  // on Windows the mutex and the value before; none on POSIX
    std::unique_ptr<Saved> saved_;
};

}  // namespace testsupport
