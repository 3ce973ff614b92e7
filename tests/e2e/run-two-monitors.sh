#!/usr/bin/env bash
# Runs a GoogleTest program on two monitors.  Wine takes its monitors from
# Xinerama when the X server has no RandR, and Xvfb lays all its screens at
# 0,0; so a Xephyr server with two screens (800x600 and 640x480 on its right)
# runs on a private Xvfb host, and Wine runs on it without a virtual desktop,
# in a prefix of its own (its own wineserver, its own display settings).
set -u
set -o pipefail
program=$1; shift
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

free_display() {
  local n=$1
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  echo "$n"
}
wait_socket() { for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$1" ] && return 0; sleep 0.1; done; return 1; }

host=$(free_display 140)
Xvfb ":$host" -screen 0 2400x1200x24 -nolisten tcp >/dev/null 2>&1 &
host_pid=$!
wait_socket "$host" || { echo "the host X server did not start"; exit 1; }
nested=$(free_display $((host + 1)))
DISPLAY=":$host" Xephyr ":$nested" +xinerama -extension RANDR -screen 800x600 -screen 640x480 -nolisten tcp \
  >/dev/null 2>&1 &
nested_pid=$!
cleanup() {
  (wine_env wineprefix-monitors C.UTF-8; wineserver -k 2>/dev/null)
  kill "$nested_pid" "$host_pid" 2>/dev/null
}
trap cleanup EXIT
wait_socket "$nested" || { echo "the two-screen X server did not start"; exit 1; }
export DISPLAY=":$nested"

ensure_prefix wineprefix-monitors C.UTF-8
wine_env wineprefix-monitors C.UTF-8
report=$(mktemp --suffix=.xml)
rm -f "$report"
wine "$program" --gtest_output="xml:$(winepath -w "$report")" "$@" </dev/null
if [ ! -s "$report" ]; then echo "no test report: the program did not finish"; exit 1; fi
summary=$(grep -o '<testsuites tests="[0-9]*" failures="[0-9]*" disabled="[0-9]*" errors="[0-9]*"' "$report")
tests=$(echo "$summary" | sed -n 's/.* tests="\([0-9]*\)".*/\1/p')
failures=$(echo "$summary" | sed -n 's/.* failures="\([0-9]*\)".*/\1/p')
errors=$(echo "$summary" | sed -n 's/.* errors="\([0-9]*\)".*/\1/p')
rm -f "$report"
echo "$(basename "$program"): ${tests:-0} tests, ${failures:-?} failures, ${errors:-?} errors"
[ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" = 0 ] && [ "${errors:-1}" = 0 ]
