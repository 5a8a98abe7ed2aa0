#!/usr/bin/env bash
# Checks a Debian package of Quillon as a user gets it: unpacked far from any
# source tree and run with empty home and data folders, it must list the
# keyword spotter first, answer --version and --help without a display and
# say that --do needs one, and hold no path of the machine it was built on; it
# must say that Quillon is under GPL-3.0-or-later; its desktop entry and
# AppStream metadata must validate; lintian must find no error.
#
#   scripts/check-package.sh dist/quillon_<version>_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
source_tree=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
mkdir -p "$work/home" "$work/data"

# As a user runs it, over SSH or in a script: no display.
run() { (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_DATA_HOME="$work/data" "$work/root/usr/bin/quillon" "$@"); }
engines=$(run --list-recognizers)
echo "engines: $(echo $engines)"
if [ "$(head -n 1 <<<"$engines")" != sherpa ]; then
  echo "check-package: the keyword spotter is not the first engine" >&2
  exit 1
fi
version=$(run --version)
echo "version: $version"
help=$(run --help)
if ! grep -q '^Quillon [0-9]' <<<"$version" || ! grep -q -e '--list-recognizers' <<<"$help"; then
  echo "check-package: --version or --help does not answer without a display" >&2
  exit 1
fi
if run --do Ctrl+V 2>"$work/no-display.txt" || ! grep -q 'no display found' "$work/no-display.txt"; then
  echo "check-package: --do without a display does not say that it needs one" >&2
  exit 1
fi
if ! grep -q 'GPL-3.0-or-later' "$work"/root/usr/share/doc/quillon/copyright ||
  ! grep -q '<project_license>GPL-3.0-or-later</project_license>' "$work"/root/usr/share/metainfo/*.metainfo.xml; then
  echo "check-package: the package does not say that Quillon is under GPL-3.0-or-later" >&2
  exit 1
fi
if grep -r -l -a -F "$source_tree" "$work/root"; then
  echo "check-package: the files above name the source tree $source_tree" >&2
  exit 1
fi
desktop-file-validate "$work"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$deb"
