#pragma once

#include "report/reportdata.h"
#include "scan/dateblocks.h"
#include "scan/period.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A cut file name's runs and time.
struct FileTally {
    std::string name;
    qint64 runs = 0;
    qint64 totalSeconds = 0;
    friend bool operator==(const FileTally&, const FileTally&) = default;
};

// What one scan of a log gives: the three outputs, the totals, and the time per file name (by
// name).
struct Outputs {
    std::string reportFile;
    std::string csvFile;
    std::string reportText;
    scan::ScanTotals totals;
    std::vector<FileTally> files;

    bool operator==(const Outputs& other) const;
};

// The program's scan over `log`, served in reads of the given sizes in turn (all at once if
// none), in small blocks so that a log of a few lines already makes several batches, counting
// the runs of `period`. The page's data go into `data` if it is set.
Outputs pipelineScan(std::string_view log, const std::vector<size_t>& readSizes = {},
                     report::ReportData* data = nullptr, const scan::Period& period = {});

// The same outputs the plain way: the log cut into lines by hand, and each record of the period
// added up and laid out as it comes, on one thread, as if the others were not there. What the
// pipeline is compared with.
Outputs plainScan(std::string_view log, const scan::Period& period = {});

// Stops the fuzzer with a message when a property does not hold.
inline void require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

} // namespace fuzz
