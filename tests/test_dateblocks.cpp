// Date blocks and totals, added up a batch at a time in log order: the same whichever batches the
// log comes in, also where a block goes on from one batch into the next; the records outside a
// period left out as if the log did not hold them; and a log that fails on one reading thread
// ends the batches of both.
#include "scan/dateblocks.h"
#include "scan/recordsource.h"

#include <QBuffer>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string cut(const std::string& duration, const std::string& date) {
    return "p.mv,CUT," + duration + ",x,08:00," + date + "\r\n";
}

struct DaysCase {
    const char* name;
    std::string log;
    std::vector<scan::DayItem> days;
    scan::TimeAmount total;
};

class DateBlocks : public ::testing::TestWithParam<DaysCase> {};

TEST_P(DateBlocks, AreTheSameInBatchesOfAnySize) {
    const DaysCase& row = GetParam();
    for (size_t blockSize = 1; blockSize <= row.log.size() + 1; ++blockSize) {
        QBuffer device;
        device.setData(row.log.data(), static_cast<qsizetype>(row.log.size()));
        device.open(QIODevice::ReadOnly);
        scan::RecordSource source(device, blockSize);
        scan::CutTally tally;
        while (const scan::RecordBatch* batch = source.next())
            if (!batch->records.empty()) tally.add(batch->records, batch->days);
        EXPECT_FALSE(source.error());
        EXPECT_EQ(tally.totals().days, row.days) << "block size " << blockSize;
        EXPECT_EQ(tally.totals().total, row.total) << "block size " << blockSize;
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
    std::vector<scan::DayItem> days;
    qint64 outside;
};

class InAPeriod : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(InAPeriod, OnlyTheRecordsOfItsDatesCount) {
    const PeriodCase& row = GetParam();
    for (size_t blockSize : {size_t{16}, size_t{1} << 16}) {
        QBuffer device;
        device.setData(row.log.data(), static_cast<qsizetype>(row.log.size()));
        device.open(QIODevice::ReadOnly);
        scan::RecordSource source(device, blockSize, {}, row.period);
        scan::CutTally tally;
        qint64 outside = 0;
        while (const scan::RecordBatch* batch = source.next()) {
            outside += batch->outsidePeriod;
            if (!batch->records.empty()) tally.add(batch->records, batch->days);
        }
        EXPECT_EQ(tally.totals().days, row.days) << "block size " << blockSize;
        EXPECT_EQ(outside, row.outside) << "block size " << blockSize;
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

// An exception that takes its time to unwind, so that the other reading thread reads the rest of
// the log in the meantime.
struct SlowToUnwind : std::runtime_error {
    SlowToUnwind() : std::runtime_error("the disk went away") {}
    SlowToUnwind(const SlowToUnwind&) = default;
    ~SlowToUnwind() override { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
};

// Serves a log, and throws on its read number `throwAt`.
class ThrowingDevice final : public QIODevice {
public:
    ThrowingDevice(std::string bytes, int throwAt) : bytes_(std::move(bytes)), throwAt_(throwAt) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (++reads_ == throwAt_) throw SlowToUnwind();
        const size_t size = std::min(static_cast<size_t>(maxSize), bytes_.size() - served_);
        std::memcpy(data, bytes_.data() + served_, size);
        served_ += size;
        return static_cast<qint64>(size);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string bytes_;
    int throwAt_;
    int reads_ = 0;
    size_t served_ = 0;
};

class ReadThatThrows : public ::testing::TestWithParam<int> {};

TEST_P(ReadThatThrows, EndsTheBatchesWithAFailure) {
    std::string log;
    for (int i = 0; i < 40; ++i)
        log += cut("0:0:0:1", "A");
    ThrowingDevice device(log, GetParam());
    scan::RecordSource source(device, 64);
    while (source.next()) {
    }
    EXPECT_EQ(source.error(), QStringLiteral("the disk went away"));
}

INSTANTIATE_TEST_SUITE_P(OnRead, ReadThatThrows, ::testing::Values(1, 2, 3));

} // namespace
