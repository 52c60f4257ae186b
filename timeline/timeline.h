#pragma once

#include "scan/clock.h"
#include "scan/cuttime.h"
#include "scan/period.h"
#include "timeline/workplan.h"

#include <QDate>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace timeline {

// A run is placed on the timeline when it lasts more than nothing and at most this long.
constexpr qint64 kLongestRun = 7 * qint64{scan::kDaySeconds};

// What the timeline is drawn over: the scan's period, and the shifts if any are given.
struct TimelineScope {
    scan::Period period = {};
    std::optional<WorkPlan> plan = {};
};

// Busy time against planned time; the plan's members are 0 without shifts.
struct Usage {
    qint64 busySeconds = 0;
    qint64 plannedSeconds = 0;
    qint64 busyInShiftsSeconds = 0;

    Usage& operator+=(const Usage& other);
    // busyInShiftsSeconds / plannedSeconds in ten-thousandths, rounded half away from zero;
    // nothing when nothing was planned.
    std::optional<qint64> utilisation() const;
};

// "0.0313", "0.5", "1", "85": ten-thousandths as a decimal number without trailing zeros.
std::string decimalText(qint64 tenThousandths);

// A calendar day of the timeline.
struct TimelineDay {
    QDate date;
    qint64 runs = 0;            // placed runs that start on it
    std::vector<Interval> busy; // the union of its runs' pieces, sorted, apart from each other
    Usage usage;

    bool isIdle() const { return busy.empty(); }
    qint32 firstStart() const { return busy.front().from; }
    qint32 lastEnd() const { return busy.back().to; }
    qint32 span() const { return lastEnd() - firstStart(); }
};

// A week ("2026-W07") or a month ("2026-02") of the timeline's days.
struct TimelinePeriod {
    std::string label;
    Usage usage;
};

// The days the timeline lists: without shifts those that hold a piece of a run; with shifts every
// day from the first to the last, so that a day the machine stood still shows. Only the busy days
// are kept; the idle days between them are made when they are visited, so that a log whose dates
// lie centuries apart costs time to write, not memory.
struct Timeline {
    std::vector<TimelineDay> busyDays; // the days that hold a piece of a run, in date order
    std::optional<std::pair<QDate, QDate>> listed; // with shifts: the first and last listed day
    std::vector<TimelinePeriod> weeks;
    std::vector<TimelinePeriod> months;
    Usage whole;
    qint64 unplacedRuns = 0;
    std::optional<WorkPlan> plan;

    qint64 dayCount() const;
    // Each listed day in date order, from the one `skip` days after the first.
    void forEachDay(const std::function<void(const TimelineDay&)>& visit, qint64 skip = 0) const;
};

// Collects, run by run in log order, where each run lies in time, and gives the timeline at the
// end. Memory grows with the days and with the busy stretches apart in each, not with the runs.
class TimelineCollector {
public:
    explicit TimelineCollector(TimelineScope scope);

    // A counted run: its date (invalid when it does not parse), its start in seconds after
    // midnight (none when the log's time does not parse), and its cut time as it would add up on
    // its own.
    // Inline: it is told every counted run of the log.
    void add(const QDate& date, std::optional<qint32> startOfDay, scan::Seconds length) {
        if (!date.isValid() || !startOfDay || length.count() <= 0 || length.count() > kLongestRun) {
            ++unplaced_;
            return;
        }
        const qint64 day = date.toJulianDay();
        Pieces& pieces = piecesOn(day);
        ++pieces.runs;
        const qint64 end = *startOfDay + length.count();
        if (end <= scan::kDaySeconds && pieces.addInOrder({*startOfDay, static_cast<qint32>(end)}))
            return;
        place(day, *startOfDay, end);
    }
    Timeline take();

private:
    // A day's pieces of runs, kept merged while they come in order.
    struct Pieces {
        std::vector<Interval> list;
        size_t tidySize = 0; // the front of `list` that is sorted and merged
        qint64 runs = 0;

        // Merges a piece that starts at or after the last one kept, as most do; false for another.
        bool addInOrder(Interval piece) {
            if (tidySize != list.size() || (!list.empty() && piece.from < list.back().from))
                return false;
            if (!list.empty() && piece.from <= list.back().to)
                list.back().to = std::max(list.back().to, piece.to);
            else
                list.push_back(piece), ++tidySize;
            return true;
        }
        void add(Interval piece);
        bool mergeIntoTidy(Interval piece);
        void tidy();
    };
    Pieces& piecesOn(qint64 julianDay) {
        if (!lastDay_ || lastDay_->first != julianDay)
            lastDay_ = &*days_.try_emplace(julianDay).first;
        return lastDay_->second;
    }
    // The run's pieces from `start` to `end` seconds after the midnight of `julianDay`, cut at
    // each midnight.
    void place(qint64 julianDay, qint64 start, qint64 end);

    TimelineScope scope_;
    std::map<qint64, Pieces> days_; // by Julian day
    std::pair<const qint64, Pieces>* lastDay_ = nullptr;
    qint64 unplaced_ = 0;
};

} // namespace timeline
