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

void appendAll(std::string&) {}
template <typename First, typename... Rest>
void appendAll(std::string& out, const First& first, const Rest&... rest) {
    out.append(first);
    appendAll(out, rest...);
}

} // namespace

ReportLayout::ReportLayout(std::string today, ByteSink& reportFile, ByteSink& csvFile,
                           ByteSink* reportText)
    : today_(std::move(today)), reportFile_(reportFile), csvFile_(csvFile),
      reportText_(reportText) {}

void ReportLayout::reportLine(std::string_view line) {
    if (reportText_) {
        reportText_->write(kLineEnd);
        reportText_->write(line);
    }
    reportFile_.write(line);
    reportFile_.write(kLineEnd);
}

template <typename... Pieces> void ReportLayout::reportLine(const Pieces&... pieces) {
    line_.clear();
    appendAll(line_, pieces...);
    reportLine(std::string_view(line_));
}

template <typename... Pieces> void ReportLayout::csvRow(const Pieces&... pieces) {
    line_.clear();
    appendAll(line_, pieces..., kLineEnd);
    csvFile_.write(line_);
}

void ReportLayout::totalsRow(std::string_view label, const TimeAmount& amount) {
    line_.clear();
    appendAll(line_, label, kCsvNoFileFields);
    appendTwoDigit(line_, amount.hours);
    line_.push_back(',');
    appendTwoDigit(line_, amount.minutes);
    line_.push_back(',');
    appendTwoDigit(line_, amount.seconds);
    line_.append(kLineEnd);
    csvFile_.write(line_);
}

void ReportLayout::reportOpening() {
    csvRow(kCsvHeader);
    reportLine(kTitle);
    reportLine(kCreatedOn, today_);
    reportLine(std::string_view());
    reportLine(std::string_view());
}

void ReportLayout::dateClosing(std::string_view date, const TimeAmount& dayTotal) {
    reportLine(kSeparatorLine);
    line_.assign(kDayTotal);
    appendTimeAmount(line_, dayTotal);
    reportLine(std::string_view(line_));

    totalsRow(date, dayTotal);
    csvRow();
}

void ReportLayout::dateOpening(std::string_view date) {
    reportLine(std::string_view());
    reportLine(kDateHeading, date);
    reportLine(kDateRule);
}

void ReportLayout::runLine(const RunLine& run) {
    const CutRecord& r = run.record;
    // The line up to the second separator is the same in both reports; so is what follows it.
    line_.clear();
    appendAll(line_, kRunIndent, r.cutFileName, kRunSeparator, r.startTime);
    const size_t headSize = line_.size();
    appendAll(line_, kRunSeparator, r.hoursText, ":", r.minutesText, ":", r.secondsText);
    const std::string_view line(line_);

    reportFile_.write(line);
    reportFile_.write(kLineEnd);
    if (reportText_) {
        reportText_->write(kLineEnd);
        if (run.opensDateBlock) {
            reportText_->write(line);
        } else {
            reportText_->write(line.substr(0, headSize));
            reportText_->write(kLaterRunSeparatorInText);
            reportText_->write(line.substr(headSize + kRunSeparator.size()));
        }
    }

    csvRow(run.date, ",", r.cutFileName, ",", r.startTime, ",", r.hoursText, ",", r.minutesText,
           ",", r.secondsText);
}

void ReportLayout::logEnd(std::string_view firstDate, std::string_view lastDate,
                          const TimeAmount& total) {
    // The last block's separator and day-total lines came with its date closing.
    reportLine(std::string_view());
    reportLine(std::string_view());
    reportLine(kSummaryHeading);
    reportLine(kSummaryRule);
    reportLine(std::string_view());
    reportLine(kCoverageFrom, firstDate, kCoverageTo, lastDate);
    line_.assign(kGrandTotal);
    appendTimeAmount(line_, total);
    reportLine(std::string_view(line_));

    csvRow();
    totalsRow(kCsvTotalLabel, total);
}

} // namespace scan
