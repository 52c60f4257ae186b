#include "webreport/pagesections.h"

#include "report/displaytext.h"
#include "webreport/textescape.h"
#include "webreport/timelinesection.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace webreport {

namespace {

constexpr std::string_view kStyle = R"(<style>
body{font-family:system-ui,"Segoe UI",Arial,sans-serif;margin:1.5em auto;max-width:60em;padding:0 1em;color:#222}
h1{font-size:1.5em;margin-bottom:.2em}h2{font-size:1.15em;margin-top:1.6em;border-bottom:1px solid #ccc}
.facts p{margin:.2em 0}.grand{font-size:1.2em;font-weight:bold}
code,.text{font-family:Consolas,"DejaVu Sans Mono",monospace;word-break:break-all}
table{border-collapse:collapse;margin:.4em 0}th,td{padding:.15em .6em;text-align:left;vertical-align:top}
th{border-bottom:1px solid #999}td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}
tr.rest td,tfoot td{border-top:1px solid #999;font-style:italic}
.periods{display:flex;flex-wrap:wrap;gap:0 3em}.note{color:#555}.empty{color:#777;font-style:italic}
svg.chart{width:100%;height:auto;display:block}.bar{fill:#2f6db5}.bar.negative{fill:#b53a2f}
.grid{stroke:#ddd;stroke-width:1}.axis{stroke:#666;stroke-width:1}svg text{font-size:11px;fill:#444}
details{margin:.2em 0}summary{cursor:pointer}
@page{size:A4;margin:12mm}
@media print{body{max-width:none;margin:0;padding:0}h2{break-after:avoid}tr,details,svg{break-inside:avoid}}
</style>
)";

constexpr int kMostAxisLabels = 6;
constexpr int kMostTicks = 5;
constexpr qsizetype kLongestAxisLabel = 16;
constexpr qint64 kLargestStep = qint64{1} << 60;

QString shortened(const QString& label) {
    if (label.size() <= kLongestAxisLabel) return label;
    qsizetype cut = kLongestAxisLabel - 1;
    if (label.at(cut - 1).isHighSurrogate()) --cut;
    return label.left(cut) + QChar(0x2026);
}

// The distance between the chart's grid lines: a round number of minutes or hours that gives
// at most kMostTicks lines over `span` seconds.
qint64 tickStep(double span) {
    static constexpr std::array<qint64, 7> kMinuteSteps = {60, 120, 300, 600, 900, 1200, 1800};
    for (qint64 step : kMinuteSteps) {
        if (span / static_cast<double>(step) <= kMostTicks) return step;
    }
    for (qint64 hours = 1;; hours *= 10) {
        for (qint64 factor : {1, 2, 5}) {
            const qint64 step = hours * factor * 3600;
            if (span / static_cast<double>(step) <= kMostTicks || step > kLargestStep) return step;
        }
    }
}

// "5 h" on a grid of whole hours, else "hh:mm".
std::string tickLabel(qint64 seconds, qint64 step) {
    if (step % 3600 == 0) return std::to_string(seconds / 3600) + " h";
    const std::string time = scan::Seconds(seconds).clockText();
    return time.substr(0, time.size() - 3); // hh:mm
}

} // namespace

// Written with std::to_chars, which keeps to "." whatever the locale the program runs in: a
// window started in a German locale would otherwise write "480,00" into the SVG.
void appendNumber(std::string& out, double value) {
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    out.append(text, written.ptr);
}

void logText(io::ByteSink& out, std::string_view logBytes) {
    if (logBytes.empty())
        out << "<span class=\"empty\">(empty)</span>";
    else
        appendHtmlLogText(out.buffer(), logBytes);
}

void text(io::ByteSink& out, QStringView plain) {
    appendHtmlText(out.buffer(), plain);
}

std::optional<std::string> costText(const std::optional<report::Pricing>& pricing,
                                    scan::Seconds time) {
    if (!pricing) return std::nullopt;
    std::string text = pricing->rate.costOf(time).text();
    if (pricing->currency) {
        text += "&#160;";
        appendHtmlText(text, *pricing->currency);
    }
    return text;
}

void costLine(io::ByteSink& out, const std::optional<report::Pricing>& pricing,
              scan::Seconds total) {
    if (!pricing) return;
    out << "<p>Cost: <span id=\"cost\">" << *costText(pricing, total) << "</span>, at "
        << pricing->rate.text();
    if (pricing->currency) {
        out << "&#160;";
        text(out, *pricing->currency);
    }
    out << " per hour of cutting</p>\n";
}

void openTotals(io::ByteSink& out, std::string_view column, bool withCost) {
    out << "<table>\n<thead><tr><th>" << column
        << "</th><th class=\"n\">Runs</th><th class=\"n\">Cut time</th>"
        << (withCost ? "<th class=\"n\">Cost</th>" : "") << "</tr></thead>\n<tbody>\n";
}

void totalRow(io::ByteSink& out, std::string_view label, bool logLabel, qint64 runs,
              std::string_view time, const std::optional<std::string>& cost) {
    out << (logLabel ? "<tr><td class=\"text\">" : "<tr><td>");
    logText(out, label);
    out << "</td><td class=\"n\">" << runs << "</td><td class=\"n\">" << time << "</td>";
    if (cost) out << "<td class=\"n\">" << *cost << "</td>";
    out << "</tr>\n";
}

void totalRows(io::ByteSink& out, std::span<const report::TotalRow> rows, bool logLabels,
               const std::optional<report::Pricing>& pricing) {
    for (const report::TotalRow& row : rows)
        totalRow(out, row.label, logLabels, row.runs, row.time.clockText(),
                 costText(pricing, row.time));
}

void closeTotals(io::ByteSink& out) {
    out << "</tbody>\n</table>\n";
}

ChartFrame::ChartFrame(qint64 lowest, qint64 highest)
    : low(std::min<qint64>(lowest, 0)), high(std::max<qint64>(highest, 0)) {
    if (high == low) high = low + 3600;
}

double ChartFrame::yOf(double seconds) const {
    const double span = static_cast<double>(high) - static_cast<double>(low);
    return kPlotTop + (static_cast<double>(high) - seconds) / span * (kPlotBottom - kPlotTop);
}

void openChart(io::ByteSink& out, const ChartFrame& frame, std::string_view label) {
    out << "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
    appendNumber(out.buffer(), kChartWidth);
    out << " ";
    appendNumber(out.buffer(), kChartHeight);
    out << "\" role=\"img\" aria-label=\"" << label << "\">\n";

    const qint64 low = frame.low, high = frame.high;
    const qint64 step = tickStep(static_cast<double>(high) - static_cast<double>(low));
    for (qint64 tick = low / step * step; tick <= high;
         tick = (scan::Seconds(tick) + scan::Seconds(step)).count()) {
        if (tick < low) continue;
        const double y = frame.yOf(static_cast<double>(tick));
        out << "<line class=\"" << (tick == 0 ? "axis" : "grid") << "\" x1=\"";
        appendNumber(out.buffer(), kPlotLeft);
        out << "\" x2=\"";
        appendNumber(out.buffer(), kPlotRight);
        out << "\" y1=\"";
        appendNumber(out.buffer(), y);
        out << "\" y2=\"";
        appendNumber(out.buffer(), y);
        out << "\"/><text class=\"tick\" x=\"";
        appendNumber(out.buffer(), kPlotLeft - 6);
        out << "\" y=\"";
        appendNumber(out.buffer(), y + 4);
        out << "\" text-anchor=\"end\">" << tickLabel(tick, step) << "</text>\n";
        if (tick > high - step) break;
    }
}

void barRect(io::ByteSink& out, const ChartFrame& frame, std::string_view classes, double x,
             double width, qint64 seconds, std::string_view fill) {
    const double top = frame.yOf(static_cast<double>(std::max<qint64>(seconds, 0)));
    const double bottom = frame.yOf(static_cast<double>(std::min<qint64>(seconds, 0)));
    out << "<rect class=\"" << classes << "\" x=\"";
    appendNumber(out.buffer(), x);
    out << "\" y=\"";
    appendNumber(out.buffer(), top);
    out << "\" width=\"";
    appendNumber(out.buffer(), width);
    out << "\" height=\"";
    appendNumber(out.buffer(), bottom - top);
    if (!fill.empty()) out << "\" fill=\"" << fill;
    out << "\">";
}

void axisLabel(io::ByteSink& out, double x, std::string_view anchor, const QString& label) {
    out << "<text class=\"label\" x=\"";
    appendNumber(out.buffer(), x);
    out << "\" y=\"";
    appendNumber(out.buffer(), kLabelBaseline);
    out << "\" text-anchor=\"" << anchor << "\">";
    text(out, shortened(label));
    out << "</text>\n";
}

void pageStart(io::ByteSink& out, std::string_view moreStyle) {
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>"
        << report::kReportTitle << "</title>\n"
        << kStyle << moreStyle << "</head>\n<body>\n";
}

void periodLine(io::ByteSink& out, const scan::Period& period) {
    if (period.isWholeLog()) return;
    const auto day = [](const QDate& end) { return end.toString(Qt::ISODate).toStdString(); };
    out << "<p>Period: <span id=\"period\">";
    if (period.from && period.to)
        out << day(*period.from) << " to " << day(*period.to);
    else if (period.from)
        out << "from " << day(*period.from);
    else
        out << "up to " << day(*period.to);
    out << "</span>, both days included; the runs of other dates, and of dates that do not "
           "parse, are left out.</p>\n";
}

namespace {

void chartSvg(io::ByteSink& out, const Chart& chart) {
    qint64 low = 0, high = 0;
    for (const ChartBar& bar : chart.bars) {
        low = std::min(low, bar.time.count());
        high = std::max(high, bar.time.count());
    }
    const ChartFrame frame(low, high);
    openChart(out, frame, "Cut time per bar");

    const size_t count = chart.bars.size();
    const double slot = (kPlotRight - kPlotLeft) / static_cast<double>(std::max<size_t>(count, 1));
    const double width = count <= 100 ? slot * 0.8 : slot;
    for (size_t i = 0; i < count; ++i) {
        const ChartBar& bar = chart.bars[i];
        barRect(out, frame, bar.time.count() < 0 ? "bar negative" : "bar",
                kPlotLeft + slot * static_cast<double>(i) + (slot - width) / 2, width,
                bar.time.count());
        out << "<title>";
        text(out, bar.label);
        out << ": " << bar.time.clockText() << "</title></rect>\n";
    }

    // A few labels under the bars: the first, the last and some evenly between.
    const size_t labels = std::min<size_t>(count, kMostAxisLabels);
    for (size_t k = 0; k < labels; ++k) {
        const size_t i = labels == 1 ? 0 : k * (count - 1) / (labels - 1);
        const char* anchor = labels > 1 && k == 0            ? "start"
                             : labels > 1 && k == labels - 1 ? "end"
                                                             : "middle";
        const double x = std::string_view(anchor) == "start" ? kPlotLeft + slot * i
                         : std::string_view(anchor) == "end" ? kPlotLeft + slot * (i + 1)
                                                             : kPlotLeft + slot * (i + 0.5);
        axisLabel(out, x, anchor, chart.bars[i].label);
    }
    out << "</svg>\n";
}

void chartSection(io::ByteSink& out, const report::ReportData& data, std::string_view ids) {
    out << "<section id=\"" << ids << "chart\">\n<h2>Cut time per date</h2>\n";
    const Chart chart = chartOf(data);
    if (!chart.note.isEmpty()) {
        out << "<p class=\"note\" id=\"" << ids << "chart-note\">";
        text(out, chart.note);
        out << "</p>\n";
    }
    if (chart.bars.empty())
        out << "<p class=\"note\">No cut time to show.</p>\n";
    else
        chartSvg(out, chart);
    out << "</section>\n";
}

void filesSection(io::ByteSink& out, const report::ReportData& data, std::string_view ids,
                  const std::optional<report::Pricing>& pricing) {
    out << "<section id=\"" << ids << "files\">\n<h2>Cut time per file</h2>\n";
    openTotals(out, "File", pricing.has_value());
    const size_t shown = std::min(data.files.size(), kTopFiles);
    totalRows(out, std::span(data.files).first(shown), true, pricing);
    if (data.files.size() > shown) {
        report::TotalRow rest;
        for (const report::TotalRow& file : std::span(data.files).subspan(shown)) {
            rest.runs += file.runs;
            rest.time += file.time;
        }
        out << "<tr class=\"rest\"><td>the other " << static_cast<qint64>(data.files.size() - shown)
            << " files</td><td class=\"n\">" << rest.runs << "</td><td class=\"n\">"
            << rest.time.clockText() << "</td>";
        if (const auto cost = costText(pricing, rest.time))
            out << "<td class=\"n\">" << *cost << "</td>";
        out << "</tr>\n";
    }
    closeTotals(out);
    out << "</section>\n";
}

void periodTable(io::ByteSink& out, std::string_view ids, std::string_view id,
                 std::string_view heading, std::string_view column,
                 const std::vector<report::TotalRow>& periods,
                 const std::optional<report::Pricing>& pricing) {
    out << "<div id=\"" << ids << id << "\">\n<h3>" << heading << "</h3>\n";
    openTotals(out, column, pricing.has_value());
    totalRows(out, periods, false, pricing);
    closeTotals(out);
    out << "</div>\n";
}

void periodsSection(io::ByteSink& out, const report::ReportData& data, std::string_view ids,
                    const std::optional<report::Pricing>& pricing) {
    out << "<section id=\"" << ids
        << "periods\">\n<h2>Cut time per week and month</h2>\n<p class=\"note\">"
           "Dates read as "
        << scan::dateOrderWords(data.dateOrder)
        << "; weeks are ISO weeks, from Monday.</p>\n<div class=\"periods\">\n";
    periodTable(out, ids, "weeks", "Weeks", "Week", data.weeks, pricing);
    periodTable(out, ids, "months", "Months", "Month", data.months, pricing);
    out << "</div>\n";
    if (!data.unparsed.empty()) {
        out << "<div id=\"" << ids
            << "unparsed\">\n<h3>Dates that do not parse</h3>\n<p class=\"note\">Left "
               "out of the weeks and months; their cut time is in the total.</p>\n";
        openTotals(out, "Date", pricing.has_value());
        totalRows(out, data.unparsed, true, pricing);
        closeTotals(out);
        out << "</div>\n";
    }
    out << "</section>\n";
}

void runsOfBlocks(io::ByteSink& out, const report::ReportData& data,
                  const std::optional<report::Pricing>& pricing) {
    size_t row = 0;
    for (size_t i = 0; i < data.blocks.size(); ++i) {
        const report::DatedBlock& block = data.blocks[i];
        out << "<details><summary>";
        logText(out, block.date);
        out << " &#8212; " << block.total.text() << ", " << block.runs
            << (block.runs == 1 ? " run" : " runs");
        if (const auto cost = costText(pricing, scan::Seconds::of(block.total)))
            out << ", " << *cost;
        out << "</summary>\n<table>\n<thead><tr><th>File</th><th>Start</th><th>Duration</th>"
               "</tr></thead>\n<tbody>\n";
        for (; row < data.runRows.size() && data.runRows[row].block == i; ++row) {
            const report::RunRow& run = data.runRows[row];
            out << "<tr><td class=\"text\">";
            logText(out, run.cutFileName);
            out << "</td><td class=\"text\">";
            appendHtmlLogText(out.buffer(), run.startTime);
            out << "</td><td class=\"text\">";
            appendHtmlLogText(out.buffer(), run.durationText);
            out << "</td></tr>\n";
        }
        out << "</tbody>\n</table>\n</details>\n";
    }
}

void totalsOfBlocks(io::ByteSink& out, const report::ReportData& data, std::string_view ids,
                    const std::optional<report::Pricing>& pricing) {
    out << "<p class=\"note\" id=\"" << ids << "runs-omitted\">The log holds " << data.runs
        << " runs, more than the " << report::ReportCollector::kRunRowLimit
        << " a page lists one by one: here is each date's total. The text report lists every "
           "run.</p>\n<details><summary>Totals of the "
        << static_cast<qint64>(data.blocks.size()) << " date blocks</summary>\n";
    openTotals(out, "Date", pricing.has_value());
    for (const report::DatedBlock& block : data.blocks)
        totalRow(out, block.date, true, block.runs, block.total.text(),
                 costText(pricing, scan::Seconds::of(block.total)));
    closeTotals(out);
    out << "</details>\n";
}

void datesSection(io::ByteSink& out, const report::ReportData& data, std::string_view ids,
                  const std::optional<report::Pricing>& pricing) {
    out << "<section id=\"" << ids << "dates\">\n<h2>Runs per date</h2>\n";
    if (data.runRowsOmitted)
        totalsOfBlocks(out, data, ids, pricing);
    else
        runsOfBlocks(out, data, pricing);
    out << "</section>\n";
}

// Bars of `periods`, or nothing when there are none or too many.
std::optional<std::vector<ChartBar>> periodBars(const std::vector<report::TotalRow>& periods) {
    if (periods.empty() || periods.size() > kChartBarLimit) return std::nullopt;
    std::vector<ChartBar> bars;
    for (const report::TotalRow& period : periods)
        bars.push_back(ChartBar{QString::fromStdString(period.label), period.time});
    return bars;
}

} // namespace

Chart chartOf(const report::ReportData& data) {
    Chart chart;
    const size_t blocks = data.blocks.size();
    if (blocks <= kChartBarLimit) {
        for (const report::DatedBlock& block : data.blocks)
            chart.bars.push_back(
                ChartBar{report::displayText(block.date), scan::Seconds::of(block.total)});
        return chart;
    }
    const QString tooMany = QStringLiteral("The log has %1 date blocks, more than the %2 bars this "
                                           "chart shows one by one: ")
                                .arg(blocks)
                                .arg(kChartBarLimit);
    const QString leftOut = data.unparsed.empty()
                                ? QString()
                                : QStringLiteral(" Dates that do not parse are not in the chart.");
    if (auto bars = periodBars(data.weeks)) {
        chart.bars = std::move(*bars);
        chart.note = tooMany + QStringLiteral("each bar is one ISO week, in date order.") + leftOut;
    } else if (auto monthBars = periodBars(data.months)) {
        chart.bars = std::move(*monthBars);
        chart.note = tooMany + QStringLiteral("each bar is one month, in date order.") + leftOut;
    } else {
        const size_t perBar = (blocks + kChartBarLimit - 1) / kChartBarLimit;
        for (size_t first = 0; first < blocks; first += perBar) {
            ChartBar bar{report::displayText(data.blocks[first].date), {}};
            for (size_t i = first; i < std::min(blocks, first + perBar); ++i)
                bar.time += scan::Seconds::of(data.blocks[i].total);
            chart.bars.push_back(std::move(bar));
        }
        chart.note = tooMany + QStringLiteral("each bar adds up %1 consecutive date blocks, in log "
                                              "order, and is named after the first.")
                                   .arg(perBar);
    }
    return chart;
}

void logSections(io::ByteSink& out, const report::ReportData& data, std::string_view ids,
                 const std::optional<report::Pricing>& pricing) {
    chartSection(out, data, ids);
    filesSection(out, data, ids, pricing);
    periodsSection(out, data, ids, pricing);
    timelineSection(out, data.timeline, ids);
    datesSection(out, data, ids, pricing);
}

} // namespace webreport
