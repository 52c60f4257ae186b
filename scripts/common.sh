# Shared by the scripts here: installs what is missing and builds the project.
# Source it; it sets REPO and BUILD.
set -euo pipefail
umask 022 # packages carry the modes of the files and folders they are made from
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RUNTALLY_BUILD_DIR:-$REPO/build}"
# Builds and packages made from one commit are the same bytes, wherever and whenever they are
# made: every time stamp that a tool writes (in the executables, the resources, the packages) is
# the commit's.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && commit_time=$(git -C "$REPO" log -1 --format=%ct 2>/dev/null); then
    export SOURCE_DATE_EPOCH="$commit_time"
fi

# Debian packages the program needs, and those the tests need too.
PROGRAM_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev)
PACKAGES=("${PROGRAM_PACKAGES[@]}" libgtest-dev)

install_missing() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Where the packages go, with SHA256SUMS beside them for anyone to check a download against. A
# package replaces the one of its kind (.deb, .zip, .msi) that is there, of whatever version.
DIST="${RUNTALLY_DIST_DIR:-$REPO/dist}"
publish_packages() {
    mkdir -p "$DIST"
    local package
    for package in "$@"; do
        rm -f "$DIST"/runtally*."${package##*.}"
        cp "$package" "$DIST/"
    done
    (cd "$DIST" && rm -f SHA256SUMS && LC_ALL=C sha256sum -- runtally[-_]* >SHA256SUMS.new &&
        mv SHA256SUMS.new SHA256SUMS)
}

build() {
    cmake -S "$REPO" -B "$BUILD" -G Ninja "$@"
    cmake --build "$BUILD" -j2
}
