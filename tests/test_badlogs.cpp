#include "app/reportview.h"
#include "windowfixture.h"

#include <QLineEdit>

namespace {

using Bytes = QByteArray;

Bytes repeated(int count, const std::function<Bytes(int)>& line) {
    Bytes bytes;
    for (int i = 0; i < count; ++i)
        bytes += line(i);
    return bytes;
}

Bytes garbage(int size) { // the same bytes every run
    Bytes bytes(size, Qt::Uninitialized);
    quint32 state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

const Bytes kThreeRuns =
    "a.mv,CUT,0:1:0:0,m,08:00,D1|b.mv,CUT,0:0:30:0,m,09:00,D1|c.mv,cut,0:0:0:45,m,10:00,D2";

Bytes withLineEnds(const char* end) {
    return Bytes(kThreeRuns).replace('|', end);
}

// A bad log and what the user sees: the total, and the date list's size and last item.
struct BadLog {
    const char* name;
    std::function<Bytes()> log;
    const char* total;
    int dates;
    const char* lastDate;
};

class BadLogs : public Window, public ::testing::WithParamInterface<BadLog> {};

TEST_P(BadLogs, OpenTheWindowWithWhatCanBeCounted) {
    testfiles::write(fake.setting + QStringLiteral("/mvsys.log"), GetParam().log());
    ASSERT_EQ(window.Form_Load(), platform::kExitOk);
    EXPECT_EQ(control<QLineEdit>("txtCut")->text(), QLatin1String(GetParam().total));
    const QStringList dates = listItems();
    EXPECT_EQ(dates.size(), GetParam().dates);
    if (GetParam().lastDate) {
        EXPECT_EQ(dates.last(), QString::fromUtf8(GetParam().lastDate));
    }
    const QString report = control<ReportView>("txtReport")->toPlainText();
    EXPECT_TRUE(report.endsWith(QLatin1String("Total cut time  -  ") + GetParam().total));
    EXPECT_TRUE(testfiles::read(csvTemp()).endsWith("\r\n"));
    EXPECT_TRUE(fake.shownMessages().empty());
    window.close();
}

INSTANTIATE_TEST_SUITE_P(
    Logs, BadLogs,
    ::testing::Values(
        BadLog{"BinaryGarbage", [] { return garbage(1 << 16); }, "00:00:00", 0, nullptr},
        BadLog{"NulBytesInFields",
               [] { return Bytes("C:\\a\0b.mv,CUT,0:1:0:0,m\0x,08:00,Mo\0n\r\n", 36); }, "01:00:00",
               1, nullptr},
        BadLog{"FiftyMegabyteLineWithoutLineEnd",
               [] { return Bytes("a.mv,CUT,0:0:2:0,m,08:00,D\r\n") + Bytes(50 << 20, 'x'); },
               "00:02:00", 1, "D  00:02:00"},
        BadLog{"HugeAndOddDurationParts",
               [] {
                   return Bytes("a,CUT,0:1e308:0:0,m,t,D\r\nb,CUT,0:-1e308:0:0,m,t,D\r\n"
                                "c,CUT,0:0:1e9999:0,m,t,D\r\nd,CUT,0:nan:inf:5,m,t,D\r\n");
               },
               "00:00:05", 1, "D  00:00:05"},
        BadLog{"MoreThan32767Dates",
               [] {
                   return repeated(40000, [](int i) {
                       return "p.mv,CUT,0:0:0:1,m,t,d" + Bytes::number(i) + "\r\n";
                   });
               },
               "11:06:40", 40000, "d39999  00:00:01"},
        BadLog{
            "TotalBeyond32767Hours",
            [] { return repeated(40, [](int) { return Bytes("p.mv,CUT,0:1000:0:0,m,t,D\r\n"); }); },
            "40000:00:00", 1, "D  40000:00:00"},
        BadLog{"CrOnlyLineEnds", [] { return withLineEnds("\r"); }, "01:30:45", 2, "D2  00:00:45"},
        BadLog{"LfOnlyLineEnds", [] { return withLineEnds("\n"); }, "01:30:45", 2, "D2  00:00:45"},
        BadLog{"MixedLineEnds",
               [] { return Bytes(kThreeRuns).replace("|b", "\nb").replace("|c", "\r\n\rc"); },
               "01:30:45", 2, "D2  00:00:45"},
        BadLog{"Utf8ByteOrderMark", [] { return "\xEF\xBB\xBF" + withLineEnds("\r\n"); },
               "01:30:45", 2, "D2  00:00:45"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
