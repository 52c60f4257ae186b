#pragma once

#include "scan/dateorder.h"

#include <QDate>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

namespace scan {

// The calendar days a scan counts, both ends included; an open end reaches as far as the log. A
// CUT record outside them is left out as if the log did not hold it: it never ends or splits a
// date block. With neither end set every record counts; with either, a record whose date does not
// parse lies outside.
struct Period {
    std::optional<QDate> from;
    std::optional<QDate> to;
    DateOrder order = DateOrder::MonthDayYear; // how the log's dates are read

    bool isWholeLog() const { return !from && !to; }
    bool holds(const QDate& day) const;
    bool holds(std::string_view logDate) const;
};

// An end of a period as the user writes it: in `order`, or as YYYY-MM-DD whatever the order.
std::optional<QDate> readPeriodEnd(QStringView text, DateOrder order);

// Period::holds for the records of one thread. A log holds the records of a date together, so
// the answer for the last date asked about is kept, and each date is read once per run of it;
// for the whole log nothing is read.
class PeriodCheck {
public:
    explicit PeriodCheck(const Period& period) : period_(period) {}
    // Inline: it is asked for every CUT record of the log.
    bool holds(std::string_view logDate) {
        if (period_.isWholeLog()) return true;
        if (known_ && logDate == lastDate_) return lastHeld_;
        return read(logDate);
    }

private:
    bool read(std::string_view logDate);

    const Period& period_;
    std::string lastDate_;
    bool lastHeld_ = false;
    bool known_ = false;
};

} // namespace scan
