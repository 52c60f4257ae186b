#pragma once

#include "io/bytesink.h"
#include "report/reportdata.h"
#include "webreport/pageheader.h"

namespace webreport {

// The schema's version; a change that renames or removes a member raises it.
constexpr int kJsonSchema = 1;

// Writes the report as one JSON object, UTF-8, members in this order: schema, createdOn, log,
// dateOrder, total {hours, minutes, seconds, totalSeconds}, runs, days [{date, isoDate, hours,
// minutes, seconds, totalSeconds, runs}], files [{name, runs, totalSeconds}], weeks [{week, runs,
// totalSeconds}], months [{month, runs, totalSeconds}], unparsedDates [{date, runs,
// totalSeconds}]. Ends with a line end.
void writeJson(const report::ReportData& data, const PageHeader& header, io::ByteSink& sink);

} // namespace webreport
