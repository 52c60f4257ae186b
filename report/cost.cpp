#include "report/cost.h"

#include "timeline/timeline.h"

#include <algorithm>
#include <limits>

namespace report {

namespace {

constexpr qint64 kPerHour = 3600 * qint64{10000} / 100; // seconds × ten-thousandths per cent
constexpr qsizetype kMostWholeDigits = 9;
constexpr qsizetype kMostDecimals = 4;

// a × b, or the end of the range of the product's sign.
qint64 cappedProduct(qint64 a, qint64 b) {
    constexpr qint64 kMost = std::numeric_limits<qint64>::max();
    if (b != 0 && (a > kMost / b || a < -kMost / b)) return (a < 0) == (b < 0) ? kMost : -kMost;
    return a * b;
}

} // namespace

std::string Money::text() const {
    const bool negative = cents < 0;
    // The magnitude in two parts, so that the lowest cents value has one too.
    const qint64 whole = cents / 100, part = cents % 100;
    std::string text = negative ? "-" : "";
    text += std::to_string(negative ? -whole : whole);
    text += '.';
    text += std::to_string(100 + (negative ? -part : part)).substr(1);
    return text;
}

std::optional<Rate> Rate::read(QStringView text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QStringView whole = point < 0 ? text : text.left(point);
    while (whole.size() > 1 && whole.front() == QLatin1Char('0'))
        whole = whole.mid(1); // leading zeros say nothing
    const QStringView decimals = point < 0 ? QStringView() : text.mid(point + 1);
    const auto allDigits = [](QStringView digits) {
        return std::all_of(digits.begin(), digits.end(),
                           [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    };
    if (whole.isEmpty() || whole.size() > kMostWholeDigits || !allDigits(whole))
        return std::nullopt;
    if (point >= 0 &&
        (decimals.isEmpty() || decimals.size() > kMostDecimals || !allDigits(decimals)))
        return std::nullopt;
    Rate rate;
    rate.tenThousandths_ = whole.toLongLong() * 10000;
    qint64 scale = 1000;
    for (QChar digit : decimals) {
        rate.tenThousandths_ += (digit.unicode() - '0') * scale;
        scale /= 10;
    }
    return rate;
}

// seconds × rate / 360000 cents, split so that no product leaves the range: whole multiples of
// 360000 seconds cost whole multiples of the rate, and the rest is rounded on its own.
Money Rate::costOf(scan::Seconds time) const {
    const qint64 seconds = time.count();
    const qint64 whole = seconds / kPerHour, rest = seconds % kPerHour;
    const qint64 restProduct = rest * tenThousandths_; // below 360000 × 10^13
    qint64 restCents = restProduct / kPerHour;
    const qint64 remainder = restProduct % kPerHour;
    if (2 * (remainder < 0 ? -remainder : remainder) >= kPerHour)
        restCents += remainder < 0 ? -1 : 1;
    const scan::Seconds cents =
        scan::Seconds(cappedProduct(whole, tenThousandths_)) + scan::Seconds(restCents);
    return {cents.count()};
}

std::string Rate::text() const {
    return timeline::decimalText(tenThousandths_);
}

} // namespace report
