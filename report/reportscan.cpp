#include "report/reportscan.h"

#include "io/threadfailure.h"
#include "report/batchlines.h"
#include "report/reportlayout.h"

#include <array>

namespace report {

namespace {

// What the parsing threads make of one batch for the outputs asked for.
struct SlotWork {
    BatchLines lines;
    BatchFiles files;
};

// The closing of the block the log ended in (an empty one when no record was counted), then the
// log end.
void writeLogEnd(ReportLayout& layout, const scan::ScanTotals& totals) {
    if (totals.days.empty()) {
        layout.dateClosing({}, {});
        layout.logEnd({}, {}, totals.total);
        return;
    }
    const scan::DayItem& last = totals.days.back();
    layout.dateClosing(last.date, last.total);
    layout.logEnd(totals.days.front().date, last.date, totals.total);
}

std::optional<QString> scanAndJoin(QIODevice& log, std::string_view today,
                                   const ScanOutputs& outputs, const ScanOptions& options,
                                   scan::ScanTotals& totals) {
    const WantedLines wanted{outputs.reportFile != nullptr, outputs.csvFile != nullptr,
                             outputs.reportText != nullptr};
    // Outlives the source, whose parsing threads work on it.
    std::array<SlotWork, scan::RecordSource::kSlots> work;
    const auto layOut = [&](const scan::RecordBatch& batch) {
        SlotWork& mine = work[batch.slot];
        if (wanted.any()) mine.lines.layOut(batch.records, batch.days, wanted);
        if (outputs.collector) mine.files.tally(batch.records);
    };
    scan::RecordSource source(log, options.blockSize, layOut, options.period);

    ReportLayout layout(outputs.reportFile, outputs.csvFile, outputs.reportText);
    layout.reportOpening(today);
    scan::CutTally tally;
    qint64 bytesRead = 0;
    qint64 outsidePeriod = 0;
    while (const scan::RecordBatch* batch = source.next()) {
        if (!batch->records.empty()) {
            const scan::BatchJoin join = tally.add(batch->records, batch->days);
            const SlotWork& done = work[batch->slot];
            if (wanted.any())
                done.lines.joinOnto(layout, batch->records, join, tally.totals().days);
            if (outputs.collector)
                outputs.collector->join(batch->records, done.files, batch->days, join.firstBlock);
        }
        outsidePeriod += batch->outsidePeriod;
        bytesRead += batch->bytes;
        if (options.progress && batch->bytes > 0) options.progress(bytesRead);
    }
    if (auto failure = source.error()) return failure;
    writeLogEnd(layout, tally.totals());
    totals = tally.takeTotals();
    totals.outsidePeriod = outsidePeriod;
    return std::nullopt;
}

} // namespace

ScanOutcome scanLog(QIODevice& log, std::string_view today, const ScanOutputs& outputs,
                    const ScanOptions& options) {
    ScanOutcome outcome;
    if (auto thrown = io::exceptionFrom(
            [&] { outcome.failure = scanAndJoin(log, today, outputs, options, outcome.totals); }))
        outcome.failure = thrown;
    return outcome;
}

} // namespace report
