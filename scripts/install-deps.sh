#!/usr/bin/env bash
# Installs the Debian packages that a task needs, when missing:
#   scripts/install-deps.sh           build and run the program: a compiler,
#                                     CMake, Ninja and expat (scripts/run.sh)
#   scripts/install-deps.sh test      and what the native tests and checks need
#   scripts/install-deps.sh windows   and what the Windows cross-build and its
#                                     tests under Wine need
# scripts/check.sh asks for both. No package is named by its LLVM version, so
# that a later Debian or Ubuntu release finds its own. Works as root or
# through sudo, with or without a terminal; a second run returns at once.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
install() {  # package...
    local package missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

packages=(cmake ninja-build g++ libexpat1-dev)
for task in "$@"; do
    case $task in
        # GoogleTest, Google Benchmark, clang (the fuzz targets, clang-tidy,
        # clang-format) and dpkg-dev (dpkg-shlibdeps, for the Debian package).
        test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang clang-tidy clang-format dpkg-dev) ;;
        # The mingw-w64 compilers (posix thread model), Wine, tmux (a console
        # for the programs under Wine), the GoogleTest sources, dpkg-dev
        # (apt-get source) and the locales (the double-byte test's zh_CN.UTF-8).
        windows) packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 tmux
            googletest dpkg-dev locales) ;;
        *) echo "usage: $0 [test] [windows]" >&2 && exit 2 ;;
    esac
done
install "${packages[@]}"

if [[ " $* " == *" test "* ]]; then
    # The sanitizers' and libFuzzer's run-time and llvm-symbolizer, which
    # names the lines in a report: those of the clang installed.
    major=$(clang -dumpversion | cut -d. -f1)
    install "libclang-rt-$major-dev" "llvm-$major"
fi
# 32-bit Wine runs the release build where this machine runs 32-bit code; the
# probe needs the assembler and the linker that came with the compilers.
if [[ " $* " == *" windows "* ]] && cmake/runs-32bit.sh; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "Adding the i386 architecture for 32-bit Wine"
        $sudo dpkg --add-architecture i386
    fi
    install wine32:i386
fi
