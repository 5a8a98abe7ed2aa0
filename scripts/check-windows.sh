#!/usr/bin/env bash
# Compiles the portable core and the Windows adapters with mingw-w64 and links
# them into a check program: the Windows build can't run here, but this keeps
# the adapters honest against the real Windows headers and libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=x86_64-w64-mingw32-g++-posix
out=build-mingw
mkdir -p "$out"
portable=(src/commands/*.cpp src/core/*.cpp src/vocabulary/vocab_text.cpp src/vocabulary/number_slot.cpp src/vocabulary/gbk.cpp)
mapfile -t adapters < <(git ls-files -co --exclude-standard -- 'src/*_win.cpp' | grep -v '^src/ui/')
mapfile -t checks < <(git ls-files -co --exclude-standard -- 'tests/windows/*.cpp')
flags=(-std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror -Isrc -DUNICODE -D_UNICODE)
objects=()
for f in "${portable[@]}" "${adapters[@]}" "${checks[@]}"; do
  o="$out/$(echo "$f" | tr '/' '_').o"
  "$cxx" "${flags[@]}" -c "$f" -o "$o"
  objects+=("$o")
done
if ((${#checks[@]})); then
  "$cxx" -static -o "$out/windows-check.exe" "${objects[@]}" -lsapi -lole32 -loleaut32 -luuid -lshell32 -luser32
  echo "linked $out/windows-check.exe from ${#objects[@]} objects"
else
  echo "compiled ${#objects[@]} files (no link check program yet)"
fi
