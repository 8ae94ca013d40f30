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

// The registry's entry that names the display library (the key and value
// that device/direct_output_loader.h names), while the object lives, in the
// registry of one of two readers. Used by one thread.
//
// The programs that a test starts: on POSIX the registry stand-in under
// `standInRoot` (what FLIGHTMFD_REGISTRY names there), which belongs to the
// test. Windows has one registry for every program of the machine (of the
// Wine prefix, under Wine), so there the entry is written in the view of the
// test's own width, which the programs under test share; a named mutex keeps
// the other tests' entries out meanwhile, and the entry that was there before
// comes back at the end, without the keys that were not there.
//
// This process alone: on POSIX the stand-in under `standInRoot`, which
// FLIGHTMFD_REGISTRY names while the object lives; on Windows
// HKEY_LOCAL_MACHINE redirected for this process to a key of the test's own
// under HKEY_CURRENT_USER, taken away at the end. That is still the
// machine's registry, written only where registryOffLimits allows.
class RegistryEntry {
  public:
    enum class Reader { kStartedPrograms, kThisProcess };

    // `library` "": no entry at all.
    RegistryEntry(const std::string& standInRoot, const std::string& library,
                  Reader reader = Reader::kStartedPrograms);
    ~RegistryEntry();
    RegistryEntry(const RegistryEntry&) = delete;
    RegistryEntry& operator=(const RegistryEntry&) = delete;

    // "" when the entry is as asked until the object ends; else why not, and
    // then the registry's value is as it was: a test that needs the entry
    // skips with this reason. On Windows: the registry is off limits, the
    // mutex was not had, HKEY_LOCAL_MACHINE was not redirected, or the value
    // there could not be read (only a value that is not there counts as none)
    // or written.
    const std::string& notHeld() const { return notHeld_; }

    // Stores UTF-8 `text` as the value, as it is: the stand-in's file without
    // a newline, Windows' REG_SZ without a terminating zero.
    void storeText(const std::string& text);
    // Stores `bytes` as the value's own bytes: the stand-in's file, or on
    // Windows a REG_BINARY (`binary`) or a REG_SZ of those bytes.
    void storeBytes(const std::string& bytes, bool binary);
    // Removes the value, and with `keepKey` false the key too where the
    // registry is this process's own; with `keepKey` the key stays, or is made.
    void remove(bool keepKey);

  private:
    // On Windows the mutex and what was there before, or the redirection; on
    // POSIX the stand-in's root and the environment.
    struct Saved;
    std::unique_ptr<Saved> saved_;
    std::string notHeld_;
};

}  // namespace testsupport
