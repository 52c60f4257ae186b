#!/usr/bin/env bash
# The Windows stage. Cross-builds runtally.exe, runtally-report.exe and the tests with mingw-w64
# against the Qt for Windows in ../shared/toolchains (warnings are errors), then, under Wine:
#   1. runs the test suite (offscreen), the window's accessibility tests among them;
#   2. runs every test log, the sample log and a large generated log through runtally-report.exe
#      (-o, the report on standard output, --csv) and requires the Linux build's bytes, apart
#      from the "Created on" date, which follows each system's short date format;
#   3. finds the log through the registry, and without the setting says "Can't find log file"
#      with exit status 2;
#   4. builds the zip (--target zip), unpacks it into a fresh Wine prefix holding nothing else,
#      runs the report command there, and starts the window under a virtual display with the
#      windows platform: the window appears, "Save reports?" saves through the Save As dialog
#      that Windows gives, the window closes and its temporary files go;
#   5. builds the MSI and installs it silently into another fresh prefix: the zip's files in
#      Program Files\Runtally, the Start-menu shortcut, the entry in the installed programs; the
#      installed programs at work, the window at Wine's 150 % display setting on a 1366 x 768
#      screen; an MSI of a higher version upgrading it to one entry, the older one refused; and
#      the uninstall, which leaves a saved report alone.
# The zip and the MSI go into dist/ (common.sh). With RUNTALLY_PACKAGES_ONLY=1 it builds the
# programs and the packages alone, and tests nothing. Where the toolchain is missing (a clone of
# one's own), it says so and skips.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
TOOLCHAINS="${RUNTALLY_WINDOWS_TOOLCHAINS:-$REPO/../shared/toolchains}"
QT_TARBALL="$TOOLCHAINS/qt6.4.2-mingw64-posix.tar.gz"
if [ ! -f "$QT_TARBALL" ] || [ ! -f "$TOOLCHAINS/mingw-w64-x86_64.cmake" ]; then
    echo "windows: no Qt for mingw-w64 in $TOOLCHAINS: stage skipped (see docs/windows.md)"
    exit 0
fi
TOOLCHAINS="$(cd "$TOOLCHAINS" && pwd)"
PACKAGES+=(g++-mingw-w64-x86-64-posix wine wine64 fonts-dejavu-core xvfb xauth xdotool unzip zip
           wixl msitools)
install_missing

WIN="${RUNTALLY_WINDOWS_BUILD_DIR:-$REPO/build-win}"
export QT_MINGW_PREFIX="$WIN/deps/qt6-mingw"
if [ ! -f "$QT_MINGW_PREFIX/.unpacked" ]; then
    rm -rf "$WIN/deps" && mkdir -p "$WIN/deps"
    tar -xzf "$QT_TARBALL" -C "$WIN/deps"
    touch "$QT_MINGW_PREFIX/.unpacked"
