#pragma once

#include "scan/bytesink.h"
#include "scan/cuttally.h"

#include <string>
#include <string_view>

namespace scan {

// Lays out every line of the three outputs of a scan as the tally's events arrive:
// - the report file: each line followed by CR LF;
// - the report text shown in the window: each line preceded by CR LF, so it begins with an empty
//   line and has no line end after its last line; in a date block's second and later run lines
//   the duration stands after "   -   " instead of "  -  ";
// - the CSV file: each row followed by CR LF.
// Log bytes pass through unchanged.
class ReportLayout final : public ScanEvents {
public:
    // `today` is the "Created on" date. `reportText` may be null when no window shows the text.
    ReportLayout(std::string today, ByteSink& reportFile, ByteSink& csvFile, ByteSink* reportText);

    void reportOpening() override;
    void dateClosing(std::string_view date, const TimeAmount& dayTotal) override;
    void dateOpening(std::string_view date) override;
    void runLine(const RunLine& run) override;
    void logEnd(std::string_view firstDate, std::string_view lastDate,
                const TimeAmount& total) override;

private:
    // Each line goes to each output as one list of pieces, with its line end.
    template <typename... Pieces> void reportLine(const Pieces&... pieces);
    template <typename... Pieces> void csvRow(const Pieces&... pieces);
    void dayTotalLine(std::string_view label, const TimeAmount& amount);
    void totalsRow(std::string_view label, const TimeAmount& amount);

    std::string today_;
    ByteSink& reportFile_;
    ByteSink& csvFile_;
    ByteSink* reportText_;
    std::string numbers_; // the counters of a total, formatted
};

// The text of a date block's item in the window's date list: the date as the log writes it, two
// blanks, and the block's cut time as hh:mm:ss.
std::string dateListItem(const DayItem& day);

} // namespace scan
