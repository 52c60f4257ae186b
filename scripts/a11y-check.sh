#!/usr/bin/env bash
# The window as a screen reader reads it. The real program is started on the sample log under a
# virtual display, in a D-Bus session of its own with the accessibility bus on (started by the
# session, as a desktop does, with its registry), and scripts/a11y-check.py reads its tree
# through AT-SPI: every control's role and name, the report box's text against report.tmp as the
# window shows it, and its caret, set through AT-SPI and moved by keys. The program is then ended
# as a logout ends it, and must delete its temporary files.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(xvfb xauth xdotool dbus-daemon at-spi2-core python3-pyatspi)
install_missing
[ -f "$BUILD/build.ninja" ] || cmake -S "$REPO" -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j2 --target runtally >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
config="$scratch/config"
mkdir -p "$config/VB and VBA Program Settings"
printf '[Userdata]\nuUsrPath="%s"\n' "$REPO/sample/userdata" \
    >"$config/VB and VBA Program Settings/Milvane.ini"
export HOME="$scratch/home" XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$scratch/data"
mkdir -p "$HOME"

status=0
timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash -c '
    program=$1 check=$2 log=$3
    shift 3
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" 2>>"$log" & pid=$!
    window=$(timeout 20 xdotool search --sync --name "^Milvane Runtally$" | head -1)
    [ -n "$window" ] || { echo "a11y: FAILED: no window"; kill $pid; exit 1; }
    status=0
    /usr/bin/python3 "$check" "$window" "$@" || status=$?
    kill $pid # as a logout does: the window closes and deletes its temporary files
    for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then echo "a11y: FAILED: the program did not end"; exit 1; fi
    for folder in "$@"; do
        test ! -e "$folder/report.tmp" || { echo "a11y: FAILED: $folder/report.tmp left"; exit 1; }
    done
    exit $status' _ "$BUILD/app/runtally" "$REPO/scripts/a11y-check.py" "$scratch/log" \
    "$BUILD/app" "$XDG_DATA_HOME/runtally" 2>>"$scratch/log" || status=$?
if [ "$status" -ne 0 ]; then
    echo "a11y: the program's and the buses' messages:"
    cat "$scratch/log"
    exit "$status"
fi
echo "a11y: the window read through AT-SPI: names, text and caret as a screen reader needs them"
