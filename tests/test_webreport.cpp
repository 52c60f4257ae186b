#include "io/bytesink.h"
#include "logscan.h"
#include "report/displaytext.h"
#include "report/reportdata.h"
#include "report/reportlayout.h"
#include "testfiles.h"
#include "webreport/htmlpage.h"
#include "webreport/jsonreport.h"
#include "webreport/machines.h"

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <string_view>

namespace {

const webreport::PageHeader kHeader{QStringLiteral("12/7/2026"),
                                    QStringLiteral("C:\\Milvane\\User\\mvsys.log")};

struct Scanned {
    report::ScanTotals totals;
    report::ReportData data;
};

std::string html(const report::ReportData& data) {
    io::ByteSink sink;
    webreport::writeHtmlPage(data, kHeader, sink);
    return sink.text();
}

std::string json(const report::ReportData& data) {
    io::ByteSink sink;
    webreport::writeJson(data, kHeader, sink);
    return sink.text();
}

// One scan of a log in memory in small read blocks, so that it comes in many batches: the data
// are those of a scan in blocks of the usual size.
Scanned scanned(const QByteArray& log, scan::DateOrder order) {
    const auto scan = [&](size_t blockSize) {
        report::ReportCollector collector(order);
        report::ScanOutcome outcome = scanBytes(log, {&collector}, {.blockSize = blockSize});
        EXPECT_FALSE(outcome.failure);
        return Scanned{std::move(outcome.totals), collector.takeData()};
    };
    Scanned result = scan(64);
    EXPECT_EQ(json(scan(scan::kReadBlockSize).data), json(result.data));
    return result;
}

class WebReportGolden : public ::testing::TestWithParam<const char*> {
protected:
    Scanned log = scanned(testfiles::read(testfiles::dataPath(QLatin1String(GetParam()) + ".log")),
                          scan::DateOrder::MonthDayYear);
    QString expected(const char* suffix) const {
        return testfiles::dataPath(QLatin1String(GetParam()) + QLatin1String(suffix));
    }
};

// RUNTALLY_WRITE_GOLDEN=1 writes the expected files anew, to be read over before committing.
TEST_P(WebReportGolden, PageAndJsonMatchTheirExpectedBytes) {
#ifdef Q_OS_WIN
    if (std::string_view(GetParam()) == "hostile")
        GTEST_SKIP() << "log bytes are decoded in the ANSI code page there, not as UTF-8";
#endif
    const std::pair<const char*, std::string> outputs[] = {{".html", html(log.data)},
                                                           {".json", json(log.data)}};
    for (const auto& [suffix, actual] : outputs) {
        if (qEnvironmentVariableIsSet("RUNTALLY_WRITE_GOLDEN"))
            testfiles::write(expected(suffix), QByteArray::fromStdString(actual));
        EXPECT_EQ(actual, testfiles::readString(expected(suffix))) << suffix;
        EXPECT_TRUE(QString::fromUtf8(actual).toUtf8().toStdString() == actual) << "UTF-8";
    }
}

TEST_P(WebReportGolden, JsonReadsBackAsTheScansTotals) {
    QJsonParseError error;
    const QJsonObject root =
        QJsonDocument::fromJson(QByteArray::fromStdString(json(log.data)), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

    const auto secondsOf = [](const QJsonObject& o) {
        return o[QLatin1String("hours")].toInteger() * 3600 +
               o[QLatin1String("minutes")].toInteger() * 60 +
               o[QLatin1String("seconds")].toInteger();
    };
    const QJsonObject total = root[QLatin1String("total")].toObject();
    EXPECT_EQ(root[QLatin1String("schema")].toInt(), 1);
    EXPECT_EQ(total[QLatin1String("hours")].toInteger(), log.totals.total.hours);
    EXPECT_EQ(total[QLatin1String("minutes")].toInteger(), log.totals.total.minutes);
    EXPECT_EQ(total[QLatin1String("seconds")].toInteger(), log.totals.total.seconds);
    EXPECT_EQ(total[QLatin1String("totalSeconds")].toInteger(), secondsOf(total));

    const QJsonArray days = root[QLatin1String("days")].toArray();
    ASSERT_EQ(days.size(), static_cast<qsizetype>(log.totals.blocks.size()));
    qint64 runs = 0, daySeconds = 0;
    for (qsizetype i = 0; i < days.size(); ++i) {
        const QJsonObject day = days[i].toObject();
        const report::DateBlock& item = log.totals.blocks[static_cast<size_t>(i)];
        EXPECT_EQ(day[QLatin1String("date")].toString(), report::displayText(item.date));
        EXPECT_EQ(day[QLatin1String("hours")].toInteger(), item.total.hours);
        EXPECT_EQ(day[QLatin1String("minutes")].toInteger(), item.total.minutes);
        EXPECT_EQ(day[QLatin1String("seconds")].toInteger(), item.total.seconds);
        EXPECT_EQ(day[QLatin1String("totalSeconds")].toInteger(), secondsOf(day));
        runs += day[QLatin1String("runs")].toInteger();
        daySeconds += secondsOf(day);
    }
    EXPECT_EQ(root[QLatin1String("runs")].toInteger(), runs);

    // Every run is in one file; every date block in one month or among the unparsed dates.
    const auto sum = [&root](const char* list, const char* member) {
        qint64 value = 0;
        for (const QJsonValue& entry : root[QLatin1String(list)].toArray())
            value += entry.toObject()[QLatin1String(member)].toInteger();
        return value;
    };
    EXPECT_EQ(sum("files", "runs"), runs);
    EXPECT_EQ(sum("weeks", "totalSeconds"), sum("months", "totalSeconds"));
    EXPECT_EQ(sum("months", "totalSeconds") + sum("unparsedDates", "totalSeconds"), daySeconds);
    EXPECT_EQ(sum("months", "runs") + sum("unparsedDates", "runs"), runs);
}

INSTANTIATE_TEST_SUITE_P(Logs, WebReportGolden,
                         ::testing::Values("two_dates", "blocks", "arithmetic", "hostile",
                                           "empty"));

using scan::DateOrder;

// A log of `blocks` date blocks, one run of an hour each, the dates `step` days apart from
// 2000-01-01 in year-month-day order ("x" for a date that does not parse).
QByteArray datedLog(int blocks, int step, bool parses = true) {
    QByteArray log;
    for (int i = 0; i < blocks; ++i) {
        const QByteArray date =
            parses ? QDate(2000, 1, 1).addDays(qint64{i} * step).toString(Qt::ISODate).toLatin1()
                   : "x" + QByteArray::number(i);
        log += "p.mv,CUT,0:1:0:0,m,08:00:00," + date + "\r\n";
    }
    return log;
}

struct ChartRow {
    const char* name;
    int blocks;
    int step;
    bool parses;
    size_t bars;
    const char* noteWords; // "" when every bar is one block
};

class ChartSize : public ::testing::TestWithParam<ChartRow> {};

TEST_P(ChartSize, StaysWithinItsBarsAndSaysWhatABarIs) {
    const ChartRow& row = GetParam();
    const report::ReportData data =
        scanned(datedLog(row.blocks, row.step, row.parses), DateOrder::YearMonthDay).data;
    const webreport::Chart chart = webreport::chartOf(data);
    EXPECT_EQ(chart.bars.size(), row.bars);
    EXPECT_TRUE(chart.note.contains(QLatin1String(row.noteWords))) << chart.note.toStdString();
    scan::Seconds time;
    for (const webreport::ChartBar& bar : chart.bars)
        time += bar.time;
    EXPECT_EQ(time.count(), qint64{3600} * row.blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChartSize,
    ::testing::Values(ChartRow{"OneBarPerBlock", 400, 1, true, 400, ""},
                      ChartRow{"Weeks", 401, 1, true, 58, "ISO week"},
                      ChartRow{"Months", 401, 7, true, 93, "one month"},
                      ChartRow{"Groups", 40000, 1, true, 400, "100 consecutive"},
                      ChartRow{"UnparsedGroups", 401, 1, false, 201, "2 consecutive"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RunTables, PastTheLimitOnlyTheTotalsPerDateShow) {
    const QByteArray log = datedLog(3, 1);
    report::ReportCollector collector(DateOrder::YearMonthDay, {}, 5);
    ASSERT_FALSE(scanBytes(log + log, {&collector}).failure);
    const report::ReportData data = collector.takeData();
    EXPECT_TRUE(data.runRowsOmitted);
    EXPECT_TRUE(data.runRows.empty());
    const std::string page = html(data);
    EXPECT_NE(page.find("id=\"runs-omitted\""), std::string::npos);
    EXPECT_EQ(page.find("<th>Start</th>"), std::string::npos);
}

} // namespace

namespace {

TEST(FileTotals, KeepEveryNameApartHoweverManyThereAre) {
    QByteArray log;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 3000; ++i)
            log += "C:\\" + QByteArray::number(i) + "\\part_" + QByteArray::number(i % 1500) +
                   (i < 1500 ? ".mv" : ".MV") + ",CUT,0:0:1:0,m,08:00:00,1/1/2026\r\n";
    const report::ReportData data = scanned(log, DateOrder::MonthDayYear).data;
    ASSERT_EQ(data.files.size(), 3000u);
    for (const report::TotalRow& file : data.files) {
        EXPECT_EQ(file.runs, 2) << file.label;
        EXPECT_EQ(file.time.count(), 120) << file.label;
    }
}

// Every output of a period, the page's data too, is that of the log without the CUT records of
// other dates: with a layout that took a record left out for a block's end, the returning 11/1
// below would open a block of its own.
TEST(Period, OutputsAreThoseOfTheLogFilteredByHand) {
    const std::pair<std::string_view, bool> lines[] = {
        // a line, and whether it is in November
        {"*** system log started ***", true},
        {"C:\\j\\a.mv,CUT,0:0:1:0,m,08:00,10/31/2026", false},
        {"C:\\j\\b.mv,CUT,0:0:2:0,m,09:00,11/1/2026", true},
        {"C:\\j\\c.mv,DRY,0:0:3:0,m,09:30,10/31/2026", true},
        {"C:\\j\\d.mv,CUT,0:0:4:0,m,10:00,12/1/2026", false},
        {"C:\\j\\b.mv,cut,0:0:5:30,m,11:00,11/1/2026", true},
        {"C:\\j\\e.mv,CUT,0:0:6:0,m,12:00,not a date", false},
        {"C:\\j\\f.mv,CUT,0:1:7:0,m,13:00,11/30/2026", true},
        {"C:\\j\\g.mv,CUT,0:0:8:0,m,14:00,12/01/2026", false},
    };
    QByteArray whole, filtered;
    for (const auto& [line, inNovember] : lines) {
        const QByteArray bytes = QByteArray(line.data(), qsizetype(line.size())) + "\r\n";
        whole += bytes;
        if (inNovember) filtered += bytes;
    }
    const auto outputs = [](const QByteArray& log, const scan::Period& period, size_t blockSize) {
        io::ByteSink report, csv, text;
        report::ReportLayout layout("12/7/2026", &report, &csv, &text);
        report::ReportCollector collector(DateOrder::MonthDayYear);
        const report::ScanOutcome outcome =
            scanBytes(log, {&layout, &collector}, {.period = period, .blockSize = blockSize});
        EXPECT_FALSE(outcome.failure);
        return std::vector<std::string>{
            report.text(), csv.text(), text.text(), json(collector.takeData()),
            "left out: " + QByteArray::number(outcome.totals.outsidePeriod).toStdString()};
    };
    const scan::Period november{QDate(2026, 11, 1), QDate(2026, 11, 30), DateOrder::MonthDayYear};
    std::vector<std::string> expected = outputs(filtered, {}, scan::kReadBlockSize);
    expected.back() = "left out: 4";
    for (size_t blockSize : {size_t{7}, scan::kReadBlockSize})
        EXPECT_EQ(outputs(whole, november, blockSize), expected) << "block size " << blockSize;
}

struct NamesRow {
    const char* name;
    QStringList logs;
    QStringList names; // with / for the system's separator
};

class MachineNames : public ::testing::TestWithParam<NamesRow> {};

TEST_P(MachineNames, AreTheFoldersWithWhatTellsThemApart) {
    QStringList names;
    for (const QString& name :
         webreport::machineNames({GetParam().logs.begin(), GetParam().logs.end()}))
        names << QDir::fromNativeSeparators(name);
    EXPECT_EQ(names, GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MachineNames,
    ::testing::Values(
        NamesRow{"TheirFolders",
                 {"/logs/laser-1/mvsys.log", "/logs/plasma/mvsys.log"},
                 {"laser-1", "plasma"}},
        NamesRow{"MoreOfThePathWhereTheFoldersAreNamesakes",
                 {"/a/x/laser/mvsys.log", "/b/x/laser/mvsys.log", "/c/plasma/mvsys.log"},
                 {"a/x/laser", "b/x/laser", "plasma"}},
        NamesRow{"OneNamesakeDeeperThanTheOther",
                 {"/laser/mvsys.log", "/old/laser/mvsys.log"},
                 {"laser", "old/laser"}},
        NamesRow{"TheFilesNameWhereTheyShareTheFolder",
                 {"/logs/laser/mvsys.log", "/logs/laser/mvsys-2025.log"},
                 {"logs/laser/mvsys.log", "logs/laser/mvsys-2025.log"}},
        NamesRow{"ALogAtTheTop", {"/mvsys.log", "/laser/mvsys.log"}, {"mvsys.log", "laser"}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
