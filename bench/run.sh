#!/usr/bin/env bash
# Builds a Release build with the benchmarks and measures, on generated logs of 100,000 and
# 1,000,000 records and on a CUT-heavy log of 1,000,000 records (seeded, the same on every
# machine):
#   - runtally-report writing both files (-o NAME, a new NAME each run), against `wc -l` and a
#     mawk program that only sums the CUT durations (bench/cutsum.awk), side by side on the same
#     log, with the command's CPU time (all threads) against its wall time;
#   - the same input and output without the scan (bench/iofloor): reading the log and writing,
#     syncing and committing files of the report's sizes, the floor under the command's time;
#   - runtally-report -o with the HTML page and the JSON added (--html --json), against -o alone;
#   - runtally-report -o counting a period (--from before the log's first date, so that every
#     record is checked and the outputs stay those of -o), against -o alone;
#   - the page of the three logs as three machines (--html LOG LOG LOG), against the sum of each
#     log's own --html, both on standard output, and its peak memory against theirs;
#   - the window's start-to-shown time and peak memory (offscreen);
#   - the scan alone, on a log in memory (Google Benchmark).
# Prints median wall times of several runs, peak memory, and the ratios the goals are set in.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
PACKAGES+=(libbenchmark-dev mawk)
install_missing
BUILD="${RUNTALLY_BENCH_BUILD_DIR:-$REPO/build-bench}"
build -DRUNTALLY_BENCH=ON -DRUNTALLY_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null

