#pragma once

#include "io/bytesink.h"
#include "report/reportdata.h"
#include "webreport/pageheader.h"

#include <QString>
#include <vector>

namespace webreport {

// Past this many date blocks the chart shows ISO weeks, or months, instead of single blocks: at
// 400 bars across a page (about 2.3 units of the chart's 1000 each, some 4 px on a screen and
// 0.4 mm on A4) every bar can still be seen and pointed at, while more would melt into a band.
constexpr size_t kChartBarLimit = 400;
// Cut file names listed one by one; the rest are summed on one line.
constexpr size_t kTopFiles = 50;

// One bar of the chart.
struct ChartBar {
    QString label;
    qint64 totalSeconds = 0;
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

// Writes the report as one self-contained HTML page, UTF-8: no script, no external asset.
void writeHtmlPage(const report::ReportData& data, const PageHeader& header, io::ByteSink& sink);

} // namespace webreport
