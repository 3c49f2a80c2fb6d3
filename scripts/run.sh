#!/usr/bin/env bash
# Installs what is missing, builds the example and unlocks a simulated lock with it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake -S . -B build -DCMAKE_CXX_COMPILER=g++ -DTAVRIX_WERROR=ON >/dev/null
cmake --build build -j "$(nproc)" --target unlock_simulated
build/examples/unlock_simulated
