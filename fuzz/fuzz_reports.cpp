// Any log: the web page and the JSON are valid UTF-8, the JSON parses and carries the scan's
// totals, and no log text turns into markup or into a control character.
#include "fuzz/fuzzscan.h"
#include "report/htmlpage.h"
#include "report/jsonreport.h"

#include <QBuffer>
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
    QBuffer device;
    device.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    device.open(QIODevice::ReadOnly);
    scan::NullSink none;
    report::ReportCollector collector(16);
    scan::ScanTotals totals;
    fuzz::require(!scan::scanLog(device, "1/1/2026", {none, none, nullptr, &collector}, totals),
                  "a log in memory reads to its end");
    const report::ReportData reportData = collector.takeData(report::DateOrder::MonthDayYear);
    const report::PageHeader header{QStringLiteral("1/1/2026"), QStringLiteral("mvsys.log")};

    scan::StringSink page, json;
    report::writeHtmlPage(reportData, header, page);
    report::writeJson(reportData, header, json);

    // Beside the window's text the scan tells the collector record by record: the same data.
    device.seek(0);
    scan::StringSink text, jsonRecordByRecord;
    report::ReportCollector recordByRecord(16);
    scan::ScanTotals totalsAgain;
    fuzz::require(!scan::scanLog(device, "1/1/2026", {none, none, &text, &recordByRecord},
                                 totalsAgain),
                  "a log in memory reads to its end");
    report::writeJson(recordByRecord.takeData(report::DateOrder::MonthDayYear), header,
                      jsonRecordByRecord);
    fuzz::require(jsonRecordByRecord.text() == json.text(),
                  "the collector hears the same with or without the window's text");
    fuzz::require(isUtf8(page.text()) && isUtf8(json.text()), "both are valid UTF-8");
    fuzz::require(!hasStrayControl(page.text()) && !hasStrayControl(json.text()),
                  "no control byte comes through");
    fuzz::require(!hasForeignElement(page.text()), "log text brings no element into the page");
    fuzz::require(report::chartOf(reportData).bars.size() <= report::kChartBarLimit,
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
