#pragma once

#include "io/bytesink.h"
#include "report/reportlayout.h"
#include "scan/dateblocks.h"
#include "scan/logrecord.h"

#include <span>
#include <vector>

namespace report {

// Which of a layout's outputs are wanted.
struct WantedLines {
    bool reportFile = false;
    bool csvFile = false;
    bool reportText = false;

    bool any() const { return reportFile || csvFile || reportText; }
};

// A batch's report, CSV and window lines, laid out on the thread that parsed it as far as they do
// not depend on the batches before: the run lines of its first block after its first record,
// then everything from the opening of its second block to its last run. What joins the batch to
// those before it is laid out by joinOnto(), in log order: the closing of the block that its
// first record closes, if any, the opening of that record's block, the record's run line (its
// separator in the window depends on whether it opens a block), and, before the later blocks, the
// closing of its first block, whose total depends on the batches before.
class BatchLines {
public:
    void layOut(std::span<const scan::CutRecord> records, const scan::BatchDays& days,
                const WantedLines& wanted);

    // Writes the batch through `layout` after the batches before it. `join` and `days` are the
    // tally's, once it has added the batch.
    void joinOnto(ReportLayout& layout, std::span<const scan::CutRecord> records,
                  const scan::BatchJoin& join, const std::vector<scan::DayItem>& days) const;

private:
    // One output's lines, those of the first block first; empty when the output is not wanted.
    struct Lines {
        io::StringSink sink;
        size_t firstBlockEnd = 0;

        io::ByteSink* wantedIf(bool wanted) { return wanted ? &sink : nullptr; }
        std::string_view firstBlock() const {
            return std::string_view(sink.text()).substr(0, firstBlockEnd);
        }
        std::string_view laterBlocks() const {
            return std::string_view(sink.text()).substr(firstBlockEnd);
        }
    };

    Lines reportFile_;
    Lines csvFile_;
    Lines reportText_;
    bool hasLaterBlocks_ = false;
};

} // namespace report
