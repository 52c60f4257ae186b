#pragma once

#include "io/bytesink.h"
#include "report/reportdata.h"
#include "webreport/pageheader.h"
#include "webreport/pagesections.h"

namespace webreport {

// Writes the report as one self-contained HTML page, UTF-8: no script, no external asset.
void writeHtmlPage(const report::ReportData& data, const PageHeader& header, io::ByteSink& sink);

} // namespace webreport
