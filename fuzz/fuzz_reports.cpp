// Any log: the scan's data for the page are those of the plain scan, the web page and the JSON
// are valid UTF-8, the JSON parses and carries the scan's totals, and no log text turns into
// markup or into a control character; the same for the page and the JSON of the log as two
// machines, one of them named with the log's first line.
#include "fuzz/differential.h"
#include "webreport/htmlpage.h"
#include "webreport/jsonreport.h"
#include "webreport/machinespage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <algorithm>
#include <cstdint>

namespace {

bool isUtf8(const std::string& text) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !utf8.hasError();
}

// Control bytes other than the line ends the writers put between their own lines.
bool hasStrayControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\n') || byte == 0x7F;
    });
}

size_t count(const std::string& text, std::string_view piece) {
    size_t found = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++found;
    return found;
}

// The page's elements are the writer's own: log text brings none (a script, an image, a link);
// the page of several machines links to each machine's sections.
bool hasForeignElement(const std::string& page, size_t links = 0) {
    for (const char* tag : {"<script", "<img", "<iframe", "<object"}) {
        if (page.find(tag) != std::string::npos) return true;
    }
    return count(page, "<a ") != links;
}

QJsonObject parsed(const std::string& json) {
    QJsonParseError error;
    const QJsonObject root =
        QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).object();
    fuzz::require(error.error == QJsonParseError::NoError, "the JSON parses");
    return root;
}

void checkMachines(std::string_view log, const report::ReportData& data,
                   const webreport::PageHeader& header) {
    const std::string_view firstLine = log.substr(0, log.find_first_of("\r\n"));
    const std::vector<webreport::Machine> machines = {
        {QString::fromLatin1(firstLine.data(), static_cast<qsizetype>(firstLine.size())),
         QStringLiteral("a/mvsys.log"), data},
        {QStringLiteral("b"), QStringLiteral("b/mvsys.log"), data}};
    io::ByteSink page, json;
    webreport::writeMachinesPage(machines, header, page);
    webreport::writeMachinesJson(machines, header, json);
    fuzz::require(isUtf8(page.text()) && isUtf8(json.text()), "both are valid UTF-8");
    fuzz::require(!hasStrayControl(page.text()) && !hasStrayControl(json.text()),
                  "no control byte comes through");
    fuzz::require(!hasForeignElement(page.text(), machines.size()),
                  "no text brings an element into the page of machines");
    const QJsonObject root = parsed(json.text());
    fuzz::require(root[QLatin1String("machines")].toArray().size() == 2,
                  "the JSON has both machines");
    fuzz::require(
        root[QLatin1String("total")].toObject()[QLatin1String("totalSeconds")].toInteger() ==
            (scan::Seconds::of(data.total) + scan::Seconds::of(data.total)).count(),
        "the machines' total is the sum of theirs");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    report::ReportData reportData;
    const std::string_view log(reinterpret_cast<const char*>(data), size);
    const fuzz::Outputs scanned = fuzz::pipelineScan(log, {}, 4096, &reportData);
    fuzz::require(scanned == fuzz::plainScan(log), "the scan gives what the plain scan gives");
    const report::ScanTotals& totals = scanned.totals;
    const webreport::PageHeader header{
        QStringLiteral("1/1/2026"),
        QStringLiteral("mvsys.log"),
        {},
        report::Pricing{*report::Rate::read(u"1.15"), QStringLiteral("<b>&amp;\"</b>")}};

    io::ByteSink page, json;
    webreport::writeHtmlPage(reportData, header, page);
    webreport::writeJson(reportData, header, json);

    fuzz::require(isUtf8(page.text()) && isUtf8(json.text()), "both are valid UTF-8");
    fuzz::require(!hasStrayControl(page.text()) && !hasStrayControl(json.text()),
                  "no control byte comes through");
    fuzz::require(!hasForeignElement(page.text()), "log text brings no element into the page");
    fuzz::require(webreport::chartOf(reportData).bars.size() <= webreport::kChartBarLimit,
                  "the chart keeps to its bars");

    const QJsonObject root = parsed(json.text());
    const QJsonObject total = root[QLatin1String("total")].toObject();
    fuzz::require(total[QLatin1String("hours")].toInteger() == totals.total.hours &&
                      total[QLatin1String("minutes")].toInteger() == totals.total.minutes &&
                      total[QLatin1String("seconds")].toInteger() == totals.total.seconds,
                  "the JSON's total is the scan's");
    fuzz::require(root[QLatin1String("days")].toArray().size() ==
                      static_cast<qsizetype>(totals.blocks.size()),
                  "the JSON has one day per date block");
    checkMachines(log, reportData, header);
    return 0;
}
