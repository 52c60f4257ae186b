// Any log: the scan's data for the page are those of the plain scan, the web page and the JSON
// are valid UTF-8, the JSON parses and carries the scan's totals, and no log text turns into
// markup or into a control character.
#include "fuzz/differential.h"
#include "webreport/htmlpage.h"
#include "webreport/jsonreport.h"

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

// The page's elements are the writer's own: log text brings none (a script, an image, a link).
bool hasForeignElement(const std::string& page) {
    for (const char* tag : {"<script", "<img", "<a ", "<iframe", "<object"}) {
        if (page.find(tag) != std::string::npos) return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    report::ReportData reportData;
    const std::string_view log(reinterpret_cast<const char*>(data), size);
    const fuzz::Outputs scanned = fuzz::pipelineScan(log, {}, &reportData);
    fuzz::require(scanned == fuzz::plainScan(log), "the scan gives what the plain scan gives");
    const scan::ScanTotals& totals = scanned.totals;
    const webreport::PageHeader header{QStringLiteral("1/1/2026"), QStringLiteral("mvsys.log")};

    io::StringSink page, json;
    webreport::writeHtmlPage(reportData, header, page);
    webreport::writeJson(reportData, header, json);

    fuzz::require(isUtf8(page.text()) && isUtf8(json.text()), "both are valid UTF-8");
    fuzz::require(!hasStrayControl(page.text()) && !hasStrayControl(json.text()),
                  "no control byte comes through");
    fuzz::require(!hasForeignElement(page.text()), "log text brings no element into the page");
    fuzz::require(webreport::chartOf(reportData).bars.size() <= webreport::kChartBarLimit,
                  "the chart keeps to its bars");

    QJsonParseError error;
    const QJsonObject root =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.text()), &error).object();
    fuzz::require(error.error == QJsonParseError::NoError, "the JSON parses");
    const QJsonObject total = root[QLatin1String("total")].toObject();
    fuzz::require(total[QLatin1String("hours")].toInteger() == totals.total.hours &&
                      total[QLatin1String("minutes")].toInteger() == totals.total.minutes &&
                      total[QLatin1String("seconds")].toInteger() == totals.total.seconds,
                  "the JSON's total is the scan's");
    fuzz::require(root[QLatin1String("days")].toArray().size() ==
                      static_cast<qsizetype>(totals.days.size()),
                  "the JSON has one day per date block");
    return 0;
}