fi
export WINEPREFIX="$WIN/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX" # a clean machine every run
scratch=$(mktemp -d)
cleanup() {
    for prefix in "$WIN/wineprefix" "$scratch/prefix" "$scratch/machine"; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT

packages_only=${RUNTALLY_PACKAGES_ONLY:-0}
tests=ON
[ "$packages_only" = 1 ] && tests=OFF
cmake -S "$REPO" -B "$WIN" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRUNTALLY_TESTS=$tests \
    -DRUNTALLY_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAINS/mingw-w64-x86_64.cmake" \
    -DQT_MINGW_PREFIX="$QT_MINGW_PREFIX" -DCMAKE_PREFIX_PATH="$QT_MINGW_PREFIX" \
    -DQT_HOST_PATH=/usr >/dev/null
cmake --build "$WIN" -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$WIN/CMakeCache.txt")
package="runtally-$version-win64"
zip="$WIN/$package.zip" msi="$WIN/$package.msi"
rm -f "$WIN"/runtally-*-win64.zip "$WIN"/runtally-*-win64.msi # of this version or an older one
if [ "$packages_only" = 1 ]; then
    cmake --build "$WIN" --target zip >/dev/null
    cmake --build "$WIN" --target msi >/dev/null
    publish_packages "$zip" "$msi"
    exit 0
fi
# The Linux build gives the bytes to compare with.
[ -f "$BUILD/build.ninja" ] || cmake -S "$REPO" -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j2 --target runtally-report >/dev/null

mkdir -p "$WINEPREFIX"
wineserver -p # stays up between the runs below: a start costs a fraction of a second, not three
"$TOOLCHAINS/wine-run.sh" wineboot -i >/dev/null 2>&1 || true

# 1. The test suite. Only GoogleTest's counts are printed; the whole output on a failure.
echo "windows: the test suite under Wine"
if ! (cd "$WIN" && ctest -V >"$WIN/tests-under-wine.log" 2>&1); then
    cat "$WIN/tests-under-wine.log"
    exit 1
fi
sed -nE 's/^[0-9]+: (\[  (PASSED|FAILED)  \] [0-9]+ tests?.*)/\1/p' "$WIN/tests-under-wine.log"
grep -E '^[0-9]+: \[  SKIPPED \] .*\([0-9]+ ms\)' "$WIN/tests-under-wine.log" |
    sed -E 's/^[0-9]+: \[  SKIPPED \] /windows: skipped /; s/  # GetParam.*//' || true

# Accessibility, as far as Wine allows: no client reads the window from outside here, as the a11y
# stage does through AT-SPI; the suite reads it in the process, as Qt hands it to UI Automation.
for test in Window.ScreenReadersNameEveryControl ReportViewTest.KeysMoveTheCaretAndTheViewFollows \
    ReportViewTest.ToolsReadItByOffsetsAndSetItsCaretAndSelection; do
    grep -q "\[       OK \] $test (" "$WIN/tests-under-wine.log" ||
        { echo "windows: $test did not pass under Wine"; exit 1; }
done
echo "windows: accessibility through QAccessible: every control's role and name, the report's" \
    "text by offsets, its caret and selection"

# 2. The same bytes as on Linux.
linux_report="$BUILD/cli/runtally-report"
windows_report() { "$TOOLCHAINS/wine-run.sh" "$WIN/cli/runtally-report.exe" "$@"; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# The report with its "Created on" line (its second) left out; fails unless that line is there.
undated() {
    sed -n 2p "$1" | grep -q '^Created on .' || { echo "no Created on line in $1"; return 1; }
    sed 2d "$1"
}
same_report() { cmp <(undated "$1") <(undated "$2") >/dev/null || { echo "differs: $3"; return 1; }; }
same_bytes() { cmp "$1" "$2" >/dev/null || { echo "differs: $3"; return 1; }; }

g++ -std=c++20 -O2 -I"$REPO" "$REPO/bench/genlog.cpp" "$REPO/bench/benchlog.cpp" -o "$scratch/genlog"
"$scratch/genlog" 200000 7 "$scratch/generated.log"
logs=("$REPO"/tests/data/*.log "$REPO/sample/userdata/mvsys.log" "$scratch/generated.log")
for log in "${logs[@]}"; do
    name=$(basename "$log" .log)
    out="$scratch/bytes/$name"
    mkdir -p "$out"
    "$linux_report" -o "$out/linux" "$log"
    "$linux_report" "$log" >"$out/linux-stdout.txt"
    "$linux_report" --csv "$log" >"$out/linux-stdout.csv"
    windows_report -o "$(winpath "$out/windows")" "$(winpath "$log")"
    windows_report "$(winpath "$log")" >"$out/windows-stdout.txt"
    windows_report --csv "$(winpath "$log")" >"$out/windows-stdout.csv"
    same_report "$out/linux.txt" "$out/windows.txt" "$name: the report with -o"
    same_bytes "$out/linux.csv" "$out/windows.csv" "$name: the CSV with -o"
    same_report "$out/linux.txt" "$out/windows-stdout.txt" "$name: the report on standard output"
    same_bytes "$out/linux.csv" "$out/windows-stdout.csv" "$name: the CSV on standard output"
done
echo "windows: runtally-report.exe gives the Linux bytes on ${#logs[@]} logs" \
    "($(du -m "$scratch/generated.log" | cut -f1) MB the largest), with -o and on standard output"

# 3. The log through the registry.
setting='HKCU\Software\VB and VBA Program Settings\Milvane\Userdata'
wine reg add "$setting" /v uUsrPath /t REG_SZ /d "$(winpath "$REPO/sample/userdata")" /f \
    >/dev/null 2>&1
windows_report >"$scratch/registry.txt"
same_report "$scratch/bytes/mvsys/linux.txt" "$scratch/registry.txt" "the log named in the registry"
wine reg delete "$setting" /v uUsrPath /f >/dev/null 2>&1
status=0
windows_report >/dev/null 2>"$scratch/missing.err" || status=$?
[ "$status" -eq 2 ] || { echo "no setting: exit status $status, not 2"; exit 1; }
grep -q "Sorry, I can't find your system log file" "$scratch/missing.err" ||
    { echo "no setting: no missing-log message"; cat "$scratch/missing.err"; exit 1; }
echo "windows: the log found through the registry; without the setting, \"Can't find log file\" and status 2"

# 4. The zip, in a prefix that holds nothing else.
cmake --build "$WIN" --target zip >/dev/null
publish_packages "$zip"
unzip -q "$zip" -d "$scratch/unpacked"
folder="$scratch/unpacked/$package"
for file in runtally.exe runtally-report.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    platforms/qwindows.dll styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll \
    libwinpthread-1.dll README.txt; do
    test -f "$folder/$file" || { echo "missing from $(basename "$zip"): $file"; exit 1; }
done
echo "windows: $(basename "$zip"), $(du -m "$zip" | cut -f1) MB, holds the programs, Qt, its plugins and the runtime"

# Only the zip's own DLLs: no WINEPATH, a new prefix, no Qt variables.
clean() {
    env -u WINEPATH -u QT_QPA_PLATFORM -u WINEQT_QPA_PLATFORM WINEPREFIX="$scratch/prefix" "$@"
}
mkdir -p "$scratch/prefix"
clean wineserver -p
clean wineboot -i >/dev/null 2>&1 || true
clean wine "$folder/runtally-report.exe" "$(winpath "$REPO/sample/userdata/mvsys.log")" \
    >"$scratch/unpacked.txt"
same_report "$scratch/bytes/mvsys/linux.txt" "$scratch/unpacked.txt" "the unpacked runtally-report.exe"
clean wine reg add "$setting" /v uUsrPath /t REG_SZ /d "$(winpath "$REPO/sample/userdata")" /f \
    >/dev/null 2>&1

clean wineserver -k # the window needs a server started on the virtual display
clean wineserver -w
clean xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    folder=$1 shot=$2 setting=$3 userdata=$4
    # The setting again, in the session that starts the program: nothing depends on whether
    # the server that was stopped had saved it.
    wine reg add "$setting" /v uUsrPath /t REG_SZ /d "$userdata" /f >/dev/null 2>&1
    wine "$folder/runtally.exe" & pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^Milvane Runtally$" | head -1)
    [ -n "$window" ] || { echo "no window titled Milvane Runtally; the windows shown:"
        for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done
        kill $pid; exit 1; }
    sleep 2
    command -v import >/dev/null && import -window root "$shot"
    for file in report.tmp csv.tmp; do
        test -f "$folder/$file" || { echo "no $file beside runtally.exe while the window is open"; exit 1; }
    done
    cp "$folder/report.tmp" "$folder/csv.tmp" "$folder/.."
    # A click on "Save reports?" (at 200, 556 in the window). Wine may replace the window found
    # first by another of the same name, so each try looks it up again.
    for try in 1 2 3; do
        window=$(xdotool search --onlyvisible --name "^Milvane Runtally$" 2>/dev/null | tail -1)
        xdotool mousemove --window "$window" 200 556 click 1 2>/dev/null || true
        dialog=$(timeout 20 xdotool search --sync --onlyvisible \
            --name "^Select a name and location for your report$" 2>/dev/null | head -1)
        [ -n "$dialog" ] && break
    done
    [ -n "$dialog" ] || { echo "no Save As dialog"; kill $pid; exit 1; }
    sleep 1
    # The file name box has the focus and "DOVudize" in it: the name typed over it.
    xdotool key End shift+Home && xdotool type --delay 50 "weekly" && xdotool key Return
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    if kill -0 $pid 2>/dev/null; then echo "the program did not end after the save"; kill $pid; exit 1; fi
    cmp "$folder/weekly.txt" "$folder/../report.tmp" || { echo "weekly.txt is not the report"; exit 1; }
    cmp "$folder/weekly.csv" "$folder/../csv.tmp" || { echo "weekly.csv is not the CSV"; exit 1; }
    for file in report.tmp csv.tmp; do
        test ! -e "$folder/$file" || { echo "$file left after the window closed"; exit 1; }
    done' _ "$folder" "$WIN/windows-window.png" "$setting" "$(winpath "$REPO/sample/userdata")"
echo "windows: the unpacked runtally.exe opened its window, saved weekly.txt and weekly.csv through" \
    "the Save As dialog, closed, and left no temporary file"

# 5. The MSI, in a prefix that holds nothing else.
cmake --build "$WIN" --target msi >/dev/null
publish_packages "$msi"
machine="$scratch/machine"
installed="$machine/drive_c/Program Files/Runtally"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
on_machine() {
    env -u WINEPATH -u QT_QPA_PLATFORM -u WINEQT_QPA_PLATFORM WINEPREFIX="$machine" \
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" "$@"
}
# msiexec with its arguments after the first, its log kept as $scratch/FIRST.log.
msi_run() {
    local log=$1
    shift
    on_machine wine msiexec "$@" /l*v "$(winpath "$scratch/$log.log")" >/dev/null 2>&1
}
registry() { on_machine wine reg query "$@" 2>/dev/null | tr -d '\r'; }
# The versions in the installed programs' entries named "Milvane Runtally", one a line.
entries() {
    registry "$uninstall_key" /s | awk '
        /^HKEY_/ { name = ""; shown = "" }
        /^ +DisplayName +REG_SZ +Milvane Runtally$/ { name = 1 }
        /^ +DisplayVersion +REG_SZ / { shown = $3 }
        name && shown { print shown; name = "" }'
}
# The installed files are the zip's, byte for byte.
installed_as_zipped() {
    (cd "$installed" && find . -type f ! -name 'weekly.*' | sort) >"$scratch/installed-files"
    cmp -s "$scratch/zip-files" "$scratch/installed-files" ||
        { echo "$1: other files than the zip's:"; diff "$scratch/zip-files" "$scratch/installed-files"; exit 1; }
    while read -r file; do
        same_bytes "$folder/$file" "$installed/$file" "$1: $file"
    done <"$scratch/zip-files"
}
unzip -Z1 "$zip" | grep -v '/$' | sed 's|^[^/]*/|./|' | sort >"$scratch/zip-files"
mkdir -p "$machine"
on_machine wineserver -p
on_machine wineboot -i >/dev/null 2>&1 || true
msi_run install /i "$(winpath "$msi")" /qn || { echo "the silent install failed"; exit 1; }
installed_as_zipped "the install"
shortcut=$(find "$machine/drive_c" -path "*Start Menu/Programs/Milvane Runtally.lnk" | head -1)
[ -n "$shortcut" ] || { echo "no Start-menu shortcut \"Milvane Runtally\""; exit 1; }
[ "$(entries)" = "$version" ] || { echo "installed programs: \"$(entries)\", not one entry of $version"; exit 1; }
publisher=$(registry "$uninstall_key" /s | grep -c 'Publisher *REG_SZ *Runtally$' || true)
[ "$publisher" -ge 1 ] || { echo "the entry names no publisher"; exit 1; }
icons=$(registry 'HKLM\Software\Classes\Installer\Products' /s | grep -c 'ProductIcon *REG_SZ *.*runtally\.ico$' || true)
[ "$icons" -ge 1 ] || { echo "no icon for the installed programs' entry"; exit 1; }
cmp -s "$REPO/app/icons/runtally.ico" \
    "$(find "$machine/drive_c/windows/Installer" -name runtally.ico | head -1)" ||
    { echo "the entry's icon is not the program's"; exit 1; }
echo "windows: $package.msi installs silently: the zip's files in Program Files\\Runtally," \
    "the Start-menu shortcut, one entry of version $version with its publisher and icon"

on_machine wine "$installed/runtally-report.exe" "$(winpath "$REPO/sample/userdata/mvsys.log")" \
    >"$scratch/installed.txt"
same_report "$scratch/bytes/mvsys/linux.txt" "$scratch/installed.txt" "the installed runtally-report.exe"

# The installed window at Wine's 150 % (144 dpi) on a laptop's screen, saved through it. Wine
# runs as root here, so the program's folder can be written, and the files go there.
on_machine wine reg add "$setting" /v uUsrPath /t REG_SZ /d "$(winpath "$REPO/sample/userdata")" /f \
    >/dev/null 2>&1
on_machine wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
    >/dev/null 2>&1
on_machine wineserver -k
on_machine wineserver -w
local_data="$machine/drive_c/users/$(id -un)/AppData/Local/runtally"
on_machine xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
    installed=$1 shot=$2 local_data=$3 setting=$4 userdata=$5
    # The setting and the display scale again, in the session that starts the program.
    wine reg add "$setting" /v uUsrPath /t REG_SZ /d "$userdata" /f >/dev/null 2>&1
    wine reg add "HKCU\Control Panel\Desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    wine "$installed/runtally.exe" & pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^Milvane Runtally$" | head -1)
    [ -n "$window" ] || { echo "no window titled Milvane Runtally; the windows shown:"
        for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done
        kill $pid; exit 1; }
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "windows: the installed window at 144 dpi: ${WIDTH} x ${HEIGHT} at ${X},${Y} on a 1366 x 768 screen"
    [ "$WIDTH" -gt 397 ] || { echo "the window is not scaled"; kill $pid; exit 1; }
    [ "$Y" -ge 0 ] && [ $((Y + HEIGHT)) -le 768 ] || { echo "the window does not fit the screen"; kill $pid; exit 1; }
    command -v import >/dev/null && import -window root "$shot"
    test -f "$installed/report.tmp" || test -f "$local_data/report.tmp" ||
        { echo "no report.tmp while the window is open"; kill $pid; exit 1; }
    # The middle of "Save reports?", 200 pixels from the left and 23 above the bottom at 100 %:
    # 300 and 35 at 150 %.
    xdotool mousemove $((X + 300)) $((Y + HEIGHT - 35)) click 1
    dialog=$(timeout 20 xdotool search --sync --onlyvisible \
        --name "^Select a name and location for your report$" 2>/dev/null | head -1)
    [ -n "$dialog" ] || { echo "a click on the button opened no Save As dialog"; kill $pid; exit 1; }
    sleep 1
    xdotool key End shift+Home && xdotool type --delay 50 "weekly" && xdotool key Return
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    if kill -0 $pid 2>/dev/null; then echo "the program did not end after the save"; kill $pid; exit 1; fi
    for file in report.tmp csv.tmp; do
        test ! -e "$installed/$file" -a ! -e "$local_data/$file" || { echo "$file left after closing"; exit 1; }
    done' _ "$installed" "$WIN/windows-window-150.png" "$local_data" "$setting" \
    "$(winpath "$REPO/sample/userdata")"
saved="$installed/weekly.txt" # the Save As dialog opens in the temporary files' folder
[ -f "$saved" ] || { echo "no weekly.txt saved beside the installed program"; exit 1; }
same_report "$scratch/bytes/mvsys/linux.txt" "$saved" "the report saved through the installed window"
echo "windows: the installed runtally.exe fits the screen at 150 %, saved weekly.txt through its" \
    "button, closed, and left no temporary file"

# A higher version replaces it and leaves one entry; the older one is then refused.
IFS=. read -r major minor patch <<<"$version"
newer_version="$major.$minor.$((patch + 1))"
newer="$scratch/runtally-$newer_version-win64.msi"
cmake -DSTAGE="$WIN/package/$package" -DVERSION="$newer_version" -DPUBLISHER=Runtally \
    -DICON="$REPO/app/icons/runtally.ico" -DWIXL="$(command -v wixl)" -DOUTPUT="$newer" \
    -P "$REPO/cmake/BuildMsi.cmake" >/dev/null
msi_run upgrade /i "$(winpath "$newer")" /qn || { echo "the upgrade failed"; exit 1; }
[ "$(entries)" = "$newer_version" ] || { echo "after the upgrade: \"$(entries)\", not one entry of $newer_version"; exit 1; }
installed_as_zipped "the upgrade"
if msi_run downgrade /i "$(winpath "$msi")" /qn; then echo "the older version was installed over the newer"; exit 1; fi
# Refused by its launch condition, for the newer version found; the message it shows is the MSI's.
grep -a -q 'WIX_DOWNGRADE_DETECTED = {' "$scratch/downgrade.log" ||
    { echo "the downgrade was not refused for the newer version"; exit 1; }
msiinfo export "$msi" LaunchCondition |
    grep -q 'NOT WIX_DOWNGRADE_DETECTED.A newer version of Milvane Runtally is already installed\.' ||
    { echo "the MSI has no message for a refused downgrade"; exit 1; }
[ "$(entries)" = "$newer_version" ] || { echo "after the refused downgrade: \"$(entries)\""; exit 1; }
echo "windows: version $newer_version upgrades $version to one entry; $version is then refused" \
    "with \"A newer version of Milvane Runtally is already installed.\""

msi_run uninstall /x "$(winpath "$newer")" /qn || { echo "the uninstall failed"; exit 1; }
left=$(cd "$machine/drive_c/Program Files" && find Runtally -type f 2>/dev/null | grep -v '/weekly\.\(txt\|csv\)$' || true)
[ -z "$left" ] || { echo "left after the uninstall: $left"; exit 1; }
[ -z "$(entries)" ] || { echo "an entry is left after the uninstall"; exit 1; }
[ -z "$(find "$machine/drive_c" -path "*Start Menu/Programs/Milvane Runtally.lnk")" ] ||
    { echo "the shortcut is left after the uninstall"; exit 1; }
[ -f "$saved" ] || { echo "the uninstall removed the saved report"; exit 1; }
echo "windows: the uninstall removes every installed file, the shortcut and the entry, and leaves the saved report"
