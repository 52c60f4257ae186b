#pragma once

#include "platform/exitstatus.h"
#include "platform/fileproblem.h"
#include "report/reportdata.h"
#include "save/reportsave.h"
#include "scan/logscan.h"

#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ReportView;

namespace platform {
class Platform;
}

// The program's one window: the total cut time, the dates with their times, the whole report, and
// the button that saves the report. Its controls carry their names as object names.
class frmRuntally final : public QWidget {
    Q_OBJECT

public:
    explicit frmRuntally(platform::Platform& platform, QWidget* parent = nullptr);

    // Runs the log scan before the window is first shown. Returns platform::kExitOk when the window
    // is to be shown; otherwise the program ends with that status and without the window.
    platform::ExitStatus Form_Load();

    // The folder holding report.tmp and csv.tmp: the program's folder, or the per-user data
    // folder when the program's folder would not take them; empty when they could be created
    // nowhere. Chosen once, by the scan.
    const QString& tempFolder() const { return tempFolder_; }
    // Whether report.tmp and csv.tmp hold the complete report.
    bool tempFilesComplete() const { return tempProblems_.empty() && !tempFolder_.isEmpty(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    platform::ExitStatus getTime();
    void showResults(scan::ScanResult&& result);
    void Form_Unload();
    void cmdCreateReport_Click();
    void showAsWebPage();
    void removeWebPage();

    platform::Platform& platform_;
    save::ReportSave reportSave_;
    bool hasCutRecords = false;
    QString tempFolder_;
    std::vector<platform::FileProblem> tempProblems_;
    std::optional<report::ReportData> reportData_; // for the web page
    report::PageHeader pageHeader_;
    QString webPagePath_; // empty until the page has been written

    QLabel* Label1 = nullptr;
    QLineEdit* txtCut = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* lstDaily = nullptr;
    ReportView* txtReport = nullptr;
    QPushButton* cmdCreateReport = nullptr;
};
