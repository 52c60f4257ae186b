#include "report/batchlines.h"

namespace report {

void BatchLines::layOut(std::span<const scan::CutRecord> records, const scan::BatchDays& days,
                        const WantedLines& wanted) {
    for (Lines* lines : {&reportFile_, &csvFile_, &reportText_})
        lines->sink.clear(); // keeps the memory for the next batch
    ReportLayout layout(reportFile_.wantedIf(wanted.reportFile), csvFile_.wantedIf(wanted.csvFile),
                        reportText_.wantedIf(wanted.reportText));
    const size_t firstBlockSize = days.firstBlockSize();
    for (size_t i = 1; i < firstBlockSize; ++i)
        layout.runLine(records[i], false);
    for (Lines* lines : {&reportFile_, &csvFile_, &reportText_})
        lines->firstBlockEnd = lines->sink.text().size();

    const std::vector<size_t>& starts = days.laterStarts();
    hasLaterBlocks_ = !starts.empty();
    size_t block = 0; // the later block that records[i] belongs to, once it has opened
    for (size_t i = firstBlockSize; i < records.size(); ++i) {
        const bool opens = block < starts.size() && starts[block] == i;
        if (opens) {
            // The block before, if it is a later one, closes with its whole total.
            if (block > 0) {
                const scan::DayItem& closed = days.laterDays()[block - 1];
                layout.dateClosing(closed.date, closed.total);
            }
            layout.dateOpening(records[i].date);
            ++block;
        }
        layout.runLine(records[i], opens);
    }
}

void BatchLines::joinOnto(ReportLayout& layout, std::span<const scan::CutRecord> records,
                          const scan::BatchJoin& join,
                          const std::vector<scan::DayItem>& days) const {
    const scan::DayItem& firstBlock = days[join.firstBlock];
    if (join.firstOpens) {
        if (join.firstBlock > 0) {
            const scan::DayItem& closed = days[join.firstBlock - 1];
            layout.dateClosing(closed.date, closed.total);
        }
        layout.dateOpening(firstBlock.date);
    }
    layout.runLine(records.front(), join.firstOpens);
    layout.passOn({reportFile_.firstBlock(), csvFile_.firstBlock(), reportText_.firstBlock()});
    if (!hasLaterBlocks_) return;
    layout.dateClosing(firstBlock.date, firstBlock.total);
    layout.passOn({reportFile_.laterBlocks(), csvFile_.laterBlocks(), reportText_.laterBlocks()});
}

} // namespace report
