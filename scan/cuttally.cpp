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
        addDuration(dayTotal_, record.duration);
        days_.back().total = dayTotal_;
    }
    events_.runLine(RunLine{currentDate_, record, opensBlock});
}

void CutTally::openDateBlock(const CutRecord& record) {
    if (days_.empty())
        firstDate_.assign(record.date);
    else
        events_.dateClosing(currentDate_, dayTotal_);

    currentDate_.assign(record.date);
    dayTotal_ = TimeAmount{};
    addDuration(dayTotal_, record.duration);
    days_.push_back(DayItem{currentDate_, dayTotal_});
    events_.dateOpening(currentDate_);
}

void CutTally::finish() {
    events_.dateClosing(currentDate_, dayTotal_);
    events_.logEnd(firstDate_, currentDate_, total_);
}

} // namespace scan
