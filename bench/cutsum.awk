# The peer for the benchmark: sums the durations of the CUT runs in a system log, nothing more.
# Fields: path, mode, duration (x:hours:minutes:seconds), -, start, date.
BEGIN { FS = "," }
toupper($2) == "CUT" && $3 != "" {
    split($3, part, ":")
    hours += part[2]; minutes += part[3]; seconds += part[4]
}
END { printf "%d:%d:%d\n", hours, minutes, seconds }
