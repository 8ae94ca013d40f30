#pragma once

#include <memory>
#include <string>

namespace testsupport {

// Why a test may not write the registry that the programs under test read,
// or "" when it may. A real Windows machine's registry is its owner's, the
// display vendor's entry among it: a test writes there only when
// FLIGHTMFD_TESTS_WRITE_REGISTRY=1 says so. Wine's prefix belongs to the
// build, and the POSIX stand-in to the test.
std::string registryOffLimits();

// The registry's entry that names the display library, as the programs that
// a test starts read it, while the object lives. On POSIX it is the registry
// stand-in's file under `standInRoot` (what FLIGHTMFD_REGISTRY names there),
// which belongs to the test. Windows has one registry for every program of
// the machine (of the Wine prefix, under Wine), so there the entry is written
// in the view of the test's own width, which the programs under test share;
// a named mutex keeps the other tests' entries out meanwhile, and the entry
// that was there before comes back at the end, without the keys that were
// not there. Used by one thread.
class RegistryEntry {
  public:
    // `library` "": no entry at all.
    RegistryEntry(const std::string& standInRoot, const std::string& library);
    ~RegistryEntry();
    RegistryEntry(const RegistryEntry&) = delete;
    RegistryEntry& operator=(const RegistryEntry&) = delete;

    // "" when the entry is as asked until the object ends; else why not, and
    // then the registry's value is as it was: a test that needs the entry
    // skips with this reason. On Windows: the registry is off limits, the
    // mutex was not had, or the value there could not be read (only a value
    // that is not there counts as none) or written.
    const std::string& notHeld() const { return notHeld_; }

  private:
    struct Saved;  // on Windows the mutex and what was there before; none on POSIX
    std::unique_ptr<Saved> saved_;
    std::string notHeld_;
};

}  // namespace testsupport
