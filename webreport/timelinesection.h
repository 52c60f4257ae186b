#pragma once

#include "io/bytesink.h"
#include "timeline/timeline.h"

#include <string>
#include <string_view>

namespace webreport {

// Strips drawn one by one; a longer timeline shows its last days as strips, and every day in a
// folded table.
constexpr size_t kMostStrips = 62;

// "3.13 %", the utilisation as a percentage, or a dash where nothing was planned.
std::string utilisationText(const timeline::Usage& usage);

// "When the machine cut": a strip per day from 00:00 to 24:00 with its busy stretches as bars and
// the planned shifts as a hatched band behind them, then a table of the days. `ids` goes before
// each element id, as in the other sections.
void timelineSection(io::ByteSink& out, const timeline::Timeline& timeline, std::string_view ids);

} // namespace webreport
