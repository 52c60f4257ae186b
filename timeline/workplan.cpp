#include "timeline/workplan.h"

#include "scan/clock.h"

#include <algorithm>

namespace timeline {

namespace {

constexpr std::array<const char*, 7> kDayNames = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

std::optional<size_t> dayNamed(QStringView name) {
    for (size_t i = 0; i < kDayNames.size(); ++i) {
        if (name.compare(QLatin1String(kDayNames[i]), Qt::CaseInsensitive) == 0) return i;
    }
    return std::nullopt;
}

// A shift as stretches of one day, in minutes: the part past midnight at the front.
std::vector<Interval> minutesOfDay(const Shift& shift) {
    if (!shift.pastMidnight()) return {{shift.from, shift.to}};
    std::vector<Interval> parts;
    if (shift.to > 0) parts.push_back({0, shift.to});
    parts.push_back({shift.from, 24 * 60});
    return parts;
}

} // namespace

std::optional<Shift> readShift(QStringView text) {
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash < 0) return std::nullopt;
    const auto from = scan::readClockMinutes(text.left(dash));
    const auto to = scan::readClockMinutes(text.mid(dash + 1));
    if (!from || !to || *from == *to) return std::nullopt;
    return Shift{*from, *to};
}

std::optional<Workdays> Workdays::read(QStringView text) {
    Workdays read;
    read.days_.fill(false);
    for (QStringView item : text.split(QLatin1Char(','))) {
        const qsizetype dash = item.indexOf(QLatin1Char('-'));
        const auto first = dayNamed((dash < 0 ? item : item.left(dash)).trimmed());
        const auto last = dash < 0 ? first : dayNamed(item.mid(dash + 1).trimmed());
        if (!first || !last) return std::nullopt;
        for (size_t day = *first;; day = (day + 1) % kDayNames.size()) {
            read.days_[day] = true;
            if (day == *last) break;
        }
    }
    return read;
}

std::vector<std::string> Workdays::names() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < days_.size(); ++i) {
        if (days_[i]) names.emplace_back(kDayNames[i]);
    }
    return names;
}

std::vector<Interval> WorkPlan::plannedOn(const QDate& day) const {
    std::vector<Interval> planned;
    const bool worked = workdays.holds(day), dayBeforeWorked = workdays.holds(day.addDays(-1));
    for (const Shift& shift : shifts) {
        const qint32 from = shift.from * 60, to = shift.to * 60;
        if (!shift.pastMidnight()) {
            if (worked) planned.push_back({from, to});
            continue;
        }
        if (worked) planned.push_back({from, scan::kDaySeconds});
        if (dayBeforeWorked && to > 0) planned.push_back({0, to});
    }
    std::sort(planned.begin(), planned.end(),
              [](const Interval& a, const Interval& b) { return a.from < b.from; });
    return planned;
}

std::optional<std::pair<Shift, Shift>> firstOverlap(const std::vector<Shift>& shifts) {
    for (size_t i = 0; i < shifts.size(); ++i) {
        for (size_t j = i + 1; j < shifts.size(); ++j) {
            for (const Interval& a : minutesOfDay(shifts[i])) {
                for (const Interval& b : minutesOfDay(shifts[j])) {
                    if (a.from < b.to && b.from < a.to) return std::pair{shifts[i], shifts[j]};
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace timeline
