#include "webreport/jsonreport.h"

#include "webreport/chunkedout.h"
#include "webreport/textescape.h"

namespace webreport {

namespace {

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

// Writes `"name": [` the items, one a line, `]`.
template <typename Items, typename WriteItem>
void array(ChunkedOut& out, std::string_view name, const Items& items, WriteItem writeItem) {
    out << "  \"" << name << "\": [";
    bool first = true;
    for (const auto& item : items) {
        out << (first ? "\n    {" : ",\n    {");
        writeItem(item);
        out << "}";
        out.maybeFlush();
        first = false;
    }
    out << (first ? "]" : "\n  ]");
}

void periods(ChunkedOut& out, std::string_view name, std::string_view key,
             const std::vector<report::PeriodTotal>& list) {
    array(out, name, list, [&](const report::PeriodTotal& period) {
        out << "\"" << key << "\": ";
        quoted(out, period.period);
        out << ", \"runs\": " << period.runs << ", \"totalSeconds\": " << period.totalSeconds;
    });
}

} // namespace

void writeJson(const report::ReportData& data, const PageHeader& header, io::ByteSink& sink) {
    ChunkedOut out(sink);
    out << "{\n  \"schema\": " << qint64{kJsonSchema} << ",\n  \"createdOn\": ";
    quoted(out, header.createdOn);
    out << ",\n  \"log\": ";
    quoted(out, header.logPath);
    out << ",\n  \"dateOrder\": ";
    quoted(out, scan::dateOrderName(data.dateOrder));
    out << ",\n  \"total\": {";
    amountMembers(out, data.total);
    out << "},\n  \"runs\": " << data.runs << ",\n";

    array(out, "days", data.blocks, [&](const report::DateBlock& block) {
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
    array(out, "files", data.files, [&](const report::FileTotal& file) {
        out << "\"name\": ";
        quotedLogText(out, file.name);
        out << ", \"runs\": " << file.runs << ", \"totalSeconds\": " << file.totalSeconds;
    });
    out << ",\n";
    periods(out, "weeks", "week", data.weeks);
    out << ",\n";
    periods(out, "months", "month", data.months);
    out << ",\n";
    array(out, "unparsedDates", data.unparsed, [&](const report::UnparsedDate& unparsed) {
        out << "\"date\": ";
        quotedLogText(out, unparsed.date);
        out << ", \"runs\": " << unparsed.runs << ", \"totalSeconds\": " << unparsed.totalSeconds;
    });
    out << "\n}\n";
}

} // namespace webreport