RUNS="${RUNS:-5}"
data="$BUILD/bench-data"
measure() { "$BUILD/bench/measure" "$@"; }
field() { sed -E "s/(^|.* )$1=([0-9.]+).*/\2/" <<<"$2"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

declare -A ms cpu rss
for log_name in 100000 1000000 1000000-cut-heavy; do
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
    for round in 1 2; do # interleaved, so that a slow spell of the machine hits all alike
        # A new NAME every run, as a user writes a new report: the files of the run before are
        # removed, untimed.
        fresh=(--remove "$folder/out.txt" --remove "$folder/out.csv")
        out=$(measure "$RUNS" "${fresh[@]}" "$BUILD/cli/runtally-report" -o "$folder/out" "$log")
        ms[report,$log_name,$round]=$(field ms "$out"); rss[report,$log_name]=$(field rss_mb "$out")
        cpu[report,$log_name,$round]=$(field cpu_ms "$out")
        # The same input and output with the scan left out: the floor under the command's time.
        sizes=($(stat -c %s "$folder/out.txt" "$folder/out.csv"))
        out=$(measure "$RUNS" --remove "$folder/floor.txt" --remove "$folder/floor.csv" \
            "$BUILD/bench/iofloor" "$log" "$folder/floor" "${sizes[@]}")
        ms[floor,$log_name,$round]=$(field ms "$out")
        out=$(measure "$RUNS" "${fresh[@]}" --remove "$folder/out.html" --remove "$folder/out.json" \
            "$BUILD/cli/runtally-report" --html --json -o "$folder/out" "$log")
        ms[pages,$log_name,$round]=$(field ms "$out"); rss[pages,$log_name]=$(field rss_mb "$out")
        out=$(measure "$RUNS" "${fresh[@]}" "$BUILD/cli/runtally-report" --date-order mdy \
            --from 2000-01-01 -o "$folder/out" "$log")
        ms[period,$log_name,$round]=$(field ms "$out")
        out=$(measure "$RUNS" "$BUILD/cli/runtally-report" --html --date-order mdy "$log")
        ms[html,$log_name,$round]=$(field ms "$out"); rss[html,$log_name]=$(field rss_mb "$out")
        out=$(measure "$RUNS" mawk -f "$REPO/bench/cutsum.awk" "$log")
        ms[awk,$log_name,$round]=$(field ms "$out")
        out=$(measure "$RUNS" wc -l "$log")
        ms[wc,$log_name,$round]=$(field ms "$out")
        out=$(XDG_CONFIG_HOME="$folder/config" QT_QPA_PLATFORM=offscreen \
            measure "$RUNS" "$BUILD/bench/windowbench" 2>/dev/null)
        ms[window,$log_name,$round]=$(field ms "$out"); rss[window,$log_name]=$(field rss_mb "$out")
    done
done

machine_logs=("$data"/*/user/mvsys.log)
for round in 1 2; do
    out=$(measure "$RUNS" "$BUILD/cli/runtally-report" --html --date-order mdy "${machine_logs[@]}")
    ms[machines,all,$round]=$(field ms "$out"); rss[machines,all]=$(field rss_mb "$out")
done

best() { local a=${ms[$1,$2,1]} b=${ms[$1,$2,2]}; echo $((a < b ? a : b)); }
# The CPU time of the round whose wall time was the best.
cpu_of_best() { [ "${ms[report,$1,1]}" -le "${ms[report,$1,2]}" ] && echo "${cpu[report,$1,1]}" || echo "${cpu[report,$1,2]}"; }
echo
printf '%-36s %10s %10s %12s\n' "" "100k" "1M" "1M CUT-heavy"
for what in report floor pages period html awk wc window; do
    printf '%-36s %7s ms %7s ms %9s ms\n' "$what" "$(best $what 100000)" "$(best $what 1000000)" \
        "$(best $what 1000000-cut-heavy)"
done
printf '%-36s %7s ms %7s ms %9s ms\n' "runtally-report CPU time" "$(cpu_of_best 100000)" \
    "$(cpu_of_best 1000000)" "$(cpu_of_best 1000000-cut-heavy)"
printf '%-36s %7s MB %7s MB %9s MB\n' "runtally-report peak memory" "${rss[report,100000]}" \
    "${rss[report,1000000]}" "${rss[report,1000000-cut-heavy]}"
printf '%-36s %7s MB %7s MB %9s MB\n' "with --html --json peak memory" "${rss[pages,100000]}" \
    "${rss[pages,1000000]}" "${rss[pages,1000000-cut-heavy]}"
printf '%-36s %7s MB %7s MB %9s MB\n' "--html peak memory" "${rss[html,100000]}" \
    "${rss[html,1000000]}" "${rss[html,1000000-cut-heavy]}"
printf '%-36s %7s MB %7s MB %9s MB\n' "window peak memory" "${rss[window,100000]}" \
    "${rss[window,1000000]}" "${rss[window,1000000-cut-heavy]}"
echo
heavy=1000000-cut-heavy
echo "runtally-report -o / mawk sum (1M):             $(ratio "$(best report 1000000)" "$(best awk 1000000)")   (goal <= 0.35)"
echo "runtally-report -o / mawk sum (1M CUT-heavy):   $(ratio "$(best report $heavy)" "$(best awk $heavy)")   (goal <= 0.50)"
echo "I/O alone (iofloor) / mawk sum (1M):            $(ratio "$(best floor 1000000)" "$(best awk 1000000)")"
echo "I/O alone (iofloor) / mawk sum (1M CUT-heavy):  $(ratio "$(best floor $heavy)" "$(best awk $heavy)")"
echo "runtally-report CPU / wall (1M):                $(ratio "$(cpu_of_best 1000000)" "$(best report 1000000)")   (goal >= 1.5)"
echo "runtally-report CPU / wall (1M CUT-heavy):      $(ratio "$(cpu_of_best $heavy)" "$(best report $heavy)")   (goal >= 1.5)"
echo "-o --html --json / -o (1M):                    $(ratio "$(best pages 1000000)" "$(best report 1000000)")   (goal <= 1.30)"
echo "-o --html --json / -o (1M CUT-heavy):          $(ratio "$(best pages $heavy)" "$(best report $heavy)")   (goal <= 1.30)"
echo "-o with a period / -o (1M):                     $(ratio "$(best period 1000000)" "$(best report 1000000)")   (goal <= 1.10)"
echo "-o with a period / -o (1M CUT-heavy):           $(ratio "$(best period $heavy)" "$(best report $heavy)")   (goal <= 1.10)"
html_sum=$(($(best html 100000) + $(best html 1000000) + $(best html $heavy)))
echo "--html of the 3 logs as machines / sum of each: $(ratio "$(best machines all)" "$html_sum")   ($(best machines all) ms against $html_sum ms; goal <= 1.15)"
echo "peak memory, 3 machines / largest one alone:    ${rss[machines,all]} MB / ${rss[html,$heavy]} MB (flat: each log is read and let go in turn)"
echo "runtally-report -o / wc -l (1M):                $(ratio "$(best report 1000000)" "$(best wc 1000000)")"
echo "window start to shown (1M):                     $(best window 1000000) ms   (goal <= 1000 ms)"
echo "time 1M / 100k, runtally-report:                $(ratio "$(best report 1000000)" "$(best report 100000)")  (goal <= 11)"
echo "time 1M / 100k, window:                         $(ratio "$(best window 1000000)" "$(best window 100000)")  (goal <= 11)"
echo
"$BUILD/bench/scan_bench" --benchmark_min_time=0.5
