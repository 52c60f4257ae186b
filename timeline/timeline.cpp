#include "timeline/timeline.h"

#include "scan/dateorder.h"
#include "timeline/clock.h"

#include <algorithm>

namespace timeline {

namespace {

// Pieces that came out of order are sorted in once they are this many more than the tidy ones,
// so that a day holds at most about twice its merged stretches.
constexpr size_t kUntidySlack = 64;

// The length of the stretches that two sorted lists of stretches, each apart, have in common.
qint64 overlapOf(const std::vector<Interval>& a, const std::vector<Interval>& b) {
    qint64 common = 0;
    for (size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        common += std::max(0, std::min(a[i].to, b[j].to) - std::max(a[i].from, b[j].from));
        if (a[i].to < b[j].to)
            ++i;
        else
            ++j;
    }
    return common;
}

// Weeks or months of the days, in date order.
template <typename LabelOf>
std::vector<TimelinePeriod> periodsOf(const std::vector<TimelineDay>& days, LabelOf labelOf) {
    std::vector<TimelinePeriod> periods;
    for (const TimelineDay& day : days) {
        std::string label = labelOf(day.date);
        if (periods.empty() || periods.back().label != label)
            periods.push_back({std::move(label), {}});
        periods.back().usage += day.usage;
    }
    return periods;
}

} // namespace

Usage& Usage::operator+=(const Usage& other) {
    busySeconds += other.busySeconds;
    plannedSeconds += other.plannedSeconds;
    busyInShiftsSeconds += other.busyInShiftsSeconds;
    return *this;
}

std::optional<qint64> Usage::utilisation() const {
    if (plannedSeconds <= 0) return std::nullopt;
    // Both are whole seconds and the part is never above the whole: halves round up.
    return (busyInShiftsSeconds * 20000 + plannedSeconds) / (2 * plannedSeconds);
}

std::string decimalText(qint64 tenThousandths) {
    std::string text = std::to_string(tenThousandths / 10000);
    std::string fraction = std::to_string(10000 + tenThousandths % 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

void TimelineCollector::Pieces::add(Interval piece) {
    if (tidySize == list.size() && (list.empty() || piece.from >= list.back().from)) {
        if (!list.empty() && piece.from <= list.back().to) {
            list.back().to = std::max(list.back().to, piece.to);
            return;
        }
        list.push_back(piece);
        ++tidySize;
        return;
    }
    list.push_back(piece);
    if (list.size() > 2 * tidySize + kUntidySlack) tidy();
}

void TimelineCollector::Pieces::tidy() {
    std::sort(list.begin(), list.end(),
              [](const Interval& a, const Interval& b) { return a.from < b.from; });
    size_t kept = 0;
    for (const Interval& piece : list) {
        if (kept > 0 && piece.from <= list[kept - 1].to)
            list[kept - 1].to = std::max(list[kept - 1].to, piece.to);
        else
            list[kept++] = piece;
    }
    list.resize(kept);
    tidySize = kept;
}

TimelineCollector::TimelineCollector(TimelineScope scope) : scope_(std::move(scope)) {}

TimelineCollector::Pieces& TimelineCollector::piecesOn(qint64 julianDay) {
    if (!lastDay_ || lastDay_->first != julianDay) lastDay_ = &*days_.try_emplace(julianDay).first;
    return lastDay_->second;
}

// A run is cut at each midnight it crosses; a piece after the period's last day is left out.
void TimelineCollector::add(const QDate& date, std::string_view startTime, scan::Seconds length) {
    const std::optional<qint32> start = date.isValid() ? readStartTime(startTime) : std::nullopt;
    if (!start || length.count() <= 0 || length.count() > kLongestRun) {
        ++unplaced_;
        return;
    }
    const qint64 lastDay =
        scope_.period.to ? scope_.period.to->toJulianDay() : date.toJulianDay() + 8;
    qint64 day = date.toJulianDay();
    ++piecesOn(day).runs;
    for (qint64 from = *start, end = *start + length.count(); day <= lastDay;
         ++day, from = 0, end -= kDaySeconds) {
        piecesOn(day).add(
            {static_cast<qint32>(from), static_cast<qint32>(std::min<qint64>(end, kDaySeconds))});
        if (end <= kDaySeconds) break;
    }
}

TimelineDay TimelineCollector::dayOf(const QDate& date, Pieces* pieces) const {
    TimelineDay day{date, 0, {}, {}};
    if (pieces) {
        pieces->tidy();
        day.runs = pieces->runs;
        day.busy = std::move(pieces->list);
        for (const Interval& stretch : day.busy)
            day.usage.busySeconds += stretch.length();
    }
    if (scope_.plan) {
        const std::vector<Interval> planned = scope_.plan->plannedOn(date);
        for (const Interval& stretch : planned)
            day.usage.plannedSeconds += stretch.length();
        day.usage.busyInShiftsSeconds = overlapOf(day.busy, planned);
    }
    return day;
}

// Without shifts the days are those that hold a piece of a run. With shifts they are every day
// from the period's start, or the first such day, to the period's end, or the last such day, so
// that a day the machine stood still shows.
Timeline TimelineCollector::take() {
    Timeline timeline;
    timeline.unplacedRuns = unplaced_;
    timeline.plan = scope_.plan;
    lastDay_ = nullptr;
    if (!scope_.plan) {
        for (auto& [julianDay, pieces] : days_)
            timeline.days.push_back(dayOf(QDate::fromJulianDay(julianDay), &pieces));
    } else {
        const scan::Period& period = scope_.period;
        std::optional<qint64> first, last;
        if (!days_.empty()) first = days_.begin()->first, last = days_.rbegin()->first;
        if (period.from) first = period.from->toJulianDay();
        if (period.to) last = period.to->toJulianDay();
        if (first && !last) last = first;
        if (last && !first) first = last;
        for (qint64 day = first.value_or(0); first && day <= *last; ++day) {
            const auto found = days_.find(day);
            timeline.days.push_back(
                dayOf(QDate::fromJulianDay(day), found == days_.end() ? nullptr : &found->second));
        }
    }
    days_.clear();
    for (const TimelineDay& day : timeline.days)
        timeline.whole += day.usage;
    timeline.weeks = periodsOf(timeline.days, scan::isoWeekText);
    timeline.months = periodsOf(timeline.days, scan::monthText);
    return timeline;
}

} // namespace timeline
