#pragma once

#include "scan/cuttime.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <string>

namespace report {

// An amount of money in cents.
struct Money {
    qint64 cents = 0;

    // "0.58", "-12.00", "1234.50".
    std::string text() const;
    friend bool operator==(const Money&, const Money&) = default;
};

// Money per hour of cutting, kept exactly in ten-thousandths: no binary fractions.
class Rate {
public:
    // "85", "1.15", "0.1234": digits with at most four decimals after a ".", 0 or more, and below
    // a billion.
    static std::optional<Rate> read(QStringView text);

    // The cost of a cut time, seconds × rate / 3600, rounded to cents half away from zero; it
    // stops at the ends of the 64-bit range rather than wrap.
    Money costOf(scan::Seconds time) const;
    // The rate as a decimal number without trailing zeros: "85", "1.15".
    std::string text() const;

    friend bool operator==(const Rate&, const Rate&) = default;

private:
    qint64 tenThousandths_ = 0;
};

// What cut time costs: the rate, and the currency's label as the user gave it, if any.
struct Pricing {
    Rate rate;
    std::optional<QString> currency;
};

} // namespace report
