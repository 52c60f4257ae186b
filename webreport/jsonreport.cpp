#include "webreport/jsonreport.h"

#include "webreport/chunkedout.h"
#include "webreport/textescape.h"

namespace webreport {

namespace {

// The members of the top level; an entry of "machines" has its members deeper.
constexpr std::string_view kTop = "  ";
constexpr std::string_view kInEntry = "      ";

void quoted(ChunkedOut& out, QStringView text) {
    out << "\"";
    appendJsonText(out.text(), text);
    out << "\"";
}

void quotedLogText(ChunkedOut& out, std::string_view logBytes) {
    out << "\"";
    appendJsonLogText(out.text(), logBytes);
    out << "\"";
}

void amountMembers(ChunkedOut& out, const scan::TimeAmount& amount) {
    out << "\"hours\": " << amount.hours << ", \"minutes\": " << amount.minutes
        << ", \"seconds\": " << amount.seconds
        << ", \"totalSeconds\": " << report::totalSecondsOf(amount);
}

// Writes `"name": [` the items, one a line, `]`, the items one step deeper than `indent`.
template <typename Items, typename WriteItem>
void array(ChunkedOut& out, std::string_view indent, std::string_view name, const Items& items,
           WriteItem writeItem) {
    out << indent << "\"" << name << "\": [";
    bool first = true;
    for (const auto& item : items) {
        out << (first ? "\n" : ",\n") << indent << "  {";
        writeItem(item);
        out << "}";
        out.maybeFlush();
        first = false;
    }
    if (!first) out << "\n" << indent;
    out << "]";
}

void periods(ChunkedOut& out, std::string_view indent, std::string_view name, std::string_view key,
             const std::vector<report::PeriodTotal>& list) {
    array(out, indent, name, list, [&](const report::PeriodTotal& period) {
        out << "\"" << key << "\": ";
        quoted(out, period.period);
        out << ", \"runs\": " << period.runs << ", \"totalSeconds\": " << period.totalSeconds;
    });
}

void opening(ChunkedOut& out, const PageHeader& header) {
    out << "{\n  \"schema\": " << qint64{kJsonSchema} << ",\n  \"createdOn\": ";
    quoted(out, header.createdOn);
    out << ",\n";
}

void dateOrderAndPeriod(ChunkedOut& out, scan::DateOrder order, const scan::Period& period) {
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

// One log's members from total to unparsedDates, each on a line of its own after `indent`.
void logMembers(ChunkedOut& out, const report::ReportData& data, std::string_view indent) {
    out << indent << "\"total\": {";
    amountMembers(out, data.total);
    out << "},\n" << indent << "\"runs\": " << data.runs << ",\n";
    array(out, indent, "days", data.blocks, [&](const report::DateBlock& block) {
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
    });
    out << ",\n";
    array(out, indent, "files", data.files, [&](const report::FileTotal& file) {
        out << "\"name\": ";
        quotedLogText(out, file.name);
        out << ", \"runs\": " << file.runs << ", \"totalSeconds\": " << file.totalSeconds;
    });
    out << ",\n";
    periods(out, indent, "weeks", "week", data.weeks);
    out << ",\n";
    periods(out, indent, "months", "month", data.months);
    out << ",\n";
    array(out, indent, "unparsedDates", data.unparsed, [&](const report::UnparsedDate& unparsed) {
        out << "\"date\": ";
        quotedLogText(out, unparsed.date);
        out << ", \"runs\": " << unparsed.runs << ", \"totalSeconds\": " << unparsed.totalSeconds;
    });
}

// hours, minutes and seconds that add up to `seconds`, each with its sign.
scan::TimeAmount amountOfSeconds(qint64 seconds) {
    return {seconds / 3600, seconds % 3600 / 60, seconds % 60};
}

} // namespace

void writeJson(const report::ReportData& data, const PageHeader& header, io::ByteSink& sink) {
    ChunkedOut out(sink);
    opening(out, header);
    out << "  \"log\": ";
    quoted(out, header.logPath);
    out << ",\n";
    dateOrderAndPeriod(out, data.dateOrder, header.period);
    logMembers(out, data, kTop);
    out << "\n}\n";
}

void writeMachinesJson(const std::vector<Machine>& machines, const PageHeader& header,
                       io::ByteSink& sink) {
    const MachinesTotal total = addUp(machines);
    ChunkedOut out(sink);
    opening(out, header);
    dateOrderAndPeriod(
        out, machines.empty() ? scan::DateOrder::MonthDayYear : machines.front().data.dateOrder,
        header.period);
    out << "  \"total\": {";
    amountMembers(out, amountOfSeconds(total.totalSeconds));
    out << "},\n  \"runs\": " << total.runs << ",\n";
    array(out, kTop, "months", total.months, [&](const MachineMonth& month) {
        out << "\"month\": ";
        quoted(out, month.month);
        out << ", \"totalSeconds\": " << month.totalSeconds << ", \"byMachine\": [";
        for (size_t m = 0; m < month.byMachine.size(); ++m)
            out << (m == 0 ? "" : ", ") << month.byMachine[m];
        out << "]";
    });
    out << ",\n  \"machines\": [";
    for (size_t m = 0; m < machines.size(); ++m) {
        out << (m == 0 ? "\n" : ",\n") << "    {\n" << kInEntry << "\"name\": ";
        quoted(out, machines[m].name);
        out << ",\n" << kInEntry << "\"log\": ";
        quoted(out, machines[m].logPath);
        out << ",\n";
        logMembers(out, machines[m].data, kInEntry);
        out << "\n    }";
    }
    out << (machines.empty() ? "]" : "\n  ]") << "\n}\n";
}

} // namespace webreport
