// The one scan of a log into the report, the CSV and the window's text, and the temporary files
// that the window's start leaves.
#include "io/bytesink.h"
#include "logscan.h"
#include "report/reportlayout.h"
#include "report/tempreports.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const kGoldenLogs[] = {"two_dates",  "arithmetic", "blocks",
                                   "empty_date", "empty",      "no_cut"};
const std::string kToday = "12/7/2026";

QString golden(const char* log, const char* suffix) {
    return testfiles::dataPath(QLatin1String(log) + QLatin1String(suffix));
}

// A program folder and a user-data folder holding a copy of one log.
struct ScanFolders {
    QTemporaryDir root;
    QString programFolder = root.filePath(QStringLiteral("program"));
    QString logPath = root.filePath(QStringLiteral("user/mvsys.log"));

    explicit ScanFolders(const QByteArray& log) {
        QDir().mkpath(programFolder);
        testfiles::write(logPath, log);
    }
    report::WindowScan scan() const {
        return report::scanForWindow(
            {.logPath = logPath, .tempFolders = {programFolder}, .today = kToday});
    }
};

// What one scan wrote to the outputs it was asked for, and its date list, one item a line.
struct Written {
    std::string reportFile;
    std::string csvFile;
    std::string reportText;
    std::string dateList;
};

// Which of the outputs a scan is asked for.
struct Wanted {
    bool reportFile = false;
    bool csvFile = false;
    bool reportText = false;
};

Written scanned(const QByteArray& log, size_t blockSize, const Wanted& wanted) {
    io::ByteSink reportFile, csvFile, reportText;
    report::ReportLayout layout(kToday, wanted.reportFile ? &reportFile : nullptr,
                                wanted.csvFile ? &csvFile : nullptr,
                                wanted.reportText ? &reportText : nullptr);
    const report::ScanOutcome outcome = scanBytes(log, {&layout}, {.blockSize = blockSize});
    EXPECT_FALSE(outcome.failure);
    Written written{reportFile.takeText(), csvFile.takeText(), reportText.takeText(), {}};
    for (const report::DateBlock& block : outcome.totals.blocks)
        written.dateList += report::dateListItem(block) + '\n';
    return written;
}

class ScanGolden : public ::testing::TestWithParam<const char*> {};

// However the log is cut into read blocks, each output holds the expected bytes, also when it is
// the only one asked for.
TEST_P(ScanGolden, EveryReadBlockSizeAndEveryOutputGiveTheExpectedBytes) {
    const QByteArray log = testfiles::read(golden(GetParam(), ".log"));
    const std::string report = testfiles::readString(golden(GetParam(), ".report.tmp"));
    const std::string csv = testfiles::readString(golden(GetParam(), ".csv.tmp"));
    const std::string text = testfiles::readString(golden(GetParam(), ".text"));
    const std::string dateList = scanned(log, scan::kReadBlockSize, {}).dateList;
    for (size_t blockSize = 1; blockSize <= size_t(log.size()) + 1; ++blockSize) {
        const Written all = scanned(log, blockSize, {true, true, true});
        EXPECT_EQ(all.reportFile, report) << blockSize;
        EXPECT_EQ(all.csvFile, csv) << blockSize;
        EXPECT_EQ(all.reportText, text) << blockSize;
        EXPECT_EQ(all.dateList, dateList) << blockSize;
    }
    // As the command asks for them: one on standard output, or the two files.
    EXPECT_EQ(scanned(log, 7, {true, false, false}).reportFile, report);
    EXPECT_EQ(scanned(log, 7, {false, true, false}).csvFile, csv);
    EXPECT_EQ(scanned(log, 7, {true, true, false}).csvFile, csv);
}

INSTANTIATE_TEST_SUITE_P(Logs, ScanGolden, ::testing::ValuesIn(kGoldenLogs));

TEST(ScanState, TheResultHoldsTheFinalCounters) {
    const ScanFolders folders(testfiles::read(golden("blocks", ".log")));
    const report::ScanTotals totals = folders.scan().totals;
    EXPECT_EQ(totals.total, (scan::TimeAmount{3, 30, 30}));
    ASSERT_EQ(totals.blocks.size(), 3u);
    EXPECT_EQ(totals.blocks.back().total, (scan::TimeAmount{2, 0, 0}));
    EXPECT_EQ(totals.blocks.back().date, "Mon 2 Nov 2026");
    EXPECT_EQ(totals.blocks[0].date, totals.blocks[2].date); // a returning date is a new block
}

TEST(TempFiles, LeftoversOfAnEarlierRunAreReplacedNotAppendedTo) {
    const ScanFolders folders(testfiles::read(golden("two_dates", ".log")));
    testfiles::write(report::reportTempPath(folders.programFolder), QByteArray(100000, 'x'));
    testfiles::write(report::csvTempPath(folders.programFolder), QByteArray(100000, 'y'));
    folders.scan();
    EXPECT_EQ(testfiles::read(report::reportTempPath(folders.programFolder)),
              testfiles::read(golden("two_dates", ".report.tmp")));
    EXPECT_EQ(testfiles::read(report::csvTempPath(folders.programFolder)),
              testfiles::read(golden("two_dates", ".csv.tmp")));
}

TEST(LogAccess, ALogThatCannotBeOpenedCreatesNoTempFiles) {
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    const QString folderAsLog = root.filePath(QStringLiteral("mvsys.log"));
    QDir().mkpath(folderAsLog);

    const report::WindowScan result =
        report::scanForWindow({.logPath = folderAsLog, .tempFolders = {program}, .today = kToday});
    ASSERT_TRUE(result.logProblem);
    EXPECT_EQ(result.logProblem->path, folderAsLog);
    EXPECT_TRUE(QDir(program).isEmpty());
}

// A device whose reading fails after the first block.
class FailingDevice final : public QIODevice {
public:
    FailingDevice() { open(QIODevice::ReadOnly); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (served_) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        served_ = true;
        const QByteArray line = "a,CUT,0:1:0:0,x,t,d\r\n";
        const qint64 size = std::min<qint64>(maxSize, line.size());
        memcpy(data, line.constData(), static_cast<size_t>(size));
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    bool served_ = false;
};

TEST(LogAccess, AReadFailurePartWayIsReportedWithItsReason) {
    FailingDevice device;
    io::ByteSink report;
    report::ReportLayout layout(kToday, &report, nullptr, nullptr);
    const std::vector<report::ScanOutput*> outputs{&layout};
    const report::ScanOutcome outcome = report::scanLog(device, outputs, {.blockSize = 64});
    EXPECT_EQ(outcome.failure, QStringLiteral("Input/output error"));
    EXPECT_TRUE(outcome.totals.blocks.empty());
}

} // namespace
