#!/usr/bin/env bash
# Imports a bookmark file of N links in one folder (100,000 unless told)
# with bench_import and prints its own figures, then the wall time, CPU time
# and peak memory that /usr/bin/time -v measured.
#
#   bench/import_bench.sh [N]      (BUILD_DIR=build unless set)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bench="$repo/${BUILD_DIR:-build}/bench/bench_import"
report=$(mktemp -t norvale-import.XXXXXX)
trap 'rm -f "$report"' EXIT
/usr/bin/time -v -o "$report" "$bench" "${1:-100000}"
grep -E 'Elapsed \(wall|User time|System time|Maximum resident' "$report" | sed 's/^\s*//'
