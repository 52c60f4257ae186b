#include "scan/dateorder.h"

#include <QLocale>
#include <array>

namespace scan {

namespace {

constexpr std::string_view kSeparators = "/.-";
constexpr size_t kYearDigits = 4;
constexpr size_t kMostDayOrMonthDigits = 2;

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A run of digits of a length within [fewest, most]; nothing otherwise.
std::optional<int> numberOf(std::string_view digits, size_t fewest, size_t most) {
    if (digits.size() < fewest || digits.size() > most) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The three pieces of "a?b?c" with one separator, the same twice; false for anything else.
bool splitThree(std::string_view text, std::array<std::string_view, 3>& pieces) {
    const size_t first = text.find_first_of(kSeparators);
    if (first == std::string_view::npos) return false;
    const char separator = text[first];
    const size_t second = text.find(separator, first + 1);
    if (second == std::string_view::npos) return false;
    pieces = {text.substr(0, first), text.substr(first + 1, second - first - 1),
              text.substr(second + 1)};
    for (std::string_view piece : pieces) {
        if (piece.find_first_of(kSeparators) != std::string_view::npos) return false;
    }
    return true;
}

} // namespace

QString dateOrderName(DateOrder order) {
    switch (order) {
    case DateOrder::MonthDayYear:
        return QStringLiteral("mdy");
    case DateOrder::DayMonthYear:
        return QStringLiteral("dmy");
    case DateOrder::YearMonthDay:
        return QStringLiteral("ymd");
    }
    return {};
}

std::string_view dateOrderWords(DateOrder order) {
    switch (order) {
    case DateOrder::MonthDayYear:
        return "month/day/year";
    case DateOrder::DayMonthYear:
        return "day/month/year";
    case DateOrder::YearMonthDay:
        return "year/month/day";
    }
    return {};
}

std::optional<DateOrder> dateOrderNamed(QStringView name) {
    for (DateOrder order :
         {DateOrder::MonthDayYear, DateOrder::DayMonthYear, DateOrder::YearMonthDay}) {
        if (name == dateOrderName(order)) return order;
    }
    return std::nullopt;
}

DateOrder dateOrderOfFormat(QStringView format) {
    const qsizetype day = format.indexOf(QLatin1Char('d'));
    const qsizetype month = format.indexOf(QLatin1Char('M'));
    const qsizetype year = format.indexOf(QLatin1Char('y'));
    const auto before = [](qsizetype a, qsizetype b) { return a >= 0 && (b < 0 || a < b); };
    if (before(year, day) && before(year, month)) return DateOrder::YearMonthDay;
    if (before(day, month)) return DateOrder::DayMonthYear;
    return DateOrder::MonthDayYear;
}

DateOrder systemDateOrder() {
    return dateOrderOfFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
}

QDate parseLogDate(std::string_view text, DateOrder order) {
    std::array<std::string_view, 3> pieces;
    if (!splitThree(trimBlanks(text), pieces)) return {};
    // Where each of year, month and day stands among the three pieces.
    const auto [yearAt, monthAt, dayAt] = [order]() -> std::array<size_t, 3> {
        switch (order) {
        case DateOrder::MonthDayYear:
            return {2, 0, 1};
        case DateOrder::DayMonthYear:
            return {2, 1, 0};
        case DateOrder::YearMonthDay:
            return {0, 1, 2};
        }
        return {2, 0, 1};
    }();
    const auto year = numberOf(pieces[yearAt], kYearDigits, kYearDigits);
    const auto month = numberOf(pieces[monthAt], 1, kMostDayOrMonthDigits);
    const auto day = numberOf(pieces[dayAt], 1, kMostDayOrMonthDigits);
    if (!year || !month || !day) return {};
    return QDate(*year, *month, *day); // invalid for a day that does not exist
}

std::string isoWeekText(const QDate& day) {
    int weekYear = 0;
    const int week = day.weekNumber(&weekYear);
    return QStringLiteral("%1-W%2")
        .arg(weekYear, 4, 10, QLatin1Char('0'))
        .arg(week, 2, 10, QLatin1Char('0'))
        .toStdString();
}

std::string monthText(const QDate& day) {
    return QStringLiteral("%1-%2")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .toStdString();
}

} // namespace scan
