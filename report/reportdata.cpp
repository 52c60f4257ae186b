#include "report/reportdata.h"

#include <algorithm>
#include <map>

namespace report {

namespace {

// "2026-W07": the ISO 8601 week of a day, with the week's own year.
std::string isoWeekOf(const QDate& day) {
    int weekYear = 0;
    const int week = day.weekNumber(&weekYear);
    return QStringLiteral("%1-W%2")
        .arg(weekYear, 4, 10, QLatin1Char('0'))
        .arg(week, 2, 10, QLatin1Char('0'))
        .toStdString();
}

// "2026-02".
std::string monthOf(const QDate& day) {
    return QStringLiteral("%1-%2")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .toStdString();
}

void addTo(TotalRow& row, const DatedBlock& block) {
    row.runs += block.runs;
    row.time += scan::Seconds::of(block.total);
}

// Weeks or months by a key that sorts them in date order.
using Periods = std::map<int, TotalRow>;

void addPeriod(Periods& periods, int key, std::string label, const DatedBlock& block) {
    TotalRow& row = periods[key];
    if (row.label.empty()) row.label = std::move(label);
    addTo(row, block);
}

std::vector<TotalRow> inDateOrder(Periods&& periods) {
    std::vector<TotalRow> rows;
    rows.reserve(periods.size());
    for (auto& [key, row] : periods)
        rows.push_back(std::move(row));
    return rows;
}

} // namespace

ReportCollector::ReportCollector(scan::DateOrder order, qint64 runRowLimit)
    : runRowLimit_(runRowLimit) {
    data_.dateOrder = order;
}

void ReportCollector::dateOpening(const DateBlock&) {
    ++blocks_;
}

void ReportCollector::runLine(const scan::CutRecord& record, bool) {
    if (!lastFile_ || lastFile_->first != record.cutFileName) {
        auto found = files_.find(record.cutFileName);
        if (found == files_.end()) found = files_.emplace(record.cutFileName, FileTally{}).first;
        lastFile_ = &*found;
    }
    ++lastFile_->second.runs;
    lastFile_->second.total.add(record.duration);

    // Every run while the log has no more than the limit; none once it has more.
    if (++data_.runs > runRowLimit_) {
        if (!data_.runRowsOmitted) std::vector<RunRow>().swap(data_.runRows);
        data_.runRowsOmitted = true;
        return;
    }
    data_.runRows.push_back({blocks_ - 1, std::string(record.cutFileName),
                             std::string(record.startTime), std::string(record.durationText)});
}

void ReportCollector::logEnd(const ScanTotals& totals) {
    data_.total = totals.total;
    data_.files.reserve(files_.size());
    for (const auto& [name, tally] : files_)
        data_.files.push_back({name, tally.runs, scan::Seconds::of(tally.total)});
    files_.clear();
    lastFile_ = nullptr;
    std::sort(data_.files.begin(), data_.files.end(), [](const TotalRow& a, const TotalRow& b) {
        return a.time != b.time ? a.time > b.time : a.label < b.label;
    });

    Periods weeks, months;
    std::unordered_map<std::string_view, size_t> unparsedAt;
    data_.blocks.reserve(totals.blocks.size());
    for (const DateBlock& block : totals.blocks) {
        DatedBlock& dated = data_.blocks.emplace_back(
            DatedBlock{block, scan::parseLogDate(block.date, data_.dateOrder)});
        if (!dated.day.isValid()) {
            const auto [at, isNew] = unparsedAt.try_emplace(block.date, data_.unparsed.size());
            if (isNew) data_.unparsed.push_back({block.date, 0, {}});
            addTo(data_.unparsed[at->second], dated);
            continue;
        }
        int weekYear = 0;
        const int week = dated.day.weekNumber(&weekYear);
        addPeriod(weeks, weekYear * 100 + week, isoWeekOf(dated.day), dated);
        addPeriod(months, dated.day.year() * 100 + dated.day.month(), monthOf(dated.day), dated);
    }
    data_.weeks = inDateOrder(std::move(weeks));
    data_.months = inDateOrder(std::move(months));
}

} // namespace report
