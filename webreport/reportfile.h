#pragma once

#include "io/bytesink.h"
#include "io/fileproblem.h"
#include "report/reportdata.h"
#include "webreport/pageheader.h"

#include <QString>
#include <optional>

namespace webreport {

enum class ReportFormat { Html, Json };

// ".html" or ".json".
QString fileSuffix(ReportFormat format);

void writeReport(ReportFormat format, const report::ReportData& data, const PageHeader& header,
                 io::ByteSink& sink);

// Writes the report beside `path` and puts it in place only when it is complete, replacing what
// stands there. Returns the file and the reason when that fails; `path` is then left as it was.
std::optional<io::FileProblem> writeReportFile(const QString& path, ReportFormat format,
                                               const report::ReportData& data,
                                               const PageHeader& header);

} // namespace webreport
