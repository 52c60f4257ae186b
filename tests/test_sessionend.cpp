// The program ended from outside: the window closes the normal way and deletes its temporary
// files. Runs the real program in a folder of its own, as a child process.
#include "testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

#ifndef Q_OS_WIN
namespace {

class EndingSignal : public ::testing::TestWithParam<int> {};

TEST_P(EndingSignal, ClosesTheWindowAndDeletesTheTemporaryFiles) {
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RUNTALLY_PROGRAM), program + "/runtally"));
    testfiles::write(root.filePath(QStringLiteral("user/mvsys.log")),
                     testfiles::read(testfiles::dataPath(QStringLiteral("two_dates.log"))));
    testfiles::write(
        root.filePath(QStringLiteral("config/VB and VBA Program Settings/Milvane.ini")),
        "[Userdata]\nuUsrPath=\"" + root.filePath(QStringLiteral("user")).toLocal8Bit() + "\"\n");

    QProcess runtally;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    runtally.setProcessEnvironment(environment);
    // As a desktop starts it: a test run under nohup, or as a background job, would pass on the
    // signals it ignores, and the program keeps them ignored, as it should.
    runtally.setChildProcessModifier([signal = GetParam()] { std::signal(signal, SIG_DFL); });
    runtally.start(program + "/runtally", {});
    ASSERT_TRUE(runtally.waitForStarted());

    // The files appear during the scan, when the signals are already watched.
    const QStringList temporary = {program + "/report.tmp", program + "/csv.tmp"};
    const QDeadlineTimer deadline(30000);
    while (!(QFile::exists(temporary[0]) && QFile::exists(temporary[1])) && !deadline.hasExpired())
        QThread::msleep(5);
    ASSERT_TRUE(QFile::exists(temporary[1])) << "the program made no temporary files";

    ::kill(static_cast<pid_t>(runtally.processId()), GetParam());
    ASSERT_TRUE(runtally.waitForFinished(30000));
    EXPECT_EQ(runtally.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(runtally.exitCode(), 0) << runtally.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(program).entryList(QDir::Files), QStringList{"runtally"});
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& row) { return std::string(strsignal(row.param)); });

} // namespace
#endif
