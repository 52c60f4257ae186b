# Shared by the scripts here: installs what is missing and builds the project.
# Source it; it sets REPO and BUILD.
set -euo pipefail
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RUNTALLY_BUILD_DIR:-$REPO/build}"

# Debian packages the build and the tests need.
PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libgtest-dev)

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

build() {
    cmake -S "$REPO" -B "$BUILD" -G Ninja "$@"
    cmake --build "$BUILD" -j2
}
