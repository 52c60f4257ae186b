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

// The date list's items, one per line.
std::string daysOf(const std::vector<scan::DayItem>& days) {
    std::string text;
    for (const scan::DayItem& day : days)
        text += scan::dateListItem(day) + '\n';
    return text;
}

class ScanGolden : public ::testing::TestWithParam<const char*> {};

// Every way of cutting the log into read blocks gives the same three outputs, the expected ones.
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
        return report.text() + '|' + csv.text() + '|' + text.text() + '|' + daysOf(tally.days());
    };
    // Without the report text, the files are laid out on the parsing threads, batch by batch.
    const auto filesAlone = [&log](size_t blockSize) {
        QBuffer device;
        device.setData(log);
        device.open(QIODevice::ReadOnly);
        scan::StringSink report, csv;
        scan::ScanTotals totals;
        EXPECT_FALSE(scan::scanLog(device, kToday, {report, csv}, totals, {}, blockSize));
        return report.text() + '|' + csv.text() + '|' + daysOf(totals.days);
    };
    const std::string report = testfiles::readString(golden(GetParam(), ".report.tmp"));
    const std::string csv = testfiles::readString(golden(GetParam(), ".csv.tmp"));
    const std::string whole = outputs(scan::kReadBlockSize);
    EXPECT_EQ(whole.substr(0, whole.rfind('|')),
              report + '|' + csv + '|' + testfiles::readString(golden(GetParam(), ".text")));
    const std::string days = whole.substr(whole.rfind('|') + 1);
    for (size_t blockSize : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{8}, size_t{13},
                             size_t{64}, scan::kReadBlockSize}) {
        EXPECT_EQ(outputs(blockSize), whole) << blockSize;
        EXPECT_EQ(filesAlone(blockSize), report + '|' + csv + '|' + days) << blockSize;
    }
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

} // namespace
