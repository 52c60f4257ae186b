#include "fuzz/differential.h"

#include "io/bytesink.h"
#include "report/reportlayout.h"
#include "scan/logblocks.h"
#include "scan/logrecord.h"
#include "webreport/jsonreport.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace fuzz {

namespace {

constexpr std::string_view kToday = "12/7/2026";
// Few enough that the page's runs are left out on some logs.
constexpr qint64 kRunRows = 16;

// Serves the log in reads of at most the next of the given sizes, as a disk or pipe might.
class ChoppedDevice final : public QIODevice {
public:
    ChoppedDevice(std::string_view bytes, const std::vector<size_t>& sizes)
        : bytes_(bytes), sizes_(sizes) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        size_t size = std::min(static_cast<size_t>(maxSize), bytes_.size());
        if (!sizes_.empty()) size = std::min(size, sizes_[next_++ % sizes_.size()]);
        if (size > 0) std::memcpy(data, bytes_.data(), size);
        bytes_.remove_prefix(size);
        return static_cast<qint64>(size);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string_view bytes_;
    const std::vector<size_t>& sizes_;
    size_t next_ = 0;
};

// The log's lines: CR LF, CR and LF each end one; the last needs none.
std::vector<std::string_view> linesOf(std::string_view log) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i] != '\r' && log[i] != '\n') continue;
        lines.push_back(log.substr(start, i - start));
        if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < log.size()) lines.push_back(log.substr(start));
    return lines;
}

// Shifts round the clock on weekdays, one of them past midnight, for the timeline of a period
// with both ends. Without such a period shifts list every day between the log's first and last
// date: millions for a log that names the years 1000 and 9999, whose page and JSON, written to
// memory here, take more than a fuzzer's memory.
std::optional<timeline::WorkPlan> dayAndNight(const scan::Period& period) {
    if (!period.from || !period.to) return std::nullopt;
    return timeline::WorkPlan{{{6 * 60, 14 * 60}, {14 * 60, 22 * 60}, {22 * 60, 6 * 60}}, {}};
}

// The outputs of one scan, and what it tells them.
struct Sinks {
    explicit Sinks(const scan::Period& period)
        : collector{scan::DateOrder::MonthDayYear, {period, dayAndNight(period)}, kRunRows} {}

    io::ByteSink report, csv, text;
    report::ReportLayout layout{std::string(kToday), &report, &csv, &text};
    report::ReportCollector collector;
    std::vector<report::ScanOutput*> outputs{&layout, &collector};

    Outputs take(report::ScanTotals&& totals, report::ReportData* data) {
        report::ReportData collected = collector.takeData();
        io::ByteSink json;
        webreport::writeJson(collected, {}, json);
        if (data) *data = std::move(collected);
        return {report.takeText(), csv.takeText(), text.takeText(), std::move(totals),
                json.takeText()};
    }
};

} // namespace

bool Outputs::operator==(const Outputs& other) const {
    return reportFile == other.reportFile && csvFile == other.csvFile &&
           reportText == other.reportText && totals.total == other.totals.total &&
           totals.blocks == other.totals.blocks &&
           totals.outsidePeriod == other.totals.outsidePeriod && json == other.json;
}

Outputs pipelineScan(std::string_view log, const std::vector<size_t>& readSizes, size_t blockSize,
                     report::ReportData* data, const scan::Period& period) {
    ChoppedDevice device(log, readSizes);
    Sinks sinks(period);
    report::ScanOutcome scanned =
        report::scanLog(device, sinks.outputs, {.period = period, .blockSize = blockSize});
    require(!scanned.failure, "reading from memory never fails");
    return sinks.take(std::move(scanned.totals), data);
}

Outputs plainScan(std::string_view log, const scan::Period& period) {
    Sinks sinks(period);
    report::Fold fold(sinks.outputs);
    scan::RecordReader reader;
    qint64 outsidePeriod = 0;
    for (std::string_view line : linesOf(log)) {
        if (line.size() > scan::kMaxLineLength) continue;
        const std::optional<scan::CutRecord> record = reader.read(line);
        if (!record) continue;
        if (period.holds(record->date))
            fold.add(*record);
        else
            ++outsidePeriod;
    }
    return sinks.take(fold.end(outsidePeriod), nullptr);
}

} // namespace fuzz
