#include "scan/batchtally.h"

namespace scan {

void LaidOutBatch::layOut(std::span<const CutRecord> records) {
    laterBlockStarts_.clear();
    laterDays_.clear();
    firstBlockSum_ = {};
    laterSum_ = {};
    for (StringSink* sink : {&firstRuns_, &firstRows_, &laterLines_, &laterRows_})
        sink->clear();
    // The layout's opening and closing lines go to the later lines only: the first block's
    // opening and closing are BatchTally's, and so are the report's opening and end (for which
    // a layout needs the "Created on" date, left empty here).
    ReportLayout first(std::string(), firstRuns_, firstRows_, nullptr);
    ReportLayout later(std::string(), laterLines_, laterRows_, nullptr);
    size_t i = 0;
    // Whether a record opens a block matters to the window's text only, not to the files.
    for (; i < records.size() && (i == 0 || records[i].date == records[i - 1].date); ++i) {
        first.runLine(RunLine{records[i].date, records[i], false});
        firstBlockSum_.add(records[i].duration);
    }
    // A later block's total is added up in one step when it closes (before the next block's
    // start is noted), where its durations allow.
    DurationSum blockSum;
    const auto addUpBlock = [&](size_t end) {
        DayItem& day = laterDays_.back();
        if (!blockSum.addTo(day.total)) {
            const size_t start = laterBlockStarts_.back();
            for (const CutRecord& record : records.subspan(start, end - start))
                addDuration(day.total, record.duration);
        }
        laterSum_.add(blockSum);
        blockSum = {};
    };
    for (; i < records.size(); ++i) {
        const CutRecord& record = records[i];
        const bool opensBlock = record.date != records[i - 1].date;
        if (opensBlock) {
            if (!laterDays_.empty()) {
                addUpBlock(i);
                later.dateClosing(laterDays_.back().date, laterDays_.back().total);
            }
            laterBlockStarts_.push_back(i);
            laterDays_.push_back(DayItem{std::string(record.date), TimeAmount{}});
            later.dateOpening(record.date);
        }
        blockSum.add(record.duration);
        later.runLine(RunLine{record.date, record, opensBlock});
    }
    if (!laterDays_.empty()) addUpBlock(records.size());
}

DurationSum LaidOutBatch::batchSum() const {
    DurationSum all = firstBlockSum_;
    all.add(laterSum_);
    return all;
}

BatchTally::BatchTally(std::string today, ByteSink& reportFile, ByteSink& csvFile,
                       ScanEvents* listener)
    : reportFile_(reportFile), csvFile_(csvFile),
      layout_(std::move(today), reportFile, csvFile, nullptr), listener_(listener) {}

void BatchTally::start() {
    layout_.reportOpening();
    if (listener_) listener_->reportOpening();
}

void BatchTally::addBatch(std::span<const CutRecord> records, const LaidOutBatch& laidOut) {
    if (records.empty()) return;
    if (!laidOut.batchSum().addTo(total_)) {
        for (const CutRecord& record : records)
            addDuration(total_, record.duration);
    }

    // A record with an empty date before any block has opened also opens one (with the empty
    // date), so that every record belongs to a block and a list item.
    const CutRecord& first = records.front();
    const bool firstOpens = days_.empty() || first.date != days_.back().date;
    std::optional<DayItem> closedBefore; // the block that the first record closes, if any
    if (firstOpens) {
        if (days_.empty()) {
            firstDate_.assign(first.date);
        } else {
            layout_.dateClosing(days_.back().date, days_.back().total);
            if (listener_) closedBefore = days_.back();
        }
        days_.push_back(DayItem{std::string(first.date), TimeAmount{}});
        layout_.dateOpening(days_.back().date);
    }
    const size_t firstBlock = days_.size() - 1;
    const std::vector<size_t>& laterStarts = laidOut.laterBlockStarts();
    const size_t firstBlockEnd = laterStarts.empty() ? records.size() : laterStarts.front();
    if (!laidOut.firstBlockSum().addTo(days_.back().total)) {
        for (const CutRecord& record : records.first(firstBlockEnd))
            addDuration(days_.back().total, record.duration);
    }
    reportFile_.write(laidOut.firstRuns());
    csvFile_.write(laidOut.firstRows());
    if (!laterStarts.empty()) {
        layout_.dateClosing(days_.back().date, days_.back().total);
        reportFile_.write(laidOut.laterLines());
        csvFile_.write(laidOut.laterRows());
        days_.insert(days_.end(), laidOut.laterDays().begin(), laidOut.laterDays().end());
    }
    if (listener_) tellListener(records, laidOut, closedBefore, firstOpens, firstBlock);
}

// The batch's events in the order a CutTally raises them, from the counters already added up:
// `firstBlock` is the first record's block in the date list.
void BatchTally::tellListener(std::span<const CutRecord> records, const LaidOutBatch& laidOut,
                              const std::optional<DayItem>& closedBefore, bool firstOpens,
                              size_t firstBlock) {
    listener_->runsAhead(records);
    const std::vector<size_t>& laterStarts = laidOut.laterBlockStarts();
    size_t block = firstBlock;
    size_t nextStart = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        bool opens = false;
        if (i == 0 && firstOpens) {
            if (closedBefore) listener_->dateClosing(closedBefore->date, closedBefore->total);
            opens = true;
        } else if (nextStart < laterStarts.size() && laterStarts[nextStart] == i) {
            listener_->dateClosing(days_[block].date, days_[block].total);
            ++block;
            ++nextStart;
            opens = true;
        }
        if (opens) listener_->dateOpening(days_[block].date);
        listener_->runLine(RunLine{days_[block].date, records[i], opens});
    }
}

void BatchTally::finish() {
    const std::string currentDate = days_.empty() ? std::string() : days_.back().date;
    const TimeAmount dayTotal = days_.empty() ? TimeAmount{} : days_.back().total;
    layout_.dateClosing(currentDate, dayTotal);
    layout_.logEnd(firstDate_, currentDate, total_);
    if (listener_) {
        listener_->dateClosing(currentDate, dayTotal);
        listener_->logEnd(firstDate_, currentDate, total_);
    }
}

} // namespace scan
