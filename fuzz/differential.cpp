#include "fuzz/differential.h"

#include "io/bytesink.h"
#include "report/reportlayout.h"
#include "report/reportscan.h"
#include "scan/logblocks.h"
#include "scan/logrecord.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <map>

namespace fuzz {

namespace {

constexpr std::string_view kToday = "12/7/2026";

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

} // namespace

bool Outputs::operator==(const Outputs& other) const {
    return reportFile == other.reportFile && csvFile == other.csvFile &&
           reportText == other.reportText && totals.total == other.totals.total &&
           totals.days == other.totals.days && totals.outsidePeriod == other.totals.outsidePeriod &&
           files == other.files;
}

Outputs pipelineScan(std::string_view log, const std::vector<size_t>& readSizes,
                     report::ReportData* data, const scan::Period& period) {
    ChoppedDevice device(log, readSizes);
    io::StringSink report, csv, text;
    report::ReportCollector collector(16);
    constexpr size_t kBlockSize = 4096;
    report::ScanOutcome scanned = report::scanLog(
        device, kToday,
        {.reportFile = &report, .csvFile = &csv, .reportText = &text, .collector = &collector},
        {.period = period, .blockSize = kBlockSize});
    require(!scanned.failure, "reading from memory never fails");
    report::ReportData collected =
        collector.takeData(scan::DateOrder::MonthDayYear, scanned.totals);

    Outputs outputs{
        report.takeText(), csv.takeText(), text.takeText(), std::move(scanned.totals), {}};
    for (const report::FileTotal& file : collected.files)
        outputs.files.push_back({file.name, file.runs, file.totalSeconds});
    std::sort(outputs.files.begin(), outputs.files.end(),
              [](const FileTally& a, const FileTally& b) { return a.name < b.name; });
    if (data) *data = std::move(collected);
    return outputs;
}

Outputs plainScan(std::string_view log, const scan::Period& period) {
    io::StringSink report, csv, text;
    report::ReportLayout layout(&report, &csv, &text);
    scan::ScanTotals totals;
    std::vector<scan::DayItem>& days = totals.days;
    std::map<std::string, std::pair<qint64, scan::TimeAmount>> files;
    scan::RecordReader reader;

    layout.reportOpening(kToday);
    for (std::string_view line : linesOf(log)) {
        if (line.size() > scan::kMaxLineLength) continue;
        const std::optional<scan::CutRecord> record = reader.read(line);
        if (!record) continue;
        if (!period.holds(record->date)) {
            ++totals.outsidePeriod;
            continue;
        }
        scan::addDuration(totals.total, record->duration);
        const bool opens = days.empty() || record->date != days.back().date;
        if (opens) {
            if (!days.empty()) layout.dateClosing(days.back().date, days.back().total);
            days.push_back({std::string(record->date), {}, 0});
            layout.dateOpening(record->date);
        }
        scan::addDuration(days.back().total, record->duration);
        ++days.back().runs;
        layout.runLine(*record, opens);
        auto& [runs, time] = files[std::string(record->cutFileName)];
        ++runs;
        scan::addDuration(time, record->duration);
    }
    const scan::DayItem last = days.empty() ? scan::DayItem{} : days.back();
    const std::string first = days.empty() ? std::string() : days.front().date;
    layout.dateClosing(last.date, last.total);
    layout.logEnd(first, last.date, totals.total);

    Outputs outputs{report.takeText(), csv.takeText(), text.takeText(), std::move(totals), {}};
    for (const auto& [name, tally] : files)
        outputs.files.push_back({name, tally.first, report::totalSecondsOf(tally.second)});
    return outputs;
}

} // namespace fuzz
