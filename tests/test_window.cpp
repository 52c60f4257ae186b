#include "app/frmruntally.h"
#include "app/reportview.h"
#include "testfiles.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using platform::Answer;

TEST_F(Window, HasTheLayoutOfTheOriginalForm) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Milvane Runtally"));
    EXPECT_EQ(window.size(), QSize(397, 580));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowIcon().isNull());

    const std::pair<const char*, QRect> geometry[] = {
        {"Label1", {16, 16, 161, 17}},     {"txtCut", {184, 16, 81, 19}},
        {"Label2", {16, 48, 129, 17}},     {"lstDaily", {184, 48, 185, 22}},
        {"txtReport", {16, 80, 361, 433}}, {"cmdCreateReport", {128, 544, 145, 25}}};
    for (const auto& [name, rect] : geometry)
        EXPECT_EQ(control<QWidget>(name)->geometry(), rect) << name;

    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("Total elapsed time in CUT mode"));
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("CUT mode times by date"));
    EXPECT_EQ(control<QPushButton>("cmdCreateReport")->text(), QStringLiteral("Save reports?"));
    EXPECT_TRUE(control<QLineEdit>("txtCut")->isReadOnly());
    EXPECT_FALSE(control<QComboBox>("lstDaily")->isEditable());

    // Tab order, ignoring the labels and the inner parts of compound controls.
    const QStringList order = {"txtCut", "lstDaily", "cmdCreateReport", "txtReport"};
    QStringList seen;
    QWidget* widget = control<QWidget>("txtCut");
    for (int step = 0; step < 50 && seen.size() < order.size(); ++step) {
        if (order.contains(widget->objectName()) && !seen.contains(widget->objectName()))
            seen << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(seen, order);
}

// What a screen reader says a control is. Through AT-SPI, the caption that labels it (Qt names a
// combo box by its current item there); through UI Automation, its name.
QString spokenName(QAccessibleInterface* accessible) {
#ifndef Q_OS_WIN
    const auto labels = accessible->relations(QAccessible::Label);
    if (!labels.isEmpty()) return labels.first().first->text(QAccessible::Name);
#endif
    return accessible->text(QAccessible::Name);
}

TEST_F(Window, ScreenReadersNameEveryControl) {
    const std::tuple<const char*, QAccessible::Role, QString> controls[] = {
        {"txtCut", QAccessible::EditableText, QStringLiteral("Total elapsed time in CUT mode")},
        {"lstDaily", QAccessible::ComboBox, QStringLiteral("CUT mode times by date")},
        {"cmdCreateReport", QAccessible::Button, QStringLiteral("Save reports?")},
        {"txtReport", QAccessible::EditableText, QString()}};
    for (const auto& [name, role, spoken] : controls) {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(control<QWidget>(name));
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_EQ(accessible->role(), role) << name;
        EXPECT_EQ(spokenName(accessible), spoken) << name;
    }
}

struct FitRow {
    const char* name;
    QRect availableArea; // in device-independent pixels, as Qt gives it at the screen's scale
    int clientHeight;
    bool moved; // to the area's top, as the window had to give up height
};

class WindowFit : public Window, public ::testing::WithParamInterface<FitRow> {};

