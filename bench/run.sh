#!/usr/bin/env bash
# bench/run.sh [OLD]: builds a Release build with the benchmarks, and a build of the commit OLD
# (default 5f8b105, the last one before the scan became one fold) beside it, and measures both,
# side by side, on generated logs of 100,000 and 1,000,000 records and on a CUT-heavy log of
# 1,000,000 records (seeded, the same on every machine):
#   - runtally-report writing both files (-o NAME, a new NAME each run), against a mawk program
#     that only sums the CUT durations (bench/cutsum.awk) and `wc -l`, with its peak memory;
#   - the same input and output without the scan (bench/iofloor): reading the log and writing,
#     syncing and committing files of the report's sizes, the floor under the command's time;
#   - runtally-report -o with the HTML page and the JSON added (--html --json);
#   - the same with two shifts and a rate (where OLD has no such options, it runs without them),
#     with its peak memory;
#   - runtally-report -o counting a period (--from before the log's first date, so that every
#     record is checked and the outputs stay those of -o);
#   - the page of one log (--html) and of the three logs as three machines, on standard output;
#   - the window's start-to-shown time and peak memory (offscreen);
#   - the scan alone, on a log in memory (Google Benchmark).
# Prints median wall times of several runs (the best of two rounds), peak memory, and the ratios
# the goals are set in. See bench/README.md.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
PACKAGES+=(libbenchmark-dev mawk)
install_missing
OLD="${1:-5f8b105}"
BUILD="${RUNTALLY_BENCH_BUILD_DIR:-$REPO/build-bench}"
build -DRUNTALLY_BENCH=ON -DRUNTALLY_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
# The old build: the commit's files, built as they were.
OLD_BUILD="$BUILD/old-$OLD"
if [ ! -x "$OLD_BUILD/cli/runtally-report" ]; then
    rm -rf "$BUILD/old-src"
    mkdir -p "$BUILD/old-src"
    git -C "$REPO" archive "$OLD" | tar -x -C "$BUILD/old-src"
    cmake -S "$BUILD/old-src" -B "$OLD_BUILD" -G Ninja -DRUNTALLY_BENCH=ON -DRUNTALLY_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$OLD_BUILD" -j2 --target runtally-report windowbench >/dev/null
fi
declare -A program=([new]="$BUILD" [old]="$OLD_BUILD")

