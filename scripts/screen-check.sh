#!/usr/bin/env bash
# The window on screens as laptops have them, at the display scales users choose: under a
# virtual display of a given size, with Qt's scale factor set, the program is started on the
# sample log. Its window must lie inside the screen, and a click where the "Save reports?"
# button is must open the Save As dialog; cancelling it ends the program and deletes the
# temporary files. At 100 % on a screen that holds it, the window keeps its 397 x 580 pixels.
# Screenshots are kept in build/screens/ (to look at, never compared with a golden).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(xvfb xauth xdotool imagemagick)
install_missing
[ -f "$BUILD/build.ninja" ] || cmake -S "$REPO" -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j2 --target runtally >/dev/null
shots="$BUILD/screens"
mkdir -p "$shots"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
config="$scratch/config"
mkdir -p "$config/VB and VBA Program Settings"
printf '[Userdata]\nuUsrPath="%s"\n' "$REPO/sample/userdata" \
    >"$config/VB and VBA Program Settings/Milvane.ini"
export XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$scratch/data"

# scale screen: one start of the program on that screen at that scale.
check_screen() {
    local scale=$1 screen=$2 percent
    percent=$(awk -v s="$scale" 'BEGIN { printf "%d", s * 100 }')
    QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
        program=$1 scale=$2 screen=$3 shot=$4 temp=$5
        "$program" & pid=$!
        window=$(timeout 20 xdotool search --sync --onlyvisible --name "^Milvane Runtally$" | head -1)
        [ -n "$window" ] || { echo "no window"; exit 1; }
        sleep 1
        eval "$(xdotool getwindowgeometry --shell "$window")"
        screen_height=${screen#*x}
        echo "window at ${X},${Y}, ${WIDTH} x ${HEIGHT} on a ${screen} screen"
        [ $((Y + HEIGHT)) -le "$screen_height" ] && [ "$Y" -ge 0 ] ||
            { echo "the window does not lie inside the screen"; exit 1; }
        if [ "$scale" = 1 ] && [ "$WIDTH" != 397 -o "$HEIGHT" != 580 ]; then
            echo "at 100 % the window is not 397 x 580"; exit 1
        fi
        import -window root "$shot"
        # The middle of the button: 200 pixels from the left, 23 above the bottom, scaled.
        x=$(awk -v s="$scale" -v x="$X" "BEGIN { printf \"%d\", x + 200 * s }")
        y=$(awk -v s="$scale" -v y="$((Y + HEIGHT))" "BEGIN { printf \"%d\", y - 23 * s }")
        xdotool mousemove "$x" "$y" click 1
        dialog=$(timeout 10 xdotool search --sync --onlyvisible \
            --name "^Select a name and location for your report$" 2>/dev/null | head -1)
        [ -n "$dialog" ] || { echo "a click on the button opened no Save As dialog"; kill $pid; exit 1; }
        sleep 0.5; xdotool key Escape   # cancel the dialog
        sleep 0.5; xdotool key Return   # "Try Again"
        for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
        if kill -0 $pid 2>/dev/null; then echo "the program did not end"; kill $pid; exit 1; fi
        for file in report.tmp csv.tmp; do
            test ! -e "$temp/$file" || { echo "$temp/$file left after closing"; exit 1; }
        done' _ "$BUILD/app/runtally" "$scale" "$screen" "$shots/window-$percent.png" "$BUILD/app"
    echo "screens: at $percent % on $screen the window fits, and its button opens the Save As dialog"
}

check_screen 1 1024x768
check_screen 1.25 1280x800
check_screen 1.5 1366x768
check_screen 2 1280x1024
echo "screens: screenshots in $shots"
