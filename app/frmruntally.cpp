#include "app/frmruntally.h"

#include "app/reportview.h"
#include "app/startmessages.h"
#include "app/webpage.h"
#include "platform/platform.h"
#include "platform/systemlog.h"
#include "report/displaytext.h"
#include "report/reportlayout.h"
#include "report/tempreports.h"
#include "save/reportsave.h"
#include "scan/dateorder.h"
#include "webreport/reportfile.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QWindow>
#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Milvane Runtally");
constexpr QSize kClientSize(397, 580);
constexpr QRect kReportBox(16, 80, 361, 433);
constexpr QRect kSaveButton(128, 544, 145, 25);
// Where a screen is too small for the window, the report box gives up height down to this; it
// scrolls, and the rest of the window keeps every control and caption whole.
constexpr int kShortestReportBox = 120;
// The window's frame where the platform does not tell it before the window is shown (X11, where
// the window manager adds it later): a title bar and borders as large as Windows draws them at
// any display scale, in device-independent pixels, with some to spare.
constexpr QMargins kFrameEstimate(8, 40, 8, 8);

// The layout is in fixed pixels, made for an 8-point dialog font; the platform's larger default
// font would clip the captions. Fonts with the dialog font's metrics come first.
QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    return font;
}

// Where only a wider font is at hand, a caption gets smaller rather than cut off.
void fitCaption(QLabel* label) {
    constexpr qreal kSmallestPointSize = 6;
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(label->text()) > label->width() &&
           font.pointSizeF() > kSmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/runtally/runtally-%1.png").arg(size), QSize(size, size));
    return icon;
}

QFont smallArial() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    return font;
}

} // namespace

frmRuntally::frmRuntally(platform::Platform& platform, QWidget* parent)
    : QWidget(parent), platform_(platform) {
    setWindowTitle(kTitle);
    setWindowIcon(programIcon());
    setFixedSize(kClientSize);
    setFont(windowFont());
    buildControls();
}

