#include "commandrun.h"
#include "fakeplatform.h"
#include "faults.h"
#include "platform/exitstatus.h"
#include "testfiles.h"

#include <QDate>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

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
        StatusRow{"TwoLogs", {"LOG", "LOG"}, platform::kExitUsage, "several logs"},
        StatusRow{"CsvWithOutput", {"--csv", "-o", "OUT", "LOG"}, platform::kExitUsage, "--csv"},
        StatusRow{"NoDate",
                  {"--from", "13/1/2026", "--date-order", "mdy", "LOG"},
                  platform::kExitUsage,
                  "\"13/1/2026\" is not a date"},
        StatusRow{"ToBeforeFrom",
                  {"--date-order", "mdy", "--from", "2026-02-01", "--to", "1/31/2026", "LOG"},
                  platform::kExitUsage,
                  "--to 1/31/2026 comes before --from 2026-02-01"},
        StatusRow{
            "SeveralLogsForTheCsv", {"--csv", "LOG", "LOG"}, platform::kExitUsage, "several logs"},
        StatusRow{
            "ALogGivenTwice", {"--html", "LOG", "LOG"}, platform::kExitUsage, "more than once"},
        StatusRow{"ShiftsWithoutAPage",
                  {"--shift", "06:00-14:00", "LOG"},
                  platform::kExitUsage,
                  "--shift goes with --html or --json"},
        StatusRow{"HourPastTheDay",
                  {"--json", "--shift", "25:00-06:00", "LOG"},
                  platform::kExitUsage,
                  "\"25:00-06:00\" is not a shift"},
        StatusRow{"ShiftOfNoTime",
                  {"--json", "--shift", "06:00-06:00", "LOG"},
                  platform::kExitUsage,
                  "\"06:00-06:00\" is not a shift"},
        StatusRow{"ShiftsThatOverlapPastMidnight",
                  {"--json", "--shift", "22:00-06:00", "--shift", "05:30-13:00", "LOG"},
                  platform::kExitUsage,
                  "--shift 22:00-06:00 and --shift 05:30-13:00 overlap"},
        StatusRow{"WorkdaysNotDays",
                  {"--html", "--shift", "6:00-14:00", "--workdays", "mo-fr", "LOG"},
                  platform::kExitUsage,
                  "\"mo-fr\" is not a list of days"},
        StatusRow{"WorkdaysWithoutShifts",
                  {"--html", "--workdays", "mon-fri", "LOG"},
                  platform::kExitUsage,
                  "--workdays goes with --shift"},
        StatusRow{"NegativeRate",
                  {"--json", "--rate", "-5", "LOG"},
                  platform::kExitUsage,
                  "\"-5\" is not an amount"},
        StatusRow{"RateNotANumber",
                  {"--json", "--rate", "1,15", "LOG"},
                  platform::kExitUsage,
                  "\"1,15\" is not an amount"},
        StatusRow{"OneOfSeveralMissing",
                  {"--json", "-o", "DIR/x", "LOG", "DIR/gone/mvsys.log"},
                  platform::kExitLogMissing,
                  "gone"}),
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

// The page and the JSON are put in place after the two files: one that cannot be is told, and
// what stood there stays.
TEST(Command, AnExtraReportThatCannotBeReplacedIsTold) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("weekly"));
    testfiles::write(name + ".json", "old");
    Arranged fault = makeFault<ImmutableFile>(name + ".json");
    if (!fault.cannot.isEmpty())
        GTEST_SKIP() << "cannot make the fault: " << fault.cannot.toStdString();
    const QString log = testfiles::dataPath(QStringLiteral("two_dates.log"));
    const CommandRun result = run({"--html", "--json", "--force", "-o", name, log});
    fault.hold.reset(); // on Windows the fault holds the file open, unshared
    EXPECT_EQ(result.status, platform::kExitWriteFailed);
    EXPECT_TRUE(result.err.contains("weekly.json")) << result.err.toStdString();
    EXPECT_EQ(testfiles::read(name + ".json"), "old");
    EXPECT_EQ(testfiles::read(name + ".txt"), run({log}).out);
    EXPECT_TRUE(QFile::exists(name + ".html"));
}

// A log of `days` dates, three CUT runs on each: a page and a JSON of some size.
QByteArray manyDatesLog(int days) {
    QByteArray log;
    for (QDate date(2000, 1, 1); days-- > 0; date = date.addDays(1))
        for (char run : {'1', '2', '3'})
            log += "C:\\Jobs\\part" + QByteArray::number(days) + run + ".mv,CUT,0:00:0" + run +
                   ":10,Steel 3mm,08:00:00," +
                   date.toString(QStringLiteral("MM/dd/yyyy")).toLatin1() + "\r\n";
    return log;
}

