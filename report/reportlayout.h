#pragma once

#include "io/bytesink.h"
#include "scan/dateblocks.h"
#include "scan/logrecord.h"
#include "scan/timeamount.h"

#include <string>
#include <string_view>

namespace report {

// Lines laid out ahead for each of a layout's outputs (by another layout, into string sinks).
struct LaidOutLines {
    std::string_view reportFile;
    std::string_view csvFile;
    std::string_view reportText;
};

// Lays out every line of the three outputs of a scan:
// - the report file: each line followed by CR LF;
// - the report text shown in the window: each line preceded by CR LF, so it begins with an empty
//   line and has no line end after its last line; in a date block's second and later run lines
//   the duration stands after "   -   " instead of "  -  ";
// - the CSV file: each row followed by CR LF.
// Any of them may be left out (null). Log bytes pass through unchanged.
//
// A scan writes, in this order: the report opening once; for every counted record, at a new date
// the closing of the block before (unless it is the first block) and the opening of the new one,
// then the record's run line; at the log's end the closing of the last block, even when no
// record was counted, then the log end.
class ReportLayout {
public:
    ReportLayout(io::ByteSink* reportFile, io::ByteSink* csvFile, io::ByteSink* reportText);

    // `today` is the "Created on" date.
    void reportOpening(std::string_view today);
    void dateClosing(std::string_view date, const scan::TimeAmount& dayTotal);
    void dateOpening(std::string_view date);
    // `opensDateBlock`: the record's date differed from the block before it. The record's date
    // is its block's.
    void runLine(const scan::CutRecord& record, bool opensDateBlock);
    void logEnd(std::string_view firstDate, std::string_view lastDate,
                const scan::TimeAmount& total);
    // Passes on lines laid out ahead, each to its own output.
    void passOn(const LaidOutLines& lines);

private:
    // Each line goes to each output as one list of pieces, with its line end.
    template <typename... Pieces> void reportLine(const Pieces&... pieces);
    template <typename... Pieces> void csvRow(const Pieces&... pieces);
    void dayTotalLine(std::string_view label, const scan::TimeAmount& amount);
    void totalsRow(std::string_view label, const scan::TimeAmount& amount);

    io::ByteSink* reportFile_;
    io::ByteSink* csvFile_;
    io::ByteSink* reportText_;
    std::string numbers_; // the counters of a total, formatted
};

// The text of a date block's item in the window's date list: the date as the log writes it, two
// blanks, and the block's cut time as hh:mm:ss.
std::string dateListItem(const scan::DayItem& day);

} // namespace report
