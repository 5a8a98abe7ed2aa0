#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DQUILLON_FUZZ=ON -DQUILLON_WERROR=ON \
  -DQUILLON_UNIT_ONLY=ON >/dev/null
cmake --build build-fuzz
for target in build-fuzz/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  [ -d "$seeds" ] || seeds=""
  # A target that needs flags of its own has them in fuzz/<target>.flags.
  flags=()
  [ -f "fuzz/$name.flags" ] && read -r -a flags <"fuzz/$name.flags"
  echo "fuzzing $name for $seconds s"
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 "${flags[@]}" "$corpus" \
    $seeds 2>&1 | tail -n 12
done
