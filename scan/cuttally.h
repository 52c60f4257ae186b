#pragma once

#include "scan/logrecord.h"
#include "scan/timeamount.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scan {

// What a counted record hands to the report layout for its run line and run row.
struct RunLine {
    std::string_view date;
    const CutRecord& record;
    bool opensDateBlock; // the record's date differed from the block before it
};

// The moments of a scan at which report and CSV lines are written, in the order they happen:
// reportOpening once; for every counted record dateClosing (unless it is the first block) and
// dateOpening at a new date, then runLine; at the log's end dateClosing for the last block, even
// when no record was counted, then logEnd.
class ScanEvents {
public:
    virtual ~ScanEvents() = default;
    virtual void reportOpening() = 0;
    virtual void dateClosing(std::string_view date, const TimeAmount& dayTotal) = 0;
    virtual void dateOpening(std::string_view date) = 0;
    virtual void runLine(const RunLine& run) = 0;
    // The records of the runLine events to come, in their order, told before the first of them;
    // they stay valid until those events are over. A listener may use it to fetch ahead what it
    // will look up for each run.
    virtual void runsAhead(std::span<const CutRecord> records) { (void)records; }
    virtual void logEnd(std::string_view firstDate, std::string_view lastDate,
                        const TimeAmount& total) = 0;
};

// One item of the date list: a date block's date and its cut time so far.
struct DayItem {
    std::string date;
    TimeAmount total;
};

// Adds up the cut time of counted records per date block and in total. A date block is a run of
// consecutive counted records with the same date text; lines that are not counted records never
// end or split one. The same date after another date opens a new block.
class CutTally {
public:
    explicit CutTally(ScanEvents& events);

    // Raises the report opening; call once before the first line.
    void start();
    // Tells the events the records about to be added, in order.
    void recordsAhead(std::span<const CutRecord> records) { events_.runsAhead(records); }
    // Counts one CUT record.
    void addRecord(const CutRecord& record);
    // Closes the last date block and raises the log end.
    void finish();

    bool hasCutRecords() const { return hasCutRecords_; }
    const TimeAmount& total() const { return total_; }
    // The current date block's total; zero before the first block.
    TimeAmount dayTotal() const { return days_.empty() ? TimeAmount{} : days_.back().total; }
    const std::vector<DayItem>& days() const { return days_; }

private:
    void openDateBlock(const CutRecord& record);

    ScanEvents& events_;
    TimeAmount total_;
    std::string currentDate_;
    std::string firstDate_;
    std::vector<DayItem> days_; // the last one is the current date block
    bool hasCutRecords_ = false;
};

} // namespace scan
