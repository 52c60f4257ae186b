#pragma once

#include "io/bytesink.h"
#include "report/cost.h"
#include "report/reportdata.h"
#include "report/reportlayout.h"
#include "scan/cuttime.h"
#include "scan/period.h"

#include <QString>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace webreport {

// The pieces of the web pages: the head, the chart's frame, and the sections that show one log's
// data, which the page of several machines repeats for each of them.

// Past this many date blocks the chart shows ISO weeks, or months, instead of single blocks: at
// 400 bars across a page (about 2.3 units of the chart's 1000 each, some 4 px on a screen and
// 0.4 mm on A4) every bar can still be seen and pointed at, while more would melt into a band.
constexpr size_t kChartBarLimit = 400;
// Cut file names listed one by one; the rest are summed on one line.
constexpr size_t kTopFiles = 50;

// The chart's drawing area, in the units of its viewBox.
constexpr double kChartWidth = 1000;
constexpr double kChartHeight = 300;
constexpr double kPlotLeft = 70;
constexpr double kPlotRight = 990;
constexpr double kPlotTop = 15;
constexpr double kPlotBottom = 260;
constexpr double kLabelBaseline = 280;

// One bar of the chart.
struct ChartBar {
    QString label;
    scan::Seconds time;
};

// What the chart shows: the bars, and a note when they are not single date blocks.
struct Chart {
    std::vector<ChartBar> bars;
    QString note; // empty when each bar is one date block
};

// One bar per date block in log order, up to kChartBarLimit; past it one per ISO week, else one
// per month (both in date order, without the dates that do not parse), else groups of
// consecutive date blocks in log order: never more than kChartBarLimit bars.
Chart chartOf(const report::ReportData& data);

void appendNumber(std::string& out, double value); // two decimals
// A log's text for the page; an empty one is named as such.
void logText(io::ByteSink& out, std::string_view logBytes);
void text(io::ByteSink& out, QStringView plain);

// What a cut time costs, as the page shows it ("12.50&#160;EUR"), where a rate is given.
std::optional<std::string> costText(const std::optional<report::Pricing>& pricing,
                                    scan::Seconds time);

// The header's line of what the total cut time cost, where a rate is given.
void costLine(io::ByteSink& out, const std::optional<report::Pricing>& pricing,
              scan::Seconds total);

// A table of totals: its heading row, a line per row (its label, runs and cut time, and its cost
// where a rate is given; a label from the log in a cell of its own class), and its end.
void openTotals(io::ByteSink& out, std::string_view column, bool withCost = false);
void totalRow(io::ByteSink& out, std::string_view label, bool logLabel, qint64 runs,
              std::string_view time, const std::optional<std::string>& cost = std::nullopt);
void totalRows(io::ByteSink& out, std::span<const report::TotalRow> rows, bool logLabels,
               const std::optional<report::Pricing>& pricing);
void closeTotals(io::ByteSink& out);

// The page up to its body, with `moreStyle` (a <style> element) after the common style.
void pageStart(io::ByteSink& out, std::string_view moreStyle = {});
// The line of the header that names the period; nothing for the whole log.
void periodLine(io::ByteSink& out, const scan::Period& period);

// The vertical scale of a chart from its lowest to its highest value, zero always on it.
struct ChartFrame {
    ChartFrame(qint64 lowest, qint64 highest);
    double yOf(double seconds) const;
    qint64 low = 0;
    qint64 high = 0;
};
// The chart's <svg> opening and its grid lines with their labels.
void openChart(io::ByteSink& out, const ChartFrame& frame, std::string_view label);
// A bar's <rect> opening, left open for its <title>; `fill` where the class does not give it.
void barRect(io::ByteSink& out, const ChartFrame& frame, std::string_view classes, double x,
             double width, qint64 seconds, std::string_view fill = {});
// A label under the bars, shortened to fit.
void axisLabel(io::ByteSink& out, double x, std::string_view anchor, const QString& label);

// The chart, the files, the weeks and months, the timeline and the runs per date of one log, with
// their costs where a rate is given; `ids` goes before
// each element id, so that several logs can stand on one page.
void logSections(io::ByteSink& out, const report::ReportData& data, std::string_view ids,
                 const std::optional<report::Pricing>& pricing);

} // namespace webreport
