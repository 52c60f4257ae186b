#include "scan/reportlayout.h"

namespace scan {

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

// Hands the pieces to `sink` as one line.
template <typename... Pieces> void writeLine(ByteSink& sink, const Pieces&... pieces) {
    const std::string_view list[] = {std::string_view(pieces)...};
    sink.write(LinePieces{list, (std::string_view(pieces).size() + ...)});
}

} // namespace

ReportLayout::ReportLayout(std::string today, ByteSink& reportFile, ByteSink& csvFile,
                           ByteSink* reportText)
    : today_(std::move(today)), reportFile_(reportFile), csvFile_(csvFile),
      reportText_(reportText) {}

template <typename... Pieces> void ReportLayout::reportLine(const Pieces&... pieces) {
    if (reportText_) writeLine(*reportText_, kLineEnd, pieces...);
    writeLine(reportFile_, pieces..., kLineEnd);
}

template <typename... Pieces> void ReportLayout::csvRow(const Pieces&... pieces) {
    writeLine(csvFile_, pieces..., kLineEnd);
}

void ReportLayout::dayTotalLine(std::string_view label, const TimeAmount& amount) {
    numbers_.clear();
    appendTimeAmount(numbers_, amount);
    reportLine(label, numbers_);
}

void ReportLayout::totalsRow(std::string_view label, const TimeAmount& amount) {
    numbers_.clear();
    appendTwoDigit(numbers_, amount.hours);
    numbers_.push_back(',');
    appendTwoDigit(numbers_, amount.minutes);
    numbers_.push_back(',');
    appendTwoDigit(numbers_, amount.seconds);
    csvRow(label, kCsvNoFileFields, numbers_);
}

void ReportLayout::reportOpening() {
    csvRow(kCsvHeader);
    reportLine(kTitle);
    reportLine(kCreatedOn, today_);
    reportLine();
    reportLine();
}

void ReportLayout::dateClosing(std::string_view date, const TimeAmount& dayTotal) {
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

void ReportLayout::runLine(const RunLine& run) {
    const CutRecord& r = run.record;
    writeLine(reportFile_, kRunIndent, r.cutFileName, kRunSeparator, r.startTime, kRunSeparator,
              r.durationText, kLineEnd);
    if (reportText_) {
        // In the window, a date block's later runs stand after a wider separator.
        writeLine(*reportText_, kLineEnd, kRunIndent, r.cutFileName, kRunSeparator, r.startTime,
                  run.opensDateBlock ? kRunSeparator : kLaterRunSeparatorInText, r.durationText);
    }
    csvRow(run.date, ",", r.cutFileName, ",", r.startTime, ",", r.hoursText, ",", r.minutesText,
           ",", r.secondsText);
}

void ReportLayout::logEnd(std::string_view firstDate, std::string_view lastDate,
                          const TimeAmount& total) {
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

std::string dateListItem(const DayItem& day) {
    std::string text = day.date;
    text.append(kDateListGap);
    appendTimeAmount(text, day.total);
    return text;
}

} // namespace scan
