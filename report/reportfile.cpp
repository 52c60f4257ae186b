#include "report/reportfile.h"

#include "platform/stagedfile.h"
#include "report/htmlpage.h"
#include "report/jsonreport.h"

namespace report {

QString fileSuffix(ReportFormat format) {
    return format == ReportFormat::Html ? QStringLiteral(".html") : QStringLiteral(".json");
}

void writeReport(ReportFormat format, const ReportData& data, const PageHeader& header,
                 scan::ByteSink& sink) {
    if (format == ReportFormat::Html)
        writeHtmlPage(data, header, sink);
    else
        writeJson(data, header, sink);
}

std::optional<platform::FileProblem> writeReportFile(const QString& path, ReportFormat format,
                                                     const ReportData& data,
                                                     const PageHeader& header) {
    platform::StagedFile file(path);
    if (!file.open()) return file.problem();
    {
        scan::BufferedFileSink sink(file.device(), path);
        writeReport(format, data, header, sink);
        if (!sink.flush()) return platform::FileProblem{path, sink.error()};
    }
    if (!file.flush() || !file.commit()) return file.problem();
    return std::nullopt;
}

} // namespace report
