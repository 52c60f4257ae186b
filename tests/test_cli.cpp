#include "cli/reportcommand.h"
#include "platform/environment.h"
#include "windowfixture.h"

#include <QBuffer>
#include <QSysInfo>

namespace {

struct CommandRun {
    int status;
    QByteArray out;
    QByteArray err;
};

CommandRun runCommand(QStringList arguments, QIODevice* out = nullptr) {
    QBuffer outBuffer, errBuffer;
    outBuffer.open(QIODevice::WriteOnly);
    errBuffer.open(QIODevice::WriteOnly);
    arguments.prepend(QStringLiteral("runtally-report"));
    platform::SystemEnvironment environment;
    const int status =
        cli::runReportCommand(arguments, {out ? *out : outBuffer, errBuffer, false}, environment);
    return {status, outBuffer.data(), errBuffer.data()};
}

// The command writes what the window's temporary files hold, for every golden log.
class CommandGolden : public Window, public ::testing::WithParamInterface<const char*> {};

TEST_P(CommandGolden, WritesTheBytesOfTheWindowsTemporaryFiles) {
    useLog(GetParam());
    fake.today = platform::todayInShortFormat();
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    const QString log = fake.setting + QStringLiteral("/mvsys.log");
    const QString name = root.filePath(QStringLiteral("saved/report"));
    QDir().mkpath(root.filePath(QStringLiteral("saved")));

    EXPECT_EQ(runCommand({QStringLiteral("-o"), name, log}).status, platform::kExitOk);
    EXPECT_EQ(testfiles::read(name + ".txt"), testfiles::read(reportTemp()));
    EXPECT_EQ(testfiles::read(name + ".csv"), testfiles::read(csvTemp()));
    EXPECT_EQ(runCommand({log}).out, testfiles::read(reportTemp()));
    EXPECT_EQ(runCommand({QStringLiteral("--csv"), log}).out, testfiles::read(csvTemp()));
    EXPECT_EQ(QDir(fake.setting).entryList(QDir::Files), QStringList{"mvsys.log"});
    window.close();
}

INSTANTIATE_TEST_SUITE_P(Logs, CommandGolden,
                         ::testing::Values("two_dates", "arithmetic", "blocks", "empty_date",
                                           "empty", "no_cut"));

struct StatusRow {
    const char* name;
    QStringList arguments; // "LOG" stands for a real log, "OUT" for an output name in a temp folder
    int status;
    const char* errorWords;
};

class CommandStatus : public ::testing::TestWithParam<StatusRow> {};

TEST_P(CommandStatus, TellsWhatWentWrong) {
    // Reading this process's memory from address 0 fails, even for root, where there is a /proc.
    if (GetParam().arguments.contains(QStringLiteral("/proc/self/mem")) &&
        QSysInfo::kernelType() != QLatin1String("linux"))
        GTEST_SKIP() << "no /proc/self/mem";
    QTemporaryDir dir;
    const QString log = testfiles::dataPath(QStringLiteral("two_dates.log"));
    testfiles::write(dir.filePath(QStringLiteral("taken.csv")), "old");
    QStringList arguments;
    for (QString argument : GetParam().arguments)
        arguments << argument.replace(QStringLiteral("LOG"), log)
                         .replace(QStringLiteral("OUT"), dir.filePath(QStringLiteral("taken")))
                         .replace(QStringLiteral("DIR"), dir.path());
    const CommandRun run = runCommand(arguments);
    EXPECT_EQ(run.status, GetParam().status) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().errorWords)) << run.err.toStdString();
    EXPECT_EQ(testfiles::read(dir.filePath(QStringLiteral("taken.csv"))), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandStatus,
    ::testing::Values(
        StatusRow{
            "MissingLog", {"DIR/mvsys.log"}, platform::kExitLogMissing, "Can't find log file"},
        StatusRow{"FolderAsLog", {"DIR"}, platform::kExitLogMissing, "Can't find log file"},
        StatusRow{
            "UnreadableLog", {"/proc/self/mem"}, platform::kExitLogUnreadable, "/proc/self/mem"},
        StatusRow{"WouldReplace", {"-o", "OUT", "LOG"}, platform::kExitWouldReplace, "--force"},
        StatusRow{
            "OutputFolderMissing", {"-o", "DIR/none/x", "LOG"}, platform::kExitWriteFailed, "none"},
        StatusRow{"UnknownOption", {"--bogus"}, platform::kExitUsage, "bogus"},
        StatusRow{"TwoLogs", {"LOG", "LOG"}, platform::kExitUsage, "one LOG"},
        StatusRow{"CsvWithOutput", {"--csv", "-o", "OUT", "LOG"}, platform::kExitUsage, "--csv"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Command, ReplacesOnlyWithForce) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("weekly"));
    testfiles::write(name + ".txt", "old");
    const QString log = testfiles::dataPath(QStringLiteral("blocks.log"));
    EXPECT_EQ(runCommand({QStringLiteral("-o"), name, log}).status, platform::kExitWouldReplace);
    EXPECT_FALSE(QFile::exists(name + ".csv")); // refused before anything was written
    EXPECT_EQ(runCommand({QStringLiteral("--force"), QStringLiteral("-o"), name, log}).status,
              platform::kExitOk);
    EXPECT_EQ(testfiles::read(name + ".txt"), runCommand({log}).out);
}

TEST(Command, AFullOutputIsAFailedWrite) {
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) GTEST_SKIP() << "no /dev/full";
    const CommandRun run =
        runCommand({testfiles::dataPath(QStringLiteral("two_dates.log"))}, &full);
    EXPECT_EQ(run.status, platform::kExitWriteFailed);
}

TEST(Command, HelpAndVersionGoToStandardOutput) {
    const CommandRun help = runCommand({QStringLiteral("--help")});
    EXPECT_EQ(help.status, platform::kExitOk);
    EXPECT_TRUE(help.out.contains("--output")) << help.out.toStdString();
    const CommandRun version = runCommand({QStringLiteral("--version")});
    EXPECT_EQ(version.status, platform::kExitOk);
    EXPECT_TRUE(version.out.startsWith("runtally-report ")) << version.out.toStdString();
}

} // namespace
