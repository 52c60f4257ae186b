#include "webreport/reportfile.h"

#include "io/reportfiles.h"
#include "webreport/htmlpage.h"
#include "webreport/jsonreport.h"
#include "webreport/machinespage.h"

#include <functional>

namespace webreport {

namespace {

// Each target written beside its place; all are put in place once all are complete. Memory for
// a page can run out like the scan's; the staged files are then dropped.
std::optional<io::FileProblem>
writeStaged(const std::vector<ReportTarget>& targets,
            const std::function<void(ReportFormat, io::ByteSink&)>& write) {
    io::StagedFiles files;
    for (const ReportTarget& target : targets) {
        io::ByteSink& sink = files.stage(target.path);
        if (auto problem = io::problemFrom(target.path, [&] {
                write(target.format, sink);
                return sink.finish();
            }))
            return problem;
    }
    return files.commit();
}

} // namespace

QString fileSuffix(ReportFormat format) {
    return format == ReportFormat::Html ? QStringLiteral(".html") : QStringLiteral(".json");
}

void writeReport(ReportFormat format, const report::ReportData& data, const PageHeader& header,
                 io::ByteSink& sink) {
    if (format == ReportFormat::Html)
        writeHtmlPage(data, header, sink);
    else
        writeJson(data, header, sink);
}

void writeReport(ReportFormat format, const std::vector<Machine>& machines,
                 const PageHeader& header, io::ByteSink& sink) {
    if (format == ReportFormat::Html)
        writeMachinesPage(machines, header, sink);
    else
        writeMachinesJson(machines, header, sink);
}

std::optional<io::FileProblem> writeReportFile(const QString& path, ReportFormat format,
                                               const report::ReportData& data,
                                               const PageHeader& header) {
    return writeStaged({{path, format}}, [&](ReportFormat kind, io::ByteSink& sink) {
        writeReport(kind, data, header, sink);
    });
}

std::optional<io::FileProblem> writeReportFiles(const std::vector<ReportTarget>& targets,
                                                const std::vector<Machine>& machines,
                                                const PageHeader& header) {
    return writeStaged(targets, [&](ReportFormat kind, io::ByteSink& sink) {
        writeReport(kind, machines, header, sink);
    });
}

} // namespace webreport
