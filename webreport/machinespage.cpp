#include "webreport/machinespage.h"

#include "webreport/pagesections.h"
#include "webreport/timelinesection.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace webreport {

namespace {

// Month labels under the chart; between them every so many months go without.
constexpr size_t kMostMonthLabels = 12;

constexpr std::string_view kMachinesStyle = R"(<style>
.legend{list-style:none;padding:0;display:flex;flex-wrap:wrap;gap:.2em 1.6em}
.legend svg{width:2.4em;height:1.1em;vertical-align:middle;margin-right:.4em;border:1px solid #999}
section.machine>details>summary{font-weight:bold}
</style>
)";

// Each machine's bars: a colour and a hatching of its own, so that they are told apart without
// the colours too. Pairs repeat only after 24 machines; the order of the bars, the same as the
// legend's, and each bar's title tell them apart beyond.
constexpr std::array<std::string_view, 8> kColours = {"#2f6db5", "#d9822b", "#3a9a4a", "#8e44ad",
                                                      "#c0392b", "#16a2a2", "#7f6b3f", "#555555"};
constexpr std::array<std::string_view, 6> kHatchings = {
    "",                                                // solid
    "<path d=\"M0,8 L8,0 M-2,2 L2,-2 M6,10 L10,6\"/>", // rising lines
    "<path d=\"M0,4 H8\"/>",                           // level lines
    "<circle cx=\"4\" cy=\"4\" r=\"1.6\"/>",           // dots
    "<path d=\"M0,0 L8,8 M8,0 L0,8\"/>",               // crossed lines
    "<path d=\"M4,0 V8\"/>",                           // upright lines
};

std::string fillOf(size_t machine) {
    return "url(#machine-fill-" + std::to_string(machine + 1) + ")";
}

std::string share(scan::Seconds part, scan::Seconds total) {
    if (total.count() <= 0) return "&#8212;";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f&#160;%%",
                  100.0 * static_cast<double>(part.count()) / static_cast<double>(total.count()));
    return text;
}

std::string machineIds(size_t machine) {
    return "machine-" + std::to_string(machine + 1) + "-";
}

void header(io::ByteSink& out, const std::vector<Machine>& machines, const MachinesTotal& total,
            const PageHeader& pageHeader) {
    out << "<header class=\"facts\">\n<h1>" << report::kReportTitle
        << "</h1>\n<p id=\"created-on\">Created on ";
    text(out, pageHeader.createdOn);
    out << "</p>\n<p>Machines: <span id=\"machine-count\">" << static_cast<qint64>(machines.size())
        << "</span></p>\n";
    periodLine(out, pageHeader.period);
    out << "<p class=\"grand\">Total cut time: <span id=\"total\">" << total.time.clockText()
        << "</span></p>\n";
    costLine(out, pageHeader.pricing, total.time);
    out << "<p>Runs counted: <span id=\"runs\">" << total.runs << "</span></p>\n</header>\n";
}

void dateOrNone(io::ByteSink& out, const report::ReportData& data, bool first) {
    if (data.blocks.empty()) {
        out << "<span class=\"empty\">(none)</span>";
        return;
    }
    logText(out, first ? data.blocks.front().date : data.blocks.back().date);
}

// The machines side by side; with a rate each one's cost, and with shifts its utilisation.
void summarySection(io::ByteSink& out, const std::vector<Machine>& machines,
                    const MachinesTotal& total, const std::optional<report::Pricing>& pricing) {
    const bool planned = !machines.empty() && machines.front().data.timeline.plan.has_value();
    out << "<section id=\"machines\">\n<h2>Cut time per machine</h2>\n<table>\n<thead><tr>"
           "<th>Machine</th><th class=\"n\">Runs</th><th class=\"n\">Cut time</th>"
           "<th class=\"n\">Share</th>"
        << (pricing ? "<th class=\"n\">Cost</th>" : "")
        << (planned ? "<th class=\"n\">Utilisation</th>" : "")
        << "<th>First date</th><th>Last date</th></tr></thead>\n<tbody>\n";
    for (size_t m = 0; m < machines.size(); ++m) {
        const report::ReportData& data = machines[m].data;
        out << "<tr><td class=\"text\"><a href=\"#machine-" << static_cast<qint64>(m + 1) << "\">";
        text(out, machines[m].name);
        out << "</a></td><td class=\"n\">" << data.runs << "</td><td class=\"n\">"
            << data.total.text() << "</td><td class=\"n\">"
            << share(total.machineTimes[m], total.time) << "</td>";
        if (pricing)
            out << "<td class=\"n\">" << *costText(pricing, total.machineTimes[m]) << "</td>";
        if (planned) out << "<td class=\"n\">" << utilisationText(data.timeline.whole) << "</td>";
        out << "<td class=\"text\">";
        dateOrNone(out, data, true);
        out << "</td><td class=\"text\">";
        dateOrNone(out, data, false);
        out << "</td></tr>\n";
    }
    out << "</tbody>\n<tfoot><tr><td>All machines</td><td class=\"n\">" << total.runs
        << "</td><td class=\"n\">" << total.time.clockText() << "</td><td></td>";
    if (pricing) out << "<td class=\"n\">" << *costText(pricing, total.time) << "</td>";
    if (planned) {
        timeline::Usage together;
        for (const Machine& machine : machines)
            together += machine.data.timeline.whole;
        out << "<td class=\"n\">" << utilisationText(together) << "</td>";
    }
    out << "<td></td><td></td></tr></tfoot>\n</table>\n</section>\n";
}