RUNS="${RUNS:-5}"
data="$BUILD/bench-data"
measure() { "$BUILD/bench/measure" "$@"; }
field() { sed -E "s/(^|.* )$1=([0-9.]+).*/\2/" <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

declare -A ms rss
logs=(100000 1000000 1000000-cut-heavy)
for log_name in "${logs[@]}"; do
    size=${log_name%%-*}
    profile=${log_name#"$size"}
    folder="$data/$log_name"
    log="$folder/user/mvsys.log"
    if [ ! -f "$log" ]; then
        mkdir -p "$folder/user" "$folder/config/VB and VBA Program Settings"
        "$BUILD/bench/genlog" "$size" 42 "$log" ${profile:+${profile#-}}
        printf '[Userdata]\nuUsrPath="%s"\n' "$folder/user" \
            >"$folder/config/VB and VBA Program Settings/Milvane.ini"
    fi
    echo "log $log_name: $(du -m "$log" | cut -f1) MB"
    # A new NAME every run, as a user writes a new report: the files of the run before are
    # removed, untimed.
    fresh=(--remove "$folder/out.txt" --remove "$folder/out.csv" --remove "$folder/out.html"
        --remove "$folder/out.json")
    for round in 1 2; do # interleaved, so that a slow spell of the machine hits all alike
        for build in new old; do
            report="${program[$build]}/cli/runtally-report"
            out=$(measure "$RUNS" "${fresh[@]}" "$report" -o "$folder/out" "$log")
            ms[report-$build,$log_name,$round]=$(field ms "$out")
            rss[report-$build,$log_name]=$(field rss_mb "$out")
            out=$(measure "$RUNS" "${fresh[@]}" "$report" --html --json -o "$folder/out" "$log")
            ms[pages-$build,$log_name,$round]=$(field ms "$out")
            plan=(--date-order mdy)
            if "$report" --help | grep -q -- --shift; then
                plan+=(--shift 06:00-14:00 --shift 14:00-22:00 --rate 85)
            fi
            out=$(measure "$RUNS" "${fresh[@]}" "$report" --html --json "${plan[@]}" \
                -o "$folder/out" "$log")
            ms[plan-$build,$log_name,$round]=$(field ms "$out")
            rss[plan-$build,$log_name]=$(field rss_mb "$out")
            out=$(measure "$RUNS" "${fresh[@]}" "$report" --date-order mdy --from 2000-01-01 \
                -o "$folder/out" "$log")
            ms[period-$build,$log_name,$round]=$(field ms "$out")
            out=$(measure "$RUNS" "$report" --html --date-order mdy "$log")
            ms[html-$build,$log_name,$round]=$(field ms "$out")
            out=$(XDG_CONFIG_HOME="$folder/config" QT_QPA_PLATFORM=offscreen \
                measure "$RUNS" "${program[$build]}/bench/windowbench" 2>/dev/null)
            ms[window-$build,$log_name,$round]=$(field ms "$out")
            rss[window-$build,$log_name]=$(field rss_mb "$out")
        done
        # The same input and output with the scan left out: the floor under the command's time.
        sizes=($(stat -c %s "$folder/out.txt" "$folder/out.csv"))
        out=$(measure "$RUNS" --remove "$folder/floor.txt" --remove "$folder/floor.csv" \
            "$BUILD/bench/iofloor" "$log" "$folder/floor" "${sizes[@]}")
        ms[floor,$log_name,$round]=$(field ms "$out")
        out=$(measure "$RUNS" mawk -f "$REPO/bench/cutsum.awk" "$log")
        ms[awk,$log_name,$round]=$(field ms "$out")
        out=$(measure "$RUNS" wc -l "$log")
        ms[wc,$log_name,$round]=$(field ms "$out")
    done
done

machine_logs=("$data"/*/user/mvsys.log)
for round in 1 2; do
    for build in new old; do
        out=$(measure "$RUNS" "${program[$build]}/cli/runtally-report" --html --date-order mdy \
            "${machine_logs[@]}")
        ms[machines-$build,all,$round]=$(field ms "$out")
    done
done

best() { local a=${ms[$1,$2,1]} b=${ms[$1,$2,2]}; echo $((a < b ? a : b)); }
echo
printf '%-30s %16s %16s %16s\n' "" "100k" "1M" "1M CUT-heavy"
printf '%-30s %16s %16s %16s\n' "" "new / old" "new / old" "new / old"
for what in report pages plan period html window; do
    row=""
    for log_name in "${logs[@]}"; do
        row+=$(printf ' %7s /%5s' "$(best "$what-new" "$log_name")" "$(best "$what-old" "$log_name")")
    done
    printf '%-30s%s   ms\n' "$what" "$row"
done
for what in report plan window; do
    row=""
    for log_name in "${logs[@]}"; do
        row+=$(printf ' %7s /%5s' "${rss[$what-new,$log_name]}" "${rss[$what-old,$log_name]}")
    done
    printf '%-30s%s   MB\n' "$what peak memory" "$row"
done
for what in floor awk wc; do
    printf '%-30s %16s %16s %16s   ms\n' "$what" "$(best $what 100000)" "$(best $what 1000000)" \
        "$(best $what 1000000-cut-heavy)"
done
printf '%-30s %16s   ms\n' "html, the 3 logs as machines" \
    "$(best machines-new all) /$(best machines-old all)"

echo
heavy=1000000-cut-heavy
for log_name in 1000000 "$heavy"; do
    echo "runtally-report -o, new / old ($log_name):          $(ratio "$(best report-new $log_name)" "$(best report-old $log_name)")   (goal <= 1.30)"
    echo "runtally-report -o / mawk sum ($log_name):          $(ratio "$(best report-new $log_name)" "$(best awk $log_name)")   (goal <= 0.50)"
    echo "window start to shown, new / old ($log_name):       $(ratio "$(best window-new $log_name)" "$(best window-old $log_name)")   (goal <= 1.30)"
    echo "window start to shown ($log_name):                  $(best window-new $log_name) ms   (goal < 1000 ms)"
    echo "runtally-report -o peak memory ($log_name):         ${rss[report-new,$log_name]} MB   (goal <= 50 MB, flat)"
done
echo "runtally-report -o peak memory (100k):              ${rss[report-new,100000]} MB"
echo "-o with a period / -o (1M CUT-heavy):                $(ratio "$(best period-new $heavy)" "$(best report-new $heavy)")   (goal <= 1.10)"
html_sum=$(($(best html-new 100000) + $(best html-new 1000000) + $(best html-new $heavy)))
echo "--html of the 3 logs as machines / sum of each:      $(ratio "$(best machines-new all)" "$html_sum")   (goal <= 1.15)"
echo "I/O alone (iofloor) / -o (1M):                      $(ratio "$(best floor 1000000)" "$(best report-new 1000000)")"
echo
"$BUILD/bench/scan_bench" --benchmark_min_time=0.5
