#!/usr/bin/env bash
# Installs what is missing, builds the example and unlocks a simulated lock with it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake -S . -B build-run -DTAVRIX_BUILD_TESTS=OFF -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build build-run -j "$(nproc)" --target unlock_simulated
build-run/examples/unlock_simulated
