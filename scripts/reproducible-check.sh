#!/usr/bin/env bash
# Builds the packages of one commit twice, in two clones whose folders differ in name and depth,
# as two machines would, and compares them. The .deb and the zip (and with them every executable
# and DLL they hold) must be the same bytes. The MSIs must hold the same tables and streams
# (msidump, from Debian's msitools): wixl writes a fresh package code and the time it made the
# file into the summary information, which is left out of the comparison.
#   scripts/reproducible-check.sh [COMMIT]   (default HEAD; two to three minutes on 2 cores)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(msitools)
install_missing
commit=$(git -C "$REPO" rev-parse "${1:-HEAD}")
toolchains="$(cd "${RUNTALLY_WINDOWS_TOOLCHAINS:-$REPO/../shared/toolchains}" && pwd)"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
trees=("$scratch/one/runtally" "$scratch/another/machine/src")
for tree in "${trees[@]}"; do
    git clone -q "$REPO" "$tree"
    git -C "$tree" checkout -q "$commit"
    echo "reproducible: building $commit in $tree"
    for script in package-check.sh windows.sh; do
        RUNTALLY_PACKAGES_ONLY=1 RUNTALLY_WINDOWS_TOOLCHAINS="$toolchains" SOURCE_DATE_EPOCH= \
            bash "$tree/scripts/$script" >"$tree.$script.log" 2>&1 ||
            { cat "$tree.$script.log"; echo "reproducible: $script failed in $tree"; exit 1; }
    done
done

# The MSI's tables and streams, with the summary's package code (9) and times (12, 13) left out;
# the summary's stream is the same in binary, and is compared as its table.
msi_tables() {
    local dump="$scratch/dump-$2"
    mkdir -p "$dump"
    msidump --directory "$dump" --tables --streams "$1" >/dev/null
    sed -i -E '/^(9|12|13)\t/d' "$dump/_SummaryInformation.idt"
    rm -f "$dump"/_Streams/*SummaryInformation # its name starts with a control character
    echo "$dump"
}
first="${trees[0]}/dist" second="${trees[1]}/dist"
differ=0
for package in "$first"/runtally[-_]*; do
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
