#include "scan/batchtally.h"

namespace scan {

void LaidOutBatch::layOut(std::span<const CutRecord> records) {
    laterBlockStarts_.clear();
    laterDays_.clear();
    firstBlockSum_ = {};
    batchSum_ = {};
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
        batchSum_.add(records[i].duration);
    }
    for (; i < records.size(); ++i) {
        const CutRecord& record = records[i];
        const bool opensBlock = record.date != records[i - 1].date;
        if (opensBlock) {
            if (!laterDays_.empty()) later.dateClosing(laterDays_.back().date, laterDays_.back().total);
            laterBlockStarts_.push_back(i);
            laterDays_.push_back(DayItem{std::string(record.date), TimeAmount{}});
            later.dateOpening(record.date);
        }
        addDuration(laterDays_.back().total, record.duration);
        batchSum_.add(record.duration);
        later.runLine(RunLine{record.date, record, opensBlock});
    }
}

BatchTally::BatchTally(std::string today, ByteSink& reportFile, ByteSink& csvFile)
    : reportFile_(reportFile), csvFile_(csvFile),
      layout_(std::move(today), reportFile, csvFile, nullptr) {}

void BatchTally::start() {
    layout_.reportOpening();
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
    if (days_.empty() || first.date != days_.back().date) {
        if (days_.empty())
            firstDate_.assign(first.date);
        else
            layout_.dateClosing(days_.back().date, days_.back().total);
        days_.push_back(DayItem{std::string(first.date), TimeAmount{}});
        layout_.dateOpening(days_.back().date);
    }
    const std::vector<size_t>& laterStarts = laidOut.laterBlockStarts();
    const size_t firstBlockEnd = laterStarts.empty() ? records.size() : laterStarts.front();
    if (!laidOut.firstBlockSum().addTo(days_.back().total)) {
        for (const CutRecord& record : records.first(firstBlockEnd))
            addDuration(days_.back().total, record.duration);
    }
    reportFile_.write(laidOut.firstRuns());
    csvFile_.write(laidOut.firstRows());
    if (laterStarts.empty()) return;

    layout_.dateClosing(days_.back().date, days_.back().total);
    reportFile_.write(laidOut.laterLines());
    csvFile_.write(laidOut.laterRows());
    days_.insert(days_.end(), laidOut.laterDays().begin(), laidOut.laterDays().end());
}

void BatchTally::finish() {
    const std::string currentDate = days_.empty() ? std::string() : days_.back().date;
    layout_.dateClosing(currentDate, days_.empty() ? TimeAmount{} : days_.back().total);
    layout_.logEnd(firstDate_, currentDate, total_);
}

} // namespace scan
