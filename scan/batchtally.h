#pragma once

#include "scan/bytesink.h"
#include "scan/cuttally.h"
#include "scan/logrecord.h"
#include "scan/reportlayout.h"
#include "scan/timeamount.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace scan {

// A batch of CUT records laid out on the thread that parsed it, as far as its lines do not
// depend on the records before it. The date blocks that open inside the batch depend on nothing
// before: their lines and totals are laid out here. The block that the batch's first records
// belong to may have opened in an earlier batch: whether the first record opens a block, and
// that block's total, are left to BatchTally, which takes the batches in log order.
class LaidOutBatch {
public:
    void layOut(std::span<const CutRecord> records);

    // The index of the first record of each block opened after the first record, in order.
    const std::vector<size_t>& laterBlockStarts() const { return laterBlockStarts_; }
    // The first block's run lines and rows.
    std::string_view firstRuns() const { return firstRuns_.text(); }
    std::string_view firstRows() const { return firstRows_.text(); }
    // From the opening of the second block to the last run of the last: lines and rows.
    std::string_view laterLines() const { return laterLines_.text(); }
    std::string_view laterRows() const { return laterRows_.text(); }
    // The later blocks' dates and totals; the last block's total so far.
    const std::vector<DayItem>& laterDays() const { return laterDays_; }
    // The durations of the first block's records, and of all the records.
    const DurationSum& firstBlockSum() const { return firstBlockSum_; }
    DurationSum batchSum() const;

private:
    std::vector<size_t> laterBlockStarts_;
    StringSink firstRuns_;
    StringSink firstRows_;
    StringSink laterLines_;
    StringSink laterRows_;
    std::vector<DayItem> laterDays_;
    DurationSum firstBlockSum_;
    DurationSum laterSum_; // of the records after the first block
};

// Adds up laid-out batches in log order and writes their lines to the report and CSV files,
// with the lines that depend on the batches before: the same bytes and counters as a CutTally
// telling a ReportLayout, with the per-record work left on the parsing threads. Only the grand
// total and the first block of each batch are added up here: in one step where the durations
// allow it, else record by record.
class BatchTally {
public:
    // `listener`, if set, is told every event as a CutTally tells it, record by record.
    BatchTally(std::string today, ByteSink& reportFile, ByteSink& csvFile,
               ScanEvents* listener = nullptr);

    // Writes the report opening; call once before the first batch.
    void start();
    void addBatch(std::span<const CutRecord> records, const LaidOutBatch& laidOut);
    // Closes the last date block and writes the log end.
    void finish();

    bool hasCutRecords() const { return !days_.empty(); }
    const TimeAmount& total() const { return total_; }
    const std::vector<DayItem>& days() const { return days_; }

private:
    void tellListener(std::span<const CutRecord> records, const LaidOutBatch& laidOut,
                      const std::optional<DayItem>& closedBefore, bool firstOpens,
                      size_t firstBlock);

    ByteSink& reportFile_;
    ByteSink& csvFile_;
    ReportLayout layout_;
    ScanEvents* listener_;
    TimeAmount total_;
    std::string firstDate_;
    std::vector<DayItem> days_; // the last one is the current date block
};

} // namespace scan