// On a disk with room for NAME.txt and NAME.csv but not for the page too, the two are put in
// place and the page is told: its bytes do not take the room the two need.
TEST(Command, TheTwoFilesHaveTheRoomBeforeThePageTakesAny) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("mvsys.log"));
    testfiles::write(log, manyDatesLog(6000));
    const QByteArray report = run({log}).out, csv = run({"--csv", log}).out;
    const qsizetype page = run({"--html", "--date-order", "mdy", log}).out.size();
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QDir().mkpath(disk);
    const Arranged fault = makeFault<SmallDisk>(disk, report.size() + csv.size() + page / 2);
    if (!fault.cannot.isEmpty())
        GTEST_SKIP() << "cannot make the fault: " << fault.cannot.toStdString();
    const QString name = disk + QStringLiteral("/weekly");
    const CommandRun result = run({"--html", "--json", "--date-order", "mdy", "-o", name, log});
    EXPECT_EQ(result.status, platform::kExitWriteFailed);
    EXPECT_TRUE(result.err.contains("weekly.html")) << result.err.toStdString();
    EXPECT_EQ(testfiles::read(name + ".txt"), report);
    EXPECT_EQ(testfiles::read(name + ".csv"), csv);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files).size(), 2); // nothing left beside
}

TEST(Command, HelpAndVersionGoToStandardOutput) {
    const CommandRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, platform::kExitOk);
    EXPECT_TRUE(help.out.contains("--output")) << help.out.toStdString();
    const CommandRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, platform::kExitOk);
    EXPECT_TRUE(version.out.startsWith("runtally-report ")) << version.out.toStdString();
}

// Several machines: one JSON whose entries are the one-log JSONs of the same period, and whose
// figures at the top add them up; with -o only the page and the JSON are written.
TEST(Machines, AddUpWhatEachLogSaysOnItsOwn) {
    QTemporaryDir dir;
    const QStringList logs = {dir.filePath("a/laser/mvsys.log"), dir.filePath("b/laser/mvsys.log"),
                              dir.filePath("plasma/mvsys.log")};
    testfiles::write(logs[0], testfiles::read(testfiles::dataPath("blocks.log")));
    testfiles::write(logs[1], testfiles::read(testfiles::dataPath("two_dates.log")));
    testfiles::write(logs[2], testfiles::read(testfiles::dataPath("arithmetic.log")));
    const QStringList period = {"--date-order", "mdy",        "--from", "2026-01-01", "--json",
                                "--shift",      "6:00-14:00", "--rate", "1.15"};
    const CommandRun several = run(period + logs);
    ASSERT_EQ(several.status, platform::kExitOk) << several.err.toStdString();
    const QJsonObject top = QJsonDocument::fromJson(several.out).object();
    const QJsonArray machines = top["machines"].toArray();
    ASSERT_EQ(machines.size(), logs.size());
    const QStringList names = {QDir::toNativeSeparators("a/laser"),
                               QDir::toNativeSeparators("b/laser"), "plasma"};
    qint64 seconds = 0, runs = 0;
    std::map<QString, qint64> months;
    for (qsizetype m = 0; m < logs.size(); ++m) {
        QJsonObject one = QJsonDocument::fromJson(run(period + QStringList{logs[m]}).out).object();
        QJsonObject machine = machines[m].toObject();
        EXPECT_EQ(machine.take("name").toString(), names[m]);
        EXPECT_EQ(machine.take("log"), one["log"]);
        for (const char* header : {"schema", "createdOn", "log", "dateOrder", "period"})
            one.remove(header);
        EXPECT_EQ(machine, one) << names[m].toStdString();
        seconds += one["total"].toObject()["totalSeconds"].toInteger();
        runs += one["runs"].toInteger();
        for (const QJsonValue month : one["months"].toArray())
            months[month.toObject()["month"].toString()] +=
                month.toObject()["totalSeconds"].toInteger();
    }
    EXPECT_EQ(top["total"].toObject()["totalSeconds"].toInteger(), seconds);
    EXPECT_EQ(top["runs"].toInteger(), runs);
    EXPECT_EQ(top["cost"].toObject()["rate"].toDouble(), 1.15);
    EXPECT_TRUE(top["cost"].toObject()["currency"].isNull());
    EXPECT_EQ(top["period"].toObject()["from"], QJsonValue("2026-01-01"));
    EXPECT_TRUE(top["period"].toObject()["to"].isNull());
    std::map<QString, qint64> monthsAtTop;
    for (const QJsonValue month : top["months"].toArray())
        monthsAtTop[month.toObject()["month"].toString()] =
            month.toObject()["totalSeconds"].toInteger();
    EXPECT_EQ(monthsAtTop, months);

    const QString name = dir.filePath("shop");
    EXPECT_EQ(run(QStringList{"--html", "-o", name} + logs).status, platform::kExitOk);
    EXPECT_EQ(QDir(dir.path()).entryList({"shop*"}), QStringList{"shop.html"});
}

// The page and the JSON of several machines are put in place together or not at all.
TEST(Machines, AFileThatCannotBeWrittenLeavesTheOtherAsItWas) {
    QTemporaryDir dir;
    const QString name = dir.filePath("shop");
    testfiles::write(name + ".html", "old");
    QDir().mkpath(name + ".json"); // a folder where the JSON would go
    const CommandRun result =
        run({"--html", "--json", "--force", "-o", name, testfiles::dataPath("blocks.log"),
             testfiles::dataPath("two_dates.log")});
    EXPECT_EQ(result.status, platform::kExitWriteFailed);
    EXPECT_TRUE(result.err.contains("shop.json")) << result.err.toStdString();
    EXPECT_EQ(testfiles::read(name + ".html"), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"shop.html", "shop.json"}));
}

} // namespace
