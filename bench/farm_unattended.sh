#!/usr/bin/env bash
# Runs the whole program unattended (/inspect) over the shared benchmark
# corpus of 1,000 sites played on 127.0.0.1 by the shared web farm, reached
# through Norvale's own proxy setting: once one at a time (Parallel 1), once
# with 24 checks at once. Prints both wall times, their ratio, the peak
# memory, and whether every favorite got the light the corpus expects.
#
#   bench/farm_unattended.sh [N] [PARALLEL]     (defaults: 1000 sites, 24)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
shared="$repo/../shared/bench"
n=${1:-1000}
parallel=${2:-24}
norvale="$repo/${BUILD_DIR:-build}/norvale"
work=$(mktemp -d -t norvale-farm.XXXXXX)
chmod 700 "$work"
farm=
trap '[ -n "$farm" ] && kill "$farm" 2>/dev/null; rm -rf "$work"' EXIT

python3 "$shared/gen_corpus.py" --n "$n" --out "$work/corpus" >/dev/null
python3 "$shared/webfarm.py" --manifest "$work/corpus/manifest.json" --port-file "$work/port" \
    >/dev/null 2>&1 &
farm=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")

run() { # run PARALLEL: one unattended check on a fresh copy of the corpus
    local p=$1 dir="$work/run$1"
    rm -rf "$dir" && mkdir -p "$dir/home"
    cp -r "$work/corpus/Favorites" "$dir/Favorites"
    cat > "$dir/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Favorites"="$dir/Favorites"

[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]
"Timeout"="1000"
"ChangeName"="0"
"ShowNew"="1"
"LastRun"="2020-01-01 00:00:00"
"Parallel"="$p"
"Proxy"="Yes"
"ProxyServer"="127.0.0.1"
"ProxyPort"="$port"
REG
    local start end
    start=$(date +%s.%N)
    if [ -x /usr/bin/time ]; then
        NORVALE_REGISTRY="$dir/registry.reg" NORVALE_HOME="$dir/home" XDG_RUNTIME_DIR="$dir" \
            QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%M" -o "$dir/peak" \
            "$norvale" /inspect >"$dir/report" 2>"$dir/stderr"
    else
        NORVALE_REGISTRY="$dir/registry.reg" NORVALE_HOME="$dir/home" XDG_RUNTIME_DIR="$dir" \
            QT_QPA_PLATFORM=offscreen "$norvale" /inspect >"$dir/report" 2>"$dir/stderr"
        echo "?" >"$dir/peak"
    fi
    end=$(date +%s.%N)
    python3 -c "print($end - $start)" >"$dir/seconds"
}

# Compare each favorite's light with the corpus's expectation.
compare() { # compare DIR
    python3 - "$work/corpus/expected.tsv" "$1/report" <<'PY'
import sys
expected = {}
for line in open(sys.argv[1]):
    path, url, kind, light = line.rstrip("\n").split("\t")
    expected[path] = light
wrong = 0
for line in open(sys.argv[2]):
    parts = line.rstrip("\n").split("\t")
    if len(parts) != 3:
        continue
    light, path, _ = parts
    if expected.get(path) != light:
        wrong += 1
        if wrong <= 5:
            print(f"  differs: {path}: {light}, expected {expected.get(path)}")
print(f"  {len(expected) - wrong} of {len(expected)} favorites as expected")
PY
}

run "$parallel"
echo "Parallel $parallel: $(printf '%.2f' "$(cat "$work/run$parallel/seconds")") s, peak $(cat "$work/run$parallel/peak") KiB"
compare "$work/run$parallel"
tail -1 "$work/run$parallel/report"
if [ "${SKIP_SEQUENTIAL:-}" != 1 ]; then
    run 1
    echo "Parallel 1: $(printf '%.2f' "$(cat "$work/run1/seconds")") s, peak $(cat "$work/run1/peak") KiB"
    compare "$work/run1"
    echo "Speed-up: $(python3 -c "print(f'{$(cat "$work/run1/seconds") / $(cat "$work/run$parallel/seconds"):.1f}')")x"
fi
