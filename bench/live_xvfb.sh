#!/bin/bash
# The client at the probe's full line rate on an X server, driven as a user
# would: svclient --simulate --frame-rate 96 under Xvfb, a storage file typed
# in, power on, recording started (whole mode), SECONDS of live data, then a
# click on "停！". From the client's sv.app debug log: the frames it took in
# each second (over the last 30 s), the longest tick and the longest stall of
# its event loop (the most any click waited in the run), and the time from the
# click on "停！" to its handler.
#
#   bash bench/live_xvfb.sh [SVCLIENT] [SECONDS]
#
# SVCLIENT defaults to build/bench/svclient, then build/release/svclient;
# SECONDS to 75. Needs xvfb-run and xdotool. With SV_SCREENSHOT_DIR set, the
# screen is kept there as live.xwd just before the stop; with SV_KEEP_LOG, the
# client's log is copied to that file.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
client=${1:-}
seconds=${2:-75}
if [ -z "$client" ]; then
    for c in "$here/build/bench/svclient" "$here/build/release/svclient"; do
        [ -x "$c" ] && client=$c && break
    done
fi
[ -x "${client:-}" ] || { echo "no svclient: build it or name it as the first argument" >&2; exit 2; }
for tool in xvfb-run xdotool; do
    command -v $tool >/dev/null || { echo "no $tool: apt-get install -y xvfb xdotool" >&2; exit 2; }
done

work=$(mktemp -d)
trap '[ -n "${SV_KEEP_LOG:-}" ] && cp "$work/log.txt" "$SV_KEEP_LOG"; rm -rf "$work"' EXIT
# The settings file and the data directory sit beside the executable.
cp "$client" "$work/svclient"
mkdir "$work/fb"

cat > "$work/drive.sh" <<'EOF'
set -eu
cd "$WORK"
QT_LOGGING_RULES="sv.app.debug=true" QT_MESSAGE_PATTERN='%{time yyyy-MM-ddTHH:mm:ss.zzz} %{message}' \
    ./svclient --simulate --frame-rate 96 > log.txt 2>&1 &
pid=$!
xdotool search --sync --name "VX4400" > /dev/null
sleep 4                                   # the splash's 2 s, then the window
now() { date +%Y-%m-%dT%H:%M:%S.%3N; }
click() { xdotool mousemove "$1" "$2" click 1; }
# The window stands at the screen's corner (no window manager): the places of
# the storage file edit and the buttons on the page "工作参数".
click 365 101
xdotool type --delay 5 "$WORK/cast.db"
click 726 90                              # 电源开
sleep 2
click 726 218                             # 开始记录
sleep "$SECONDS_LIVE"
[ -n "${SHOTS:-}" ] && cp fb/Xvfb_screen0 "$SHOTS/live.xwd"
now > clicked.txt
click 726 348                             # 停！
sleep 3
kill "$pid"
wait "$pid" 2>/dev/null || true
EOF

WORK=$work SECONDS_LIVE=$seconds SHOTS=${SV_SCREENSHOT_DIR:-} \
    xvfb-run -a -s "-screen 0 1024x768x24 -fbdir $work/fb" bash "$work/drive.sh"

awk -v window=30 '
    function secs(t) { split(substr(t, 12), p, ":"); return p[1] * 3600 + p[2] * 60 + p[3]; }
    / live: / {
        n++; count[n] = $3; span[n] = $6; tick = $10 > tick ? $10 : tick; stall = $14 > stall ? $14 : stall;
    }
    FILENAME ~ /clicked/ { clicked = secs($1); next }
    / stop$/ && !stopped { stopped = secs($1) }
    END {
        if (n < window + 1) { print "too few seconds logged: " n; exit 1 }
        lo = 1e9; hi = 0; frames = 0; ms = 0;
        # The last report is the part-second up to the stop: leave it out.
        for (i = n - window; i < n; ++i) {
            frames += count[i]; ms += span[i];
            r = count[i] * 1000 / span[i]; lo = r < lo ? r : lo; hi = r > hi ? r : hi;
        }
        printf "frames taken, last %d reports (%.1f s): %.1f a second (single reports %.0f to %.0f)\n",
               window, ms / 1000, frames * 1000 / ms, lo, hi;
        printf "longest tick %d ms, longest event-loop stall %d ms (%d s logged)\n", tick, stall, n;
        printf "stop handled %.0f ms after the click\n", (stopped - clicked) * 1000;
    }' "$work/clicked.txt" "$work/log.txt"
