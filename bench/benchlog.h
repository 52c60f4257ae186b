#pragma once

#include <cstdint>
#include <string>

namespace bench {

enum class LogProfile {
    // A few hundred runs per date, about a quarter of them in modes other than CUT.
    Mixed,
    // A few thousand runs per date, 73 % of them CUT, with file names long enough that report
    // and CSV together come to about 70 % of the log's size.
    CutHeavy,
};

// Appends a realistic system log of `records` lines to `out`, the same for the same seed on every
// machine: Windows-style paths, CR LF line ends, and a start line at every new date.
void generateLog(std::string& out, std::uint64_t records, std::uint64_t seed,
                 LogProfile profile = LogProfile::Mixed);

} // namespace bench
