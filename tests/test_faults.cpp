// File-system faults at the start and at the close of the window, made real. What the user is
// told, and that nothing is lost: the log is never written, and temporary files are left only
// where they cannot be deleted.
#include "app/reportview.h"
#include "faults.h"
#include "windowfixture.h"

#include <QLineEdit>
#include <QSysInfo>
#include <memory>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString kMissingLogText = QStringLiteral(
    "Sorry, I can't find your system log file. Make sure that the \"Write system log\" option is "
    "turned on in the QD menu, and that you're using version 3.6.1 or later of the Milvane "
    "control software.");

QString logOf(Window& fixture);

Arranged pipeAsLog(Window& fixture) {
#ifdef Q_OS_UNIX
    QFile::remove(logOf(fixture));
    mkfifo(logOf(fixture).toLocal8Bit().constData(), 0600);
    return Arranged{};
#else
    Q_UNUSED(fixture);
    return Arranged{nullptr, QStringLiteral("named pipes do not live in folders on this system")};
#endif
}

void replaceWithFile(const QString& folder) {
    QDir(folder).removeRecursively();
    testfiles::write(folder, "a file where a folder should be");
}

enum class TempPlace { Program, Data, Nowhere };

struct StartFault {
    const char* name;
    Arranged (*arrange)(Window& test);
    int status;
    const char* title; // the message the user sees, if any
    TempPlace temp;
    bool complete;
};

class StartFaults : public Window, public ::testing::WithParamInterface<StartFault> {
public:
    using Window::fake;
    using Window::program;
};

