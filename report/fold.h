#pragma once

#include "scan/cuttime.h"
#include "scan/logrecord.h"
#include "scan/period.h"
#include "scan/recordsource.h"

#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QIODevice;

namespace report {

// A date block: a run of consecutive counted records with the same date text, with its cut time
// and its number of runs; one item of the window's date list. Lines that are not counted records
// never end or split a block; the same date after another date opens a new one.
struct DateBlock {
    std::string date; // as the log writes it
    scan::TimeAmount total;
    qint64 runs = 0;

    friend bool operator==(const DateBlock&, const DateBlock&) = default;
};

// What a scan adds up: the grand total, and the date blocks in log order, the last one being the
// block the log ended in; and how many CUT records were left out as outside the scan's period.
struct ScanTotals {
    scan::TimeAmount total;
    std::vector<DateBlock> blocks;
    qint64 outsidePeriod = 0;

    // Every counted record belongs to a block.
    bool hasCutRecords() const { return !blocks.empty(); }
};

// An output of a scan: the report file, the CSV, the window's text, the page's data. The fold
// tells each what happens, in this order: the report opening once; for every counted record, at
// a new date the closing of the block before (unless it is the first block) and the opening of
// the new one, then the record's run line; at the log's end the closing of the last block (an
// empty one when no record was counted), then the log end.
class ScanOutput {
public:
    virtual ~ScanOutput() = default;
    virtual void reportOpening() {}
    // The block that ends, with its whole cut time.
    virtual void dateClosing(const DateBlock& /*block*/) {}
    virtual void dateOpening(const DateBlock& /*block*/) {}
    // `opensBlock`: the record's date differed from the block before it.
    virtual void runLine(const scan::CutRecord& /*record*/, bool /*opensBlock*/) {}
    virtual void logEnd(const ScanTotals& /*totals*/) {}
};

// The report's rules, record by record: takes the counted records in log order, adds up the total
// and the date blocks, and tells every output what each record makes. The one place that decides
// when a date block opens or closes and what a block and the log add up to.
class Fold {
public:
    // Tells the outputs the report opening.
    explicit Fold(std::span<ScanOutput* const> outputs);

    void add(const scan::CutRecord& record);
    // Tells the outputs the log's end. `outsidePeriod`: the CUT records left out.
    ScanTotals end(qint64 outsidePeriod = 0);

private:
    template <typename Event, typename... Args> void tell(Event event, const Args&... args);

    std::span<ScanOutput* const> outputs_;
    ScanTotals totals_;
};

// How a log is read.
struct ScanOptions {
    scan::Period period = {}; // the CUT records outside it are left out
    // Told after every block read, with the number of bytes read so far.
    std::function<void(qint64 bytesRead)> progress = {};
    size_t blockSize = scan::kReadBlockSize;
};

struct ScanOutcome {
    // Why the log could not be read to its end, or the scan could not go on (an exception on any
    // of its threads); the outputs are then incomplete and the totals empty.
    std::optional<QString> failure;
    ScanTotals totals;
};

// Reads the whole log once, on threads that read and parse it, and folds its records in log
// order into every output.
ScanOutcome scanLog(QIODevice& log, std::span<ScanOutput* const> outputs,
                    const ScanOptions& options = {});

} // namespace report
