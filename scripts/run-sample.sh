#!/usr/bin/env bash
# Installs what is missing, builds, and starts Runtally on the sample log in sample/userdata.
# The setting that names the log's folder goes into a private configuration folder inside the
# build folder, so the user's real setting is neither read nor changed.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
# The window alone: no test is built, and the packages only the tests need are not installed.
PACKAGES=("${PROGRAM_PACKAGES[@]}")
install_missing
cmake -S "$REPO" -B "$BUILD" -G Ninja -DRUNTALLY_TESTS=OFF
cmake --build "$BUILD" -j2 --target runtally

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "runtally: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Run this from a desktop session, or under a virtual display: xvfb-run $0" >&2
    exit 1
fi

config="$BUILD/sample-config"
mkdir -p "$config/VB and VBA Program Settings"
printf '[Userdata]\r\nuUsrPath="%s"\r\n' "$REPO/sample/userdata" \
    >"$config/VB and VBA Program Settings/Milvane.ini"
echo "Log: $REPO/sample/userdata/mvsys.log; report.tmp and csv.tmp go to $BUILD/app"
XDG_CONFIG_HOME="$config" exec "$BUILD/app/runtally"
