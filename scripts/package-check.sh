#!/usr/bin/env bash
# Builds the Debian package, has lintian check it against Debian's policy (no error and no
# warning may remain), unpacks it into a scratch folder and checks it as a user would meet it:
# the files in place, the desktop entry valid, a per-user install (--prefix ~/.local) alike,
# and the installed program started on the sample log under a virtual display with its folder
# read-only (as a system folder is to a user): the temporary files must go to the per-user data
# folder and the window must show exactly what a portable run shows. The window is closed the
# way a user can: "Save reports?", then Cancel, which ends the program and deletes them. The
# package goes into dist/ (common.sh); with RUNTALLY_PACKAGES_ONLY=1 the script stops there.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(dpkg-dev desktop-file-utils xvfb xauth xdotool imagemagick lintian)
install_missing
BUILD="${RUNTALLY_PACKAGE_BUILD_DIR:-$REPO/build-package}"
build -DRUNTALLY_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
(cd "$BUILD" && rm -f runtally_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD"/runtally_*.deb)
publish_packages "$deb"
echo "package: $deb"
[ "${RUNTALLY_PACKAGES_ONLY:-0}" = 1 ] && exit 0
dpkg-deb -f "$deb" Package Version Depends
if ! found=$(lintian --fail-on error,warning "$deb" 2>&1); then
    echo "$found"
    echo "lintian: errors or warnings in $deb"
    exit 1
fi
echo "lintian: no error and no warning"

scratch=$(mktemp -d)
cleanup() {
    umount "$scratch/root/usr/bin" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$scratch/root"
cmake --install "$BUILD" --prefix "$scratch/home/.local" >/dev/null
id=org.runtally.Runtally
for root in "$scratch/root/usr" "$scratch/home/.local"; do
    for file in bin/runtally bin/runtally-report share/applications/$id.desktop \
        share/icons/hicolor/32x32/apps/$id.png share/icons/hicolor/scalable/apps/$id.svg \
        share/man/man1/runtally.1.gz share/man/man1/runtally-report.1.gz \
        share/doc/runtally/copyright share/doc/runtally/changelog.gz; do
        test -f "$root/$file" || { echo "missing: $root/$file"; exit 1; }
    done
    desktop-file-validate "$root/share/applications/$id.desktop"
done
echo "files in place and desktop entries valid, system and per-user"

# The sample log, through a private setting; the user's own setting is not touched.
config="$scratch/config"
mkdir -p "$config/VB and VBA Program Settings"
printf '[Userdata]\nuUsrPath="%s"\n' "$REPO/sample/userdata" \
    >"$config/VB and VBA Program Settings/Milvane.ini"
export XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$scratch/data"

read_only=no
if mount --bind "$scratch/root/usr/bin" "$scratch/root/usr/bin" 2>/dev/null &&
    mount -o remount,bind,ro "$scratch/root/usr/bin" 2>/dev/null; then
    read_only=yes
else
    echo "note: cannot make the program's folder read-only here (no mount); checking it writable"
fi

# Starts a runtally, shoots its window, checks where its temporary files are, and closes it.
run_window() { # program report_command shot temp_folder
    xvfb-run -a -s "-screen 0 800x700x24" bash -c '
        program=$1 report=$2 shot=$3 temp=$4
        "$program" & pid=$!
        window=$(timeout 20 xdotool search --sync --name "^Milvane Runtally$" | head -1)
        [ -n "$window" ] || { echo "no window"; exit 1; }
        sleep 1
        import -window "$window" "$shot"
        for file in report.tmp csv.tmp; do
            test -f "$temp/$file" || { echo "no $temp/$file while the window is open"; exit 1; }
        done
        cmp "$temp/report.tmp" <("$report" "'"$REPO"'/sample/userdata/mvsys.log") ||
            { echo "report.tmp differs from runtally-report"; exit 1; }
        xdotool mousemove --window "$window" 200 556 click 1   # Save reports?
        sleep 1; xdotool key Escape                             # cancel the Save As dialog
        sleep 1; xdotool key Return                             # "Try Again"
        for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
        if kill -0 $pid 2>/dev/null; then echo "the program did not end"; kill $pid; exit 1; fi
        for file in report.tmp csv.tmp; do
            test ! -e "$temp/$file" || { echo "$temp/$file left after closing"; exit 1; }
        done' _ "$@"
}

installed_temp="$scratch/root/usr/bin"
[ "$read_only" = yes ] && installed_temp="$XDG_DATA_HOME/runtally"
run_window "$scratch/root/usr/bin/runtally" "$scratch/root/usr/bin/runtally-report" \
    "$scratch/installed.png" "$installed_temp"
echo "installed program: temporary files in $installed_temp, gone after closing"
run_window "$BUILD/app/runtally" "$BUILD/cli/runtally-report" "$scratch/portable.png" "$BUILD/app"
echo "portable program: temporary files beside it, gone after closing"
colours=$(convert "$scratch/installed.png" -format %k info:)
[ "$colours" -gt 20 ] || { echo "the window shot is blank ($colours colours)"; exit 1; }
cp "$scratch/installed.png" "$BUILD/installed-window.png"
differing=$(compare -metric AE "$scratch/installed.png" "$scratch/portable.png" null: 2>&1 || true)
[ "$differing" = 0 ] || { echo "the windows differ in $differing pixels"; exit 1; }
echo "package check: the installed window shows exactly what the portable one shows"
