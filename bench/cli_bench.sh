#!/bin/bash
# Wall-clock figures of svptool on a 100,000-row and a 1,000,000-row cast, against
# the sqlite3 shell's own .import of the same CSV in one transaction.
#
#   bash bench/cli_bench.sh [SVPTOOL] [RUNS]
#
# SVPTOOL defaults to build/bench/svptool, then build/release/svptool; each figure
# is the best of RUNS runs (default 3). Needs the sqlite3 command-line shell.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-}
runs=${2:-3}
if [ -z "$tool" ]; then
    for t in "$here/build/bench/svptool" "$here/build/release/svptool"; do
        [ -x "$t" ] && tool=$t && break
    done
fi
[ -x "${tool:-}" ] || { echo "no svptool: build it or name it as the first argument" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "no sqlite3 shell: apt-get install -y sqlite3" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A cast down to 12000 m and back up: depth with 2 decimals, velocity and
# temperature with 3, the same file on every run (fixed seed).
make_csv() {
    awk -v n="$1" 'BEGIN {
        srand(4400);
        print "depth,velocity,temperature";
        half = n / 2;
        for (i = 0; i < n; ++i) {
            d = (i < half ? i : n - 1 - i) * 12000.0 / half + rand() * 0.05;
            printf "%.2f,%.3f,%.3f\n", d, 1480 + 40 * sin(d / 900) + rand() * 0.2,
                   25 - d / 600 + rand() * 0.05;
        }
    }' > "$2"
}

# Best wall time of `runs` runs, and the best CPU time (user + system), in
# seconds as "wall cpu"; `prepare` runs before each, untimed. The CPU time is
# the steadier figure on a machine shared with other work.
best() {
    local prepare=$1; shift
    local bestWall="" bestCpu=""
    for ((r = 0; r < runs; ++r)); do
        eval "$prepare"
        local TIMEFORMAT="%3R %3U %3S"
        { time "$@" > /dev/null 2> "$work/stderr"; } 2> "$work/time"
        [ -s "$work/stderr" ] && { cat "$work/stderr" >&2; exit 1; }
        read -r wall user sys < "$work/time"
        local cpu
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
        if [ -z "$bestWall" ] || awk -v a="$wall" -v b="$bestWall" 'BEGIN { exit !(a < b) }'; then
            bestWall=$wall
        fi
        if [ -z "$bestCpu" ] || awk -v a="$cpu" -v b="$bestCpu" 'BEGIN { exit !(a < b) }'; then
            bestCpu=$cpu
        fi
    done
    echo "$bestWall $bestCpu"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
wall() { echo "${1% *}"; }
cpu() { echo "${1#* }"; }

echo "svptool: $tool"
echo "sqlite3: $(sqlite3 --version | cut -d' ' -f1)    best of $runs runs, seconds: wall (CPU user+sys)"
printf "%-18s %16s %16s %16s\n" "command" "100k" "1M" "1M/100k"
declare -A t
for n in 100000 1000000; do
    csv="$work/cast$n.csv"
    make_csv "$n" "$csv"
    # The shell's own CSV import into three REAL columns, in one transaction.
    t[sqlite$n]=$(best 'rm -f "$work/sq.db"' sqlite3 "$work/sq.db" \
                       "CREATE TABLE profile (depth REAL, velocity REAL, temperature REAL)" \
                       BEGIN ".import --csv --skip 1 $csv profile" COMMIT)
    t[import$n]=$(best 'rm -f "$work/c$n.db"' "$tool" import-csv "$csv" --description S3 \
                       --date "2009-03-07 14:05" -o "$work/c$n.db")
    # The last import's file is the input of the other commands.
    t[info$n]=$(best : "$tool" info "$work/c$n.db")
    t[csv$n]=$(best 'rm -f "$work/e$n.csv"' "$tool" export "$work/c$n.db" --format csv \
                    -o "$work/e$n.csv")
    t[vel$n]=$(best 'rm -f "$work/e$n.vel"' "$tool" export "$work/c$n.db" --format vel \
                    -o "$work/e$n.vel")
    t[merge$n]=$(best 'rm -f "$work/m$n.db"' "$tool" merge "$work/c$n.db" -o "$work/m$n.db")
done
for row in "sqlite3 .import:sqlite" "import-csv:import" "info:info" "export csv:csv" \
           "export vel:vel" "merge:merge"; do
    name=${row%%:*}; key=${row#*:}
    a=${t[${key}100000]}; b=${t[${key}1000000]}
    printf "%-18s %16s %16s %16s\n" "$name" "$(wall "$a") ($(cpu "$a"))" "$(wall "$b") ($(cpu "$b"))" \
        "$(ratio "$(wall "$b")" "$(wall "$a")") ($(ratio "$(cpu "$b")" "$(cpu "$a")"))"
done
for n in 100000 1000000; do
    echo "import-csv / sqlite3 .import, $n rows: $(ratio "$(wall "${t[import$n]}")" "$(wall "${t[sqlite$n]}")")x wall," \
         "$(ratio "$(cpu "${t[import$n]}")" "$(cpu "${t[sqlite$n]}")")x CPU"
done
