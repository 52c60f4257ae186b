#include "scan/dateblocks.h"

namespace scan {

namespace {

// Adds `sum` to `amount` in one step where that gives what adding the records one by one gives,
// else adds them one by one.
void addUp(TimeAmount& amount, const DurationSum& sum, std::span<const CutRecord> records) {
    if (sum.addTo(amount)) return;
    for (const CutRecord& record : records)
        addDuration(amount, record.duration);
}

} // namespace

void BatchDays::find(std::span<const CutRecord> records) {
    laterStarts_.clear();
    laterDays_.clear();
    firstBlockSum_ = {};
    size_t i = 0;
    for (; i < records.size() && (i == 0 || records[i].date == records[i - 1].date); ++i)
        firstBlockSum_.add(records[i].duration);
    firstBlockSize_ = i;
    batchSum_ = firstBlockSum_;

    // A later block is added up when it ends, before the next block's start is noted.
    DurationSum blockSum;
    const auto closeLaterBlock = [&](size_t end) {
        const size_t start = laterStarts_.back();
        DayItem& day = laterDays_.back();
        day.runs = static_cast<qint64>(end - start);
        addUp(day.total, blockSum, records.subspan(start, end - start));
        batchSum_.add(blockSum);
        blockSum = {};
    };
    for (; i < records.size(); ++i) {
        if (records[i].date != records[i - 1].date) {
            if (!laterDays_.empty()) closeLaterBlock(i);
            laterStarts_.push_back(i);
            laterDays_.push_back(DayItem{std::string(records[i].date), {}, 0});
        }
        blockSum.add(records[i].duration);
    }
    if (!laterDays_.empty()) closeLaterBlock(records.size());
}

BatchJoin CutTally::add(std::span<const CutRecord> records, const BatchDays& days) {
    addUp(totals_.total, days.batchSum(), records);

    // A record with an empty date before any block has opened also opens one (with the empty
    // date), so that every record belongs to a block and a list item.
    std::vector<DayItem>& list = totals_.days;
    const CutRecord& first = records.front();
    const bool firstOpens = list.empty() || first.date != list.back().date;
    if (firstOpens) list.push_back(DayItem{std::string(first.date), {}, 0});
    const size_t firstBlock = list.size() - 1;
    list.back().runs += static_cast<qint64>(days.firstBlockSize());
    addUp(list.back().total, days.firstBlockSum(), records.first(days.firstBlockSize()));
    list.insert(list.end(), days.laterDays().begin(), days.laterDays().end());
    return {firstOpens, firstBlock};
}

} // namespace scan
