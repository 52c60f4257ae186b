#pragma once

#include "report/fold.h"
#include "scan/cuttime.h"
#include "scan/dateorder.h"
#include "timeline/timeline.h"

#include <QDate>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace report {

// A date block with its date read in the chosen order.
struct DatedBlock : DateBlock {
    QDate day; // invalid if the date does not parse
};

// A line of the page's and the JSON's tables: a cut file name, a week ("2026-W07"), a month
// ("2026-02") or a date that does not parse, with its runs and its cut time.
struct TotalRow {
    std::string label;
    qint64 runs = 0;
    scan::Seconds time;
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
    std::vector<DatedBlock> blocks; // in log order
    std::vector<TotalRow> files;    // largest total first, then by name
    std::vector<TotalRow> weeks;    // in date order
    std::vector<TotalRow> months;   // in date order
    std::vector<TotalRow> unparsed; // dates that do not parse, in the order they first appear
    std::vector<RunRow> runRows;    // every run, unless there were more than the limit
    bool runRowsOmitted = false;
    timeline::Timeline timeline; // when the runs took place
};

// Collects the page's data during a scan. Keeps per file name and (up to a limit) per run only
// what the page shows, so that memory grows with the dates and names of a log, not with its runs.
class ReportCollector final : public ScanOutput {
public:
    // Runs kept for the per-date tables; past this the page shows each date's total only.
    static constexpr qint64 kRunRowLimit = 10000;

    // The log's dates are read in `order` for the weeks, the months and the timeline.
    explicit ReportCollector(scan::DateOrder order, timeline::TimelineScope scope = {},
                             qint64 runRowLimit = kRunRowLimit);

    void dateOpening(const DateBlock& block) override;
    void runLine(const scan::CutRecord& record, bool opensBlock) override;
    void logEnd(const ScanTotals& totals) override;

    // The data, once the scan has ended.
    ReportData takeData() { return std::move(data_); }

private:
    // A cut file's runs and time, added up run by run as the totals are.
    struct FileTally {
        qint64 runs = 0;
        scan::TimeAmount total;
    };
    struct NameHash : std::hash<std::string_view> {
        using is_transparent = void;
    };

    qint64 runRowLimit_;
    ReportData data_;
    std::vector<QDate> blockDays_; // each date block's date, read
    timeline::TimelineCollector timeline_;
    std::unordered_map<std::string, FileTally, NameHash, std::equal_to<>> files_;
    // The file of the run before: runs of one file often follow each other.
    std::pair<const std::string, FileTally>* lastFile_ = nullptr;
};

} // namespace report
