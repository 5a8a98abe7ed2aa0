#!/usr/bin/env bash
# ./run.sh        install what is missing, build, and start Quillon
# ./run.sh test   install what is missing, build, and run every test
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
if [ "${1:-}" = "test" ]; then
  shift
  exec bash scripts/test.sh "$@"
fi
bash scripts/build.sh
exec ./build/src/quillon "$@"
