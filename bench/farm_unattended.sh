#!/usr/bin/env bash
# Runs the whole program unattended (/inspect) over the shared benchmark
# corpus played on 127.0.0.1 by the shared web farm, reached through
# Norvale's own proxy setting. Prints wall time, CPU time, peak memory and
# whether every favorite got the light the corpus expects; unless
# SKIP_SEQUENTIAL=1, also one at a time (Parallel 1) and the speed-up.
#
#   bench/farm_unattended.sh [N] [PARALLEL]     (defaults: 1000 sites, default)
#
# PARALLEL "default" leaves the program's own default. Environment:
#   PER_FOLDER=K   favorites per folder (the corpus's own nesting otherwise)
#   MOVE_DEAD=1    "Move Dead Favorites" on
#   LOOK_AGAIN=0   no second look at the favorites that gave no answer
#   NORVALE=PATH   the executable to time (build/norvale)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
shared="$repo/../shared/bench"
n=${1:-1000}
parallel=${2:-default}
norvale=${NORVALE:-"$repo/${BUILD_DIR:-build}/norvale"}
work=$(mktemp -d -t norvale-farm.XXXXXX)
chmod 700 "$work"
farm=
trap '[ -n "$farm" ] && kill "$farm" 2>/dev/null; rm -rf "$work"' EXIT

python3 "$shared/gen_corpus.py" --n "$n" --out "$work/corpus" \
    ${PER_FOLDER:+--per-folder "$PER_FOLDER"} >/dev/null
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
"MoveDead"="${MOVE_DEAD:-0}"
"LookAgain"="${LOOK_AGAIN:-1}"
"Proxy"="Yes"
"ProxyServer"="127.0.0.1"
"ProxyPort"="$port"
REG
    [ "$p" = default ] || echo "\"Parallel\"=\"$p\"" >>"$dir/registry.reg"
    local start end
    start=$(date +%s.%N)
    if [ -x /usr/bin/time ]; then
        NORVALE_REGISTRY="$dir/registry.reg" NORVALE_HOME="$dir/home" XDG_RUNTIME_DIR="$dir" \
            QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%M %U %S" -o "$dir/time" \
            "$norvale" /inspect >"$dir/report" 2>"$dir/stderr"
    else
        NORVALE_REGISTRY="$dir/registry.reg" NORVALE_HOME="$dir/home" XDG_RUNTIME_DIR="$dir" \
            QT_QPA_PLATFORM=offscreen "$norvale" /inspect >"$dir/report" 2>"$dir/stderr"
        echo "? ? ?" >"$dir/time"
    fi
    end=$(date +%s.%N)
    python3 -c "print($end - $start)" >"$dir/seconds"
}

# Compare each favorite's light with the corpus's expectation.
compare() { # compare DIR
    python3 - "$work/corpus/expected.tsv" "$1/report" <<'PY'
import collections, sys
# Keyed by the favorite's name: a dead favorite moved aside is reported under
# its new place in Dead Favorites, and the corpus's names are unique.
expected = {}
for line in open(sys.argv[1]):
    path, url, kind, light = line.rstrip("\n").split("\t")
    expected[path.rsplit("/", 1)[-1]] = light
wrong = collections.Counter()
for line in open(sys.argv[2]):
    parts = line.rstrip("\n").split("\t")
    if len(parts) != 3:
        continue
    light, path, _ = parts
    want = expected.get(path.rsplit("/", 1)[-1])
    if want != light:
        wrong[(light, want)] += 1
        if sum(wrong.values()) <= 5:
            print(f"  differs: {path}: {light}, expected {want}")
for (light, want), count in wrong.most_common():
    print(f"  {count} {light} where {want} was expected")
print(f"  {len(expected) - sum(wrong.values())} of {len(expected)} favorites as expected")
PY
}

summary() { # summary PARALLEL: the figures of one run
    local dir="$work/run$1" peak user system
    read -r peak user system <"$dir/time"
    echo "Parallel $1: $(printf '%.2f' "$(cat "$dir/seconds")") s wall," \
        "CPU ${user} s user + ${system} s system, peak ${peak} KiB"
    compare "$dir"
    tail -1 "$dir/report"
}

run "$parallel"
summary "$parallel"
if [ "${SKIP_SEQUENTIAL:-}" != 1 ]; then
    run 1
    summary 1
    echo "Speed-up: $(python3 -c "print(f'{$(cat "$work/run1/seconds") / $(cat "$work/run$parallel/seconds"):.1f}')")x"
fi
