#!/usr/bin/env bash
# Checks a Debian package of Quillon as a user gets it: unpacked far from any
# source tree and run with empty home and data folders, it must list the
# keyword spotter first and hold no path of the machine it was built on; its
# desktop entry and AppStream metadata must validate; lintian must find no
# error.
#
#   scripts/check-package.sh dist/quillon_<version>_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
source_tree=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
mkdir -p "$work/home" "$work/data"

engines=$(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/data" \
  "$work/root/usr/bin/quillon" --list-recognizers)
echo "engines: $(echo $engines)"
if [ "$(head -n 1 <<<"$engines")" != sherpa ]; then
  echo "check-package: the keyword spotter is not the first engine" >&2
  exit 1
fi
if grep -r -l -a -F "$source_tree" "$work/root"; then
  echo "check-package: the files above name the source tree $source_tree" >&2
  exit 1
fi
desktop-file-validate "$work"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$deb"