TEST_P(StartFaults, AreToldAndLoseNothing) {
    const StartFault& row = GetParam();
    useLog("two_dates");
    const QString log = fake.setting + QStringLiteral("/mvsys.log");
    const QByteArray logBytes = testfiles::read(log);
    Arranged fault = row.arrange(*this);
    if (!fault.cannot.isEmpty())
        GTEST_SKIP() << "cannot make the fault: " << fault.cannot.toStdString();
    if (row.title) fake.answerNextMessage(platform::Answer::Ok);

    EXPECT_EQ(window.Form_Load(), row.status);
    if (row.status == platform::kExitOk)
        fault.hold.reset(); // a full disk only while the scan writes

    QStringList titles;
    for (const auto& box : fake.shownMessages())
        titles << box.title;
    EXPECT_EQ(titles, row.title ? QStringList{QString::fromLatin1(row.title)} : QStringList());
    if (row.title) {
        EXPECT_EQ(fake.shownMessages()[0].icon, platform::MessageIcon::Error);
    }
    if (QFileInfo(log).isFile() && !QFileInfo(log).isSymLink()) {
        EXPECT_EQ(testfiles::read(log), logBytes); // the log is never written
    }
    EXPECT_EQ(fake.settingQuery, QStringList({QStringLiteral("Milvane"), QStringLiteral("Userdata"),
                                              QStringLiteral("uUsrPath")}));
    if (row.status == platform::kExitLogMissing) {
        EXPECT_EQ(fake.shownMessages()[0].text, kMissingLogText);
    }
    if (row.status != platform::kExitOk) {
        EXPECT_TRUE(!QFileInfo(program).isDir() || QDir(program).isEmpty());
        EXPECT_FALSE(QDir(fake.dataFolderPath).exists());
        return;
    }

    const QString expectedFolder = row.temp == TempPlace::Program ? program
                                   : row.temp == TempPlace::Data  ? fake.dataFolderPath
                                                                  : QString();
    EXPECT_EQ(window.tempReports().folder, expectedFolder);
    EXPECT_EQ(window.tempReports().complete(), row.complete);
    if (row.complete) {
        EXPECT_EQ(testfiles::read(report::csvTempPath(expectedFolder)),
                  testfiles::read(testfiles::dataPath(QStringLiteral("two_dates.csv.tmp"))));
    } else {
        EXPECT_TRUE(fake.shownMessages()[0].text.contains(QStringLiteral("report.tmp")));
    }
    EXPECT_EQ(control<QLineEdit>("txtCut")->text(), QStringLiteral("02:11:05")); // all counted
    window.close();
    if (!expectedFolder.isEmpty()) {
        EXPECT_FALSE(QFile::exists(report::csvTempPath(expectedFolder)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartFaults,
    ::testing::Values(
        StartFault{"NoLogWhereTheSettingSays",
                   [](Window& fixture) {
                       QFile::remove(logOf(fixture));
                       return Arranged{};
                   },
                   platform::kExitLogMissing, "Can't find log file", TempPlace::Nowhere, false},
        StartFault{"FolderAsLog",
                   [](Window& fixture) {
                       QFile::remove(logOf(fixture));
                       QDir().mkpath(logOf(fixture));
                       return Arranged{};
                   },
                   platform::kExitLogMissing, "Can't find log file", TempPlace::Nowhere, false},
        StartFault{"NamedPipeAsLogDoesNotHang", pipeAsLog, platform::kExitLogMissing,
                   "Can't find log file", TempPlace::Nowhere, false},
        StartFault{"ProgramFolderIsAFile",
                   [](Window& fixture) {
                       replaceWithFile(static_cast<StartFaults&>(fixture).program);
                       return Arranged{};
                   },
                   platform::kExitOk, nullptr, TempPlace::Data, true},
        StartFault{"ProgramFolderReadOnly",
                   [](Window& fixture) {
                       return makeFault<ReadOnlyFolder>(static_cast<StartFaults&>(fixture).program);
                   },
                   platform::kExitOk, nullptr, TempPlace::Data, true},
        StartFault{"FolderWhereReportTmpGoes",
                   [](Window& fixture) {
                       QDir().mkpath(static_cast<StartFaults&>(fixture).program + "/report.tmp");
                       return Arranged{};
                   },
                   platform::kExitOk, nullptr, TempPlace::Data, true},
        StartFault{"OldCsvTmpCannotBeReplaced",
                   [](Window& fixture) {
                       const QString old = static_cast<StartFaults&>(fixture).program + "/csv.tmp";
                       testfiles::write(old, "from an earlier run");
                       return makeFault<ImmutableFile>(old);
                   },
                   platform::kExitOk, nullptr, TempPlace::Data, true},
        StartFault{"NowhereToWriteTempFiles",
                   [](Window& fixture) {
                       auto& test = static_cast<StartFaults&>(fixture);
                       replaceWithFile(test.program);
                       test.fake.dataFolderPath = test.program + "/data";
                       return Arranged{};
                   },
                   platform::kExitOk, "Can't write report files", TempPlace::Nowhere, false},
        StartFault{"DiskFullWhileWritingTempFiles",
                   [](Window&) { return makeFault<FileSizeLimit>(400); }, platform::kExitOk,
                   "Can't write report files", TempPlace::Program, false},
        StartFault{"LogFailsWhileBeingRead",
                   [](Window& fixture) {
                       // Reading this process's memory from address 0 fails, even for root.
                       const QString log = logOf(fixture);
                       const QString memory = QStringLiteral("/proc/self/mem");
                       if (QSysInfo::kernelType() != QLatin1String("linux") ||
                           !QFileInfo(memory).isFile())
                           return Arranged{nullptr, QStringLiteral("no /proc/self/mem")};
                       QFile::remove(log);
                       QFile::link(memory, log);
                       return Arranged{};
                   },
                   platform::kExitLogUnreadable, "Can't read log file", TempPlace::Nowhere, false}),
    [](const auto& row) { return std::string(row.param.name); });

QString logOf(Window& fixture) {
    return static_cast<StartFaults&>(fixture).fake.setting + QStringLiteral("/mvsys.log");
}

struct CloseFault {
    const char* name;
    Arranged (*arrange)(Window& test);
    bool reportTmpStays;
};

class CloseFaults : public Window, public ::testing::WithParamInterface<CloseFault> {
public:
    using Window::program;
};

TEST_P(CloseFaults, CloseSilentlyAndDeleteWhatCanBeDeleted) {
    useLog("two_dates");
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    window.show();
    Arranged fault = GetParam().arrange(*this);
    if (!fault.cannot.isEmpty())
        GTEST_SKIP() << "cannot make the fault: " << fault.cannot.toStdString();

    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(fake.shownMessages().empty());
    EXPECT_FALSE(QFileInfo(csvTemp()).isFile());
    EXPECT_EQ(QFileInfo::exists(reportTemp()), GetParam().reportTmpStays);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CloseFaults,
    ::testing::Values(
        CloseFault{"ReportTmpCannotBeDeleted",
                   [](Window& fixture) {
                       return makeFault<ImmutableFile>(static_cast<CloseFaults&>(fixture).program +
                                                       "/report.tmp");
                   },
                   true},
        CloseFault{"ReportTmpRemovedMeanwhile",
                   [](Window& fixture) {
                       QFile::remove(static_cast<CloseFaults&>(fixture).program + "/report.tmp");
                       return Arranged{};
                   },
                   false},
        CloseFault{"FolderWhereReportTmpWas",
                   [](Window& fixture) {
                       const QString path =
                           static_cast<CloseFaults&>(fixture).program + "/report.tmp";
                       QFile::remove(path);
                       QDir().mkpath(path); // not an ordinary file: not ours to delete
                       return Arranged{};
                   },
                   true},
        CloseFault{"ProgramFolderGone",
                   [](Window& fixture) {
                       QDir(static_cast<CloseFaults&>(fixture).program).removeRecursively();
                       return Arranged{};
                   },
                   false}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
