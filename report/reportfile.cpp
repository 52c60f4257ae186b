#include "report/reportfile.h"

#include "report/htmlpage.h"
#include "report/jsonreport.h"

#include <QSaveFile>

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

std::optional<scan::FileProblem> writeReportFile(const QString& path, ReportFormat format,
                                                 const ReportData& data, const PageHeader& header) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return scan::FileProblem{path, file.errorString()};
    {
        scan::BufferedFileSink sink(file, path);
        writeReport(format, data, header, sink);
        if (!sink.flush()) return scan::FileProblem{path, sink.error()};
    }
    // Flushed and checked before the commit, which may not report a failed final flush.
    if (!file.flush() || !file.commit()) return scan::FileProblem{path, file.errorString()};
    return std::nullopt;
}

} // namespace report
