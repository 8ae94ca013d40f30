#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --workflow --preset dev --fresh
# Sanitizers, short fuzz runs, a brief benchmark run and a short soak.
scripts/hardening.sh
scripts/package-check.sh build
# Windows: both cross-builds, the unit tests and the whole system under Wine, the release zip.
scripts/windows-check.sh
