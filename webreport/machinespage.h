#pragma once

#include "io/bytesink.h"
#include "webreport/machines.h"
#include "webreport/pageheader.h"

#include <vector>

namespace webreport {

// Writes one self-contained HTML page for several machines: the machines side by side, their
// cut time per month as a table and a chart, then each machine's own sections, folded.
void writeMachinesPage(const std::vector<Machine>& machines, const PageHeader& header,
                       io::ByteSink& sink);

} // namespace webreport
