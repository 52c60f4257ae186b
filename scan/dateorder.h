#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

namespace scan {

// The order in which a short date names its day, month and year.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// "mdy", "dmy" or "ymd": the names the command line takes and the JSON shows.
QString dateOrderName(DateOrder order);
std::optional<DateOrder> dateOrderNamed(QStringView name);
// "month/day/year", "day/month/year" or "year/month/day".
std::string_view dateOrderWords(DateOrder order);

// The order of a Qt date format ("M/d/yy", "dd.MM.yyyy", "yyyy-MM-dd"): where the year comes
// first, year-month-day; where the day comes before the month, day-month-year; otherwise
// month-day-year.
DateOrder dateOrderOfFormat(QStringView format);

// The order of the system's short date format.
DateOrder systemDateOrder();

// The calendar day a log's date text names, read in `order`: three numbers separated by one and
// the same of "/", "." or "-", the year with four digits, the day and month with one or two,
// blanks around the whole allowed ("1/2/2026", "11.02.2026", "2026-02-11"). An invalid date when
// the text is anything else or names no real day: nothing is guessed.
QDate parseLogDate(std::string_view text, DateOrder order);

// "2026-W07": the ISO 8601 week of a day, with the week's own year.
std::string isoWeekText(const QDate& day);
// "2026-02".
std::string monthText(const QDate& day);

} // namespace scan
