// Each log of our own through all three: the scan's temporary files, the window, and the command
// over the log that the same setting names. Every byte is compared with the expected outputs in
// tests/data.
#include "app/reportview.h"
#include "commandrun.h"
#include "windowfixture.h"

#include <QLineEdit>

namespace {

QByteArray expected(const char* log, const char* suffix) {
    return testfiles::read(testfiles::dataPath(QLatin1String(log) + QLatin1String(suffix)));
}

class Golden : public Window, public ::testing::WithParamInterface<const char*> {};

TEST_P(Golden, TheScanTheWindowAndTheCommandGiveTheExpectedBytes) {
    const char* log = GetParam();
    useLog(log);
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    window.show();

    EXPECT_EQ(testfiles::read(reportTemp()), expected(log, ".report.tmp"));
    EXPECT_EQ(testfiles::read(csvTemp()), expected(log, ".csv.tmp"));

    const QStringList shown = QString::fromUtf8(expected(log, ".window.txt"))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(control<QLineEdit>("txtCut")->text(), shown.first());
    EXPECT_EQ(listItems(), shown.mid(1));
    EXPECT_EQ(control<QComboBox>("lstDaily")->currentIndex(), shown.size() > 1 ? 0 : -1);
    EXPECT_EQ(control<ReportView>("txtReport")->toPlainText(),
              QString::fromUtf8(expected(log, ".text"))
                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    const QString name = root.filePath(QStringLiteral("saved/report"));
    QDir().mkpath(root.filePath(QStringLiteral("saved")));
    EXPECT_EQ(runCommand(fake, {QStringLiteral("-o"), name}).status, platform::kExitOk);
    EXPECT_EQ(testfiles::read(name + ".txt"), expected(log, ".report.tmp"));
    EXPECT_EQ(testfiles::read(name + ".csv"), expected(log, ".csv.tmp"));
    EXPECT_EQ(runCommand(fake, {}).out, expected(log, ".report.tmp"));
    EXPECT_EQ(runCommand(fake, {QStringLiteral("--csv")}).out, expected(log, ".csv.tmp"));
    EXPECT_EQ(QDir(fake.setting).entryList(QDir::Files), QStringList{"mvsys.log"});

    window.close();
    EXPECT_FALSE(QFile::exists(reportTemp()));
    EXPECT_FALSE(QFile::exists(csvTemp()));
    EXPECT_TRUE(fake.shownMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(Logs, Golden,
                         ::testing::Values("two_dates", "arithmetic", "blocks", "empty_date",
                                           "empty", "no_cut"));

} // namespace
