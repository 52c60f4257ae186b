#pragma once

#include <QtGlobal>
#include <compare>
#include <string>

namespace scan {

// A record's duration parts as numbers (hours, minutes, seconds), not yet rounded.
struct DurationValues {
    double hours = 0;
    double minutes = 0;
    double seconds = 0;
};

// Cut time as the report adds it up: hours, minutes and seconds, each a counter of its own. The
// counters are 64-bit so that totals past 32,767 hours come out right, and they stop at the ends
// of that range rather than wrap.
struct TimeAmount {
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 seconds = 0;

    // Adds a duration seconds first. Each sum is rounded to the nearest whole number, a tie going
    // to the even neighbour. A unit above 59 gives up 60 once and carries 1 into the next unit:
    // 50 + 75 seconds leaves 65 seconds and one carried minute. Nothing borrows; hours never
    // carry.
    void add(const DurationValues& duration);

    // "hh:mm:ss", each counter in two-digit form: "01:05:09", "00:65:-03".
    std::string text() const;

    friend bool operator==(const TimeAmount&, const TimeAmount&) = default;
};

// Appends a counter in two-digit form: at least two digits, a minus sign before the digits of a
// negative value ("00", "07", "123", "-05").
void appendTwoDigit(std::string& out, qint64 value);

// Cut time in whole seconds, as the page and the JSON add it up: sums stop at the ends of the
// 64-bit range rather than wrap.
class Seconds {
public:
    constexpr Seconds() = default;
    constexpr explicit Seconds(qint64 count) : count_(count) {}
    // hours·3600 + minutes·60 + seconds.
    static Seconds of(const TimeAmount& amount);

    constexpr qint64 count() const { return count_; }
    Seconds& operator+=(Seconds other);
    friend Seconds operator+(Seconds a, Seconds b) { return a += b; }
    friend auto operator<=>(Seconds, Seconds) = default;

    // "hh:mm:ss" of the whole amount, a minus sign before a negative one: "-01:01:01".
    std::string clockText() const;
    // Hours, minutes and seconds that add up to the amount, each with its sign: -3661 s is -1 h,
    // -1 min, -1 s.
    TimeAmount signedParts() const;

private:
    qint64 count_ = 0;
};

} // namespace scan
