#include "report/tempreports.h"

#include "io/outputfiles.h"
#include "report/reportscan.h"

#include <QDir>
#include <QFile>

namespace report {

namespace {

QString inFolder(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

struct TempSinks {
    io::ByteSink* report = nullptr;
    io::ByteSink* csv = nullptr;
};

// Creates (or empties) report.tmp and csv.tmp in the first folder that takes both, writing
// threads and all; their sinks, or none when no folder would take them. The problems of folders
// passed over are forgotten once one folder works: falling back is not a failure.
TempSinks createTempFiles(io::OutputFiles& files, const QStringList& folders, TempReports& temp) {
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        QDir().mkpath(folder);
        TempSinks sinks;
        sinks.report = files.create(reportTempPath(folder));
        if (sinks.report) sinks.csv = files.create(csvTempPath(folder));
        if (sinks.report && sinks.csv) {
            temp.folder = folder;
            temp.problems.clear();
            return sinks;
        }
        temp.problems.push_back(files.problem());
        files.abandon();
    }
    return {};
}

} // namespace

QString reportTempPath(const QString& folder) {
    return inFolder(folder, QStringLiteral("report.tmp"));
}

QString csvTempPath(const QString& folder) {
    return inFolder(folder, QStringLiteral("csv.tmp"));
}

WindowScan scanForWindow(const WindowScanRequest& request) {
    QFile log(request.logPath);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        WindowScan result;
        result.logProblem = io::FileProblem{request.logPath, log.errorString()};
        return result;
    }
    return scanForWindow(request, log);
}

WindowScan scanForWindow(const WindowScanRequest& request, QIODevice& log) {
    WindowScan result;
    io::OutputFiles files;
    const TempSinks sinks = createTempFiles(files, request.tempFolders, result.temp);
    io::StringSink text;
    ScanOutcome scanned = scanLog(log, request.today,
                                  {.reportFile = sinks.report,
                                   .csvFile = sinks.csv,
                                   .reportText = &text,
                                   .collector = request.collector});
    if (scanned.failure) {
        files.abandon(); // the temporary files go with the writing threads
        result.logProblem = io::FileProblem{request.logPath, *scanned.failure};
        result.temp.folder.clear();
        return result;
    }
    for (io::FileProblem& problem : files.finish())
        result.temp.problems.push_back(std::move(problem));
    result.totals = std::move(scanned.totals);
    result.reportText = text.takeText();
    return result;
}

} // namespace report
