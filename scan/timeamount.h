#pragma once

#include <QtGlobal>
#include <string>

namespace scan {

// Hours, minutes and seconds of cut time. The counters are 64-bit so that totals past 32,767
// hours come out right; minutes and seconds are not normalised beyond the single carry below.
struct TimeAmount {
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 seconds = 0;

    friend bool operator==(const TimeAmount&, const TimeAmount&) = default;
};

// A record's duration parts as numbers (hours, minutes, seconds), not yet rounded.
struct DurationValues {
    double hours = 0;
    double minutes = 0;
    double seconds = 0;
};

// Adds a duration seconds first. Each sum is rounded to the nearest whole number, a tie going to
// the even neighbour. A unit above 59 gives up 60 once and carries 1 into the next unit: 50 + 75
// seconds leaves 65 seconds and one carried minute. Nothing borrows; hours never carry.
void addDuration(TimeAmount& amount, const DurationValues& duration);

// Appends a counter in two-digit form: at least two digits, a minus sign before the digits of a
// negative value ("00", "07", "123", "-05").
void appendTwoDigit(std::string& out, qint64 value);

// Appends "hh:mm:ss", each counter in two-digit form.
void appendTimeAmount(std::string& out, const TimeAmount& amount);

} // namespace scan
