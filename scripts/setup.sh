#!/usr/bin/env bash
# Installs what Quillon needs on Debian 12: `setup.sh` what building and
# running it need, `setup.sh test` also the tools of its tests and checks.
# Debian packages (with sudo when not root) and the speech runtime from npm.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build pkg-config g++
  qt6-base-dev qt6-qpa-plugins libqt6svg6 libx11-dev libxtst-dev libxi-dev
  libasound2-dev libbz2-dev libpocketsphinx-dev pocketsphinx-en-us unicode-data fonts-wqy-microhei xdg-utils
  nodejs npm
)
if [ "${1:-}" = test ]; then
  packages+=(
    clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool espeak-ng sox
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    dpkg-dev file lintian desktop-file-utils appstream
  )
fi

missing=()
for p in "${packages[@]}"; do
  # Some Node.js builds bring their own npm and conflict with Debian's package.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The keyword spotter's runtime, kept out of the repository.
bash scripts/speech-runtime.sh
