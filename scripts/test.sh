#!/usr/bin/env bash
# Builds everything and runs every test: the release build, then the
# address/undefined-behaviour sanitizer build (skip it with VL2_SKIP_ASAN=1).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release

if [ "${VL2_SKIP_ASAN:-0}" != "1" ]; then
  cmake --preset asan >/dev/null
  cmake --build --preset asan
  ctest --preset asan
fi
