#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test.
# The i686 release runs under 32-bit Wine where this machine runs 32-bit code,
# which a small 32-bit program probes. To check what a machine without 32-bit
# support does, override the probe: FLIGHTMFD_32BIT=0 scripts/check.sh
# (the release is then only compiled, linked and packed, and one line says so).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --workflow --preset dev --fresh
# clang-format on every C++ file, clang-tidy on the product code.
scripts/code-health.sh build
# Sanitizers, short fuzz runs, a brief benchmark run and a short soak.
scripts/hardening.sh
scripts/package-check.sh build
# Windows: both cross-builds, the unit tests and the whole system under Wine, the release zip.
scripts/windows-check.sh
