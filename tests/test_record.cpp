#include "scan/cuttime.h"
#include "scan/logrecord.h"

#include <gtest/gtest.h>
#include <limits>
#include <tuple>

namespace {

// ---- The numeric value of a duration part ----

struct NumberCase {
    const char* part;
    std::optional<double> value; // nothing: the line is skipped
};

class LeadingNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumber, TakesTheLeadingNumberOnly) {
    scan::RecordReader reader;
    const auto value = reader.leadingNumber(GetParam().part);
    ASSERT_EQ(value.has_value(), GetParam().value.has_value()) << GetParam().part;
    if (value) {
        EXPECT_DOUBLE_EQ(*value, *GetParam().value) << GetParam().part;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, LeadingNumber,
    ::testing::Values(NumberCase{"05", 5}, NumberCase{"", 0}, NumberCase{"7x", 7},
                      NumberCase{"x7", 0}, NumberCase{" 1 2 ", 12}, NumberCase{"\t-\t5", -5},
                      NumberCase{"+3", 3}, NumberCase{"12.5", 12.5}, NumberCase{".5", 0.5},
                      NumberCase{"5.", 5}, NumberCase{".", 0}, NumberCase{"1.2.3", 1.2},
                      NumberCase{"1e1", 10}, NumberCase{"2.5E-1", 0.25}, NumberCase{"1e", 1},
                      NumberCase{"1e+", 1}, NumberCase{"1 e 2", 100}, NumberCase{"e5", 0},
                      NumberCase{"--1", 0}, NumberCase{"nan", 0}, NumberCase{"inf", 0},
                      NumberCase{"0x10", 0}, NumberCase{"1e9", 1e9}, NumberCase{"-1e9", -1e9},
                      NumberCase{"1000000001", std::nullopt}, NumberCase{"1e308", std::nullopt},
                      NumberCase{"-1e308", std::nullopt}, NumberCase{"1e9999", std::nullopt},
                      NumberCase{"1e-9999", 0}, NumberCase{"0e9999", 0},
                      NumberCase{"0.0000000000000000000000000000000001e-400", 0},
                      NumberCase{"000000000000000000000000000000000007", 7}));

// ---- Which lines are counted records ----

struct LineCase {
    const char* line;
    bool counted;
};

class RecordFilter : public ::testing::TestWithParam<LineCase> {};

TEST_P(RecordFilter, CountsOnlyWholeCutRecords) {
    scan::RecordReader reader;
    EXPECT_EQ(reader.read(GetParam().line).has_value(), GetParam().counted) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RecordFilter,
    ::testing::Values(LineCase{"p,CUT,0:1:2:3,x,t,d", true}, LineCase{"p,cut,0:1:2:3,x,t,d", true},
                      LineCase{"p,cUt,0:1:2:3,x,t,d", true},
                      LineCase{"p, CUT,0:1:2:3,x,t,d", false},
                      LineCase{"p,CUT ,0:1:2:3,x,t,d", false},
                      LineCase{"p,CUTS,0:1:2:3,x,t,d", false},
                      LineCase{"p,DRY,0:1:2:3,x,t,d", false}, LineCase{"", false},
                      LineCase{"p,CUT,,x,t,d", false}, LineCase{"p,CUT,:,x,t,d", false},
                      LineCase{"p,CUT,0::2:3,x,t,d", false}, LineCase{"p,CUT,0:1:2,x,t,d", false},
                      LineCase{"p,CUT,0:1:2:3,x,t", false}, LineCase{"p,CUT", false},
                      LineCase{"p,CUT,0:1:2:3:4,x,t,d,e,f", true},
                      LineCase{"p,CUT,0:x:2:3,x,t,d", true}, // hours that are no number count 0
                      LineCase{"p,CUT,0:1:1e99:3,x,t,d", false}));

TEST(RecordFields, ViewsTheFieldsAsWritten) {
    scan::RecordReader reader;
    const auto record = reader.read(R"(C:\a\b\"c d".mv,Cut,D: 1:2x:.5,,  8:00 ,Mon 2, more)");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->cutFileName, R"("c d".mv)");
    EXPECT_EQ(record->startTime, "  8:00 ");
    EXPECT_EQ(record->date, "Mon 2");
    EXPECT_EQ(record->hoursText, " 1");
    EXPECT_EQ(record->minutesText, "2x");
    EXPECT_EQ(record->secondsText, ".5");
    EXPECT_DOUBLE_EQ(record->duration.minutes, 2);
}

TEST(RecordFields, FileNameIsTheTextAfterTheLastBackslash) {
    EXPECT_EQ(scan::fileNameOf(R"(C:\jobs\a.mv)"), "a.mv");
    EXPECT_EQ(scan::fileNameOf("a.mv"), "a.mv");
    EXPECT_EQ(scan::fileNameOf(R"(C:\jobs\)"), "");
    EXPECT_EQ(scan::fileNameOf("/unix/style/a.mv"), "/unix/style/a.mv");
}

// ---- Adding durations ----

struct AddCase {
    scan::TimeAmount start;
    scan::DurationValues add;
    scan::TimeAmount expected;
};

class AddDuration : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddDuration, CarriesOnceAndRoundsTheSumHalfToEven) {
    scan::TimeAmount amount = GetParam().start;
    amount.add(GetParam().add);
    EXPECT_EQ(amount, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sums, AddDuration,
    ::testing::Values(AddCase{{0, 0, 50}, {0, 0, 45}, {0, 1, 35}},
                      AddCase{{0, 0, 50}, {0, 0, 75}, {0, 1, 65}},  // one carry only
                      AddCase{{0, 0, 0}, {0, 0, 12.5}, {0, 0, 12}}, // tie to even
                      AddCase{{0, 0, 1}, {0, 0, 12.5}, {0, 0, 14}}, // the sum is rounded
                      AddCase{{0, 0, 0}, {0, 0, 12.6}, {0, 0, 13}},
                      AddCase{{0, 0, -4}, {0, 0, 0.5}, {0, 0, -4}},     // -3.5 goes to -4
                      AddCase{{0, 59, 59}, {0, 0, 1}, {1, 0, 0}},       // carries cascade
                      AddCase{{0, 0, 0}, {-1, -5, -10}, {-1, -5, -10}}, // nothing borrows
                      AddCase{{32767, 0, 0}, {1, 0, 0}, {32768, 0, 0}}, // past 16 bits
                      AddCase{{0, 30, 0}, {0, 130, 0}, {1, 100, 0}}));

TEST(AddDuration, SaturatesInsteadOfOverflowing) {
    scan::TimeAmount amount{std::numeric_limits<qint64>::max() - 1, 0, 0};
    amount.add({1e9, 0, 0});
    EXPECT_EQ(amount.hours, std::numeric_limits<qint64>::max());
}

TEST(TwoDigitForm, PadsToTwoDigitsAndKeepsTheSign) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "00"},
        {7, "07"},
        {42, "42"},
        {123, "123"},
        {-5, "-05"},
        {-42, "-42"},
        {std::numeric_limits<qint64>::min(), "-9223372036854775808"}};
    for (const auto& [value, text] : cases) {
        std::string out;
        scan::appendTwoDigit(out, value);
        EXPECT_EQ(out, text) << value;
    }
}

// The page writes an amount of seconds as a clock, the JSON as parts that each keep its sign.
TEST(Seconds, AreWrittenAsAClockOrAsSignedParts) {
    const qint64 most = std::numeric_limits<qint64>::max();
    const std::tuple<qint64, const char*, scan::TimeAmount> cases[] = {
        {0, "00:00:00", {0, 0, 0}},
        {3661, "01:01:01", {1, 1, 1}},
        {-3661, "-01:01:01", {-1, -1, -1}},
        {most, "2562047788015215:30:07", {most / 3600, 30, 7}}};
    for (const auto& [count, clock, parts] : cases) {
        EXPECT_EQ(scan::Seconds(count).clockText(), clock) << count;
        EXPECT_EQ(scan::Seconds(count).signedParts(), parts) << count;
    }
    EXPECT_EQ((scan::Seconds(most) + scan::Seconds(1)).count(), most); // held at the end
    EXPECT_EQ(scan::Seconds::of({most, 0, 0}).count(), most);
}

} // namespace
