#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (offscreen: no display needed).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
build -DRUNTALLY_TESTS=ON
cd "$BUILD"
ctest --output-on-failure -j2
