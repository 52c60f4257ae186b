#include "webreport/reportfile.h"

#include "io/outputfiles.h"
#include "io/threadfailure.h"
#include "webreport/htmlpage.h"
#include "webreport/jsonreport.h"
#include "webreport/machinespage.h"

#include <functional>

namespace webreport {

namespace {

std::optional<io::FileProblem> writeStaged(const QString& path,
                                           const std::function<void(io::ByteSink&)>& write) {
    io::OutputFiles file;
    io::ByteSink* sink = file.stage(path);
    if (!sink) return file.problem();
    // Memory for the page can run out like the scan's; the staged file is then dropped.
    if (auto thrown = io::exceptionFrom([&] { write(*sink); }))
        return io::FileProblem{path, *thrown};
    if (auto problems = file.finish(); !problems.empty()) return problems.front();
    return file.commit();
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
    return writeStaged(path, [&](io::ByteSink& sink) { writeReport(format, data, header, sink); });
}

std::optional<io::FileProblem> writeReportFiles(const std::vector<ReportTarget>& targets,
                                                const std::vector<Machine>& machines,
                                                const PageHeader& header) {
    io::OutputFiles files;
    for (const ReportTarget& target : targets) {
        io::ByteSink* sink = files.stage(target.path);
        if (!sink) return files.problem();
        if (auto thrown =
                io::exceptionFrom([&] { writeReport(target.format, machines, header, *sink); }))
            return io::FileProblem{target.path, *thrown};
    }
    if (auto problems = files.finish(); !problems.empty()) return problems.front();
    return files.commit();
}

} // namespace webreport
