#pragma once

#include "platform/exitstatus.h"
#include "report/fold.h"
#include "report/reportdata.h"
#include "report/tempreports.h"
#include "webreport/pageheader.h"

#include <QString>
#include <QWidget>
#include <optional>

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

    // Fits the window into the screen it opens on, frame and all, before it is first shown: as
    // laid out where the screen's available area holds it. Where it does not (a laptop's screen
    // at a display scale of 150 %), the report box gives up height and the save button moves up
    // with the window's bottom edge, so that every control stays on the screen; the window then
    // opens at the top of the area.
    void fitToScreen();
    void fitInto(const QRect& availableArea, const QMargins& frame);

    // Runs the log scan before the window is first shown. Returns platform::kExitOk when the window
    // is to be shown; otherwise the program ends with that status and without the window.
    platform::ExitStatus Form_Load();

    // report.tmp and csv.tmp: in the program's folder, or in the per-user data folder when the
    // program's folder would not take them. Chosen once, by the scan.
    const report::TempReports& tempReports() const { return tempReports_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    platform::ExitStatus getTime();
    void showResults(const report::ScanTotals& totals, std::string&& reportText);
    void Form_Unload();
    void cmdCreateReport_Click();
    void showAsWebPage();
    void removeWebPage();

    platform::Platform& platform_;
    bool hasCutRecords = false;
    report::TempReports tempReports_;
    std::optional<report::ReportData> reportData_; // for the web page
    webreport::PageHeader pageHeader_;
    QString webPagePath_; // empty until the page has been written

    QLabel* Label1 = nullptr;
    QLineEdit* txtCut = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* lstDaily = nullptr;
    ReportView* txtReport = nullptr;
    QPushButton* cmdCreateReport = nullptr;
};
