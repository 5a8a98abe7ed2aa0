#!/usr/bin/env bash
# `build.sh`: the developer build, everything (tests and benchmarks too) in
# build/, warnings as errors. `build.sh app`: only the program, in build-app/,
# as a user builds it: a newer compiler's warnings do not stop it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = app ]; then
  cmake -S . -B build-app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=OFF >/dev/null
  cmake --build build-app --target quillon
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_WERROR=ON >/dev/null
  cmake --build build
fi
