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

// Durations added up ahead, to be added to a counter in one step. That gives what adding them one
// by one gives when every part is a whole number, not negative, with minutes and seconds below 60,
// and the counter's minutes and seconds lie within 0 to 59: then nothing is rounded and each
// addition carries at most once, so the counter ends as the plain sum in hours, minutes and
// seconds. Other durations make the sum unusable, and the caller adds them one by one.
class DurationSum {
public:
    void add(const DurationValues& duration);
    // Adds the durations of another sum, as if each had been added here.
    void add(const DurationSum& other);
    // Adds the sum to `amount` as addDuration would add the durations one by one; false, with
    // `amount` untouched, where it cannot.
    bool addTo(TimeAmount& amount) const;

private:
    bool usable_ = true;
    qint64 hours_ = 0;
    qint64 minutes_ = 0;
    qint64 seconds_ = 0;
};

// Appends a counter in two-digit form: at least two digits, a minus sign before the digits of a
// negative value ("00", "07", "123", "-05").
void appendTwoDigit(std::string& out, qint64 value);

// Appends "hh:mm:ss", each counter in two-digit form.
void appendTimeAmount(std::string& out, const TimeAmount& amount);

} // namespace scan
