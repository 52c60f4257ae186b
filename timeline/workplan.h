#pragma once

#include <QDate>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace timeline {

// A stretch of a day, in seconds after its midnight: [from, to).
struct Interval {
    qint32 from = 0;
    qint32 to = 0;

    qint32 length() const { return to - from; }
    friend bool operator==(const Interval&, const Interval&) = default;
};

// A shift, in minutes after midnight. One whose end is not after its start runs past midnight and
// belongs to the workday on which it starts.
struct Shift {
    qint32 from = 0;
    qint32 to = 0;

    bool pastMidnight() const { return to <= from; }
    friend bool operator==(const Shift&, const Shift&) = default;
};

// "06:00-14:00"; a shift from a time to the same time is none.
std::optional<Shift> readShift(QStringView text);

// The days of the week on which the shifts are worked.
class Workdays {
public:
    // Monday to Friday.
    Workdays() : days_{true, true, true, true, true, false, false} {}
    // "mon-fri", "sun-thu", "mon,wed,fri", "sat": names of three letters in any letter case,
    // and ranges of them that run forward through the week.
    static std::optional<Workdays> read(QStringView text);

    bool holds(const QDate& day) const { return days_[static_cast<size_t>(day.dayOfWeek() - 1)]; }
    // "mon", "tue", ..., Monday first.
    std::vector<std::string> names() const;

    friend bool operator==(const Workdays&, const Workdays&) = default;

private:
    std::array<bool, 7> days_{}; // Monday first
};

// The working time a timeline is measured against.
struct WorkPlan {
    std::vector<Shift> shifts;
    Workdays workdays;

    // The planned stretches of a calendar day, sorted: the shifts of a workday, and the part past
    // midnight of the shifts of the day before, if that was a workday.
    std::vector<Interval> plannedOn(const QDate& day) const;
};

// The first two shifts that overlap as times of day, the parts past midnight included.
std::optional<std::pair<Shift, Shift>> firstOverlap(const std::vector<Shift>& shifts);

} // namespace timeline
