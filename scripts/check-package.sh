#!/usr/bin/env bash
# What a user of a new machine gets from `apt-get install ./svclient_*.deb`:
# a fresh Debian 12 (debootstrap, minimal variant, in a folder under /tmp) gets
# the package with apt, then
#   - svptool --help, svclient --help and a cast imported with svptool run
#     before anything else is installed (the declared dependencies suffice);
#   - the desktop entry is offered for profile files (mimeinfo.cache) and
#     `gio` tells a profile file and another SQLite database apart;
#   - as a normal user under Xvfb: a screenshot of svclient --simulate; then
#     svclient --simulate PROFILE.db with screenshots of the table page and of
#     F1's help box, and its quit button writes the settings into
#     ~/.config/svclient, not beside /usr/bin/svclient.
# Screenshots and logs go to OUTDIR. Run as root (debootstrap, chroot).
#
# usage: check-package.sh DEB [OUTDIR]
set -euo pipefail
deb=$(realpath "$1")
out=$(realpath -m "${2:-/tmp/svclient-package-check}")
if [ "$(id -u)" != 0 ]; then
    echo "$(basename "$0"): debootstrap and chroot need root: run as root, or with sudo." >&2
    exit 1
fi
cd "$(dirname "$0")/.."
. scripts/packages.sh
SV_PACKAGES="" sv_install_packages debootstrap
mkdir -p "$out"
work=$(mktemp -d /tmp/svclient-check.XXXXXX)
root=$work/bookworm
cleanup() {
    umount "$root/proc" "$root/dev/pts" "$root/dev" 2>/dev/null || true
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
as_user() { in_root su - surveyor -c "$1"; }

echo "== debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$out/debootstrap.log"
cat >"$root/etc/apt/sources.list" <<'EOF'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp "$deb" "$root/tmp/"

echo "== apt-get install ./$(basename "$deb")"
in_root apt-get update >"$out/apt-update.log"
in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y ./$(basename "$deb")" \
    | tee "$out/apt-install.log" | grep -E "newly installed|Need to get|Setting up svclient"

echo "== the programs, with nothing but the package and its dependencies"
in_root svptool --help >"$out/svptool-help.txt"
in_root env QT_QPA_PLATFORM=offscreen svclient --help >"$out/svclient-help.txt"
head -3 "$out/svptool-help.txt"
! in_root sh -c 'ldd /usr/bin/svclient /usr/bin/svptool' | grep "not found"
in_root useradd -m surveyor
as_user 'printf "depth,velocity,temperature\n0.5,1500.2,20.1\n1.0,1500.0,20.0\n1.5,1499.7,19.8\n" > cast.csv &&
         svptool import-csv cast.csv --description "Station 1" -o cast.db && svptool info cast.db' \
    | tee "$out/svptool-info.txt"

echo "== file managers: the desktop entry for profile files"
grep -E "^application/x-vx4400-(paradox-)?profile=" "$root/usr/share/applications/mimeinfo.cache"
in_root sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y xvfb xauth x11-apps netpbm xdotool libglib2.0-bin sqlite3' \
    >"$out/apt-tools.log"
as_user 'sqlite3 other.db "create table t(x)"; gio info -a standard::content-type cast.db other.db' \
    | grep content-type | tee "$out/mime-types.txt"
grep -q "application/x-vx4400-profile" <(sed -n 1p "$out/mime-types.txt")
grep -q "application/vnd.sqlite3" <(sed -n 2p "$out/mime-types.txt")

in_root sh -c 'MANWIDTH=80 man svptool 2>&1' | head -4

echo "== svclient --simulate cast.db under Xvfb, as the user surveyor"
as_user 'export LANG=C.UTF-8 DISPLAY=:99
    shot() { xwd "$@" | xwdtopnm 2>/dev/null | pnmtopng; }
    Xvfb :99 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & xvfb=$!
    sleep 2
    svclient --simulate & client=$!
    sleep 8
    shot -root -silent > start.png
    kill $client
    svclient --simulate cast.db & client=$!
    sleep 8
    win=$(xdotool search --name "^Sondix2.1 " | head -1)
    xdotool windowfocus --sync "$win"   # no window manager: give it the keyboard
    shot -root -silent > table.png
    xdotool key F1; sleep 3
    box=$(xdotool search --onlyvisible --name "^帮助" | head -1)
    shot -id "$box" -silent > help.png
    xdotool windowfocus --sync "$box"; xdotool key Return; sleep 1
    xdotool search --onlyvisible --name "^帮助" >/dev/null && echo "the help box did not close" >>problems
    xdotool mousemove --window "$win" 702 497 click 1    # 退出, on the table page
    for i in $(seq 20); do kill -0 $client 2>/dev/null || break; sleep 0.5; done
    kill $client 2>/dev/null && echo "svclient did not close" >>problems
    kill $xvfb'
cp "$root/home/surveyor/"{start,table,help}.png "$out/"
if [ -s "$root/home/surveyor/problems" ]; then
    cat "$root/home/surveyor/problems" >&2
    exit 1
fi
echo "== settings written by the installed client"
ls -l "$root/home/surveyor/.config/svclient/svclient.INI"
head -5 "$root/home/surveyor/.config/svclient/svclient.INI"
[ ! -e "$root/usr/bin/svclient.INI" ] && [ ! -e "$root/usr/bin/SVPData" ]
echo "== done: screenshots and logs in $out"
