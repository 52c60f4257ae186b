#pragma once

#include "io/bytesink.h"
#include "io/fileproblem.h"
#include "report/reportdata.h"
#include "webreport/machines.h"
#include "webreport/pageheader.h"

#include <QString>
#include <optional>
#include <vector>

namespace webreport {

enum class ReportFormat { Html, Json };

// ".html" or ".json".
QString fileSuffix(ReportFormat format);

// The page or the JSON of one log, or of several machines.
void writeReport(ReportFormat format, const report::ReportData& data, const PageHeader& header,
                 io::ByteSink& sink);
void writeReport(ReportFormat format, const std::vector<Machine>& machines,
                 const PageHeader& header, io::ByteSink& sink);

struct ReportTarget {
    QString path;
    ReportFormat format;
};

// Writes the report beside `path` and puts it in place only when it is complete, replacing what
// stands there. Returns the file and the reason when that fails; `path` is then left as it was.
std::optional<io::FileProblem> writeReportFile(const QString& path, ReportFormat format,
                                               const report::ReportData& data,
                                               const PageHeader& header);

// The page and the JSON of several machines, each written beside its target; all are put in
// place only when all are complete, so that a failure leaves every target as it was.
std::optional<io::FileProblem> writeReportFiles(const std::vector<ReportTarget>& targets,
                                                const std::vector<Machine>& machines,
                                                const PageHeader& header);

} // namespace webreport
