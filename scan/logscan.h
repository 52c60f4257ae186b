#pragma once

#include "platform/fileproblem.h"
#include "scan/cuttally.h"
#include "scan/timeamount.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QIODevice;

namespace scan {

class ByteSink;

struct ScanRequest {
    QString logPath;
    // Folders to create report.tmp and csv.tmp in, tried in order; the first in which both can be
    // created is used.
    QStringList tempFolders;
    // The "Created on" date, as bytes for the report.
    std::string today;
    // Whether to keep the report text for a window.
    bool keepReportText = true;
    // Also told every event of the scan, after the report layout; may be null.
    ScanEvents* listener = nullptr;
};

// What a scan adds up: the grand total, and one item per date block in log order, the last one
// being the block the log ended in.
struct ScanTotals {
    bool hasCutRecords = false;
    TimeAmount total;
    std::vector<DayItem> days;
};

// Where a scan writes: the report file, the CSV file and, if wanted, the report text.
struct ScanOutputs {
    ByteSink& reportFile;
    ByteSink& csvFile;
    ByteSink* reportText = nullptr;
    // Also told every event of the scan, after the report layout; may be null.
    ScanEvents* listener = nullptr;
};

// Small enough that the blocks in flight take few fresh pages, large enough that handing them
// from thread to thread costs next to nothing.
constexpr size_t kReadBlockSize = size_t{1} << 18;

// Called after every block read with the number of bytes read so far.
using ReadProgress = std::function<void(qint64 bytesRead)>;

// Scans an open log from its report opening to its log end into `outputs`, and leaves the final
// counters in `totals`. Returns the reason if reading failed part way; the outputs are then
// incomplete and `totals` untouched.
std::optional<QString> scanLog(QIODevice& log, const std::string& today, const ScanOutputs& outputs,
                               ScanTotals& totals, const ReadProgress& progress = {},
                               size_t blockSize = kReadBlockSize);

struct ScanResult : ScanTotals {
    // Set when the log could not be opened or failed part way: the totals are incomplete and the
    // temporary files have been removed.
    std::optional<platform::FileProblem> logProblem;

    // The folder that holds report.tmp and csv.tmp; empty if they could be created nowhere.
    QString tempFolder;
    // Why the temporary files could not be created or completely written, if they could not.
    std::vector<platform::FileProblem> tempProblems;
    bool tempFilesComplete() const { return tempProblems.empty() && !tempFolder.isEmpty(); }

    std::string reportText;
};

// Reads the whole log and writes report.tmp and csv.tmp. The caller has checked that the log
// exists. Never touches a widget. A failure part way (a failed read, an exception on any thread
// of the scan) leaves no temporary file behind and is told in logProblem.
ScanResult runLogScan(const ScanRequest& request);
// The same over a log that is already open; request.logPath names it in a problem.
ScanResult runLogScan(const ScanRequest& request, QIODevice& log);

// Adds every CUT record of an open log to the tally, reading and parsing blocks of `blockSize`
// bytes on threads of their own. Returns the reason if reading failed part way.
std::optional<QString> readLog(QIODevice& log, CutTally& tally, size_t blockSize = kReadBlockSize,
                               const ReadProgress& progress = {});

} // namespace scan
