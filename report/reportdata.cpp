#include "report/reportdata.h"

#include <algorithm>
#include <map>

namespace report {

namespace {

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

ReportCollector::ReportCollector(scan::DateOrder order, timeline::TimelineScope scope,
                                 qint64 runRowLimit)
    : runRowLimit_(runRowLimit), timeline_(std::move(scope)) {
    data_.dateOrder = order;
}

void ReportCollector::dateOpening(const DateBlock& block) {
    blockDays_.push_back(scan::parseLogDate(block.date, data_.dateOrder));
}

void ReportCollector::runLine(const scan::CutRecord& record, bool) {
    if (!lastFile_ || lastFile_->first != record.cutFileName) {
        auto found = files_.find(record.cutFileName);
        if (found == files_.end()) found = files_.emplace(record.cutFileName, FileTally{}).first;
        lastFile_ = &*found;
    }
    ++lastFile_->second.runs;
    lastFile_->second.total.add(record.duration);

    timeline_.add(blockDays_.back(), record.startOfDay, record.length);

    // Every run while the log has no more than the limit; none once it has more.
    if (++data_.runs > runRowLimit_) {
        if (!data_.runRowsOmitted) std::vector<RunRow>().swap(data_.runRows);
        data_.runRowsOmitted = true;
        return;
    }
    data_.runRows.push_back({blockDays_.size() - 1, std::string(record.cutFileName),
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
    for (size_t i = 0; i < totals.blocks.size(); ++i) {
        const DateBlock& block = totals.blocks[i];
        DatedBlock& dated = data_.blocks.emplace_back(DatedBlock{block, blockDays_[i]});
        if (!dated.day.isValid()) {
            const auto [at, isNew] = unparsedAt.try_emplace(block.date, data_.unparsed.size());
            if (isNew) data_.unparsed.push_back({block.date, 0, {}});
            addTo(data_.unparsed[at->second], dated);
            continue;
        }
        int weekYear = 0;
        const int week = dated.day.weekNumber(&weekYear);
        addPeriod(weeks, weekYear * 100 + week, scan::isoWeekText(dated.day), dated);
        addPeriod(months, dated.day.year() * 100 + dated.day.month(), scan::monthText(dated.day),
                  dated);
    }
    data_.weeks = inDateOrder(std::move(weeks));
    data_.months = inDateOrder(std::move(months));
    blockDays_.clear();
    data_.timeline = timeline_.take();
}

} // namespace report
