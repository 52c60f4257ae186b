// Date blocks and totals, folded in log order: the same whichever blocks the log is read in, also
// where a date block goes on from one read block into the next; and the records outside a period
// left out as if the log did not hold them.
#include "logscan.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string cut(const std::string& duration, const std::string& date) {
    return "p.mv,CUT," + duration + ",x,08:00," + date + "\r\n";
}

struct DaysCase {
    const char* name;
    std::string log;
    std::vector<report::DateBlock> blocks;
    scan::TimeAmount total;
};

class DateBlocks : public ::testing::TestWithParam<DaysCase> {};

TEST_P(DateBlocks, AreTheSameInBatchesOfAnySize) {
    const DaysCase& row = GetParam();
    for (size_t blockSize = 1; blockSize <= row.log.size() + 1; ++blockSize) {
        const report::ScanOutcome scanned =
            scanBytes(QByteArray::fromStdString(row.log), {}, {.blockSize = blockSize});
        EXPECT_FALSE(scanned.failure);
        EXPECT_EQ(scanned.totals.blocks, row.blocks) << "block size " << blockSize;
        EXPECT_EQ(scanned.totals.total, row.total) << "block size " << blockSize;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Logs, DateBlocks,
    ::testing::Values(DaysCase{"AReturningDateOpensABlockOfItsOwn",
                               cut("0:0:0:10", "A") + cut("0:0:0:20", "A") + cut("0:0:1:0", "B") +
                                   cut("0:0:0:5", "A"),
                               {{"A", {0, 0, 30}, 2}, {"B", {0, 1, 0}, 1}, {"A", {0, 0, 5}, 1}},
                               {0, 1, 35}},
                      DaysCase{"OtherLinesDoNotSplitABlock",
                               cut("0:0:0:10", "A") + "q.mv,DRY,0:0:0:1,x,08:00,B\r\n\r\n" +
                                   cut("0:0:0:20", "A"),
                               {{"A", {0, 0, 30}, 2}},
                               {0, 0, 30}},
                      DaysCase{"AnEmptyDateFirstOpensABlock",
                               cut("0:0:0:7", "") + cut("0:0:0:7", "") + cut("0:1:0:0", "A"),
                               {{"", {0, 0, 14}, 2}, {"A", {1, 0, 0}, 1}},
                               {1, 0, 14}},
                      DaysCase{"EachSumCarriesOnce",
                               cut("0:0:0:50", "A") + cut("0:0:0:75", "A") + cut("0:0:0:30", "A"),
                               {{"A", {0, 2, 35}, 3}},
                               {0, 2, 35}},
                      DaysCase{"FractionsRoundEverySum",
                               cut("0:0:0:12.5", "A") + cut("0:0:0:12.5", "A") +
                                   cut("0:0:0:1", "A") + cut("0:0:0:12.5", "B"),
                               {{"A", {0, 0, 25}, 3}, {"B", {0, 0, 12}, 1}},
                               {0, 0, 38}}),
    [](const auto& row) { return std::string(row.param.name); });

struct PeriodCase {
    const char* name;
    std::string log;
    scan::Period period;
    std::vector<report::DateBlock> blocks;
    qint64 outside;
};

class InAPeriod : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(InAPeriod, OnlyTheRecordsOfItsDatesCount) {
    const PeriodCase& row = GetParam();
    for (size_t blockSize : {size_t{16}, size_t{1} << 16}) {
        const report::ScanOutcome scanned = scanBytes(
            QByteArray::fromStdString(row.log), {}, {.period = row.period, .blockSize = blockSize});
        EXPECT_EQ(scanned.totals.blocks, row.blocks) << "block size " << blockSize;
        EXPECT_EQ(scanned.totals.outsidePeriod, row.outside) << "block size " << blockSize;
    }
}

using scan::DateOrder;
const QDate kNov1(2026, 11, 1), kNov2(2026, 11, 2), kNov3(2026, 11, 3);
const std::string kThreeDays = cut("0:0:0:1", "11/1/2026") + cut("0:0:0:2", "11/2/2026") +
                               cut("0:0:0:3", "11/2/2026") + cut("0:0:0:4", "11/3/2026");

INSTANTIATE_TEST_SUITE_P(
    Periods, InAPeriod,
    ::testing::Values(PeriodCase{"BoundsOnBlocksAreIncluded",
                                 kThreeDays,
                                 {kNov2, kNov3, DateOrder::MonthDayYear},
                                 {{"11/2/2026", {0, 0, 5}, 2}, {"11/3/2026", {0, 0, 4}, 1}},
                                 1},
                      PeriodCase{"OpenEnds",
                                 kThreeDays,
                                 {std::nullopt, kNov1, DateOrder::MonthDayYear},
                                 {{"11/1/2026", {0, 0, 1}, 1}},
                                 3},
                      PeriodCase{
                          "BoundsBetweenTheLogsDates",
                          kThreeDays,
                          {QDate(2026, 10, 20), QDate(2026, 10, 31), DateOrder::MonthDayYear},
                          {},
                          4},
                      PeriodCase{"ARecordLeftOutDoesNotSplitABlock",
                                 cut("0:0:0:1", "11/2/2026") + cut("0:0:0:2", "11/9/2026") +
                                     cut("0:0:0:3", "11/2/2026"),
                                 {kNov1, kNov3, DateOrder::MonthDayYear},
                                 {{"11/2/2026", {0, 0, 4}, 2}},
                                 1},
                      PeriodCase{"DatesThatDoNotParseAreOutside",
                                 cut("0:0:0:1", "") + cut("0:0:0:2", "11/2/26") +
                                     cut("0:0:0:3", "2/30/2026") + cut("0:0:0:4", " 11/2/2026 "),
                                 {kNov1, std::nullopt, DateOrder::MonthDayYear},
                                 {{" 11/2/2026 ", {0, 0, 4}, 1}},
                                 3},
                      PeriodCase{"WithoutAPeriodTheyCount",
                                 cut("0:0:0:1", "") + cut("0:0:0:2", "11/2/26"),
                                 {},
                                 {{"", {0, 0, 1}, 1}, {"11/2/26", {0, 0, 2}, 1}},
                                 0},
                      PeriodCase{"DayMonthYear",
                                 cut("0:0:0:1", "1.11.2026") + cut("0:0:0:2", "3.11.2026"),
                                 {kNov3, kNov3, DateOrder::DayMonthYear},
                                 {{"3.11.2026", {0, 0, 2}, 1}},
                                 1},
                      PeriodCase{"YearMonthDay",
                                 cut("0:0:0:1", "2026-11-01") + cut("0:0:0:2", "2026-11-03"),
                                 {std::nullopt, kNov2, DateOrder::YearMonthDay},
                                 {{"2026-11-01", {0, 0, 1}, 1}},
                                 1}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
