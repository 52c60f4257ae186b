#pragma once

#include "report/dateorder.h"
#include "scan/cuttally.h"
#include "scan/timeamount.h"

#include <QDate>
#include <QString>
#include <span>
#include <string>
#include <string_view>
#include <cstdint>
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
    DateOrder dateOrder = DateOrder::MonthDayYear;
    std::vector<DateBlock> blocks;       // in log order
    std::vector<FileTotal> files;        // largest total first, then by name
    std::vector<PeriodTotal> weeks;      // in date order
    std::vector<PeriodTotal> months;     // in date order
    std::vector<UnparsedDate> unparsed;  // in the order they first appear
    std::vector<RunRow> runRows;         // every run, unless there were more than the limit
    bool runRowsOmitted = false;
};

// What the page's header names besides the numbers.
struct PageHeader {
    QString createdOn; // today's date in the user's short date form
    QString logPath;   // as the user should read it
};

// Collects a ReportData from the scan's events, alongside the report layout. Keeps per date
// block, per file name and (up to a limit) per run only what the page shows, so that memory
// grows with the dates and names of a log, not with its runs.
class ReportCollector final : public scan::ScanEvents {
public:
    // Runs kept for the per-date tables; past this the page shows each date's total only.
    static constexpr qint64 kRunRowLimit = 10000;

    explicit ReportCollector(qint64 runRowLimit = kRunRowLimit) : runRowLimit_(runRowLimit) {}

    void reportOpening() override {}
    void dateClosing(std::string_view date, const scan::TimeAmount& dayTotal) override;
    void dateOpening(std::string_view date) override;
    void runLine(const scan::RunLine& run) override;
    void runsAhead(std::span<const scan::CutRecord> records) override;
    void logEnd(std::string_view firstDate, std::string_view lastDate,
                const scan::TimeAmount& total) override;

    // The collected data, with the dates read in `order`. Call once, after the scan.
    ReportData takeData(DateOrder order);

private:
    // Cut file names to their tallies: an open-addressing table over a power-of-two number of
    // slots, as the lookup is the one thing done for every run.
    class FileTallies {
    public:
        struct Entry {
            std::string name;
            std::uint64_t hash = 0;
            qint64 runs = 0;
            scan::TimeAmount total;
        };
        Entry& of(std::string_view name, std::uint64_t hash);
        // Asks the processor to fetch the slot where the lookup of `hash` starts.
        void fetchSlot(std::uint64_t hash) const;
        // Asks the processor to fetch the entry in that slot, if there is one.
        void fetchEntry(std::uint64_t hash) const;
        std::vector<Entry>& entries() { return entries_; }

    private:
        void grow();
        std::vector<Entry> entries_;
        std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(1024); // entry + 1; 0: free
    };

    void keepRunRow(const scan::CutRecord& record);
    std::uint64_t hashOfRun(const scan::CutRecord& record);

    qint64 runRowLimit_;
    ReportData data_;
    FileTallies files_;
    qsizetype lastFile_ = -1; // runs of one file often follow each other
    // The runs told ahead and their names' hashes, and the next of them to come. The table's
    // slots and entries are fetched some runs before they are looked up: with many names they
    // are seldom in the cache, and the wait for them was most of the time spent per run.
    std::span<const scan::CutRecord> ahead_;
    std::vector<std::uint64_t> aheadHashes_;
    size_t nextAhead_ = 0;
};

} // namespace report
