#include "scan/logscan.h"

#include "scan/batchtally.h"
#include "scan/bytesink.h"
#include "scan/eventfanout.h"
#include "scan/recordsource.h"
#include "scan/reportlayout.h"
#include "scan/tempfiles.h"
#include "scan/threadfailure.h"

#include <QDir>
#include <QFile>
#include <memory>

namespace scan {

namespace {

using platform::FileProblem;

// report.tmp and csv.tmp, open for writing in one folder; both null when none would take them.
struct TempFiles {
    QString folder;
    std::unique_ptr<QFile> report;
    std::unique_ptr<QFile> csv;

    void removeBoth() {
        for (auto* file : {report.get(), csv.get()}) {
            if (!file) continue;
            file->close();
            file->remove();
        }
    }
};

std::unique_ptr<QFile> createFile(const QString& path, std::vector<FileProblem>& problems) {
    auto file = std::make_unique<QFile>(path);
    if (file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) return file;
    problems.push_back({path, file->errorString()});
    return nullptr;
}

// Creates (or truncates) both files in the first folder that takes both. The problems of folders
// passed over are forgotten once one folder works: falling back is not a failure.
TempFiles createTempFiles(const QStringList& folders, std::vector<FileProblem>& problems) {
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        QDir().mkpath(folder);
        TempFiles files{folder, createFile(reportTempPath(folder), problems), nullptr};
        if (files.report) files.csv = createFile(csvTempPath(folder), problems);
        if (files.report && files.csv) {
            problems.clear();
            return files;
        }
        files.removeBoth();
    }
    return {};
}

// Writes out what the sink holds and closes the file, noting any failure.
void completeTempFile(BufferedFileSink& sink, QFile& file, std::vector<FileProblem>& problems) {
    const bool written = sink.flush();
    file.close();
    if (!written)
        problems.push_back({sink.path(), sink.error()});
    else if (file.error() != QFileDevice::NoError)
        problems.push_back({sink.path(), file.errorString()});
}

// Hands every batch of the source to `take`, in log order, telling the progress after each;
// the reason if reading failed part way.
template <typename Take>
std::optional<QString> takeBatches(RecordSource& source, const ReadProgress& progress, Take take) {
    qint64 bytesRead = 0;
    while (const RecordBatch* batch = source.next()) {
        take(*batch);
        bytesRead += batch->bytes;
        if (progress && batch->bytes > 0) progress(bytesRead);
    }
    return source.error();
}

template <typename Tally> void keepTotals(const Tally& tally, ScanTotals& totals) {
    totals.hasCutRecords = tally.hasCutRecords();
    totals.total = tally.total();
    totals.days = tally.days();
}

// The files (and a listener's events), with the lines laid out on the parsing threads; the
// window's report text is laid out record by record on this thread instead.
std::optional<QString> scanLaidOut(QIODevice& log, const std::string& today,
                                   const ScanOutputs& outputs, ScanTotals& totals,
                                   const ReadProgress& progress, size_t blockSize) {
    BatchTally tally(today, outputs.reportFile, outputs.csvFile, outputs.listener);
    tally.start();
    RecordSource source(log, blockSize, RecordSource::Batches::RecordsAndLines);
    if (auto failure = takeBatches(source, progress, [&tally](const RecordBatch& batch) {
            tally.addBatch(batch.records, batch.laidOut);
        }))
        return failure;
    tally.finish();
    keepTotals(tally, totals);
    return std::nullopt;
}

} // namespace

std::optional<QString> readLog(QIODevice& log, CutTally& tally, size_t blockSize,
                               const ReadProgress& progress) {
    RecordSource source(log, blockSize);
    return takeBatches(source, progress, [&tally](const RecordBatch& batch) {
        tally.recordsAhead(batch.records);
        for (const CutRecord& record : batch.records)
            tally.addRecord(record);
    });
}

std::optional<QString> scanLog(QIODevice& log, const std::string& today, const ScanOutputs& outputs,
                               ScanTotals& totals, const ReadProgress& progress, size_t blockSize) {
    if (!outputs.reportText)
        return scanLaidOut(log, today, outputs, totals, progress, blockSize);
    ReportLayout layout(today, outputs.reportFile, outputs.csvFile, outputs.reportText);
    std::optional<EventFanOut> fanOut;
    if (outputs.listener) fanOut.emplace(layout, *outputs.listener);
    CutTally tally(fanOut ? static_cast<ScanEvents&>(*fanOut) : layout);
    tally.start();
    if (auto failure = readLog(log, tally, blockSize, progress)) return failure;
    tally.finish();
    keepTotals(tally, totals);
    return std::nullopt;
}

ScanResult runLogScan(const ScanRequest& request) {
    QFile log(request.logPath);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        ScanResult result;
        result.logProblem = FileProblem{request.logPath, log.errorString()};
        return result;
    }
    return runLogScan(request, log);
}

ScanResult runLogScan(const ScanRequest& request, QIODevice& log) {
    ScanResult result;
    TempFiles temp = createTempFiles(request.tempFolders, result.tempProblems);
    result.tempFolder = temp.folder;
    NullSink noFile;
    std::optional<BufferedFileSink> reportFile, csvFile;
    StringSink reportText;
    std::optional<QString> failure;
    // Starting a writing thread can fail as much as the scan itself.
    if (auto thrown = exceptionFrom([&] {
            if (temp.report) {
                reportFile.emplace(*temp.report, temp.report->fileName());
                csvFile.emplace(*temp.csv, temp.csv->fileName());
            }
            const ScanOutputs outputs{reportFile ? static_cast<ByteSink&>(*reportFile) : noFile,
                                      csvFile ? static_cast<ByteSink&>(*csvFile) : noFile,
                                      request.keepReportText ? &reportText : nullptr,
                                      request.listener};
            failure = scanLog(log, request.today, outputs, result);
        }))
        failure = thrown;
    if (failure) {
        // The writing threads let go of the files before they are closed and removed.
        for (auto* sink : {&reportFile, &csvFile}) {
            if (*sink) (*sink)->abandon();
        }
        temp.removeBoth();
        result.logProblem = FileProblem{request.logPath, *failure};
        result.tempFolder.clear();
        return result;
    }

    if (reportFile) {
        completeTempFile(*reportFile, *temp.report, result.tempProblems);
        completeTempFile(*csvFile, *temp.csv, result.tempProblems);
    }
    result.reportText = reportText.takeText();
    return result;
}

} // namespace scan
