#pragma once

#include "scan/dateblocks.h"
#include "scan/dateorder.h"
#include "scan/logrecord.h"
#include "scan/timeamount.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// hours·3600 + minutes·60 + seconds, held at the ends of the 64-bit range rather than wrapping.
qint64 totalSecondsOf(const scan::TimeAmount& amount);
// a + b, held at the ends of the 64-bit range.
qint64 addSeconds(qint64 a, qint64 b);

// One date block of the window's date list, with the number of its runs.
struct DateBlock {
    std::string date; // as the log writes it
    scan::TimeAmount total;
    qint64 runs = 0;
    QDate day; // the date text read in the chosen order; invalid if it does not parse
};

// The cut time of one cut file name, added up run by run as the totals are.
struct FileTotal {
    std::string name;
    qint64 runs = 0;
    qint64 totalSeconds = 0;
};

// A week ("2026-W07") or a month ("2026-02") of parsed dates.
struct PeriodTotal {
    QString period;
    qint64 runs = 0;
    qint64 totalSeconds = 0;
};

// A date text that does not parse, once however many blocks carry it.
struct UnparsedDate {
    std::string date;
    qint64 runs = 0;
    qint64 totalSeconds = 0;
};

// One run for the per-date tables.
struct RunRow {
    size_t block; // index into ReportData::blocks
    std::string cutFileName;
    std::string startTime;
    std::string durationText;
};

// Everything the page and the JSON show, from one scan.
struct ReportData {
    scan::TimeAmount total;
    qint64 runs = 0;
    scan::DateOrder dateOrder = scan::DateOrder::MonthDayYear;
    std::vector<DateBlock> blocks;      // in log order
    std::vector<FileTotal> files;       // largest total first, then by name
    std::vector<PeriodTotal> weeks;     // in date order
    std::vector<PeriodTotal> months;    // in date order
    std::vector<UnparsedDate> unparsed; // in the order they first appear
    std::vector<RunRow> runRows;        // every run, unless there were more than the limit
    bool runRowsOmitted = false;
};

// A batch's runs by cut file name, added up on the thread that parsed it: each name once, in the
// order it first comes, with its runs and the sum of their durations, and for each record the
// name it belongs to. The names are views into the batch.
class BatchFiles {
public:
    void tally(std::span<const scan::CutRecord> records);

private:
    friend class ReportCollector;
    struct Entry {
        std::string_view name;
        std::uint64_t hash = 0;
        qint64 runs = 0;
        scan::DurationSum sum;
    };

    std::vector<Entry> entries_;
    std::vector<std::uint32_t> entryOfRecord_;
    std::vector<std::uint32_t> slots_; // open addressing: entry + 1; 0: free
};

// Collects a ReportData from the scan's batches, in log order. Keeps per file name and (up to a
// limit) per run only what the page shows, so that memory grows with the dates and names of a
// log, not with its runs; the date blocks and the total are the scan's.
class ReportCollector {
public:
    // Runs kept for the per-date tables; past this the page shows each date's total only.
    static constexpr qint64 kRunRowLimit = 10000;

    explicit ReportCollector(qint64 runRowLimit = kRunRowLimit) : runRowLimit_(runRowLimit) {}

    // Adds a batch's runs after those of the batches before. `days` are the batch's date blocks
    // and `firstBlock` its first record's block in the date list.
    void join(std::span<const scan::CutRecord> records, const BatchFiles& files,
              const scan::BatchDays& days, size_t firstBlock);

    // The collected data with the scan's totals and date blocks, the dates read in `order`.
    // Call once, after the scan.
    ReportData takeData(scan::DateOrder order, const scan::ScanTotals& totals);

private:
    // Cut file names to their tallies over the whole log: an open-addressing table over a
    // power-of-two number of slots, as the lookup is the one thing done for every name of every
    // batch.
    class FileTallies {
    public:
        struct Entry {
            std::string name;
            std::uint64_t hash = 0;
            qint64 runs = 0;
            scan::TimeAmount total;
        };
        // The entry of `name`, made if it is new.
        std::uint32_t indexOf(std::string_view name, std::uint64_t hash);
        // Asks the processor to fetch the slot where the lookup of `hash` starts, and the entry
        // in that slot, if there is one and the slot is already at hand.
        void fetchSlot(std::uint64_t hash) const;
        void fetchEntry(std::uint64_t hash) const;
        std::vector<Entry>& entries() { return entries_; }

    private:
        void grow();
        std::vector<Entry> entries_;
        std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(1024); // entry + 1; 0: free
    };

    void addFileTallies(std::span<const scan::CutRecord> records, const BatchFiles& files);
    void keepRunRows(std::span<const scan::CutRecord> records, const scan::BatchDays& days,
                     size_t firstBlock);

    qint64 runRowLimit_;
    ReportData data_;
    FileTallies files_;
    // For each name of the batch being added: its tally, and whether its runs are to be added
    // one by one.
    std::vector<std::uint32_t> tallyOfName_;
    std::vector<bool> addOneByOne_;
};

} // namespace report
