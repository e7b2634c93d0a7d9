# Installs the Debian packages the client needs when any is missing: as root,
# since apt-get needs it; without root the missing packages are named and the
# script stops before apt is called.
SV_PACKAGES="qt6-base-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libqcustomplot-dev qt6-serialport-dev qt6-svg-dev libsqlite3-dev libgl-dev ninja-build cmake g++ pkg-config libgtest-dev libbenchmark-dev pxlib-dev fonts-noto-cjk xvfb xauth x11-utils xdotool poppler-utils dpkg-dev groff-base appstream desktop-file-utils shared-mime-info sqlite3 clang libclang-rt-14-dev"

# SV_PACKAGES and any packages given as arguments.
sv_install_packages() {
    local missing=""
    for p in $SV_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -n "$missing" ] || return 0
    if [ "$(id -u)" != 0 ]; then
        echo "$(basename "$0"): these Debian packages are missing:$missing" >&2
        echo "$(basename "$0"): run as root, or with sudo (sudo bash $0), to install them with apt-get." >&2
        exit 1
    fi
    echo "Installing:$missing"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
}