void fillPatterns(io::ByteSink& out, size_t machines) {
    out << "<defs>\n";
    for (size_t m = 0; m < machines; ++m) {
        out << "<pattern id=\"machine-fill-" << static_cast<qint64>(m + 1)
            << "\" patternUnits=\"userSpaceOnUse\" width=\"8\" height=\"8\"><rect width=\"8\" "
               "height=\"8\" fill=\""
            << kColours[m % kColours.size()] << "\"/><g stroke=\"#fff\" fill=\"#fff\" "
            << "stroke-width=\"1.5\">" << kHatchings[m % kHatchings.size()] << "</g></pattern>\n";
    }
    out << "</defs>\n";
}

void legend(io::ByteSink& out, const std::vector<Machine>& machines) {
    out << "<p class=\"note\">In each group the machines' bars stand in this order, from the left:"
           "</p>\n<ul class=\"legend\" id=\"legend\">\n";
    for (size_t m = 0; m < machines.size(); ++m) {
        out << "<li><svg viewBox=\"0 0 24 12\" aria-hidden=\"true\"><rect width=\"24\" "
               "height=\"12\" fill=\""
            << fillOf(m) << "\"/></svg>" << static_cast<qint64>(m + 1) << ". ";
        text(out, machines[m].name);
        out << "</li>\n";
    }
    out << "</ul>\n";
}

// The months added up into years ("2026"), for a chart that cannot show every month.
std::vector<MachineMonth> yearsOf(const std::vector<MachineMonth>& months) {
    std::vector<MachineMonth> years;
    for (const MachineMonth& month : months) {
        const QString year = month.month.left(4);
        if (years.empty() || years.back().month != year)
            years.push_back({year, {}, std::vector<scan::Seconds>(month.byMachine.size())});
        MachineMonth& into = years.back();
        into.time += month.time;
        for (size_t m = 0; m < month.byMachine.size(); ++m)
            into.byMachine[m] += month.byMachine[m];
    }
    return years;
}

// One group of bars per month (or year), a bar per machine in the legend's order.
void groupChart(io::ByteSink& out, const std::vector<Machine>& machines,
                const std::vector<MachineMonth>& groups) {
    const size_t count = machines.size();
    qint64 low = 0, high = 0;
    for (const MachineMonth& month : groups) {
        for (scan::Seconds time : month.byMachine) {
            low = std::min(low, time.count());
            high = std::max(high, time.count());
        }
    }
    const ChartFrame frame(low, high);
    openChart(out, frame, "Cut time per month and machine");
    fillPatterns(out, count);
    const double slot =
        (kPlotRight - kPlotLeft) / static_cast<double>(std::max<size_t>(groups.size(), 1));
    const double width = slot * 0.8 / static_cast<double>(std::max<size_t>(count, 1));
    for (size_t i = 0; i < groups.size(); ++i) {
        const MachineMonth& month = groups[i];
        const double left = kPlotLeft + slot * static_cast<double>(i) + slot * 0.1;
        for (size_t m = 0; m < count; ++m) {
            barRect(out, frame, "mbar", left + width * static_cast<double>(m), width,
                    month.byMachine[m].count(), fillOf(m));
            out << "<title>";
            text(out, month.month);
            out << ", ";
            text(out, machines[m].name);
            out << ": " << month.byMachine[m].clockText() << "</title></rect>\n";
        }
    }
    const size_t labels = groups.size();
    const size_t every = (labels + kMostMonthLabels - 1) / kMostMonthLabels;
    for (size_t i = 0; i < labels; i += std::max<size_t>(every, 1))
        axisLabel(out, kPlotLeft + slot * (static_cast<double>(i) + 0.5), "middle",
                  groups[i].month);
    out << "</svg>\n";
}