// Where the screen is too small, the save button stays on it, and so does every other control.
TEST_P(WindowFit, KeepsEveryControlOnTheScreen) {
    const FitRow& row = GetParam();
    const QMargins frame(8, 31, 8, 8);
    window.fitInto(row.availableArea, frame);
    EXPECT_EQ(window.size(), QSize(397, row.clientHeight));
    const QRect button = control<QWidget>("cmdCreateReport")->geometry();
    EXPECT_EQ(button, QRect(128, row.clientHeight - 36, 145, 25));
    EXPECT_EQ(control<QWidget>("txtReport")->geometry().bottom(), button.top() - 32);
    if (row.moved) {
        EXPECT_EQ(window.y(), row.availableArea.top());
        EXPECT_GE(window.x(), row.availableArea.left());
        EXPECT_LE(window.x() + 397 + frame.left() + frame.right(), row.availableArea.right() + 1);
        if (row.clientHeight > 267) { // the shortest window fits
            EXPECT_LE(frame.top() + button.bottom(), row.availableArea.bottom());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Screens, WindowFit,
    ::testing::Values(FitRow{"ThatHoldItLeaveItAsItIs", {0, 0, 1366, 728}, 580, false},
                      FitRow{"At150PercentOn1366x768", {0, 0, 910, 480}, 441, true},
                      FitRow{"At125PercentOn1280x800", {0, 0, 1024, 608}, 569, true},
                      FitRow{"JustHeldByTheScreen", {0, 0, 1024, 619}, 580, false},
                      FitRow{"APixelTooShort", {0, 0, 1024, 618}, 579, true},
                      FitRow{"OnASecondScreenLeftOfTheFirst", {-1280, 40, 1024, 608}, 569, true},
                      FitRow{"TheReportBoxKeepsSomeRoom", {0, 0, 640, 200}, 267, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(Window, PickingADateChangesNothingElse) {
    useLog("blocks");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    const QString report = control<ReportView>("txtReport")->toPlainText();
    const QStringList items = listItems();
    const QByteArray csv = testfiles::read(csvTemp());

    for (int index : {2, 0, 1}) {
        control<QComboBox>("lstDaily")->setCurrentIndex(index);
        EXPECT_EQ(control<ReportView>("txtReport")->toPlainText(), report);
        EXPECT_EQ(control<QLineEdit>("txtCut")->text(), QStringLiteral("03:30:30"));
        EXPECT_EQ(listItems(), items);
        EXPECT_EQ(testfiles::read(csvTemp()), csv);
    }
    EXPECT_TRUE(fake.shownMessages().empty());
}

TEST_F(Window, ShowsLogTextInItsOwnEncoding) {
    // One line in UTF-8, one in the Windows code page, as a log edited by hand may have.
    testfiles::write(fake.setting + QStringLiteral("/mvsys.log"),
                     "C:\\Jobs\\Tr\xc3\xa4ger.mv,CUT,0:1:0:0,m,08:00,Mo\r\n"
                     "C:\\Jobs\\Tr\xe4ger \x80.mv,CUT,0:1:0:0,m,09:00,Mo\r\n");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    const QString report = control<ReportView>("txtReport")->toPlainText();
#ifdef Q_OS_WIN
    // Windows shows every line in its ANSI code page, as the control software writes the log.
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << GetACP() << ", not 1252";
    EXPECT_TRUE(report.contains(QStringLiteral("      Tr\u00c3\u00a4ger.mv  -  08:00  -  1:0:0")));
#else
    EXPECT_TRUE(report.contains(QStringLiteral("      Tr\u00e4ger.mv  -  08:00  -  1:0:0")));
#endif
    EXPECT_TRUE(
        report.contains(QStringLiteral("      Tr\u00e4ger \u20ac.mv  -  09:00   -   1:0:0")));
    // The files keep the log's bytes.
    EXPECT_TRUE(testfiles::read(csvTemp()).contains("Mo,Tr\xe4ger \x80.mv,09:00,1,0,0\r\n"));
    window.close();
}

TEST_F(Window, TheSaveButtonSavesAndClosesTheWindow) {
    useLog("two_dates");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    window.show();
    const QByteArray report = testfiles::read(reportTemp());
    fake.answerNextSaveDialog(root.filePath(QStringLiteral("weekly")));
    control<QPushButton>("cmdCreateReport")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(fake.shownDialogs().at(0).folder, program);
    EXPECT_EQ(testfiles::read(root.filePath(QStringLiteral("weekly.txt"))), report);
    EXPECT_FALSE(QFile::exists(reportTemp()));
}

TEST_F(Window, ACancelledNameDialogClosesTheWindowAndDeletesTheTemporaryFiles) {
    useLog("two_dates");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    window.show();
    fake.answerNextSaveDialog(std::nullopt);
    fake.answerNextMessage(Answer::Ok);
    control<QPushButton>("cmdCreateReport")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(QFile::exists(reportTemp()));
    EXPECT_FALSE(QFile::exists(csvTemp()));
}

} // namespace
