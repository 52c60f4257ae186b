#!/usr/bin/env bash
# Builds the packages of one commit twice, in two clones whose folders differ in name and depth,
# the second under another umask, time zone and locale, as two machines would, and compares
# them. The .deb and the zip (and with them every executable and DLL they hold) must be the same
# bytes. The MSIs must hold the same tables and streams (msidump, from Debian's msitools): wixl
# writes a fresh package code and the time it made the file into the summary information, which
# is left out of the comparison. Without the Windows toolchain only the .deb is compared, and the
# script says so.
#   scripts/reproducible-check.sh [COMMIT]   (default HEAD; two to three minutes on 2 cores)
# With RUNTALLY_REPRODUCIBLE_FIRST=dist, the first build is the one whose packages the package
# and Windows stages have just put in dist/ (scripts/test.sh, where both ran on a clean tree):
# only the second is made, in its clone, and compared with them.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(msitools)
install_missing
commit=$(git -C "$REPO" rev-parse "${1:-HEAD}")
toolchains="${RUNTALLY_WINDOWS_TOOLCHAINS:-$REPO/../shared/toolchains}"
expected=(deb)
if [ -f "$toolchains/qt6.4.2-mingw64-posix.tar.gz" ]; then
    toolchains="$(cd "$toolchains" && pwd)"
    expected+=(zip msi)
else
    echo "reproducible: no Qt for mingw-w64 in $toolchains: the Windows packages are not compared"
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
trees=("$scratch/one/runtally" "$scratch/another/machine/src")
builds=(0 1)
if [ "${RUNTALLY_REPRODUCIBLE_FIRST:-}" = dist ]; then
    [ "$(git -C "$REPO" rev-parse HEAD)" = "$commit" ] && [ -z "$(git -C "$REPO" status --porcelain)" ] ||
        { echo "reproducible: dist/ is compared only for a clean tree at $commit"; exit 1; }
    builds=(1)
fi
# The second build as on another machine: another umask, time zone and locale.
machines=("umask 022; export TZ=UTC0 LC_ALL=C" "umask 077; export TZ=Pacific/Chatham LC_ALL=C.UTF-8")
for i in "${builds[@]}"; do
    tree=${trees[$i]}
    git clone -q "$REPO" "$tree"
    git -C "$tree" checkout -q "$commit"
    echo "reproducible: building $commit in $tree"
    for script in package-check.sh windows.sh; do
        # The clone's own folders and commit time, not the caller's.
        (eval "${machines[$i]}"
         env -u RUNTALLY_DIST_DIR -u RUNTALLY_BUILD_DIR -u RUNTALLY_PACKAGE_BUILD_DIR \
             -u RUNTALLY_WINDOWS_BUILD_DIR -u SOURCE_DATE_EPOCH RUNTALLY_PACKAGES_ONLY=1 \
             RUNTALLY_WINDOWS_TOOLCHAINS="$toolchains" bash "$tree/scripts/$script") \
            >"$tree.$script.log" 2>&1 ||
            { cat "$tree.$script.log"; echo "reproducible: $script failed in $tree"; exit 1; }
    done
done

# The MSI's tables and streams, with the summary's package code (9) and times (12, 13) left out.
# The summary's stream holds the same in binary; it is compared as its table, without those.
# msidump writes some binary data into the folder it runs in: it runs in the dump's.
msi_tables() {
    local dump="$scratch/dump-$2"
    mkdir -p "$dump"
    (cd "$dump" && msidump --directory . --tables --streams "$1" >/dev/null)
    sed -i -E '/^(9|12|13)\t/d' "$dump/_SummaryInformation.idt"
    rm -f "$dump"/_Streams/*SummaryInformation # its name starts with a control character
    echo "$dump"
}
first="${trees[0]}/dist" second="${trees[1]}/dist"
[ "${builds[0]}" = 1 ] && first="$DIST"
differ=0
for kind in "${expected[@]}"; do
    package=$(ls "$first"/runtally*."$kind" 2>/dev/null | head -1)
    [ -n "$package" ] || { echo "reproducible: no .$kind was built"; differ=1; continue; }
    name=$(basename "$package")
    if [[ "$name" == *.msi ]]; then
        if diff -r "$(msi_tables "$package" first)" "$(msi_tables "$second/$name" second)" \
            >"$scratch/msi.diff"; then
            echo "reproducible: $name: the same tables and streams"
        else
            echo "reproducible: $name: the tables differ:"; head -20 "$scratch/msi.diff"; differ=1
        fi
    elif cmp -s "$package" "$second/$name"; then
        echo "reproducible: $name: the same bytes ($(sha256sum "$package" | cut -c1-16)...)"
    else
        echo "reproducible: $name: the bytes differ"; differ=1
    fi
done
cmp -s "$first/SHA256SUMS" "$second/SHA256SUMS" || echo "reproducible: (SHA256SUMS differ, as the MSIs do)"
[ "$differ" = 0 ] && echo "reproducible: two builds of $commit give the same packages"
exit "$differ"
