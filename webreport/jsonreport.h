#pragma once

#include "io/bytesink.h"
#include "report/reportdata.h"
#include "webreport/machines.h"
#include "webreport/pageheader.h"

#include <vector>

namespace webreport {

// The schema's version; a change that renames or removes a member raises it.
constexpr int kJsonSchema = 1;

// Writes the report as one JSON object, UTF-8, members in this order: schema, createdOn, log,
// dateOrder, period {from, to} (only for a period, an open end null), total {hours, minutes,
// seconds, totalSeconds}, runs, days [{date, isoDate, hours, minutes, seconds, totalSeconds,
// runs}], files [{name, runs, totalSeconds}], weeks [{week, runs, totalSeconds}], months [{month,
// runs, totalSeconds}], unparsedDates [{date, runs, totalSeconds}]. Ends with a line end.
void writeJson(const report::ReportData& data, const PageHeader& header, io::ByteSink& sink);

// Several machines in one object of the same schema: schema, createdOn, dateOrder, period (as
// above), their total together {hours, minutes, seconds, totalSeconds} (from totalSeconds), runs,
// months [{month, totalSeconds, byMachine [seconds, in the machines' order]}], and machines
// [{name, log, and the members of one log's object from total to unparsedDates}].
void writeMachinesJson(const std::vector<Machine>& machines, const PageHeader& header,
                       io::ByteSink& sink);

} // namespace webreport
