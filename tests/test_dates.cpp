// The log's dates, read in the order the user's system writes them or the one asked for; and the
// ends of a period as the user writes them.
#include "scan/dateorder.h"
#include "scan/period.h"

#include <QDate>
#include <gtest/gtest.h>
#include <utility>

namespace {

using scan::DateOrder;

struct DateRow {
    const char* text;
    scan::DateOrder order;
    const char* day; // ISO date, or "" when the text must not parse
};

class LogDates : public ::testing::TestWithParam<DateRow> {};

TEST_P(LogDates, ParseInTheNamedOrderOrNotAtAll) {
    const QDate day = scan::parseLogDate(GetParam().text, GetParam().order);
    EXPECT_EQ(day.isValid() ? day.toString(Qt::ISODate).toStdString() : "", GetParam().day)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogDates,
    ::testing::Values(DateRow{"1/2/2026", DateOrder::MonthDayYear, "2026-01-02"},
                      DateRow{"1/2/2026", DateOrder::DayMonthYear, "2026-02-01"},
                      DateRow{"11/02/2026", DateOrder::MonthDayYear, "2026-11-02"},
                      DateRow{"11/02/2026", DateOrder::DayMonthYear, "2026-02-11"},
                      DateRow{"2026-02-11", DateOrder::YearMonthDay, "2026-02-11"},
                      DateRow{"11.02.2026", DateOrder::DayMonthYear, "2026-02-11"},
                      DateRow{" 2/29/2024 ", DateOrder::MonthDayYear, "2024-02-29"},
                      DateRow{"2/29/2026", DateOrder::MonthDayYear, ""},
                      DateRow{"13/02/2026", DateOrder::MonthDayYear, ""},
                      DateRow{"2026-02-11", DateOrder::MonthDayYear, ""},
                      DateRow{"1/2/26", DateOrder::MonthDayYear, ""},
                      DateRow{"1/2-2026", DateOrder::MonthDayYear, ""},
                      DateRow{"1/2/2026/5", DateOrder::MonthDayYear, ""},
                      DateRow{"001/2/2026", DateOrder::MonthDayYear, ""},
                      DateRow{"+1/2/2026", DateOrder::MonthDayYear, ""},
                      DateRow{"Mon 2 Nov 2026", DateOrder::DayMonthYear, ""},
                      DateRow{"", DateOrder::MonthDayYear, ""}));

TEST(DateOrders, FollowTheFormatsOrderAndTheirNames) {
    const std::pair<const char*, DateOrder> formats[] = {{"M/d/yy", DateOrder::MonthDayYear},
                                                         {"dd.MM.yyyy", DateOrder::DayMonthYear},
                                                         {"d MMM yyyy", DateOrder::DayMonthYear},
                                                         {"yyyy-MM-dd", DateOrder::YearMonthDay},
                                                         {"yy/M/d", DateOrder::YearMonthDay}};
    for (const auto& [format, order] : formats) {
        EXPECT_EQ(scan::dateOrderOfFormat(QString::fromLatin1(format)), order) << format;
        EXPECT_EQ(scan::dateOrderNamed(scan::dateOrderName(order)), order);
    }
    EXPECT_FALSE(scan::dateOrderNamed(u"MDY"));
}

const QDate kNov3(2026, 11, 3);

struct PeriodEndCase {
    const char* text;
    DateOrder order;
    QDate day; // invalid: refused
};

TEST(PeriodEnd, IsReadInTheDateOrderOrAsIso) {
    for (const PeriodEndCase& row : {PeriodEndCase{"11/3/2026", DateOrder::MonthDayYear, kNov3},
                                     PeriodEndCase{"3/11/2026", DateOrder::DayMonthYear, kNov3},
                                     PeriodEndCase{"2026-11-03", DateOrder::MonthDayYear, kNov3},
                                     PeriodEndCase{"2026-11-03", DateOrder::DayMonthYear, kNov3},
                                     PeriodEndCase{"13/3/2026", DateOrder::MonthDayYear, {}},
                                     PeriodEndCase{"2026-02-30", DateOrder::YearMonthDay, {}},
                                     PeriodEndCase{"yesterday", DateOrder::MonthDayYear, {}},
                                     PeriodEndCase{"", DateOrder::MonthDayYear, {}}}) {
        const std::optional<QDate> day =
            scan::readPeriodEnd(QString::fromLatin1(row.text), row.order);
        EXPECT_EQ(day.value_or(QDate()), row.day) << row.text;
    }
}

} // namespace
