#include "report/reportlayout.h"

namespace report {

namespace {

constexpr std::string_view kCreatedOn = "Created on ";
constexpr std::string_view kDateHeading = "Files cut on ";
constexpr std::string_view kDateRule = "***************************";
constexpr std::string_view kRunIndent = "      ";
constexpr std::string_view kRunSeparator = "  -  ";
constexpr std::string_view kLaterRunSeparatorInText = "   -   ";
constexpr std::string_view kSeparatorLine =
    "      ---------------------------------------------------------- ";
constexpr std::string_view kDayTotal = "      Total cut time for this date   -   ";
constexpr std::string_view kSummaryHeading = "Report Summary";
constexpr std::string_view kSummaryRule = "**************";
constexpr std::string_view kCoverageFrom = "Report covers from ";
constexpr std::string_view kCoverageTo = " to ";
constexpr std::string_view kGrandTotal = "Total cut time  -  ";

constexpr std::string_view kCsvHeader = "Date, File Name, Startime, File Hours,File Minutes,"
                                        "File Seconds,Daily Hours,Daily Minutes,Daily Seconds";
constexpr std::string_view kCsvTotalLabel = "Total";
constexpr std::string_view kCsvNoFileFields = ",,,,,,"; // the five empty columns before the totals

constexpr std::string_view kDateListGap = "  ";

// Hands the pieces to `sink`, if there is one, one after another.
template <typename... Pieces> void writeLine(io::ByteSink* sink, const Pieces&... pieces) {
    if (sink) (*sink << ... << std::string_view(pieces));
}

} // namespace

ReportLayout::ReportLayout(std::string today, io::ByteSink* reportFile, io::ByteSink* csvFile,
                           io::ByteSink* reportText)
    : today_(std::move(today)), reportFile_(reportFile), csvFile_(csvFile),
      reportText_(reportText) {}

template <typename... Pieces> void ReportLayout::reportLine(const Pieces&... pieces) {
    writeLine(reportText_, kLineEnd, pieces...);
    writeLine(reportFile_, pieces..., kLineEnd);
}

template <typename... Pieces> void ReportLayout::csvRow(const Pieces&... pieces) {
    writeLine(csvFile_, pieces..., kLineEnd);
}

void ReportLayout::totalsRow(std::string_view label, const scan::TimeAmount& amount) {
    std::string numbers;
    scan::appendTwoDigit(numbers, amount.hours);
    numbers.push_back(',');
    scan::appendTwoDigit(numbers, amount.minutes);
    numbers.push_back(',');
    scan::appendTwoDigit(numbers, amount.seconds);
    csvRow(label, kCsvNoFileFields, numbers);
}

void ReportLayout::reportOpening() {
    csvRow(kCsvHeader);
    reportLine(kReportTitle);
    reportLine(kCreatedOn, today_);
    reportLine();
    reportLine();
}

void ReportLayout::dateClosing(const DateBlock& block) {
    reportLine(kSeparatorLine);
    reportLine(kDayTotal, block.total.text());
    totalsRow(block.date, block.total);
    csvRow();
}

void ReportLayout::dateOpening(const DateBlock& block) {
    reportLine();
    reportLine(kDateHeading, block.date);
    reportLine(kDateRule);
}

void ReportLayout::runLine(const scan::CutRecord& r, bool opensBlock) {
    writeLine(reportFile_, kRunIndent, r.cutFileName, kRunSeparator, r.startTime, kRunSeparator,
              r.durationText, kLineEnd);
    // In the window, a date block's later runs stand after a wider separator.
    writeLine(reportText_, kLineEnd, kRunIndent, r.cutFileName, kRunSeparator, r.startTime,
              opensBlock ? kRunSeparator : kLaterRunSeparatorInText, r.durationText);
    csvRow(r.date, ",", r.cutFileName, ",", r.startTime, ",", r.hoursText, ",", r.minutesText, ",",
           r.secondsText);
}

// The last block's separator and day-total lines came with its date closing.
void ReportLayout::logEnd(const ScanTotals& totals) {
    const DateBlock none;
    const DateBlock& first = totals.blocks.empty() ? none : totals.blocks.front();
    const DateBlock& last = totals.blocks.empty() ? none : totals.blocks.back();
    reportLine();
    reportLine();
    reportLine(kSummaryHeading);
    reportLine(kSummaryRule);
    reportLine();
    reportLine(kCoverageFrom, first.date, kCoverageTo, last.date);
    reportLine(kGrandTotal, totals.total.text());
    csvRow();
    totalsRow(kCsvTotalLabel, totals.total);
}

std::string dateListItem(const DateBlock& block) {
    std::string text = block.date;
    text.append(kDateListGap);
    text.append(block.total.text());
    return text;
}

} // namespace report
