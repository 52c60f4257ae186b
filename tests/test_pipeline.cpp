// The scan's threads on failure paths: a log that fails or throws part way, an output that fills
// up after several blocks, a writer that throws, a disk that fails a sync, threads that cannot
// start. Each ends in a message
// naming the file, with no partial file left to pass for a whole one.
#include "commandrun.h"
#include "faults.h"
#include "logscan.h"
#include "report/tempreports.h"
#include "scan/logblocks.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QProcess>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

constexpr qint64 kMiB = qint64{1} << 20;

// A log of CUT records only: about 0.75 bytes of report and 0.7 of CSV per byte of log.
QByteArray cutHeavyLog(qint64 bytes) {
    const QByteArray line = "C:\\Jobs\\part_0042.mvc,CUT,0:00:01:05,Steel,08:15:00,07/12/2026\r\n";
    return line.repeated(bytes / line.size() + 1);
}

enum class Breakdown { ReadFails, Throws };

// Serves a log's bytes up to an offset, then breaks down: a failed read, or an exception. Its
// writes break down the same way.
class BreakingDevice final : public QIODevice {
public:
    BreakingDevice(QByteArray bytes, qint64 breakAt, Breakdown how)
        : bytes_(std::move(bytes)), breakAt_(breakAt), how_(how) {
        open(QIODevice::ReadWrite);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 size) override {
        if (served_ >= breakAt_) return breakDown();
        size = std::min({size, breakAt_ - served_, bytes_.size() - served_});
        std::memcpy(data, bytes_.constData() + served_, static_cast<size_t>(size));
        served_ += size;
        return size;
    }
    qint64 writeData(const char*, qint64) override { return breakDown(); }

private:
    qint64 breakDown() {
        if (how_ == Breakdown::Throws) throw std::bad_alloc();
        setErrorString(QStringLiteral("Input/output error"));
        return -1;
    }

    QByteArray bytes_;
    qint64 breakAt_;
    Breakdown how_;
    qint64 served_ = 0;
};

struct BreakdownRow {
    const char* name;
    Breakdown how;
    const char* reason;
};

class LogBreaksDown : public ::testing::TestWithParam<BreakdownRow> {};

TEST_P(LogBreaksDown, AfterSeveralBlocksLeavesNoTemporaryFile) {
    QTemporaryDir dir;
    // 6 MiB of log hand about 9 MiB of report and CSV to the writing threads first.
    BreakingDevice log(cutHeavyLog(8 * kMiB), 6 * kMiB, GetParam().how);
    const QString path = QStringLiteral("/user/mvsys.log");
    const report::WindowScan result = report::scanForWindow(
        {.logPath = path, .tempFolders = {dir.path()}, .today = "7/12/2026"}, log);

    ASSERT_TRUE(result.logProblem);
    EXPECT_EQ(result.logProblem->path, path);
    EXPECT_EQ(result.logProblem->reason, QLatin1String(GetParam().reason));
    EXPECT_TRUE(result.temp.folder.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogBreaksDown,
    ::testing::Values(BreakdownRow{"ReadFails", Breakdown::ReadFails, "Input/output error"},
                      BreakdownRow{"Throws", Breakdown::Throws, "Out of memory"}),
    [](const auto& row) { return std::string(row.param.name); });

class FullDisk : public Window {
protected:
    void SetUp() override {
        Window::SetUp();
        testfiles::write(fake.setting + QStringLiteral("/mvsys.log"), cutHeavyLog(8 * kMiB));
    }
    // The disk fills up after several blocks of each file, part way into a block; false where
    // it cannot.
    bool fill() {
        full_ = makeFault<FileSizeLimit>(3 * kMiB + 1000);
        return full_.cannot.isEmpty();
    }
    // What the system says of it.
    static QString reason() { return QString::fromLocal8Bit(std::strerror(EFBIG)); }

private:
    Arranged full_;
};

TEST_F(FullDisk, AfterSeveralBlocksTheWindowTellsWhichFile) {
    if (!fill()) GTEST_SKIP() << "cannot fill the disk";
    fake.answerNextMessage(platform::Answer::Ok);
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    ASSERT_EQ(fake.shownMessages().size(), 1u);
    EXPECT_EQ(fake.shownMessages()[0].title, QStringLiteral("Can't write report files"));
    EXPECT_TRUE(fake.shownMessages()[0].text.contains(QDir::toNativeSeparators(reportTemp())));
    EXPECT_TRUE(fake.shownMessages()[0].text.contains(reason()));
    EXPECT_FALSE(window.tempReports().complete());
    window.close();
    EXPECT_TRUE(QDir(program).isEmpty());
}

TEST_F(FullDisk, AfterSeveralBlocksTheCommandTellsWhichFileAndCommitsNone) {
    const QString name = root.filePath(QStringLiteral("out/weekly"));
    QDir().mkpath(root.filePath(QStringLiteral("out")));
    if (!fill()) GTEST_SKIP() << "cannot fill the disk";
    const auto [status, out, err] =
        runCommand(fake, {QStringLiteral("-o"), name, fake.setting + QStringLiteral("/mvsys.log")});
    EXPECT_EQ(status, platform::kExitWriteFailed);
    EXPECT_TRUE(err.contains(QDir::toNativeSeparators(name).toLocal8Bit() +
                             ".csv: " + reason().toLocal8Bit()))
        << err.toStdString();
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("out"))).isEmpty()); // nothing left behind
}

// A disk that fails a sync, while the files are written or as they are put in place, is told,
// and the reports that were there stay: the real command, with the failing sync preloaded.
class FailingSync : public ::testing::TestWithParam<qint64> {};

