#include "scan/timeamount.h"

#include <QtNumeric>
#include <cmath>
#include <limits>

namespace scan {

namespace {

constexpr qint64 kCarryLimit = 59;
constexpr qint64 kUnit = 60;
// Whole hours that a sum ahead takes; the scan skips records with more (beyond 1e9).
constexpr double kWholeHoursBelow = 1e9 + 1;

qint64 saturatingAdd(qint64 a, qint64 b) {
    qint64 sum = 0;
    if (!qAddOverflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

// counter + value, rounded half to even. The sum is rounded, not the value alone: 1 + 12.5 gives
// 14 where 1 + round(12.5) would give 13. Splitting off the whole part keeps this exact for any
// counter. The scan rejects values beyond +-1e9 before they get here.
qint64 addRounded(qint64 counter, double value) {
    const auto asInteger = static_cast<qint64>(value); // |value| <= 1e9, so this is defined
    if (static_cast<double>(asInteger) == value) return saturatingAdd(counter, asInteger);
    const double whole = std::floor(value);
    const double fraction = value - whole; // exact: 0 <= fraction < 1
    const qint64 base = saturatingAdd(counter, static_cast<qint64>(whole));
    if (fraction < 0.5) return base;
    if (fraction > 0.5) return saturatingAdd(base, 1);
    return base % 2 == 0 ? base : saturatingAdd(base, 1);
}

qint64 carryOnce(qint64& unit) {
    if (unit <= kCarryLimit) return 0;
    unit -= kUnit;
    return 1;
}

} // namespace

void addDuration(TimeAmount& amount, const DurationValues& duration) {
    amount.seconds = addRounded(amount.seconds, duration.seconds);
    amount.minutes = saturatingAdd(amount.minutes, carryOnce(amount.seconds));
    amount.minutes = addRounded(amount.minutes, duration.minutes);
    amount.hours = saturatingAdd(amount.hours, carryOnce(amount.minutes));
    amount.hours = addRounded(amount.hours, duration.hours);
}

void DurationSum::add(const DurationValues& duration) {
    const auto whole = [](double value, double below) {
        return value >= 0 && value < below && value == std::floor(value);
    };
    if (!usable_ || !whole(duration.seconds, kUnit) || !whole(duration.minutes, kUnit) ||
        !whole(duration.hours, kWholeHoursBelow)) {
        usable_ = false;
        return;
    }
    seconds_ += static_cast<qint64>(duration.seconds);
    minutes_ += static_cast<qint64>(duration.minutes);
    // A sum that would overflow is not used.
    if (qAddOverflow(hours_, static_cast<qint64>(duration.hours), &hours_)) usable_ = false;
}

void DurationSum::add(const DurationSum& other) {
    usable_ = usable_ && other.usable_;
    seconds_ += other.seconds_;
    minutes_ += other.minutes_;
    if (qAddOverflow(hours_, other.hours_, &hours_)) usable_ = false;
}

bool DurationSum::addTo(TimeAmount& amount) const {
    const auto inUnit = [](qint64 value) { return value >= 0 && value <= kCarryLimit; };
    if (!usable_ || !inUnit(amount.seconds) || !inUnit(amount.minutes)) return false;
    const qint64 seconds = amount.seconds + seconds_;
    const qint64 minutes = amount.minutes + minutes_ + seconds / kUnit;
    qint64 hours = 0;
    if (qAddOverflow(amount.hours, hours_, &hours) || qAddOverflow(hours, minutes / kUnit, &hours))
        return false;
    amount = {hours, minutes % kUnit, seconds % kUnit};
    return true;
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

void appendTimeAmount(std::string& out, const TimeAmount& amount) {
    appendTwoDigit(out, amount.hours);
    out.push_back(':');
    appendTwoDigit(out, amount.minutes);
    out.push_back(':');
    appendTwoDigit(out, amount.seconds);
}

} // namespace scan
