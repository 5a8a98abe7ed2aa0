#!/usr/bin/env bash
# Every check CI runs: formatting, the warning-free build, unit, GUI and X11
# tests (each X11 test starts its own Xvfb), the sanitizer build of the unit
# tests, the Windows adapters under mingw-w64, bounded fuzzing, and the Debian
# package (a Release build with Debian's hardening flags) checked as a user
# would get it.
set -uo pipefail
cd "$(dirname "$0")/.."

passed=0
failed=0
check() {
  local name=$1
  shift
  echo "=== $name"
  local start=$SECONDS
  if "$@"; then
    passed=$((passed + 1))
    echo "=== $name: ok ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "=== $name: FAILED ($((SECONDS - start)) s)"
  fi
}

format_check() {
  git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror
}

build_and_test() {
  bash scripts/build.sh && ctest --test-dir build --output-on-failure --timeout 600
}

sanitizer_tests() {
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLON_UNIT_ONLY=ON -DQUILLON_SANITIZE=ON -DQUILLON_WERROR=ON \
    >/dev/null && cmake --build build-asan &&
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure
}

package_check() {
  QUILLON_WERROR=ON bash scripts/package.sh && bash scripts/check-package.sh dist/quillon_*_amd64.deb
}

check format format_check
check build-and-test build_and_test
check sanitizers sanitizer_tests
check windows-adapters bash scripts/check-windows.sh
check fuzz bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
check package package_check

echo "checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
