#include "timeline/timeline.h"

#include "scan/dateorder.h"

#include <algorithm>

namespace timeline {

namespace {

// Pieces that came out of order are sorted in once they are this many more than the tidy ones,
// so that a day holds at most about twice its merged stretches.
constexpr size_t kUntidySlack = 8;
// Up to this many stretches a piece is merged in place even where that moves the ones after it.
constexpr size_t kFewStretches = 64;

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

// The planned time of a day, and how much of its busy time lies in it.
void planDay(TimelineDay& day, const std::optional<WorkPlan>& plan) {
    if (!plan) return;
    const std::vector<Interval> planned = plan->plannedOn(day.date);
    for (const Interval& stretch : planned)
        day.usage.plannedSeconds += stretch.length();
    day.usage.busyInShiftsSeconds = overlapOf(day.busy, planned);
}

// Adds a day to the weeks or months, whose label it gets from `labelOf`.
template <typename LabelOf>
void addToPeriods(std::vector<TimelinePeriod>& periods, const TimelineDay& day, LabelOf labelOf) {
    std::string label = labelOf(day.date);
    if (periods.empty() || periods.back().label != label) periods.push_back({std::move(label), {}});
    periods.back().usage += day.usage;
}

// The last day a piece of a run may fall on: the timeline names days up to the end of year 9999.
const qint64 kLastNamedDay = QDate(9999, 12, 31).toJulianDay();

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

// Runs mostly come in the order they started, or overlap a stretch already kept: such a piece
// is merged at once. Any other waits at the end of the list until the next tidying.
void TimelineCollector::Pieces::add(Interval piece) {
    if (addInOrder(piece) || mergeIntoTidy(piece)) return;
    list.push_back(piece);
    if (list.size() > 2 * tidySize + kUntidySlack) tidy();
}

// Merges a piece into the tidy stretches where that moves little: always when it touches one
// stretch only; when it bridges several, or falls between two, only while the day has few.
bool TimelineCollector::Pieces::mergeIntoTidy(Interval piece) {
    const auto tidyEnd = list.begin() + static_cast<std::ptrdiff_t>(tidySize);
    auto first =
        std::upper_bound(list.begin(), tidyEnd, piece.from,
                         [](qint32 from, const Interval& stretch) { return from < stretch.from; });
    if (first != list.begin() && std::prev(first)->to >= piece.from) --first;
    auto last = first; // past the stretches the piece touches
    while (last != tidyEnd && last->from <= piece.to)
        ++last;
    const bool few = tidySize <= kFewStretches;
    if (first == last) {
        if (!few) return false;
        list.insert(first, piece);
        ++tidySize;
        return true;
    }
    if (last - first > 1 && !few) return false;
    first->from = std::min(first->from, piece.from);
    first->to = std::max(std::prev(last)->to, piece.to);
    tidySize -= static_cast<size_t>(last - first - 1);
    list.erase(first + 1, last);
    return true;
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

// A run is cut at each midnight it crosses; a piece after the period's last day is left out.
void TimelineCollector::place(qint64 julianDay, qint64 start, qint64 end) {
    const qint64 lastDay =
        std::min(scope_.period.to ? scope_.period.to->toJulianDay() : kLastNamedDay, kLastNamedDay);
    for (qint64 day = julianDay, from = start; day <= lastDay;
         ++day, from = 0, end -= scan::kDaySeconds) {
        piecesOn(day).add({static_cast<qint32>(from),
                           static_cast<qint32>(std::min<qint64>(end, scan::kDaySeconds))});
        if (end <= scan::kDaySeconds) break;
    }
}

qint64 Timeline::dayCount() const {
    if (listed) return listed->second.toJulianDay() - listed->first.toJulianDay() + 1;
    return static_cast<qint64>(busyDays.size());
}

void Timeline::forEachDay(const std::function<void(const TimelineDay&)>& visit, qint64 skip) const {
    if (!listed) {
        for (size_t i = static_cast<size_t>(std::max<qint64>(skip, 0)); i < busyDays.size(); ++i)
            visit(busyDays[i]);
        return;
    }
    const qint64 first = listed->first.toJulianDay() + std::max<qint64>(skip, 0);
    auto busy = std::lower_bound(busyDays.begin(), busyDays.end(), first,
                                 [](const TimelineDay& day, qint64 julianDay) {
                                     return day.date.toJulianDay() < julianDay;
                                 });
    for (qint64 julianDay = first; julianDay <= listed->second.toJulianDay(); ++julianDay) {
        if (busy != busyDays.end() && busy->date.toJulianDay() == julianDay) {
            visit(*busy++);
            continue;
        }
        TimelineDay idle{QDate::fromJulianDay(julianDay), 0, {}, {}};
        planDay(idle, plan);
        visit(idle);
    }
}

// Without shifts the days are those that hold a piece of a run. With shifts they are every day
// from the period's start, or else the first such day, to the period's end, or else the last such
// day; where either end is unknown, none.
Timeline TimelineCollector::take() {
    Timeline timeline;
    timeline.unplacedRuns = unplaced_;
    timeline.plan = scope_.plan;
    lastDay_ = nullptr;
    for (auto& [julianDay, pieces] : days_) {
        pieces.tidy();
        pieces.list.shrink_to_fit();
        TimelineDay& day = timeline.busyDays.emplace_back(
            TimelineDay{QDate::fromJulianDay(julianDay), pieces.runs, std::move(pieces.list), {}});
        for (const Interval& stretch : day.busy)
            day.usage.busySeconds += stretch.length();
        planDay(day, scope_.plan);
    }
    days_.clear();
    if (scope_.plan) {
        const scan::Period& period = scope_.period;
        const bool anyBusy = !timeline.busyDays.empty();
        const std::optional<QDate> first = period.from ? period.from
                                           : anyBusy ? std::optional(timeline.busyDays.front().date)
                                                     : std::nullopt;
        const std::optional<QDate> last = period.to ? period.to
                                          : anyBusy ? std::optional(timeline.busyDays.back().date)
                                                    : std::nullopt;
        if (first && last && *first <= *last)
            timeline.listed = std::pair{*first, *last};
        else
            timeline.busyDays.clear();
    }
    timeline.forEachDay([&](const TimelineDay& day) {
        timeline.whole += day.usage;
        addToPeriods(timeline.weeks, day, scan::isoWeekText);
        addToPeriods(timeline.months, day, scan::monthText);
    });
    return timeline;
}

} // namespace timeline
