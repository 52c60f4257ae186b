#pragma once

#include "scan/logrecord.h"
#include "scan/timeamount.h"

#include <QtGlobal>
#include <span>
#include <string>
#include <vector>

namespace scan {

// A date block: a run of consecutive counted records with the same date text, with its cut time
// and its number of runs; one item of the window's date list. Lines that are not counted records
// never end or split a block; the same date after another date opens a new one.
struct DayItem {
    std::string date;
    TimeAmount total;
    qint64 runs = 0;

    friend bool operator==(const DayItem&, const DayItem&) = default;
};

// What a scan adds up: the grand total, and the date blocks in log order, the last one being the
// block the log ended in; and how many CUT records were left out as outside the scan's period.
struct ScanTotals {
    TimeAmount total;
    std::vector<DayItem> days;
    qint64 outsidePeriod = 0;

    // Every counted record belongs to a block.
    bool hasCutRecords() const { return !days.empty(); }
};

// A batch's records cut into date blocks as far as that can be done without the batches before
// it, on the thread that parsed them. The block of the batch's first records may have opened in
// an earlier batch, so only their durations are added up ahead; every block that opens after them
// starts from nothing and is added up here whole.
class BatchDays {
public:
    void find(std::span<const CutRecord> records);

    // How many records belong to the first record's block, and their durations.
    size_t firstBlockSize() const { return firstBlockSize_; }
    const DurationSum& firstBlockSum() const { return firstBlockSum_; }
    // The first record of each block that opens after the first record's, in order, and those
    // blocks with their cut times and runs (the last one's so far).
    const std::vector<size_t>& laterStarts() const { return laterStarts_; }
    const std::vector<DayItem>& laterDays() const { return laterDays_; }
    // The durations of all the batch's records.
    const DurationSum& batchSum() const { return batchSum_; }

private:
    size_t firstBlockSize_ = 0;
    DurationSum firstBlockSum_;
    std::vector<size_t> laterStarts_;
    std::vector<DayItem> laterDays_;
    DurationSum batchSum_;
};

// How a batch's first record joined the date blocks before it.
struct BatchJoin {
    // It opened a block. Where a block was open before (firstBlock > 0), that one closed.
    bool firstOpens = false;
    // Its block's place in the date list; the batch's later blocks follow it.
    size_t firstBlock = 0;
};

// Adds up a scan's batches in log order: the grand total, record by record as the log gives
// them, and the date blocks, joined where one goes on from a batch into the next. Sums found
// ahead are added in one step where they give what adding record by record gives, and the
// records are added one by one where not.
class CutTally {
public:
    // Adds a batch of at least one record after the batches before it.
    BatchJoin add(std::span<const CutRecord> records, const BatchDays& days);

    const ScanTotals& totals() const { return totals_; }
    ScanTotals takeTotals() { return std::move(totals_); }

private:
    ScanTotals totals_;
};

} // namespace scan
