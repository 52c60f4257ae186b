#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Appends a realistic system log of `records` lines to `out`, the same for the same seed on every
// machine: a few hundred runs per date, about a quarter of them in modes other than CUT,
// Windows-style paths, CR LF line ends, and a start line now and then.
void generateLog(std::string& out, std::uint64_t records, std::uint64_t seed);

} // namespace bench
