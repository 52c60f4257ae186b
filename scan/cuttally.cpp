#include "scan/cuttally.h"

namespace scan {

CutTally::CutTally(ScanEvents& events) : events_(events) {}

void CutTally::start() {
    events_.reportOpening();
}

void CutTally::addRecord(const CutRecord& record) {
    hasCutRecords_ = true;
    addDuration(total_, record.duration);

    // A record with an empty date before any block has opened also opens one (with the empty
    // date), so that every record belongs to a block and a list item.
    const bool opensBlock = days_.empty() || record.date != currentDate_;
    if (opensBlock) {
        openDateBlock(record);
    } else {
        addDuration(days_.back().total, record.duration);
    }
    events_.runLine(RunLine{currentDate_, record, opensBlock});
}

void CutTally::openDateBlock(const CutRecord& record) {
    if (days_.empty())
        firstDate_.assign(record.date);
    else
        events_.dateClosing(currentDate_, days_.back().total);

    currentDate_.assign(record.date);
    days_.push_back(DayItem{currentDate_, TimeAmount{}});
    addDuration(days_.back().total, record.duration);
    events_.dateOpening(currentDate_);
}

void CutTally::finish() {
    events_.dateClosing(currentDate_, dayTotal());
    events_.logEnd(firstDate_, currentDate_, total_);
}

} // namespace scan
