#!/usr/bin/env bash
# Runs a GoogleTest program inside a Wine virtual desktop (which has a
# taskbar and notification area) and passes on its result: the desktop
# itself always exits 0, so the verdict comes from the program's XML report.
set -u
program=$1; shift
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
wine_env wineprefix C.UTF-8
report=$(mktemp --suffix=.xml)
rm -f "$report"
wine explorer /desktop=tavrin-e2e,1024x768 "$program" --gtest_output="xml:$(winepath -w "$report")" "$@" </dev/null
if [ ! -s "$report" ]; then echo "no test report: the program did not finish"; exit 1; fi
summary=$(grep -o '<testsuites tests="[0-9]*" failures="[0-9]*" disabled="[0-9]*" errors="[0-9]*"' "$report")
tests=$(echo "$summary" | sed -n 's/.* tests="\([0-9]*\)".*/\1/p')
failures=$(echo "$summary" | sed -n 's/.* failures="\([0-9]*\)".*/\1/p')
errors=$(echo "$summary" | sed -n 's/.* errors="\([0-9]*\)".*/\1/p')
rm -f "$report"
echo "$(basename "$program"): ${tests:-0} tests, ${failures:-?} failures, ${errors:-?} errors"
[ "${tests:-0}" -gt 0 ] && [ "${failures:-1}" = 0 ] && [ "${errors:-1}" = 0 ]
