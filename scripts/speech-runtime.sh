#!/usr/bin/env bash
# Installs the keyword spotter's runtime (the sherpa-onnx shared libraries from
# npm) into .deps/ of this checkout. Does nothing when the right version is there.
set -euo pipefail
cd "$(dirname "$0")/.."

version=1.13.8
pkg=sherpa-onnx-linux-x64
dir=.deps/node_modules/$pkg

if [ -f "$dir/package.json" ] && grep -q "\"version\": \"$version\"" "$dir/package.json" &&
  [ -f "$dir/libsherpa-onnx-c-api.so" ] && [ -f "$dir/libonnxruntime.so" ]; then
  exit 0
fi

mkdir -p .deps
echo "speech-runtime: installing $pkg@$version into .deps/"
npm install --prefix .deps --no-save --no-audit --no-fund --loglevel=error "$pkg@$version"
test -f "$dir/libsherpa-onnx-c-api.so"
