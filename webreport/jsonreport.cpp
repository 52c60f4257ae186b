#include "webreport/jsonreport.h"

#include "webreport/textescape.h"

namespace webreport {

namespace {

// The members of the top level; an entry of "machines" has its members deeper.
constexpr std::string_view kTop = "  ";
constexpr std::string_view kInEntry = "      ";

void quoted(io::ByteSink& out, QStringView text) {
    out << "\"";
    appendJsonText(out.buffer(), text);
    out << "\"";
}

void quotedLogText(io::ByteSink& out, std::string_view logBytes) {
    out << "\"";
    appendJsonLogText(out.buffer(), logBytes);
    out << "\"";
}

void amountMembers(io::ByteSink& out, const scan::TimeAmount& amount) {
    out << "\"hours\": " << amount.hours << ", \"minutes\": " << amount.minutes
        << ", \"seconds\": " << amount.seconds
        << ", \"totalSeconds\": " << scan::Seconds::of(amount).count();
}

// Writes `"name": [` the items that `forEach` visits, one a line, `]`, the items one step deeper
// than `indent`.
template <typename ForEach, typename WriteItem>
void arrayOf(io::ByteSink& out, std::string_view indent, std::string_view name, ForEach forEach,
             WriteItem writeItem) {
    out << indent << "\"" << name << "\": [";
    bool first = true;
    forEach([&](const auto& item) {
        out << (first ? "\n" : ",\n") << indent << "  {";
        writeItem(item);
        out << "}";
        first = false;
    });
    if (!first) out << "\n" << indent;
    out << "]";
}

template <typename Items, typename WriteItem>
void array(io::ByteSink& out, std::string_view indent, std::string_view name, const Items& items,
           WriteItem writeItem) {
    arrayOf(
        out, indent, name,
        [&](const auto& visit) {
            for (const auto& item : items)
                visit(item);
        },
        writeItem);
}

// `, "cost": 12.50` where a rate is given.
void costMember(io::ByteSink& out, const std::optional<report::Pricing>& pricing,
                scan::Seconds time) {
    if (pricing) out << ", \"cost\": " << pricing->rate.costOf(time).text();
}

// `"cost": {"rate", "currency", "total"},` on a line of its own, where a rate is given.
void costObject(io::ByteSink& out, const std::optional<report::Pricing>& pricing,
                scan::Seconds total, std::string_view indent) {
    if (!pricing) return;
    out << indent << "\"cost\": {\"rate\": " << pricing->rate.text() << ", \"currency\": ";
    if (pricing->currency)
        quoted(out, *pricing->currency);
    else
        out << "null";
    out << ", \"total\": " << pricing->rate.costOf(total).text() << "},\n";
}

// `"name": [` a row a line, each {key: its label, runs, totalSeconds, and its cost}, `]`.
void rows(io::ByteSink& out, std::string_view indent, std::string_view name, std::string_view key,
          const std::vector<report::TotalRow>& list,
          const std::optional<report::Pricing>& pricing) {
    array(out, indent, name, list, [&](const report::TotalRow& row) {
        out << "\"" << key << "\": ";
        quotedLogText(out, row.label);
        out << ", \"runs\": " << row.runs << ", \"totalSeconds\": " << row.time.count();
        costMember(out, pricing, row.time);
    });
}

// `, "plannedSeconds", "busyInShiftsSeconds", "utilisation"` (null where nothing was planned).
void planMembers(io::ByteSink& out, const timeline::Usage& usage) {
    out << ", \"plannedSeconds\": " << usage.plannedSeconds
        << ", \"busyInShiftsSeconds\": " << usage.busyInShiftsSeconds << ", \"utilisation\": ";
    if (const auto ratio = usage.utilisation())
        out << timeline::decimalText(*ratio);
    else
        out << "null";
}

// busySeconds, and with shifts the plan's members.
void usageMembers(io::ByteSink& out, const timeline::Usage& usage, bool planned) {
    out << "\"busySeconds\": " << usage.busySeconds;
    if (planned) planMembers(out, usage);
}

// A day of the timeline; a day without runs has null for the figures of its runs' span.
void timelineDay(io::ByteSink& out, const timeline::TimelineDay& day, bool planned) {
    out << "\"date\": ";
    quoted(out, day.date.toString(Qt::ISODate));
    out << ", \"busySeconds\": " << day.usage.busySeconds;
    if (day.isIdle()) {
        out << ", \"firstStart\": null, \"lastEnd\": null, \"spanSeconds\": null, "
               "\"idleSeconds\": null";
    } else {
        out << ", \"firstStart\": " << qint64{day.firstStart()}
            << ", \"lastEnd\": " << qint64{day.lastEnd()}
            << ", \"spanSeconds\": " << qint64{day.span()}
            << ", \"idleSeconds\": " << day.span() - day.usage.busySeconds;
    }
    out << ", \"runs\": " << day.runs << ", \"intervals\": [";
    for (size_t i = 0; i < day.busy.size(); ++i)
        out << (i == 0 ? "[" : ", [") << qint64{day.busy[i].from} << ", " << qint64{day.busy[i].to}
            << "]";
    out << "]";
    if (planned) planMembers(out, day.usage);
}

// The timeline's object: the whole's figures, the plan, the runs left off, days, weeks, months.
void timelineMember(io::ByteSink& out, const timeline::Timeline& timeline,
                    std::string_view indent) {
    const std::string inner = std::string(indent) + "  ";
    const bool planned = timeline.plan.has_value();
    out << indent << "\"timeline\": {\n" << inner;
    usageMembers(out, timeline.whole, planned);
    out << ",\n";
    if (planned) {
        out << inner << "\"shifts\": [";
        for (size_t i = 0; i < timeline.plan->shifts.size(); ++i) {
            const timeline::Shift& shift = timeline.plan->shifts[i];
            out << (i == 0 ? "" : ", ") << "{\"from\": \"" << scan::clockMinutesText(shift.from)
                << "\", \"to\": \"" << scan::clockMinutesText(shift.to) << "\"}";
        }
        out << "],\n" << inner << "\"workdays\": [";
        const std::vector<std::string> days = timeline.plan->workdays.names();
        for (size_t i = 0; i < days.size(); ++i)
            out << (i == 0 ? "\"" : ", \"") << days[i] << "\"";
        out << "],\n";
    }
    out << inner << "\"unplaced\": {\"runs\": " << timeline.unplacedRuns << "},\n";
    arrayOf(
        out, inner, "days",
        [&](const auto& visit) {
            timeline.forEachDay([&](const timeline::TimelineDay& day) { visit(day); });
        },
        [&](const timeline::TimelineDay& day) { timelineDay(out, day, planned); });
    out << ",\n";
    const auto periods = [&](std::string_view name, std::string_view key,
                             const std::vector<timeline::TimelinePeriod>& list) {
        array(out, inner, name, list, [&](const timeline::TimelinePeriod& period) {
            out << "\"" << key << "\": \"" << period.label << "\", ";
            usageMembers(out, period.usage, planned);
        });
    };
    periods("weeks", "week", timeline.weeks);
    out << ",\n";
    periods("months", "month", timeline.months);
    out << "\n";
    out << indent << "}";
}

void opening(io::ByteSink& out, const PageHeader& header) {
    out << "{\n  \"schema\": " << qint64{kJsonSchema} << ",\n  \"createdOn\": ";
    quoted(out, header.createdOn);
    out << ",\n";
}

void dateOrderAndPeriod(io::ByteSink& out, scan::DateOrder order, const scan::Period& period) {
    out << "  \"dateOrder\": ";
    quoted(out, scan::dateOrderName(order));
    out << ",\n";
    if (period.isWholeLog()) return;
    const auto end = [&](const std::optional<QDate>& day) {
        if (day)
            quoted(out, day->toString(Qt::ISODate));
        else
            out << "null";
    };
    out << "  \"period\": {\"from\": ";
    end(period.from);
    out << ", \"to\": ";
    end(period.to);
    out << "},\n";
}

// One log's members from total to timeline, each on a line of its own after `indent`.
void logMembers(io::ByteSink& out, const report::ReportData& data,
                const std::optional<report::Pricing>& pricing, std::string_view indent) {
    out << indent << "\"total\": {";
    amountMembers(out, data.total);
    out << "},\n";
    costObject(out, pricing, scan::Seconds::of(data.total), indent);
    out << indent << "\"runs\": " << data.runs << ",\n";
    array(out, indent, "days", data.blocks, [&](const report::DatedBlock& block) {
        out << "\"date\": ";
        quotedLogText(out, block.date);
        out << ", \"isoDate\": ";
        if (block.day.isValid())
            quoted(out, block.day.toString(Qt::ISODate));
        else
            out << "null";
        out << ", ";
        amountMembers(out, block.total);
        out << ", \"runs\": " << block.runs;
        costMember(out, pricing, scan::Seconds::of(block.total));
    });
    out << ",\n";
    rows(out, indent, "files", "name", data.files, pricing);
    out << ",\n";
    rows(out, indent, "weeks", "week", data.weeks, pricing);
    out << ",\n";
    rows(out, indent, "months", "month", data.months, pricing);
    out << ",\n";
    rows(out, indent, "unparsedDates", "date", data.unparsed, pricing);
    out << ",\n";
    timelineMember(out, data.timeline, indent);
}

} // namespace

void writeJson(const report::ReportData& data, const PageHeader& header, io::ByteSink& out) {
    opening(out, header);
    out << "  \"log\": ";
    quoted(out, header.logPath);
    out << ",\n";
    dateOrderAndPeriod(out, data.dateOrder, header.period);
    logMembers(out, data, header.pricing, kTop);
    out << "\n}\n";
}

void writeMachinesJson(const std::vector<Machine>& machines, const PageHeader& header,
                       io::ByteSink& out) {
    const MachinesTotal total = addUp(machines);
    opening(out, header);
    dateOrderAndPeriod(
        out, machines.empty() ? scan::DateOrder::MonthDayYear : machines.front().data.dateOrder,
        header.period);
    out << "  \"total\": {";
    amountMembers(out, total.time.signedParts());
    out << "},\n";
    costObject(out, header.pricing, total.time, kTop);
    out << "  \"runs\": " << total.runs << ",\n";
    array(out, kTop, "months", total.months, [&](const MachineMonth& month) {
        out << "\"month\": ";
        quoted(out, month.month);
        out << ", \"totalSeconds\": " << month.time.count() << ", \"byMachine\": [";
        for (size_t m = 0; m < month.byMachine.size(); ++m)
            out << (m == 0 ? "" : ", ") << month.byMachine[m].count();
        out << "]";
        costMember(out, header.pricing, month.time);
    });
    out << ",\n  \"machines\": [";
    for (size_t m = 0; m < machines.size(); ++m) {
        out << (m == 0 ? "\n" : ",\n") << "    {\n" << kInEntry << "\"name\": ";
        quoted(out, machines[m].name);
        out << ",\n" << kInEntry << "\"log\": ";
        quoted(out, machines[m].logPath);
        out << ",\n";
        logMembers(out, machines[m].data, header.pricing, kInEntry);
        out << "\n    }";
    }
    out << (machines.empty() ? "]" : "\n  ]") << "\n}\n";
}

} // namespace webreport
