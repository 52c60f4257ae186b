#pragma once

#include "io/fileproblem.h"
#include "report/fold.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace report {

// Where a start of the window leaves the report and the CSV for the save: report.tmp and csv.tmp
// in a folder.
QString reportTempPath(const QString& folder);
QString csvTempPath(const QString& folder);

// report.tmp and csv.tmp as the start left them.
struct TempReports {
    // Their folder; empty when they could be created nowhere.
    QString folder;
    // Why they could not be created or completely written, if they could not.
    std::vector<io::FileProblem> problems;

    // Whether they hold the whole report and CSV, ready to be saved.
    bool complete() const { return problems.empty() && !folder.isEmpty(); }
};

// What the window's start asks of the scan.
struct WindowScanRequest {
    QString logPath;
    // Folders to create report.tmp and csv.tmp in, tried in order; the first in which both can be
    // created is used.
    QStringList tempFolders;
    // The "Created on" date, as bytes for the report.
    std::string today;
    // Also told the scan, if set: the page's data.
    ScanOutput* alsoTell = nullptr;
};

// What the scan gives the window.
struct WindowScan {
    // Set when the log could not be opened or failed part way: the totals and text are then
    // empty, and no temporary file is left.
    std::optional<io::FileProblem> logProblem;
    ScanTotals totals;
    TempReports temp;
    // The report text, lines separated by CR LF.
    std::string reportText;
};

// Reads the whole log into report.tmp and csv.tmp and the window's text. The caller has checked
// that the log exists. Never touches a widget.
WindowScan scanForWindow(const WindowScanRequest& request);
// The same over a log that is already open; request.logPath names it in a problem.
WindowScan scanForWindow(const WindowScanRequest& request, QIODevice& log);

} // namespace report
