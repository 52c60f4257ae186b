#pragma once

#include "scan/logscan.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The three outputs and the totals of one scan.
struct Outputs {
    std::string reportFile;
    std::string csvFile;
    std::string reportText;
    scan::ScanTotals totals;

    bool operator==(const Outputs& other) const {
        return reportFile == other.reportFile && csvFile == other.csvFile &&
               reportText == other.reportText && totals.total == other.totals.total &&
               totals.days.size() == other.totals.days.size();
    }
};

// Scans `log`, handing it over in reads of the given sizes in turn (all at once if none).
Outputs scanBytes(std::string_view log, const std::vector<size_t>& readSizes = {});

// Stops the fuzzer with a message when a property does not hold.
inline void require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

} // namespace fuzz
