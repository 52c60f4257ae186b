#include "commandrun.h"
#include "fakeplatform.h"
#include "platform/exitstatus.h"
#include "testfiles.h"

#include <QDir>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The command over a fake environment whose setting names `settingFolder`.
CommandRun run(QStringList arguments, const QString& settingFolder = {}, QIODevice* out = nullptr) {
    FakePlatform environment;
    environment.setting = settingFolder;
    return runCommand(environment, std::move(arguments), out);
}

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
    const CommandRun result = run(arguments, dir.path());
    EXPECT_EQ(result.status, GetParam().status) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(GetParam().errorWords)) << result.err.toStdString();
    EXPECT_EQ(testfiles::read(dir.filePath(QStringLiteral("taken.csv"))), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandStatus,
    ::testing::Values(
        StatusRow{
            "MissingLog", {"DIR/mvsys.log"}, platform::kExitLogMissing, "Can't find log file"},
        StatusRow{"FolderAsLog", {"DIR"}, platform::kExitLogMissing, "Can't find log file"},
        StatusRow{"NoLogWhereTheSettingSays", {}, platform::kExitLogMissing, "Write system log"},
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
    EXPECT_EQ(run({QStringLiteral("-o"), name, log}).status, platform::kExitWouldReplace);
    EXPECT_FALSE(QFile::exists(name + ".csv")); // refused before anything was written
    EXPECT_EQ(run({QStringLiteral("--force"), QStringLiteral("-o"), name, log}).status,
              platform::kExitOk);
    EXPECT_EQ(testfiles::read(name + ".txt"), run({log}).out);
}

TEST(Command, AFullOutputIsAFailedWrite) {
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(run({testfiles::dataPath(QStringLiteral("two_dates.log"))}, {}, &full).status,
              platform::kExitWriteFailed);
}

TEST(Command, HelpAndVersionGoToStandardOutput) {
    const CommandRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, platform::kExitOk);
    EXPECT_TRUE(help.out.contains("--output")) << help.out.toStdString();
    const CommandRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, platform::kExitOk);
    EXPECT_TRUE(version.out.startsWith("runtally-report ")) << version.out.toStdString();
}

} // namespace
