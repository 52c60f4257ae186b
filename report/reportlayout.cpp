#include "report/reportlayout.h"

namespace report {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::string_view kTitle = "Milvane Cut time report";
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

// Hands the pieces to `sink`, if there is one, as one line.
template <typename... Pieces> void writeLine(io::ByteSink* sink, const Pieces&... pieces) {
    if (!sink) return;
    const std::string_view list[] = {std::string_view(pieces)...};
    sink->write(io::LinePieces{list, (std::string_view(pieces).size() + ...)});
}

void passOnTo(io::ByteSink* sink, std::string_view bytes) {
    if (sink && !bytes.empty()) sink->write(bytes);
}

} // namespace

ReportLayout::ReportLayout(io::ByteSink* reportFile, io::ByteSink* csvFile,
                           io::ByteSink* reportText)
    : reportFile_(reportFile), csvFile_(csvFile), reportText_(reportText) {}

template <typename... Pieces> void ReportLayout::reportLine(const Pieces&... pieces) {
    writeLine(reportText_, kLineEnd, pieces...);
    writeLine(reportFile_, pieces..., kLineEnd);
}

template <typename... Pieces> void ReportLayout::csvRow(const Pieces&... pieces) {
    writeLine(csvFile_, pieces..., kLineEnd);
}

void ReportLayout::dayTotalLine(std::string_view label, const scan::TimeAmount& amount) {
    if (!reportFile_ && !reportText_) return;
    numbers_.clear();
    scan::appendTimeAmount(numbers_, amount);
    reportLine(label, numbers_);
}

void ReportLayout::totalsRow(std::string_view label, const scan::TimeAmount& amount) {
    if (!csvFile_) return;
    numbers_.clear();
    scan::appendTwoDigit(numbers_, amount.hours);
    numbers_.push_back(',');
    scan::appendTwoDigit(numbers_, amount.minutes);
    numbers_.push_back(',');
    scan::appendTwoDigit(numbers_, amount.seconds);
    csvRow(label, kCsvNoFileFields, numbers_);
}

void ReportLayout::reportOpening(std::string_view today) {
    csvRow(kCsvHeader);
    reportLine(kTitle);
    reportLine(kCreatedOn, today);
    reportLine();
    reportLine();
}

void ReportLayout::dateClosing(std::string_view date, const scan::TimeAmount& dayTotal) {
    reportLine(kSeparatorLine);
    dayTotalLine(kDayTotal, dayTotal);
    totalsRow(date, dayTotal);
    csvRow();
}

void ReportLayout::dateOpening(std::string_view date) {
    reportLine();
    reportLine(kDateHeading, date);
    reportLine(kDateRule);
}

void ReportLayout::runLine(const scan::CutRecord& r, bool opensDateBlock) {
    writeLine(reportFile_, kRunIndent, r.cutFileName, kRunSeparator, r.startTime, kRunSeparator,
              r.durationText, kLineEnd);
    // In the window, a date block's later runs stand after a wider separator.
    writeLine(reportText_, kLineEnd, kRunIndent, r.cutFileName, kRunSeparator, r.startTime,
              opensDateBlock ? kRunSeparator : kLaterRunSeparatorInText, r.durationText);
    csvRow(r.date, ",", r.cutFileName, ",", r.startTime, ",", r.hoursText, ",", r.minutesText, ",",
           r.secondsText);
}

void ReportLayout::logEnd(std::string_view firstDate, std::string_view lastDate,
                          const scan::TimeAmount& total) {
    // The last block's separator and day-total lines came with its date closing.
    reportLine();
    reportLine();
    reportLine(kSummaryHeading);
    reportLine(kSummaryRule);
    reportLine();
    reportLine(kCoverageFrom, firstDate, kCoverageTo, lastDate);
    dayTotalLine(kGrandTotal, total);

    csvRow();
    totalsRow(kCsvTotalLabel, total);
}

void ReportLayout::passOn(const LaidOutLines& lines) {
    passOnTo(reportFile_, lines.reportFile);
    passOnTo(csvFile_, lines.csvFile);
    passOnTo(reportText_, lines.reportText);
}

std::string dateListItem(const scan::DayItem& day) {
    std::string text = day.date;
    text.append(kDateListGap);
    scan::appendTimeAmount(text, day.total);
    return text;
}

} // namespace report
