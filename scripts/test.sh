#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   unit      the test suite (offscreen: no display needed);
#   sanitize  the same suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   tsan      the suites of io, the scan, the report, the page, the save and the command, and the
#             window's tests that run the scan's threads, built with ThreadSanitizer;
#   fuzz      the fuzz targets over their seeds, then fuzzing for FUZZ_SECONDS (default 120);
#   package   the Debian package built, unpacked and its program run (scripts/package-check.sh);
#   screens   the window on laptop screens at 100, 125, 150 and 200 % under a virtual display:
#             it fits, and its button opens the Save As dialog (scripts/screen-check.sh);
#   a11y      the window read as a screen reader reads it, through AT-SPI: every control's role
#             and name, the report's text and its caret (scripts/a11y-check.sh);
#   windows   the Windows build under Wine: the suite, the same bytes as on Linux, the registry,
#             the zip in a clean prefix, and the MSI installed, upgraded and uninstalled in
#             another (scripts/windows.sh; skipped without the toolchain);
#   browser   the HTML report opened in headless Chromium (scripts/browser-check.sh);
#   reproducible  the packages of the commit built again, in a clone under another umask, time
#             zone and locale, and compared with those the package and Windows stages built
#             (scripts/reproducible-check.sh; twice, in two clones, when those did not run).
# RUNTALLY_TEST_STAGES picks stages, e.g. RUNTALLY_TEST_STAGES=unit for a quick run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
stages="${RUNTALLY_TEST_STAGES:-unit sanitize tsan fuzz package screens a11y windows browser reproducible}"

results="$(mktemp)"
trap 'rm -f "$results"' EXIT
run_ctest() { (cd "$1" && shift && ctest --output-on-failure "$@") | tee -a "$results"; }

install_missing
# How long each stage took, told before the closing line.
timings=()
last=$SECONDS
took() { timings+=("$1 $((SECONDS - last)) s"); last=$SECONDS; }
if [[ " $stages " == *" unit "* ]]; then
    build -DRUNTALLY_TESTS=ON
    run_ctest "$BUILD" -j2
    took unit
fi
if [[ " $stages " == *" sanitize "* ]]; then
    BUILD="$REPO/build-asan" build -DRUNTALLY_TESTS=ON -DRUNTALLY_SANITIZE=ON \
        -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest "$REPO/build-asan" -j2
    took sanitize
fi
if [[ " $stages " == *" tsan "* ]]; then
    tsan_build="$REPO/build-tsan"
    cmake -S "$REPO" -B "$tsan_build" -G Ninja -DRUNTALLY_TESTS=ON -DRUNTALLY_TSAN=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$tsan_build" -j2 --target io_tests scan_tests report_tests webreport_tests \
        save_tests cli_tests window_tests
    # One process per suite: starting each test under ThreadSanitizer costs more than it. Of the
    # window's suite, the tests that run the scan's threads.
    for suite in io_tests scan_tests report_tests webreport_tests save_tests cli_tests \
        "window_tests --gtest_filter=-ReportView*:Window.*"; do
        # shellcheck disable=SC2086 # the suite's name, then its filter
        TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$REPO/tests/tsan.supp" \
            "$tsan_build"/tests/$suite \
            --gtest_brief=1 | tee -a "$results"
    done
    took tsan
fi
if [[ " $stages " == *" fuzz "* ]]; then
    bash "$REPO/scripts/fuzz.sh" | tee -a "$results"
    took fuzz
fi
if [[ " $stages " == *" package "* ]]; then
    bash "$REPO/scripts/package-check.sh"
    took package
fi
if [[ " $stages " == *" screens "* ]]; then
    bash "$REPO/scripts/screen-check.sh"
    took screens
fi
if [[ " $stages " == *" a11y "* ]]; then
    bash "$REPO/scripts/a11y-check.sh"
    took a11y
fi
if [[ " $stages " == *" windows "* ]]; then
    bash "$REPO/scripts/windows.sh" | tee -a "$results"
    took windows
fi
if [[ " $stages " == *" browser "* ]]; then
    bash "$REPO/scripts/browser-check.sh" | tee -a "$results"
    took browser
fi
if [[ " $stages " == *" reproducible "* ]]; then
    # Where this run built the packages itself, on a clean tree, they are the first build.
    first=""
    if [[ " $stages " == *" package "* && " $stages " == *" windows "* ]] &&
        [ -z "$(git -C "$REPO" status --porcelain)" ]; then
        first=dist
    fi
    RUNTALLY_REPRODUCIBLE_FIRST=$first bash "$REPO/scripts/reproducible-check.sh"
    took reproducible
fi

echo "stage times: $(IFS=,; echo "${timings[*]}" | sed 's/,/, /g')"
# One closing line for all stages: CTest's counts, and GoogleTest's where a whole suite ran as one
# CTest test (under Wine).
awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
     /^\[  PASSED  \] [0-9]+ tests?\./ { total += $4 }
     /^\[  FAILED  \] [0-9]+ tests?, listed below/ { failed += $4; total += $4 }
     END { printf "%d passed, %d failed\n", total - failed, failed }' "$results"
