#!/usr/bin/env bash
# Start-up cost of the window: the time from starting `quillon --no-intro` to
# its main window being mapped on a private Xvfb, and its resident memory one
# second later; with the default engine (the keyword spotter) and with the
# scripted one. Each run gets a fresh program folder, so the shipped
# vocabularies are written as on a first start.
#
#   bench/window_start.sh [QUILLON_BINARY] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quillon=${1:-$root/build/src/quillon}
runs=${2:-5}
work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it is listening.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# One start: prints "<ms to mapped> <RSS kB>".
measure() {
  local folder="$work/folder$RANDOM"
  mkdir -p "$folder"
  local start pid shown rss
  start=$(now_ms)
  "$quillon" --no-intro --program-folder "$folder" "$@" </dev/null >/dev/null 2>"$work/log" &
  pid=$!
  shown=""
  for _ in $(seq 3000); do
    if xdotool search --onlyvisible --name '^Quillon8\.0版$' >/dev/null 2>&1; then
      shown=$(($(now_ms) - start))
      break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.005
  done
  sleep 1
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo "?")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$folder"
  echo "${shown:-?} $rss"
}

# Median, minimum and maximum of a column of numbers.
summary() { sort -n | awk '{v[NR]=$1} END {printf "median %s (min %s, max %s)", v[int((NR+1)/2)], v[1], v[NR]}'; }

report() {
  local label=$1
  shift
  local results=()
  measure "$@" >/dev/null # a first start warms the file cache
  for _ in $(seq "$runs"); do results+=("$(measure "$@")"); done
  printf '%-26s window shown ms: %s; RSS kB: %s\n' "$label" \
    "$(printf '%s\n' "${results[@]}" | awk '{print $1}' | summary)" \
    "$(printf '%s\n' "${results[@]}" | awk '{print $2}' | summary)"
}

echo "quillon: $quillon, $runs runs each, DISPLAY=$DISPLAY"
report "default (keyword spotter)"
report "--recognizer scripted" --recognizer scripted
