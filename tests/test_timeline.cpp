// Where runs lie in time, read from a log as the page and the JSON read it: each day's busy
// stretches, the runs left off, and the days and planned time of shifts.
#include "logscan.h"
#include "report/cost.h"
#include "report/reportdata.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string run(const std::string& start, const std::string& duration, const std::string& date) {
    return "p.mv,CUT," + duration + ",x," + start + "," + date + "\r\n";
}

// "2026-11-06 runs=1 [85500,86400] planned=57600 in=900; ...; unplaced=0"
std::string described(const timeline::Timeline& timeline) {
    std::string text;
    timeline.forEachDay([&](const timeline::TimelineDay& day) {
        text += day.date.toString(Qt::ISODate).toStdString() + " runs=" + std::to_string(day.runs);
        for (const timeline::Interval& stretch : day.busy)
            text += " [" + std::to_string(stretch.from) + "," + std::to_string(stretch.to) + "]";
        if (timeline.plan)
            text += " planned=" + std::to_string(day.usage.plannedSeconds) +
                    " in=" + std::to_string(day.usage.busyInShiftsSeconds);
        text += "; ";
    });
    return text + "unplaced=" + std::to_string(timeline.unplacedRuns);
}

struct TimelineCase {
    const char* name;
    std::string log;
    std::string expected;
    std::vector<timeline::Shift> shifts = {}; // minutes; none: no plan
    std::optional<QDate> from = {};
    std::optional<QDate> to = {};
};

class Timeline : public ::testing::TestWithParam<TimelineCase> {};

TEST_P(Timeline, PlacesRunsAsTheirDaysSee) {
    const TimelineCase& row = GetParam();
    const scan::Period period{row.from, row.to, scan::DateOrder::MonthDayYear};
    timeline::TimelineScope scope{period, std::nullopt};
    if (!row.shifts.empty()) scope.plan = timeline::WorkPlan{row.shifts, {}};
    report::ReportCollector collector(scan::DateOrder::MonthDayYear, scope);
    const report::ScanOutcome scanned =
        scanBytes(QByteArray::fromStdString(row.log), {&collector}, {.period = period});
    ASSERT_FALSE(scanned.failure);
    EXPECT_EQ(described(collector.takeData().timeline), row.expected);
}

const QDate kFriday(2026, 11, 6);

