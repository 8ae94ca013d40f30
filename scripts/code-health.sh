#!/usr/bin/env bash
# Code health: clang-format on every C++ file, and clang-tidy (.clang-tidy:
# bugprone, concurrency, performance) on the product code that the POSIX build
# compiles: the tests and the Windows-only files excepted. Any finding fails.
#   scripts/code-health.sh [BUILD_FOLDER]   (default build, the dev preset's)
# The build folder must have been configured: clang-tidy reads its
# compile_commands.json.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/install-deps.sh clang-format clang-tidy

mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.inl')
clang-format --dry-run -Werror "${sources[@]}"

mapfile -t product < <(printf '%s\n' "${sources[@]}" | grep '\.cpp$' |
    grep -Ev '(_test|_win32|_fixture)\.cpp$|^(tests|bench|fuzz)/|^platform/win32/')
# clang does not know all of gcc's options.
mkdir -p "$build/tidy"
sed 's/ -fno-gnu-unique//g' "$build/compile_commands.json" >"$build/tidy/compile_commands.json"
status=0
printf '%s\n' "${product[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build/tidy" --quiet 2>/dev/null || status=$?
if [ "$status" -ne 0 ]; then
    echo "code-health: clang-tidy has findings (above)" >&2
    exit 1
fi
echo "code-health: ${#sources[@]} C++ files formatted, ${#product[@]} product files without findings"