void monthTable(io::ByteSink& out, const std::vector<Machine>& machines,
                const MachinesTotal& total) {
    out << "<table id=\"month-table\">\n<thead><tr><th>Month</th>";
    for (const Machine& machine : machines) {
        out << "<th class=\"n\">";
        text(out, machine.name);
        out << "</th>";
    }
    out << "<th class=\"n\">All machines</th></tr></thead>\n<tbody>\n";
    for (const MachineMonth& month : total.months) {
        out << "<tr><td>";
        text(out, month.month);
        out << "</td>";
        for (scan::Seconds time : month.byMachine)
            out << "<td class=\"n\">" << time.clockText() << "</td>";
        out << "<td class=\"n\">" << month.time.clockText() << "</td></tr>\n";
    }
    out << "</tbody>\n</table>\n";
}

void monthsSection(io::ByteSink& out, const std::vector<Machine>& machines,
                   const MachinesTotal& total) {
    out << "<section id=\"months\">\n<h2>Cut time per month and machine</h2>\n";
    const bool anyUnparsed = std::any_of(machines.begin(), machines.end(),
                                         [](const Machine& m) { return !m.data.unparsed.empty(); });
    if (anyUnparsed)
        out << "<p class=\"note\">Dates that do not parse are left out of the months; their cut "
               "time is in the totals above.</p>\n";
    if (total.months.empty()) {
        out << "<p class=\"note\">No cut time to show.</p>\n</section>\n";
        return;
    }
    const auto fits = [&](const std::vector<MachineMonth>& groups) {
        return groups.size() * machines.size() <= kChartBarLimit;
    };
    if (fits(total.months)) {
        legend(out, machines);
        groupChart(out, machines, total.months);
    } else if (const std::vector<MachineMonth> years = yearsOf(total.months); fits(years)) {
        out << "<p class=\"note\" id=\"chart-note\">More months and machines than the "
            << static_cast<qint64>(kChartBarLimit)
            << " bars a chart shows: each group of bars is one year. The table lists the "
               "months.</p>\n";
        legend(out, machines);
        groupChart(out, machines, years);
    } else {
        out << "<p class=\"note\" id=\"chart-note\">More years and machines than the "
            << static_cast<qint64>(kChartBarLimit)
            << " bars a chart shows: the table lists the months.</p>\n";
    }
    monthTable(out, machines, total);
    out << "</section>\n";
}

void machineSections(io::ByteSink& out, const std::vector<Machine>& machines,
                     const std::optional<report::Pricing>& pricing) {
    out << "<section class=\"machine\" id=\"each\">\n<h2>Each machine</h2>\n";
    for (size_t m = 0; m < machines.size(); ++m) {
        const Machine& machine = machines[m];
        out << "<details id=\"machine-" << static_cast<qint64>(m + 1) << "\"><summary>";
        text(out, machine.name);
        out << " &#8212; " << machine.data.total.text() << ", " << machine.data.runs
            << (machine.data.runs == 1 ? " run" : " runs") << "</summary>\n<p>Log: <code>";
        text(out, machine.logPath);
        out << "</code>; date blocks: " << static_cast<qint64>(machine.data.blocks.size())
            << "</p>\n";
        logSections(out, machine.data, machineIds(m), pricing);
        out << "</details>\n";
    }
    out << "</section>\n";
}

} // namespace

void writeMachinesPage(const std::vector<Machine>& machines, const PageHeader& pageHeader,
                       io::ByteSink& out) {
    const MachinesTotal total = addUp(machines);
    pageStart(out, kMachinesStyle);
    header(out, machines, total, pageHeader);
    out << "<main>\n";
    summarySection(out, machines, total, pageHeader.pricing);
    monthsSection(out, machines, total);
    machineSections(out, machines, pageHeader.pricing);
    out << "</main>\n</body>\n</html>\n";
}

} // namespace webreport