INSTANTIATE_TEST_SUITE_P(
    Runs, Timeline,
    ::testing::Values(
        TimelineCase{"CutAtMidnight", run("23:45", "0:00:30:00", "11/06/2026"),
                     "2026-11-06 runs=1 [85500,86400]; 2026-11-07 runs=0 [0,900]; unplaced=0"},
        TimelineCase{"NoDayAfterTheLastNamedOne", run("23:30", "0:01:00:00", "12/31/9999"),
                     "9999-12-31 runs=1 [84600,86400]; unplaced=0"},
        TimelineCase{
            "OverlapsAndTouchingCountOnce",
            run("08:00", "0:01:00:00", "11/06/2026") + run("10:00:00", "0:00:30:00", "11/06/2026") +
                run("8:30", "0:01:30:00", "11/06/2026") + run("07:00", "0:00:10:00", "11/06/2026"),
            "2026-11-06 runs=4 [25200,25800] [28800,37800]; unplaced=0"},
        TimelineCase{"TwelveHourClock",
                     run("12:05 AM", "0:00:01:00", "11/06/2026") +
                         run("12:05pm", "0:00:01:00", "11/06/2026") +
                         run("1:00 Pm", "0:00:01:00", "11/06/2026") +
                         run("11:59:30 PM", "0:00:01:00", "11/06/2026"),
                     "2026-11-06 runs=4 [300,360] [43500,43560] [46800,46860] [86370,86400]; "
                     "2026-11-07 runs=0 [0,30]; unplaced=0"},
        TimelineCase{"StartTimesThatDoNotParse",
                     run(" 08:00", "0:00:01:00", "11/06/2026") +
                         run("08:00:00:00", "0:00:01:00", "11/06/2026") +
                         run("24:00", "0:00:01:00", "11/06/2026") +
                         run("7.52", "0:00:01:00", "11/06/2026") +
                         run("13:00 PM", "0:00:01:00", "11/06/2026") +
                         run("0:00 AM", "0:00:01:00", "11/06/2026") +
                         run("8:5", "0:00:01:00", "11/06/2026") +
                         run("08:00  AM", "0:00:01:00", "11/06/2026") +
                         run("08:00", "0:00:01:00", "2026/13/01"),
                     "unplaced=9"},
        TimelineCase{"LengthsAsTheTotalsAddThem",
                     run("01:00", "0:00:00:00", "11/06/2026") +
                         run("02:00", "0:00:-10:00", "11/06/2026") +
                         run("03:00", "0:00:10.5:00", "11/06/2026") +
                         run("04:00", "0:00:00:0.4", "11/06/2026") +
                         run("05:00", "0:168:00:01", "11/06/2026") +
                         run("12:00", "0:168:00:00", "11/09/2026"),
                     "2026-11-06 runs=1 [10800,11400]; 2026-11-09 runs=1 [43200,86400]; "
                     "2026-11-10 runs=0 [0,86400]; 2026-11-11 runs=0 [0,86400]; "
                     "2026-11-12 runs=0 [0,86400]; 2026-11-13 runs=0 [0,86400]; "
                     "2026-11-14 runs=0 [0,86400]; 2026-11-15 runs=0 [0,86400]; "
                     "2026-11-16 runs=0 [0,43200]; unplaced=4"},
        TimelineCase{"NightShiftOfTheWeeksLastWorkday",
                     run("23:00", "0:02:00:00", "11/06/2026") +
                         run("22:30", "0:00:30:00", "11/09/2026"),
                     "2026-11-06 runs=1 [82800,86400] planned=28800 in=3600; "
                     "2026-11-07 runs=0 [0,3600] planned=21600 in=3600; "
                     "2026-11-08 runs=0 planned=0 in=0; "
                     "2026-11-09 runs=1 [81000,82800] planned=7200 in=1800; unplaced=0",
                     {{22 * 60, 6 * 60}}},
        TimelineCase{"DaysWithoutRunsWithinThePeriod",
                     run("09:00", "0:01:00:00", "11/06/2026"),
                     "2026-11-05 runs=0 planned=28800 in=0; "
                     "2026-11-06 runs=1 [32400,36000] planned=28800 in=3600; "
                     "2026-11-07 runs=0 planned=0 in=0; unplaced=0",
                     {{6 * 60, 14 * 60}},
                     kFriday.addDays(-1),
                     kFriday.addDays(1)},
        TimelineCase{"PeriodEndCutsARun",
                     run("23:00", "0:02:00:00", "11/06/2026") +
                         run("01:00", "0:01:00:00", "11/07/2026"),
                     "2026-11-06 runs=1 [82800,86400]; unplaced=0",
                     {},
                     std::nullopt,
                     kFriday}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Utilisation, RoundsHalfAwayFromZeroFromWholeSeconds) {
    const timeline::Usage usage{0, 57600, 1800}; // 0.03125
    EXPECT_EQ(timeline::decimalText(*usage.utilisation()), "0.0313");
    EXPECT_EQ(timeline::decimalText(*timeline::Usage{0, 3, 1}.utilisation()), "0.3333");
    EXPECT_EQ(timeline::decimalText(*timeline::Usage{0, 7200, 7200}.utilisation()), "1");
    EXPECT_FALSE(timeline::Usage{}.utilisation());
}

TEST(Cost, IsExactDecimalRoundedToCentsHalfAwayFromZero) {
    const struct {
        const char* rate;
        qint64 seconds;
        const char* cost;
    } rows[] = {
        {"1.15", 1800, "0.58"}, {"1.15", -1800, "-0.58"},
        {"85", 3600, "85.00"},  {"0.0001", 3600, "0.00"},
        {"85", 0, "0.00"},      {"999999999.9999", 3600, "1000000000.00"},
        {"0.1", 18, "0.00"},    {"10", 18, "0.05"},
    };
    for (const auto& row : rows) {
        const auto rate = report::Rate::read(QString::fromLatin1(row.rate));
        ASSERT_TRUE(rate) << row.rate;
        EXPECT_EQ(rate->costOf(scan::Seconds(row.seconds)).text(), row.cost) << row.rate;
    }
    EXPECT_EQ(report::Rate::read(u"85.5000")->text(), "85.5");
    const qint64 most = std::numeric_limits<qint64>::max();
    EXPECT_GT(report::Rate::read(u"85")->costOf(scan::Seconds(most)).cents, 0); // capped, no wrap
    for (const char* wrong : {"", "-5", "1,15", ".5", "5.", "1.23456", "1e3", " 85", "1000000000"})
        EXPECT_FALSE(report::Rate::read(QString::fromLatin1(wrong))) << wrong;
}

} // namespace
