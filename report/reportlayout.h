#pragma once

#include "io/bytesink.h"
#include "report/fold.h"

#include <string>
#include <string_view>

namespace report {

// Ends every line of the report, the CSV and the window's text.
constexpr std::string_view kLineEnd = "\r\n";
// The report's title, and the web page's.
constexpr std::string_view kReportTitle = "Milvane Cut time report";

// Lays out every line of the three outputs of a scan:
// - the report file: each line followed by CR LF;
// - the report text shown in the window: each line preceded by CR LF, so it begins with an empty
//   line and has no line end after its last line; in a date block's second and later run lines
//   the duration stands after "   -   " instead of "  -  ";
// - the CSV file: each row followed by CR LF.
// Any of them may be left out (null). Log bytes pass through unchanged.
class ReportLayout final : public ScanOutput {
public:
    // `today` is the "Created on" date.
    ReportLayout(std::string today, io::ByteSink* reportFile, io::ByteSink* csvFile,
                 io::ByteSink* reportText);

    void reportOpening() override;
    void dateClosing(const DateBlock& block) override;
    void dateOpening(const DateBlock& block) override;
    void runLine(const scan::CutRecord& record, bool opensBlock) override;
    void logEnd(const ScanTotals& totals) override;

private:
    template <typename... Pieces> void reportLine(const Pieces&... pieces);
    template <typename... Pieces> void csvRow(const Pieces&... pieces);
    void totalsRow(std::string_view label, const scan::TimeAmount& amount);

    std::string today_;
    io::ByteSink* reportFile_;
    io::ByteSink* csvFile_;
    io::ByteSink* reportText_;
};

// The text of a date block's item in the window's date list: the date as the log writes it, two
// blanks, and the block's cut time as hh:mm:ss.
std::string dateListItem(const DateBlock& block);

} // namespace report
