#include "webreport/timelinesection.h"

#include "scan/clock.h"
#include "scan/cuttime.h"
#include "webreport/pagesections.h"

#include <QLocale>
#include <algorithm>

namespace webreport {

namespace {

// A strip's drawing, in minutes across and an arbitrary height: the page stretches it.
constexpr qint64 kStripWidth = 24 * 60;
constexpr qint64 kStripHeight = 20;
constexpr double kThinnestBar = 1; // a minute: a short run still shows
constexpr std::string_view kBusyFill = "#2f6db5";
constexpr std::string_view kPlannedFill = "#dde8f5";
constexpr std::string_view kTickStroke = "#999";

std::string duration(qint64 seconds) {
    return scan::Seconds(seconds).clockText();
}

std::string dayLabel(const QDate& day) {
    return (day.toString(Qt::ISODate) + QLatin1Char(' ') +
            QLocale::c().dayName(day.dayOfWeek(), QLocale::ShortFormat))
        .toStdString();
}

void number(io::ByteSink& out, double value) {
    appendNumber(out.buffer(), value);
}

// A rectangle across a stretch of the day, left open for its title.
void stretchRect(io::ByteSink& out, std::string_view kind, const timeline::Interval& stretch,
                 double top, double height, std::string_view fill, double thinnest) {
    const double from = stretch.from / 60.0;
    const double width = std::max(stretch.length() / 60.0, thinnest);
    out << "<rect class=\"" << kind << "\" x=\"";
    number(out, std::min(from, static_cast<double>(kStripWidth) - width));
    out << "\" y=\"";
    number(out, top);
    out << "\" width=\"";
    number(out, width);
    out << "\" height=\"";
    number(out, height);
    out << "\" fill=\"" << fill << "\">";
}

// The hatching of the planned band, once per section; the strips refer to it.
void hatchPattern(io::ByteSink& out, std::string_view ids) {
    out << "<svg width=\"0\" height=\"0\" style=\"position:absolute\" aria-hidden=\"true\">"
           "<defs><pattern id=\""
        << ids << "planned-hatch\" patternUnits=\"userSpaceOnUse\" width=\"6\" height=\"6\">"
        << "<rect width=\"6\" height=\"6\" fill=\"" << kPlannedFill
        << "\"/><path d=\"M0,6 L6,0\" stroke=\"#7a8ea8\" stroke-width=\"0.6\"/></pattern></defs>"
           "</svg>\n";
}

void strip(io::ByteSink& out, const timeline::TimelineDay& day,
           std::span<const timeline::Interval> planned, std::string_view ids) {
    out << "<svg class=\"strip\" viewBox=\"0 0 " << kStripWidth << " " << kStripHeight
        << "\" preserveAspectRatio=\"none\" width=\"100%\" height=\"" << kStripHeight
        << "\" role=\"img\" aria-label=\"" << day.date.toString(Qt::ISODate).toStdString()
        << ": busy " << duration(day.usage.busySeconds) << " in "
        << static_cast<qint64>(day.busy.size())
        << (day.busy.size() == 1 ? " stretch" : " stretches") << "\">";
    for (const timeline::Interval& shift : planned) {
        stretchRect(out, "planned", shift, 0, kStripHeight,
                    "url(#" + std::string(ids) + "planned-hatch)", 0);
        out << "<title>planned " << scan::clockSecondsText(shift.from) << " to "
            << scan::clockSecondsText(shift.to) << "</title></rect>";
    }
    for (int hour = 0; hour <= 24; hour += 6) {
        out << "<line x1=\"" << qint64{hour * 60} << "\" x2=\"" << qint64{hour * 60}
            << "\" y1=\"0\" y2=\"" << kStripHeight << "\" stroke=\"" << kTickStroke
            << "\" stroke-width=\"1\" vector-effect=\"non-scaling-stroke\"/>";
    }
    for (const timeline::Interval& stretch : day.busy) {
        stretchRect(out, "busy", stretch, 4, kStripHeight - 8, kBusyFill, kThinnestBar);
        out << "<title>" << scan::clockSecondsText(stretch.from) << " to "
            << scan::clockSecondsText(stretch.to) << "</title></rect>";
    }
    out << "</svg>";
}

// What the section says before the strips: the whole's figures, and what was left off.
void summary(io::ByteSink& out, const timeline::Timeline& timeline, std::string_view ids) {
    const bool planned = timeline.plan.has_value();
    out << "<p class=\"note\">Each strip is a day from 00:00 to 24:00, with a line every 6 hours. "
           "A solid bar is a stretch in which the machine cut";
    if (planned) out << "; the hatched band behind is the planned shifts";
    out << ". Each bar's title gives its times.</p>\n<p>Busy: <span id=\"" << ids << "busy\">"
        << duration(timeline.whole.busySeconds) << "</span>";
    if (planned) {
        out << "; planned: " << duration(timeline.whole.plannedSeconds)
            << "; busy in the shifts: " << duration(timeline.whole.busyInShiftsSeconds)
            << "; utilisation: <span id=\"" << ids << "utilisation\">"
            << utilisationText(timeline.whole) << "</span>";
    }
    out << "</p>\n";
    if (timeline.unplacedRuns == 1)
        out << "<p class=\"note\" id=\"" << ids
            << "unplaced\">1 run is not drawn, as its date or start time does not parse, or it "
               "lasts no time or more than 7 days; its cut time is in the totals.</p>\n";
    else if (timeline.unplacedRuns > 1)
        out << "<p class=\"note\" id=\"" << ids << "unplaced\">" << timeline.unplacedRuns
            << " runs are not drawn, as their date or start time does not parse, or they last no "
               "time or more than 7 days; their cut time is in the totals.</p>\n";
}

void stripsTable(io::ByteSink& out, const timeline::Timeline& timeline, std::string_view ids) {
    const bool planned = timeline.plan.has_value();
    const qint64 days = timeline.dayCount();
    const qint64 hidden = std::max<qint64>(days - static_cast<qint64>(kMostStrips), 0);
    if (hidden > 0)
        out << "<p class=\"note\" id=\"" << ids << "strips-note\">The timeline has " << days
            << " days, more than the " << static_cast<qint64>(kMostStrips)
            << " strips drawn here: these are the last ones. The table below lists every "
               "day.</p>\n";
    out << "<table id=\"" << ids
        << "strips\" style=\"width:100%\">\n<thead><tr><th>Date</th>"
           "<th style=\"width:60%\"><div style=\"display:flex;justify-content:space-between\">"
           "<span>00:00</span><span>06:00</span><span>12:00</span><span>18:00</span>"
           "<span>24:00</span></div></th><th class=\"n\">Busy</th><th class=\"n\">Span</th>";
    if (planned) out << "<th class=\"n\">Utilisation</th>";
    out << "</tr></thead>\n<tbody>\n";
    timeline.forEachDay(
        [&](const timeline::TimelineDay& day) {
            out << "<tr><td style=\"white-space:nowrap\">" << dayLabel(day.date) << "</td><td>";
            const std::vector<timeline::Interval> shifts =
                planned ? timeline.plan->plannedOn(day.date) : std::vector<timeline::Interval>();
            strip(out, day, shifts, ids);
            out << "</td><td class=\"n\">" << duration(day.usage.busySeconds)
                << "</td><td class=\"n\">" << (day.isIdle() ? "&#8212;" : duration(day.span()))
                << "</td>";
            if (planned) out << "<td class=\"n\">" << utilisationText(day.usage) << "</td>";
            out << "</tr>\n";
        },
        hidden);
    out << "</tbody>\n</table>\n";
}

void daysTable(io::ByteSink& out, const timeline::Timeline& timeline, std::string_view ids) {
    const bool planned = timeline.plan.has_value();
    const bool folded = timeline.dayCount() > static_cast<qint64>(kMostStrips);
    if (folded)
        out << "<details><summary>Every day: " << timeline.dayCount() << " days</summary>\n";
    out << "<table id=\"" << ids
        << "timeline-days\">\n<thead><tr><th>Date</th><th class=\"n\">Runs</th>"
           "<th class=\"n\">Busy</th><th class=\"n\">First start</th><th class=\"n\">Last "
           "end</th><th class=\"n\">Span</th><th class=\"n\">Idle</th>";
    if (planned)
        out << "<th class=\"n\">Planned</th><th class=\"n\">Busy in shifts</th>"
               "<th class=\"n\">Utilisation</th>";
    out << "</tr></thead>\n<tbody>\n";
    const std::string none = "&#8212;";
    timeline.forEachDay([&](const timeline::TimelineDay& day) {
        const bool idle = day.isIdle();
        out << "<tr><td>" << dayLabel(day.date) << "</td><td class=\"n\">" << day.runs
            << "</td><td class=\"n\">" << duration(day.usage.busySeconds) << "</td><td class=\"n\">"
            << (idle ? none : scan::clockSecondsText(day.firstStart())) << "</td><td class=\"n\">"
            << (idle ? none : scan::clockSecondsText(day.lastEnd())) << "</td><td class=\"n\">"
            << (idle ? none : duration(day.span())) << "</td><td class=\"n\">"
            << (idle ? none : duration(day.span() - day.usage.busySeconds)) << "</td>";
        if (planned)
            out << "<td class=\"n\">" << duration(day.usage.plannedSeconds)
                << "</td><td class=\"n\">" << duration(day.usage.busyInShiftsSeconds)
                << "</td><td class=\"n\">" << utilisationText(day.usage) << "</td>";
        out << "</tr>\n";
    });
    out << "</tbody>\n</table>\n";
    if (folded) out << "</details>\n";
}

} // namespace

std::string utilisationText(const timeline::Usage& usage) {
    const auto ratio = usage.utilisation();
    if (!ratio) return "&#8212;";
    return std::to_string(*ratio / 100) + "." + std::to_string(100 + *ratio % 100).substr(1) +
           "&#160;%";
}

void timelineSection(io::ByteSink& out, const timeline::Timeline& timeline, std::string_view ids) {
    out << "<section id=\"" << ids << "timeline\">\n<h2>When the machine cut</h2>\n";
    summary(out, timeline, ids);
    if (timeline.dayCount() == 0) {
        out << "<p class=\"note\">No run to draw.</p>\n</section>\n";
        return;
    }
    if (timeline.plan) hatchPattern(out, ids);
    stripsTable(out, timeline, ids);
    daysTable(out, timeline, ids);
    out << "</section>\n";
}

} // namespace webreport
