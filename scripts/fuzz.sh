#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", build/fuzz) and runs each for a
# short fixed time from its seeds: the committed corpus in fuzz/corpus/<target>
# and the seeds make_seeds writes, copied to a temporary folder so that the
# tree is not touched. Fails on any crash, hang (-timeout: 25 s for one input,
# far beyond any input's run even on a loaded machine), leak or failed check.
#   scripts/fuzz.sh [SECONDS]      seconds per target, 15 by default
# FUZZ_TARGETS="frames ini" limits the run to those targets; FUZZ_KEEP=DIR
# keeps each target's grown corpus and findings in DIR/<target> (a longer
# campaign: scripts/fuzz.sh 600 with FUZZ_KEEP set).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
targets=${FUZZ_TARGETS:-"calibration csv frames ini paradox profile sessions"}
export QT_QPA_PLATFORM=offscreen

cmake --preset fuzz >/dev/null
build=()
for t in $targets; do build+=("fuzz_$t"); done
cmake --build --preset fuzz --target "${build[@]}" make_seeds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/fuzz/fuzz/make_seeds "$work/seeds"

failed=()
for t in $targets; do
    dir=${FUZZ_KEEP:+$FUZZ_KEEP/$t}
    dir=${dir:-$work/$t}
    mkdir -p "$dir/corpus" "$dir/findings"
    cp fuzz/corpus/"$t"/* "$dir/corpus/" 2>/dev/null || true
    cp "$work/seeds/$t"/* "$dir/corpus/" 2>/dev/null || true
    echo "== fuzz_$t: $seconds s"
    if ! build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$dir/findings/" "$dir/corpus" >"$dir/log" 2>&1; then
        tail -n 60 "$dir/log"
        cp -r "$dir/findings" "fuzz-findings-$t" 2>/dev/null || true
        failed+=("$t")
    else
        grep -E '^stat::(number_of_executed_units|new_units_added)|DONE' "$dir/log" || true
    fi
done
if ((${#failed[@]})); then
    echo "fuzzing failed: ${failed[*]} (inputs copied to fuzz-findings-<target>/)" >&2
    exit 1
fi
echo "fuzzing: no findings"
