#pragma once

#include "report/fold.h"
#include "report/reportdata.h"
#include "scan/period.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// What one scan of a log gives: the three outputs, the totals, and the page's data as JSON.
struct Outputs {
    std::string reportFile;
    std::string csvFile;
    std::string reportText;
    report::ScanTotals totals;
    std::string json;

    bool operator==(const Outputs& other) const;
};

// The program's scan over `log`: read on its threads, served in reads of the given sizes in turn
// (all at once if none), in blocks of `blockSize` so that a log of a few lines already makes
// several, counting the runs of `period`. The page's data go into `data` if it is set.
Outputs pipelineScan(std::string_view log, const std::vector<size_t>& readSizes = {},
                     size_t blockSize = 4096, report::ReportData* data = nullptr,
                     const scan::Period& period = {});

// The same log read the plain way, on one thread: cut into lines by hand, each line read into a
// record and each record of the period folded as it comes. What the threaded reading is
// compared with.
Outputs plainScan(std::string_view log, const scan::Period& period = {});

// Stops the fuzzer with a message when a property does not hold.
inline void require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

} // namespace fuzz
