#include "report/reportfile.h"

#include "platform/stagedfile.h"
#include "report/htmlpage.h"
#include "report/jsonreport.h"
#include "scan/threadfailure.h"

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
    std::optional<QString> writeError;
    // Starting the writing thread, or memory for the page, can fail like the scan's; the staged
    // file is then dropped uncommitted.
    if (auto thrown = scan::exceptionFrom([&] {
            scan::BufferedFileSink sink(file.device(), path,
                                        scan::BufferedFileSink::Finish::Commit);
            writeReport(format, data, header, sink);
            if (!sink.flush()) writeError = sink.error();
        }))
        writeError = thrown;
    if (writeError) return platform::FileProblem{path, *writeError};
    if (!file.commit()) return file.problem();
    return std::nullopt;
}

} // namespace report
