#include "scan/cuttime.h"

#include <QtNumeric>
#include <cmath>
#include <limits>

namespace scan {

namespace {

constexpr qint64 kMost = std::numeric_limits<qint64>::max();
constexpr qint64 kLeast = std::numeric_limits<qint64>::min();
constexpr qint64 kCarryLimit = 59;
constexpr qint64 kUnit = 60;
constexpr qint64 kHour = 3600;

qint64 cappedAdd(qint64 a, qint64 b) {
    qint64 sum = 0;
    if (!qAddOverflow(a, b, &sum)) return sum;
    return b > 0 ? kMost : kLeast;
}

qint64 cappedTimes(qint64 value, qint64 factor) {
    qint64 product = 0;
    if (!qMulOverflow(value, factor, &product)) return product;
    return value > 0 ? kMost : kLeast;
}

// counter + value, rounded half to even. The sum is rounded, not the value alone: 1 + 12.5 gives
// 14 where 1 + round(12.5) would give 13. Splitting off the whole part keeps this exact for any
// counter. The scan skips records with values beyond +-1e9, so the value fits a qint64.
qint64 addRounded(qint64 counter, double value) {
    const auto asInteger = static_cast<qint64>(value);
    if (static_cast<double>(asInteger) == value) return cappedAdd(counter, asInteger);
    const double whole = std::floor(value);
    const double fraction = value - whole; // exact: 0 <= fraction < 1
    const qint64 base = cappedAdd(counter, static_cast<qint64>(whole));
    if (fraction < 0.5) return base;
    if (fraction > 0.5) return cappedAdd(base, 1);
    return base % 2 == 0 ? base : cappedAdd(base, 1);
}

qint64 carryOnce(qint64& unit) {
    if (unit <= kCarryLimit) return 0;
    unit -= kUnit;
    return 1;
}

} // namespace

void TimeAmount::add(const DurationValues& duration) {
    seconds = addRounded(seconds, duration.seconds);
    minutes = cappedAdd(minutes, carryOnce(seconds));
    minutes = addRounded(minutes, duration.minutes);
    hours = cappedAdd(hours, carryOnce(minutes));
    hours = addRounded(hours, duration.hours);
}

std::string TimeAmount::text() const {
    std::string out;
    appendTwoDigit(out, hours);
    out.push_back(':');
    appendTwoDigit(out, minutes);
    out.push_back(':');
    appendTwoDigit(out, seconds);
    return out;
}

void appendTwoDigit(std::string& out, qint64 value) {
    // Digits of the magnitude, least significant first; unsigned so that the minimum value works.
    char digits[24];
    int count = 0;
    quint64 magnitude = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (count < 2) digits[count++] = '0';
    if (value < 0) out.push_back('-');
    while (count > 0)
        out.push_back(digits[--count]);
}

Seconds Seconds::of(const TimeAmount& amount) {
    return Seconds(cappedTimes(amount.hours, kHour)) + Seconds(cappedTimes(amount.minutes, kUnit)) +
           Seconds(amount.seconds);
}

Seconds& Seconds::operator+=(Seconds other) {
    count_ = cappedAdd(count_, other.count_);
    return *this;
}

std::string Seconds::clockText() const {
    const auto magnitude =
        count_ < 0 ? 0 - static_cast<quint64>(count_) : static_cast<quint64>(count_);
    const TimeAmount parts{static_cast<qint64>(magnitude / kHour),
                           static_cast<qint64>(magnitude / kUnit % kUnit),
                           static_cast<qint64>(magnitude % kUnit)};
    std::string text(count_ < 0 ? "-" : "");
    text += parts.text();
    return text;
}

TimeAmount Seconds::signedParts() const {
    return {count_ / kHour, count_ % kHour / kUnit, count_ % kUnit};
}

} // namespace scan
