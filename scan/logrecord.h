#pragma once

#include "scan/timeamount.h"

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
};

// Reads log lines into records without allocating per line: fields and duration parts are views
// into the line, and number parsing reuses one scratch buffer.
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
    std::optional<double> leadingNumber(std::string_view part) {
        double value = 0;
        return partValue(part, value) ? std::optional(value) : std::nullopt;
    }

private:
    // leadingNumber's value into `value`, and whether there is one. A flag rather than an
    // optional: this runs three times a line, and an optional double comes back through memory.
    bool partValue(std::string_view part, double& value) {
        if (smallInteger(part, value)) return true;
        const std::optional<double> general = generalNumber(part);
        if (general) value = *general;
        return general.has_value();
    }
    // Short plain integers ("05", "12") are nearly every duration part; they skip the general
    // path.
    static bool smallInteger(std::string_view part, double& value) {
        if (part.empty() || part.size() > 9) return false;
        qint64 whole = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            whole = whole * 10 + (c - '0');
        }
        value = static_cast<double>(whole);
        return true;
    }
    std::optional<double> generalNumber(std::string_view part);

    std::string scratch_;
};

// The text after the last backslash of a cut file path; the whole path if it has none.
std::string_view fileNameOf(std::string_view path);

} // namespace scan
