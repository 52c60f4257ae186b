#include "report/reportdata.h"

#include <algorithm>
#include <limits>
#include <map>

namespace report {

namespace {

constexpr qint64 kMost = std::numeric_limits<qint64>::max();
constexpr qint64 kLeast = std::numeric_limits<qint64>::min();

qint64 timesHeld(qint64 value, qint64 factor) {
    if (value > kMost / factor) return kMost;
    if (value < kLeast / factor) return kLeast;
    return value * factor;
}

void addPeriod(std::map<int, PeriodTotal>& periods, int key, const QString& name,
               const DateBlock& block) {
    PeriodTotal& period = periods[key];
    period.period = name;
    period.runs += block.runs;
    period.totalSeconds = addSeconds(period.totalSeconds, totalSecondsOf(block.total));
}

std::vector<PeriodTotal> inDateOrder(std::map<int, PeriodTotal>&& periods) {
    std::vector<PeriodTotal> list;
    list.reserve(periods.size());
    for (auto& [key, period] : periods)
        list.push_back(std::move(period));
    return list;
}

} // namespace

qint64 addSeconds(qint64 a, qint64 b) {
    if (b > 0 && a > kMost - b) return kMost;
    if (b < 0 && a < kLeast - b) return kLeast;
    return a + b;
}

qint64 totalSecondsOf(const scan::TimeAmount& amount) {
    return addSeconds(addSeconds(timesHeld(amount.hours, 3600), timesHeld(amount.minutes, 60)),
                      amount.seconds);
}

void ReportCollector::dateOpening(std::string_view date) {
    data_.blocks.push_back(DateBlock{std::string(date), {}, 0, {}});
}

void ReportCollector::dateClosing(std::string_view, const scan::TimeAmount& dayTotal) {
    // The closing always belongs to the last block opened; at the end of a log without any
    // counted record there is none.
    if (!data_.blocks.empty()) data_.blocks.back().total = dayTotal;
}

void ReportCollector::runLine(const scan::RunLine& run) {
    ++data_.runs;
    ++data_.blocks.back().runs;
    FileTally& file = fileTally(run.record.cutFileName);
    ++file.runs;
    scan::addDuration(file.total, run.record.duration);
    keepRunRow(run.record);
}

ReportCollector::FileTally& ReportCollector::fileTally(std::string_view name) {
    if (!lastFile_ || lastFile_->first != name) {
        auto found = files_.find(name);
        if (found == files_.end()) found = files_.emplace(std::string(name), FileTally{}).first;
        lastFile_ = &*found; // nodes stay where they are when the map grows
    }
    return lastFile_->second;
}

void ReportCollector::keepRunRow(const scan::CutRecord& record) {
    if (data_.runRowsOmitted) return;
    if (data_.runs > runRowLimit_) {
        data_.runRowsOmitted = true;
        std::vector<RunRow>().swap(data_.runRows);
        return;
    }
    data_.runRows.push_back(RunRow{data_.blocks.size() - 1, std::string(record.cutFileName),
                                   std::string(record.startTime),
                                   std::string(record.durationText)});
}

void ReportCollector::logEnd(std::string_view, std::string_view, const scan::TimeAmount& total) {
    data_.total = total;
}

ReportData ReportCollector::takeData(DateOrder order) {
    data_.dateOrder = order;

    data_.files.reserve(files_.size());
    for (const auto& [name, tally] : files_)
        data_.files.push_back(FileTotal{name, tally.runs, totalSecondsOf(tally.total)});
    FileMap().swap(files_);
    lastFile_ = nullptr;
    std::sort(data_.files.begin(), data_.files.end(), [](const FileTotal& a, const FileTotal& b) {
        return a.totalSeconds != b.totalSeconds ? a.totalSeconds > b.totalSeconds : a.name < b.name;
    });

    std::map<int, PeriodTotal> weeks, months;
    std::unordered_map<std::string_view, size_t> unparsedAt;
    for (DateBlock& block : data_.blocks) {
        block.day = parseLogDate(block.date, order);
        if (block.day.isValid()) {
            int weekYear = 0;
            const int week = block.day.weekNumber(&weekYear);
            addPeriod(weeks, weekYear * 100 + week, isoWeekOf(block.day), block);
            addPeriod(months, block.day.year() * 100 + block.day.month(), monthOf(block.day),
                      block);
            continue;
        }
        auto [at, isNew] = unparsedAt.try_emplace(block.date, data_.unparsed.size());
        if (isNew) data_.unparsed.push_back(UnparsedDate{block.date, 0, 0});
        UnparsedDate& unparsed = data_.unparsed[at->second];
        unparsed.runs += block.runs;
        unparsed.totalSeconds = addSeconds(unparsed.totalSeconds, totalSecondsOf(block.total));
    }
    data_.weeks = inDateOrder(std::move(weeks));
    data_.months = inDateOrder(std::move(months));
    return std::move(data_);
}

} // namespace report
