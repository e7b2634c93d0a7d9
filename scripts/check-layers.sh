#!/usr/bin/env bash
# Fails on an include that crosses the layering of src/: a layer may include
# only the layers listed for it below, no layer under the window includes a
# widget, chart (Qt Charts, QCustomPlot) or print-support header, the analysis
# includes no Qt header at all, the probe layer opens no file, and svptool
# links no widget or chart library.
#
# usage: check-layers.sh [QT_INCLUDE_DIR [SVPTOOL]]
#   QT_INCLUDE_DIR  Qt's include root (holds QtWidgets/, QtCharts/, QtPrintSupport/)
#   SVPTOOL         the built command-line tool, checked with ldd
set -u
cd "$(dirname "$0")/.."
qt=${1:-}
svptool=${2:-}

declare -A allowed=(
    [text]="text"
    [model]="model"
    [analysis]="analysis"
    [settings]="settings model text"
    [probe]="probe model text"
    [storage]="storage model text"
    [output]="output model text analysis"
    [document]="document model text analysis settings probe storage output"
    [cli]="cli document model text analysis settings probe storage output"
    [dialogs]="dialogs text model"
    [app]="app dialogs document model text analysis settings probe storage output"
)
below_window="text model analysis settings probe storage output document cli"

failed=0
complain() {
    echo "layering: $*" >&2
    failed=1
}

# Headers of the widget, chart and print-support modules, by file name.
widget_headers=""
if [ -n "$qt" ]; then
    for module in QtWidgets QtCharts QtPrintSupport QtOpenGLWidgets; do
        [ -d "$qt/$module" ] && widget_headers+=" $(ls "$qt/$module" | tr "\n" " ")"
    done
fi
is_widget_header() {
    local h=${1#*/}
    case "$1" in QtWidgets/* | QtCharts/* | QtPrintSupport/* | QtOpenGLWidgets/* | qcustomplot.h) return 0 ;; esac
    [[ " $widget_headers " == *" $h "* ]]
}

for layer in "${!allowed[@]}"; do
    dir=src/$layer
    [ -d "$dir" ] || continue
    while IFS=: read -r file line text; do
        inc=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*//' <<<"$text")
        case "$inc" in
        \"*)
            name=${inc#\"}
            name=${name%%\"*}
            target=${name%%/*}
            if [ "$target" = "$name" ]; then
                complain "$file:$line: include \"$name\" without its layer folder"
            elif [[ " ${allowed[$layer]} " != *" $target "* ]]; then
                complain "$file:$line: $layer may not include $name"
            fi
            ;;
        \<*)
            name=${inc#<}
            name=${name%%>*}
            if [[ " $below_window " == *" $layer "* ]] && is_widget_header "$name"; then
                complain "$file:$line: $layer is below the window and may not include <$name>"
            fi
            if [ "$layer" = analysis ] && [[ "$name" == Q* ]]; then
                complain "$file:$line: the analysis is standard C++ only: <$name>"
            fi
            if [ "$layer" = probe ] && [[ "$name" =~ ^(QFile|QSaveFile|QDir|QFileInfo|QTemporaryFile|fstream|sqlite3\.h)$ ]]; then
                complain "$file:$line: the probe layer knows no file: <$name>"
            fi
            ;;
        esac
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include' "$dir"/*.h "$dir"/*.cpp 2>/dev/null)
done

if [ -n "$svptool" ] && ldd "$svptool" | grep -q -E 'libQt6(Widgets|Charts|PrintSupport)|libQCustomPlot'; then
    complain "$svptool links a widget library"
fi

[ "$failed" = 0 ] && echo "layering: ok"
exit "$failed"
