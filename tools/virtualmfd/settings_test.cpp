#include "tools/virtualmfd/settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "tests/support/scoped_environment.h"

namespace virtualmfd {
namespace {

// The live view is the one switch that is on unless asked off, and a test
// runner has no terminal on which to see it.
TEST(Settings, TheLiveViewIsOnUnlessSwitchedOff) {
    const std::pair<std::optional<std::string>, bool> rows[] = {
        {std::nullopt, true}, {"", true}, {"1", true}, {"0", false}};
    for (const auto& [value, view] : rows) {
        testsupport::ScopedEnvironment environment;
        environment.set("VIRTUALMFD_VIEW", value);
        EXPECT_EQ(readSettings().view, view) << value.value_or("(none)");
    }
}

}  // namespace
}  // namespace virtualmfd