TEST_P(FailingSync, KeepsTheOldReports) {
#ifndef RUNTALLY_FAILSYNC
    GTEST_SKIP() << "no preloading here";
#else
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("mvsys.log"));
    const QString name = dir.filePath(QStringLiteral("weekly"));
    testfiles::write(log, cutHeavyLog(GetParam()));
    testfiles::write(name + ".csv", "old");
    testfiles::write(name + ".txt", "old");
    QProcess command;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(RUNTALLY_FAILSYNC));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":verify_asan_link_order=0"));
    command.setProcessEnvironment(environment);
    command.start(QStringLiteral(RUNTALLY_REPORT_PROGRAM), {"--force", "-o", name, log});
    ASSERT_TRUE(command.waitForFinished(60000));
    EXPECT_EQ(command.exitCode(), platform::kExitWriteFailed);
    const QString err = QString::fromLocal8Bit(command.readAllStandardError());
    EXPECT_TRUE(err.contains(QDir::toNativeSeparators(name)) && err.contains(qt_error_string(EIO)))
        << err.toStdString();
    EXPECT_EQ(testfiles::read(name + ".csv"), "old");
    EXPECT_EQ(testfiles::read(name + ".txt"), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
#endif
}

// A small log is synced once, as its files are put in place; a large one also on the way.
INSTANTIATE_TEST_SUITE_P(Logs, FailingSync, ::testing::Values(kMiB, 16 * kMiB));

// When the scan's two reading threads cannot both start, the window's scan and the command end in
// a message, with no file left behind.
class FewThreads : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override { testfiles::write(log, cutHeavyLog(kMiB)); }
    // Why the limit cannot be made here, if it cannot.
    std::string limit() {
        limit_ = makeFault<ThreadLimit>(GetParam());
        return limit_.cannot.toStdString();
    }

    QTemporaryDir dir;
    QString log = dir.filePath(QStringLiteral("mvsys.log"));
    QString out = dir.filePath(QStringLiteral("out"));

private:
    Arranged limit_;
};

TEST_P(FewThreads, TheScanTellsAndLeavesNoTemporaryFile) {
    QDir().mkpath(out);
    if (const std::string why = limit(); !why.empty()) GTEST_SKIP() << why;
    const report::WindowScan result =
        report::scanForWindow({.logPath = log, .tempFolders = {out}, .today = "7/12/2026"});
    EXPECT_TRUE(result.logProblem);
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_P(FewThreads, TheCommandTellsAndWritesNoFile) {
    FakePlatform environment;
    if (const std::string why = limit(); !why.empty()) GTEST_SKIP() << why;
    for (const QStringList& arguments : {QStringList{QStringLiteral("-o"), out, log}, {log}}) {
        const CommandRun run = runCommand(environment, arguments);
        EXPECT_NE(run.status, platform::kExitOk);
        EXPECT_TRUE(run.err.startsWith("runtally-report: ")) << run.err.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("mvsys.log")});
}

INSTANTIATE_TEST_SUITE_P(ThatStart, FewThreads, ::testing::Values(0u, 1u));

// The thread that syncs the files of -o while they are written only saves time: where it cannot
// start, the files are synced as they are put in place.
TEST(FewThreads, WithoutTheSyncingThreadTheFilesAreWrittenAllTheSame) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("mvsys.log"));
    testfiles::write(log, cutHeavyLog(8 * kMiB));
    FakePlatform environment;
    const QByteArray report = runCommand(environment, {log}).out;
    Arranged limit = makeFault<ThreadLimit>(2u); // the two reading threads only
    if (!limit.cannot.isEmpty()) GTEST_SKIP() << limit.cannot.toStdString();
    const QString name = dir.filePath(QStringLiteral("out"));
    EXPECT_EQ(runCommand(environment, {QStringLiteral("-o"), name, log}).status, platform::kExitOk);
    limit.hold.reset();
    EXPECT_EQ(testfiles::read(name + ".txt"), report);
}

// A CUT record padded to `length` bytes, counting `seconds`.
std::string cutRecord(size_t length, int seconds) {
    const std::string fields =
        ",CUT,0:00:00:0" + std::to_string(seconds) + ",x,08:00:00,01/01/2026";
    return "C:\\" + std::string(length - fields.size() - 3, 'p') + fields;
}

// A line as long as a line may be counts and a longer one is skipped whole, wherever the read
// blocks end and whichever reading thread meets it.
TEST(ReadingThreads, SkipLinesTooLongToKeepWhateverTheBlockSize) {
    const size_t limit = scan::kMaxLineLength;
    const std::string log = cutRecord(40, 1) + "\r\n" + cutRecord(limit, 2) + "\r\n" +
                            cutRecord(limit + 1, 4) + "\n" + cutRecord(40, 8);
    for (size_t blockSize : {size_t{1000}, size_t{65536}, limit - 1, limit + 3}) {
        const report::ScanOutcome scanned =
            scanBytes(QByteArray::fromStdString(log), {}, {.blockSize = blockSize});
        EXPECT_FALSE(scanned.failure);
        EXPECT_EQ(scanned.totals.total.seconds, 11) << "block size " << blockSize;
    }
}

TEST(StandardOutput, AnExceptionWhileWritingIsAFailedWrite) {
    BreakingDevice output({}, 0, Breakdown::Throws);
    FakePlatform environment;
    const CommandRun run =
        runCommand(environment, {testfiles::dataPath(QStringLiteral("blocks.log"))}, &output);
    EXPECT_EQ(run.status, platform::kExitWriteFailed);
    EXPECT_EQ(run.err, "runtally-report: standard output: Out of memory\n");
}

} // namespace
