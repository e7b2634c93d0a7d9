# Installs the Debian packages the client needs when any is missing (run as root).
SV_PACKAGES="qt6-base-dev libqcustomplot-dev qt6-serialport-dev libqt6sql6-sqlite libsqlite3-dev libgl-dev ninja-build cmake g++ pkg-config libgtest-dev libbenchmark-dev pxlib-dev fonts-noto-cjk xvfb xauth x11-utils xdotool poppler-utils sqlite3"

sv_install_packages() {
    local missing=""
    for p in $SV_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "Installing:$missing"
        apt-get update
        DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
    fi
}