void frmRuntally::buildControls() {
    Label1 = new QLabel(QStringLiteral("Total elapsed time in CUT mode"), this);
    Label1->setGeometry(16, 16, 161, 17);
    fitCaption(Label1);

    txtCut = new QLineEdit(QStringLiteral("Text1"), this);
    txtCut->setGeometry(184, 16, 81, 19);
    txtCut->setFont(smallArial());
    txtCut->setReadOnly(true);

    Label2 = new QLabel(QStringLiteral("CUT mode times by date"), this);
    Label2->setGeometry(16, 48, 129, 17);
    fitCaption(Label2);

    lstDaily = new QComboBox(this);
    lstDaily->setGeometry(184, 48, 185, 22);
    lstDaily->setFont(smallArial());
    lstDaily->setEditable(false);

    // Screen readers name the total and the date list by the captions beside them; the report
    // box has no caption.
    Label1->setBuddy(txtCut);
    Label2->setBuddy(lstDaily);

    txtReport = new ReportView(this);
    txtReport->setGeometry(kReportBox);

    cmdCreateReport = new QPushButton(QStringLiteral("Save reports?"), this);
    cmdCreateReport->setGeometry(kSaveButton);
    connect(cmdCreateReport, &QPushButton::clicked, this, &frmRuntally::cmdCreateReport_Click);
    connect(txtReport, &ReportView::showAsWebPageRequested, this, &frmRuntally::showAsWebPage);

    const std::pair<QWidget*, const char*> names[] = {
        {Label1, "Label1"},     {txtCut, "txtCut"},       {Label2, "Label2"},
        {lstDaily, "lstDaily"}, {txtReport, "txtReport"}, {cmdCreateReport, "cmdCreateReport"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    setTabOrder(txtCut, lstDaily);
    setTabOrder(lstDaily, cmdCreateReport);
    setTabOrder(cmdCreateReport, txtReport);
}

void frmRuntally::fitToScreen() {
    create(); // on Windows the frame is known once the native window exists
    QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull()) frame = kFrameEstimate;
    fitInto(screen()->availableGeometry(), frame);
}

void frmRuntally::fitInto(const QRect& availableArea, const QMargins& frame) {
    const int room = availableArea.height() - frame.top() - frame.bottom();
    const int cut =
        std::clamp(kClientSize.height() - room, 0, kReportBox.height() - kShortestReportBox);
    setFixedSize(kClientSize.width(), kClientSize.height() - cut);
    txtReport->setGeometry(kReportBox.adjusted(0, 0, 0, -cut));
    cmdCreateReport->setGeometry(kSaveButton.translated(0, -cut));
    if (cut == 0) return; // where the system places a new window
    const int frameWidth = width() + frame.left() + frame.right();
    move(availableArea.left() + std::max(0, (availableArea.width() - frameWidth) / 2),
         availableArea.top());
}

platform::ExitStatus frmRuntally::Form_Load() {
    hasCutRecords = false;
    return getTime();
}

platform::ExitStatus frmRuntally::getTime() {
    const std::optional<QString> logPath = platform::findSystemLog(platform_);
    if (!logPath) {
        platform::showError(platform_, platform::missingLogTitle(), platform::missingLogText());
        return platform::kExitLogMissing;
    }

    report::ReportCollector forWebPage(scan::systemDateOrder());
    report::WindowScan scanned = report::scanForWindow({
        .logPath = *logPath,
        .tempFolders = {platform_.programFolder(), platform_.userDataFolder()},
        .today = platform::todayForReport(platform_),
        .alsoTell = &forWebPage,
    });
    if (scanned.logProblem) {
        platform::showError(platform_, startMessages::unreadableLogTitle(),
                            startMessages::unreadableLogText(*scanned.logProblem));
        return platform::kExitLogUnreadable;
    }

    tempReports_ = scanned.temp;
    if (!tempReports_.problems.empty())
        platform::showError(platform_, startMessages::tempFilesTitle(),
                            startMessages::tempFilesText(tempReports_.problems));

    reportData_ = forWebPage.takeData();
    pageHeader_ = {platform_.todayShortDate(), QDir::toNativeSeparators(*logPath)};
    showResults(scanned.totals, std::move(scanned.reportText));
    return platform::kExitOk;
}

void frmRuntally::showResults(const report::ScanTotals& totals, std::string&& reportText) {
    hasCutRecords = totals.hasCutRecords();
    txtCut->setText(QString::fromStdString(totals.total.text()));

    QStringList items;
    items.reserve(static_cast<qsizetype>(totals.blocks.size()));
    for (const report::DateBlock& block : totals.blocks)
        items.append(report::displayText(report::dateListItem(block)));
    lstDaily->addItems(items);
    if (hasCutRecords) lstDaily->setCurrentIndex(0);

    txtReport->setReportText(std::move(reportText));
}

void frmRuntally::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// Deletes what is left of the temporary files, report.tmp first; each is looked for on its own.
// A file that cannot be deleted is left behind: the program ends all the same.
void frmRuntally::Form_Unload() {
    removeWebPage();
    const QString& folder = tempReports_.folder;
    if (folder.isEmpty()) return;
    for (const QString& path : {report::reportTempPath(folder), report::csvTempPath(folder)}) {
        if (platform_.fileExists(path)) QFile::remove(path);
    }
}

void frmRuntally::cmdCreateReport_Click() {
    if (save::saveReports(platform_, tempReports_) == save::AfterClick::CloseWindow) close();
}

// Writes the report as a web page beside the temporary files (in the per-user data folder when
// there are none) and opens it in the user's browser.
void frmRuntally::showAsWebPage() {
    if (!reportData_) return;
    const QString folder =
        tempReports_.folder.isEmpty() ? platform_.userDataFolder() : tempReports_.folder;
    QDir().mkpath(folder);
    const QString path = webpage::pagePath(folder);
    if (auto problem = webreport::writeReportFile(path, webreport::ReportFormat::Html, *reportData_,
                                                  pageHeader_)) {
        platform::showError(platform_, webpage::problemTitle(),
                            webpage::writeProblemText(*problem));
        return;
    }
    webPagePath_ = path;
    if (!platform_.openInBrowser(path))
        platform::showError(platform_, webpage::problemTitle(), webpage::noBrowserText(path));
}

void frmRuntally::removeWebPage() {
    if (!webPagePath_.isEmpty() && platform_.fileExists(webPagePath_)) QFile::remove(webPagePath_);
}
