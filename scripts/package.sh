#!/usr/bin/env bash
# Builds the Debian package dist/quillon_<version>_amd64.deb as a packager
# would: a Release build with Debian's hardening flags, that knows nothing of
# this source tree, installed under /usr by CPack, dependencies computed by
# dpkg-shlibdeps. QUILLON_WERROR=ON (as CI sets it) makes warnings errors.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-package
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUILLON_TESTS=OFF -DQUILLON_SOURCE_TREE_MODELS=OFF -DQUILLON_WERROR="${QUILLON_WERROR:-OFF}" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$out"
rm -f "$out"/quillon_*.deb
(cd "$out" && cpack -G DEB >/dev/null)
mkdir -p dist
cp "$out"/quillon_*_amd64.deb dist/
ls -l dist/quillon_*_amd64.deb
