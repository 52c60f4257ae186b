#include "app/reportview.h"
#include "app/webpage.h"
#include "commandrun.h"
#include "windowfixture.h"

#include <QAction>
#include <QTest>

namespace {

// The command over a machine whose date is fixed.
CommandRun runtallyReport(QStringList arguments) {
    FakePlatform machine;
    return runCommand(machine, std::move(arguments));
}

const QString kLog = testfiles::dataPath(QStringLiteral("hostile.log"));

TEST(CommandReports, WithOutputAddsThePageAndTheJsonBesideTheTwoFiles) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("week"));
    const CommandRun run = runtallyReport({"--html", "--json", "--date-order", "mdy", "-o", name, kLog});
    ASSERT_EQ(run.status, platform::kExitOk) << run.err.toStdString();
    EXPECT_EQ(testfiles::read(name + ".txt"), runtallyReport({kLog}).out);
    EXPECT_EQ(testfiles::read(name + ".csv"), runtallyReport({"--csv", kLog}).out);
    EXPECT_EQ(testfiles::read(name + ".html"),
              runtallyReport({"--html", "--date-order", "mdy", kLog}).out);
    EXPECT_EQ(testfiles::read(name + ".json"),
              runtallyReport({"--json", "--date-order", "mdy", kLog}).out);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4); // nothing left beside

    // An existing page is replaced only with --force, and refused before anything is written.
    QFile::remove(name + ".txt");
    EXPECT_EQ(runtallyReport({"--html", "-o", name, kLog}).status, platform::kExitWouldReplace);
    EXPECT_FALSE(QFile::exists(name + ".txt"));
    EXPECT_EQ(runtallyReport({"--html", "--force", "-o", name, kLog}).status, platform::kExitOk);
}

TEST(CommandReports, RefusesWhatItCannotDoAsWrongUse) {
    const QStringList wrong[] = {{"--html", "--json", kLog},
                                 {"--csv", "--html", kLog},
                                 {"--json", "--date-order", "yyyy", kLog}};
    for (const QStringList& arguments : wrong) {
        const CommandRun run = runtallyReport(arguments);
        EXPECT_EQ(run.status, platform::kExitUsage) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST_F(Window, ShowsTheReportAsAWebPageAndDeletesItOnClose) {
    useLog("hostile");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    QAction* action = control<ReportView>("txtReport")->showAsWebPageAction();
    EXPECT_EQ(action->text(), QStringLiteral("Show as a web page"));
    EXPECT_FALSE(action->shortcut().isEmpty());

    // The shortcut, as a user presses it anywhere in the window.
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(control<QComboBox>("lstDaily"), Qt::Key_B, Qt::ControlModifier);
    const QString page = webpage::pagePath(program);
    ASSERT_EQ(fake.openedPages, QStringList{page});
    const QByteArray html = testfiles::read(page);
    EXPECT_TRUE(html.contains("<p id=\"created-on\">Created on 12/7/2026</p>"));
    EXPECT_TRUE(html.contains("&lt;script&gt;"));

    window.close();
    EXPECT_FALSE(QFile::exists(page));
    EXPECT_FALSE(QFile::exists(reportTemp()));
}

TEST_F(Window, SaysWhereThePageIsWhenNoBrowserStarts) {
    useLog("two_dates");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    fake.browserStarts = false;
    fake.answerNextMessage(platform::Answer::Ok);
    control<ReportView>("txtReport")->showAsWebPageAction()->trigger();
    ASSERT_EQ(fake.shownMessages().size(), 1u);
    EXPECT_TRUE(fake.shownMessages()[0].text.contains(QStringLiteral("report.html")));
    window.close();
}

} // namespace
