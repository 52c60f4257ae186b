#include "report/fold.h"

#include "io/fileproblem.h"

namespace report {

template <typename Event, typename... Args> void Fold::tell(Event event, const Args&... args) {
    for (ScanOutput* output : outputs_)
        (output->*event)(args...);
}

Fold::Fold(std::span<ScanOutput* const> outputs) : outputs_(outputs) {
    tell(&ScanOutput::reportOpening);
}

// A record with an empty date before any block has opened also opens one (with the empty date),
// so that every record belongs to a block and a list item.
void Fold::add(const scan::CutRecord& record) {
    std::vector<DateBlock>& blocks = totals_.blocks;
    totals_.total.add(record.duration);
    const bool opens = blocks.empty() || record.date != blocks.back().date;
    if (opens) {
        if (!blocks.empty()) tell(&ScanOutput::dateClosing, blocks.back());
        blocks.push_back({std::string(record.date), {}, 0});
        tell(&ScanOutput::dateOpening, blocks.back());
    }
    blocks.back().total.add(record.duration);
    ++blocks.back().runs;
    tell(&ScanOutput::runLine, record, opens);
}

ScanTotals Fold::end(qint64 outsidePeriod) {
    totals_.outsidePeriod = outsidePeriod;
    tell(&ScanOutput::dateClosing, totals_.blocks.empty() ? DateBlock{} : totals_.blocks.back());
    tell(&ScanOutput::logEnd, totals_);
    return std::move(totals_);
}

ScanOutcome scanLog(QIODevice& log, std::span<ScanOutput* const> outputs,
                    const ScanOptions& options) {
    ScanOutcome outcome;
    try {
        scan::RecordSource source(log, options.period, options.blockSize);
        Fold fold(outputs);
        while (const auto records = source.next()) {
            for (const scan::CutRecord& record : *records)
                fold.add(record);
            if (options.progress) options.progress(source.bytesRead());
        }
        outcome.failure = source.error();
        if (!outcome.failure) outcome.totals = fold.end(source.outsidePeriod());
    } catch (...) {
        outcome.failure = io::describeCurrentException();
    }
    return outcome;
}

} // namespace report
