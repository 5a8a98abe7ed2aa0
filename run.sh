#!/usr/bin/env bash
# ./run.sh        install what building and running need, build, and start Quillon
# ./run.sh test   install the test tools too, build, and run every test
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "test" ]; then
  shift
  bash scripts/setup.sh test
  exec bash scripts/test.sh "$@"
fi
bash scripts/setup.sh
bash scripts/build.sh app
exec ./build-app/src/quillon "$@"
