#include "faults.h"
#include "platform/systemlog.h"
#include "scan/bytesink.h"
#include "scan/logscan.h"
#include "scan/reportlayout.h"
#include "scan/tempfiles.h"
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
    scan::ScanResult scan(QStringList tempFolders) const {
        return scan::runLogScan({logPath, tempFolders, kToday, true});
    }
    scan::ScanResult scan() const { return scan({programFolder}); }
};

class ScanGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(ScanGolden, WritesReportFileCsvAndReportTextByteForByte) {
    const ScanFolders folders(testfiles::read(golden(GetParam(), ".log")));
    const scan::ScanResult result = folders.scan();

    ASSERT_FALSE(result.logProblem);
    EXPECT_TRUE(result.tempFilesComplete());
    EXPECT_EQ(result.tempFolder, folders.programFolder);
    EXPECT_EQ(testfiles::read(scan::reportTempPath(folders.programFolder)),
              testfiles::read(golden(GetParam(), ".report.tmp")));
    EXPECT_EQ(testfiles::read(scan::csvTempPath(folders.programFolder)),
              testfiles::read(golden(GetParam(), ".csv.tmp")));
    EXPECT_EQ(result.reportText, testfiles::readString(golden(GetParam(), ".text")));
}

// Every way of cutting the log into read blocks gives the same three outputs.
TEST_P(ScanGolden, ReadBlockSizeDoesNotChangeTheOutput) {
    const QByteArray log = testfiles::read(golden(GetParam(), ".log"));
    const auto outputs = [&log](size_t blockSize) {
        QBuffer device;
        device.setData(log);
        device.open(QIODevice::ReadOnly);
        scan::StringSink report, csv, text;
        scan::ReportLayout layout(kToday, report, csv, &text);
        scan::CutTally tally(layout);
        tally.start();
        EXPECT_FALSE(scan::readLog(device, tally, blockSize));
        tally.finish();
        return report.text() + '|' + csv.text() + '|' + text.text();
    };
    const std::string whole = outputs(scan::kReadBlockSize);
    for (size_t blockSize : {1, 2, 3, 5, 8, 13, 64})
        EXPECT_EQ(outputs(blockSize), whole) << blockSize;
}

INSTANTIATE_TEST_SUITE_P(Logs, ScanGolden, ::testing::ValuesIn(kGoldenLogs));

TEST(ScanState, TheResultHoldsTheFinalCounters) {
    const ScanFolders folders(testfiles::read(golden("blocks", ".log")));
    const scan::ScanResult result = folders.scan();
    EXPECT_EQ(result.total, (scan::TimeAmount{3, 30, 30}));
    ASSERT_EQ(result.days.size(), 3u);
    EXPECT_EQ(result.days.back().total, (scan::TimeAmount{2, 0, 0}));
    EXPECT_EQ(result.days.back().date, "Mon 2 Nov 2026");
    EXPECT_EQ(result.days[0].date, result.days[2].date); // the returning date is its own block
}

TEST(TempFiles, LeftoversOfAnEarlierRunAreReplacedNotAppendedTo) {
    const ScanFolders folders(testfiles::read(golden("two_dates", ".log")));
    testfiles::write(scan::reportTempPath(folders.programFolder), QByteArray(100000, 'x'));
    testfiles::write(scan::csvTempPath(folders.programFolder), QByteArray(100000, 'y'));
    folders.scan();
    EXPECT_EQ(testfiles::read(scan::reportTempPath(folders.programFolder)),
              testfiles::read(golden("two_dates", ".report.tmp")));
    EXPECT_EQ(testfiles::read(scan::csvTempPath(folders.programFolder)),
              testfiles::read(golden("two_dates", ".csv.tmp")));
}

TEST(TempFiles, GoToTheNextFolderWhenTheProgramFolderWillNotTakeThem) {
    const ScanFolders folders(testfiles::read(golden("two_dates", ".log")));
    // A file where a folder should be: nothing can be created "in" it, even by root.
    const QString notAFolder = folders.root.filePath(QStringLiteral("readonly-share"));
    testfiles::write(notAFolder, "x");
    const QString dataFolder = folders.root.filePath(QStringLiteral("data/runtally"));

    const scan::ScanResult result = folders.scan({notAFolder, dataFolder});
    EXPECT_TRUE(result.tempFilesComplete());
    EXPECT_EQ(result.tempFolder, dataFolder);
    EXPECT_EQ(testfiles::read(scan::csvTempPath(dataFolder)),
              testfiles::read(golden("two_dates", ".csv.tmp")));
}

TEST(TempFiles, CreatedNowhereStillGiveCompleteResults) {
    const ScanFolders folders(testfiles::read(golden("two_dates", ".log")));
    const QString notAFolder = folders.root.filePath(QStringLiteral("file"));
    testfiles::write(notAFolder, "x");

    const scan::ScanResult result = folders.scan({notAFolder, notAFolder + "/sub"});
    EXPECT_FALSE(result.tempFilesComplete());
    EXPECT_TRUE(result.tempFolder.isEmpty());
    ASSERT_FALSE(result.tempProblems.empty());
    EXPECT_FALSE(result.tempProblems.front().reason.isEmpty());
    EXPECT_EQ(result.reportText, testfiles::readString(golden("two_dates", ".text")));
    EXPECT_EQ(result.total, (scan::TimeAmount{2, 11, 5}));
}

TEST(TempFiles, AFailingWriteIsReportedAndTheResultsStayComplete) {
    const ScanFolders folders(testfiles::read(golden("two_dates", ".log")));
    scan::ScanResult result;
    {
        const FileSizeLimit limit(400); // more than the CSV (344 bytes), less than the report
        if (!limit.made()) GTEST_SKIP() << "cannot make the fault: " << limit.why().toStdString();
        result = folders.scan();
    }
    EXPECT_FALSE(result.tempFilesComplete());
    ASSERT_EQ(result.tempProblems.size(), 1u);
    EXPECT_EQ(result.tempProblems[0].path, scan::reportTempPath(folders.programFolder));
    EXPECT_FALSE(result.tempProblems[0].reason.isEmpty());
    EXPECT_EQ(result.tempFolder, folders.programFolder); // what exists is still removed at close
    EXPECT_EQ(result.total, (scan::TimeAmount{2, 11, 5}));
    EXPECT_EQ(result.reportText, testfiles::readString(golden("two_dates", ".text")));
}

TEST(LogAccess, ALogThatCannotBeOpenedCreatesNoTempFiles) {
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    const QString folderAsLog = root.filePath(QStringLiteral("mvsys.log"));
    QDir().mkpath(folderAsLog);

    const scan::ScanResult result = scan::runLogScan({folderAsLog, {program}, kToday, true});
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
    scan::StringSink report, csv;
    scan::ReportLayout layout(kToday, report, csv, nullptr);
    scan::CutTally tally(layout);
    tally.start();
    EXPECT_EQ(scan::readLog(device, tally, 64), QStringLiteral("Input/output error"));
}

TEST(LogAccess, TheLogPathIsTheFolderASeparatorAndTheLogName) {
    const QString sep = QDir::separator();
    EXPECT_EQ(platform::logPathInFolder(QStringLiteral("/data/milvane")),
              QStringLiteral("/data/milvane") + sep + QStringLiteral("mvsys.log"));
    EXPECT_EQ(platform::logPathInFolder(QStringLiteral("/data/") + sep),
              QStringLiteral("/data/") + sep + sep + QStringLiteral("mvsys.log"));
    EXPECT_EQ(platform::logPathInFolder(QString()), sep + QStringLiteral("mvsys.log"));
}

} // namespace
