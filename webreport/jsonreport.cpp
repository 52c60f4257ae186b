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

// Writes `"name": [` the items, one a line, `]`, the items one step deeper than `indent`.
template <typename Items, typename WriteItem>
void array(io::ByteSink& out, std::string_view indent, std::string_view name, const Items& items,
           WriteItem writeItem) {
    out << indent << "\"" << name << "\": [";
    bool first = true;
    for (const auto& item : items) {
        out << (first ? "\n" : ",\n") << indent << "  {";
        writeItem(item);
        out << "}";
        first = false;
    }
    if (!first) out << "\n" << indent;
    out << "]";
}

// `"name": [` a row a line, each {key: its label, runs, totalSeconds}, `]`.
void rows(io::ByteSink& out, std::string_view indent, std::string_view name, std::string_view key,
          const std::vector<report::TotalRow>& list) {
    array(out, indent, name, list, [&](const report::TotalRow& row) {
        out << "\"" << key << "\": ";
        quotedLogText(out, row.label);
        out << ", \"runs\": " << row.runs << ", \"totalSeconds\": " << row.time.count();
    });
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

// One log's members from total to unparsedDates, each on a line of its own after `indent`.
void logMembers(io::ByteSink& out, const report::ReportData& data, std::string_view indent) {
    out << indent << "\"total\": {";
    amountMembers(out, data.total);
    out << "},\n" << indent << "\"runs\": " << data.runs << ",\n";
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
    });
    out << ",\n";
    rows(out, indent, "files", "name", data.files);
    out << ",\n";
    rows(out, indent, "weeks", "week", data.weeks);
    out << ",\n";
    rows(out, indent, "months", "month", data.months);
    out << ",\n";
    rows(out, indent, "unparsedDates", "date", data.unparsed);
}

} // namespace

void writeJson(const report::ReportData& data, const PageHeader& header, io::ByteSink& out) {
    opening(out, header);
    out << "  \"log\": ";
    quoted(out, header.logPath);
    out << ",\n";
    dateOrderAndPeriod(out, data.dateOrder, header.period);
    logMembers(out, data, kTop);
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
    out << "},\n  \"runs\": " << total.runs << ",\n";
    array(out, kTop, "months", total.months, [&](const MachineMonth& month) {
        out << "\"month\": ";
        quoted(out, month.month);
        out << ", \"totalSeconds\": " << month.time.count() << ", \"byMachine\": [";
        for (size_t m = 0; m < month.byMachine.size(); ++m)
            out << (m == 0 ? "" : ", ") << month.byMachine[m].count();
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
