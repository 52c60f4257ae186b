#pragma once

#include "scan/clock.h"
#include "scan/cuttime.h"

#include <optional>
#include <string>
#include <string_view>

namespace scan {

// One counted CUT record. The views point into the log line it was read from and are valid only
// while that line is.
struct CutRecord {
    std::string_view cutFileName; // field 0 after its last backslash
    std::string_view startTime;   // field 4, as written
    std::string_view date;        // field 5, as written
    std::string_view hoursText;   // duration parts 1 to 3, as written
    std::string_view minutesText;
    std::string_view secondsText;
    std::string_view durationText; // hours to seconds with their colons, as written
    DurationValues duration;
    // Where the run lies in its day: its start in seconds after midnight, if field 4 reads as a
    // time, and its cut time as it would add up on its own.
    std::optional<qint32> startOfDay;
    Seconds length;
};

// Reads log lines into records. Fields and duration parts are views into the line; nothing is
// allocated per line.
class RecordReader {
public:
    // The counted record that `line` (without its line end) holds, or nothing for a line that is
    // skipped: an empty line; a mode field (field 1) that is not "CUT" in any letter case, blanks
    // counting; an empty duration field (field 2) or an empty hours part; fewer than six fields or
    // four duration parts; a duration part whose value is not finite or lies beyond +-1e9.
    std::optional<CutRecord> read(std::string_view line);

    // The value of a duration part's leading number: blanks and tabs are skipped wherever they
    // stand; then an optional sign, digits, a decimal point with its fraction, and an exponent
    // are taken; the first other character ends the number. A part that does not begin with a
    // number is 0 ("7x" is 7, "x7" is 0). Nothing when the value is beyond +-1e9 or not finite.
    std::optional<double> leadingNumber(std::string_view part);

private:
    std::string scratch_; // a part without its blanks
};

// The text after the last backslash of a cut file path; the whole path if it has none.
std::string_view fileNameOf(std::string_view path);

} // namespace scan
